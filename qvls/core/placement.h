#pragma once
// Where windows were and how big, per procedure; the fonts chosen for single
// reports; and the user's date picture in lists.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/framework/ini_store.h"
#include "platform/runtime/dialogs.h"

namespace qv::rt {
class Control;
class Window;
} // namespace qv::rt

namespace qv::qvls {

inline constexpr std::string_view kPositionFile = ".\\POSITION.INI";
inline constexpr std::string_view kReportFontFile = ".\\QVLRORPT.INI";

// Keeps the window's placement in its procedure's section, unless it is
// hidden, minimized, or off the top or left edge without being maximized
// (the last good placement then stays). A maximized window keeps only
// Maximize=Yes, so its normal placement survives.
void SaveWindowPosition(fw::IniStore& store, std::string_view procedure, const rt::Window& window);
// As a window opens: puts it where SaveWindowPosition left it. True when the
// store held a placement for it.
bool restoreWindowPosition(const fw::IniStore& store, std::string_view procedure, rt::Window& window);
// Pulls a window that is not maximized back from beyond the top or left edge.
void KeepWindowOnScreen(rt::Window& window);

// A report's font as ".\QVLRORPT.INI" keeps it.
struct ReportFont {
    std::string name;
    int size = 0; // points
    int color = 0; // 0xBBGGRR
    int style = 0; // weight plus the attribute flags below
    int charSet = 0;
};
namespace font_style {
inline constexpr int Regular = 400, Bold = 700;
inline constexpr int Italic = 0x1000, Underline = 0x2000, Strikeout = 0x4000;
inline constexpr int WeightMask = 0x0FFF;
} // namespace font_style

// What the font dialog starts on for a font kept as name, size, colour and
// style number; and the style number of what the user chose there, keeping
// what the dialog cannot show of the kept style.
rt::FontSpec fontSpecOf(std::string name, int size, int color, int style);
int fontStyleOf(const rt::FontSpec& chosen, int keptStyle);

// What a report offers for its font: the report's own font, then each of
// its controls from the first to the last.
class ReportFontTarget
{
public:
    virtual ~ReportFontTarget() = default;
    virtual void setReportFont(const ReportFont& font) = 0;
    virtual std::size_t controlCount() const = 0;
    virtual void setControlFont(std::size_t control, const ReportFont& font) = 0;
};

ReportFont readReportFont(std::string_view reportKey);
// When custom report fonts are on (or force is set) asks for the report's
// font, preset with the one kept for it; applies and keeps the choice. A
// cancel leaves the report and the file as they were.
void ChooseReportFont(ReportFontTarget& report, std::string_view reportKey, bool force = false);

// Every date picture ("@D...@", any case) of a list format becomes "@" +
// the picture + "@".
std::string ApplyDatePicture(std::string format, std::string_view datePicture);
// The list shows its dates with the DateFormat setting.
void ApplyDatePicture(rt::Control& list);
// The picture forms enter release dates with, without its "@": the first six
// characters of DateFormat, "n4b" (a year) while none was chosen.
std::string ReleaseDateToken();

} // namespace qv::qvls
