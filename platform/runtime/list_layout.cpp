#include "platform/runtime/list_layout.h"

#include <algorithm>
#include <cstdlib>

namespace qv::rt {

std::vector<ListColumnPlace> columnPlaces(const ListFormat& format, const ListGeometry& geometry)
{
    std::vector<ListColumnPlace> places;
    int x = 0;
    int toScroll = geometry.scrolledColumns;
    for (std::size_t i = 0; i < format.columns.size(); ++i) {
        const ListFormatColumn& c = format.columns[i];
        const int width = i < geometry.columnWidths.size() ? geometry.columnWidths[i] : 0;
        if (!c.has(list_mark::Fixed) && toScroll > 0) {
            --toScroll;
            places.push_back({x, 0});
            continue;
        }
        places.push_back({x, width});
        x += width + (c.has(list_mark::RightBorder) ? 1 : 0);
    }
    return places;
}

ListHit listHit(const ListFormat& format, const ListGeometry& geometry, int x, int y, int row)
{
    ListHit hit{x, y, row, 0, false};
    if (row < -1 || x < 0 || x >= geometry.width - geometry.verticalScrollBar)
        return hit;
    const std::vector<ListColumnPlace> places = columnPlaces(format, geometry);
    const bool edges = row == 0 || geometry.headerHeight == 0;
    for (std::size_t i = 0; edges && i < places.size(); ++i) {
        if (places[i].width > 0 && format.columns[i].has(list_mark::Resizable)
            && std::abs(x - places[i].right()) <= kListEdgePixels) {
            hit.column = static_cast<int>(i) + 1;
            hit.edge = true;
            return hit;
        }
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        const int end = places[i].right() + (format.columns[i].has(list_mark::RightBorder) ? 1 : 0);
        if (places[i].width > 0 && x >= places[i].left && x < end)
            hit.column = static_cast<int>(i) + 1;
    }
    return hit;
}

std::string withColumnWidth(std::string_view format, int column, int width)
{
    ListFormatReading r = readListFormat(format);
    if (r.error || column < 1 || column > static_cast<int>(r.format.columns.size()))
        return std::string(format);
    r.format.columns[column - 1].width = std::max(width, 0);
    return writeListFormat(r.format);
}

ListCell listCell(const ListSource& source, int row, const ListFormatColumn& column, int field)
{
    ListCell cell;
    cell.value = source.cell(row, field);
    int next = field + 1;
    if (column.has(list_mark::Colours)) {
        for (long& colour : cell.colours) {
            const std::string text = source.cell(row, next++);
            char* end = nullptr;
            const long v = std::strtol(text.c_str(), &end, 10);
            colour = text.empty() || *end ? -1 : v;
        }
    }
    if (column.has(list_mark::Icon) || column.has(list_mark::TransparentIcon))
        cell.icon = std::atoi(source.cell(row, next).c_str());
    return cell;
}

} // namespace qv::rt
