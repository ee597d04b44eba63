#pragma once
// Changing one column of a list control's format in place.

#include <cstddef>
#include <string>

#include "platform/runtime/list_format.h"
#include "platform/runtime/window.h"

namespace qv::qvls {

// Does nothing for a place (1-based) the format has no column at.
template <typename Change> void changeColumn(rt::Control& list, int seq, Change change)
{
    rt::ListFormat format = rt::readListFormat(list.format()).format;
    if (seq < 1 || seq > static_cast<int>(format.columns.size()))
        return;
    change(format.columns[static_cast<std::size_t>(seq - 1)]);
    list.setFormat(rt::writeListFormat(format));
}

// A justification as the format writes it: the offset only when not 0.
inline rt::ListJustification justification(char letter, int offset)
{
    rt::ListJustification j;
    j.letter = letter;
    if (offset != 0)
        j.offset = offset;
    return j;
}

// Sets or clears one mark of a column.
inline void setMark(rt::ListFormatColumn& c, char mark, bool on)
{
    std::erase(c.marks, mark);
    if (on)
        c.marks += mark;
}

} // namespace qv::qvls
