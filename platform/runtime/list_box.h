#pragma once
// What a list control tells a program that takes over its header: where the
// mouse went down, moved and came up (row, column, the resize edge, pixels),
// and where its columns lie. The host fills these in as the user works the
// list; the program reads them, and may hook the mouse as a window procedure
// would: the hook runs on the OS thread as the host reports each press, move
// and release, and must do no more than keep its own state and post events.

#include <functional>
#include <vector>

namespace qv::rt {

// A place over a list control.
struct ListHit {
    int x = 0, y = 0; // pixels from the list control's top left
    int row = -1; // 0 the header, 1.. the rows as shown; -1 below the rows or outside the list
    int column = 0; // 1-based place among the shown columns; 0 right of the last one or outside
    bool edge = false; // on the column's right edge, where a resizable column is resized

    // On a header cell, off its resize edge.
    bool onHeader() const { return row == 0 && column > 0 && !edge; }
    bool operator==(const ListHit&) const = default;
};

enum class ListMouse { LeftDown, LeftUp, RightDown, RightUp, Move };

// How the host lays the list out now, in pixels.
struct ListGeometry {
    int width = 0, height = 0; // the list control
    int headerHeight = 0; // 0 without a header
    int verticalScrollBar = 0; // its width while shown, else 0
    int scrolledColumns = 0; // columns scrolled out to the left (fixed ones stay)
    // One width per column of the format, in its order, as it would be
    // drawn unscrolled.
    std::vector<int> columnWidths;
    bool operator==(const ListGeometry&) const = default;
};

using ListMouseHook = std::function<void(ListMouse, const ListHit&)>;

// Numbered properties of a list control (Control::property).
namespace list_prop {
constexpr int LineHeight = 0x7E10; // rows' height in dialog units; "" the font's
// "1" a horizontal scroll bar (else the columns do not scroll sideways);
// "1" a vertical scroll bar always shown (else while the rows overflow).
// A list starts with those of its definition.
constexpr int HScroll = 0x7E11;
constexpr int VScroll = 0x7E12;
// "1": column selection, a current column highlighted within the selected
// row; the host reports the column it moves to in CurrentColumn.
constexpr int ColumnSelect = 0x7E13;
constexpr int CurrentColumn = 0x7E14; // 1-based place among the shown columns; "" or "0" none
// A header cell drawn pressed (1-based column; "" none).
constexpr int PressedColumn = 0x7E15;
// A header's text that follows the mouse while the header is dragged, drawn
// in grey at HeaderDragX pixels from the list's left; "" hides it.
constexpr int HeaderDragText = 0x7E16;
constexpr int HeaderDragX = 0x7E17;
// The pictures an icon column ("I" or "J") shows for its icon numbers,
// "|" between their names: number n shows the n-th, a picture of the
// window's module; 0, or a number past the last, shows none.
constexpr int Icons = 0x7E18;
} // namespace list_prop

} // namespace qv::rt
