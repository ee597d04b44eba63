#pragma once
// Draws finished pages: the one place that turns drawing steps into marks,
// for the previewer, the printer and PDF alike.

#include <QImage>

#include "platform/report/page.h"

class QPainter;

namespace qv::report {

// Draws the page with the painter's origin at the page's top left corner and
// the painter's device resolution given in dots per inch.
void paintPage(QPainter& painter, const Page& page, double dotsPerInch);

// The page on white paper at the resolution, for showing on screen.
QImage pageImage(const Page& page, const PageSetup& setup, double dotsPerInch);

} // namespace qv::report
