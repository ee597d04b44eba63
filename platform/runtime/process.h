#pragma once
// Starting outside programs and watching them end.
//
// A program is started from a path and an argument list, never through a
// shell, so folders and arguments with blanks need no quoting. The caller
// gets a run code at once (0: started; otherwise the errno of the failed
// start) and polls the exit code without blocking: 259 while the program
// runs, as the program expects, then its real exit code. A program that
// outlives its Process object is still reaped, so none is left a zombie.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {

inline constexpr std::uint32_t kStillActive = 259;
// Exit code of a program that never started, or whose end could not be
// observed; it is not kStillActive, so a waiting loop ends.
inline constexpr std::uint32_t kNoExitCode = 0xFFFFFFFFu;

class Process
{
public:
    // Starts program with args (argv[1..]) in workingFolder (empty: the
    // current folder). A program path with a "/" is used as given (relative
    // to the current folder, not to workingFolder); a bare name is searched
    // on PATH. The child gets the caller's environment, default signal
    // handling, and no open descriptors but 0, 1 and 2.
    static Process start(
        const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder = {});

    // A legacy command line ("TRAKHAND.EXE /S /VID D:"), split and resolved by
    // resolveCommandLine against searchFolder (empty: the program folder).
    static Process startCommandLine(
        std::string_view commandLine, const std::string& workingFolder = {}, const std::string& searchFolder = {});

    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // A program still running is left running; a watcher reaps it when it ends.
    ~Process();

    // 0 when the program started, otherwise an errno value (ENOENT: no such
    // program; EACCES: not executable; ...). A default Process has ECHILD.
    int runCode() const { return runCode_; }
    bool started() const { return runCode_ == 0; }
    pid_t pid() const { return pid_; }

    // kStillActive while the program runs; then its exit status, or 128 + the
    // signal number when a signal ended it (as shells report it). Never blocks.
    std::uint32_t exitCode();
    bool running() { return exitCode() == kStillActive; }
    // Blocks until the program has ended; for tools and tests, never for
    // window code.
    std::uint32_t wait();

private:
    void finish(int status);
    void detach();

    pid_t pid_ = -1;
    int runCode_ = 10; // ECHILD
    std::optional<std::uint32_t> exit_;
};

struct CommandLine {
    std::string program; // POSIX path of the program found, or the name as written when none was found
    std::vector<std::string> args;
    bool found = false;
};

// Splits a command line by the Windows rules: blanks and tabs separate
// arguments; double quotes group, and two quotes inside a group are one
// literal quote; backslashes are literal unless they precede a quote (2n
// backslashes and a quote: n backslashes, the quote groups; 2n+1: n
// backslashes and a literal quote). The first word ends at the first blank
// or tab unless it is quoted, and takes backslashes literally.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// Splits the line and finds its program: a name with a folder
// ("C:\Tools\x.exe", ".\TPSFIX.EXE") as that path, a bare name ("SAFKEEP.EXE",
// "PALDRO") in searchFolder and then on PATH (never in the current folder,
// which holds the collection, not programs). Names match without regard to
// case, with or without a ".EXE", ".COM", ".BAT" or ".PIF" ending, and must
// be executable files. An unquoted first word with blanks is tried the
// Windows way: "/opt/My Tools/run.exe /x" tries "/opt/My", then
// "/opt/My Tools/run.exe", and the first that exists is the program.
CommandLine resolveCommandLine(std::string_view commandLine, const std::string& searchFolder = {});

} // namespace qv::rt
