#include "core_fixture.h"

#include <map>
#include <sstream>
#include <vector>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/ini.h"
#include "qvls/core/placement.h"
#define QV_IO_FAULT_SHIM
#include "support/io_fault.h"

namespace qv::qvls::testing {
namespace {

using Settings_ = CollectionFolder;

rt::IniFile settingsFile()
{
    return rt::IniFile::named(kSettingsFile);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// Every global of "Settings" as text, by key, so whole states compare at once.
std::map<std::string, std::string> snapshot(const Settings& s)
{
    auto n = [](int v) { return std::to_string(v); };
    return {
        {"SU_Albums", n(s.SU_Albums)},
        {"SU_Songs", n(s.SU_Songs)},
        {"SU_Playlists", n(s.SU_Playlists)},
        {"SU_Labels", n(s.SU_Labels)},
        {"SU_Both", n(s.SU_Both)},
        {"AutoAddToAlbums", s.AutoAddToAlbums},
        {"AddMode", s.AddMode},
        {"LabelArtistTitleOrder", s.LabelArtistTitleOrder},
        {"GLO:Delimiter", s.GLO_Delimiter},
        {"UDKPrompt", s.UDKPrompt},
        {"NotesLabel", s.NotesLabel},
        {"DateFormat", s.DateFormat},
        {"Logo", s.Logo},
        {"ForcePreview", n(s.ForcePreview)},
        {"UseLog", n(s.UseLog)},
        {"Interface", s.Interface},
        {"CDTimer", n(s.CDTimer)},
        {"SetupWizardComplete", n(s.SetupWizardComplete)},
        {"DefaultWizardCompilation", n(s.DefaultWizardCompilation)},
        {"SaveLastTab", n(s.SaveLastTab)},
        {"AltCasFmt", n(s.AltCasFmt)},
        {"DbgMode", n(s.DbgMode)},
        {"ShowTips", n(s.ShowTips)},
        {"CDDBAutomaticMode", n(s.CDDBAutomaticMode)},
        {"AutoComplete", n(s.AutoComplete)},
        {"DefaultMedia", s.DefaultMedia},
        {"DefaultCategory", s.DefaultCategory},
        {"Autocapstyle", s.Autocapstyle},
        {"CDDrive", s.CDDrive},
        {"CascadeDefault", n(s.CascadeDefault)},
        {"CascadeFileNumber", n(s.CascadeFileNumber)},
        {"CascadeMedia", n(s.CascadeMedia)},
        {"CascadeCategory", n(s.CascadeCategory)},
        {"CascadeReleaseDate", n(s.CascadeReleaseDate)},
        {"MCIMode", s.MCIMode},
    };
}

TEST_F(Settings_, EmptyCollectionGetsEveryDefault)
{
    glo().reportStyle = "Brief";
    glo().selectedOrAll = "Selected";
    glo().reportPreview = 0;
    LoadSettings();
    const std::map<std::string, std::string> expected{
        {"SU_Albums", "0"},
        {"SU_Songs", "0"},
        {"SU_Playlists", "0"},
        {"SU_Labels", "0"},
        {"SU_Both", "0"},
        {"AutoAddToAlbums", "1"},
        {"AddMode", "1"},
        {"LabelArtistTitleOrder", "1"},
        {"GLO:Delimiter", "."},
        {"UDKPrompt", "Custom"},
        {"NotesLabel", "Notes"},
        {"DateFormat", ""},
        {"Logo", ""},
        {"ForcePreview", "0"},
        {"UseLog", "0"},
        {"Interface", "Standard"},
        {"CDTimer", "150"},
        {"SetupWizardComplete", "0"},
        {"DefaultWizardCompilation", "0"},
        {"SaveLastTab", "1"},
        {"AltCasFmt", "0"},
        {"DbgMode", "0"},
        {"ShowTips", "1"},
        {"CDDBAutomaticMode", "0"},
        {"AutoComplete", "0"},
        {"DefaultMedia", "CD"},
        {"DefaultCategory", ""},
        {"Autocapstyle", "Mixed-case"},
        {"CDDrive", "  "},
        {"CascadeDefault", "1"},
        {"CascadeFileNumber", "1"},
        {"CascadeMedia", "1"},
        {"CascadeCategory", "0"},
        {"CascadeReleaseDate", "0"},
        {"MCIMode", "'Share'"},
    };
    EXPECT_EQ(snapshot(settings()), expected);
    EXPECT_EQ(glo().reportStyle, "Standard");
    EXPECT_EQ(glo().selectedOrAll, "All");
    EXPECT_EQ(glo().reportPreview, 1);
    EXPECT_NE(settings().MCIMode, "Open"); // so the CD device opens shareable
}

TEST_F(Settings_, MissingKeysKeepTheGlobalsChosenDuringThisRun)
{
    writeFile(collection("QVLROCFG.INI"), "[Settings]\nCascadeDefault=1\nInterface=Explorer\n");
    Settings& s = settings();
    s.Autocapstyle = "UPPER";
    s.CDDrive = "E:";
    s.MCIMode = "Open";
    s.CascadeFileNumber = 0;
    s.CascadeMedia = 1;
    s.CascadeCategory = 1;
    s.CascadeReleaseDate = 1;
    s.Interface = "Standard";
    LoadSettings();
    EXPECT_EQ(s.Autocapstyle, "UPPER");
    EXPECT_EQ(s.CDDrive, "E:");
    EXPECT_EQ(s.MCIMode, "Open");
    EXPECT_EQ(s.CascadeFileNumber, 0);
    EXPECT_EQ(s.CascadeMedia, 1);
    EXPECT_EQ(s.CascadeCategory, 1);
    EXPECT_EQ(s.CascadeReleaseDate, 1);
    EXPECT_EQ(s.Interface, "Explorer");
}

TEST_F(Settings_, CascadeValuesAreGivenOnceAndNeverAgain)
{
    const std::string before = "; the user's notes\r\n[Settings]\r\nInterface=Explorer\r\nCascadeMedia=0\r\n"
                               "\r\n[Album]\r\nFileNumber=CD007\r\n";
    writeFile(collection("QVLROCFG.INI"), before);
    LoadSettings();
    const std::string after = readFile(collection("QVLROCFG.INI"));
    // The first values overwrite what the file held, as the key said none were given yet.
    EXPECT_EQ(after,
        "; the user's notes\r\n[Settings]\r\nInterface=Explorer\r\nCascadeMedia=1\r\n"
        "CascadeDefault=1\r\nCascadeFileNumber=1\r\nCascadeCategory=0\r\nCascadeReleaseDate=0\r\n"
        "\r\n[Album]\r\nFileNumber=CD007\r\n");
    EXPECT_EQ(settings().CascadeFileNumber, 1);
    EXPECT_EQ(settings().CascadeMedia, 1);
    EXPECT_EQ(settings().CascadeCategory, 0);
    EXPECT_EQ(settings().CascadeReleaseDate, 0);

    // The user's later choices stand.
    rt::IniFile ini = settingsFile();
    ini.setInt("Settings", "CascadeCategory", 1);
    ini.setInt("Settings", "CascadeMedia", 0);
    const std::string chosen = readFile(collection("QVLROCFG.INI"));
    const auto stamp = std::filesystem::last_write_time(collection("QVLROCFG.INI"));
    settings() = Settings{};
    LoadSettings();
    EXPECT_EQ(readFile(collection("QVLROCFG.INI")), chosen);
    EXPECT_EQ(std::filesystem::last_write_time(collection("QVLROCFG.INI")), stamp);
    EXPECT_EQ(settings().CascadeCategory, 1);
    EXPECT_EQ(settings().CascadeMedia, 0);
}

TEST_F(Settings_, SaveWritesItsThirtyKeysAndLeavesEveryOtherLine)
{
    const std::string before = "[Global Settings]\nFrameLogo=C:\\Pictures\\frame.bmp\nLastDirectory=/music\n"
                               "[Settings]\n; kept\nCDTimer=200\nMainLogo=main.jpg\nTip=17\nCascadeDefault=1\n"
                               "Interface=Standard\nDbgMode=1\nEmailAddress=me@example.org\n"
                               "[Album]\nFileNumber=CD999\nFileNumberFormat=2,3\n";
    writeFile(collection("QVLROCFG.INI"), before);
    Settings& s = settings();
    s.Interface = "Explorer";
    s.CDTimer = 999; // not SaveSettings' to write
    s.DbgMode = 0; // nor this
    SaveSettings();

    const std::vector<std::string> owned{"AddMode", "AltCasFmt", "AutoAddToAlbums", "AutoComplete", "Autocapstyle",
        "CDDBAutomaticMode", "CDDrive", "CascadeCategory", "CascadeFileNumber", "CascadeMedia", "CascadeReleaseDate",
        "DateFormat", "DefaultWizardCompilation", "ForcePreview", "GLO:Delimiter", "Interface", "LabelArtistTitleOrder",
        "Logo", "MCIMode", "NotesLabel", "SU_Albums", "SU_Both", "SU_Labels", "SU_Playlists", "SU_Songs", "SaveLastTab",
        "Setup", "ShowTips", "UDKPrompt", "UseLog"};
    ASSERT_EQ(owned.size(), 30u);

    // The lines that were there are all still there, unchanged but for Interface.
    const auto now = lines(readFile(collection("QVLROCFG.INI")));
    std::vector<std::string> old = lines(before);
    for (auto& l : old)
        if (l == "Interface=Standard")
            l = "Interface=Explorer";
    std::vector<std::string> kept;
    for (const auto& l : now)
        if (std::find(old.begin(), old.end(), l) != old.end())
            kept.push_back(l);
    EXPECT_EQ(kept, old);

    // What was added is exactly the owned keys that were missing, in the order written.
    std::vector<std::string> added;
    for (const auto& l : now)
        if (std::find(old.begin(), old.end(), l) == old.end())
            added.push_back(l.substr(0, l.find('=')));
    std::vector<std::string> expectedAdded;
    for (const auto& k : owned)
        if (k != "Interface")
            expectedAdded.push_back(k);
    EXPECT_EQ(added, expectedAdded);

    rt::IniFile ini = settingsFile();
    EXPECT_EQ(ini.get("Settings", "Setup"), "1");
    EXPECT_EQ(ini.get("Settings", "CDTimer"), "200");
    EXPECT_EQ(ini.get("Settings", "DbgMode"), "1");
    EXPECT_FALSE(ini.find("Settings", "SetupWizardComplete"));
    EXPECT_FALSE(ini.find("Settings", "DefaultMedia"));
    EXPECT_EQ(ini.keys("Global Settings").size(), 2u);
    EXPECT_EQ(ini.keys("Album").size(), 2u);
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Global Settings", "Settings", "Album"}));
}

TEST_F(Settings_, AutomaticModeOfTheLookupTool)
{
    writeFile(collection("TRAKHAND.INI"), "[Default]\nAutomaticMode=Y\nServer=freedb.example\n[Disc]\nTracks=12\n");
    for (auto [mode, expected] :
        std::vector<std::pair<int, const char*>>{{0, "N"}, {1, "Y"}, {2, "Y"}, {255, "Y"}, {-1, "Y"}}) {
        settings().CDDBAutomaticMode = mode;
        SaveSettings();
        const rt::IniFile trakhand = rt::IniFile::named(kTrakhandIni);
        EXPECT_EQ(trakhand.get("Default", "AutomaticMode"), expected) << mode;
        EXPECT_EQ(trakhand.get("Default", "Server"), "freedb.example");
        EXPECT_EQ(trakhand.get("Disc", "Tracks"), "12");
    }
}

TEST_F(Settings_, AwkwardValuesComeBackAsTheyWent)
{
    struct Case {
        const char* what;
        std::string Settings::*member;
        std::string value;
    };
    const std::vector<Case> cases{
        {"windows path with blanks", &Settings::Logo, "C:\\My Music\\Cover Art\\logo [1].jpg"},
        {"posix path with blanks", &Settings::Logo, "/home/me/My Pictures/a=b; c.png"},
        {"bracket delimiter", &Settings::GLO_Delimiter, "]"},
        {"equals delimiter", &Settings::GLO_Delimiter, "="},
        {"semicolon delimiter", &Settings::GLO_Delimiter, ";"},
        {"blank delimiter", &Settings::GLO_Delimiter, " "},
        {"quoted mode", &Settings::MCIMode, "'Share'"},
        {"open mode", &Settings::MCIMode, "Open"},
        {"prompt in brackets", &Settings::UDKPrompt, "[Key]"},
        {"quotes", &Settings::NotesLabel, "\"Notes\""},
        {"accented", &Settings::UDKPrompt, "Clé privée"},
        {"drive", &Settings::CDDrive, "D:"},
    };
    for (const Case& c : cases) {
        settings() = Settings{};
        settings().*c.member = c.value;
        SaveSettings();
        settings() = Settings{};
        LoadSettings();
        EXPECT_EQ(settings().*c.member, c.value) << c.what;
    }
}

TEST_F(Settings_, TextsAreCutToTheirLengthButPathsStayWhole)
{
    const std::string longPath = "/srv/music/" + std::string(300, 'x') + "/logo.png";
    writeFile(collection("QVLROCFG.INI"),
        "[Settings]\nCascadeDefault=1\nUDKPrompt=" + std::string(30, 'u')
            + "\nCDDrive=D:\\\nDateFormat=d17 and more\nLogo=" + longPath + "\nNotesLabel=Ünïcödé Ñötés Läbél Ëxträ\n");
    LoadSettings();
    EXPECT_EQ(settings().UDKPrompt, std::string(24, 'u'));
    EXPECT_EQ(settings().CDDrive, "D:");
    EXPECT_EQ(settings().DateFormat, "d17 an");
    EXPECT_EQ(settings().Logo, longPath);
    EXPECT_EQ(settings().NotesLabel, "Ünïcödé Ñötés Läbél "); // 20 characters, not bytes
}

TEST_F(Settings_, SingleKeysAreWrittenByName)
{
    settings().CDTimer = 75;
    settings().ShowTips = 0;
    settings().GLO_Delimiter = "|";
    EXPECT_TRUE(writeSetting("CDTimer"));
    EXPECT_TRUE(writeSetting("showtips"));
    EXPECT_TRUE(writeSetting("GLO:Delimiter"));
    EXPECT_TRUE(writeSetting("Setup"));
    EXPECT_FALSE(writeSetting("NoSuchKey"));
    const rt::IniFile ini = settingsFile();
    EXPECT_EQ(ini.get("Settings", "CDTimer"), "75");
    EXPECT_EQ(ini.get("Settings", "ShowTips"), "0");
    EXPECT_EQ(ini.get("Settings", "GLO:Delimiter"), "|");
    EXPECT_EQ(ini.get("Settings", "Setup"), "1");
    EXPECT_EQ(ini.keys("Settings").size(), 4u);
}

TEST_F(Settings_, SettingsFileNamedByTheGlobal)
{
    glo().settingsFile = "other.ini"; // a bare name: the configuration folder
    settings().Interface = "Explorer";
    SaveSettings();
    EXPECT_TRUE(std::filesystem::exists(config("other.ini")));
    EXPECT_FALSE(std::filesystem::exists(collection("QVLROCFG.INI")));
    glo().settingsFile = "";
    LoadSettings(); // blank: the collection's own file
    EXPECT_TRUE(std::filesystem::exists(collection("QVLROCFG.INI")));
    EXPECT_EQ(settings().Interface, "Standard");
}

class Migration : public CollectionFolder
{
protected:
    void writeOld(const std::string& text)
    {
        std::filesystem::create_directories(config(""));
        writeFile(config("QVLRO98.INI"), text);
    }
};

TEST_F(Migration, CarriesWhatSaveWritesAndTheFrameLogo)
{
    writeOld("[Settings]\nSetupWizardComplete=1\nInterface=Explorer\nLogo=C:\\Logos\\my logo.bmp\n"
             "CDDBAutomaticMode=1\nCascadeDefault=1\nCascadeFileNumber=0\nCascadeMedia=0\nCascadeCategory=1\n"
             "CascadeReleaseDate=1\nCDTimer=300\nDefaultMedia=LP\nTip=9\nMCIMode=Open\n"
             "[Global Settings]\nFrameLogo=C:\\Logos\\frame.bmp\nLastMP3Directory=D:\\MP3\n"
             "[Album]\nFileNumber=CD042\n");
    glo().settingsFile = "";
    ASSERT_TRUE(migrateOldSettings());
    EXPECT_EQ(glo().settingsFile, ".\\QVLROCFG.INI");

    const rt::IniFile ini = settingsFile();
    EXPECT_EQ(ini.get("Settings", "Interface"), "Explorer");
    EXPECT_EQ(ini.get("Settings", "Logo"), "C:\\Logos\\my logo.bmp");
    EXPECT_EQ(ini.get("Settings", "MCIMode"), "Open");
    EXPECT_EQ(ini.get("Settings", "SetupWizardComplete"), "1");
    EXPECT_EQ(ini.get("Global Settings", "FrameLogo"), "C:\\Logos\\frame.bmp");
    for (auto [section, key] :
        std::vector<std::pair<const char*, const char*>>{{"Settings", "CDTimer"}, {"Settings", "DefaultMedia"},
            {"Settings", "Tip"}, {"Global Settings", "LastMP3Directory"}, {"Album", "FileNumber"}})
        EXPECT_FALSE(ini.find(section, key)) << key;
    EXPECT_EQ(rt::IniFile::named(kTrakhandIni).get("Default", "AutomaticMode"), "Y");

    // The frame loads the new file next: the user's Cascade choices survive it.
    settings() = Settings{};
    LoadSettings();
    EXPECT_EQ(settings().CascadeFileNumber, 0);
    EXPECT_EQ(settings().CascadeMedia, 0);
    EXPECT_EQ(settings().CascadeCategory, 1);
    EXPECT_EQ(settings().CascadeReleaseDate, 1);
    EXPECT_EQ(settings().SetupWizardComplete, 1);
    EXPECT_EQ(settings().CDTimer, 150);
}

TEST_F(Migration, AnOldFileWithoutCascadeValuesGetsThemFirst)
{
    writeOld("[Settings]\nSetupWizardComplete=1\n");
    ASSERT_TRUE(migrateOldSettings());
    const rt::IniFile old = rt::IniFile::named(kOldSettingsFile);
    EXPECT_EQ(old.get("Settings", "CascadeDefault"), "1");
    const rt::IniFile ini = settingsFile();
    EXPECT_EQ(ini.get("Settings", "CascadeFileNumber"), "1");
    EXPECT_EQ(ini.get("Settings", "CascadeMedia"), "1");
    EXPECT_EQ(ini.get("Settings", "CascadeCategory"), "0");
    EXPECT_FALSE(ini.find("Global Settings", "FrameLogo"));
}

TEST_F(Migration, OnlyOnceAndOnlyAfterACompletedSetup)
{
    struct Case {
        const char* what;
        std::optional<std::string> old;
        std::optional<std::string> current;
    };
    const std::vector<Case> cases{
        {"no old file", std::nullopt, std::nullopt},
        {"set-up not completed", "[Settings]\nSetupWizardComplete=0\nInterface=Explorer\n", std::nullopt},
        {"set-up key missing", "[Settings]\nInterface=Explorer\n", std::nullopt},
        {"new file already there", "[Settings]\nSetupWizardComplete=1\nInterface=Explorer\n",
            "[Settings]\nInterface=Standard\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(config("QVLRO98.INI"));
        std::filesystem::remove(collection("qvlrocfg.ini"));
        if (c.old)
            writeOld(*c.old);
        if (c.current)
            writeFile(collection("qvlrocfg.ini"), *c.current); // found whatever its case
        EXPECT_FALSE(migrateOldSettings()) << c.what;
        EXPECT_EQ(std::filesystem::exists(collection("QVLROCFG.INI")), false) << c.what;
        if (c.current) {
            EXPECT_EQ(readFile(collection("qvlrocfg.ini")), *c.current) << c.what;
        }
        EXPECT_EQ(glo().settingsFile, ".\\QVLROCFG.INI");
    }
}

// The user's settings file as the program left it: seventeen lines.
const std::string kUsersFile = "[Settings]\nSU_Albums=1\nSU_Songs=1\nInterface=Explorer\nShowTips=0\nUDKPrompt=Label\n"
                               "NotesLabel=Liner\nCDDrive=E:\nCascadeDefault=1\nCascadeFileNumber=0\nCascadeMedia=0\n"
                               "MCIMode=Open\nSetupWizardComplete=1\n[Global Settings]\nVersion=2.61\n"
                               "FrameLogo=/home/me/logo.png\n; kept by hand\n";

// The program's way of telling a file fault, on a thread of the headless host.
class SettingsFaults : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        reportIniFaults();
    }
    void TearDown() override
    {
        rt::setIniFaultReporter(nullptr);
        CollectionFolder::TearDown();
    }
    // Runs the work on a thread; the boxes it shows are answered and kept.
    void run(std::function<void()> work)
    {
        bool done = false;
        host.start("Work", [&] {
            work();
            done = true;
        });
        while (rt::MessageBoxWindow* box = host.messageBox()) {
            boxes.push_back(box->title() + ": " + box->text());
            host.answer(rt::button::Ok);
        }
        EXPECT_TRUE(done);
    }

    rt::HeadlessHost host;
    std::vector<std::string> boxes;
};

class UnreadableSettings : public SettingsFaults, public ::testing::WithParamInterface<qv::testing::IoFault::Where>
{ };

// A settings file that cannot be read gives the program's defaults, in memory only: the
// file is never written over, and the user is told once.
TEST_P(UnreadableSettings, AreToldOnceAndNeverWrittenOver)
{
    const std::filesystem::path file = collection("QVLROCFG.INI");
    writeFile(file, kUsersFile);
    const int error = GetParam() == qv::testing::IoFault::Open ? EACCES : EIO;
    {
        qv::testing::FaultyFile fault(file.string(), GetParam(), error);
        run([] {
            LoadSettings();
            settings().ShowTips = 1;
            SaveSettings();
            writeSetting("ShowTips");
        });
    }
    EXPECT_EQ(readFile(file), kUsersFile);
    const std::string reason = error == EACCES ? "Permission denied" : "Input/output error";
    EXPECT_EQ(boxes,
        std::vector<std::string>{"Settings Not Read: The file " + file.string() + " could not be read: " + reason
            + ".\nThe program goes on with its defaults and leaves the file as it is."});
    EXPECT_EQ(settings().Interface, "Standard");
    EXPECT_EQ(settings().SU_Albums, 0);
    EXPECT_EQ(settings().CascadeDefault, 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, UnreadableSettings,
    ::testing::Values(qv::testing::IoFault::Open, qv::testing::IoFault::Read),
    [](const auto& info) { return info.param == qv::testing::IoFault::Open ? "NoReadPermission" : "IOError"; });

TEST_F(SettingsFaults, AReadOnlySettingsFileIsReadKeptAndToldOnce)
{
    const std::filesystem::path file = collection("QVLROCFG.INI");
    writeFile(file, kUsersFile);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    run([] {
        LoadSettings();
        settings().ShowTips = 1;
        SaveSettings();
        SaveSettings();
    });
    EXPECT_EQ(settings().Interface, "Explorer");
    EXPECT_EQ(readFile(file), kUsersFile);
    EXPECT_EQ(boxes,
        std::vector<std::string>{"Settings Not Saved: The file " + file.string()
            + " could not be written: the file is read-only.\nChanges meant for it are kept only until "
              "the program ends."});
}

TEST_F(SettingsFaults, AReadOnlyPositionFileIsKeptAndToldOnce)
{
    const std::filesystem::path file = collection("POSITION.INI");
    const std::string positions = "[BrowseAlbums]\nMaximize=No\nXPos=5\nYPos=6\nWidth=80\nHeight=70\n";
    writeFile(file, positions);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    fw::IniStore store(kPositionFile);
    rt::Window window(
        rt::parseWindowDef("title: Albums\nat: [10, 20, 300, 200]\nflags: [resizable]\n", "test", "BrowseAlbums"));
    run([&] {
        SaveWindowPosition(store, "BrowseAlbums", window);
        SaveWindowPosition(store, "BrowseSongs", window);
    });
    EXPECT_EQ(readFile(file), positions);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, boxes[0].find('\n')),
        "Settings Not Saved: The file " + file.string() + " could not be written: the file is read-only.");
}

} // namespace
} // namespace qv::qvls::testing
