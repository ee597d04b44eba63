#pragma once
// Event numbers are part of the program's vocabulary: procedures switch on
// them, and threads post them to each other, so they keep their numbers.

namespace qv::rt {

namespace event {
constexpr int Accepted = 1;
constexpr int NewSelection = 2;
constexpr int ScrollUp = 3;
constexpr int ScrollDown = 4;
constexpr int PageUp = 5;
constexpr int PageDown = 6;
constexpr int ScrollTop = 7;
constexpr int ScrollBottom = 8;
constexpr int AlertKey = 15;
constexpr int PreAlertKey = 16;
constexpr int Dragging = 18;
constexpr int Drop = 19;
constexpr int Rejected = 26;
constexpr int Selected = 257;
constexpr int CloseWindow = 513;
constexpr int CloseDown = 514;
constexpr int OpenWindow = 515;
constexpr int LoseFocus = 517;
constexpr int GainFocus = 518;
// The mouse wheel turned over a window that asked for it by making this
// number one of its alert keys: keyCode is the signed delta (120 a notch,
// positive away from the user), control the control under the mouse.
// Windows that did not ask are scrolled by the host itself.
constexpr int MouseWheel = 522;
constexpr int Timer = 523;
constexpr int Completed = 549;
constexpr int Moved = 560;
constexpr int Sized = 561;
constexpr int User = 1025;
} // namespace event

// True for events that concern the window itself rather than one control.
constexpr bool isWindowEvent(int code)
{
    return code >= 0x200 && code < event::User;
}

struct Event {
    int code = 0;
    int control = 0; // control number, 0 for window events
    int keyCode = 0; // for AlertKey / PreAlertKey: the key that was pressed
};

} // namespace qv::rt
