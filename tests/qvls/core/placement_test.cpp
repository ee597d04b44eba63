#include "core_fixture.h"

#include <map>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/window.h"
#include "qvls/core/placement.h"

namespace qv::qvls::testing {
namespace {

std::unique_ptr<rt::Window> makeWindow(bool resizable, const std::string& extra = {})
{
    std::string yaml = "title: Albums\nat: [10, 20, 300, 200]\n";
    if (resizable)
        yaml += "flags: [resizable]\n";
    yaml += extra;
    return std::make_unique<rt::Window>(rt::parseWindowDef(yaml, "test", "BrowseAlbums"));
}

using Keys = std::map<std::string, std::string>;

Keys section(const std::string& name)
{
    Keys out;
    for (const auto& e : rt::IniFile::named(kPositionFile).entries(name))
        out[e.key] = e.value;
    return out;
}

class Placement : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        store.init(kPositionFile);
    }
    fw::IniStore store;
};

TEST_F(Placement, SavedOnlyWhenWorthKeeping)
{
    const Keys before{{"Maximize", "No"}, {"XPos", "5"}, {"YPos", "6"}, {"Height", "70"}, {"Width", "80"}};
    struct Case {
        const char* what;
        bool resizable, hidden, iconized, maximized;
        rt::Rect at;
        Keys expected;
    };
    const std::vector<Case> cases{
        {"resizable", true, false, false, false, {10, 20, 300, 200},
            {{"Maximize", "No"}, {"XPos", "10"}, {"YPos", "20"}, {"Height", "200"}, {"Width", "300"}}},
        {"fixed size keeps no size", false, false, false, false, {10, 20, 300, 200},
            {{"Maximize", "No"}, {"XPos", "10"}, {"YPos", "20"}, {"Height", "70"}, {"Width", "80"}}},
        {"at the very edge", true, false, false, false, {0, 0, 300, 200},
            {{"Maximize", "No"}, {"XPos", "0"}, {"YPos", "0"}, {"Height", "200"}, {"Width", "300"}}},
        {"maximized keeps the normal placement", true, false, false, true, {0, 0, 900, 700},
            {{"Maximize", "Yes"}, {"XPos", "5"}, {"YPos", "6"}, {"Height", "70"}, {"Width", "80"}}},
        {"maximized beyond the edge", true, false, false, true, {-4, -4, 900, 700},
            {{"Maximize", "Yes"}, {"XPos", "5"}, {"YPos", "6"}, {"Height", "70"}, {"Width", "80"}}},
        {"minimized", true, false, true, false, {10, 20, 300, 200}, before},
        {"hidden", true, true, false, false, {10, 20, 300, 200}, before},
        {"off the left edge", true, false, false, false, {-1, 20, 300, 200}, before},
        {"off the top edge", true, false, false, false, {10, -30, 300, 200}, before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.removeSection("BrowseAlbums");
        store.writePlacement("BrowseAlbums", {false, 5, 6, 80, 70});
        auto w = makeWindow(c.resizable);
        w->setGeometry(c.at);
        w->setHidden(c.hidden);
        w->setIconized(c.iconized);
        w->setMaximized(c.maximized);
        SaveWindowPosition(store, "BrowseAlbums", *w);
        EXPECT_EQ(section("BrowseAlbums"), c.expected);
    }
}

TEST_F(Placement, FirstCloseCreatesTheSectionAndOthersStay)
{
    writeFile(collection("POSITION.INI"), "[Main]\nMaximize=Yes\n[BrowseAlbums]\nFormat=1,2,3\n");
    auto w = makeWindow(true);
    w->setGeometry({1, 2, 3, 4});
    SaveWindowPosition(store, "UpdateAlbum", *w);
    SaveWindowPosition(store, "BrowseAlbums", *w);
    EXPECT_EQ(section("Main"), (Keys{{"Maximize", "Yes"}}));
    EXPECT_EQ(section("UpdateAlbum"),
        (Keys{{"Maximize", "No"}, {"XPos", "1"}, {"YPos", "2"}, {"Height", "4"}, {"Width", "3"}}));
    EXPECT_EQ(section("BrowseAlbums").at("Format"), "1,2,3");
}

TEST_F(Placement, RestoredAsSaved)
{
    struct Case {
        const char* what;
        bool resizable;
        std::string file; // the section's lines; empty: saved from `saved`
        rt::Rect saved;
        bool savedMaximized;
        rt::Rect expected;
        bool expectedMaximized;
    };
    const rt::Rect defined{10, 20, 300, 200};
    const std::vector<Case> cases{
        {"moved and sized", true, "", {40, 50, 320, 240}, false, {40, 50, 320, 240}, false},
        {"fixed size only moves", false, "Maximize=No\nXPos=40\nYPos=50\nWidth=999\nHeight=999\n", {}, false,
            {40, 50, 300, 200}, false},
        {"maximized", true, "", {0, 0, 900, 700}, true, defined, true},
        {"no placement", true, "Format=1\n", {}, false, defined, false},
        {"no position", true, "Maximize=No\nWidth=500\n", {}, false, defined, false},
        {"empty position", true, "Maximize=No\nXPos=\nYPos=3\n", {}, false, defined, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.removeSection("BrowseAlbums");
        if (c.file.empty()) {
            auto w = makeWindow(c.resizable);
            w->setGeometry(c.saved);
            w->setMaximized(c.savedMaximized);
            SaveWindowPosition(store, "BrowseAlbums", *w);
        } else {
            writeFile(collection("POSITION.INI"), "[BrowseAlbums]\n" + c.file);
        }
        auto w = makeWindow(c.resizable);
        restoreWindowPosition(store, "BrowseAlbums", *w);
        const rt::Rect at = w->geometry();
        EXPECT_EQ(std::vector<int>({at.x, at.y, at.width, at.height}),
            std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}));
        EXPECT_EQ(w->maximized(), c.expectedMaximized);
    }
}

TEST(KeepWindowOnScreen, PullsBackFromTheTopAndLeft)
{
    struct Case {
        rt::Rect at;
        bool maximized;
        rt::Rect expected;
    };
    const std::vector<Case> cases{
        {{-20, 30, 100, 50}, false, {1, 30, 100, 50}},
        {{20, -3, 100, 50}, false, {20, 1, 100, 50}},
        {{-20, -3, 100, 50}, false, {1, 1, 100, 50}},
        {{0, 0, 100, 50}, false, {0, 0, 100, 50}},
        {{-20, -3, 100, 50}, true, {-20, -3, 100, 50}},
    };
    for (const Case& c : cases) {
        auto w = makeWindow(true);
        w->setGeometry(c.at);
        w->setMaximized(c.maximized);
        KeepWindowOnScreen(*w);
        const rt::Rect at = w->geometry();
        EXPECT_EQ(std::vector<int>({at.x, at.y, at.width, at.height}),
            std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}));
    }
}

// A report that remembers which fonts it was given, in order.
class FakeReport : public ReportFontTarget
{
public:
    void setReportFont(const ReportFont& f) override { calls.push_back("report " + f.name); }
    std::size_t controlCount() const override { return 3; }
    void setControlFont(std::size_t i, const ReportFont& f) override
    {
        calls.push_back("control " + std::to_string(i) + " " + f.name);
    }
    std::vector<std::string> calls;
};

class ReportFonts : public CollectionFolder
{
protected:
    rt::FontDialogWindow* dialog() { return host.dialog<rt::FontDialogWindow>(); }
    void choose(FakeReport& report, bool force)
    {
        host.start("Report", [&] { ChooseReportFont(report, "BriefSNG:SongsByArtist", force); });
    }
    rt::HeadlessHost host;
};

TEST_F(ReportFonts, OnlyWhenCustomFontsAreOnOrForced)
{
    FakeReport report;
    glo().reportCustomFont = 0;
    choose(report, false);
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_TRUE(report.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(collection("QVLRORPT.INI")));

    choose(report, true);
    ASSERT_NE(dialog(), nullptr);
    dialog()->answer(std::nullopt);
    host.settle();

    glo().reportCustomFont = 1;
    choose(report, false);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->title(), "Choose Report Font");
}

TEST_F(ReportFonts, ChosenFontIsAppliedAndKeptWhole)
{
    glo().reportCustomFont = 1;
    FakeReport report;
    choose(report, false);
    ASSERT_NE(dialog(), nullptr);
    // Nothing kept yet: the dialog starts empty.
    EXPECT_EQ(dialog()->request().name, "");
    EXPECT_EQ(dialog()->request().size, 0);
    const std::string longName = "Liberation Sans Narrow Condensed"; // more than 20 characters
    dialog()->answer(rt::FontSpec{longName, 11, 0x0000FF, true, true});
    host.settle();
    EXPECT_EQ(report.calls,
        (std::vector<std::string>{
            "report " + longName, "control 0 " + longName, "control 1 " + longName, "control 2 " + longName}));

    const rt::IniFile ini = rt::IniFile::named(kReportFontFile);
    EXPECT_EQ(ini.get("Fonts", "FontNameBriefSNG:SongsByArtist"), longName);
    EXPECT_EQ(ini.get("Fonts", "FontSizeBriefSNG:SongsByArtist"), "11");
    EXPECT_EQ(ini.get("Fonts", "FontColorBriefSNG:SongsByArtist"), "255");
    EXPECT_EQ(ini.getInt("Fonts", "FontStyleBriefSNG:SongsByArtist", -1), font_style::Bold | font_style::Italic);
    EXPECT_EQ(ini.get("Fonts", "FontCharSetBriefSNG:SongsByArtist"), "0");

    // Next time the dialog starts from what was kept.
    FakeReport again;
    choose(again, false);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->request().name, longName);
    EXPECT_EQ(dialog()->request().size, 11);
    EXPECT_EQ(dialog()->request().color, 0x0000FF);
    EXPECT_TRUE(dialog()->request().bold);
    EXPECT_TRUE(dialog()->request().italic);
    dialog()->answer(std::nullopt);
    host.settle();
}

TEST_F(ReportFonts, WhatTheDialogCannotShowIsKept)
{
    const std::string kept = "[Fonts]\nFontNamePrintAlbumsByArtist=Arial\nFontSizePrintAlbumsByArtist=9\n"
                             "FontColorPrintAlbumsByArtist=0\nFontStylePrintAlbumsByArtist="
        + std::to_string(600 | font_style::Underline) + "\nFontCharSetPrintAlbumsByArtist=161\n";
    writeFile(collection("QVLRORPT.INI"), kept);
    FakeReport report;
    host.start("Report", [&] { ChooseReportFont(report, "PrintAlbumsByArtist", true); });
    ASSERT_NE(dialog(), nullptr);
    rt::FontSpec answer = dialog()->request();
    EXPECT_TRUE(answer.bold); // a weight of 600 shows as bold
    answer.size = 12;
    dialog()->answer(answer);
    host.settle();
    const ReportFont f = readReportFont("PrintAlbumsByArtist");
    EXPECT_EQ(f.name, "Arial");
    EXPECT_EQ(f.size, 12);
    EXPECT_EQ(f.style, 600 | font_style::Underline);
    EXPECT_EQ(f.charSet, 161);
}

TEST_F(ReportFonts, CancelLeavesReportAndFileAlone)
{
    const std::string kept = "[Fonts]\nFontNamePrintAlbumsByArtist=Arial\nFontSizePrintAlbumsByArtist=9\n";
    writeFile(collection("QVLRORPT.INI"), kept);
    FakeReport report;
    host.start("Report", [&] { ChooseReportFont(report, "PrintAlbumsByArtist", true); });
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->request().name, "Arial");
    EXPECT_EQ(dialog()->request().size, 9);
    dialog()->answer(std::nullopt);
    host.settle();
    EXPECT_TRUE(report.calls.empty());
    EXPECT_EQ(readFile(collection("QVLRORPT.INI")), kept);
}

TEST(DatePicture, EveryDatePictureBecomesTheSetting)
{
    struct Case {
        const char* what;
        std::string format, picture, expected;
    };
    std::string wide, wideExpected;
    for (int i = 0; i < 120; ++i) {
        wide += "44L(2)|M~Date~@D1@";
        wideExpected += "44L(2)|M~Date~@d17@";
    }
    const std::vector<Case> cases{
        {"one column", "80L(2)|M~Released~@D6@", "d17", "80L(2)|M~Released~@d17@"},
        {"any case", "80L(2)|M~Released~@d2@", "d6", "80L(2)|M~Released~@d6@"},
        {"several columns", "40L|M~A~@D1@#1#40L|M~B~@s20@#2#40L|M~C~@D17B@#3#", "d6",
            "40L|M~A~@d6@#1#40L|M~B~@s20@#2#40L|M~C~@d6@#3#"},
        {"empty setting", "80L|M~Released~@D6@", "", "80L|M~Released~@@"},
        {"trailing blanks", "80L|M~Released~@D6@", "d6    ", "80L|M~Released~@d6@"},
        {"no date picture", "80L(2)|M~Title~@s40@#1#20R|M~Time~@t4@", "d6", "80L(2)|M~Title~@s40@#1#20R|M~Time~@t4@"},
        {"no closing at sign", "80L|M~Released~@D6", "d6", "80L|M~Released~@D6"},
        {"shorter picture, next column close by", "x@d17b@y@d2@", "d6", "x@d6@y@d6@"},
        {"adjacent pictures", "@D1@@D2@", "d17", "@d17@@d17@"},
        {"longer than 1024 characters", wide, "d17", wideExpected},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyDatePicture(c.format, c.picture), c.expected) << c.what;
}

TEST_F(Placement, ListsTakeTheDateFormatSetting)
{
    auto w = std::make_unique<rt::Window>(rt::parseWindowDef("title: Albums\ncontrols:\n  - {type: list, name: List, "
                                                             "format: \"80L(2)|M~Title~@s40@#1#40L|M~Year~@D6@#2#\"}\n",
        "test", "BrowseAlbums"));
    settings().DateFormat = "d1";
    ApplyDatePicture((*w)["?List"]);
    EXPECT_EQ((*w)["?List"].format(), "80L(2)|M~Title~@s40@#1#40L|M~Year~@d1@#2#");
}

} // namespace
} // namespace qv::qvls::testing
