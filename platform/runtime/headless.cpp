#include "platform/runtime/headless.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"

namespace qv::rt {

namespace {
// The run time's own dialogs ("$Dialog") are known by their titles.
std::string nameOf(const Window& w)
{
    const std::string& name = w.def().name;
    return name.empty() || name.starts_with('$') ? w.title() : name;
}
} // namespace

HeadlessHost::HeadlessHost()
{
    auto& s = Scheduler::instance();
    s.reset();
    s.setClock([this] { return now_; });
    s.setWakeHandler({});
    s.setFailureHandler(
        [this](const std::string& name, const std::string& what) { failures_.push_back(name + ": " + what); });
    setHost(this);
}

HeadlessHost::~HeadlessHost()
{
    auto& s = Scheduler::instance();
    s.reset();
    s.setFailureHandler({});
    setHost(nullptr);
    // Leave a live clock behind for code that runs after the test.
    const auto start = std::chrono::steady_clock::now();
    s.setClock([start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    });
}

int HeadlessHost::start(std::string name, std::function<void()> body, std::size_t stackBytes)
{
    const int t = Scheduler::instance().start(std::move(name), std::move(body), stackBytes);
    settle();
    return t;
}

int HeadlessHost::startProcedure(std::string_view name)
{
    const auto started = Procedures::start(name);
    settle();
    return started.thread;
}

void HeadlessHost::settle()
{
    auto& s = Scheduler::instance();
    do {
        s.fireTimers();
        s.runReady();
    } while (s.hasReady());
}

void HeadlessHost::advance(std::int64_t milliseconds)
{
    auto& s = Scheduler::instance();
    const std::int64_t end = now_ + milliseconds;
    settle();
    while (now_ < end) {
        const std::int64_t next = s.fireTimers();
        now_ = std::min(end, std::max(next, now_ + 1));
        settle();
    }
}

Window* HeadlessHost::top(int thread) const
{
    return Scheduler::instance().topWindow(thread);
}

Window* HeadlessHost::window(std::string_view nameOrTitle) const
{
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if ((*it)->def().name == nameOrTitle || (*it)->title() == nameOrTitle)
            return *it;
    return nullptr;
}

MessageBoxWindow* HeadlessHost::messageBox() const
{
    return dialog<MessageBoxWindow>();
}

void HeadlessHost::answer(int button)
{
    MessageBoxWindow* m = messageBox();
    if (!m)
        throw std::logic_error("no message box is open");
    m->answer(button);
    settle();
}

namespace {
// A user cannot reach a control that is off or out of sight; a test that
// tries has a fault of its own.
Control& usable(Window& w, std::string_view name)
{
    Control& c = w[name];
    for (const Control* p = &c; p; p = p->parent())
        if (!p->enabled())
            throw std::logic_error("control " + c.name() + " of " + w.def().name + " is disabled");
    if (c.effectivelyHidden())
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is hidden");
    return c;
}

// A digits-only entry refuses every other character, as the desktop's does.
std::string typeable(const Control& c, std::string value)
{
    if (c.def().digits)
        std::erase_if(value, [](char ch) { return ch < '0' || ch > '9'; });
    return value;
}

Control& usableList(Window& w, std::string_view name)
{
    Control& c = usable(w, name);
    if (c.type() != ControlType::List)
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is not a list");
    return c;
}

ListFormat formatOf(const Control& list)
{
    return readListFormat(list.format()).format;
}

int rowPixels(const Control& list)
{
    const int units = std::atoi(list.property(list_prop::LineHeight).c_str());
    return units > 0 ? units * HeadlessHost::kListUnitPixels : HeadlessHost::kListRowPixels;
}

int rowCount(const Control& list)
{
    return list.list() ? list.list()->rowCount() : 0;
}
} // namespace

void HeadlessHost::press(Window& w, std::string_view control)
{
    w.post(event::Accepted, usable(w, control).number());
    settle();
}

void HeadlessHost::enter(Window& w, std::string_view control, std::string value)
{
    Control& c = usable(w, control);
    if (c.readOnly())
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is read-only");
    c.userInput(typeable(c, std::move(value)));
    w.post(event::Accepted, c.number());
    settle();
}

void HeadlessHost::type(Window& w, std::string_view control, std::string value)
{
    Control& c = usable(w, control);
    if (c.readOnly())
        throw std::logic_error("control " + c.name() + " of " + w.def().name + " is read-only");
    w.userFocus(&c);
    c.userInput(typeable(c, std::move(value)));
    settle();
}

void HeadlessHost::choose(Window& w, std::string_view control, int choice)
{
    Control& c = usable(w, control);
    c.userSelected(choice);
    // A drop list's choice is made when the list closes on it: the control
    // takes the choice's value and is accepted, as on the desktop.
    const ControlType type = c.type();
    if (type == ControlType::DropList || type == ControlType::DropCombo || type == ControlType::Combo) {
        c.userInput(c.choiceValue(choice));
        w.post(event::Accepted, c.number());
    } else {
        w.post(event::NewSelection, c.number());
    }
    settle();
}

void HeadlessHost::key(Window& w, int keyCode)
{
    if (w.alertKeys().count(keyCode)) {
        const int focus = w.focus() ? w.focus()->number() : 0;
        w.post(Event{event::PreAlertKey, focus, keyCode});
        w.post(Event{event::AlertKey, focus, keyCode});
    }
    settle();
}

void HeadlessHost::drag(
    Window& from, std::string_view list, int row, Window& to, std::string_view targetList, int targetRow)
{
    Control& source = usableList(from, list);
    Control& target = usableList(to, targetList);
    const auto rows = rowCount;
    if (row < 1 || row > rows(source))
        throw std::logic_error(
            "list " + source.name() + " of " + from.def().name + " has no row " + std::to_string(row));
    if (targetRow < 0 || targetRow > rows(target))
        throw std::logic_error(
            "list " + target.name() + " of " + to.def().name + " has no row " + std::to_string(targetRow));
    source.userMouseDown(row);
    if (source.selected() != row) {
        source.userSelected(row);
        from.post(event::NewSelection, source.number());
    }
    source.userDrag(row, target, targetRow);
    settle();
}

void HeadlessHost::post(Window& w, Event e)
{
    w.post(e);
    settle();
}

void HeadlessHost::post(int thread, Event e)
{
    Scheduler::instance().post(thread, e);
    settle();
}

void HeadlessHost::layOut(Control& list) const
{
    constexpr int unit = kListUnitPixels;
    const ListFormat format = formatOf(list);
    ListGeometry g;
    g.width = std::max(list.geometry().width, 0) * unit;
    g.height = std::max(list.geometry().height, 0) * unit;
    const bool header = std::any_of(format.columns.begin(), format.columns.end(),
        [](const ListFormatColumn& c) { return !c.header.value_or("").empty(); });
    g.headerHeight = header ? kListHeaderPixels : 0;
    if (list.property(list_prop::VScroll) == "1")
        g.verticalScrollBar = kListScrollBarPixels;
    for (const ListFormatColumn& c : format.columns)
        g.columnWidths.push_back(c.width * unit);
    const auto scrolled = scrolledColumns_.find(&list);
    if (scrolled != scrolledColumns_.end() && list.property(list_prop::HScroll) == "1")
        g.scrolledColumns = scrolled->second;
    list.userListGeometry(std::move(g));
}

int HeadlessHost::listRow(const Control& list, int y) const
{
    const ListGeometry& g = list.listGeometry();
    if (y < 0 || y >= g.height)
        return -1;
    if (y < g.headerHeight)
        return 0;
    const int row = (y - g.headerHeight) / rowPixels(list) + 1;
    return row <= rowCount(list) ? row : -1;
}

ListHit HeadlessHost::listPoint(Window& w, std::string_view list, int row, int column, bool edge) const
{
    const Control& c = w[list];
    const ListGeometry& g = c.listGeometry();
    const std::vector<ListColumnPlace> places = columnPlaces(formatOf(c), g);
    if (column < 1 || column > static_cast<int>(places.size()) || places[column - 1].width == 0)
        throw std::logic_error(
            "list " + c.name() + " of " + w.def().name + " shows no column " + std::to_string(column));
    if (row < 0 || row > rowCount(c) || (row == 0 && g.headerHeight == 0))
        throw std::logic_error("list " + c.name() + " of " + w.def().name + " shows no row " + std::to_string(row));
    const ListColumnPlace& p = places[column - 1];
    const int rowHeight = rowPixels(c);
    const int y = row == 0 ? g.headerHeight / 2 : g.headerHeight + (row - 1) * rowHeight + rowHeight / 2;
    return ListHit{edge ? p.right() : p.left + p.width / 2, y, row, column, edge};
}

void HeadlessHost::listMouse(Window& w, std::string_view list, ListMouse what, int x, int y)
{
    Control& c = usableList(w, list);
    ListHit at = rt::listHit(formatOf(c), c.listGeometry(), x, y, listRow(c, y));
    const int row = std::max(at.row, 0);
    switch (what) {
    case ListMouse::LeftDown:
        resizing_
            = at.edge ? ColumnResize{&c, at.column, x, c.listGeometry().columnWidths[at.column - 1]} : ColumnResize{};
        [[fallthrough]];
    case ListMouse::RightDown:
        c.userMouseDown(row);
        if (row > 0 && c.selected() != row) {
            c.userSelected(row);
            w.post(event::NewSelection, c.number());
        }
        break;
    case ListMouse::LeftUp:
        if (resizing_.list == &c) {
            const int width = std::max(resizing_.width + x - resizing_.fromX, 0);
            if (width != resizing_.width) {
                c.userFormat(
                    withColumnWidth(c.format(), resizing_.column, (width + kListUnitPixels / 2) / kListUnitPixels));
                layOut(c);
            }
            at.column = resizing_.column;
            at.edge = true;
        }
        resizing_ = {};
        [[fallthrough]];
    case ListMouse::RightUp:
        c.userMouseUp(row);
        break;
    case ListMouse::Move:
        break;
    }
    c.userListMouse(what, at);
    settle();
}

void HeadlessHost::scrollColumns(Window& w, std::string_view list, int columns)
{
    Control& c = usableList(w, list);
    const ListFormat format = formatOf(c);
    const auto scrolling = std::count_if(format.columns.begin(), format.columns.end(),
        [](const ListFormatColumn& col) { return !col.has(list_mark::Fixed); });
    if (c.property(list_prop::HScroll) != "1")
        throw std::logic_error("list " + c.name() + " of " + w.def().name + " has no horizontal scroll bar");
    if (columns < 0 || columns >= scrolling)
        throw std::logic_error(
            "list " + c.name() + " of " + w.def().name + " cannot scroll by " + std::to_string(columns) + " columns");
    scrolledColumns_[&c] = columns;
    layOut(c);
    settle();
}

void HeadlessHost::dragHeader(Window& w, std::string_view list, int column, int toX)
{
    const ListHit from = listPoint(w, list, 0, column);
    listMouse(w, list, ListMouse::LeftDown, from);
    listMouse(w, list, ListMouse::Move, toX, from.y);
    listMouse(w, list, ListMouse::LeftUp, toX, from.y);
}

void HeadlessHost::resizeColumn(Window& w, std::string_view list, int column, int width)
{
    const Control& c = w[list];
    const ListHit edge = listPoint(w, list, c.listGeometry().headerHeight > 0 ? 0 : 1, column, true);
    const int toX = columnPlaces(formatOf(c), c.listGeometry())[column - 1].left + width * kListUnitPixels;
    listMouse(w, list, ListMouse::LeftDown, edge);
    listMouse(w, list, ListMouse::Move, toX, edge.y);
    listMouse(w, list, ListMouse::LeftUp, toX, edge.y);
}

ListCell HeadlessHost::listCell(Window& w, std::string_view list, int row, int column) const
{
    const Control& c = w[list];
    const ListFormat format = formatOf(c);
    if (!c.list() || row < 1 || row > rowCount(c) || column < 1 || column > static_cast<int>(format.columns.size()))
        throw std::logic_error("list " + c.name() + " of " + w.def().name + " has no cell " + std::to_string(row) + ", "
            + std::to_string(column));
    const ListFormatColumn& col = format.columns[column - 1];
    ListCell cell = rt::listCell(*c.list(), row - 1, col, queueFields(format)[column - 1]);
    cell.value = formatPicture(cell.value, col.picture.value_or(""));
    return cell;
}

void HeadlessHost::controlChanged(Control& c, ControlChange what)
{
    const bool layout = what == ControlChange::List || what == ControlChange::Property
        || what == ControlChange::Geometry || what == ControlChange::Font;
    if (layout && c.type() == ControlType::List)
        layOut(c);
}

void HeadlessHost::windowOpened(Window& w)
{
    for (const auto& c : w.controls())
        if (c->type() == ControlType::List)
            layOut(*c);
    open_.push_back(&w);
    log_.push_back("open " + nameOf(w));
}

void HeadlessHost::windowClosed(Window& w)
{
    for (const auto& c : w.controls())
        scrolledColumns_.erase(c.get());
    std::erase(open_, &w);
    log_.push_back("close " + nameOf(w));
}

void HeadlessHost::beep(int sound)
{
    beeps_.push_back(sound);
    log_.push_back("beep " + std::to_string(sound));
}

} // namespace qv::rt
