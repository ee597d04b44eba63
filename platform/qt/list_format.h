#pragma once
// A small reader of list format strings: per column a width in dialog units,
// an alignment, a "~header~" and an "@picture@". It reads what the host
// needs to draw columns and skips every other mark.

#include <string>
#include <string_view>
#include <vector>

namespace qv::qt {

struct ListColumn {
    int width = 0; // dialog units; 0: not given
    char align = 'L'; // L, R, C or D (decimal: drawn right-aligned)
    int indent = 0;
    std::string header;
    char headerAlign = 0; // 0: as the column
    std::string picture;
};

std::vector<ListColumn> parseListFormat(std::string_view format);

} // namespace qv::qt
