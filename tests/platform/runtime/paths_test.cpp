#include "platform/runtime/paths.h"

#include "services_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qv::rt {
namespace {

using testing::ScopedCurrentFolder;
using testing::ScopedEnv;
using testing::ScratchFolder;
using testing::writeFile;

TEST(PathsTest, ProgramPathsMapToPosix)
{
    struct Case {
        const char* program;
        const char* posix;
    };
    for (Case c :
        {Case{".\\POSITION.INI", "./POSITION.INI"}, Case{"..\\DELETE.INI", "../DELETE.INI"},
            Case{"QVLRO98.INI      ", "QVLRO98.INI"},
            Case{"C:\\Music\\Rock & Roll\\01 Song.mp3", "/Music/Rock & Roll/01 Song.mp3"},
            Case{"c:song.mp3", "song.mp3"}, Case{"D:", "."}, Case{"/home/me/My Music/a.mp3", "/home/me/My Music/a.mp3"},
            Case{"Tab:?CurrentTab", "Tab:?CurrentTab"}, Case{"", ""}})
        EXPECT_EQ(toPosixPath(c.program), c.posix) << c.program;
}

TEST(PathsTest, JoinPath)
{
    EXPECT_EQ(joinPath("/a/b", "c.ini"), "/a/b/c.ini");
    EXPECT_EQ(joinPath("/a/b/", "c.ini"), "/a/b/c.ini");
    EXPECT_EQ(joinPath("/a", "/abs/c.ini"), "/abs/c.ini");
    EXPECT_EQ(joinPath("", "c.ini"), "c.ini");
}

TEST(PathsTest, ExistingFilesAreFoundWithoutRegardToCase)
{
    ScratchFolder dir;
    writeFile(dir / "QVLConf.tps", "");
    writeFile(dir / "Sub Dir/Song One.MP3", "");
    writeFile(dir / "a.ini", "lower");
    writeFile(dir / "A.INI", "upper");
    ScopedCurrentFolder cwd(dir.path());

    struct Case {
        std::string wanted;
        std::optional<std::string> found;
    };
    const Case cases[] = {
        {"QVLCONF.TPS", "QVLConf.tps"},
        {"./qvlconf.TPS", "./QVLConf.tps"},
        {"sub dir/SONG ONE.mp3", "Sub Dir/Song One.MP3"},
        {dir / "SUB DIR/song one.mp3", dir / "Sub Dir/Song One.MP3"},
        {"a.ini", "a.ini"}, // the exact name first
        {"A.Ini", "A.INI"}, // then the first in byte order
        {"missing.tps", std::nullopt},
        {"Sub Dir/missing.mp3", std::nullopt},
        {"No Dir/Song One.MP3", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findNoCase(c.wanted), c.found) << c.wanted;
}

TEST(PathsTest, ResolveKeepsExistingSpellingAndNamesNewFilesExactly)
{
    ScratchFolder dir;
    writeFile(dir / "Sub Dir/QVLROCFG.INI", "");
    ScopedCurrentFolder cwd(dir.path());
    EXPECT_EQ(resolvePath(".\\SUB DIR\\qvlrocfg.ini"), "./Sub Dir/QVLROCFG.INI");
    EXPECT_EQ(resolvePath(".\\sub dir\\New.INI"), "./Sub Dir/New.INI");
    EXPECT_EQ(resolvePath(".\\Other\\New.INI"), "./Other/New.INI");
}

TEST(PathsTest, IniNamesWithoutFolderGoToTheConfigurationFolder)
{
    ScratchFolder dir;
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir / "xdg");
        EXPECT_EQ(configFolder(), dir / "xdg/quorvel");
        EXPECT_EQ(iniFilePath("QVLRO98.INI"), dir / "xdg/quorvel/QVLRO98.INI");
        EXPECT_EQ(iniFilePath("CPCSRPTS.INI "), dir / "xdg/quorvel/CPCSRPTS.INI");
        EXPECT_EQ(iniFilePath(".\\QVLROCFG.INI"), "./QVLROCFG.INI");
        EXPECT_EQ(iniFilePath("..\\DELETE.INI"), "../DELETE.INI");
        EXPECT_EQ(iniFilePath("C:QVL.INI"), "QVL.INI");
    }
    {
        // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
        ScopedEnv xdg("XDG_CONFIG_HOME", std::string("relative"));
        ScopedEnv home("HOME", dir / "home");
        EXPECT_EQ(iniFilePath("WIN.INI"), dir / "home/.config/quorvel/WIN.INI");
    }
}

TEST(PathsTest, ProgramFolderHoldsTheRunningProgram)
{
    std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(std::filesystem::path(folder + std::filesystem::read_symlink("/proc/self/exe").filename().string()),
        std::filesystem::read_symlink("/proc/self/exe"));
}

} // namespace
} // namespace qv::rt
