#include "qvls/core/files.h"

#include "platform/text/text.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/runtime/scheduler.h"
#include "platform/runtime/shell.h"
#include "platform/runtime/window.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {
constexpr std::size_t kShellFile = 256;
constexpr std::size_t kShellVerb = 80;
constexpr std::size_t kFileNumberText = 20;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal digits plus one; the number grows a digit instead of wrapping.
std::string increment(std::string digits)
{
    if (digits.empty())
        return "1";
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}
} // namespace

void ShellOpenFile(std::string_view verb, std::string_view file)
{
    const std::string_view v
        = verb.empty() ? std::string_view("open") : text::firstChars(text::trimRight(verb), kShellVerb);
    rt::shellOpen(text::firstChars(text::trimRight(file), kShellFile), v);
}

FileNumberStep followingFileNumber(std::string_view last)
{
    const std::string t(text::firstChars(text::trimRight(last), kFileNumberText));
    std::size_t a = t.size();
    while (a > 0 && isDigit(t[a - 1]))
        --a;
    FileNumberStep step;
    const std::string prefix = t.substr(0, a);
    const std::string digits = t.substr(a);
    // Keeps the digit count, and its leading zeros, unless the number outgrows it.
    const std::string number = increment(digits);
    step.next = prefix + number;
    step.prefixLength = static_cast<int>(text::charCount(prefix));
    step.digits = static_cast<int>(number.size());
    return step;
}

void NextAlbumFileNumber()
{
    rt::IniFile ini = settingsIni();
    const std::string last = ini.get(settings_section::Album, settings_key::FileNumber);
    if (text::trimRight(last).empty())
        return;
    const FileNumberStep step = followingFileNumber(last);
    dictionary::Album().record()["ALB:FileNumber"] = step.next;
    ini.set(settings_section::Album, settings_key::FileNumberFormat,
        "Alpha " + std::to_string(step.prefixLength) + " Numeric " + std::to_string(step.digits));
}

namespace {
rt::PerThread<std::vector<WindowListRow>>& windowLists()
{
    static rt::PerThread<std::vector<WindowListRow>> lists;
    return lists;
}

std::string classOf(const rt::Window& w)
{
    switch (w.kind()) {
    case rt::WindowKind::MessageBox:
        return "MessageBox";
    case rt::WindowKind::FileDialog:
    case rt::WindowKind::FontDialog:
    case rt::WindowKind::ColorDialog:
        return "Dialog";
    case rt::WindowKind::PopupMenu:
        return "PopupMenu";
    default:
        return w.def().name;
    }
}
} // namespace

std::vector<WindowListRow>& WindowList()
{
    return windowLists().get();
}

void ListTopWindows()
{
    std::vector<WindowListRow>& list = WindowList();
    list.clear();
    rt::Scheduler& s = rt::Scheduler::instance();
    for (int thread : s.runningThreads())
        for (rt::Window* w : s.windows(thread))
            if (w && w->isOpen() && !w->title().empty())
                list.push_back({w->title(), w, classOf(*w)});
}

std::string ModuleFileName()
{
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return {};
    buf.resize(static_cast<std::size_t>(n));
    return buf;
}

std::string collectionFolder()
{
    std::error_code ec;
    std::string folder = std::filesystem::current_path(ec).string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string ProgramDirectory()
{
    const std::string path = ModuleFileName();
    const std::size_t at = path.find_last_of("/\\:");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

} // namespace qv::qvls
