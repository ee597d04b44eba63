#pragma once
// The zones of a window's status bar, with the widths of the definition
// (dialog units; -1 takes the rest) and the texts of the model. Zone 1 also
// shows the status text of the menu item or control under the mouse.

#include <QLabel>
#include <QStatusBar>
#include <string>
#include <vector>

#include "platform/qt/units.h"
#include "platform/runtime/window.h"

namespace qv::qt {

class StatusZones
{
public:
    StatusZones(QStatusBar* bar, const rt::Window& window, const DialogUnits& units);
    // Shows the model's zone texts.
    void refresh();
    // Empty restores zone 1's own text.
    void showHint(const std::string& text);
    QLabel* zone(int number) const; // 1-based

private:
    const rt::Window& window_;
    std::vector<QLabel*> zones_;
    bool hinting_ = false;
};

} // namespace qv::qt
