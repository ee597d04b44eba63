#include "platform/runtime/process.h"
#include "platform/runtime/shell.h"

#include "services_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace qv::rt {
namespace {

using testing::eventually;
using testing::readFile;
using testing::ScopedCurrentFolder;
using testing::ScopedEnv;
using testing::ScratchFolder;
using testing::writeFile;
using testing::writeScript;

std::string realFolder(const std::string& p)
{
    return std::filesystem::canonical(p).string();
}

TEST(ProcessTest, StartsWithArgumentsAndFolderContainingBlanks)
{
    ScratchFolder dir("qv process");
    std::string work = dir / "work dir";
    std::filesystem::create_directories(work);
    // Quotes, backslashes, blanks and an empty argument arrive untouched: no shell is in between.
    std::vector<std::string> args{
        "-c", "pwd > 'out file'; printf '[%s]\\n' \"$@\" >> 'out file'", "sh", "a b", "c\"d", "e\\f", "", "$HOME"};
    Process p = Process::start("/bin/sh", args, work);
    ASSERT_EQ(p.runCode(), 0);
    EXPECT_EQ(p.wait(), 0u);
    EXPECT_EQ(readFile(work + "/out file"), realFolder(work) + "\n[a b]\n[c\"d]\n[e\\f]\n[]\n[$HOME]\n");
}

TEST(ProcessTest, ExitCodeReads259WhileRunningThenTheRealCode)
{
    ScratchFolder dir("qv process");
    Process p = Process::start("/bin/sh", {"-c", "while [ ! -e go ]; do sleep 0.01; done; exit 7"}, dir.path());
    ASSERT_TRUE(p.started());
    EXPECT_EQ(p.exitCode(), kStillActive);
    EXPECT_EQ(p.exitCode(), kStillActive);
    writeFile(dir / "go", "");
    ASSERT_TRUE(eventually([&] { return p.exitCode() != kStillActive; }));
    EXPECT_EQ(p.exitCode(), 7u);
    EXPECT_EQ(p.wait(), 7u);

    Process killed = Process::start("/bin/sh", {"-c", "kill -TERM $$"});
    ASSERT_TRUE(killed.started());
    EXPECT_EQ(killed.wait(), 128u + SIGTERM);
}

TEST(ProcessTest, FailedStartsGiveARunCodeAndEndAnyWait)
{
    ScratchFolder dir("qv process");
    writeFile(dir / "not executable", "#!/bin/sh\n");
    struct Case {
        std::string program;
        std::string folder;
        int runCode;
    };
    const Case cases[] = {
        {dir / "missing program", "", ENOENT},
        {dir / "not executable", "", EACCES},
        {"/bin/sh", dir / "no such folder", ENOENT},
        {"no-such-program-on-path", "", ENOENT},
        {"", "", ENOENT},
    };
    for (const Case& c : cases) {
        Process p = Process::start(c.program, {}, c.folder);
        EXPECT_EQ(p.runCode(), c.runCode) << c.program;
        EXPECT_NE(p.exitCode(), kStillActive) << c.program;
        EXPECT_EQ(p.wait(), kNoExitCode) << c.program;
    }
}

TEST(ProcessTest, ProgramLeftRunningIsReapedWhenItEnds)
{
    ScratchFolder dir("qv process");
    pid_t pid;
    {
        Process p = Process::start("/bin/sh", {"-c", "while [ ! -e go ]; do sleep 0.01; done"}, dir.path());
        ASSERT_TRUE(p.started());
        pid = p.pid();
    }
    EXPECT_EQ(::kill(pid, 0), 0) << "still running after its Process went away";
    writeFile(dir / "go", "");
    // A zombie still answers kill(pid, 0); a reaped child does not.
    EXPECT_TRUE(eventually([&] { return ::kill(pid, 0) != 0 && errno == ESRCH; }));
}

TEST(ProcessTest, CommandLinesSplitByWindowsRules)
{
    using V = std::vector<std::string>;
    struct Case {
        const char* line;
        V words;
    };
    const Case cases[] = {
        {"TRAKHAND.EXE /S /VID D:", V{"TRAKHAND.EXE", "/S", "/VID", "D:"}},
        {"TRAKHAND.EXE /S /VID   ", V{"TRAKHAND.EXE", "/S", "/VID"}},
        {"SAFKEEP.EXE \"qvldata.tps, qvlalbum.tps, qvlconf.tps, qvlcat.tps, etc.\"",
            V{"SAFKEEP.EXE", "qvldata.tps, qvlalbum.tps, qvlconf.tps, qvlcat.tps, etc."}},
        {"WINHLP32.EXE  C:\\Quorvel\\QVL.HLP", V{"WINHLP32.EXE", "C:\\Quorvel\\QVL.HLP"}},
        {"\"C:\\Program Files\\x.exe\" a\\b \"c d\"", V{"C:\\Program Files\\x.exe", "a\\b", "c d"}},
        {"p a\\\\\"b c\"", V{"p", "a\\b c"}},
        {"p a\\\"b", V{"p", "a\"b"}},
        {"p \"a\"\"b\"", V{"p", "a\"b"}},
        {"p \"\" x", V{"p", "", "x"}},
        {"  \tPALDRO", V{"PALDRO"}},
        {"", V{}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.words) << c.line;
}

class ProcessCommandLineTest : public ::testing::Test
{
protected:
    ProcessCommandLineTest()
    {
        std::filesystem::create_directories(programs_);
        std::filesystem::create_directories(work_);
        writeScript(programs_ + "/trakhand", "printf '[%s]\\n' \"$@\" > args.txt\nexit 3\n");
        writeFile(programs_ + "/notes", "not a program");
    }

    ScratchFolder dir_{"qv process"};
    std::string programs_ = dir_ / "Program Folder";
    std::string work_ = dir_ / "Collection";
};

TEST_F(ProcessCommandLineTest, ProgramsAreFoundByTheirWindowsNames)
{
    using V = std::vector<std::string>;
    std::string trakhand = programs_ + "/trakhand";
    struct Case {
        std::string line;
        bool found;
        std::string program;
        V args;
    };
    const Case cases[] = {
        {"TRAKHAND.EXE /S /VID D:", true, trakhand, V{"/S", "/VID", "D:"}},
        {"trakhand /X", true, trakhand, V{"/X"}},
        // The folder, ending with its separator, and the name, unquoted, as the frame builds it.
        {programs_ + "/TRAKHAND.EXE /A", true, trakhand, V{"/A"}},
        {"\"" + programs_ + "/Trakhand.exe\" /O \"x y\"", true, trakhand, V{"/O", "x y"}},
        {"PALDRO", false, "PALDRO", V{}},
        {"NOTES.EXE /x", false, "NOTES.EXE", V{"/x"}},
        {"sh -c true", true, "", V{"-c", "true"}},
    };
    for (const Case& c : cases) {
        CommandLine cl = resolveCommandLine(c.line, programs_ + "/");
        EXPECT_EQ(cl.found, c.found) << c.line;
        if (!c.program.empty()) {
            EXPECT_EQ(cl.program, c.program) << c.line;
        }
        EXPECT_EQ(cl.args, c.args) << c.line;
    }
}

TEST_F(ProcessCommandLineTest, StartsACommandLineInTheWorkingFolder)
{
    Process p = Process::startCommandLine("TRAKHAND.EXE /S /VID D:", work_, programs_);
    ASSERT_EQ(p.runCode(), 0);
    EXPECT_EQ(p.wait(), 3u);
    EXPECT_EQ(readFile(work_ + "/args.txt"), "[/S]\n[/VID]\n[D:]\n");

    Process missing = Process::startCommandLine("PALDRO", work_, programs_);
    EXPECT_NE(missing.runCode(), 0);
    EXPECT_NE(missing.exitCode(), kStillActive);
}

// The desktop's opener is replaced by a script that records what it was given.
class ShellOpenTest : public ::testing::Test
{
protected:
    ShellOpenTest()
    {
        writeScript(dir_ / "bin/xdg-open",
            "printf '%s\\n' \"$@\" > \"$QV_TEST_OPENED.part\"\n"
            "mv \"$QV_TEST_OPENED.part\" \"$QV_TEST_OPENED\"\n");
        std::filesystem::create_directories(dir_ / "collection");
        cwd_.emplace(dir_ / "collection");
    }

    // What the opener received, once it has run.
    std::string opened()
    {
        if (!eventually([&] { return std::filesystem::exists(log_); }))
            return "<opener never ran>";
        std::string s = readFile(log_);
        std::filesystem::remove(log_);
        return s;
    }

    ScratchFolder dir_{"qv shell"};
    std::string log_ = dir_ / "opened.txt";
    ScopedEnv path_{"PATH", dir_ / "bin" + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")};
    ScopedEnv logEnv_{"QV_TEST_OPENED", log_};
    std::optional<ScopedCurrentFolder> cwd_;
};

TEST_F(ShellOpenTest, OpensFilesAndAddressesWithoutWaiting)
{
    writeFile(dir_ / "collection/Song One.mp3", "");
    writeFile(dir_ / "collection/-rf.mp3", "");
    std::string folder = realFolder(dir_ / "collection");

    EXPECT_GT(shellOpen(".\\SONG ONE.MP3", "play"), 32);
    EXPECT_EQ(opened(), folder + "/Song One.mp3\n");

    EXPECT_GT(shellOpen("-rf.mp3   ", "OPEN"), 32);
    EXPECT_EQ(opened(), folder + "/-rf.mp3\n");

    EXPECT_GT(shellOpen("https://example.org/a b?x=1&y=2"), 32);
    EXPECT_EQ(opened(), "https://example.org/a b?x=1&y=2\n");

    EXPECT_GT(shellOpen("www.example.org", ""), 32);
    EXPECT_EQ(opened(), "http://www.example.org\n");
}

TEST_F(ShellOpenTest, FailuresUseTheShellNumbers)
{
    writeFile(dir_ / "collection/a.mp3", "");
    EXPECT_EQ(shellOpen("missing.mp3"), 2);
    EXPECT_EQ(shellOpen("No Folder\\missing.mp3"), 3);
    EXPECT_EQ(shellOpen(""), 2);
    EXPECT_EQ(shellOpen("a.mp3", "print"), 31);
    {
        ScopedEnv noOpener("PATH", dir_ / "collection");
        EXPECT_EQ(shellOpen("a.mp3"), 31);
    }
    EXPECT_FALSE(std::filesystem::exists(log_)) << "the opener ran for a failed open";
}

} // namespace
} // namespace qv::rt
