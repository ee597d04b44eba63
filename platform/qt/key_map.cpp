#include "platform/qt/key_map.h"

#include <array>

#include "platform/runtime/keycodes.h"

namespace qv::qt::keymap {
namespace {

namespace key = rt::key;

struct Pair {
    int qt;
    int vk;
};

// Keys whose Qt code differs from the virtual-key code. Letters and digits
// share their codes (Qt::Key_A == 'A' == VK 'A'); F-keys are a range.
// Symbol keys follow the US layout the program's keys were named on; the
// shifted symbol arrives as its own Qt key and maps back to the key cap.
constexpr std::array pairs{
    Pair{Qt::Key_Backspace, key::Back},
    Pair{Qt::Key_Tab, key::Tab},
    Pair{Qt::Key_Backtab, key::Tab},
    Pair{Qt::Key_Return, key::Enter},
    Pair{Qt::Key_Enter, key::Enter},
    Pair{Qt::Key_Escape, key::Esc},
    Pair{Qt::Key_Space, key::Space},
    Pair{Qt::Key_PageUp, key::PgUp},
    Pair{Qt::Key_PageDown, key::PgDn},
    Pair{Qt::Key_End, key::End},
    Pair{Qt::Key_Home, key::Home},
    Pair{Qt::Key_Left, key::Left},
    Pair{Qt::Key_Up, key::Up},
    Pair{Qt::Key_Right, key::Right},
    Pair{Qt::Key_Down, key::Down},
    Pair{Qt::Key_Insert, key::Insert},
    Pair{Qt::Key_Delete, key::Delete},
    Pair{Qt::Key_Pause, 0x13},
    Pair{Qt::Key_Print, 0x2C},
    Pair{Qt::Key_Apostrophe, key::Quote},
    Pair{Qt::Key_QuoteDbl, key::Quote},
    Pair{Qt::Key_Equal, 0xBB},
    Pair{Qt::Key_Plus, 0xBB},
    Pair{Qt::Key_Minus, 0xBD},
    Pair{Qt::Key_Underscore, 0xBD},
    Pair{Qt::Key_Comma, 0xBC},
    Pair{Qt::Key_Less, 0xBC},
    Pair{Qt::Key_Period, 0xBE},
    Pair{Qt::Key_Greater, 0xBE},
    Pair{Qt::Key_Slash, 0xBF},
    Pair{Qt::Key_Question, 0xBF},
    Pair{Qt::Key_Semicolon, 0xBA},
    Pair{Qt::Key_Colon, 0xBA},
    Pair{Qt::Key_BracketLeft, 0xDB},
    Pair{Qt::Key_BraceLeft, 0xDB},
    Pair{Qt::Key_Backslash, 0xDC},
    Pair{Qt::Key_Bar, 0xDC},
    Pair{Qt::Key_BracketRight, 0xDD},
    Pair{Qt::Key_BraceRight, 0xDD},
    Pair{Qt::Key_QuoteLeft, key::Grave},
    Pair{Qt::Key_AsciiTilde, 0xC0},
    Pair{Qt::Key_Exclam, '1'},
    Pair{Qt::Key_At, '2'},
    Pair{Qt::Key_NumberSign, '3'},
    Pair{Qt::Key_Dollar, '4'},
    Pair{Qt::Key_Percent, '5'},
    Pair{Qt::Key_AsciiCircum, '6'},
    Pair{Qt::Key_Ampersand, '7'},
    Pair{Qt::Key_Asterisk, '8'},
    Pair{Qt::Key_ParenLeft, '9'},
    Pair{Qt::Key_ParenRight, '0'},
};

// The number pad has codes of its own on Windows.
constexpr std::array keypad{
    Pair{Qt::Key_Asterisk, 0x6A},
    Pair{Qt::Key_Plus, 0x6B},
    Pair{Qt::Key_Minus, 0x6D},
    Pair{Qt::Key_Period, 0x6E},
    Pair{Qt::Key_Slash, 0x6F},
    Pair{Qt::Key_Enter, key::Enter},
    Pair{Qt::Key_Home, key::Home},
    Pair{Qt::Key_End, key::End},
    Pair{Qt::Key_Left, key::Left},
    Pair{Qt::Key_Right, key::Right},
    Pair{Qt::Key_Up, key::Up},
    Pair{Qt::Key_Down, key::Down},
    Pair{Qt::Key_PageUp, key::PgUp},
    Pair{Qt::Key_PageDown, key::PgDn},
    Pair{Qt::Key_Insert, key::Insert},
    Pair{Qt::Key_Delete, key::Delete},
};

int virtualKey(int qtKey, bool onKeypad)
{
    if (onKeypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 0x60 + (qtKey - Qt::Key_0);
        for (const Pair& p : keypad)
            if (p.qt == qtKey)
                return p.vk;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return key::F1 + (qtKey - Qt::Key_F1);
    for (const Pair& p : pairs)
        if (p.qt == qtKey)
            return p.vk;
    return 0;
}

int qtKeyOf(int vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return vk;
    if (vk >= key::F1 && vk < key::F1 + 24)
        return Qt::Key_F1 + (vk - key::F1);
    if (vk >= 0x60 && vk <= 0x69)
        return Qt::Key_0 + (vk - 0x60);
    for (const Pair& p : keypad)
        if (p.vk == vk && vk >= 0x6A && vk <= 0x6F)
            return p.qt;
    for (const Pair& p : pairs) // the first entry for a code is the unshifted key
        if (p.vk == vk)
            return p.qt;
    return 0;
}

} // namespace

int toKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const int vk = virtualKey(qtKey, modifiers.testFlag(Qt::KeypadModifier));
    if (vk == 0)
        return 0;
    int code = vk;
    if (modifiers.testFlag(Qt::ShiftModifier) || qtKey == Qt::Key_Backtab)
        code |= key::Shift;
    if (modifiers.testFlag(Qt::ControlModifier))
        code |= key::Ctrl;
    if (modifiers.testFlag(Qt::AltModifier))
        code |= key::Alt;
    return code;
}

QKeySequence toKeySequence(int keyCode)
{
    if (key::isMouse(keyCode))
        return {};
    const int qtKey = qtKeyOf(key::virtualKey(keyCode));
    if (qtKey == 0)
        return {};
    Qt::KeyboardModifiers mods;
    if (keyCode & key::Shift)
        mods |= Qt::ShiftModifier;
    if (keyCode & key::Ctrl)
        mods |= Qt::ControlModifier;
    if (keyCode & key::Alt)
        mods |= Qt::AltModifier;
    if (key::virtualKey(keyCode) >= 0x60 && key::virtualKey(keyCode) <= 0x6F)
        mods |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(qtKey)));
}

} // namespace qv::qt::keymap
