#include "platform/report/page.h"

#include <algorithm>

namespace qv::report {

std::uint16_t Page::fontIndex(const FontSpec& font)
{
    const auto at = std::find(fonts.begin(), fonts.end(), font);
    if (at != fonts.end())
        return static_cast<std::uint16_t>(at - fonts.begin());
    fonts.push_back(font);
    return static_cast<std::uint16_t>(fonts.size() - 1);
}

} // namespace qv::report
