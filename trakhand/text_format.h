#pragma once
// printf-style formatting of the tool's message and log texts.

#include <cstdio>
#include <string>

namespace qv::trakhand {

template <typename... Values> std::string format(const char* pattern, Values... values)
{
    const int n = std::snprintf(nullptr, 0, pattern, values...);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, pattern, values...);
    return out;
}

} // namespace qv::trakhand
