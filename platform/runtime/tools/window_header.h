#pragma once
// The header of control constants that the build generates from each window
// definition, so that program code names controls the compiler can check.

#include <string>
#include <string_view>

namespace qv::rt {

// The header for window `window` of `module`, read from `yaml`; `source`
// is how the header names the file it came from. A control's constant is its
// name without the "?", each character that cannot stand in a C++ name made
// "_" ("?Browse:1" -> Browse_1), "_" put before a leading digit and after a
// keyword. Throws DefinitionError when the YAML is not a window definition or
// two controls would make the same constant.
std::string windowHeader(
    std::string_view yaml, std::string_view module, std::string_view window, std::string_view source);

} // namespace qv::rt
