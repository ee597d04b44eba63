#pragma once
// The one table between Qt's keys and the program's key codes (Windows
// virtual-key codes plus 256 Shift, 512 Ctrl, 1024 Alt).

#include <QKeySequence>
#include <Qt>

namespace qv::qt::keymap {

// 0 when the key has no code (a lone modifier, a key the program never names).
int toKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
// The shortcut for a menu item's key code; empty for mouse codes and unknown keys.
QKeySequence toKeySequence(int keyCode);

} // namespace qv::qt::keymap
