#pragma once
// Report definitions are data: one YAML file per report, compiled into the
// program and opened by module and report name, as windows are. This is only
// what the file says; a run of the report is report_controller.h.
//
// Lengths are thousandths of an inch. Page header, page footer and form band
// stand at their places on the page; detail bands, group headers and footers
// and the bands the program prints by name flow down the page body, at their
// x from the body's left edge. Controls are placed relative to their band.
//
//   page: {width: 8500, height: 11000, landscape: false}
//   font: {face: Arial, size: 8}                  # the report's font
//   body: [490, 1708, 7010, 8646]                 # x, y, width, height
//   header: {at: [490, 1000, 7010, 719], controls: [...]}
//   footer: {at: [490, 10385, 7010, 219], controls: [...]}
//   form: {at: [0, 0, 8500, 11000], controls: [...]}
//   details: [{name: Detail, x: 10, width: 7010, height: 344, controls: [...]}]
//   breaks: [{name: ByFileNumber, on: ALB:FileNumber, header: {...}, footer: {...}}]
//   bands: [{name: Totals, height: 200, controls: [...]}]
//
// A control: type (string, text, multiline, box, line, image, check,
// pagenumber, rundate), name, at [x, y] with an optional width and height,
// text (a string's text, a check box's caption), file (an image's), use (a
// name or expression), picture, font {face, size, bold, italic, underline},
// colour and fill (0xRRGGBB or "#RRGGBB"), linewidth, align (left, center,
// right), angle (tenths of a degree), hidden.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report/page.h"

namespace qv::report {

enum class ControlKind : std::uint8_t {
    String, // fixed text
    Text, // a bound value through its picture
    Multiline, // fixed or bound text that wraps inside its width
    Box,
    Line,
    Image,
    Check, // checked while its bound value is not 0 or blank
    PageNumber,
    RunDate,
};

// What a control changes of the report's font; the rest is the report's.
struct FontChoice {
    std::optional<std::string> face;
    std::optional<int> size;
    std::optional<bool> bold, italic, underline;
    FontSpec over(const FontSpec& base) const;
};

inline constexpr int kNatural = -1; // a width or height not given

struct ReportControlDef {
    ControlKind kind = ControlKind::String;
    std::string name; // "?Title"; may be empty for a control no one changes
    int x = 0, y = 0;
    int width = kNatural, height = kNatural;
    std::string text; // a string's text, a check box's caption, an image's file
    std::string use; // the bound name or expression of a text or check box
    std::string picture; // "@n3b", "@d4", "@pPage <<<#p"
    FontChoice font;
    std::int32_t colour = kBlack; // text, line and box border
    std::int32_t fill = kNoColour;
    int lineWidth = 10;
    Align align = Align::Left;
    int angle = 0; // tenths of a degree, counter-clockwise
    bool hidden = false;
};

struct BandDef {
    std::string name; // "?Detail"
    // Page bands: their place on the page. Flowing bands: x from the body's
    // left edge; y is where the band lands.
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<ReportControlDef> controls;
};

// A group: when the value of `on` changes from one detail to the next, the
// old group's footer and the new group's header print.
struct GroupBreakDef {
    std::string name;
    std::string on; // a name or expression
    std::optional<BandDef> header, footer;
};

struct ReportDef {
    std::string module;
    std::string name;
    PageSetup page;
    FontSpec font; // the font of every control that names none
    // The part of the page the flowing bands fill.
    int bodyX = 0, bodyY = 0, bodyWidth = 0, bodyHeight = 0;
    std::optional<BandDef> header, footer;
    std::optional<BandDef> form; // drawn on every page, its controls at page positions
    std::vector<BandDef> details;
    std::vector<GroupBreakDef> breaks; // outermost first
    std::vector<BandDef> bands; // printed only when the program prints them by name
};

// Reads a definition from YAML text. Throws rt::DefinitionError naming the
// report and the offending entry.
ReportDef parseReportDef(std::string_view yaml, std::string_view module, std::string_view name);

// Finds "reports/<name>.yaml" of a module in the resource store.
ReportDef loadReportDef(std::string_view module, std::string_view name);

// What is wrong with a control that would otherwise only show as a blank or
// a wrong text on paper; empty when nothing is.
std::string controlProblem(const ReportControlDef& control);

// "?Title" for "Title": YAML reads a leading "?" as a key marker, so files may
// leave it out.
std::string controlName(std::string_view written);

} // namespace qv::report
