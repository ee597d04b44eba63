#pragma once
// A finished page: what was drawn on it, kept as a list of drawing steps so
// that the previewer, the printer and PDF replay the same page. Lengths are
// thousandths of an inch from the page's top left corner.

#include <cstdint>
#include <string>
#include <vector>

namespace qv::report {

// Colours are 0xRRGGBB; kNoColour leaves a box unfilled.
inline constexpr std::int32_t kBlack = 0x000000;
inline constexpr std::int32_t kNoColour = -1;

struct FontSpec {
    std::string face = "Arial";
    int size = 8; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const FontSpec&) const = default;
};

enum class Align : std::uint8_t { Left, Center, Right };

struct DrawStep {
    enum class Kind : std::uint8_t { Text, Box, Line, Image, Check };
    Kind kind = Kind::Text;
    // A line runs from (x, y) to (x + width, y + height).
    int x = 0, y = 0, width = 0, height = 0;
    std::string text; // a text's or a check box's caption; an image's file
    std::uint16_t font = 0; // into Page::fonts
    std::int32_t colour = kBlack; // text, line and box border
    std::int32_t fill = kNoColour; // a box's inside
    int lineWidth = 10; // boxes and lines
    Align align = Align::Left;
    bool wrap = false; // a multi-line text: words wrap inside the width
    int angle = 0; // a text's rotation, tenths of a degree counter-clockwise
    bool checked = false;
    bool operator==(const DrawStep&) const = default;
};

// The paper every page of one report is laid out on.
struct PageSetup {
    int width = 8500; // US Letter
    int height = 11000;
    bool landscape = false;
    bool operator==(const PageSetup&) const = default;
};

struct Page {
    std::vector<FontSpec> fonts;
    std::vector<DrawStep> steps;

    // The index of the font in this page's table, added when new.
    std::uint16_t fontIndex(const FontSpec& font);
    bool empty() const { return steps.empty(); }
    bool operator==(const Page&) const = default;
};

// Where a report's finished pages go: a page queue, or a printer that prints
// each page as it is finished.
class PageSink
{
public:
    virtual ~PageSink() = default;
    virtual void addPage(Page page) = 0;
};

} // namespace qv::report
