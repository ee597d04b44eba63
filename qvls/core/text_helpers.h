#pragma once
// Text replacement on fixed-length texts, and the character-wise view of
// UTF-8 text that the name and text helpers work in.
//
// A text passed in place is a fixed-length buffer: its length in characters
// is the string's length, and every result is cut or blank-padded to it.

#include <string>
#include <string_view>

namespace qv::qvls {

// UTF-8 as characters and back. Invalid bytes stand for themselves
// (Windows-1252 fallback), so nothing is lost on the way.
std::u32string toChars(std::string_view text);
std::string fromChars(std::u32string_view chars);

char32_t upperChar(char32_t c);
char32_t lowerChar(char32_t c);
std::u32string upperChars(std::u32string_view s);
std::u32string lowerChars(std::u32string_view s);

// Cut or blank-padded to n characters.
std::u32string fitChars(std::u32string s, std::size_t n);
std::string fitText(std::string_view text, std::size_t n);
std::size_t textLength(std::string_view text);

std::string_view trimRight(std::string_view s);
std::string_view trimBoth(std::string_view s);

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
