#pragma once
// Text replacement on fixed-length texts.
//
// A text passed in place is a fixed-length buffer: its length in characters
// is the string's length, and every result is cut or blank-padded to it.

#include <string>
#include <string_view>

namespace qv::qvls {

// Every occurrence of search, matched at each position from right to left;
// text right of a replacement is never scanned again. Case matters.
void ReplaceSubstring(std::string& text, std::string_view search, std::string_view replacement);
// The same; with ignoreCase a position also matches when the upper-case
// forms are equal.
void ReplaceText(std::string& text, std::string_view search, std::string_view replacement, bool ignoreCase);
// Every occurrence without regard to case, searched from the left; the
// search goes on after the inserted text, so a replacement that contains
// the searched text ends.
void ReplaceAllNoCase(std::string& target, std::string_view find, std::string_view replacement);

} // namespace qv::qvls
