#include "platform/framework/list_browser.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/keycodes.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {
// A column's text written into the cell's own storage, which a recycled row already has.
void assignText(std::string& cell, const tables::Record& record, int field)
{
    if (record.def().fields[static_cast<std::size_t>(field)].type == tables::FieldType::String) {
        const std::string_view t = text::trimRight(record.rawString(field));
        cell.assign(t.data(), t.size());
    } else {
        cell = record.getText(field);
    }
}

// The records of rows a list lets go, for the next list's rows.
template <class Rows> void keepRecords(Rows& rows)
{
    if (rows.empty())
        return;
    std::vector<tables::Record> records;
    records.reserve(rows.size() * rows.front().records.size());
    for (auto& row : rows)
        for (tables::Record& r : row.records)
            records.push_back(std::move(r));
    rows.clear();
    tables::View::keepRecords(std::move(records));
}
} // namespace

ListBrowser::ListBrowser(ViewReader& reader, std::string listControl)
    : reader_(reader)
    , listName_(std::move(listControl))
{
    rowRecords_.push_back(&reader_.record());
}

ListBrowser::~ListBrowser()
{
    if (list_ && list_->list() == this)
        list_->setList(nullptr);
    keepRecords(rows_);
    keepRecords(spareRows_);
}

// ---------------------------------------------------------------- set-up

int ListBrowser::addField(tables::Record& record, std::string_view field)
{
    const int f = record.def().fieldIndex(field);
    if (f < 0)
        throw std::invalid_argument("no field " + std::string(field));
    if (std::find(rowRecords_.begin(), rowRecords_.end(), &record) == rowRecords_.end())
        rowRecords_.push_back(&record);
    columns_v_.push_back(Column{&record, f});
    return columns_ = static_cast<int>(columns_v_.size());
}

int ListBrowser::addColumn()
{
    columns_v_.push_back(Column{});
    return columns_ = static_cast<int>(columns_v_.size());
}

void ListBrowser::addRowRecord(tables::Record& record)
{
    if (std::find(rowRecords_.begin(), rowRecords_.end(), &record) == rowRecords_.end())
        rowRecords_.push_back(&record);
}

void ListBrowser::setLocator(int order, Locator* locator)
{
    if (order < 1)
        return;
    if (static_cast<int>(locators_.size()) < order)
        locators_.resize(static_cast<std::size_t>(order), nullptr);
    locators_[static_cast<std::size_t>(order - 1)] = locator;
}

void ListBrowser::setThumbStep(int order, ThumbStep* thumb)
{
    if (order < 1)
        return;
    if (static_cast<int>(thumbs_.size()) < order)
        thumbs_.resize(static_cast<std::size_t>(order), nullptr);
    thumbs_[static_cast<std::size_t>(order - 1)] = thumb;
}

void ListBrowser::setDragId(std::string id)
{
    dragId_ = std::move(id);
    if (list_)
        list_->setDragId(dragId_);
}

void ListBrowser::setDropId(std::string id)
{
    dropId_ = std::move(id);
    if (list_)
        list_->setDropId(dropId_);
}

Locator* ListBrowser::locator() const
{
    const int o = reader_.currentOrder();
    return o >= 1 && o <= static_cast<int>(locators_.size()) ? locators_[static_cast<std::size_t>(o - 1)] : nullptr;
}

ThumbStep* ListBrowser::thumb() const
{
    const int o = reader_.currentOrder();
    return o >= 1 && o <= static_cast<int>(thumbs_.size()) ? thumbs_[static_cast<std::size_t>(o - 1)] : nullptr;
}

int ListBrowser::control(const std::string& name) const
{
    if (name.empty() || !window_ || !window_->hasWindow())
        return 0;
    const rt::Control* c = window_->window().control(name);
    return c ? c->number() : 0;
}

// ---------------------------------------------------------------- the component

void ListBrowser::Prepare(WindowController& controller)
{
    window_ = &controller;
    rt::Window& w = controller.window();
    list_ = &w[listName_];
    insert_ = control(insertName_);
    change_ = control(changeName_);
    delete_ = control(deleteName_);
    select_ = control(selectName_);
    print_ = control(printName_);
    selecting_ = controller.request() == request::Select;
    if (!dragId_.empty())
        list_->setDragId(dragId_);
    if (!dropId_.empty())
        list_->setDropId(dropId_);
    // Scrolling is the list's business: the host reports it as events.
    list_->setImmediate(true);
    list_->setList(this);
    if (popup_) {
        if (insert_)
            popup_->AddItemForButton("&Insert", insert_);
        if (change_)
            popup_->AddItemForButton("&Change", change_);
        if (delete_)
            popup_->AddItemForButton("&Delete", delete_);
        if (print_)
            popup_->AddItemForButton("&Print", print_);
        if (select_ && selecting_)
            popup_->AddItemForButton("&Select", select_);
    }
    RegisterHotKeys();
    if (!w.focus())
        w.select(*list_);
    const bool onRecord = selecting_ && reader_.record().recordId != 0;
    const tables::Record start = reader_.record();
    reader_.apply();
    if (ThumbStep* t = thumb())
        t->init(reader_.view(), reader_.record(), reader_.freeField());
    if (onRecord) {
        // A lookup opens on the record its caller has.
        reader_.record() = start;
        resetFromBuffer();
    } else {
        loadFrom(true);
    }
}

void ListBrowser::CleanUp()
{
    if (list_ && list_->list() == this)
        list_->setList(nullptr);
    list_ = nullptr;
    keepRecords(rows_);
    keepRecords(spareRows_);
}

bool ListBrowser::keysOnWindow() const
{
    if (keys_ != Keys::Auto)
        return keys_ == Keys::On;
    if (!window_ || !window_->hasWindow())
        return false;
    std::vector<std::string> locatorEntries;
    for (const Locator* l : locators_)
        if (l)
            locatorEntries.insert(locatorEntries.end(), l->entries().begin(), l->entries().end());
    for (const auto& c : window_->window().controls()) {
        switch (c->type()) {
        case rt::ControlType::Entry:
        case rt::ControlType::Text:
        case rt::ControlType::Combo:
        case rt::ControlType::DropCombo:
        case rt::ControlType::Spin: {
            const rt::Control* mine = nullptr;
            for (const std::string& e : locatorEntries)
                if (const rt::Control* le = window_->window().control(e); le == c.get())
                    mine = le;
            if (!mine)
                return false;
            break;
        }
        default:
            break;
        }
    }
    return true;
}

void ListBrowser::RegisterHotKeys()
{
    if (!window_ || !window_->hasWindow())
        return;
    rt::Window& w = window_->window();
    std::vector<int> keys{rt::key::MouseLeft2};
    if (keysOnWindow()) {
        keys.insert(keys.end(), {rt::key::Insert, rt::key::Delete, rt::key::Enter, rt::key::withCtrl(rt::key::Enter)});
        // The locators' keys in ascending order, so the window adds them at its end.
        for (int shift : {0, rt::key::Shift})
            for (int vk = 0; vk < 256; ++vk)
                for (const Locator* l : locators_)
                    if (l && l->wantsKey(vk + shift)) {
                        keys.push_back(vk + shift);
                        break;
                    }
    }
    w.alert(keys);
}

bool ListBrowser::OnEvent(const rt::Event& e)
{
    if (!list_)
        return false;
    const int me = list_->number();
    if (e.code == rt::event::Accepted) {
        if (e.control == 0)
            return false;
        if (e.control == me)
            return OnKey(rt::key::MouseLeft2);
        if (e.control == insert_) {
            EditRecord(request::Insert);
            return true;
        }
        if (e.control == change_) {
            EditRecord(request::Change);
            return true;
        }
        if (e.control == delete_) {
            EditRecord(request::Delete);
            return true;
        }
        if (e.control == select_ && selecting_) {
            if (rows_.empty())
                return true;
            LoadRowToBuffer();
            rereadRecord();
            window_->setResponse(response::Completed);
            window_->endLoop();
            return true;
        }
        return false;
    }
    if (e.control != me) {
        // The list took Enter for the window: elsewhere it keeps its meaning.
        if (e.code == rt::event::AlertKey && e.keyCode == rt::key::Enter && keysOnWindow()) {
            rt::Window& w = window_->window();
            const rt::Control* focus = w.control(e.control);
            if (focus && focus->type() == rt::ControlType::Button) {
                press(focus->number());
                return true;
            }
            for (const auto& c : w.controls())
                if (c->isDefault() && c->enabled() && !c->effectivelyHidden()) {
                    press(c->number());
                    return true;
                }
        }
        return false;
    }
    switch (e.code) {
    case rt::event::NewSelection:
        if (list_->selected() > rowCount())
            list_->setSelected(rowCount());
        LoadRowToBuffer();
        UpdateControls();
        return false; // the window may follow the selection too
    case rt::event::ScrollUp:
    case rt::event::ScrollDown:
        resetLocator();
        moveRows(e.code == rt::event::ScrollDown ? 1 : -1);
        return true;
    case rt::event::PageUp:
    case rt::event::PageDown:
        resetLocator();
        movePage(e.code == rt::event::PageDown);
        return true;
    case rt::event::ScrollTop:
    case rt::event::ScrollBottom:
        resetLocator();
        scrollTo(e.code == rt::event::ScrollTop ? Where::Top : Where::Bottom);
        return true;
    case rt::event::AlertKey:
        return OnKey(e.keyCode);
    case rt::event::Dragging:
        onDrag();
        return true;
    case rt::event::Drop:
        onDrop();
        return true;
    default:
        return false;
    }
}

void ListBrowser::press(int control)
{
    if (control && window_)
        window_->window().post(rt::event::Accepted, control);
}

bool ListBrowser::OnKey(int keyCode)
{
    if (!window_)
        return false;
    rt::Window& w = window_->window();
    auto usable = [&](int c) {
        const rt::Control* b = c ? w.control(c) : nullptr;
        return b && b->enabled() && !b->effectivelyHidden();
    };
    if (Locator* l = locator(); l && l->wantsKey(keyCode))
        return l->takeKey(keyCode, *this);
    switch (keyCode) {
    case rt::key::Insert:
        if (usable(insert_))
            press(insert_);
        return true;
    case rt::key::Delete:
        if (!rows_.empty() && usable(delete_))
            press(delete_);
        return true;
    case rt::key::withCtrl(rt::key::Enter):
        if (!rows_.empty() && usable(change_))
            press(change_);
        return true;
    case rt::key::Enter:
    case rt::key::MouseLeft2:
        if (rows_.empty())
            return true;
        if (selecting_ && usable(select_))
            press(select_);
        else if (usable(change_))
            press(change_);
        return true;
    default:
        return false;
    }
}

void ListBrowser::Refresh()
{
    if (!list_)
        return;
    // The parent may have moved since: the range is read again.
    reader_.PushFilterToView();
    reload();
}

void ListBrowser::reloadSelectedRecord()
{
    if (!list_)
        return;
    LoadRowToBuffer();
    if (!rows_.empty())
        rereadRecord();
}

// ---------------------------------------------------------------- rows

std::string ListBrowser::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
    return column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)] : std::string();
}

std::vector<std::string>& ListBrowser::storing()
{
    if (!storingRow_)
        throw std::logic_error("no row is being stored");
    return storingRow_->cells;
}

void ListBrowser::StoreRowFromBuffer()
{
    Row& r = *storingRow_;
    // Records the row already has are written over in place and keep their storage.
    if (r.records.size() > rowRecords_.size())
        r.records.erase(r.records.begin() + static_cast<std::ptrdiff_t>(rowRecords_.size()), r.records.end());
    for (std::size_t k = 0; k < rowRecords_.size(); ++k) {
        if (k < r.records.size())
            r.records[k] = *rowRecords_[k];
        else
            r.records.push_back(*rowRecords_[k]);
    }
    r.cells.resize(static_cast<std::size_t>(columns_));
    for (std::size_t i = 0; i < columns_v_.size(); ++i) {
        if (const Column& c = columns_v_[i]; c.record)
            assignText(r.cells[i], *c.record, c.field);
        else
            r.cells[i].clear();
    }
    for (const auto& [column, text] : computed_)
        if (column >= 0 && column < columns_)
            r.cells[static_cast<std::size_t>(column)] = text();
}

ListBrowser::Row ListBrowser::readRow()
{
    Row r;
    if (!spareRows_.empty()) {
        r = std::move(spareRows_.back());
        spareRows_.pop_back();
    } else {
        // A new row's copy of the record goes into storage the view is done with.
        r.records.push_back(reader_.view().spareRecord());
    }
    storingRow_ = &r;
    StoreRowFromBuffer();
    storingRow_ = nullptr;
    return r;
}

long ListBrowser::forEachRecord(const std::function<bool(const std::vector<std::string>& cells)>& onRow)
{
    Row r;
    // The page re-reads from its own rows' keys, so moving the view's position here leaves it alone.
    const long handed = reader_.view().readThrough([&] {
        storingRow_ = &r;
        StoreRowFromBuffer();
        storingRow_ = nullptr;
        return onRow(r.cells);
    });
    LoadRowToBuffer();
    return handed;
}

void ListBrowser::LoadRowToBuffer()
{
    const int i = selectedIndex();
    if (i < 0) {
        for (tables::Record* rec : rowRecords_) {
            rec->clear();
            rec->recordId = 0;
            rec->changeCount = 0;
        }
        return;
    }
    const Row& r = rows_[static_cast<std::size_t>(i)];
    for (std::size_t k = 0; k < rowRecords_.size() && k < r.records.size(); ++k)
        *rowRecords_[k] = r.records[k];
}

bool ListBrowser::rereadRecord()
{
    tables::Table& t = reader_.access().table();
    return t.record().recordId != 0 && t.reget() == 0;
}

const tables::Record& ListBrowser::rowRecord(int row, int index) const
{
    if (row < 1 || row > rowCount()) {
        // A blank record of that table; kept, so the reference stays good.
        const tables::Record& like = *rowRecords_.at(static_cast<std::size_t>(index));
        auto& blank = blankRecords_[&like.def()];
        if (!blank)
            blank = std::make_unique<tables::Record>(like.def());
        return *blank;
    }
    return rows_[static_cast<std::size_t>(row - 1)].records.at(static_cast<std::size_t>(index));
}

int ListBrowser::selectedIndex() const
{
    if (rows_.empty() || !list_)
        return -1;
    return std::clamp(list_->selected(), 1, rowCount()) - 1;
}

int ListBrowser::selectedRow() const
{
    return selectedIndex() + 1;
}

void ListBrowser::SelectRowAndNotify(int row)
{
    if (!list_)
        return;
    list_->setSelected(rows_.empty() ? 0 : std::clamp(row, 1, rowCount()));
    window_->window().post(rt::event::NewSelection, list_->number());
}

void ListBrowser::setRows(std::vector<Row> rows, int selected)
{
    keepSpare(rows_.begin(), rows_.end());
    rows_ = std::move(rows);
    notifyReset();
    if (list_)
        list_->setSelected(rows_.empty() ? 0 : std::clamp(selected, 0, rowCount() - 1) + 1);
    LoadRowToBuffer();
    UpdateControls();
}

// A page's rows are read again on every move: rows it leaves are kept for the next reads.
void ListBrowser::keepSpare(std::vector<Row>::iterator from, std::vector<Row>::iterator to)
{
    if (spareRows_.size() < static_cast<std::size_t>(pageSize_))
        spareRows_.insert(spareRows_.end(), std::make_move_iterator(from), std::make_move_iterator(to));
}

void ListBrowser::afterMove()
{
    LoadRowToBuffer();
    UpdateControls();
}

void ListBrowser::resetLocator()
{
    for (Locator* l : locators_)
        if (l)
            l->reset();
}

// Reads never hold a statement: each one positions by the key values of
// the row it goes on from.
int ListBrowser::readBefore(const tables::Record& from, int n, std::vector<Row>& out)
{
    if (n <= 0)
        return 0;
    reader_.record() = from;
    reader_.view().positionOnBuffer();
    return reader_.view().page(n, false, [&] { out.push_back(readRow()); });
}

int ListBrowser::readAfter(const tables::Record& from, int n, std::vector<Row>& out)
{
    if (n <= 0)
        return 0;
    reader_.record() = from;
    reader_.view().positionOnBuffer();
    return reader_.view().page(n, true, [&] { out.push_back(readRow()); });
}

void ListBrowser::loadFrom(bool fromStart)
{
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(pageSize_));
    tables::View& v = reader_.view();
    if (fromStart)
        v.toStart();
    else
        v.toEnd();
    v.page(pageSize_, fromStart, [&] { rows.push_back(readRow()); });
    if (!fromStart)
        std::reverse(rows.begin(), rows.end());
    setRows(std::move(rows), fromStart ? 0 : pageSize_);
}

void ListBrowser::loadAround(const tables::Record& target, int wantedIndex)
{
    wantedIndex = std::clamp(wantedIndex, 0, pageSize_ - 1);
    const int wantBefore = std::max(wantedIndex, 1);
    std::vector<Row> before, after;
    readBefore(target, wantBefore, before);
    if (before.empty()) {
        reader_.view().toStart();
        reader_.view().page(pageSize_, true, [&] { after.push_back(readRow()); });
    } else {
        // From the nearest row before, so the target itself is read (if the
        // view still has it) and checked against the filters like any row.
        const tables::Record nearest = before.front().records.front();
        readAfter(nearest, pageSize_, after);
    }
    const bool moreBefore = static_cast<int>(before.size()) == wantBefore;
    std::reverse(before.begin(), before.end());
    int at = static_cast<int>(before.size());
    std::vector<Row> rows = std::move(before);
    rows.insert(rows.end(), std::make_move_iterator(after.begin()), std::make_move_iterator(after.end()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (target.recordId != 0 && rows[i].records.front().recordId == target.recordId)
            at = static_cast<int>(i);
    // The target keeps its place on the page where the rows allow it.
    const int total = static_cast<int>(rows.size());
    int start = std::max(0, at - wantedIndex);
    if (total - start < pageSize_)
        start = std::max(0, total - pageSize_);
    rows.erase(rows.begin(), rows.begin() + start);
    if (static_cast<int>(rows.size()) > pageSize_)
        rows.resize(static_cast<std::size_t>(pageSize_));
    at -= start;
    if (static_cast<int>(rows.size()) < pageSize_ && start == 0 && moreBefore && !rows.empty()) {
        // Near the end: the page fills up with earlier rows.
        std::vector<Row> more;
        readBefore(rows.front().records.front(), pageSize_ - static_cast<int>(rows.size()), more);
        std::reverse(more.begin(), more.end());
        at += static_cast<int>(more.size());
        rows.insert(rows.begin(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    setRows(std::move(rows), at);
}

void ListBrowser::reload()
{
    if (rows_.empty()) {
        loadFrom(true);
        return;
    }
    const int at = selectedIndex();
    const tables::Record target = rows_[static_cast<std::size_t>(at)].records.front();
    loadAround(target, at);
}

void ListBrowser::resetFromBuffer()
{
    const tables::Record target = reader_.record();
    loadAround(target, rows_.empty() ? pageSize_ / 2 : selectedIndex());
}

void ListBrowser::scrollTo(Where where)
{
    loadFrom(where == Where::Top);
}

bool ListBrowser::moveRows(int delta)
{
    if (rows_.empty())
        return false;
    const int at = selectedIndex();
    const int to = at + delta;
    if (to >= 0 && to < rowCount()) {
        list_->setSelected(to + 1);
        afterMove();
        return true;
    }
    std::vector<Row> got;
    const bool forward = delta > 0;
    if (forward)
        readAfter(rows_.back().records.front(), 1, got);
    else
        readBefore(rows_.front().records.front(), 1, got);
    if (got.empty()) {
        LoadRowToBuffer();
        return false;
    }
    if (forward) {
        if (rowCount() >= pageSize_)
            rows_.erase(rows_.begin());
        rows_.push_back(std::move(got.front()));
    } else {
        if (rowCount() >= pageSize_)
            rows_.pop_back();
        rows_.insert(rows_.begin(), std::move(got.front()));
    }
    notifyReset();
    list_->setSelected(forward ? rowCount() : 1);
    afterMove();
    return true;
}

bool ListBrowser::movePage(bool forward)
{
    if (rows_.empty())
        return false;
    const int at = selectedIndex();
    std::vector<Row> got;
    if (forward)
        readAfter(rows_.back().records.front(), pageSize_, got);
    else
        readBefore(rows_.front().records.front(), pageSize_, got);
    if (got.empty()) {
        // Nothing beyond the page: the first or last row is highlighted.
        const int edge = forward ? rowCount() : 1;
        const bool moved = edge != at + 1;
        list_->setSelected(edge);
        afterMove();
        return moved;
    }
    if (forward) {
        rows_.insert(rows_.end(), std::make_move_iterator(got.begin()), std::make_move_iterator(got.end()));
        const int drop = std::max(0, rowCount() - pageSize_);
        keepSpare(rows_.begin(), rows_.begin() + drop);
        rows_.erase(rows_.begin(), rows_.begin() + drop);
    } else {
        std::reverse(got.begin(), got.end());
        rows_.insert(rows_.begin(), std::make_move_iterator(got.begin()), std::make_move_iterator(got.end()));
        if (rowCount() > pageSize_) {
            keepSpare(rows_.begin() + pageSize_, rows_.end());
            rows_.resize(static_cast<std::size_t>(pageSize_));
        }
    }
    notifyReset();
    list_->setSelected(std::clamp(at, 0, rowCount() - 1) + 1);
    afterMove();
    return true;
}

void ListBrowser::locate(std::string_view value)
{
    tables::Record& r = reader_.record();
    r.clear();
    r.recordId = 0;
    reader_.setRangeFields();
    if (const int f = reader_.freeField(); f >= 0)
        r.setString(f, value);
    reader_.view().seekToBuffer();
    std::vector<Row> after;
    reader_.view().page(pageSize_, true, [&] { after.push_back(readRow()); });
    if (after.empty()) {
        // Beyond the last row: the end of the list.
        loadFrom(false);
        return;
    }
    std::vector<Row> before;
    readBefore(after.front().records.front(), pageSize_ - static_cast<int>(after.size()), before);
    std::reverse(before.begin(), before.end());
    const int located = static_cast<int>(before.size());
    before.insert(before.end(), std::make_move_iterator(after.begin()), std::make_move_iterator(after.end()));
    setRows(std::move(before), located);
}

int ListBrowser::thumbPosition()
{
    ThumbStep* t = thumb();
    const int f = reader_.freeField();
    if (!t || rows_.empty() || f < 0)
        return 0;
    return t->Position(rows_[static_cast<std::size_t>(selectedIndex())].records.front().getText(f));
}

void ListBrowser::scrollToThumb(int percent)
{
    ThumbStep* t = thumb();
    if (percent <= 0 || !t) {
        scrollTo(percent >= 100 ? Where::Bottom : Where::Top);
        return;
    }
    if (percent >= 100) {
        scrollTo(Where::Bottom);
        return;
    }
    resetLocator();
    locate(t->Value(percent));
}

// ---------------------------------------------------------------- orders and buttons

void ListBrowser::ReapplySort()
{
    const bool had = !rows_.empty();
    const tables::Record target
        = had ? rows_[static_cast<std::size_t>(selectedIndex())].records.front() : reader_.record();
    const int at = had ? selectedIndex() : 0;
    reader_.apply();
    resetLocator();
    if (ThumbStep* t = thumb())
        t->init(reader_.view(), reader_.record(), reader_.freeField());
    if (had)
        loadAround(target, at);
    else
        loadFrom(true);
}

void ListBrowser::setSort(int order)
{
    reader_.setCurrentOrder(order);
    ReapplySort();
}

void ListBrowser::UpdateControls()
{
    if (!window_ || !window_->hasWindow())
        return;
    rt::Window& w = window_->window();
    const bool any = !rows_.empty();
    auto enable = [&](int c, bool on) {
        if (rt::Control* b = c ? w.control(c) : nullptr)
            b->setEnabled(on);
    };
    enable(insert_, updateProcedure_ != 0);
    enable(change_, any && updateProcedure_ != 0);
    enable(delete_, any && updateProcedure_ != 0);
    enable(print_, any);
    if (rt::Control* s = select_ ? w.control(select_) : nullptr) {
        if (selecting_) {
            s->setHidden(false);
            s->setEnabled(any);
            s->setDefault(any);
        } else {
            s->setEnabled(false);
            if (hideSelect_)
                s->setHidden(true);
        }
    }
}

int ListBrowser::copyRecord()
{
    if (rows_.empty())
        return response::Cancelled;
    copyPending_ = true;
    return EditRecord(request::Insert);
}

int ListBrowser::EditRecord(int request)
{
    if (!window_ || !list_ || updateProcedure_ == 0 || editing_)
        return response::Cancelled;
    editing_ = true;
    int response = response::Cancelled;
    for (;;) {
        const bool had = !rows_.empty();
        const int at = had ? selectedIndex() : 0;
        const tables::Record highlighted = had ? rows_[static_cast<std::size_t>(at)].records.front() : reader_.record();
        if (request == request::Insert) {
            if (copyPending_) {
                LoadRowToBuffer();
                rereadRecord();
            }
            reader_.ClearForNew(std::exchange(copyPending_, false));
        } else {
            if (!had)
                break;
            // Under watch: the form starts from the record as it is now.
            LoadRowToBuffer();
            if (!rereadRecord()) {
                reload(); // another station deleted it
                break;
            }
        }
        handover().navRequest = nav::None;
        response = window_->CallUpdateProcedure(updateProcedure_, request);
        const int navRequest = std::exchange(handover().navRequest, nav::None);
        if (!list_)
            break; // the window closed meanwhile
        if (response == response::Completed && request != request::Delete && reader_.record().recordId != 0) {
            reader_.access().table().reget();
            const tables::Record saved = reader_.record();
            loadAround(saved, at);
        } else if (request == request::Delete && response == response::Completed && reader_.record().recordId != 0
            && reader_.record().recordId != highlighted.recordId) {
            // The window put the record to show in the buffer (a list in the
            // user's order shows the row before the deleted one).
            const tables::Record shown = reader_.record();
            loadAround(shown, at);
        } else if (had) {
            // A deleted record is gone: its place goes to the row after it.
            loadAround(highlighted, at);
        } else {
            loadFrom(true);
        }
        if (request == request::Change && response == response::Completed
            && (navRequest == nav::NextRecord || navRequest == nav::PreviousRecord)) {
            if (moveRows(navRequest == nav::NextRecord ? 1 : -1))
                continue;
        }
        break;
    }
    editing_ = false;
    return response;
}

} // namespace qv::fw
