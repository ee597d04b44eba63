// The list's properties window: which fields the list shows and in what
// order, the selected column's settings and the list's own place, size,
// line height, font and scroll bars. Every change goes to the list at once,
// so there is nothing to cancel; the menu mask decides what may be touched.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/framework/levels.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_box.h"
#include "platform/runtime/list_source.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/list_column_edit.h"
#include "qvls/windows/BrovexListProperties.h"

namespace qv::qvls {

namespace {

namespace P = ctl::BrovexListProperties;

// Posted to the window by a field list's mouse hook when a right press on
// one of its rows is let go.
constexpr int kFieldListReleased = rt::event::User + 200;

// The controls a clear bit of the menu mask disables.
struct MaskedControl {
    long bit;
    rt::ControlId control;
};
const MaskedControl kMasked[] = {{1, P::FieldLeft}, {2, P::FieldCenter}, {4, P::FieldRight}, {8, P::FieldDecimal},
    {16, P::FieldOffsetPrompt}, {16, P::FieldOffset}, {32, P::HeaderLeft}, {64, P::HeaderCenter}, {128, P::HeaderRight},
    {256, P::HeaderDecimal}, {512, P::HeaderOffsetPrompt}, {512, P::HeaderOffset}, {1024, P::Header},
    {2048, P::WidthPrompt}, {2048, P::Width}, {65536, P::Fixed}, {131072, P::Underline}, {262144, P::Border},
    {524288, P::Resize}, {2097152, P::XPosPrompt}, {2097152, P::XPos}, {4194304, P::YPosPrompt}, {4194304, P::YPos},
    {8388608, P::ListWidthPrompt}, {8388608, P::ListWidth}, {16777216, P::ListHeightPrompt}, {16777216, P::ListHeight},
    {33554432, P::Font}, {67108864, P::LineHeightPrompt}, {67108864, P::LineHeight}, {134217728, P::HScroll},
    {268435456, P::VScroll}};

// The list's place and size, which only lists that allow it may change.
const rt::ControlId kPlaceAndSize[] = {P::XPosPrompt, P::XPos, P::YPosPrompt, P::YPos, P::ListWidthPrompt, P::ListWidth,
    P::ListHeightPrompt, P::ListHeight};

std::string toText(const std::string& v)
{
    return v;
}
std::string toText(int v)
{
    return std::to_string(v);
}
std::string toText(bool v)
{
    return v ? "1" : "";
}
std::string toText(char v)
{
    return std::string(1, v);
}
void fromText(const std::string& text, std::string& v)
{
    v = std::string(text::trimRight(text));
}
void fromText(const std::string& text, int& v)
{
    v = std::atoi(text.c_str());
}
void fromText(const std::string& text, bool& v)
{
    v = !text.empty() && text != "0";
}
void fromText(const std::string& text, char& v)
{
    if (!text.empty())
        v = text.front();
}

} // namespace

class ListPropertiesWindow : public fw::WindowController
{
public:
    explicit ListPropertiesWindow(BrovexList& list);

    fw::Level Prepare() override;
    fw::Level OnEvent(const rt::Event& e) override;
    void CleanUp() override;

private:
    rt::Control& box() const { return *list_.list_; }
    BrovexColumn* selected() { return list_.shownAt(list_.currentCol_); }

    // A control bound to a field of the selected column, or of the working settings.
    template <typename T> void bindColumn(const char* use, T BrovexColumn::*field);
    template <typename T> void bindSetting(const char* use, T& setting);
    // A spin box's value applies to the list when accepted and at each arrow step.
    void onSpin(rt::ControlId control, const std::function<void()>& apply);
    void changeSelected(const std::function<void(BrovexColumn&, rt::ListFormatColumn&)>& change);
    void changePlace(int rt::Rect::*side, int value);

    void fillFieldLists();
    void selectRows(int available, int active);
    // The selected column becomes the one the window edits, and the list shows which.
    void takeSelection();
    void highlight();
    void addColumn();
    void hideColumn();
    void moveColumn(bool left);
    void rightReleased(int control);
    void resetToDefault();

    BrovexList& list_;
    BrovexListSettings& pars_;
    rt::ListQueue available_{2}; // description, check icon (1 when shown)
    rt::ListQueue active_{1};
    std::string columnSelect_; // the list's column-selection setting before the window
    int rightPressed_ = 0; // the field list a right press went down on a row of
};

ListPropertiesWindow::ListPropertiesWindow(BrovexList& list)
    : fw::WindowController(std::string(P::kWindow))
    , list_(list)
    , pars_(list.pars_)
{
    onNewSelection(P::Available, [this] { takeSelection(); });
    onNewSelection(P::Active, [this] { takeSelection(); });
    onAccepted(P::AddColumn, [this] { addColumn(); });
    onAccepted(P::HideColumn, [this] { hideColumn(); });
    onAccepted(P::MoveLeft, [this] { moveColumn(true); });
    onAccepted(P::MoveRight, [this] { moveColumn(false); });

    onAccepted(P::Header, [this] {
        if (BrovexColumn* c = selected())
            list_.setHeaderText(c->seq, c->header);
    });
    const auto header = [this] { list_.ApplyHeaderJustification(); };
    const auto data = [this] { list_.ApplyDataJustification(); };
    onSpin(P::HeaderOffset, header);
    onAccepted(P::HeaderJust, header);
    onSpin(P::FieldOffset, data);
    onAccepted(P::FieldJust, data);
    onSpin(
        P::Width, [this] { changeSelected([](BrovexColumn& c, rt::ListFormatColumn& f) { f.width = c.widthDlu; }); });
    const auto flag = [this](rt::ControlId control, bool BrovexColumn::*field, char mark) {
        onAccepted(control, [this, field, mark] {
            changeSelected([&](BrovexColumn& c, rt::ListFormatColumn& f) { setMark(f, mark, c.*field); });
        });
    };
    flag(P::Fixed, &BrovexColumn::fixed, rt::list_mark::Fixed);
    flag(P::Underline, &BrovexColumn::uLine, rt::list_mark::Underline);
    flag(P::Border, &BrovexColumn::border, rt::list_mark::RightBorder);
    flag(P::Resize, &BrovexColumn::resize, rt::list_mark::Resizable);

    onSpin(P::XPos, [this] { changePlace(&rt::Rect::x, pars_.xPos); });
    onSpin(P::YPos, [this] { changePlace(&rt::Rect::y, pars_.yPos); });
    onSpin(P::ListWidth, [this] { changePlace(&rt::Rect::width, pars_.width); });
    onSpin(P::ListHeight, [this] { changePlace(&rt::Rect::height, pars_.height); });
    onSpin(P::LineHeight, [this] {
        // 0: the rows take the font's height again.
        box().setProperty(rt::list_prop::LineHeight, pars_.lineHeight > 0 ? std::to_string(pars_.lineHeight) : "");
    });
    onAccepted(P::VScroll, [this] { box().setProperty(rt::list_prop::VScroll, pars_.vScroll ? "1" : ""); });
    onAccepted(P::HScroll, [this] { box().setProperty(rt::list_prop::HScroll, pars_.hScroll ? "1" : ""); });
    onAccepted(P::Font, [this] { list_.ChooseListFont(); });
    onAccepted(P::Colors, [this] {
        if (const BrovexColumn* c = selected()) {
            list_.currentCol_ = c->seq;
            list_.EditColumnColors();
            // The colours into the column too, or the next add, hide or
            // move would write the format without them.
            list_.ReadColumnState(true);
        }
    });
    onAccepted(P::Reset, [this] { resetToDefault(); });
}

template <typename T> void ListPropertiesWindow::bindColumn(const char* use, T BrovexColumn::*field)
{
    bindVariable(use,
        rt::UseBinding{[this, field] {
                           const BrovexColumn* c = selected();
                           return c ? toText(c->*field) : std::string();
                       },
            [this, field](const std::string& v) {
                if (BrovexColumn* c = selected())
                    fromText(v, c->*field);
            }});
}

template <typename T> void ListPropertiesWindow::bindSetting(const char* use, T& setting)
{
    bindVariable(use,
        rt::UseBinding{
            [&setting] { return toText(setting); }, [&setting](const std::string& v) { fromText(v, setting); }});
}

void ListPropertiesWindow::onSpin(rt::ControlId control, const std::function<void()>& apply)
{
    onNewSelection(control, apply);
    onAccepted(control, apply);
}

void ListPropertiesWindow::changeSelected(const std::function<void(BrovexColumn&, rt::ListFormatColumn&)>& change)
{
    BrovexColumn* c = selected();
    if (!c || c->col == 0)
        return;
    changeColumn(box(), c->seq, [&](rt::ListFormatColumn& f) { change(*c, f); });
}

void ListPropertiesWindow::changePlace(int rt::Rect::*side, int value)
{
    rt::Rect at = box().geometry();
    at.*side = value;
    box().setGeometry(at);
}

fw::Level ListPropertiesWindow::Prepare()
{
    if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
        return l;
    columnSelect_ = box().property(rt::list_prop::ColumnSelect);
    box().setProperty(rt::list_prop::ColumnSelect, "1");
    loadWindow("qvls", name());
    rt::Window& w = window();
    w[P::Available].setList(&available_);
    w[P::Available].setProperty(rt::list_prop::Icons, "bvcheck.png");
    w[P::Active].setList(&active_);
    for (const rt::ControlId field : {P::Available, P::Active}) {
        const int number = field.number;
        w[field].setListMouseHook([this, &w, number](rt::ListMouse what, const rt::ListHit& at) {
            if (what == rt::ListMouse::RightDown)
                rightPressed_ = at.row > 0 ? number : 0;
            else if (what == rt::ListMouse::RightUp && rightPressed_ == number) {
                rightPressed_ = 0;
                w.post(kFieldListReleased, number);
            }
        });
    }
    const long mask = list_.flags_->mask;
    for (const MaskedControl& m : kMasked)
        if (!(mask & m.bit))
            w[m.control].setEnabled(false);
    if (!list_.def_.allowBBResize)
        for (const rt::ControlId c : kPlaceAndSize)
            w[c].setHidden(true);
    bindColumn("LOC:Header", &BrovexColumn::header);
    bindColumn("LOC:HeaderOffset", &BrovexColumn::hOffset);
    bindColumn("LOC:HeaderJust", &BrovexColumn::hJust);
    bindColumn("LOC:FieldOffset", &BrovexColumn::fOffset);
    bindColumn("LOC:FieldJust", &BrovexColumn::fJust);
    bindColumn("LOC:Width", &BrovexColumn::widthDlu);
    bindColumn("LOC:Fixed", &BrovexColumn::fixed);
    bindColumn("LOC:Underline", &BrovexColumn::uLine);
    bindColumn("LOC:Border", &BrovexColumn::border);
    bindColumn("LOC:Resize", &BrovexColumn::resize);
    bindSetting("LOC:XPos", pars_.xPos);
    bindSetting("LOC:YPos", pars_.yPos);
    bindSetting("LOC:ListWidth", pars_.width);
    bindSetting("LOC:ListHeight", pars_.height);
    bindSetting("LOC:LineHeight", pars_.lineHeight);
    bindSetting("LOC:VScroll", pars_.vScroll);
    bindSetting("LOC:HScroll", pars_.hScroll);
    addResponseButton(P::Close.name, fw::response::Completed);
    list_.ReadListSettings();
    fillFieldLists();
    openWindow();
    w.alert({rt::key::withAlt(rt::key::Up), rt::key::withAlt(rt::key::Down), rt::key::withAlt(rt::key::Left),
        rt::key::withAlt(rt::key::Right), rt::key::withAlt('I'), rt::key::withAlt('J')});
    selectRows(1, 1);
    takeSelection();
    return fw::Benign;
}

fw::Level ListPropertiesWindow::OnEvent(const rt::Event& e)
{
    if (e.code == kFieldListReleased) {
        rightReleased(e.control);
        return fw::Benign;
    }
    if (e.code == rt::event::AlertKey) {
        rt::Window& w = window();
        switch (e.keyCode) {
        case rt::key::withAlt(rt::key::Up):
            moveColumn(true);
            return fw::Benign;
        case rt::key::withAlt(rt::key::Down):
            moveColumn(false);
            return fw::Benign;
        case rt::key::withAlt(rt::key::Left):
            hideColumn();
            return fw::Benign;
        case rt::key::withAlt(rt::key::Right):
            addColumn();
            return fw::Benign;
        case rt::key::withAlt('I'):
            w.select(w[P::Available]);
            return fw::Benign;
        case rt::key::withAlt('J'):
            w.select(w[P::Active]);
            return fw::Benign;
        default:
            break;
        }
    }
    return fw::WindowController::OnEvent(e);
}

void ListPropertiesWindow::CleanUp()
{
    if (hasWindow())
        for (const rt::ControlId field : {P::Available, P::Active})
            window()[field].setListMouseHook(nullptr);
    fw::WindowController::CleanUp();
    box().setProperty(rt::list_prop::ColumnSelect, columnSelect_);
    box().window().select(box());
}

void ListPropertiesWindow::fillFieldLists()
{
    available_.clear();
    for (const BrovexColumn& c : list_.fq_)
        available_.append({std::string(text::trimRight(c.description)), c.icon ? "1" : "0"});
    active_.clear();
    for (const BrovexColumn& c : list_.sq_)
        active_.append({std::string(text::trimRight(c.description))});
}

void ListPropertiesWindow::selectRows(int available, int active)
{
    const auto within
        = [](int row, const rt::ListQueue& q) { return std::clamp(row, q.rowCount() ? 1 : 0, q.rowCount()); };
    window()[P::Available].setSelected(within(available, available_));
    window()[P::Active].setSelected(within(active, active_));
}

void ListPropertiesWindow::takeSelection()
{
    list_.currentCol_ = window()[P::Active].selected();
    highlight();
    window().display();
}

void ListPropertiesWindow::highlight()
{
    const BrovexColumn* c = selected();
    box().setProperty(rt::list_prop::CurrentColumn, std::to_string(c && c->col != 0 ? c->seq : 0));
}

void ListPropertiesWindow::addColumn()
{
    const int row = window()[P::Available].selected();
    if (row < 1 || row > static_cast<int>(list_.fq_.size()))
        return;
    BrovexColumn& field = list_.fq_[static_cast<std::size_t>(row - 1)];
    auto& shown = list_.sq_;
    const auto already
        = std::find_if(shown.begin(), shown.end(), [&](const BrovexColumn& c) { return c.qnos == field.qnos; });
    if (already != shown.end()) {
        window()[P::Active].setSelected(static_cast<int>(already - shown.begin()) + 1);
        takeSelection();
        rt::beep();
        return;
    }
    BrovexColumn c = field;
    c.seq = c.col = static_cast<int>(shown.size()) + 1;
    if (c.widthDlu == 0)
        c.widthDlu = 10;
    c.display = true;
    shown.push_back(std::move(c));
    field.icon = true;
    fillFieldLists();
    window()[P::Active].setSelected(static_cast<int>(shown.size()));
    list_.BuildFormat();
    takeSelection();
}

void ListPropertiesWindow::hideColumn()
{
    BrovexColumn* c = selected();
    if (list_.sq_.size() < 2 || !c)
        return;
    // The field keeps the column's settings for when it is shown again.
    if (BrovexColumn* kept = list_.allByQnos(c->qnos)) {
        *kept = *c;
        kept->display = false;
        kept->icon = false;
    }
    const int row = c->seq;
    list_.sq_.erase(list_.sq_.begin() + (row - 1));
    list_.BuildFormat();
    fillFieldLists();
    selectRows(window()[P::Available].selected(), row);
    takeSelection();
}

void ListPropertiesWindow::moveColumn(bool left)
{
    list_.currentCol_ = window()[P::Active].selected();
    if (left)
        list_.MoveColumnLeft();
    else
        list_.MoveColumnRight();
    fillFieldLists();
    window()[P::Active].setSelected(list_.currentCol_);
    list_.BuildFormat();
    takeSelection();
}

void ListPropertiesWindow::rightReleased(int control)
{
    takeSelection();
    if (control == P::Active.number)
        hideColumn();
    else if (control == P::Available.number)
        addColumn();
}

void ListPropertiesWindow::resetToDefault()
{
    list_.ResetToDefault();
    fillFieldLists();
    selectRows(1, 1);
    takeSelection();
}

void BrovexList::EditListProperties()
{
    ListPropertiesWindow(*this).Execute();
}

void BrovexList::ListPropertiesCommand()
{
    // The sort mark is no part of a header: taken off while the columns are
    // edited, so that a header edited or a column hidden and shown again
    // does not keep it, and put back on the sort column wherever it went.
    const bool sorted = flags_->viewOrder == 1;
    if (sorted) {
        ClearSortMark();
        restoreHeader_ = true;
    }
    ReadColumnState(false);
    EditListProperties();
    flags_->sortColumn = 0;
    ReadColumnState(true);
    if (!sorted)
        return;
    if (flags_->sortColumn != 0 && flags_->viewOrder == 1) {
        ShowSortMark();
        return;
    }
    // The sort column was hidden: the list goes back to the window's own order.
    qnos_ = 0;
    if (flags_->viewOrder == 1) {
        flags_->viewOrder = 0;
        flags_->fileOrder = 0;
        procedure_->RefreshBrowse();
    }
}

} // namespace qv::qvls
