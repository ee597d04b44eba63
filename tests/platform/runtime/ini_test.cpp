#include "platform/runtime/ini.h"

#include "services_fixture.h"
#define QV_IO_FAULT_SHIM
#include "support/io_fault.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <filesystem>

namespace qv::rt {
namespace {

using testing::readFile;
using testing::ScopedCurrentFolder;
using testing::ScopedEnv;
using testing::ScratchFolder;
using testing::writeFile;

// A collection folder as the current folder and a configuration folder of
// its own, so nothing reaches the real home.
class IniFileTest : public ::testing::Test
{
protected:
    IniFileTest()
        : config_("XDG_CONFIG_HOME", scratch_ / "config")
    {
        std::filesystem::create_directories(scratch_ / "collection");
        cwd_.emplace(scratch_ / "collection");
    }

    std::string collection(const std::string& name) const { return scratch_ / ("collection/" + name); }

    ScratchFolder scratch_;
    ScopedEnv config_;
    std::optional<ScopedCurrentFolder> cwd_;
};

TEST_F(IniFileTest, AwkwardTextRoundTrips)
{
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"BrowseAlbums", "BrovexFormatString-?Browse:11", "60L(2)|M~Artist~@s50@#1#120L(2)|M~Title~@s50@#2#"},
        {"BrowseAlbums", "Tab:?CurrentTab", "2"},
        {"Global Settings", "LastDirectory", "/home/me/My Music/Rock & Roll\\Live"},
        {"Settings", "Logo", "C:\\Pictures\\logo 1.bmp"},
        {"Settings", "MCIMode", "'Share'"},
        {"Settings", "GLO:Delimiter", "."},
        {"Settings", "Quoted", "\"two words\""},
        {"BriefSNG:SongsByMedia", "FontName[0]BriefSNG:SongsByMedia", "Arial"},
        {"DISPLAY STRINGS 2.0", "ProgWinTitlePrvw", "Report [Preview] - page 1 of ?"},
        {"Odd]Section", "k", "ends with ]"},
        {"Odd]Section", "with=inside", "a=b=c"},
        {"Album", "Album", "Caf\xC3\xA9 \xC3\x9C ber Alles @ 50% ~ |"},
        {"Album", "Empty", ""},
    };
    IniFile ini = IniFile::named(".\\QVLROCFG.INI");
    for (const Case& c : cases) {
        std::string_view key = c.key;
        bool writable = key.find('=') == std::string_view::npos;
        EXPECT_EQ(ini.set(c.section, c.key, c.value), writable) << c.key;
    }
    IniFile again = IniFile::named(".\\qvlrocfg.ini");
    for (const Case& c : cases) {
        std::string_view key = c.key;
        if (key.find('=') != std::string_view::npos) {
            EXPECT_FALSE(again.find(c.section, c.key)) << c.key;
            continue;
        }
        auto v = again.find(c.section, c.key);
        ASSERT_TRUE(v) << c.section << " / " << c.key;
        EXPECT_EQ(*v, c.value) << c.key;
    }
    EXPECT_EQ(again.sections(),
        (std::vector<std::string>{"BrowseAlbums", "Global Settings", "Settings", "BriefSNG:SongsByMedia",
            "DISPLAY STRINGS 2.0", "Odd]Section", "Album"}));
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndFirstOccurrenceCounts)
{
    writeFile(collection("POSITION.INI"),
        "[Main]\n"
        "  XPos = 10  \n"
        "xpos=99\n"
        "[BrowseAlbums]\n"
        "Maximize=Yes\n"
        "[MAIN]\n"
        "YPos=5\n");
    IniFile ini = IniFile::named(".\\position.ini");
    EXPECT_EQ(ini.get("main", "XPOS", "-"), "10");
    EXPECT_EQ(ini.get("Main ", " xPos", "-"), "10");
    EXPECT_EQ(ini.get("browsealbums", "MAXIMIZE", "-"), "Yes");
    // The second [MAIN] is never consulted, as with the Windows calls.
    EXPECT_EQ(ini.get("Main", "YPos", "none"), "none");
}

TEST_F(IniFileTest, UpdatesKeepEveryOtherByte)
{
    for (std::string eol : {"\n", "\r\n"}) {
        auto text = [&](std::initializer_list<const char*> lines, bool finalEol = true) {
            std::string out;
            size_t i = 0;
            for (const char* l : lines) {
                out += l;
                if (++i < lines.size() || finalEol)
                    out += eol;
            }
            return out;
        };
        std::string path = collection("QVLROCFG.INI");
        writeFile(path,
            text({"; preferences of this collection", "[Settings]", "SU_Albums = 1", "Logo=old.bmp   ", "",
                "[Global Settings]", "\tVersion=2.60", "; kept"}));
        IniFile ini = IniFile::named(".\\QVLROCFG.INI");

        ASSERT_TRUE(ini.set("SETTINGS", "logo", "C:\\new logo.bmp"));
        ASSERT_TRUE(ini.set("Settings", "SU_Albums", "0"));
        ASSERT_TRUE(ini.set("Settings", "Interface", "Explorer"));
        ASSERT_TRUE(ini.set("Global Settings", "LastDirectory", "/music"));
        ASSERT_TRUE(ini.set("Album", "FileNumber", "CD1000"));
        EXPECT_EQ(readFile(path),
            text({"; preferences of this collection", "[Settings]", "SU_Albums = 0", "Logo=C:\\new logo.bmp",
                "Interface=Explorer", "", "[Global Settings]", "\tVersion=2.60", "LastDirectory=/music", "; kept",
                "[Album]", "FileNumber=CD1000"}))
            << (eol == "\n" ? "LF" : "CRLF");
        EXPECT_EQ(ini.get("settings", "logo"), "C:\\new logo.bmp");

        // A last line without its line ending gets one before anything follows.
        writeFile(path, text({"[A]", "k=1"}, false));
        ASSERT_TRUE(ini.set("A", "j", "2"));
        ASSERT_TRUE(ini.set("B", "x", "3"));
        EXPECT_EQ(readFile(path), text({"[A]", "k=1", "j=2", "[B]", "x=3"}));
    }
}

TEST_F(IniFileTest, WritingTheSameValueLeavesTheFileAlone)
{
    std::string path = collection("POSITION.INI");
    writeFile(path, "[Main]\nXPos=10\n");
    struct stat st1;
    ASSERT_EQ(::stat(path.c_str(), &st1), 0);
    ASSERT_TRUE(IniFile::named(".\\POSITION.INI").set("main", "xpos", "10"));
    struct stat st2;
    ASSERT_EQ(::stat(path.c_str(), &st2), 0);
    EXPECT_EQ(st1.st_ino, st2.st_ino);
}

TEST_F(IniFileTest, MissingFileAndKeysGiveDefaults)
{
    IniFile ini = IniFile::named("CPCSRPTS.INI");
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.get("DISPLAY STRINGS 2.0", "ProgWinTitlePrvw", "Preview"), "Preview");
    EXPECT_EQ(ini.getInt("Settings", "CDTimer", 150), 150);
    EXPECT_TRUE(ini.sections().empty());
    EXPECT_TRUE(ini.entries("Settings").empty());
    EXPECT_TRUE(ini.removeKey("Settings", "x"));
    EXPECT_TRUE(ini.removeSection("Settings"));
    EXPECT_FALSE(ini.exists()) << "removing from a missing file must not create it";

    writeFile(collection("QVLROCFG.INI"),
        "[Settings]\n"
        "CDTimer=12abc\n"
        "SaveLastTab=\n"
        "ShowTips=Yes\n"
        "Tip=-7\n"
        "Big=99999999999999999999999\n");
    IniFile cfg = IniFile::named(".\\QVLROCFG.INI");
    struct IntCase {
        const char* key;
        long long expected;
    };
    for (IntCase c : {IntCase{"CDTimer", 12}, IntCase{"SaveLastTab", 0}, IntCase{"ShowTips", 0}, IntCase{"Tip", -7},
             IntCase{"Big", LLONG_MAX}, IntCase{"Missing", 42}})
        EXPECT_EQ(cfg.getInt("Settings", c.key, 42), c.expected) << c.key;
    EXPECT_EQ(cfg.get("Settings", "SaveLastTab", "1"), "") << "an empty value is a value, not a missing key";
}

TEST_F(IniFileTest, ReadsCrlfFilesFromOtherSystems)
{
    writeFile(collection("TRAKHAND.INI"), "\xEF\xBB\xBF[Default]\r\nAutomaticMode=Y\r\nProxy = host:8080 \r\n");
    IniFile ini = IniFile::named(".\\TRAKHAND.INI");
    EXPECT_EQ(ini.get("Default", "AutomaticMode"), "Y");
    EXPECT_EQ(ini.get("Default", "Proxy"), "host:8080");
    ASSERT_TRUE(ini.set("Default", "AutomaticMode", "N"));
    EXPECT_EQ(
        readFile(collection("TRAKHAND.INI")), "\xEF\xBB\xBF[Default]\r\nAutomaticMode=N\r\nProxy = host:8080 \r\n");
}

TEST_F(IniFileTest, SectionListingAndRemoval)
{
    std::string path = collection("POSITION.INI");
    writeFile(path,
        "[BrowseAlbums]\n"
        "Maximize=No\n"
        "; a note\n"
        "not a key\n"
        "XPos=1\n"
        "xpos=2\n"
        "\n"
        "[Splash]\n"
        "XPos=3\n"
        "[browsealbums]\n"
        "YPos=4\n");
    IniFile ini = IniFile::named(".\\POSITION.INI");
    auto entries = ini.entries("BROWSEALBUMS");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].key, "Maximize");
    EXPECT_EQ(entries[2].key, "xpos");
    EXPECT_EQ(entries[2].value, "2");
    EXPECT_EQ(ini.keys("Splash"), std::vector<std::string>{"XPos"});

    // Every spelling of the key goes, so no later duplicate shows through.
    ASSERT_TRUE(ini.removeKey("BrowseAlbums", "XPOS"));
    EXPECT_FALSE(ini.find("BrowseAlbums", "XPos"));
    EXPECT_EQ(readFile(path),
        "[BrowseAlbums]\n"
        "Maximize=No\n"
        "; a note\n"
        "not a key\n"
        "\n"
        "[Splash]\n"
        "XPos=3\n"
        "[browsealbums]\n"
        "YPos=4\n");

    ASSERT_TRUE(ini.removeSection("browseALBUMS"));
    EXPECT_EQ(readFile(path), "[Splash]\nXPos=3\n");
    EXPECT_EQ(ini.sections(), std::vector<std::string>{"Splash"});
}

TEST_F(IniFileTest, RefusesTextThatWouldNotReadBack)
{
    std::string path = collection("QVLROCFG.INI");
    writeFile(path, "[Settings]\nA=1\n");
    IniFile ini = IniFile::named(".\\QVLROCFG.INI");
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    for (Case c : {Case{"Settings", "a=b", "1"}, Case{"Settings", "[x", "1"}, Case{"Settings", ";x", "1"},
             Case{"Settings", "", "1"}, Case{"", "k", "1"}, Case{"Settings", "k", "two\nlines"},
             Case{"Settings", "k", "cr\rinside"}, Case{"Two\nLines", "k", "1"}})
        EXPECT_FALSE(ini.set(c.section, c.key, c.value)) << c.section << "/" << c.key << "/" << c.value;
    EXPECT_EQ(readFile(path), "[Settings]\nA=1\n");
}

TEST_F(IniFileTest, NamesWithoutFolderLiveInTheConfigurationFolder)
{
    ASSERT_TRUE(IniFile::named("QVLRO98.INI").set("Settings", "SetupWizardComplete", "1"));
    EXPECT_EQ(readFile(scratch_ / "config/quorvel/QVLRO98.INI"), "[Settings]\nSetupWizardComplete=1\n");
    EXPECT_FALSE(std::filesystem::exists(collection("QVLRO98.INI")));

    // One file, however the program spells it.
    writeFile(collection("QVLROCFG.INI"), "[Settings]\nUseLog=0\n");
    ASSERT_TRUE(IniFile::named(".\\qvlrocfg.ini").set("settings", "UseLog", "1"));
    EXPECT_EQ(readFile(collection("QVLROCFG.INI")), "[Settings]\nUseLog=1\n");
    EXPECT_FALSE(std::filesystem::exists(collection("qvlrocfg.ini")));
    EXPECT_EQ(IniFile::named(".\\QVLROCFG.INI   ").path(), "./QVLROCFG.INI");
}

TEST_F(IniFileTest, SeesChangesMadeByOthers)
{
    std::string path = collection("POSITION.INI");
    IniFile ini = IniFile::named(".\\POSITION.INI");
    ASSERT_TRUE(ini.set("Main", "XPos", "1"));
    EXPECT_EQ(ini.get("Main", "XPos"), "1");
    // Another program rewrites the file in place, same size, within the same
    // tick of a coarse file clock: size, identity and time all stay.
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    writeFile(path, "[Main]\nXPos=2\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(ini.get("Main", "XPos"), "2");
    // And another instance of this one writes through its own object.
    ASSERT_TRUE(IniFile(path).set("Main", "YPos", "7"));
    EXPECT_EQ(ini.get("Main", "YPos"), "7");
}

TEST_F(IniFileTest, WritesLeaveNoTemporaryFilesAndKeepPermissions)
{
    std::string path = collection("QVLRORPT.INI");
    writeFile(path, "[Fonts]\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    IniFile ini = IniFile::named(".\\QVLRORPT.INI");
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(ini.setInt("Fonts", "FontSizePrintAlbumsByArtist", i));
    EXPECT_EQ(ini.getInt("Fonts", "FontSizePrintAlbumsByArtist", -1), 4);
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(scratch_ / "collection")) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(std::filesystem::status(path).permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// The faults told, as the program would tell them to the user.
class IniFaultTest : public IniFileTest
{
protected:
    IniFaultTest()
    {
        setIniFaultReporter([this](const IniFault& f) { faults.push_back(f); });
    }
    ~IniFaultTest() override { setIniFaultReporter(nullptr); }

    std::vector<IniFault> faults;
};

// A settings file of seventeen lines: no failed read may leave fewer.
const std::string kSeventeenLines = [] {
    std::string text = "[Settings]\n";
    for (int i = 1; i <= 15; ++i)
        text += "Key" + std::to_string(i) + "=" + std::to_string(i * 7) + "\n";
    return text + "; the user's note\n";
}();

TEST_F(IniFaultTest, AFileThatCannotBeReadIsNeverWrittenOver)
{
    struct Case {
        const char* what;
        qv::testing::IoFault::Where where;
        int error;
    } cases[] = {
        {"no read permission", qv::testing::IoFault::Open, EACCES},
        {"an I/O error", qv::testing::IoFault::Read, EIO},
        {"a folder where the file should be", qv::testing::IoFault::None, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        faults.clear();
        const std::string path = collection(std::string("QVLROCFG-") + std::to_string(c.error) + ".INI");
        if (c.error == EISDIR)
            std::filesystem::create_directory(path);
        else
            writeFile(path, kSeventeenLines);
        {
            qv::testing::FaultyFile fault(path, c.where, c.error);
            IniFile ini(path);
            EXPECT_EQ(ini.get("Settings", "Key3", "default"), "default");
            EXPECT_EQ(ini.getInt("Settings", "Key4", -1), -1);
            EXPECT_FALSE(ini.set("Settings", "CascadeDefault", "1"));
            EXPECT_FALSE(ini.set("Other", "Key", "1"));
            EXPECT_FALSE(ini.removeKey("Settings", "Key5"));
            EXPECT_FALSE(ini.removeSection("Settings"));
        }
        if (c.error != EISDIR) {
            EXPECT_EQ(readFile(path), kSeventeenLines);
        }
        ASSERT_EQ(faults.size(), 1u) << "told once";
        EXPECT_EQ(faults[0].path, path);
        EXPECT_EQ(faults[0].error, c.error);
        EXPECT_FALSE(faults[0].writing);
        EXPECT_EQ(faults[0].reason, std::strerror(c.error));
    }
}

TEST_F(IniFaultTest, AFileMadeReadOnlyIsNotReplaced)
{
    const std::string path = collection("POSITION.INI");
    writeFile(path, kSeventeenLines);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    IniFile ini = IniFile::named(".\\POSITION.INI");
    EXPECT_EQ(ini.get("Settings", "Key3"), "21");
    EXPECT_FALSE(ini.set("BrowseAlbums", "XPos", "10"));
    EXPECT_FALSE(ini.set("Settings", "Key3", "22"));
    EXPECT_FALSE(ini.removeKey("Settings", "Key3"));
    EXPECT_EQ(readFile(path), kSeventeenLines);
    EXPECT_EQ(std::filesystem::status(path).permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ASSERT_EQ(faults.size(), 1u) << "told once";
    EXPECT_EQ(faults[0].path, path);
    EXPECT_TRUE(faults[0].writing);
    EXPECT_EQ(faults[0].reason, "the file is read-only");
}

TEST_F(IniFaultTest, ALinkIsWrittenThroughAndNeverReplaced)
{
    // A link to a file not made yet, in a folder that is there: the file is made.
    std::filesystem::create_directory(scratch_ / "elsewhere");
    const std::string target = scratch_ / "elsewhere/QVLROCFG.INI";
    std::filesystem::create_symlink(target, collection("QVLROCFG.INI"));
    EXPECT_TRUE(IniFile::named(".\\QVLROCFG.INI").set("Settings", "ShowTips", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(collection("QVLROCFG.INI")));
    EXPECT_EQ(readFile(target), "[Settings]\nShowTips=1\n");

    // A link into a folder that is not there (a drive not mounted): nothing is written.
    const std::string gone = scratch_ / "unmounted/POSITION.INI";
    std::filesystem::create_symlink(gone, collection("POSITION.INI"));
    EXPECT_FALSE(IniFile::named(".\\POSITION.INI").set("Main", "XPos", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(collection("POSITION.INI")));
    EXPECT_EQ(std::filesystem::read_symlink(collection("POSITION.INI")), gone);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].error, ENOENT);
    EXPECT_TRUE(faults[0].writing);
}

} // namespace
} // namespace qv::rt
