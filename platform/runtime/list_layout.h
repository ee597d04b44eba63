#pragma once
// Where a list's columns lie and what its cells show, worked out the same way
// by every host from the list's format and the geometry the host reports, so
// that a press lands on the same column whichever host took it.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/list_box.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/list_source.h"

namespace qv::rt {

// How near a resizable column's right edge, in pixels either side, the
// mouse takes that edge.
inline constexpr int kListEdgePixels = 3;

// A column as drawn: left edge and width in pixels; 0 wide when scrolled out.
// A right border takes one pixel after the column.
struct ListColumnPlace {
    int left = 0;
    int width = 0;
    int right() const { return left + width; }
};

// Fixed columns stay in place; the first scrolled-out columns that are not
// fixed take no room.
std::vector<ListColumnPlace> columnPlaces(const ListFormat& format, const ListGeometry& geometry);

// The column (1-based, 0 past the last) and resize edge under x, for a press
// on `row` (0 the header, 1.. the rows, -1 below them). Edges are taken on
// the header, or anywhere when the list shows none.
ListHit listHit(const ListFormat& format, const ListGeometry& geometry, int x, int y, int row);

// The format with one column (1-based) given a new width in dialog units;
// the text unchanged when there is no such column.
std::string withColumnWidth(std::string_view format, int column, int width);

// What a cell shows: the value of the column's field and, after it, its
// colours (-1 where the row leaves them to the list) and its icon number.
struct ListCell {
    std::string value;
    std::array<long, 4> colours{-1, -1, -1, -1}; // text, background, selected text, selected background
    int icon = 0;
};
ListCell listCell(const ListSource& source, int row, const ListFormatColumn& column, int field);

} // namespace qv::rt
