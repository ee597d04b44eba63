#include "platform/framework/ini_store.h"

#include <charconv>
#include <climits>

#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {

constexpr std::string_view MaximizeKey = "Maximize";
constexpr std::string_view XKey = "XPos";
constexpr std::string_view YKey = "YPos";
constexpr std::string_view WidthKey = "Width";
constexpr std::string_view HeightKey = "Height";

// The value's leading whole number; nothing when it does not start with one
// (a hand-edited "abc" must not become a window at 0 or of size 0).
std::optional<int> leadingInt(std::string_view s)
{
    s = text::trim(s, text::kBlankOrTab);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    long long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (end == s.data())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range || v > INT_MAX || v < INT_MIN)
        return std::nullopt;
    return static_cast<int>(v);
}

} // namespace

void IniStore::init(std::string_view iniName)
{
    name_ = std::string(iniName);
    file_.emplace(rt::IniFile::named(iniName));
}

void IniStore::kill()
{
    file_.reset();
    name_.clear();
}

std::string IniStore::path() const
{
    return file_ ? file_->path() : std::string();
}

std::string IniStore::Fetch(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    if (!file_)
        return std::string(defaultValue);
    return file_->get(section, key, defaultValue);
}

long long IniStore::fetchInt(std::string_view section, std::string_view key, long long defaultValue) const
{
    return file_ ? file_->getInt(section, key, defaultValue) : defaultValue;
}

bool IniStore::fetchInto(std::string_view section, std::string_view key, std::string& variable) const
{
    if (!file_)
        return false;
    auto v = file_->find(section, key);
    if (!v)
        return false;
    variable = std::move(*v);
    return true;
}

bool IniStore::fetchInto(std::string_view section, std::string_view key, long long& variable) const
{
    if (!has(section, key))
        return false;
    variable = file_->getInt(section, key, variable);
    return true;
}

bool IniStore::fetchInto(std::string_view section, std::string_view key, int& variable) const
{
    long long v = variable;
    if (!fetchInto(section, key, v))
        return false;
    variable = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    return true;
}

bool IniStore::has(std::string_view section, std::string_view key) const
{
    return file_ && file_->find(section, key).has_value();
}

bool IniStore::Update(std::string_view section, std::string_view key, std::string_view value)
{
    return file_ && file_->set(section, key, value);
}

bool IniStore::updateInt(std::string_view section, std::string_view key, long long value)
{
    return file_ && file_->setInt(section, key, value);
}

bool IniStore::Remove(std::string_view section, std::string_view key)
{
    return file_ && file_->removeKey(section, key);
}

bool IniStore::removeSection(std::string_view section)
{
    return file_ && file_->removeSection(section);
}

Placement IniStore::readPlacement(std::string_view section) const
{
    Placement p;
    if (!file_)
        return p;
    if (auto m = file_->find(section, MaximizeKey))
        p.maximize = text::equalsNoCase(text::trim(*m, text::kBlankOrTab), "Yes");
    auto number = [&](std::string_view key) -> std::optional<int> {
        auto v = file_->find(section, key);
        return v ? leadingInt(*v) : std::nullopt;
    };
    p.x = number(XKey);
    p.y = number(YKey);
    p.width = number(WidthKey);
    p.height = number(HeightKey);
    return p;
}

bool IniStore::writePlacement(std::string_view section, const Placement& p)
{
    bool ok = true;
    if (p.maximize)
        ok = Update(section, MaximizeKey, *p.maximize ? "Yes" : "No") && ok;
    if (p.x)
        ok = updateInt(section, XKey, *p.x) && ok;
    if (p.y)
        ok = updateInt(section, YKey, *p.y) && ok;
    if (p.height)
        ok = updateInt(section, HeightKey, *p.height) && ok;
    if (p.width)
        ok = updateInt(section, WidthKey, *p.width) && ok;
    return ok;
}

Placement IniStore::placementOf(const rt::Window& window)
{
    const rt::Rect at = window.geometry();
    Placement p;
    p.maximize = window.maximized();
    p.x = at.x;
    p.y = at.y;
    p.width = at.width;
    p.height = at.height;
    return p;
}

bool IniStore::restoreWindow(std::string_view section, rt::Window& window) const
{
    const Placement p = readPlacement(section);
    if (!p.maximize)
        return false;
    if (!p.x) {
        if (*p.maximize)
            window.setMaximized(true);
        return *p.maximize;
    }
    // The normal placement comes back under a maximized window too, so
    // restoring it later brings the user's place back. A window defined
    // maximized but saved while not comes back in its saved place.
    window.setMaximized(*p.maximize);
    rt::Rect at = window.geometry();
    at.x = *p.x;
    if (p.y)
        at.y = *p.y;
    // A size of 0 or less would make the window vanish: keep the defined one.
    if (window.def().resizable) {
        if (p.width && *p.width > 0)
            at.width = *p.width;
        if (p.height && *p.height > 0)
            at.height = *p.height;
    }
    window.setGeometry(at);
    return true;
}

} // namespace qv::fw
