#include "platform/qt/key_map.h"

#include <gtest/gtest.h>

#include "platform/runtime/keycodes.h"

namespace qv::qt {
namespace {

struct KeyCase {
    int qtKey;
    Qt::KeyboardModifiers mods;
    int code;
};

TEST(KeyMap, QtKeysGiveTheProgramsKeyCodes)
{
    const KeyCase cases[] = {
        {Qt::Key_A, Qt::ControlModifier, 577},
        {Qt::Key_Return, Qt::ShiftModifier, 269},
        {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Left, Qt::AltModifier, 1061},
        {Qt::Key_Right, Qt::AltModifier, 1063},
        {Qt::Key_F11, Qt::AltModifier, 1146},
        {Qt::Key_R, Qt::ControlModifier | Qt::AltModifier, 1618},
        {Qt::Key_F3, Qt::NoModifier, 114},
        {Qt::Key_Backtab, Qt::ShiftModifier, 265},
        {Qt::Key_Apostrophe, Qt::ControlModifier, 512 + 0xDE},
        {Qt::Key_QuoteDbl, Qt::ShiftModifier, 256 + 0xDE},
        {Qt::Key_Exclam, Qt::ShiftModifier, 256 + '1'},
        {Qt::Key_Delete, Qt::NoModifier, 0x2E},
        {Qt::Key_5, Qt::KeypadModifier, 0x65},
        {Qt::Key_Plus, Qt::KeypadModifier, 0x6B},
        {Qt::Key_PageDown, Qt::ControlModifier, 512 + 0x22},
        {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_Shift, Qt::ShiftModifier, 0},
        {Qt::Key_VolumeUp, Qt::NoModifier, 0},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(keymap::toKeyCode(c.qtKey, c.mods), c.code) << "Qt key " << std::hex << c.qtKey;
}

TEST(KeyMap, ShortcutsOfMenuItemsMapBackToTheSameCode)
{
    for (const char* name : {"CtrlA", "F3", "AltF11", "CtrlAltR", "ShiftEnter", "CtrlQuote", "Delete", "CtrlShiftF3",
             "AltLeft", "Plus", "Key107"}) {
        const int code = *rt::key::fromName(name);
        const QKeySequence seq = keymap::toKeySequence(code);
        ASSERT_EQ(seq.count(), 1) << name;
        const QKeyCombination k = seq[0];
        EXPECT_EQ(keymap::toKeyCode(k.key(), k.keyboardModifiers()), code) << name;
    }
    EXPECT_TRUE(keymap::toKeySequence(rt::key::MouseLeft2).isEmpty());
}

} // namespace
} // namespace qv::qt
