// Sorting by column: each sortable column gives the browse two orders, and a
// click on its header (or "Sort on") makes the browse use one of them.

#include <algorithm>

#include "platform/framework/context_menu.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/list_column_edit.h"

namespace qv::qvls {

void BrovexList::PrepareSortOrders(bool replace)
{
    list_->setListMouseHook([this](rt::ListMouse what, const rt::ListHit& at) { onMouse(what, at); });
    int n = 0;
    for (BrovexColumn& c : fq_) {
        if (c.sortField == 0)
            continue;
        ++n;
        c.sortField = procedure_->AddSortOrder(n);
        AddOrderExpression(c, c.sortField, replace, 0);
        AddOrderExpression(c, procedure_->AddSortOrder(n), replace, 1);
        for (BrovexColumn& s : sq_)
            if (s.qnos == c.qnos)
                s.sortField = c.sortField;
    }
}

void BrovexList::AddOrderExpression(const BrovexColumn& column, int order, bool replace, int direction)
{
    const auto partText = [&](const BrovexSortPart& p) {
        const bool text = p.picture.size() > 1 && (p.picture[1] == 'S' || p.picture[1] == 's');
        const std::string name = text && upper ? "UPPER(" + p.fieldName + ")" : p.fieldName;
        return (direction != p.ascDesc ? "-" : "") + name;
    };
    std::vector<std::string> parts;
    for (const BrovexSortPart& p : soq_)
        if (p.qnos == column.qnos)
            parts.push_back(partText(p));
    const bool own = parts.empty();
    if (own)
        parts.push_back(partText({column.qnos, 1, column.field, column.ascDesc, column.picture}));
    if (own || applyAll_)
        for (const BrovexSortPart& p : aoq_)
            parts.push_back(partText(p));
    std::string text;
    for (const std::string& p : parts)
        text += (text.empty() ? "" : ",") + p;
    procedure_->SetOrderExpression(order, text, replace);
}

void BrovexList::ToggleSort()
{
    ClearSortMark();
    restoreHeader_ = true;
    BrovexColumn* c = shownAt(currentCol_);
    if (!c)
        return;
    // The remembered sort column only turns round once it sorts the list:
    // before that, a click on it is a first choice like any other.
    if (flags_->sortColumn == currentCol_ && flags_->viewOrder == 1) {
        c->ascDesc = c->ascDesc ? 0 : 1;
    } else {
        c->ascDesc = ascDesc;
        ascDesc = 0;
        flags_->sortColumn = currentCol_;
    }
    hdrToken_ = c->ascDesc ? descToken_ : ascToken_;
    procedure_->ColumnChanged(*c);
    qnos_ = c->qnos;
    flags_->viewOrder = 1;
}

int BrovexList::CurrentSortOrder()
{
    const BrovexColumn* c = shownAt(flags_->sortColumn);
    const int order = c && c->sortField ? c->sortField + (c->ascDesc ? 1 : 0) : 0;
    ShowSortMark();
    return order;
}

void BrovexList::setHeaderText(int seq, const std::string& header)
{
    changeColumn(*list_, seq, [&](rt::ListFormatColumn& c) { c.header = header; });
}

namespace {

std::optional<std::string> headerAt(const rt::Control& list, int seq)
{
    const rt::ListFormat format = rt::readListFormat(list.format()).format;
    if (seq < 1 || seq > static_cast<int>(format.columns.size()))
        return std::nullopt;
    return format.columns[static_cast<std::size_t>(seq - 1)].header.value_or("");
}

void setUnderline(rt::Control& list, int seq, bool on)
{
    changeColumn(list, seq, [&](rt::ListFormatColumn& c) { setMark(c, rt::list_mark::Underline, on); });
}

} // namespace

void BrovexList::ShowSortMark()
{
    const int seq = flags_->sortColumn;
    const BrovexColumn* c = shownAt(seq);
    if (visual_ == "Underline") {
        if (c)
            setUnderline(*list_, seq, true);
    } else if (visual_ == "Text Bar") {
        const BrovexColumn* current = shownAt(currentCol_);
        if (!c || !current)
            return;
        const std::string direction = current->ascDesc ? "(Descending)" : "(Ascending)";
        const std::string header(text::trimRight(c->header));
        const std::string& t = flags_->titleText;
        const auto quote = t.find('"');
        if (t.empty() || quote == std::string::npos)
            list_->window().setTitle(header + direction);
        else
            list_->window().setTitle(t.substr(0, quote) + header + t.substr(std::min(t.size(), quote + 2)) + direction);
    } else if (seq != 0 && restoreHeader_) {
        restoreHeader_ = false;
        if (const auto header = headerAt(*list_, seq))
            setHeaderText(seq, hdrToken_ + std::string(text::trimRight(*header)));
    }
}

void BrovexList::ClearSortMark()
{
    const int seq = flags_->sortColumn;
    if (visual_ == "Underline") {
        setUnderline(*list_, seq, false);
    } else if (visual_ == "Text Bar") {
        const std::string& t = flags_->titleText;
        const auto quote = t.find('"');
        if (t.empty() || quote == std::string::npos)
            list_->window().setTitle("Key Sequence");
        else
            list_->window().setTitle(t.substr(0, quote) + "key sequence" + t.substr(std::min(t.size(), quote + 2)));
    } else {
        if (const auto header = headerAt(*list_, seq); header && !header->empty() && header->starts_with(hdrToken_))
            setHeaderText(seq, header->substr(hdrToken_.size()));
        restoreHeader_ = false;
    }
}

void BrovexList::HeaderClick(bool message)
{
    if (!dragging_) {
        const rt::ListHit& press = list_->listPress();
        const rt::ListHit& release = list_->listRelease();
        if (press.edge || release.column == 0 || press.row != 0) {
            // A column may have been resized.
            ReadColumnState(true);
            list_->setProperty(rt::list_prop::PressedColumn, "");
        } else if (pressed_) {
            list_->setProperty(rt::list_prop::PressedColumn, "");
            currentCol_ = press.column;
            if (const BrovexColumn* c = shownAt(currentCol_); c && c->sortField) {
                ToggleSort();
                post(kSortChanged);
            } else if (c && message) {
                rt::message("Data cannot be ordered on column: " + std::string(text::trimRight(c->header)) + "("
                        + std::string(text::trimRight(c->field)) + ")",
                    "Re-Order Option", rt::Icon::Information, rt::button::Ok);
            }
        }
    } else {
        list_->setProperty(rt::list_prop::HeaderDragText, "");
        dragging_ = false;
        if (lastDragX_ < pressLeft_)
            post(kMoveLeft);
        else if (lastDragX_ > pressLeft_ + pressWidth_)
            post(kMoveRight);
    }
    pressed_ = false;
}

void BrovexList::HeaderSortMenu()
{
    if (!list_->listRelease().onHeader())
        return;
    ignoreEvent_ = true;
    fw::ContextMenu menu;
    menu.init(list_->window(), list_->number());
    menu.addItem("Cancel this menu", "Cancel");
    menu.addItem("Sort by default key", "Default");
    menu.addItem("Do not sort", "Unsorted");
    const std::string choice = menu.ask();
    if (choice != "Default" && choice != "Unsorted")
        return;
    ClearSortMark();
    flags_->sortColumn = 0;
    qnos_ = 0;
    flags_->viewOrder = 0;
    flags_->fileOrder = choice == "Unsorted" ? 1 : 0;
    procedure_->RefreshBrowse();
}

} // namespace qv::qvls
