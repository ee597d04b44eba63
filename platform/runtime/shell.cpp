#include "platform/runtime/shell.h"

#include "platform/runtime/paths.h"
#include "platform/runtime/process.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace qv::rt {

namespace {

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kOutOfMemory = 8;
constexpr int kNoAssociation = 31;

// "scheme:" of two or more characters; one letter and a colon is a drive.
bool hasScheme(std::string_view s)
{
    size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = s[i];
        bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!alpha && !(i > 0 && other))
            return false;
    }
    return true;
}

bool exists(const std::string& p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

std::string parentOf(const std::string& p)
{
    auto slash = p.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

} // namespace

int shellOpen(std::string_view target, std::string_view verb)
{
    verb = text::trim(verb, text::kBlankOrTab);
    if (!verb.empty() && !text::equalsNoCase(verb, "open") && !text::equalsNoCase(verb, "play")
        && !text::equalsNoCase(verb, "edit") && !text::equalsNoCase(verb, "explore"))
        return kNoAssociation;

    target = text::trim(target, text::kBlankOrTab);
    if (target.empty())
        return kFileNotFound;

    std::string arg;
    if (hasScheme(target)) {
        arg = target;
    } else if (target.size() > 4 && text::startsWithNoCase(target, "www.")) {
        arg = "http://" + std::string(target);
    } else {
        arg = resolvePath(target);
        if (!exists(arg))
            return exists(parentOf(arg)) ? kFileNotFound : kPathNotFound;
        std::error_code ec;
        auto absolute = std::filesystem::absolute(arg, ec);
        if (ec)
            return kPathNotFound;
        arg = absolute.lexically_normal().string();
    }

    // Not waited for: the handler may run as long as the user likes; the
    // Process reaps it when it ends.
    Process opener = Process::start("xdg-open", {arg});
    switch (opener.runCode()) {
    case 0:
        return kShellOpened;
    case EACCES:
        return kAccessDenied;
    case ENOMEM:
        return kOutOfMemory;
    default:
        return kNoAssociation;
    }
}

} // namespace qv::rt
