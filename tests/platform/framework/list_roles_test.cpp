// Drop lists from tables, the record processor's walk and in-place editing
// of detail lines, each in a window on the headless host.

#include <functional>

#include "platform/framework/in_place_edit.h"
#include "platform/framework/list_fixture.h"
#include "platform/framework/record_processor.h"
#include "platform/framework/table_drop.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/scheduler.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;

namespace {

// A window made of a definition and a set-up step.
class Plain : public WindowController
{
public:
    Plain(std::string name, const char* yaml, std::function<void(Plain&)> setup)
        : WindowController(std::move(name))
        , yaml_(yaml)
        , setup_(std::move(setup))
    { }
    Level Prepare() override
    {
        WindowController::Prepare();
        setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(yaml_, "test", name())));
        if (window().control("?Close"))
            addResponseButton("?Close", response::Cancelled);
        setup_(*this);
        openWindow();
        return Benign;
    }

private:
    const char* yaml_;
    std::function<void(Plain&)> setup_;
};

constexpr const char* dropYaml = R"(
title: Drops
controls:
  - {type: droplist, name: Media, use: "ALB:Media", at: [10, 10, 80, 10]}
  - {type: dropcombo, name: SongMedia, use: "SNG:Media", at: [10, 25, 80, 10]}
  - {type: button, name: Close, text: Close, at: [10, 40, 30, 12]}
)";

struct Roles : ListFixture {
    int result = 0;
    rt::Window* start(const char* name, const char* yaml, std::function<void(Plain&)> setup)
    {
        c.host.start(name, [this, name, yaml, setup] {
            Plain p(name, yaml, setup);
            result = p.Execute();
        });
        return c.host.window(name);
    }
};

TEST_F(Roles, DropListWritesTheChosenRecordsValueIntoItsVariable)
{
    for (const char* m : {"LP", "CD", "Cassette", "Vidéo"})
        c.addMedia(m);
    c.albums.record().clear();
    c.albums.record()["ALB:Media"] = "lp";
    TableDropList media(c.mediaAccess, 0, "?Media", "MED:Media", "MED:Media");
    TableDropCombo songMedia(c.mediaAccess, 0, "?SongMedia", "MED:Media", "MED:Media");
    rt::Window* w = start("Drops", dropYaml, [&](Plain& p) {
        p.addComponent(media);
        p.addComponent(songMedia);
    });
    ASSERT_TRUE(w);
    rt::Control& list = (*w)["?Media"];
    EXPECT_EQ(media.RowCount(), 4);
    EXPECT_EQ(list.list()->cell(0, 0), "Cassette") << "in key order";
    EXPECT_EQ(list.selected(), 3) << "the variable's value is chosen";
    c.host.choose(*w, "?Media", 2);
    EXPECT_EQ(c.albums.record().getText(c.albums.def().fieldIndex("ALB:Media")), "CD");
    EXPECT_EQ(c.media.record().getText(0), "CD") << "the chosen record is in its buffer";

    c.host.enter(*w, "?SongMedia", "cassette");
    EXPECT_EQ(c.songs.record().getText(c.songs.def().fieldIndex("SNG:Media")), "Cassette");
    c.host.enter(*w, "?SongMedia", "VIDÉO");
    EXPECT_EQ(c.songs.record().getText(c.songs.def().fieldIndex("SNG:Media")), "Vidéo") << "as the key compares";
    c.host.enter(*w, "?SongMedia", "Reel");
    EXPECT_EQ(c.songs.record().getText(c.songs.def().fieldIndex("SNG:Media")), "Reel") << "a combo keeps typed text";
    EXPECT_EQ((*w)["?SongMedia"].selected(), 0);
    c.host.press(*w, "?Close");
}

constexpr const char* processYaml = R"(
title: Processing Records
controls:
  - {type: progress, name: Progress, at: [10, 10, 100, 10]}
  - {type: string, name: Percent, text: "0% Completed", at: [10, 25, 100, 10]}
  - {type: button, name: Cancel, text: Cancel, at: [10, 40, 30, 12]}
)";

struct Process : Roles {
    tables::View view{c.songs};
    ViewReader reader{view, c.songAccess};
    RecordProcessor processor{reader};
    std::int64_t album = 0;
    int otherThreadTurns = 0;
    void SetUp() override
    {
        c.addMedia("CD");
        album = c.addAlbum("Many");
        for (int i = 0; i < 25; ++i)
            c.addSong(album, "song " + std::to_string(i));
        reader.AddSortOrder("SNG:KEYID");
        processor.setControls("?Progress", "?Percent", "?Cancel");
        processor.setRecordsPerTurn(10);
    }
};

TEST_F(Process, WalksTheViewInTurnsLettingOtherThreadsRun)
{
    // Upper-cases every title; another thread counts how often it ran.
    processor.setStep([this] {
        std::string t = c.songs.record().getText(4);
        for (char& ch : t)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        c.songs.record()["SNG:Title"] = t;
        return c.songAccess.Update();
    });
    c.host.start("Other", [this] {
        for (int i = 0; i < 10; ++i) {
            ++otherThreadTurns;
            rt::Scheduler::instance().yield();
        }
    });
    rt::Window* w = start("Process", processYaml, [this](Plain& p) { p.addComponent(processor); });
    c.host.settle();
    EXPECT_FALSE(w && w->isOpen());
    EXPECT_EQ(result, response::Completed);
    EXPECT_EQ(processor.processed(), 25);
    EXPECT_EQ(processor.percent(), 100);
    for (const std::string& row : Catalogue::rows(c.songs))
        EXPECT_NE(row.find("SONG "), std::string::npos) << row;
    EXPECT_GE(otherThreadTurns, 3) << "the walk yields between its turns";
}

TEST_F(Process, CancelStopsTheWalkBetweenTurns)
{
    rt::Window* w = nullptr;
    processor.setStep([&] {
        if (processor.processed() == 5)
            w->post(rt::event::Accepted, (*w)["?Cancel"].number()); // the user's press
        return Benign;
    });
    c.host.start("Process", [&] {
        Plain p("Process", processYaml, [&](Plain& pp) {
            w = &pp.window();
            pp.addComponent(processor);
        });
        result = p.Execute();
    });
    c.host.settle();
    EXPECT_EQ(result, response::Cancelled);
    EXPECT_TRUE(processor.cancelled());
    EXPECT_EQ(processor.processed(), 10) << "the turn under way ends first";
}

constexpr const char* detailYaml = R"(
title: Details
controls:
  - {type: list, name: List, at: [10, 10, 150, 60]}
  - {type: entry, name: EditText, at: [10, 10, 150, 10], flags: [hidden]}
  - {type: button, name: Insert, text: "&Add", at: [10, 85, 30, 12]}
  - {type: button, name: Change, text: "&Change", at: [45, 85, 30, 12]}
  - {type: button, name: Delete, text: "&Delete", at: [80, 85, 30, 12]}
  - {type: button, name: Close, text: "Close", at: [115, 85, 30, 12]}
)";

struct InPlace : Roles {
    tables::View view{c.details};
    ViewReader reader{view, c.detailAccess};
    ListBrowser list{reader, "?List"};
    InPlaceEditManager edit{list, c.detailSet};
    std::int64_t song = 0;
    rt::Window* w = nullptr;
    void SetUp() override
    {
        c.addMedia("CD");
        song = c.addSong(c.addAlbum("A"), "S");
        c.addDetail(song, "first");
        c.addDetail(song, "second");
        const int order = reader.AddSortOrder("SDT:K_ID");
        reader.LimitToParent(order, c.songAccess, {{"SDT:ID", "SNG:ID"}});
        list.addField(c.details.record(), "SDT:Text");
        edit.addColumn("?EditText", "SDT:Text");
        edit.setButtons("?Insert", "?Change", "?Delete");
        c.load(c.songs, "SNG:ID", song);
        w = start("Details", detailYaml, [this](Plain& p) {
            p.addComponent(edit);
            p.addComponent(list);
        });
        ASSERT_TRUE(w);
    }
};

TEST_F(InPlace, ChangeEditsTheRowAndWritesItBack)
{
    c.host.choose(*w, "?List", 2);
    c.host.press(*w, "?Change");
    rt::Control& entry = (*w)["?EditText"];
    EXPECT_FALSE(entry.hidden());
    EXPECT_EQ(entry.value(), "second");
    EXPECT_EQ(w->focus(), &entry);
    c.host.enter(*w, "?EditText", "2nd");
    EXPECT_TRUE(entry.hidden());
    EXPECT_EQ(shown(list), (std::vector<std::string>{"first", "2nd"}));
    EXPECT_EQ(Catalogue::rows(c.details).back(), std::to_string(song) + "|2|2nd");
}

TEST_F(InPlace, AddNumbersTheLineLastAndACancelTakesItAway)
{
    c.host.press(*w, "?Insert");
    EXPECT_EQ(shown(list).size(), 3u);
    EXPECT_EQ(c.details.record()["SDT:Sequence"].toInt(), 3) << "the next sequence value";
    c.host.enter(*w, "?EditText", "third");
    EXPECT_EQ(shown(list), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(highlighted(list), "third");

    c.host.press(*w, "?Insert");
    ASSERT_TRUE(edit.editing());
    c.host.key(*w, rt::key::Esc);
    EXPECT_FALSE(edit.editing());
    EXPECT_EQ(Catalogue::rows(c.details).size(), 3u);
}

TEST_F(InPlace, DeleteAsksFirst)
{
    c.host.press(*w, "?Delete");
    c.host.answer(rt::button::No);
    EXPECT_EQ(shown(list).size(), 2u);
    c.host.press(*w, "?Delete");
    c.host.answer(rt::button::Yes);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"second"}));
}

} // namespace
