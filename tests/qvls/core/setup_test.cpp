#include <gtest/gtest.h>

#include <algorithm>

#include "platform/framework/handover.h"
#include "setup_fixture.h"

namespace qv::qvls::testing {
namespace {

constexpr const char* kCompleted = "SetupWizardComplete=1\nCascadeDefault=1\n";

bool opened(const rt::HeadlessHost& host, std::string_view name)
{
    const auto& log = host.log();
    return std::find(log.begin(), log.end(), "open " + std::string(name)) != log.end();
}

using SetupWindow = SetupFixture;

TEST_F(SetupWindow, FirstRunShowsTheWizardInstead)
{
    host->startProcedure("Setup");
    ASSERT_NE(host->window("SetupWizard"), nullptr);
    EXPECT_FALSE(opened(*host, "Setup"));
    host->press(*host->window("SetupWizard"), "?Cancel");
    EXPECT_TRUE(host->openWindows().empty()) << "Setup ends with the wizard";
    EXPECT_FALSE(opened(*host, "Setup"));
}

TEST_F(SetupWindow, DateFormatsMapBothWays)
{
    ASSERT_EQ(dateFormatChoices().size(), 15u);
    for (const DateFormatChoice& c : dateFormatChoices()) {
        EXPECT_EQ(dateTextForToken(c.token), c.text);
        EXPECT_EQ(dateTokenForText(c.text), std::string(c.token));
    }
    EXPECT_EQ(dateTextForToken("n4b"), "Year Only");
    EXPECT_EQ(dateTextForToken("d6 "), "31/10/1959") << "padding of a hand-edited file";
    EXPECT_EQ(dateTextForToken("d9"), "");
    EXPECT_EQ(dateTextForToken(""), "");
    EXPECT_EQ(dateTokenForText("31.10.1959"), std::nullopt);
    EXPECT_EQ(dateTokenForText(""), std::nullopt);

    // The window shows the text of the current token, and blank for a token
    // the list does not know.
    for (auto [token, text] : {std::pair<const char*, const char*>{"d4", "October 31, 1959"}, {"d99", ""}}) {
        writeSettings(std::string(kCompleted) + "DateFormat=" + token + "\n");
        LoadSettings();
        rt::Window* w = open("Setup", "Setup");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ((*w)["?DateFormat"].value(), text);
        EXPECT_EQ((*w)["?DateFormat"].list()->rowCount(), 15);
        host->press(*w, "?OK");
        host->settle();
        EXPECT_EQ(settingsKeys()["DateFormat"], token) << "a text not in the list leaves the format as it was";
    }
}

TEST_F(SetupWindow, DriveListHasDefaultAndOneRowPerDrive)
{
    writeSettings(std::string(kCompleted) + "CDDrive=E:\n");
    LoadSettings();
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    rt::Control& list = (*w)["?CDDrive"];
    ASSERT_EQ(list.list()->rowCount(), 3);
    const char* rows[][2] = {{"", "Default"}, {"D:", "CD-ROM"}, {"E:", "CD-ROM"}};
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(list.list()->cell(r, 0), rows[r][0]);
        EXPECT_EQ(list.list()->cell(r, 1), rows[r][1]);
    }
    EXPECT_EQ(list.selected(), 3) << "the drive in use is highlighted";

    host->choose(*w, "?CDDrive", 2);
    EXPECT_EQ(settings().CDDrive, "D:");
    host->choose(*w, "?CDDrive", 1);
    EXPECT_EQ(settings().CDDrive, "") << "Default gives a blank drive, never \":\"";
    host->choose(*w, "?CDDrive", 3);
    host->press(*w, "?CDDrive"); // a double-click chooses too
    EXPECT_EQ(settings().CDDrive, "E:");
    host->press(*w, "?OK");
    EXPECT_EQ(settingsKeys()["CDDrive"], "E:");
}

TEST_F(SetupWindow, WithoutDrivesOnlyDefaultIsOffered)
{
    cdaudio::OpticalDrives::setLister([] { return std::vector<std::string>{}; });
    writeSettings(std::string(kCompleted) + "CDDrive=D:\n");
    LoadSettings();
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ((*w)["?CDDrive"].list()->rowCount(), 1);
    EXPECT_EQ((*w)["?CDDrive"].selected(), 0) << "a drive that is not there is not highlighted";
    host->press(*w, "?OK");
    EXPECT_EQ(settings().CDDrive, "D:") << "nothing chosen keeps the setting";
    EXPECT_EQ(driveForRow(rt::ListQueue(2), 1), "");
}

TEST_F(SetupWindow, YearOnlyMatrix)
{
    struct Case {
        const char* from; // DateFormat before
        const char* chosen; // date text chosen
        bool info; // the information box
        bool question; // the conversion question
        int answer;
        const char* saved;
    };
    const Case cases[] = {
        {"d6", "Year Only", true, true, rt::button::Yes, "n4b"},
        {"d6", "Year Only", true, true, rt::button::No, "n4b"},
        {"", "Year Only", true, true, rt::button::No, "n4b"},
        {"n4b", "Year Only", false, false, 0, "n4b"},
        {"d6", "10/31/59", true, false, 0, "d1"},
        {"d6", "31/10/1959", false, false, 0, "d6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.chosen);
        ran.clear();
        writeSettings(std::string(kCompleted) + "DateFormat=" + c.from + "\n");
        LoadSettings();
        rt::Window* w = open("Setup", "Setup");
        ASSERT_NE(w, nullptr);
        host->enter(*w, "?DateFormat", c.chosen);
        host->press(*w, "?OK");
        if (c.info) {
            EXPECT_EQ(box().substr(0, 40), "Information: Date format changes will no");
            host->answer(rt::button::Ok);
        }
        if (c.question) {
            ASSERT_EQ(box(),
                "Basic Format Changed: Convert existing entries to Year Only format (day and month "
                "information will be lost!)?");
            EXPECT_EQ(host->messageBox()->defaultAnswer(), rt::button::Yes);
            host->answer(c.answer);
        }
        EXPECT_EQ(box(), "");
        EXPECT_FALSE(isOpen(w));
        const std::vector<std::string> converted{"ConvertDateToYear", "ConvertAlbumDateToYear"};
        EXPECT_EQ(ran, c.answer == rt::button::Yes ? converted : std::vector<std::string>{});
        EXPECT_EQ(settingsKeys()["DateFormat"], c.saved);
    }
}

TEST_F(SetupWindow, OkSavesTheEditsAndCancelRestoresTheFile)
{
    const std::string file = std::string(kCompleted)
        + "Interface=Standard\nUDKPrompt=Custom\nAddMode=Normal\nSU_Albums=0\nAutoAddToAlbums=1\n"
          "GLO:Delimiter=.\nMCIMode=Open\n";
    writeSettings(file);
    LoadSettings();
    settings().CDDrive = "D:"; // the file has no drive: LoadSettings keeps the one in memory
    const Settings before = settings();

    auto edit = [&](rt::Window& w) {
        host->enter(w, "?Interface", "Explorer");
        host->enter(w, "?UDKPrompt", "Mood");
        host->enter(w, "?AddMode", "Compilation");
        host->enter(w, "?Delimiter", "}");
        host->enter(w, "?SU_Albums", "1");
        host->enter(w, "?AutoAddToAlbums", "");
        host->enter(w, "?MCIMode", "Share");
        host->choose(w, "?CDDrive", 3);
        EXPECT_EQ(settings().Interface, "Explorer") << "controls edit the settings in place";
        EXPECT_EQ(settings().CDDrive, "E:");
    };

    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    edit(*w);
    host->press(*w, "?Cancel");
    EXPECT_FALSE(isOpen(w));
    EXPECT_EQ(settingsFile(), "[Settings]\n" + file) << "Cancel writes nothing";
    EXPECT_EQ(settings().Interface, before.Interface);
    EXPECT_EQ(settings().UDKPrompt, before.UDKPrompt);
    EXPECT_EQ(settings().AddMode, before.AddMode);
    EXPECT_EQ(settings().GLO_Delimiter, before.GLO_Delimiter);
    EXPECT_EQ(settings().SU_Albums, before.SU_Albums);
    EXPECT_EQ(settings().AutoAddToAlbums, before.AutoAddToAlbums);
    EXPECT_EQ(settings().MCIMode, before.MCIMode);
    EXPECT_EQ(settings().CDDrive, "D:") << "the drive chosen before Cancel does not stay";

    w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    edit(*w);
    host->press(*w, "?OK");
    auto keys = settingsKeys();
    EXPECT_EQ(keys["Interface"], "Explorer");
    EXPECT_EQ(keys["UDKPrompt"], "Mood");
    EXPECT_EQ(keys["AddMode"], "Compilation");
    EXPECT_EQ(keys["GLO:Delimiter"], "}");
    EXPECT_EQ(keys["SU_Albums"], "1");
    EXPECT_EQ(keys["AutoAddToAlbums"], "0");
    EXPECT_EQ(keys["MCIMode"], "Share");
    EXPECT_EQ(keys["CDDrive"], "E:");
}

TEST_F(SetupWindow, OptionGroupsShowWhatAFirstStartsValuesMean)
{
    writeSettings(kCompleted);
    LoadSettings();
    ASSERT_EQ(settings().AddMode, "1");
    ASSERT_EQ(settings().LabelArtistTitleOrder, "1");
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ((*w)["?AddMode"].value(), "Normal");
    EXPECT_EQ((*w)["?LabelArtistTitleOrder"].value(), "Title - Artist");
    host->enter(*w, "?LabelArtistTitleOrder", "Artist - Title");
    host->press(*w, "?OK");
    EXPECT_EQ(settingsKeys()["LabelArtistTitleOrder"], "Artist - Title");
    EXPECT_EQ(settingsKeys()["AddMode"], "1") << "a choice the user left alone stays as it was";
}

TEST_F(SetupWindow, StartUpListsAreReadAgainFromTheFile)
{
    writeSettings(std::string(kCompleted) + "SU_Songs=1\n");
    LoadSettings();
    settings().SU_Albums = 1; // not in the file: reads as 0
    settings().SU_Songs = 0;
    settings().SU_Both = 1; // not read again
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ((*w)["?SU_Albums"].value(), "");
    EXPECT_EQ((*w)["?SU_Songs"].value(), "1");
    EXPECT_EQ((*w)["?SU_Both"].value(), "1");
}

TEST_F(SetupWindow, HousekeepingAnswers)
{
    struct Case {
        const char* button;
        std::vector<int> answers; // message-box answers, in order
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"?CreateAlbums", {rt::button::Yes}, {"CreateDefaultAlbums"}},
        {"?CreateAlbums", {rt::button::No}, {}},
        {"?TestAlbumLinks", {rt::button::Yes}, {"TestAlbumIDs"}},
        {"?TestAlbumLinks", {rt::button::No}, {}},
        {"?MassModifications", {1}, {"SetAllDiscTo1"}},
        {"?MassModifications", {2}, {"ZeroLeadFileNumbers"}},
        {"?MassModifications", {3}, {}},
        {"?FileManager", {}, {"DataFileManager"}},
    };
    writeSettings(kCompleted);
    LoadSettings();
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        ran.clear();
        host->press(*w, c.button);
        for (int a : c.answers) {
            ASSERT_NE(host->messageBox(), nullptr);
            if (std::string(c.button) == "?MassModifications") {
                EXPECT_EQ(host->messageBox()->title(), "Mass Modifications");
                ASSERT_EQ(host->messageBox()->buttons().size(), 3u);
                EXPECT_EQ(host->messageBox()->buttons()[0].text, "Side/Disc");
                EXPECT_EQ(host->messageBox()->defaultAnswer(), 1);
            } else {
                EXPECT_EQ(host->messageBox()->title(), "Housekeeping");
                EXPECT_EQ(host->messageBox()->defaultAnswer(), rt::button::No);
            }
            host->answer(a);
        }
        EXPECT_EQ(box(), "");
        EXPECT_EQ(ran, c.expected);
        EXPECT_TRUE(isOpen(w)) << "housekeeping keeps the window open";
    }
}

TEST_F(SetupWindow, MassModificationsSoundsTheQuestionBeepBeforeItAsks)
{
    writeSettings(kCompleted);
    LoadSettings();
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(host->beeps().empty());
    const std::size_t before = host->log().size();
    host->press(*w, "?MassModifications");
    const std::vector<std::string> since(host->log().begin() + static_cast<std::ptrdiff_t>(before), host->log().end());
    EXPECT_EQ(since, (std::vector<std::string>{"beep 32", "open Mass Modifications"}));
    ASSERT_NE(host->messageBox(), nullptr);
    host->answer(3);
    EXPECT_EQ(host->beeps(), std::vector<int>{rt::sound::Question});

    // The other housekeeping questions come without one.
    host->press(*w, "?CreateAlbums");
    ASSERT_NE(host->messageBox(), nullptr);
    host->answer(rt::button::No);
    EXPECT_EQ(host->beeps(), std::vector<int>{rt::sound::Question});
}

TEST_F(SetupWindow, AMissingHousekeepingProcedureSaysSo)
{
    host->start("probe", [] { callHousekeeping({"SetAllDiscTo1", "NoSuchTool"}, "Mass Modifications: Side/Disc"); });
    host->settle();
    EXPECT_EQ(box(), "Not Available: Mass Modifications: Side/Disc is not available yet.");
    host->answer(rt::button::Ok);
    EXPECT_TRUE(host->openWindows().empty());
}

TEST_F(SetupWindow, BrowseSetsTheLogoAndACancelLeavesIt)
{
    writeSettings(std::string(kCompleted) + "Logo=/pictures/old.png\n");
    LoadSettings();
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    const auto before = std::filesystem::current_path();

    host->press(*w, "?Browse");
    auto* d = host->dialog<rt::FileDialogWindow>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->request().title, "Choose a File");
    EXPECT_EQ(d->request().filter, "All Files|*.*");
    d->answer(std::nullopt);
    host->settle();
    EXPECT_EQ(settings().Logo, "/pictures/old.png");
    EXPECT_EQ((*w)["?Logo"].value(), "/pictures/old.png");

    host->press(*w, "?Browse");
    d = host->dialog<rt::FileDialogWindow>();
    ASSERT_NE(d, nullptr);
    rt::FileDialogSpec chosen = d->request();
    chosen.fileName = "/pictures/new logo.png";
    d->answer(chosen);
    host->settle();
    EXPECT_EQ(settings().Logo, "/pictures/new logo.png");
    EXPECT_EQ((*w)["?Logo"].value(), "/pictures/new logo.png");
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST_F(SetupWindow, UseSetupWizardHandsOverAndCloses)
{
    writeSettings(kCompleted);
    LoadSettings();
    rt::Window* w = open("Setup", "Setup");
    ASSERT_NE(w, nullptr);
    host->press(*w, "?UseWizard");
    rt::Window* wizard = host->window("SetupWizard");
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(isOpen(w)) << "Setup waits for the wizard";
    host->press(*wizard, "?Cancel");
    EXPECT_FALSE(isOpen(w));
    EXPECT_TRUE(host->openWindows().empty());
}

} // namespace
} // namespace qv::qvls::testing
