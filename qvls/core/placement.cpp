#include "qvls/core/placement.h"

#include "platform/runtime/dialogs.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls {

namespace {

constexpr std::string_view kFontsSection = "Fonts";

std::string fontKey(std::string_view prefix, std::string_view reportKey)
{
    return std::string(prefix) + std::string(reportKey);
}

} // namespace

void SaveWindowPosition(fw::IniStore& store, std::string_view procedure, const rt::Window& window)
{
    if (window.hidden() || window.iconized())
        return;
    const rt::Rect at = window.geometry();
    const bool maximized = window.maximized();
    if (!maximized && (at.x < 0 || at.y < 0))
        return;
    fw::Placement p;
    p.maximize = maximized;
    if (!maximized) {
        p.x = at.x;
        p.y = at.y;
        if (window.def().resizable) {
            p.width = at.width;
            p.height = at.height;
        }
    }
    store.writePlacement(procedure, p);
}

bool restoreWindowPosition(const fw::IniStore& store, std::string_view procedure, rt::Window& window)
{
    return store.restoreWindow(procedure, window);
}

void KeepWindowOnScreen(rt::Window& window)
{
    if (window.maximized())
        return;
    rt::Rect at = window.geometry();
    if (at.x >= 0 && at.y >= 0)
        return;
    if (at.x < 0)
        at.x = 1;
    if (at.y < 0)
        at.y = 1;
    window.setGeometry(at);
}

rt::FontSpec fontSpecOf(std::string name, int size, int color, int style)
{
    rt::FontSpec spec;
    spec.name = std::move(name);
    spec.size = size;
    spec.color = color;
    spec.bold = (style & font_style::WeightMask) >= 600;
    spec.italic = (style & font_style::Italic) != 0;
    return spec;
}

int fontStyleOf(const rt::FontSpec& chosen, int keptStyle)
{
    namespace fs = font_style;
    // The dialog knows bold or not: a kept weight it cannot show survives
    // unless the user changed the boldness; underline and strikeout are not
    // the dialog's to change.
    const int keptWeight = keptStyle & fs::WeightMask;
    const bool keptBold = keptWeight >= 600;
    const int weight = chosen.bold == keptBold && keptWeight != 0 ? keptWeight : chosen.bold ? fs::Bold : fs::Regular;
    return weight | (chosen.italic ? fs::Italic : 0) | (keptStyle & (fs::Underline | fs::Strikeout));
}

ReportFont readReportFont(std::string_view reportKey)
{
    const rt::IniFile ini = rt::IniFile::named(kReportFontFile);
    ReportFont f;
    f.name = ini.get(kFontsSection, fontKey("FontName", reportKey));
    f.size = static_cast<int>(ini.getInt(kFontsSection, fontKey("FontSize", reportKey), 0));
    f.color = static_cast<int>(ini.getInt(kFontsSection, fontKey("FontColor", reportKey), 0));
    f.style = static_cast<int>(ini.getInt(kFontsSection, fontKey("FontStyle", reportKey), 0));
    f.charSet = static_cast<int>(ini.getInt(kFontsSection, fontKey("FontCharSet", reportKey), 0));
    return f;
}

void ChooseReportFont(ReportFontTarget& report, std::string_view reportKey, bool force)
{
    if (glo().reportCustomFont == 0 && !force)
        return;
    const ReportFont kept = readReportFont(reportKey);
    rt::FontSpec spec = fontSpecOf(kept.name, kept.size, kept.color, kept.style);
    if (!rt::fontDialog(spec, "Choose Report Font"))
        return;

    ReportFont chosen;
    chosen.name = spec.name;
    chosen.size = spec.size;
    chosen.color = spec.color;
    chosen.style = fontStyleOf(spec, kept.style);
    // The character set is not the dialog's to change.
    chosen.charSet = kept.charSet;

    report.setReportFont(chosen);
    for (std::size_t i = 0; i < report.controlCount(); ++i)
        report.setControlFont(i, chosen);

    rt::IniFile ini = rt::IniFile::named(kReportFontFile);
    ini.set(kFontsSection, fontKey("FontName", reportKey), chosen.name);
    ini.setInt(kFontsSection, fontKey("FontSize", reportKey), chosen.size);
    ini.setInt(kFontsSection, fontKey("FontColor", reportKey), chosen.color);
    ini.setInt(kFontsSection, fontKey("FontStyle", reportKey), chosen.style);
    ini.setInt(kFontsSection, fontKey("FontCharSet", reportKey), chosen.charSet);
}

std::string ApplyDatePicture(std::string format, std::string_view datePicture)
{
    datePicture = text::trimRight(datePicture);
    std::size_t from = 0;
    for (;;) {
        std::size_t at = std::string::npos;
        for (std::size_t i = from; i + 1 < format.size(); ++i)
            if (format[i] == '@' && (format[i + 1] == 'D' || format[i + 1] == 'd')) {
                at = i;
                break;
            }
        if (at == std::string::npos)
            break;
        const std::size_t close = format.find('@', at + 2);
        if (close == std::string::npos)
            break;
        format.replace(at + 1, close - at - 1, datePicture);
        // Past the picture's closing "@", wherever the new picture put it.
        from = at + 1 + datePicture.size() + 1;
    }
    return format;
}

std::string ReleaseDateToken()
{
    const std::string& format = settings().DateFormat;
    return text::trimRight(format).empty() ? std::string("n4b")
                                           : format.substr(0, std::min<std::size_t>(6, format.size()));
}

void ApplyDatePicture(rt::Control& list)
{
    std::string format = ApplyDatePicture(list.format(), settings().DateFormat);
    if (format != list.format())
        list.setFormat(std::move(format));
}

} // namespace qv::qvls
