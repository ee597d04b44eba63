#pragma once
// Window definitions measure in dialog units of the window's font, as the
// window system the program was laid out on did; this is the one place that
// turns them into pixels, and the one place that maps the program's font
// names to fonts a Debian desktop has.

#include <QFont>
#include <QRect>
#include <QString>
#include <string_view>

#include "platform/runtime/window_def.h"

namespace qv::qt {

// "Arial" -> "Liberation Sans" (same metrics); the old bitmap sans fonts and
// an empty name -> "DejaVu Sans"; any other name as given.
QString mapFontFamily(std::string_view name);
// The font a definition asks for, on top of a base (the window's font);
// an empty name or size keeps the base's.
QFont makeFont(const rt::FontDef& def, const QFont& base);
// The window system's default dialog font: 8 points of the default family.
QFont defaultWindowFont();

class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);
    // Horizontal units are quarters of the average character width, vertical
    // ones eighths of the character height.
    int x(int units) const;
    int y(int units) const;
    int toUnitsX(int pixels) const;
    int toUnitsY(int pixels) const;
    // Unknown parts (-1) stay -1.
    QRect toPixels(const rt::Rect& r) const;
    rt::Rect toUnits(const QRect& r) const;
    int averageCharWidth() const { return charWidth_; }
    int charHeight() const { return charHeight_; }

private:
    int charWidth_;
    int charHeight_;
};

} // namespace qv::qt
