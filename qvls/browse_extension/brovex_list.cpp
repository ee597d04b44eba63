#include "qvls/browse_extension/brovex_list.h"

#include <algorithm>
#include <cstdlib>

#include "platform/expr/value.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/text_measure.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/list_column_edit.h"

namespace qv::qvls {

namespace {

constexpr int kBestFitKey = rt::key::withAlt(rt::key::F1 + 10); // Alt+F11
constexpr int kResetKey = rt::key::withAlt(rt::key::F1 + 11); // Alt+F12
constexpr int kColumnSelectKey = rt::key::withAlt('R');
constexpr int kColumnMenuKey = rt::key::withAlt('M');

} // namespace

BrovexList::BrovexList() = default;

BrovexList::~BrovexList()
{
    if (list_)
        list_->setListMouseHook(nullptr);
}

void BrovexList::AttachBrowse(BrovexProcedure& procedure, fw::WindowController& controller, fw::ListBrowser& browse,
    BrovexFlags& flags, rt::Control& list, std::string visual, std::string iniFile)
{
    procedure_ = &procedure;
    controller_ = &controller;
    browse_ = &browse;
    flags_ = &flags;
    list_ = &list;
    listType_ = 1;
    query_ = {};
    ini_.init(iniFile);
    visual_ = std::move(visual);
    ascToken_ = ">";
    descToken_ = "<";
    hdrToken_ = ascDesc ? descToken_ : ascToken_;
    LoadColumnDefinitions(procedure.DefineColumns());
    AddViewFormat(1);
    maxFontSize = 14;
    minFontSize = 6;
    paperType = 1;
    allPreview = true;
    pagePreview = false;
    headerStyle = 400;
    asciiFileName = "BvOut.CSV";
    htmlFileName = "BvOut.HTM";
    symbol = "EQ";
}

void BrovexList::LoadColumnDefinitions(const std::vector<BrovexColumnDefinition>& definitions)
{
    fq_.clear();
    sq_.clear();
    int field = 0;
    int i = 0;
    for (const BrovexColumnDefinition& d : definitions) {
        ++i;
        ++field;
        const int extra = (d.colors ? 4 : 0) + (d.iconX ? 1 : 0);
        // Left out of the column set, yet its list-queue fields still count.
        if (d.locatorType == 'X' && !d.display) {
            field += extra;
            continue;
        }
        BrovexColumn c;
        c.field = d.field;
        c.widthDlu = d.width;
        c.header = d.header;
        c.picture = d.picture.empty() ? "@S20" : d.picture;
        c.description = d.description;
        c.hJust = c.fJust = d.justification;
        c.display = c.controlField = c.icon = d.display;
        c.colors = d.colors;
        c.iconX = d.iconX;
        c.viewField = d.viewField;
        c.totalOk = d.totalOk;
        c.graphOk = d.graphOk;
        c.graphType = d.graphType;
        c.sortField = d.sortable ? 1 : 0;
        c.locatorType = d.locatorType;
        c.qnos = field;
        c.seq = i;
        c.col = d.display ? i : 0;
        fq_.push_back(c);
        if (d.display)
            addShown(c);
        field += extra;
        query_.addItem(text::upper(c.field), text::upper(c.field),
            c.isText() ? fw::QueryDialog::Kind::Text : fw::QueryDialog::Kind::Auto);
    }
    soq_.clear();
    aoq_.clear();
    applyAll_ = false;
}

void BrovexList::LoadSortDefinitions(
    const std::vector<BrovexSortDefinition>& sorts, const BrovexAppendedParts& appended)
{
    soq_.clear();
    for (const BrovexSortDefinition& d : sorts) {
        const auto c = std::find_if(fq_.begin(), fq_.end(), [&](const BrovexColumn& r) { return r.field == d.column; });
        for (BrovexSortPart p : d.parts) {
            p.qnos = c == fq_.end() ? 0 : c->qnos;
            soq_.push_back(std::move(p));
        }
    }
    std::stable_sort(soq_.begin(), soq_.end(), [](const BrovexSortPart& a, const BrovexSortPart& b) {
        return std::pair(a.qnos, a.seq) < std::pair(b.qnos, b.seq);
    });
    applyAll_ = appended.applyAll;
    aoq_ = appended.parts;
}

void BrovexList::AddViewFormat(int view)
{
    forq_.push_back({view, "0"});
}

void BrovexList::Release()
{
    if (list_)
        list_->setListMouseHook(nullptr);
    sq_.clear();
    fq_.clear();
    soq_.clear();
    aoq_.clear();
    forq_.clear();
    query_ = {};
}

BrovexColumn* BrovexList::shownAt(int seq)
{
    if (seq < 1 || seq > static_cast<int>(sq_.size()))
        return nullptr;
    return &sq_[static_cast<std::size_t>(seq - 1)];
}

BrovexColumn* BrovexList::allByQnos(int qnos)
{
    const auto c = std::find_if(fq_.begin(), fq_.end(), [&](const BrovexColumn& r) { return r.qnos == qnos; });
    return c == fq_.end() ? nullptr : &*c;
}

bool BrovexList::takeIgnoreEvent()
{
    const bool was = ignoreEvent_;
    ignoreEvent_ = false;
    return was;
}

void BrovexList::post(int event)
{
    // Addressed to the list: a window may have more than one.
    list_->window().post(event, list_->number());
}

// --- the mouse

void BrovexList::onMouse(rt::ListMouse what, const rt::ListHit& at)
{
    switch (what) {
    case rt::ListMouse::LeftDown:
        pressX_ = at.x;
        post(kPressHeader);
        return;
    case rt::ListMouse::LeftUp:
        post(kReleaseLeft);
        return;
    case rt::ListMouse::RightDown:
        post(kRightDown);
        return;
    case rt::ListMouse::RightUp:
        post(kReleaseRight);
        return;
    case rt::ListMouse::Move:
        break;
    }
    const int sideways = std::abs(at.x - pressX_);
    if (pressed_) {
        if (at.x < pressLeft_ || at.x > pressLeft_ + pressWidth_ || at.y > headerHeight_ || at.x < 0 || at.y < 0)
            post(kEndHeaderPress);
        if (sideways > headerHeight_ / 2) {
            if (!dragging_) {
                dragging_ = true;
                list_->setProperty(rt::list_prop::HeaderDragText, dragText_.empty() ? " " : dragText_);
            }
            post(kEndHeaderPress);
        }
    }
    if (sideways > headerHeight_ && at.y > -headerHeight_ && at.y < 2 * headerHeight_) {
        lastDragX_ = at.x;
        post(kDragHeader);
    }
}

void BrovexList::PressHeader()
{
    const rt::ListHit& press = list_->listPress();
    if (!press.onHeader())
        return;
    ReadColumnState(true);
    currentCol_ = press.column;
    const BrovexColumn* c = shownAt(currentCol_);
    if (!c)
        return;
    pressWidth_ = c->widthPix;
    pressLeft_ = c->xPosPix;
    headerHeight_ = list_->listGeometry().headerHeight;
    dragText_ = std::string(text::trimRight(c->header));
    if (c->sortField)
        list_->setProperty(rt::list_prop::PressedColumn, std::to_string(currentCol_));
    pressed_ = true;
}

void BrovexList::endPress()
{
    if (!pressed_)
        return;
    pressed_ = false;
    list_->setProperty(rt::list_prop::PressedColumn, "");
}

void BrovexList::DragHeader()
{
    if (dragging_)
        list_->setProperty(rt::list_prop::HeaderDragX, std::to_string(lastDragX_ + (pressLeft_ - pressX_)));
    endPress();
}

void BrovexList::RightButtonDown()
{
    if (list_->property(rt::list_prop::HScroll) == "1" && list_->listGeometry().scrolledColumns != hPos_)
        ReadColumnState(true);
    const rt::ListHit& press = list_->listPress();
    if (press.edge || press.row == 0)
        return;
    currentCol_ = press.column;
}

// --- events

bool BrovexList::TakeEvent(int event, int keyCode)
{
    lastEvent = event;
    switch (event) {
    case kReleaseRight:
        HeaderSortMenu();
        return true;
    case kReleaseLeft:
        flags_->fileOrder = 0;
        HeaderClick(true);
        return true;
    case kSortChanged:
        procedure_->RefreshBrowse();
        return true;
    case kOpened:
        ReadColumnState(true);
        return true;
    default:
        break;
    }
    if (event == rt::event::AlertKey) {
        // A double-click on a column's edge fits the column; on the header it does nothing more.
        if (keyCode == rt::key::MouseLeft2)
            return FitColumnOnDoubleClick();
        if (list_->window().focus() != list_)
            return false;
        switch (keyCode) {
        case kBestFitKey:
            BestFitAllColumns();
            return true;
        case kResetKey:
            ResetToDefault();
            return true;
        case kColumnSelectKey:
            ToggleColumnSelect();
            return true;
        case kColumnMenuKey:
            ShowColumnMenu();
            return true;
        default:
            return false;
        }
    }
    return HandleEvent(event);
}

bool BrovexList::HandleEvent(int event)
{
    static const std::pair<int, const char*> commands[] = {{1037, "HJL"}, {1038, "HJR"}, {1039, "HJC"}, {1040, "HJD"},
        {1041, "FJL"}, {1042, "FJR"}, {1043, "FJC"}, {1044, "FJD"}, {1051, "FXD"}, {1052, "ULI"}, {1053, "BDR"},
        {1054, "RSZ"}, {1061, "HSC"}, {1062, "VSC"}, {kFilterEqualToggle, "EQL"}};
    for (const auto& [number, code] : commands)
        if (event == number) {
            ApplyColumnCommand(code);
            return true;
        }
    static const std::pair<int, const char*> attributes[]
        = {{kColumnWidth, "WID"}, {kHeaderOffset, "HOS"}, {kDataOffset, "DOS"}, {kListX, "XPS"}, {kListY, "YPS"},
            {kListWidth, "BWI"}, {kListHeight, "BHI"}, {kLineHeight, "LHI"}};
    for (const auto& [number, code] : attributes)
        if (event == number) {
            EditAttribute(code);
            return true;
        }
    switch (event) {
    case kPressHeader:
        PressHeader();
        return true;
    case kEndHeaderPress:
        endPress();
        return true;
    case kRightDown:
        RightButtonDown();
        return true;
    case kDragHeader:
        DragHeader();
        return true;
    case kMoveLeft:
    case kMoveRight:
        if (!(flags_->mask & kMaskMoveColumns))
            return true;
        ReadColumnState(false);
        if (event == kMoveLeft)
            MoveColumnLeft();
        else
            MoveColumnRight();
        BuildFormat();
        ReadColumnState(true);
        return true;
    case kResetToDefault:
        ResetToDefault();
        return true;
    case kListProperties:
        ListPropertiesCommand();
        return true;
    case kRemoveColumn:
        RemoveColumn();
        return true;
    case kBestFit:
        BestFitAllColumns();
        return true;
    case kSortOn:
        if (const BrovexColumn* c = shownAt(currentCol_); c && c->sortField) {
            ToggleSort();
            post(kSortChanged);
        }
        return true;
    case kPrintPage:
        PrintList("Page");
        return true;
    case kPrintAll:
        PrintList("View");
        return true;
    case kGraph:
        GraphColumn();
        return true;
    case kExportCsv:
        ExportCsv();
        return true;
    case kExportHtml:
        ExportHtml();
        return true;
    case kHeaderText:
        EditHeaderText("HDR");
        return true;
    case kListFont:
        ChooseListFont();
        return true;
    case kColumnColors:
        EditColumnColors();
        return true;
    case kUserFilter:
        UserFilter();
        return true;
    case kAddFilterEqual:
    case kAddFilterBelow:
    case kAddFilterAbove:
    case kAddFilterNotEqual:
    case kCancelFilter:
        addFilter(event);
        return true;
    default:
        return false;
    }
}

// --- column commands

void BrovexList::MoveColumnLeft()
{
    BrovexColumn* c = shownAt(currentCol_);
    if (!c || c->seq <= lhCol4Moving || c->seq < 2) {
        rt::beep();
        return;
    }
    const int to = c->seq - 1;
    std::swap(sq_[static_cast<std::size_t>(to - 1)], sq_[static_cast<std::size_t>(to)]);
    sq_[static_cast<std::size_t>(to - 1)].seq = to;
    sq_[static_cast<std::size_t>(to)].seq = to + 1;
    flags_->sortColumn = to;
    currentCol_ = to;
}

void BrovexList::MoveColumnRight()
{
    BrovexColumn* c = shownAt(currentCol_);
    if (!c || c->seq >= static_cast<int>(sq_.size()) || c->seq < lhCol4Moving) {
        rt::beep();
        return;
    }
    const int to = c->seq + 1;
    std::swap(sq_[static_cast<std::size_t>(to - 2)], sq_[static_cast<std::size_t>(to - 1)]);
    sq_[static_cast<std::size_t>(to - 2)].seq = to - 1;
    sq_[static_cast<std::size_t>(to - 1)].seq = to;
    flags_->sortColumn = to;
    currentCol_ = to;
}

void BrovexList::RemoveColumn()
{
    const int seq = list_->listPress().column;
    BrovexColumn* c = shownAt(seq);
    if (sq_.size() < 2 || !c)
        return;
    if (BrovexColumn* kept = allByQnos(c->qnos)) {
        *kept = *c;
        kept->icon = false;
    }
    // Without its column the list has no sort mark to show and no order to
    // keep: it goes back to the window's own order.
    const bool sortColumn = flags_->sortColumn == seq;
    if (sortColumn)
        ClearSortMark();
    sq_.erase(sq_.begin() + (seq - 1));
    if (sortColumn) {
        flags_->sortColumn = 0;
        qnos_ = 0;
        flags_->viewOrder = 0;
        flags_->fileOrder = 0;
    } else if (flags_->sortColumn > seq) {
        --flags_->sortColumn;
    }
    BuildFormat();
    ReadColumnState(true);
    if (sortColumn)
        procedure_->RefreshBrowse();
}

void BrovexList::ApplyColumnCommand(std::string_view code)
{
    BrovexColumn* c = shownAt(currentCol_);
    const auto flip = [&](bool& flag, char mark) {
        if (!c)
            return;
        flag = !flag;
        changeColumn(*list_, c->seq, [&](rt::ListFormatColumn& f) { setMark(f, mark, flag); });
    };
    if (code.size() == 3 && (code.starts_with("HJ") || code.starts_with("FJ"))) {
        if (!c)
            return;
        (code[0] == 'H' ? c->hJust : c->fJust) = code[2];
        if (code[0] == 'H')
            ApplyHeaderJustification();
        else
            ApplyDataJustification();
    } else if (code == "FXD") {
        flip(c->fixed, rt::list_mark::Fixed);
    } else if (code == "ULI") {
        flip(c->uLine, rt::list_mark::Underline);
    } else if (code == "BDR") {
        flip(c->border, rt::list_mark::RightBorder);
    } else if (code == "RSZ") {
        flip(c->resize, rt::list_mark::Resizable);
    } else if (code == "HSC") {
        def_.hScroll = !def_.hScroll;
        list_->setProperty(rt::list_prop::HScroll, def_.hScroll ? "1" : "");
    } else if (code == "VSC") {
        def_.vScroll = !def_.vScroll;
        list_->setProperty(rt::list_prop::VScroll, def_.vScroll ? "1" : "");
    } else if (code == "EQL") {
        filterEqual = !filterEqual;
    } else if (code == "CLR") {
        EditColumnColors();
    }
}

void BrovexList::ApplyHeaderJustification()
{
    const BrovexColumn* c = shownAt(currentCol_);
    if (!c || std::string_view("LRCD").find(c->hJust) == std::string_view::npos)
        return;
    changeColumn(
        *list_, c->seq, [&](rt::ListFormatColumn& f) { f.headerJustification = justification(c->hJust, c->hOffset); });
}

void BrovexList::ApplyDataJustification()
{
    const BrovexColumn* c = shownAt(currentCol_);
    if (!c || std::string_view("LRCD").find(c->fJust) == std::string_view::npos)
        return;
    changeColumn(*list_, c->seq, [&](rt::ListFormatColumn& f) { f.data = justification(c->fJust, c->fOffset); });
}

void BrovexList::ToggleColumnSelect()
{
    const bool on = list_->property(rt::list_prop::ColumnSelect) == "1";
    list_->setProperty(rt::list_prop::ColumnSelect, on ? "" : "1");
}

int BrovexList::MeasureColumn(const BrovexColumn& c) const
{
    const rt::FontDef& font = list_->font();
    int widest = includeHeader ? rt::textWidth(font, text::trimRight(c.header)) : 0;
    const rt::ListSource* rows = list_->list();
    for (int r = 0; rows && r < rows->rowCount(); ++r) {
        const std::string shown = rt::formatPicture(rows->cell(r, c.qnos - 1), c.picture);
        widest = std::max(widest, rt::textWidth(font, text::trim(shown)));
    }
    return widest;
}

int BrovexList::WidthAllowance(const BrovexColumn& c, int width)
{
    switch (c.fJust) {
    case 'L':
        width += c.fOffset;
        break;
    case 'R':
        width += c.fOffset;
        break;
    case 'D':
        width += 1;
        break;
    default:
        break;
    }
    if (c.iconX)
        width += 11;
    return width + 1;
}

void BrovexList::BestFitAllColumns()
{
    rt::ListFormat format = rt::readListFormat(list_->format()).format;
    for (BrovexColumn& c : sq_) {
        c.maxWidth = MeasureColumn(c);
        if (c.seq >= 1 && c.seq <= static_cast<int>(format.columns.size()))
            format.columns[static_cast<std::size_t>(c.seq - 1)].width = WidthAllowance(c, c.maxWidth);
    }
    list_->setFormat(rt::writeListFormat(format));
}

bool BrovexList::FitColumnOnDoubleClick()
{
    const rt::ListHit& release = list_->listRelease();
    if (release.edge) {
        if (BrovexColumn* c = shownAt(release.column)) {
            c->maxWidth = MeasureColumn(*c);
            const int width = WidthAllowance(*c, c->maxWidth);
            changeColumn(*list_, c->seq, [&](rt::ListFormatColumn& f) { f.width = width; });
        }
        return true;
    }
    return release.row == 0;
}

// --- column filters

std::string BrovexList::highlightedValue(const BrovexColumn& c) const
{
    const rt::ListSource* rows = list_->list();
    const int row = list_->selected() - 1;
    if (!rows || row < 0 || row >= rows->rowCount())
        return {};
    return std::string(text::trimRight(rows->cell(row, c.qnos - 1)));
}

void BrovexList::addFilter(int event)
{
    if (event == kCancelFilter) {
        query_.reset();
        procedure_->RefreshBrowse();
        return;
    }
    const BrovexColumn* c = shownAt(currentCol_);
    if (!c || c->viewField == 0)
        return;
    const std::string value = highlightedValue(*c);
    // A text is compared without regard to case; a number as it is.
    const std::string mark = upper && !expr::Value(value).looksNumeric() ? "^" : "";
    const std::string inclusive = filterEqual ? "=" : "";
    const std::string name = text::upper(c->field);
    switch (event) {
    case kAddFilterEqual:
        query_.setLimitText(name, fw::QueryDialog::Slot::Equal, mark + value);
        break;
    case kAddFilterNotEqual:
        query_.setLimitText(name, fw::QueryDialog::Slot::Equal, "~" + mark + value);
        break;
    case kAddFilterBelow:
        query_.setLimitText(name, fw::QueryDialog::Slot::High, inclusive + mark + value);
        break;
    case kAddFilterAbove:
        query_.setLimitText(name, fw::QueryDialog::Slot::Low, inclusive + mark + value);
        break;
    default:
        return;
    }
    procedure_->RefreshBrowse();
}

std::string BrovexList::FilterText() const
{
    return query_.BuildFilter();
}

} // namespace qv::qvls
