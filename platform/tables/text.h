#pragma once

// UTF-8 helpers for fixed-length text fields and case-blind keys.

#include <string>
#include <string_view>

namespace qv::tables {

// Number of characters (code points) in UTF-8 text.
size_t charCount(std::string_view s);
// The first n characters.
std::string_view firstChars(std::string_view s, size_t n);
// Exactly n characters: cut or padded with blanks.
std::string padTo(std::string_view s, size_t n);
std::string_view trimRight(std::string_view s);
// The form a text key component is indexed by: Unicode case-folded, trailing blanks dropped.
std::string foldKey(std::string_view s);
bool isValidUtf8(std::string_view s);
// Windows-1252 bytes to UTF-8.
std::string fromCp1252(std::string_view s);

}  // namespace qv::tables
