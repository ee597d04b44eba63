#pragma once
// Key codes: a key's Windows virtual-key code plus 256 for Shift, 512 for Ctrl
// and 1024 for Alt. Mouse buttons arrive as the alert keys 1, 2 and 5.
// Window definitions name keys as text ("CtrlS", "ShiftEnter", "AltF11", "F3").

#include <optional>
#include <string>
#include <string_view>

namespace qv::rt::key {

constexpr int Shift = 256;
constexpr int Ctrl = 512;
constexpr int Alt = 1024;
constexpr int ModifierMask = Shift | Ctrl | Alt;

constexpr int MouseLeft = 1;
constexpr int MouseRight = 2;
constexpr int MouseLeft2 = 5; // double-click

// Virtual-key codes of the keys the program names.
constexpr int Back = 0x08, Tab = 0x09, Enter = 0x0D, Esc = 0x1B, Space = 0x20;
constexpr int PgUp = 0x21, PgDn = 0x22, End = 0x23, Home = 0x24;
constexpr int Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28;
constexpr int Insert = 0x2D, Delete = 0x2E;
constexpr int F1 = 0x70; // F1..F24 follow
constexpr int Quote = 0xDE; // the ' key, as in Ctrl+'
constexpr int Grave = 0xC0; // the ` key

constexpr int withShift(int code)
{
    return code + Shift;
}
constexpr int withCtrl(int code)
{
    return code + Ctrl;
}
constexpr int withAlt(int code)
{
    return code + Alt;
}
constexpr int virtualKey(int code)
{
    return code & 0xFF;
}
constexpr bool isMouse(int code)
{
    return code == MouseLeft || code == MouseRight || code == MouseLeft2;
}

// "CtrlShiftF3" -> 881; unknown names give nullopt.
std::optional<int> fromName(std::string_view name);
// 881 -> "CtrlShiftF3"; the inverse of fromName for every code it accepts.
std::string name(int code);
// For menus and tool tips: 577 -> "Ctrl+A".
std::string displayText(int code);

} // namespace qv::rt::key
