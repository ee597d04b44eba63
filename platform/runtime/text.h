#pragma once
// Small text helpers of the run time, shared by its modules.

#include <string>
#include <string_view>
#include <vector>

namespace qv::rt::text {

bool equalsNoCase(std::string_view a, std::string_view b);
// ASCII case folding; names of windows, controls and keys are ASCII.
std::string foldCase(std::string_view s);
// The first n characters (not bytes) of a UTF-8 text.
std::string firstChars(std::string_view s, std::size_t n);
// "a|b|c" -> {"a","b","c"}; an empty text gives one empty part.
std::vector<std::string> split(std::string_view s, char separator);

} // namespace qv::rt::text
