#include "platform/runtime/process.h"

#include "platform/runtime/paths.h"
#include "platform/text/case.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace qv::rt {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\t';
}

std::string currentFolder()
{
    std::string buf(4096, '\0');
    if (!::getcwd(buf.data(), buf.size()))
        return {};
    buf.resize(std::char_traits<char>::length(buf.c_str()));
    return buf;
}

// Arguments after the program word, by the rules of splitCommandLine.
std::vector<std::string> splitArguments(std::string_view s)
{
    std::vector<std::string> args;
    size_t i = 0;
    for (;;) {
        while (i < s.size() && isSeparator(s[i]))
            ++i;
        if (i >= s.size())
            break;
        std::string arg;
        bool quoted = false;
        while (i < s.size() && (quoted || !isSeparator(s[i]))) {
            if (s[i] == '\\') {
                size_t n = 0;
                while (i < s.size() && s[i] == '\\') {
                    ++n;
                    ++i;
                }
                if (i < s.size() && s[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
            } else if (s[i] == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += s[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::optional<std::string> executableAt(const std::string& posixPath)
{
    std::vector<std::string> variants{posixPath};
    for (std::string_view ext : {".exe", ".com", ".bat", ".pif"})
        if (text::endsWithNoCase(posixPath, ext) && posixPath.size() > ext.size()
            && posixPath[posixPath.size() - ext.size() - 1] != '/')
            variants.push_back(posixPath.substr(0, posixPath.size() - ext.size()));
    for (const std::string& v : variants) {
        auto found = findNoCase(v);
        struct stat st;
        if (found && ::stat(found->c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(found->c_str(), X_OK) == 0)
            return found;
    }
    return std::nullopt;
}

std::optional<std::string> findProgram(std::string_view name, const std::string& searchFolder)
{
    std::string posix = toPosixPath(name);
    if (posix.empty() || posix == ".")
        return std::nullopt;
    std::optional<std::string> found;
    if (iniNameHasFolder(name)) {
        found = executableAt(posix);
    } else {
        std::vector<std::string> folders{searchFolder.empty() ? programFolder() : searchFolder};
        if (const char* path = std::getenv("PATH")) {
            std::string_view p(path);
            while (!p.empty()) {
                size_t colon = p.find(':');
                std::string_view dir = p.substr(0, colon);
                // An empty PATH entry means the current folder, which is not searched.
                if (!dir.empty())
                    folders.emplace_back(dir);
                p = colon == std::string_view::npos ? std::string_view{} : p.substr(colon + 1);
            }
        }
        for (const std::string& folder : folders)
            if (!folder.empty() && (found = executableAt(joinPath(folder, posix))))
                break;
    }
    if (found && found->front() != '/')
        found = joinPath(currentFolder(), *found);
    return found;
}

} // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine)
{
    std::string_view s = commandLine;
    while (!s.empty() && isSeparator(s.front()))
        s.remove_prefix(1);
    if (s.empty())
        return {};
    std::vector<std::string> out;
    size_t end;
    if (s.front() == '"') {
        end = s.find('"', 1);
        out.emplace_back(s.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
        end = end == std::string_view::npos ? s.size() : end + 1;
    } else {
        end = 0;
        while (end < s.size() && !isSeparator(s[end]))
            ++end;
        out.emplace_back(s.substr(0, end));
    }
    for (std::string& a : splitArguments(s.substr(end)))
        out.push_back(std::move(a));
    return out;
}

CommandLine resolveCommandLine(std::string_view commandLine, const std::string& searchFolder)
{
    std::string_view s = commandLine;
    while (!s.empty() && isSeparator(s.front()))
        s.remove_prefix(1);
    CommandLine result;
    if (s.empty())
        return result;

    if (s.front() == '"') {
        auto words = splitCommandLine(s);
        result.program = words.front();
        result.args.assign(words.begin() + 1, words.end());
        if (auto p = findProgram(result.program, searchFolder)) {
            result.program = *p;
            result.found = true;
        }
        return result;
    }

    // Unquoted: each blank (up to the first quote) may end the program word;
    // the shortest prefix that names a program wins.
    size_t limit = s.find('"');
    if (limit == std::string_view::npos)
        limit = s.size();
    size_t firstEnd = 0;
    while (firstEnd < s.size() && !isSeparator(s[firstEnd]))
        ++firstEnd;
    for (size_t end = firstEnd; end <= limit;) {
        if (auto p = findProgram(s.substr(0, end), searchFolder)) {
            result.program = *p;
            result.args = splitArguments(s.substr(end));
            result.found = true;
            return result;
        }
        if (end >= limit)
            break;
        // Next candidate: through the next word.
        while (end < limit && isSeparator(s[end]))
            ++end;
        while (end < limit && !isSeparator(s[end]))
            ++end;
    }
    result.program = std::string(s.substr(0, firstEnd));
    result.args = splitArguments(s.substr(firstEnd));
    return result;
}

Process Process::start(
    const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder)
{
    Process p;
    if (program.empty()) {
        p.runCode_ = ENOENT;
        return p;
    }
    // A relative path would otherwise be taken from the working folder.
    std::string path = program;
    const bool searchPath = path.find('/') == std::string::npos;
    if (!searchPath && path.front() != '/')
        path = joinPath(currentFolder(), path);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // Signals the host ignores or blocks (SIGPIPE, say) must not reach the child so.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    int rc = searchPath ? ::posix_spawnp(&pid, path.c_str(), &actions, &attr, argv.data(), environ)
                        : ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);

    p.runCode_ = rc;
    if (rc == 0)
        p.pid_ = pid;
    return p;
}

Process Process::startCommandLine(
    std::string_view commandLine, const std::string& workingFolder, const std::string& searchFolder)
{
    CommandLine cl = resolveCommandLine(commandLine, searchFolder);
    if (!cl.found) {
        Process p;
        p.runCode_ = ENOENT;
        return p;
    }
    return start(cl.program, cl.args, workingFolder);
}

Process::Process(Process&& other) noexcept
    : pid_(other.pid_)
    , runCode_(other.runCode_)
    , exit_(other.exit_)
{
    other.pid_ = -1;
    other.exit_.reset();
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        detach();
        pid_ = other.pid_;
        runCode_ = other.runCode_;
        exit_ = other.exit_;
        other.pid_ = -1;
        other.exit_.reset();
    }
    return *this;
}

Process::~Process()
{
    detach();
}

void Process::detach()
{
    if (pid_ <= 0 || exit_)
        return;
    if (exitCode() != kStillActive)
        return;
    pid_t pid = pid_;
    try {
        std::thread([pid] {
            int status;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        }).detach();
    } catch (...) {
        // No thread to spare: the child stays unreaped until this process ends.
    }
    pid_ = -1;
}

void Process::finish(int status)
{
    if (WIFEXITED(status))
        exit_ = static_cast<std::uint32_t>(WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        exit_ = 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    else
        exit_ = kNoExitCode;
}

std::uint32_t Process::exitCode()
{
    if (exit_)
        return *exit_;
    if (pid_ <= 0)
        return kNoExitCode;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR))
        return kStillActive;
    if (r == pid_)
        finish(status);
    else
        exit_ = kNoExitCode; // reaped by someone else; its code is lost
    return *exit_;
}

std::uint32_t Process::wait()
{
    if (exit_)
        return *exit_;
    if (pid_ <= 0)
        return kNoExitCode;
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) { }
    if (r == pid_)
        finish(status);
    else
        exit_ = kNoExitCode;
    return *exit_;
}

} // namespace qv::rt
