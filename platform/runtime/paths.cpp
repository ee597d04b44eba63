#include "platform/runtime/paths.h"

#include "platform/text/case.h"
#include "platform/text/text.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace qv::rt {

namespace {

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool hasDrive(std::string_view p)
{
    return p.size() >= 2 && isDriveLetter(p[0]) && p[1] == ':';
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> splitComponents(std::string_view path)
{
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        if (j > i)
            parts.emplace_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

// Name in folder that equals wanted without regard to case, first in byte order.
std::optional<std::string> matchInFolder(const std::string& folder, const std::string& wanted)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;
    std::optional<std::string> best;
    while (dirent* e = ::readdir(dir.get())) {
        std::string_view name(e->d_name);
        if (name == "." || name == "..")
            continue;
        if (text::equalsNoCase(name, wanted) && (!best || name < *best))
            best = std::string(name);
    }
    return best;
}

// Walks the components of path; stops at the first one that matches nothing.
// Returns the resolved prefix and the number of components it covers.
std::pair<std::string, size_t> resolvePrefix(std::string_view path, const std::vector<std::string>& parts)
{
    const bool absolute = !path.empty() && path.front() == '/';
    std::string current = absolute ? "/" : "";
    size_t done = 0;
    for (const std::string& part : parts) {
        std::string candidate = joinPath(current, part);
        if (part == "." || part == ".." || exists(candidate)) {
            current = std::move(candidate);
        } else if (auto match = matchInFolder(current, part)) {
            current = joinPath(current, *match);
        } else {
            break;
        }
        ++done;
    }
    return {current, done};
}

} // namespace

std::string toPosixPath(std::string_view programPath)
{
    std::string_view p = text::trimRight(programPath, text::kBlankOrTab);
    if (hasDrive(p)) {
        p.remove_prefix(2);
        if (p.empty())
            return ".";
    }
    std::string out(p);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string joinPath(std::string_view a, std::string_view b)
{
    if (a.empty() || (!b.empty() && b.front() == '/'))
        return std::string(b);
    std::string out(a);
    if (out.back() != '/' && !b.empty())
        out += '/';
    out += b;
    return out;
}

std::optional<std::string> findNoCase(std::string_view posixPath)
{
    std::string exact(posixPath);
    if (exact.empty())
        return std::nullopt;
    if (exists(exact))
        return exact;
    auto parts = splitComponents(posixPath);
    auto [found, done] = resolvePrefix(posixPath, parts);
    if (done != parts.size())
        return std::nullopt;
    return found;
}

std::string resolvePath(std::string_view programPath)
{
    return resolvePosixPath(toPosixPath(programPath));
}

std::string resolvePosixPath(std::string_view posixPath)
{
    std::string posix(posixPath);
    if (posix.empty() || exists(posix))
        return posix;
    auto parts = splitComponents(posix);
    auto [out, done] = resolvePrefix(posix, parts);
    for (size_t i = done; i < parts.size(); ++i)
        out = joinPath(out, parts[i]);
    // Keep a trailing "/" the caller wrote: it says "folder".
    if (posix.back() == '/' && !out.empty() && out.back() != '/')
        out += '/';
    return out;
}

std::string programFolder()
{
    std::string buf(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return {};
    buf.resize(static_cast<size_t>(n));
    auto slash = buf.rfind('/');
    if (slash == std::string::npos)
        return {};
    return buf.substr(0, slash + 1);
}

std::string configFolder()
{
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return joinPath(xdg, "quorvel");
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0])
        home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    else
        home = "/tmp";
    return joinPath(joinPath(home, ".config"), "quorvel");
}

bool iniNameHasFolder(std::string_view iniName)
{
    return hasDrive(iniName) || iniName.find_first_of("\\/") != std::string_view::npos;
}

std::string iniFilePath(std::string_view iniName)
{
    std::string posix = toPosixPath(iniName);
    if (iniNameHasFolder(iniName))
        return posix;
    return joinPath(configFolder(), posix);
}

} // namespace qv::rt
