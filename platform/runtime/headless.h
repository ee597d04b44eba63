#pragma once
// The headless host: shows nothing, keeps a virtual clock, and lets a test
// drive windows as a user would (type into a control, press a button,
// answer a message box) and look at what they show.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/list_layout.h"
#include "platform/runtime/window.h"

namespace qv::rt {

class HeadlessHost : public HostObserver
{
public:
    HeadlessHost();
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    int start(std::string name, std::function<void()> body, std::size_t stackBytes = 0);
    // Starts a registered procedure; fails the test's expectations by
    // returning 0 when it is unknown.
    int startProcedure(std::string_view name);

    // Runs the threads until every one of them waits.
    void settle();
    // Moves the virtual clock on, firing timers as they fall due.
    void advance(std::int64_t milliseconds);
    std::int64_t now() const { return now_; }

    Window* top(int thread) const;
    // The most recently opened window whose definition name or title matches.
    Window* window(std::string_view nameOrTitle) const;
    const std::vector<Window*>& openWindows() const { return open_; }
    MessageBoxWindow* messageBox() const;
    template <typename W> W* dialog() const
    {
        for (auto it = open_.rbegin(); it != open_.rend(); ++it)
            if (auto* d = dynamic_cast<W*>(*it))
                return d;
        return nullptr;
    }

    // As a user: each settles afterwards. A control that is disabled or
    // hidden (itself or through the tab or group it sits on) cannot be
    // pressed, typed into or chosen, nor a read-only one typed into: the
    // call throws.
    void answer(int button);
    void press(Window& w, std::string_view control);
    void enter(Window& w, std::string_view control, std::string value);
    // Types into the control, which keeps the focus: nothing is accepted yet.
    void type(Window& w, std::string_view control, std::string value);
    void choose(Window& w, std::string_view control, int choice);
    void key(Window& w, int keyCode);
    // Presses row `row` (1-based) of a list, which highlights it, drags it
    // and lets go over row `targetRow` of a list of the same or another
    // window (0: below the last row). Both lists must be usable; a target
    // that does not take the source's rows gets nothing.
    void drag(Window& from, std::string_view list, int row, Window& to, std::string_view targetList, int targetRow);
    void post(Window& w, Event e);
    void post(int thread, Event e);

    // Lists are laid out as a fixed screen would draw them (list_box.h): a
    // dialog unit is kListUnitPixels pixels either way, the header (shown when
    // a column has a header text) kListHeaderPixels high, a row
    // kListRowPixels high unless its LineHeight says otherwise, the vertical
    // scroll bar kListScrollBarPixels wide while it is switched on. Nothing
    // scrolls. Each list reports its geometry when its window opens and
    // whenever its format, rows, size or properties change.
    static constexpr int kListUnitPixels = 2;
    static constexpr int kListHeaderPixels = 20;
    static constexpr int kListRowPixels = 16;
    static constexpr int kListScrollBarPixels = 16;
    // Where a user points at row `row` (0 the header, 1.. the rows) of
    // column `column` (1-based): the cell's centre, or its column's right
    // edge on that row.
    ListHit listPoint(Window& w, std::string_view list, int row, int column, bool edge = false) const;
    // The mouse over a list, as the user works it: a press on a row
    // highlights it; a press on a resizable column's edge drags that edge,
    // and the release there gives the column its new width in the format.
    // The hit's row, column and edge are taken from its x and y.
    void listMouse(Window& w, std::string_view list, ListMouse what, int x, int y);
    void listMouse(Window& w, std::string_view list, ListMouse what, const ListHit& at)
    {
        listMouse(w, list, what, at.x, at.y);
    }
    // Scrolls a list sideways with its horizontal scroll bar (which it must
    // have) until `columns` of its columns that are not fixed are out of
    // sight on the left.
    void scrollColumns(Window& w, std::string_view list, int columns);
    // Drags a column's header sideways until the mouse is at x, and lets go.
    void dragHeader(Window& w, std::string_view list, int column, int toX);
    // Drags a column's right edge until it is `width` dialog units wide.
    void resizeColumn(Window& w, std::string_view list, int column, int width);
    // What row `row` (1-based) of column `column` shows, through its picture.
    ListCell listCell(Window& w, std::string_view list, int row, int column) const;

    // "open Name" / "close Name" / "beep 32" in the order they happened.
    const std::vector<std::string>& log() const { return log_; }
    // The sounds asked for, in order.
    const std::vector<int>& beeps() const { return beeps_; }
    // Threads that ended with an exception: "name: what".
    const std::vector<std::string>& failures() const { return failures_; }

    void windowOpened(Window& w) override;
    void windowClosed(Window& w) override;
    void controlChanged(Control& c, ControlChange what) override;
    void beep(int sound) override;

private:
    void layOut(Control& list) const;
    int listRow(const Control& list, int y) const;

    struct ColumnResize {
        Control* list = nullptr;
        int column = 0;
        int fromX = 0; // where the mouse took the edge
        int width = 0; // the column's width then, in pixels
    };
    ColumnResize resizing_;
    std::map<const Control*, int> scrolledColumns_;
    std::int64_t now_ = 0;
    std::vector<Window*> open_;
    std::vector<std::string> log_;
    std::vector<std::string> failures_;
    std::vector<int> beeps_;
};

} // namespace qv::rt
