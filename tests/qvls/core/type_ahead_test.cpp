#include "core_fixture.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/error_reporter.h"
#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/type_ahead.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls::testing {
namespace {

namespace key = rt::key;

constexpr const char* formYaml = R"(
title: Album
controls:
  - {type: entry, name: Artist, use: "LOC:Artist"}
  - {type: entry, name: Composer, use: "LOC:Composer"}
  - {type: entry, name: Title, use: "LOC:Title"}
  - {type: button, name: Cancel, text: Cancel}
)";

// A form whose artist and composer entries complete from the artist list.
class Form : public fw::WindowController
{
public:
    Form(fw::TableAccess& artists, bool mustValidate)
        : WindowController("UpdateAlbum")
        , artists_(artists)
        , mustValidate_(mustValidate)
    { }
    fw::Level Prepare() override
    {
        WindowController::Prepare();
        setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(formYaml, "test", name())));
        addResponseButton("?Cancel", fw::response::Cancelled);
        openWindow();
        const int byName = artists_.record().def().keyIndex("ART:K_ARTIST");
        artist.Attach(window(), "?Artist", "ART:Artist", byName, artists_, mustValidate_);
        composer.Attach(window(), "?Composer", "ART:Artist", byName, artists_, false);
        return fw::Benign;
    }
    fw::Level OnEvent(const rt::Event& e) override
    {
        artist.OnEvent(e);
        composer.OnEvent(e);
        return WindowController::OnEvent(e);
    }
    void CleanUp() override
    {
        artist.Detach();
        composer.Detach();
        WindowController::CleanUp();
    }

    TypeAheadEntry artist, composer;

private:
    fw::TableAccess& artists_;
    bool mustValidate_;
};

class TypeAhead : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        tables::Table& t = dictionary::Artists();
        ASSERT_EQ(t.create(), 0);
        ASSERT_EQ(t.open(), 0);
        for (const char* a : {"Smith, John", "Smithers, Al", "The Band", "Zappa, Frank"}) {
            t.record().clear();
            t.record()["ART:Artist"] = a;
            ASSERT_EQ(t.insert(), 0);
        }
        t.close();
        for (auto* v : {&artistVar, &composerVar, &titleVar})
            v->clear();
        fw::registerVariable(
            "LOC:Artist", {[this] { return artistVar; }, [this](const std::string& v) { artistVar = v; }});
        fw::registerVariable(
            "LOC:Composer", {[this] { return composerVar; }, [this](const std::string& v) { composerVar = v; }});
        fw::registerVariable(
            "LOC:Title", {[this] { return titleVar; }, [this](const std::string& v) { titleVar = v; }});
    }
    void TearDown() override
    {
        host.reset();
        fw::unregisterVariable("LOC:Artist");
        fw::unregisterVariable("LOC:Composer");
        fw::unregisterVariable("LOC:Title");
        while (dictionary::Artists().isOpen())
            dictionary::Artists().close();
        CollectionFolder::TearDown();
    }

    rt::Window* open(bool mustValidate = false)
    {
        host = std::make_unique<rt::HeadlessHost>();
        host->start("UpdateAlbum", [this, mustValidate] {
            Form f(access, mustValidate);
            form = &f;
            f.Execute();
            form = nullptr;
        });
        w = host->window("UpdateAlbum");
        return w;
    }
    // The user moves into an entry.
    void select(const char* entry) { host->post(*w, {rt::event::Selected, (*w)[entry].number(), 0}); }
    // The user presses a key: the entry now shows `shown`, the caret after it.
    void type(const char* entry, const std::string& shown, int keyCode)
    {
        rt::Control& c = (*w)[entry];
        c.userInput(shown);
        const std::string caret = std::to_string(text::charCount(shown) + 1);
        c.setProperty(entry_property::SelStart, caret);
        c.setProperty(entry_property::SelEnd, caret);
        host->post(*w, {rt::event::NewSelection, c.number(), keyCode});
    }
    void typeLetters(const char* entry, const std::string& text)
    {
        for (std::size_t n = 1; n <= text.size(); ++n)
            type(entry, text.substr(0, n), text::asciiUpper(text[n - 1]));
    }
    std::string shown(const char* entry) const { return (*w)[entry].value(); }
    std::string selection(const char* entry) const
    {
        const rt::Control& c = (*w)[entry];
        return c.property(entry_property::SelStart) + "-" + c.property(entry_property::SelEnd);
    }

    fw::TableAccess access{dictionary::Artists(), fw::appErrorReporter()};
    std::string artistVar, composerVar, titleVar;
    Form* form = nullptr;
    rt::Window* w = nullptr;
    std::unique_ptr<rt::HeadlessHost> host;
};

TEST_F(TypeAhead, LowerCaseLettersCompleteToTheStoredName)
{
    open();
    select("?Artist");
    typeLetters("?Artist", "smit");
    EXPECT_EQ(shown("?Artist"), "Smith, John");
    EXPECT_EQ(selection("?Artist"), "5-11"); // the letters after the fourth
    EXPECT_EQ(std::string(text::trimRight(artistVar)), "Smith, John");
    EXPECT_EQ(form->artist.lastTyped(), "smit");

    // Typing over the selection narrows the candidate.
    typeLetters("?Artist", "smithe");
    EXPECT_EQ(shown("?Artist"), "Smithers, Al");
    EXPECT_EQ(selection("?Artist"), "7-12");

    // Backspace goes back one typed letter and completes again.
    type("?Artist", "smith", key::Back);
    EXPECT_EQ(shown("?Artist"), "Smith, John");
    EXPECT_EQ(selection("?Artist"), "6-11");
}

TEST_F(TypeAhead, TheFirstKeystrokeOnlyArms)
{
    open();
    type("?Artist", "s", 'S'); // not selected yet: this keystroke arms
    EXPECT_EQ(shown("?Artist"), "s");
    EXPECT_TRUE(form->artist.armed());
    type("?Artist", "sm", 'M');
    EXPECT_EQ(shown("?Artist"), "Smith, John");
}

TEST_F(TypeAhead, NoCandidateDisarmsUntilSelectedAgain)
{
    open();
    select("?Artist");
    typeLetters("?Artist", "q");
    EXPECT_EQ(shown("?Artist"), "q");
    EXPECT_FALSE(form->artist.armed());
    type("?Artist", "t", 'T'); // would complete, but only re-arms
    EXPECT_EQ(shown("?Artist"), "t");

    // Leaving the entry disarms; selecting it again arms at once.
    select("?Title");
    EXPECT_FALSE(form->artist.armed());
    select("?Artist");
    EXPECT_TRUE(form->artist.armed());
    type("?Artist", "th", 'H');
    EXPECT_EQ(shown("?Artist"), "The Band");
}

TEST_F(TypeAhead, KeysThatNeverComplete)
{
    open();
    for (int k : {key::Left, key::Right, key::withShift(key::Left), key::withShift(key::Right), key::withCtrl('S'),
             key::withAlt('S'), key::withCtrl(key::withShift('S')), key::Delete, key::F1}) {
        select("?Title");
        select("?Artist");
        type("?Artist", "sm", k);
        EXPECT_EQ(shown("?Artist"), "sm") << k;
    }
    type("?Artist", "sm", key::Space); // a character: completes
    EXPECT_EQ(shown("?Artist"), "Smith, John");
}

TEST_F(TypeAhead, WildcardsCompleteOnlyWhenTheFirstArtistAtOrAfterMatches)
{
    open();
    select("?Artist");
    type("?Artist", "t*d", 'D'); // the first artist at or after it is "The Band"
    EXPECT_EQ(shown("?Artist"), "The Band");
    select("?Title");
    select("?Artist");
    type("?Artist", "sm*s", 'S'); // "Smith, John" comes first and does not end in s
    EXPECT_EQ(shown("?Artist"), "sm*s");
    EXPECT_FALSE(form->artist.armed());
}

TEST_F(TypeAhead, ValidationEmptiesAnUnknownArtist)
{
    open(true);
    select("?Artist");
    (*w)["?Artist"].userInput("Nobody");
    host->post(*w, {rt::event::Accepted, (*w)["?Artist"].number(), 0});
    EXPECT_EQ(shown("?Artist"), "");
    EXPECT_EQ(artistVar, "");
    EXPECT_EQ(w->focus(), &(*w)["?Artist"]);
    (*w)["?Artist"].userInput("the band");
    host->post(*w, {rt::event::Accepted, (*w)["?Artist"].number(), 0});
    EXPECT_EQ(shown("?Artist"), "the band");
    EXPECT_EQ(artistVar, "the band");

    // Without validation any text stays.
    host.reset();
    open(false);
    (*w)["?Artist"].userInput("Nobody");
    host->post(*w, {rt::event::Accepted, (*w)["?Artist"].number(), 0});
    EXPECT_EQ(shown("?Artist"), "Nobody");
    EXPECT_EQ(artistVar, "Nobody");
}

TEST_F(TypeAhead, EachEntryKeepsItsOwnLastTypedText)
{
    open();
    select("?Artist");
    typeLetters("?Artist", "zap");
    EXPECT_EQ(shown("?Artist"), "Zappa, Frank");
    // The same text typed into another entry completes there too.
    select("?Composer");
    type("?Composer", "zap", 'P');
    EXPECT_EQ(shown("?Composer"), "Zappa, Frank");
    EXPECT_EQ(std::string(text::trimRight(composerVar)), "Zappa, Frank");
    EXPECT_EQ(form->artist.lastTyped(), "zap");
    EXPECT_EQ(form->composer.lastTyped(), "zap");
}

TEST_F(TypeAhead, QueueModeAndFindCandidate)
{
    open();
    TypeAheadEntry t;
    const std::vector<std::string> names{"Alpha", "Beta", "Gamma"};
    t.Attach(*w, "?Title", names, false);
    EXPECT_EQ(t.findCandidate("be"), 2);
    EXPECT_EQ(t.findCandidate("*mm*"), 3);
    EXPECT_EQ(t.findCandidate("x"), 0);
    TypeAheadEntry f;
    f.Attach(*w, "?Title", "ART:Artist", access.record().def().keyIndex("ART:K_ARTIST"), access, false);
    EXPECT_EQ(f.findCandidate("SMITHE"), 1);
    EXPECT_EQ(std::string(text::trimRight(dictionary::Artists().record()["ART:Artist"].toString())), "Smithers, Al");
    EXPECT_EQ(f.findCandidate("zz"), 0);
}

} // namespace
} // namespace qv::qvls::testing
