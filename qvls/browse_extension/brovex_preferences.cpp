// The graph preferences window: sixteen named colours put in the order the
// graphs use them, and the font of the bar legends.

#include <array>
#include <string>
#include <vector>

#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/list_source.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_graph.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/core/placement.h"
#include "qvls/windows/BrovexPreferences.h"

namespace qv::qvls {

namespace {

namespace W = ctl::BrovexPreferences;

constexpr int kPreferencesFontSize = 8;
constexpr long kBlack = 0, kWhite = 16777215;

// The fields of a colour row: its name, a swatch, its four colours and its place.
enum Field { Name, Swatch, Text, Background, SelectedText, SelectedBackground, Sequence, kFields };

std::string styleDescription(long style, std::string described)
{
    static constexpr std::pair<long, std::string_view> styles[]
        = {{400, "Regular"}, {700, "Bold"}, {4096, "Italic"}, {4796, "Bold Italic"}, {8592, "Regular Underline"},
            {8892, "Bold Underline"}, {12288, "Italic Underline"}, {12988, "Bold Italic Underline"}};
    for (const auto& [value, text] : styles)
        if (value == style)
            return std::string(text);
    return described;
}

class PreferencesWindow : public fw::WindowController
{
public:
    PreferencesWindow(fw::IniStore& ini, int lhCol4Moving)
        : fw::WindowController("BrovexPreferences")
        , ini_(ini)
        , lhCol4Moving_(lhCol4Moving)
        , prefs_(GraphPreferences::read(ini, kPreferencesFontSize))
    {
        onAccepted(W::MoveUp, [this] { move(-1); });
        onAccepted(W::MoveDown, [this] { move(+1); });
        onAccepted(W::Reset, [this] { reset(); });
        onAccepted(W::ChangeFont, [this] { changeFont(); });
        onAccepted(W::OK, [this] {
            for (int i = 0; i < rows_.rowCount(); ++i)
                prefs_.colors[static_cast<std::size_t>(i)] = rows_.row(i)[Name];
        });
        onNewSelection(W::Sheet, [this] { boldTab(); });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        fill();
        loadWindow("qvls", W::kWindow);
        window()[W::ColorList].setList(&rows_);
        addResponseButton(W::OK.name, fw::response::Completed);
        openWindow();
        showSample();
        boldTab();
        window()[W::ColorList].setSelected(1);
        return fw::Benign;
    }

    // However the window closes, what it holds is kept.
    void CleanUp() override
    {
        prefs_.write(ini_);
        fw::WindowController::CleanUp();
    }

private:
    // A row's colours by its name; a name the table does not hold keeps the
    // background it had (the row before it, as the list is filled).
    static void paint(std::vector<std::string>& row, long background, long selectedBackground)
    {
        const std::string& name = row[Name];
        long value = -2;
        BrovexList::ColorFromName(name, value);
        const bool known = value != -2;
        if (known)
            background = selectedBackground = value;
        row[Text] = std::to_string(known && name == "Black" ? kWhite : kBlack);
        row[SelectedText] = std::to_string(known && name == "White" ? kBlack : kWhite);
        row[Background] = std::to_string(background);
        row[SelectedBackground] = std::to_string(selectedBackground);
    }

    void fill()
    {
        rows_.clear();
        long background = kBlack, selectedBackground = kBlack;
        for (int i = 0; i < GraphPreferences::kColors; ++i) {
            std::vector<std::string> row(kFields);
            row[Name] = prefs_.colors[static_cast<std::size_t>(i)];
            row[Swatch] = " ";
            row[Sequence] = std::to_string(i + 1);
            paint(row, background, selectedBackground);
            background = std::stol(row[Background]);
            selectedBackground = std::stol(row[SelectedBackground]);
            rows_.append(std::move(row));
        }
    }

    // The highlighted row changes places with its neighbour above (-1) or below (+1).
    void move(int by)
    {
        rt::Control& list = window()[W::ColorList];
        const int at = list.selected();
        const int to = at + by;
        const bool refused = by < 0 ? at <= lhCol4Moving_ : (at >= rows_.rowCount() || at < lhCol4Moving_);
        if (at < 1 || refused || to < 1 || to > rows_.rowCount()) {
            rt::beep();
            return;
        }
        std::vector<std::string> moved = rows_.row(at - 1);
        std::vector<std::string> other = rows_.row(to - 1);
        other[Sequence] = std::to_string(at);
        moved[Sequence] = std::to_string(to);
        paint(moved, std::stol(moved[Background]), std::stol(moved[SelectedBackground]));
        rows_.set(at - 1, std::move(other));
        rows_.set(to - 1, std::move(moved));
        list.setSelected(to);
    }

    void reset()
    {
        const auto& defaults = GraphPreferences::defaultColors();
        for (int i = 0; i < GraphPreferences::kColors; ++i)
            prefs_.colors[static_cast<std::size_t>(i)] = defaults[static_cast<std::size_t>(i)];
        fill();
        window()[W::ColorList].setSelected(1);
    }

    void changeFont()
    {
        rt::FontSpec spec = fontSpecOf(
            prefs_.fontName, prefs_.fontSize, static_cast<int>(prefs_.fontColor), static_cast<int>(prefs_.fontStyle));
        if (!rt::fontDialog(spec, "Select font for vertical legend on graphs"))
            return;
        prefs_.fontName = spec.name;
        prefs_.fontSize = spec.size;
        prefs_.fontColor = spec.color;
        prefs_.fontStyle = fontStyleOf(spec, static_cast<int>(prefs_.fontStyle));
        showSample();
    }

    void showSample()
    {
        described_ = styleDescription(prefs_.fontStyle, described_);
        rt::Control& sample = window()[W::FontSample];
        sample.setText(std::string(text::trimRight(prefs_.fontName)) + std::to_string(prefs_.fontSize) + " pt "
            + std::string(text::trimRight(described_)));
        sample.setFont(prefs_.legendFont());
    }

    // The chosen tab's caption is bold, the others normal.
    void boldTab()
    {
        rt::Control& sheet = window()[W::Sheet];
        const int chosen = sheet.selected() > 0 ? sheet.selected() : 1;
        int i = 0;
        for (rt::Control* tab : sheet.children()) {
            rt::FontDef f = tab->font();
            f.bold = ++i == chosen;
            tab->setFont(f);
        }
    }

    fw::IniStore& ini_;
    int lhCol4Moving_;
    GraphPreferences prefs_;
    std::string described_;
    rt::ListQueue rows_{kFields};
};

} // namespace

void BrovexList::EditPreferences()
{
    PreferencesWindow(ini_, lhCol4Moving).Execute();
}

} // namespace qv::qvls
