#pragma once
// Pictures of buttons, tool buttons and image controls: resources compiled
// into the program, or files on disk (the user may choose a logo file).

#include <QIcon>
#include <QPixmap>
#include <string_view>

namespace qv::qt {

// Looks in the window's module, then in the program's module "qvls", then on
// disk. A null pixmap when nothing is found.
QPixmap loadPicture(std::string_view name, std::string_view module);
QIcon loadIcon(std::string_view name, std::string_view module);

} // namespace qv::qt
