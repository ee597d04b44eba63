#pragma once
// Value graphs of a list column: the categories the records fall into, the
// bar layout, the texts under and over the bars, the graph preferences kept
// in the list's INI file, and the category texts a using procedure may give
// months, weekdays and hours.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/window_def.h"

namespace qv::fw {
class IniStore;
}

namespace qv::qvls {

struct BrovexGraphCategory {
    std::string name; // the column's value as the list shows it
    long count = 0;
    int percentTenths = 0; // count x 100 / records read, in tenths
    double total = 0; // an amount summed per category; the counting step adds none
    std::string textSfx; // the total as the column's picture shows it
};

// The categories of one graph, in ascending order of name by character
// codes: the bars run left to right in that order.
class BrovexGraphCategories
{
public:
    // The category of that name, inserted at its sorted place when missing.
    BrovexGraphCategory& category(const std::string& name);
    const std::vector<BrovexGraphCategory>& rows() const { return rows_; }
    std::vector<BrovexGraphCategory>& rows() { return rows_; }
    int size() const { return static_cast<int>(rows_.size()); }
    void clear() { rows_.clear(); }

private:
    std::vector<BrovexGraphCategory> rows_;
};

// Where the bars go on an area of width x height, for n categories: the
// whole-number arithmetic of the graph window.
struct BrovexGraphLayout {
    int barWidth = 0, gap = 0;
    int x0 = 0, y0 = 0; // the first bar's left edge; the bars' foot
    static constexpr int kTopMargin = 30;
    int barX(int i) const { return x0 + (i - 1) * (barWidth + gap); } // i from 1
    int barHeight(long count, long largest) const;
    int axisLength(int n) const { return n * (barWidth + gap) - gap + 1; }
    // Narrow bars show their percentage without its decimal place.
    bool wholePercent() const { return barWidth + gap < 26; }
};
BrovexGraphLayout LayoutGraph(int width, int height, int n);

// The text over a bar: a month's or weekday's name without its number, and
// the category's total when it is not 0.
std::string GraphLegendText(const BrovexGraphCategory& category);
// The percentage under a bar.
std::string GraphPercentText(int percentTenths, bool whole);

// Category texts a procedure's counting step may use: "10 =October",
// " 1 =Sunday"; a number outside the months or weekdays leaves text alone.
void MonthName(int month, std::string& text);
void WeekdayName(int day, std::string& text);
// An hour "00" to "23" becomes the band of hours that holds it
// ("06:00-11:59"); any other text stays as it is.
void TimeBand6Hours(std::string& text);
void TimeBand4Hours(std::string& text);

// The colours graphs use, in order, and the font of their legends; kept in
// section "BrovexPreferences" of the list's INI file.
struct GraphPreferences {
    static constexpr int kColors = 16;
    std::array<std::string, kColors> colors;
    std::string fontName;
    int fontSize = 0;
    long fontColor = 0;
    long fontStyle = 0;

    static const std::array<std::string_view, kColors>& defaultColors();
    // Missing keys take the defaults; a missing font size takes the one given.
    static GraphPreferences read(const fw::IniStore& ini, int defaultFontSize);
    // Every key, so the section is complete afterwards.
    void write(fw::IniStore& ini) const;
    rt::FontDef legendFont() const;
};

} // namespace qv::qvls
