#include "platform/runtime/keycodes.h"

#include "platform/text/case.h"

#include <array>
#include <cctype>
#include <utility>

namespace qv::rt::key {
namespace {

using text::equalsNoCase;
using text::startsWithNoCase;

struct Named {
    std::string_view name;
    std::string_view display;
    int code;
};

// Keys with names of their own; letters, digits and F-keys are generated.
constexpr std::array namedKeys{
    Named{"Back", "Backspace", Back},
    Named{"Tab", "Tab", Tab},
    Named{"Enter", "Enter", Enter},
    Named{"Esc", "Esc", Esc},
    Named{"Space", "Space", Space},
    Named{"PgUp", "PgUp", PgUp},
    Named{"PgDn", "PgDn", PgDn},
    Named{"End", "End", End},
    Named{"Home", "Home", Home},
    Named{"Left", "Left", Left},
    Named{"Up", "Up", Up},
    Named{"Right", "Right", Right},
    Named{"Down", "Down", Down},
    Named{"Insert", "Ins", Insert},
    Named{"Delete", "Del", Delete},
    Named{"Quote", "'", Quote},
    Named{"Grave", "`", Grave},
    Named{"Plus", "+", 0xBB},
    Named{"Minus", "-", 0xBD},
};

constexpr std::array mouseKeys{
    Named{"MouseLeft", "Left click", MouseLeft},
    Named{"MouseRight", "Right click", MouseRight},
    Named{"MouseLeft2", "Double click", MouseLeft2},
};

constexpr std::array<std::pair<std::string_view, int>, 3> modifiers{{{"Ctrl", Ctrl}, {"Shift", Shift}, {"Alt", Alt}}};

std::optional<int> baseKey(std::string_view name)
{
    for (const auto& k : namedKeys)
        if (equalsNoCase(k.name, name))
            return k.code;
    if (name.size() == 1) {
        const char c = text::asciiUpper(name[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return c;
        if (c == '\'')
            return Quote;
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        int n = 0;
        for (char c : name.substr(1)) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            n = n * 10 + (c - '0');
        }
        if (n >= 1 && n <= 24)
            return F1 + n - 1;
    }
    return std::nullopt;
}

std::string baseName(int vk, bool forDisplay)
{
    for (const auto& k : namedKeys)
        if (k.code == vk)
            return std::string(forDisplay ? k.display : k.name);
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return std::string(1, static_cast<char>(vk));
    if (vk >= F1 && vk < F1 + 24)
        return "F" + std::to_string(vk - F1 + 1);
    return "Key" + std::to_string(vk);
}

} // namespace

std::optional<int> fromName(std::string_view name)
{
    for (const auto& m : mouseKeys)
        if (equalsNoCase(m.name, name))
            return m.code;
    int mods = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, bit] : modifiers) {
            if ((mods & bit) == 0 && name.size() > prefix.size() && startsWithNoCase(name, prefix)) {
                mods |= bit;
                name.remove_prefix(prefix.size());
                found = true;
            }
        }
    }
    if (name.substr(0, 3) == "Key") {
        int vk = 0;
        for (char c : name.substr(3)) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            vk = vk * 10 + (c - '0');
        }
        if (name.size() > 3 && vk > 0 && vk < 256)
            return vk | mods;
        return std::nullopt;
    }
    if (auto vk = baseKey(name))
        return *vk | mods;
    return std::nullopt;
}

std::string name(int code)
{
    for (const auto& m : mouseKeys)
        if (m.code == code)
            return std::string(m.name);
    std::string out;
    for (const auto& [prefix, bit] : modifiers)
        if (code & bit)
            out += prefix;
    return out + baseName(virtualKey(code), false);
}

std::string displayText(int code)
{
    for (const auto& m : mouseKeys)
        if (m.code == code)
            return std::string(m.display);
    std::string out;
    for (const auto& [prefix, bit] : modifiers)
        if (code & bit)
            out += std::string(prefix) + "+";
    return out + baseName(virtualKey(code), true);
}

} // namespace qv::rt::key
