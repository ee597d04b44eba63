// The list's small windows: one number of a column or of the list, a
// header text, a column's colours, a typed filter, and the list's font.
// Each shows its changes on the list while it is open.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <optional>

#include "platform/expr/value.h"
#include "platform/framework/levels.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/list_box.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/list_column_edit.h"
#include "qvls/core/placement.h"
#include "qvls/windows/BrovexAttribute.h"
#include "qvls/windows/BrovexColumnColors.h"
#include "qvls/windows/BrovexFilter.h"
#include "qvls/windows/BrovexHeaderText.h"

namespace qv::qvls {

namespace {

struct NamedColor {
    std::string_view name;
    long value; // red + 256 * green + 65536 * blue; -1 the list's own
};

// In the order the drop lists show them.
constexpr std::array<NamedColor, 17> kColors
    = {{{"None", -1}, {"Black", 0}, {"Maroon", 128}, {"Green", 32768}, {"Olive", 32896}, {"Navy", 8388608},
        {"Purple", 8388736}, {"Teal", 8421376}, {"Gray", 8421504}, {"Silver", 12632256}, {"Red", 255}, {"Lime", 65280},
        {"Yellow", 65535}, {"Blue", 16711680}, {"Fuschia", 16711935}, {"Aqua", 16776960}, {"White", 16777215}}};

constexpr long kNoColor = -1;

namespace A = ctl::BrovexAttribute;
namespace C = ctl::BrovexColumnColors;
namespace F = ctl::BrovexFilter;
namespace H = ctl::BrovexHeaderText;

// A small window opens where the mouse last pressed the list (near the
// list's top left when the host never reported a press) and speaks in the
// list window's font.
void fitToList(rt::Window& small, const rt::Control& list)
{
    const rt::Rect owner = list.window().geometry();
    const rt::Rect box = list.geometry();
    const rt::ListHit& press = list.listPress();
    const rt::ListGeometry& laid = list.listGeometry();
    int dx = 0, dy = 0;
    if (press != rt::ListHit{} && laid.width > 0 && laid.height > 0) {
        // The host reports pixels; the window is placed in dialog units.
        dx = press.x * box.width / laid.width;
        dy = press.y * box.height / laid.height;
    }
    rt::Rect at = small.geometry();
    at.x = std::max(owner.x, 0) + std::max(box.x, 0) + dx;
    at.y = std::max(owner.y, 0) + std::max(box.y, 0) + dy;
    small.setGeometry(at);
    for (const auto& c : small.controls())
        c->setFont(list.window().def().font);
}

// A small window about the list: titled by the caller, closed by one
// button, placed where the mouse pressed the list.
class ListSideWindow : public fw::WindowController
{
protected:
    ListSideWindow(std::string_view window, rt::ControlId closer, const rt::Control& list, std::string title)
        : fw::WindowController(std::string(window))
        , closer_(closer)
        , list_(list)
        , title_(std::move(title))
    { }
    // Binds the window's variables and sets its texts before it opens.
    virtual void prepareControls() = 0;

public:
    fw::Level Prepare() final
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        loadWindow("qvls", name());
        window().setTitle(title_);
        prepareControls();
        addResponseButton(closer_.name, fw::response::Completed);
        openWindow();
        // Placed once open: the window's remembered place must not win.
        fitToList(window(), list_);
        return fw::Benign;
    }

    fw::Level OnAccepted(int control) override
    {
        // What was typed last counts when the button comes by Enter.
        if (control == closer_.number)
            window().update();
        return fw::WindowController::OnAccepted(control);
    }

private:
    rt::ControlId closer_;
    const rt::Control& list_;
    std::string title_;
};

// A window of one value and "OK": each new value is applied at once.
class OneValueWindow : public ListSideWindow
{
public:
    struct Design {
        std::string_view window;
        rt::ControlId prompt, value, ok;
    };
    OneValueWindow(const Design& design, const rt::Control& list, std::string title, std::string prompt,
        std::string value, std::function<void(const std::string&)> apply)
        : ListSideWindow(design.window, design.ok, list, std::move(title))
        , design_(design)
        , prompt_(std::move(prompt))
        , value_(std::move(value))
        , applied_(value_)
        , apply_(std::move(apply))
    {
        onNewSelection(design_.value, [this] { applyValue(); });
        onAccepted(design_.value, [this] { applyValue(); });
        onAccepted(design_.ok, [this] { applyValue(); });
    }

private:
    void prepareControls() override
    {
        if (!prompt_.empty())
            window()[design_.prompt].setText(prompt_);
        bindVariable("LOC:Value", value_);
    }
    void applyValue()
    {
        window().update();
        if (value_ == applied_)
            return;
        applied_ = value_;
        apply_(value_);
    }

    Design design_;
    std::string prompt_;
    std::string value_, applied_;
    std::function<void(const std::string&)> apply_;
};

const OneValueWindow::Design kNumberWindow{A::kWindow, A::ValuePrompt, A::Value, A::OK};
const OneValueWindow::Design kHeaderWindow{H::kWindow, H::TextPrompt, H::Text, H::OK};

// The four colours of a column in the list format's order: text,
// background, selected text, selected background.
using Colors = std::array<long, 4>;

class ColumnColorsWindow : public ListSideWindow
{
public:
    ColumnColorsWindow(
        const rt::Control& list, std::string title, const Colors& colors, std::function<void(const Colors&)> apply)
        : ListSideWindow(C::kWindow, C::OK, list, std::move(title))
        , colors_(colors)
        , apply_(std::move(apply))
    {
        for (std::size_t i = 0; i < kChoices.size(); ++i) {
            int place = 0;
            BrovexList::ColorName(colors_[kChoices[i].color], names_[i], place);
            onAccepted(kChoices[i].list, [this, i] { choose(i); });
        }
        onAccepted(C::Reset, [this] { reset(); });
    }

private:
    struct Choice {
        rt::ControlId list;
        std::string use;
        std::size_t color; // its place in Colors
    };
    static inline const std::array<Choice, 4> kChoices
        = {{{C::NormalBackground, "LOC:NormalBackground", 1}, {C::SelectedBackground, "LOC:SelectedBackground", 3},
            {C::NormalText, "LOC:NormalText", 0}, {C::SelectedText, "LOC:SelectedText", 2}}};

    void prepareControls() override
    {
        for (std::size_t i = 0; i < kChoices.size(); ++i)
            bindVariable(kChoices[i].use, names_[i]);
    }
    void choose(std::size_t i)
    {
        window().update();
        BrovexList::ColorFromName(names_[i], colors_[kChoices[i].color]);
        apply_(colors_);
    }
    void reset()
    {
        colors_.fill(kNoColor);
        names_.fill(std::string(kColors.front().name));
        window().display();
        apply_(colors_);
    }

    Colors colors_;
    std::array<std::string, 4> names_; // "" for a colour not among the 17
    std::function<void(const Colors&)> apply_;
};

// An operator and a value, bound to the list's own.
class FilterWindow : public ListSideWindow
{
public:
    FilterWindow(const rt::Control& list, std::string title, std::string& symbol, std::string& value)
        : ListSideWindow(F::kWindow, F::Search, list, std::move(title))
        , symbol_(symbol)
        , value_(value)
    { }

private:
    void prepareControls() override
    {
        bindVariable("LOC:Symbol", symbol_);
        bindVariable("LOC:Value", value_);
    }

    std::string& symbol_;
    std::string& value_;
};

std::optional<rt::ListFormatColumn> formatColumn(const rt::Control& list, int seq)
{
    const rt::ListFormat format = rt::readListFormat(list.format()).format;
    if (seq < 1 || seq > static_cast<int>(format.columns.size()))
        return std::nullopt;
    return format.columns[static_cast<std::size_t>(seq - 1)];
}

int number(const std::string& text)
{
    return std::atoi(text.c_str());
}

} // namespace

void BrovexList::ColorFromName(std::string_view name, long& value)
{
    for (const NamedColor& c : kColors)
        if (c.name == name) {
            value = c.value;
            return;
        }
}

void BrovexList::ColorName(long value, std::string& name, int& position)
{
    for (std::size_t i = 0; i < kColors.size(); ++i)
        if (kColors[i].value == value) {
            name = kColors[i].name;
            position = static_cast<int>(i) + 1;
            return;
        }
}

void BrovexList::EditAttribute(std::string_view code)
{
    struct Attribute {
        std::string title, prompt;
        int value = 0;
        std::function<void(int)> apply;
    };
    const auto listSide = [this](const char* title, int rt::Rect::*side) {
        return Attribute{title, std::string(title) + ":", list_->geometry().*side, [this, side](int v) {
                             rt::Rect at = list_->geometry();
                             at.*side = v;
                             list_->setGeometry(at);
                         }};
    };
    const int seq = list_->listPress().column;
    const BrovexColumn* c = shownAt(seq);
    const std::string header = c ? std::string(text::trimRight(c->header)) : std::string();
    std::optional<Attribute> a;
    if (code == "XPS") {
        a = listSide("X Pos", &rt::Rect::x);
    } else if (code == "YPS") {
        a = listSide("Y Pos", &rt::Rect::y);
    } else if (code == "BWI") {
        a = listSide("Width", &rt::Rect::width);
    } else if (code == "BHI") {
        a = listSide("Height", &rt::Rect::height);
    } else if (code == "LHI") {
        a = Attribute{"Line Height", "Line Height:", number(list_->property(rt::list_prop::LineHeight)),
            [this](int v) { list_->setProperty(rt::list_prop::LineHeight, std::to_string(v)); }};
    } else if (c && code == "WID") {
        a = Attribute{header, "Width:", formatColumn(*list_, seq).value_or(rt::ListFormatColumn{}).width,
            [this, seq](int v) { changeColumn(*list_, seq, [&](rt::ListFormatColumn& f) { f.width = v; }); }};
    } else if (c && (code == "HOS" || code == "DOS")) {
        const bool headerOffset = code == "HOS";
        a = Attribute{header, headerOffset ? "Header offset:" : "Data offset:", headerOffset ? c->hOffset : c->fOffset,
            [this, seq, headerOffset](int v) {
                BrovexColumn* column = shownAt(seq);
                if (!column)
                    return;
                currentCol_ = seq;
                if (headerOffset) {
                    column->hOffset = v;
                    ApplyHeaderJustification();
                } else {
                    column->fOffset = v;
                    ApplyDataJustification();
                }
            }};
    }
    if (!a)
        return;
    OneValueWindow(kNumberWindow, *list_, a->title, a->prompt, std::to_string(a->value), [&](const std::string& v) {
        a->apply(number(v));
    }).Execute();
}

void BrovexList::EditHeaderText(std::string_view code)
{
    const int seq = list_->listPress().column;
    const BrovexColumn* c = shownAt(seq);
    if (code != "HDR" || !c)
        return;
    constexpr std::size_t kTitleLength = 20, kHeaderLength = 25;
    const std::string header(text::trimRight(c->header));
    OneValueWindow(kHeaderWindow, *list_, ("Header Text: " + header).substr(0, kTitleLength), {}, header,
        [&](const std::string& typed) {
            BrovexColumn* column = shownAt(seq);
            if (!column)
                return;
            column->header = std::string(text::trimRight(typed.substr(0, kHeaderLength)));
            setHeaderText(seq, column->header);
        })
        .Execute();
}

void BrovexList::EditColumnColors()
{
    const int seq = currentCol_;
    const BrovexColumn* c = shownAt(seq);
    const std::optional<rt::ListFormatColumn> f = formatColumn(*list_, seq);
    if (!c || !f)
        return;
    const Colors colors = f->colours.value_or(Colors{kNoColor, kNoColor, kNoColor, kNoColor});
    ColumnColorsWindow(*list_, "Colors for Column: " + std::string(text::trimRight(c->description)), colors,
        [&](const Colors& chosen) {
            changeColumn(*list_, seq, [&](rt::ListFormatColumn& column) {
                // All four none: the list's own colours, and no colour part.
                if (std::all_of(chosen.begin(), chosen.end(), [](long v) { return v == kNoColor; }))
                    column.colours.reset();
                else
                    column.colours = chosen;
            });
        })
        .Execute();
}

void BrovexList::ChooseListFont()
{
    // Until Reset to Default or the properties window filled the working
    // settings, the dialog starts from the font the list shows.
    if (pars_.font.empty() && pars_.point == 0)
        ReadListSettings();
    rt::FontSpec spec
        = fontSpecOf(pars_.font, pars_.point, static_cast<int>(pars_.color), static_cast<int>(pars_.style));
    if (!rt::fontDialog(spec))
        return;
    rt::FontDef font = list_->font();
    font.name = spec.name;
    font.size = spec.size;
    font.color = spec.color;
    const int style = fontStyleOf(spec, static_cast<int>(pars_.style));
    font.bold = (style & font_style::WeightMask) >= 600;
    font.italic = (style & font_style::Italic) != 0;
    list_->setFont(font);
    // The next choice starts from this one.
    pars_.font = spec.name;
    pars_.point = spec.size;
    pars_.color = spec.color;
    pars_.style = style;
}

void BrovexList::UserFilter()
{
    const BrovexColumn* c = shownAt(currentCol_);
    // A column the window computes has no field to filter on.
    if (!c || c->viewField == 0)
        return;
    const std::string name = text::upper(c->field);
    const std::string picture
        = formatColumn(*list_, c->seq).value_or(rt::ListFormatColumn{}).picture.value_or(c->picture);
    // Closed without "Search" (Esc): the value goes, and nothing is set.
    if (FilterWindow(*list_, std::string(text::trimRight(c->description)), symbol, sValue).Execute()
        != fw::response::Completed)
        sValue.clear();
    std::string value(text::trimRight(sValue));
    if (value.empty())
        return;
    // A date or a number is compared as the value its picture stores; a
    // list without a picture shows, and so compares, the value as it is.
    if (picture.size() >= 2 && std::toupper(static_cast<unsigned char>(picture[1])) != 'S')
        value = rt::deformatPicture(value, picture);
    const std::string mark = upper && !expr::Value(value).looksNumeric() ? "^" : "";
    struct Operator {
        std::string_view symbol;
        fw::QueryDialog::Slot slot;
        std::string_view prefix;
    };
    using Slot = fw::QueryDialog::Slot;
    static constexpr Operator operators[] = {{"EQ", Slot::Equal, ""}, {"LT", Slot::High, ""}, {"GT", Slot::Low, ""},
        {"LE", Slot::High, "="}, {"GE", Slot::Low, "="}, {"NE", Slot::Equal, "~"}, {"CT", Slot::Equal, "*"}};
    for (const Operator& o : operators)
        if (o.symbol == symbol) {
            query_.setLimitText(name, o.slot, std::string(o.prefix) + mark + value);
            procedure_->RefreshBrowse();
            return;
        }
}

} // namespace qv::qvls
