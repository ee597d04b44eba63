#pragma once
// What the host takes from a list format to draw its columns: the columns
// the run time reads, and Qt's alignment of a justification letter.

#include <Qt>
#include <string_view>
#include <vector>

#include "platform/runtime/list_format.h"

namespace qv::qt {

// A malformed format shows the columns read before the fault, and the fault
// goes to the host's warnings.
std::vector<rt::ListFormatColumn> shownColumns(std::string_view format);

// Decimal columns are drawn right-aligned.
Qt::Alignment alignmentOf(char justification);

} // namespace qv::qt
