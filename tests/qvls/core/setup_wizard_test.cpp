#include <gtest/gtest.h>

#include "qvls/core/setup_wizard.h"
#include "qvls/core/wizard_sheet.h"
#include "setup_fixture.h"

namespace qv::qvls::testing {
namespace {

class SetupWizardTest : public SetupFixture
{
protected:
    rt::Window* start()
    {
        rt::Window* w = open("SetupWizard", "SetupWizard");
        EXPECT_NE(w, nullptr);
        return w;
    }
    // Step, then whether Back and Next are enabled, Finish shown, and which
    // button is the default.
    std::string buttons(rt::Window& w) const
    {
        std::string s = std::to_string(w["?Sheet"].selected());
        s += w["?Back"].enabled() ? " back" : " -";
        s += w["?Next"].enabled() ? " next" : " -";
        s += w["?Finish"].hidden() ? " -" : " finish";
        s += w["?Next"].isDefault() ? " [next]" : "";
        s += w["?Finish"].isDefault() ? " [finish]" : "";
        return s;
    }
};

TEST_F(SetupWizardTest, NavigationWalksTheSixSteps)
{
    rt::Window* w = start();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(wizardStyle((*w)["?Sheet"])) << "the tabs are not shown";
    EXPECT_EQ(buttons(*w), "1 - next - [next]");
    const char* forward[] = {"2 back next - [next]", "3 back next - [next]", "4 back next - [next]",
        "5 back next - [next]", "6 back - finish [finish]"};
    for (const char* expected : forward) {
        host->press(*w, "?Next");
        EXPECT_EQ(buttons(*w), expected);
    }
    EXPECT_FALSE((*w)["?Next"].enabled()) << "the last step goes no further";
    host->press(*w, "?Back");
    EXPECT_EQ(buttons(*w), "5 back next - [next]");
    for (int i = 0; i < 4; ++i)
        host->press(*w, "?Back");
    EXPECT_EQ(buttons(*w), "1 - next - [next]");
    EXPECT_FALSE((*w)["?Back"].enabled()) << "the first step goes no further back";

    // Choosing a tab some other way does not change the step.
    host->choose(*w, "?Sheet", 4);
    EXPECT_EQ((*w)["?Sheet"].selected(), 1);
    host->press(*w, "?Next");
    EXPECT_EQ(buttons(*w), "2 back next - [next]");
}

TEST_F(SetupWizardTest, FirstRunFinishesWithYearOnlyAndNoQuestion)
{
    rt::Window* w = start();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ((*w)["?DateFormat"].value(), "Year Only");
    for (int i = 0; i < 5; ++i)
        host->press(*w, "?Next");
    host->press(*w, "?Finish");
    EXPECT_EQ(box(), "") << "the old format is blank: nothing to convert";
    EXPECT_FALSE(isOpen(w));
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(settings().DateFormat, "n4b");
    EXPECT_EQ(settings().SetupWizardComplete, 1);
    auto keys = settingsKeys();
    EXPECT_EQ(keys["DateFormat"], "n4b");
    EXPECT_EQ(keys["SetupWizardComplete"], "1");

    // Setup opens normally afterwards.
    host->startProcedure("Setup");
    EXPECT_NE(host->window("Setup"), nullptr);
}

TEST_F(SetupWizardTest, FinishWritesExactlyItsKeys)
{
    // A few keys the wizard does not own, and one it does.
    const std::string file = "CascadeDefault=1\nUseLog=1\nMCIMode=Open\nDbgMode=1\nShowTips=1\nDateFormat=d6\n";
    writeSettings(file);
    rt::Window* w = start();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(settingsFile(), "[Settings]\n" + file) << "opening writes nothing";
    const auto before = settingsKeys();

    host->press(*w, "?Next");
    host->choose(*w, "?CDDrive", 3);
    host->press(*w, "?Next");
    host->enter(*w, "?DateFormat", "10/31/1959");
    host->press(*w, "?Next");
    host->enter(*w, "?UDKPrompt", "Mood");
    host->press(*w, "?Next");
    host->enter(*w, "?SU_Songs", "1");
    host->enter(*w, "?ShowTips", "");
    host->press(*w, "?Next");
    host->press(*w, "?Finish");
    ASSERT_FALSE(isOpen(w));

    std::map<std::string, std::string> expected = before;
    for (auto [k, v] : std::initializer_list<std::pair<const char*, const char*>>{{"AutoAddToAlbums", "1"},
             {"AddMode", "1"}, {"LabelArtistTitleOrder", "1"}, {"GLO:Delimiter", "."}, {"UDKPrompt", "Mood"},
             {"NotesLabel", "Notes"}, {"Setup", "1"}, {"Interface", "Standard"}, {"SU_Albums", "0"}, {"SU_Songs", "1"},
             {"SU_Playlists", "0"}, {"SU_Labels", "0"}, {"ShowTips", "0"}, {"Logo", ""},
             {"DefaultWizardCompilation", "0"}, {"SetupWizardComplete", "1"}, {"CDDrive", "E:"}, {"DateFormat", "d2"}})
        expected[k] = v;
    EXPECT_EQ(settingsKeys(), expected);
}

TEST_F(SetupWizardTest, YearOnlyFromAFullDateAsks)
{
    for (int answer : {rt::button::No, rt::button::Yes}) {
        ran.clear();
        writeSettings("CascadeDefault=1\nDateFormat=d6\n");
        rt::Window* w = start();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ((*w)["?DateFormat"].value(), "31/10/1959");
        host->enter(*w, "?DateFormat", "Year Only");
        for (int i = 0; i < 5; ++i)
            host->press(*w, "?Next");
        host->press(*w, "?Finish");
        ASSERT_EQ(box().substr(0, 29), "Basic Format Changed: Convert");
        host->answer(answer);
        EXPECT_FALSE(isOpen(w));
        EXPECT_EQ(settingsKeys()["DateFormat"], "n4b") << "No still writes Year Only";
        EXPECT_EQ(ran.size(), answer == rt::button::Yes ? 2u : 0u);
    }
}

TEST_F(SetupWizardTest, CancelWritesNothingAndForgetsTheEdits)
{
    const std::string file = "CascadeDefault=1\nCDDrive=D:\nUDKPrompt=Custom\nSU_Albums=1\n";
    writeSettings(file);
    settings().Interface = "Explorer"; // an edit never saved: the wizard reads the file again
    rt::Window* w = start();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(settings().Interface, "Standard");
    host->press(*w, "?Next");
    host->choose(*w, "?CDDrive", 3);
    EXPECT_EQ(settings().CDDrive, "E:") << "a drive takes effect at once";
    host->choose(*w, "?CDDrive", 1);
    EXPECT_EQ(settings().CDDrive, "");
    host->press(*w, "?Next");
    host->press(*w, "?Next");
    host->enter(*w, "?UDKPrompt", "Mood");
    host->press(*w, "?Next");
    host->enter(*w, "?SU_Albums", "");
    settings().CDTimer = 300; // the CD player's set-up, on another thread, meanwhile
    host->press(*w, "?Cancel");
    EXPECT_FALSE(isOpen(w));
    EXPECT_EQ(settings().CDTimer, 300) << "a cancel puts back only what the wizard edits";
    EXPECT_EQ(settingsFile(), "[Settings]\n" + file);
    EXPECT_EQ(settings().CDDrive, "D:");
    EXPECT_EQ(settings().UDKPrompt, "Custom");
    EXPECT_EQ(settings().SU_Albums, 1);
    EXPECT_EQ(settings().SetupWizardComplete, 0) << "an uncompleted wizard returns at the next start";

    // A later save stores none of the cancelled choices.
    SaveSettings();
    EXPECT_EQ(settingsKeys()["CDDrive"], "D:");
    EXPECT_EQ(settingsKeys()["UDKPrompt"], "Custom");
}

} // namespace
} // namespace qv::qvls::testing
