#include "platform/report/fonts.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <cmath>
#include <memory>

#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::report {

void ensureFontSystem()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qvls";
    static char* argv[] = {name, nullptr};
    static auto app = std::make_unique<QGuiApplication>(argc, argv);
}

std::string installedFace(std::string_view face)
{
    const std::string upper = text::asciiUpper(text::trim(face));
    if (upper == "ARIAL" || upper == "MS SANS SERIF" || upper == "SMALL FONTS" || upper == "HELVETICA"
        || upper == "MS SHELL DLG" || upper == "TAHOMA" || upper == "VERDANA" || upper.empty())
        return "Liberation Sans";
    if (upper == "ARIAL NARROW")
        return "Liberation Sans Narrow";
    if (upper == "TIMES NEW ROMAN" || upper == "MS SERIF" || upper == "TIMES")
        return "Liberation Serif";
    if (upper == "COURIER NEW" || upper == "COURIER")
        return "Liberation Mono";
    return std::string(text::trim(face));
}

QFont qtFont(const FontSpec& font)
{
    ensureFontSystem();
    QFont f(QString::fromStdString(installedFace(font.face)));
    // Sized in thousandths of an inch: painters draw pages in those units, so
    // the page looks the same on every device and measures as it draws.
    f.setPixelSize(static_cast<int>(std::lround((font.size > 0 ? font.size : 8) * 1000.0 / 72.0)));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeout);
    // Hinting would fit glyphs to one device's pixels and make the widths
    // differ between the previewer, the printer and PDF.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

int textWidth(const FontSpec& font, std::string_view text)
{
    const QFontMetricsF metrics(qtFont(font));
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(QString::fromUtf8(text.data(), text.size()))));
}

int lineHeight(const FontSpec& font)
{
    const QFontMetricsF metrics(qtFont(font));
    return static_cast<int>(std::ceil(metrics.height()));
}

} // namespace qv::report
