// A graph of one list column: every record of the list's view counted by
// the value the column shows, drawn as bars with their counts and
// percentages in a window of its own.

#include "qvls/browse_extension/brovex_graph.h"
#include "qvls/browse_extension/brovex_progress.h"

#include <algorithm>
#include <cstdio>

#include "platform/framework/ini_store.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/clipboard.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/events.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/text_measure.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/core/placement.h"
#include "qvls/windows/BrovexGraph.h"

namespace qv::qvls {

namespace {

constexpr int kMaxCategories = 50;
constexpr int kBarColors = 8;
constexpr int kGraphFontSize = 12;
constexpr std::string_view kSection = "BrovexPreferences";
constexpr std::string_view kCaption = "Brovex";

namespace G = ctl::BrovexGraph;

} // namespace

// ---------------------------------------------------------------- categories

BrovexGraphCategory& BrovexGraphCategories::category(const std::string& name)
{
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), name,
        [](const BrovexGraphCategory& row, const std::string& n) { return row.name < n; });
    if (at != rows_.end() && at->name == name)
        return *at;
    BrovexGraphCategory fresh;
    fresh.name = name;
    return *rows_.insert(at, std::move(fresh));
}

void BrovexProcedure::AddGraphValue(
    BrovexGraphCategories& categories, const std::vector<std::string>& row, int column, const std::string& picture)
{
    constexpr std::size_t kNameLength = 80;
    const auto i = static_cast<std::size_t>(column - 1);
    const std::string value = column >= 1 && i < row.size() ? row[i] : std::string();
    const std::string name(text::firstChars(text::trim(rt::formatPicture(value, picture)), kNameLength));
    BrovexGraphCategory& c = categories.category(name);
    c.count += 1;
    c.textSfx = std::string(text::trim(rt::formatPicture(std::to_string(c.total), picture)));
}

// ---------------------------------------------------------------- layout and texts

BrovexGraphLayout LayoutGraph(int width, int height, int n)
{
    BrovexGraphLayout l;
    if (n < 1)
        return l;
    if (n >= 6) {
        l.gap = 4;
        l.barWidth = (width - 80) / n - 4;
        if (l.barWidth < 10) {
            l.gap = 2;
            l.barWidth = (width - 80) / n - 2;
        }
    } else {
        const int slot = (width - 160) / n;
        l.gap = slot / 5;
        l.barWidth = 4 * l.gap;
    }
    // An area too small for the bars still draws each one, a unit wide.
    l.gap = std::max(l.gap, 0);
    l.barWidth = std::max(l.barWidth, 1);
    l.y0 = height - 50;
    l.x0 = (width - ((n - 1) * (l.barWidth + l.gap) + l.barWidth)) / 2 + 32;
    return l;
}

int BrovexGraphLayout::barHeight(long count, long largest) const
{
    if (largest < 1)
        return 0;
    return static_cast<int>(count * (y0 - kTopMargin) / largest);
}

std::string GraphLegendText(const BrovexGraphCategory& category)
{
    std::string_view name = category.name;
    // The month and weekday names carry their number only to sort by it.
    if (name.size() >= 4 && name.substr(2, 2) == " =")
        name.remove_prefix(4);
    std::string legend = std::string(text::trimRight(name)) + " ";
    if (category.total != 0)
        legend += text::trimRight(category.textSfx);
    return legend;
}

std::string GraphPercentText(int percentTenths, bool whole)
{
    if (whole)
        return std::to_string((percentTenths + 5) / 10);
    return std::to_string(percentTenths / 10) + "." + std::to_string(percentTenths % 10);
}

void MonthName(int month, std::string& text)
{
    static constexpr std::string_view names[] = {" 1 =January", " 2 =February", " 3 =March", " 4 =April", " 5 =May",
        " 6 =June", " 7 =July", " 8 =August", " 9 =September", "10 =October", "11 =November", "12 =December"};
    if (month >= 1 && month <= 12)
        text = names[month - 1];
}

void WeekdayName(int day, std::string& text)
{
    static constexpr std::string_view names[]
        = {" 1 =Sunday", " 2 =Monday", " 3 =Tuesday", " 4 =Wednesday", " 5 =Thursday", " 6 =Friday", " 7 =Saturday"};
    if (day >= 1 && day <= 7)
        text = names[day - 1];
}

namespace {

struct HourBand {
    std::string_view first, last, text;
};

void toBand(std::string& text, std::initializer_list<HourBand> bands)
{
    const std::string_view hour = text::trimRight(text);
    for (const HourBand& b : bands)
        if (hour >= b.first && hour <= b.last) {
            text = b.text;
            return;
        }
}

} // namespace

void TimeBand6Hours(std::string& text)
{
    toBand(text,
        {{"00", "05", "00:00-05:59"}, {"06", "11", "06:00-11:59"}, {"12", "17", "12:00-17:59"},
            {"18", "23", "18:00-23:59"}});
}

void TimeBand4Hours(std::string& text)
{
    toBand(text,
        {{"00", "03", "00:00-03:59"}, {"04", "07", "04:00-07:59"}, {"08", "11", "08:00-11:59"},
            {"12", "15", "12:00-15:59"}, {"16", "19", "16:00-19:59"}, {"20", "23", "20:00-23:59"}});
}

// ---------------------------------------------------------------- preferences

const std::array<std::string_view, GraphPreferences::kColors>& GraphPreferences::defaultColors()
{
    static constexpr std::array<std::string_view, kColors> colors = {"Maroon", "Olive", "Navy", "Silver", "Purple",
        "Green", "Teal", "Gray", "Red", "Yellow", "Blue", "Lime", "Fuschia", "Aqua", "White", "Black"};
    return colors;
}

namespace {

std::string colorKey(int i)
{
    char key[8];
    std::snprintf(key, sizeof key, "Col%02d", i + 1);
    return key;
}

} // namespace

GraphPreferences GraphPreferences::read(const fw::IniStore& ini, int defaultFontSize)
{
    GraphPreferences p;
    for (int i = 0; i < kColors; ++i)
        p.colors[static_cast<std::size_t>(i)]
            = ini.Fetch(kSection, colorKey(i), defaultColors()[static_cast<std::size_t>(i)]);
    p.fontName = ini.Fetch(kSection, "FontName", "Arial");
    p.fontSize = static_cast<int>(ini.fetchInt(kSection, "FontSize", defaultFontSize));
    p.fontColor = static_cast<long>(ini.fetchInt(kSection, "FontColor", 0));
    p.fontStyle = static_cast<long>(ini.fetchInt(kSection, "FontStyle", font_style::Bold));
    return p;
}

void GraphPreferences::write(fw::IniStore& ini) const
{
    for (int i = 0; i < kColors; ++i)
        ini.Update(kSection, colorKey(i), colors[static_cast<std::size_t>(i)]);
    ini.Update(kSection, "FontName", fontName);
    ini.updateInt(kSection, "FontSize", fontSize);
    ini.updateInt(kSection, "FontColor", fontColor);
    ini.updateInt(kSection, "FontStyle", fontStyle);
}

rt::FontDef GraphPreferences::legendFont() const
{
    rt::FontDef f;
    f.name = fontName;
    f.size = fontSize;
    f.color = static_cast<int>(fontColor);
    f.bold = (fontStyle & font_style::WeightMask) >= 600;
    f.italic = (fontStyle & font_style::Italic) != 0;
    return f;
}

// ---------------------------------------------------------------- the graph window

namespace {

// Numbers of the controls the graph adds to its window.
namespace drawn {
constexpr int CountLabel = 99, PercentLabel = 199;
constexpr int Count = 100, Percent = 200, Legend = 300, Bar = 400; // + the category's place
constexpr int Axis = 398;
} // namespace drawn

class GraphWindow : public fw::WindowController
{
public:
    GraphWindow(BrovexList& list, const BrovexGraphCategories& categories, std::string heading1, std::string heading2,
        const fw::IniStore& ini)
        : fw::WindowController("BrovexGraph")
        , list_(list)
        , categories_(categories)
        , heading1_(std::move(heading1))
        , heading2_(std::move(heading2))
        , ini_(ini)
    {
        onAccepted(G::Preferences, [this] {
            list_.EditPreferences();
            redraw();
        });
        onAccepted(G::ToClipboard, [this] { copyGraph(); });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        loadWindow("qvls", "BrovexGraph");
        window()[G::Heading1].setText(heading1_);
        window()[G::Heading2].setText(heading2_);
        addResponseButton(G::OK.name, fw::response::Completed);
        openWindow();
        window().setMaximized(true);
        window().alert(std::vector<int>{kPrintScreen, rt::key::withAlt(kPrintScreen)});
        draw();
        return fw::Benign;
    }

    fw::Level OnEvent(const rt::Event& e) override
    {
        switch (e.code) {
        case rt::event::OpenWindow:
        case rt::event::Rejected:
            window().select(window()[G::OK]);
            break;
        case rt::event::Sized:
            // A window that shows another area lays its bars out again.
            if (const rt::Rect area = window().area(); area.width != area_.width || area.height != area_.height)
                draw();
            break;
        case rt::event::Timer:
            showButtons(true);
            window().select(window()[G::OK]);
            window().setTimer(0);
            return fw::Benign;
        case rt::event::AlertKey:
            if (rt::key::virtualKey(e.keyCode) == kPrintScreen) {
                copyGraph();
                return fw::Benign;
            }
            break;
        default:
            break;
        }
        return fw::WindowController::OnEvent(e);
    }

private:
    static constexpr int kPrintScreen = 44;

    // Lays the bars out for the window's present area and draws them.
    void draw()
    {
        area_ = window().area();
        layout_ = LayoutGraph(area_.width, area_.height, categories_.size());
        redraw();
    }

    // Everything drawn again in the present preferences; the layout stays.
    void redraw()
    {
        for (rt::Control* c : window().addedControls())
            window().destroyControl(c->number());
        const GraphPreferences prefs = GraphPreferences::read(ini_, kGraphFontSize);
        const rt::FontDef font = prefs.legendFont();
        const int th = rt::textHeight(font);
        const BrovexGraphLayout& l = layout_;
        text(drawn::CountLabel, "Count", {l.x0 - 70, l.y0 + 4, l.barWidth, th}, font);
        text(drawn::PercentLabel, "Percent", {l.x0 - 70, l.y0 + 20, l.barWidth, th}, font);
        long largest = 0;
        for (const BrovexGraphCategory& c : categories_.rows())
            largest = std::max(largest, c.count);
        int i = 0;
        for (const BrovexGraphCategory& c : categories_.rows()) {
            ++i;
            const int x = l.barX(i);
            const int h = l.barHeight(c.count, largest);
            rt::Control& bar = shape(rt::ControlType::Box, drawn::Bar + i, {x, l.y0 - h + 2, l.barWidth, h}, 1);
            long color = 0;
            BrovexList::ColorFromName(prefs.colors[static_cast<std::size_t>((i - 1) % kBarColors)], color);
            if (color >= 0)
                bar.setProperty(rt::prop::Fill, std::to_string(color));
            const std::string legend = GraphLegendText(c);
            const int tw = rt::textWidth(font, legend);
            rt::Control& turned = text(
                drawn::Legend + i, legend, {l.barWidth / 2 + x - 3 * th / 2 + 2, l.y0 - tw - 10, 2 * th, tw + 4}, font);
            turned.setProperty(rt::prop::Angle, "90");
            text(drawn::Count + i, std::to_string(c.count), {x, l.y0 + 4, l.barWidth, th}, font);
            text(drawn::Percent + i, GraphPercentText(c.percentTenths, l.wholePercent()),
                {x, l.y0 + 20, l.barWidth, th}, font);
        }
        shape(rt::ControlType::Line, drawn::Axis, {l.x0, l.y0 + 2, l.axisLength(categories_.size()), 2}, 4);
    }

    rt::Control& text(int number, std::string value, rt::Rect at, const rt::FontDef& font)
    {
        rt::ControlDef d;
        d.type = rt::ControlType::String;
        d.number = number;
        d.text = std::move(value);
        d.at = at;
        d.font = font;
        return window().createControl(std::move(d));
    }

    rt::Control& shape(rt::ControlType type, int number, rt::Rect at, int pen)
    {
        rt::ControlDef d;
        d.type = type;
        d.number = number;
        d.at = at;
        rt::Control& c = window().createControl(std::move(d));
        c.setProperty(rt::prop::LineWidth, std::to_string(pen));
        return c;
    }

    void showButtons(bool on)
    {
        for (rt::ControlId b : {G::ToClipboard, G::Preferences, G::OK})
            window()[b].setHidden(!on);
    }

    // The picture goes without the buttons, which come back a second later.
    void copyGraph()
    {
        showButtons(false);
        rt::clipboard().setPicture(window());
        window().setTimer(100);
    }

    BrovexList& list_;
    const BrovexGraphCategories& categories_;
    std::string heading1_, heading2_;
    const fw::IniStore& ini_;
    rt::Rect area_;
    BrovexGraphLayout layout_;
};

void tell(const std::string& text)
{
    rt::message(text, std::string(kCaption), rt::Icon::Information);
}

} // namespace

void BrovexList::GraphColumn()
{
    qsel_.clear();
    const BrovexColumn* shown = shownAt(currentCol_);
    if (!shown || !procedure_)
        return;
    const BrovexColumn column = *shown;
    const std::string description(text::trimRight(column.description));
    const long inView = procedure_->CountRecords();
    long read = 0;
    bool tooMany = false;
    bool cancelled = false;
    {
        BrovexProgress progress;
        browse_->forEachRecord([&](const std::vector<std::string>& cells) {
            procedure_->AddGraphValue(qsel_, cells, column.qnos, column.picture);
            tooMany = qsel_.size() > kMaxCategories;
            cancelled = !progress.step(++read, inView);
            return !tooMany && !cancelled;
        });
    }
    if (cancelled) { // the user stopped the counting: no graph of part of the records
        qsel_.clear();
        return;
    }
    const auto end = [&](const std::string& why) {
        tell(why);
        qsel_.clear();
    };
    if (tooMany)
        return end("Too complex to graph - exceeds max number of categories: " + std::to_string(kMaxCategories) + " - '"
            + description);
    // Percentages and bar heights divide by the records read and the largest
    // count, which these two cases would leave at nothing to show.
    if (qsel_.size() == 0)
        return end("There are no categories to Graph of '" + description + "'");
    if (qsel_.size() == 1)
        return end("There is only one category to Graph of '" + description + "'");
    for (BrovexGraphCategory& c : qsel_.rows())
        c.percentTenths = static_cast<int>((c.count * 2000 + read) / (2 * read));
    GraphWindow(*this, qsel_, std::to_string(qsel_.size()) + " Categories of Field: " + description,
        "Filter: " + FilterText(), ini_)
        .Execute();
    qsel_.clear();
}

} // namespace qv::qvls
