// The tip of the day as the user meets it at start and from the Help menu:
// which tip an opening shows, paging, what Close keeps, and the debug-mode
// editor; and the tips a new collection starts with.

#include "qvls/catalogue/catalogue_fixture.h"

#include "platform/framework/handover.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/frame.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

class Tips : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        ASSERT_EQ(dictionary::QVLTipsAccess->open(), fw::Benign);
        settings().ShowTips = 1;
    }
    // Tips numbered as given, each reading "Tip <number>".
    static void addTips(const std::vector<int>& ids)
    {
        Table& t = dictionary::QVLTips();
        for (int id : ids) {
            t.record().clear();
            t.record()["TIP:ID"] = id;
            t.record()["TIP:TIP"] = "Tip " + std::to_string(id);
            ASSERT_EQ(t.insert(), 0) << tables::lastError().text;
        }
    }
    void storeTip(const std::string& tip) const
    {
        writeFile(collection("QVLROCFG.INI"), "[Settings]\nTip=" + tip + "\n");
    }
    static std::string stored(const char* key)
    {
        return rt::IniFile::named(kSettingsFile).get("Settings", key, "(none)");
    }

    // As the splash and the Help menu call it: a change, on the caller's thread.
    rt::Window* open()
    {
        host->start("Caller", [] {
            fw::handover().request = fw::request::Change;
            rt::Procedures::call("UpdateQVLTips");
        });
        return shown();
    }
    rt::Window* shown() const
    {
        rt::Window* w = host->window("UpdateQVLTips");
        return w && w->isOpen() ? w : nullptr;
    }
    std::string tip() const { return std::string(text::trimRight((*shown())["?Tip"].value())); }
};

TEST_F(Tips, EachOpeningShowsTheTipAfterTheOneShownLast)
{
    struct Case {
        const char* name;
        std::vector<int> ids;
        const char* storedTip; // nullptr: no Tip key yet
        const char* shows;
    };
    const Case cases[] = {
        {"first opening", {1, 2, 3}, nullptr, "Tip 2"},
        {"after the first", {1, 2, 3}, "1", "Tip 2"},
        {"after the last", {1, 2, 3}, "3", "Tip 1"},
        {"after a tip that is gone", {1, 2, 3}, "7", "Tip 1"},
        {"over a gap", {1, 4, 7}, "1", "Tip 4"},
        {"one tip", {5}, "5", "Tip 5"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Table& t = dictionary::QVLTips();
        while (t.last() == 0)
            t.remove();
        addTips(k.ids);
        std::filesystem::remove(collection("QVLROCFG.INI"));
        if (k.storedTip)
            storeTip(k.storedTip);
        rt::Window* w = open();
        ASSERT_TRUE(w);
        EXPECT_EQ(w->title(), "");
        EXPECT_EQ(tip(), k.shows);
        EXPECT_TRUE((*w)["?Tip"].readOnly());
        EXPECT_TRUE((*w)["?Ok"].effectivelyHidden());
        host->post(*w, rt::Event{rt::event::CloseWindow});
        ASSERT_FALSE(shown());
    }
}

TEST_F(Tips, BackAndNextWrapAtBothEndsAndStepOverGaps)
{
    addTips({1, 2, 4, 7});
    storeTip("7");
    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tip(), "Tip 1");
    std::vector<std::string> seen;
    for (const char* button : {"?Back", "?Back", "?Back", "?Back", "?Next", "?Next", "?Next", "?Next"}) {
        host->press(*w, button);
        seen.push_back(tip());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Tip 7", "Tip 4", "Tip 2", "Tip 1", "Tip 2", "Tip 4", "Tip 7", "Tip 1"}));
    EXPECT_FALSE(host->messageBox()) << "paging changes nothing there is to save";
    host->press(*w, "?Close");
    EXPECT_FALSE(shown());
}

TEST_F(Tips, CloseKeepsTheTipShownAndTheStartUpChoiceButTheCloseBoxKeepsNeither)
{
    addTips({1, 2, 3});
    rt::Window* w = open();
    ASSERT_TRUE(w);
    host->enter(*w, "?ShowTips", "");
    EXPECT_EQ(settings().ShowTips, 0) << "the choice applies at once";
    host->post(*w, rt::Event{rt::event::CloseWindow});
    EXPECT_FALSE(shown());
    EXPECT_EQ(stored("Tip"), "(none)");
    EXPECT_EQ(stored("ShowTips"), "(none)");
    EXPECT_EQ(settings().ShowTips, 1) << "a window closed without Close changes nothing later either";

    w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tip(), "Tip 2") << "the close box kept nothing";
    host->press(*w, "?Next");
    host->enter(*w, "?ShowTips", "");
    host->press(*w, "?Close");
    EXPECT_FALSE(shown());
    EXPECT_EQ(stored("Tip"), "3");
    EXPECT_EQ(stored("ShowTips"), "0");
    EXPECT_EQ(settings().ShowTips, 0);

    w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tip(), "Tip 1");
    EXPECT_EQ((*w)["?ShowTips"].value(), "");
    host->press(*w, "?Close");
}

TEST_F(Tips, AnEmptyTipTableClosesTheWindowWithoutAWord)
{
    host->start("Caller", [] {
        fw::handover().request = fw::request::Change;
        rt::Procedures::call("UpdateQVLTips");
    });
    EXPECT_FALSE(shown());
    EXPECT_FALSE(host->messageBox());
    EXPECT_TRUE(host->failures().empty());
    EXPECT_EQ(stored("Tip"), "(none)");
}

TEST_F(Tips, InDebugModeTheWindowEditsTheTipItWasGiven)
{
    addTips({1, 2, 3});
    settings().DbgMode = 1;
    Table& t = dictionary::QVLTips();
    t.record()["TIP:ID"] = 2;
    ASSERT_EQ(t.fetch(t.def().keyIndex("TIP:KEYID")), 0);

    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(tip(), "Tip 2") << "opens on the tip it was given, without moving on";
    EXPECT_FALSE((*w)["?Tip"].readOnly());
    EXPECT_FALSE((*w)["?Tip"].skip());
    EXPECT_FALSE((*w)["?Ok"].effectivelyHidden());
    EXPECT_TRUE((*w)["?Back"].effectivelyHidden());
    EXPECT_TRUE((*w)["?Next"].effectivelyHidden());

    host->enter(*w, "?Tip", "");
    host->press(*w, "?Ok");
    ASSERT_TRUE(host->messageBox());
    EXPECT_EQ(host->messageBox()->title() + ": " + host->messageBox()->text(),
        "Missing Information: \"Tip\" must be entered.");
    host->answer(rt::button::Ok);
    ASSERT_TRUE(shown());

    host->enter(*w, "?Tip", "Keep your discs out of the sun.");
    host->press(*w, "?Ok");
    EXPECT_FALSE(shown()) << (host->messageBox() ? host->messageBox()->text() : "");
    t.record()["TIP:ID"] = 2;
    ASSERT_EQ(t.fetch(t.def().keyIndex("TIP:KEYID")), 0);
    EXPECT_EQ(text::trimRight(t.record()["TIP:TIP"].toString()), "Keep your discs out of the sun.");
    EXPECT_EQ(t.records(), 3);
    EXPECT_EQ(stored("Tip"), "(none)") << "only Close keeps the settings";
}

TEST_F(Tips, ANewCollectionStartsWithTheShippedTipsAndAKeptTableStaysAsItIs)
{
    const std::vector<std::string> shipped = shippedTips();
    ASSERT_GE(shipped.size(), 5u);
    for (Table* t : dictionary::allTables())
        while (t->isOpen())
            t->close();
    ASSERT_TRUE(std::filesystem::remove(collection("QVLTIPS.tps")));

    CreateMissingTables();
    Table& t = dictionary::QVLTips();
    ASSERT_EQ(t.open(), 0);
    std::vector<std::string> tips;
    t.setOrder(t.def().keyIndex("TIP:KEYID"));
    for (std::int64_t id = 1; t.next() == 0; ++id) {
        EXPECT_EQ(t.record()["TIP:ID"].toInt(), id);
        tips.emplace_back(text::trimRight(t.record()["TIP:TIP"].toString()));
    }
    EXPECT_EQ(tips, shipped);

    // The user's own tips are never topped up.
    while (t.last() == 0)
        t.remove();
    addTips({1});
    t.close();
    CreateMissingTables();
    ASSERT_EQ(t.open(), 0);
    EXPECT_EQ(t.records(), 1);
    t.close();
}

} // namespace
} // namespace qv::qvls::testing
