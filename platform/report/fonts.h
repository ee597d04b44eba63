#pragma once
// Report fonts on this system: the faces reports name mapped to installed
// fonts of the same metrics, and texts measured in thousandths of an inch.

#include <string>
#include <string_view>

#include <QFont>

#include "platform/report/page.h"

namespace qv::report {

// Fonts need a GUI application object; a program running without a window
// system gets an offscreen one.
void ensureFontSystem();

// "Arial" and the other sans faces of the reports become Liberation Sans,
// which has Arial's widths, so layouts made for them fit; unknown faces are
// left to the font system's own substitution.
std::string installedFace(std::string_view face);

// The font sized in thousandths of an inch, the unit pages are drawn in.
QFont qtFont(const FontSpec& font);

// The width of one line of text and the height of a line, in thousandths of
// an inch.
int textWidth(const FontSpec& font, std::string_view text);
int lineHeight(const FontSpec& font);

} // namespace qv::report
