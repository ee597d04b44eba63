#pragma once
// Characters of UTF-8 text: the one place that knows how text is encoded.
//
// Text is UTF-8 inside the program, but files and fields written by other
// programs may carry bytes that are not. Such a stray byte counts as one
// character, the one its value names (Latin-1, which Windows-1252 agrees with
// from 0xA0 on), so counts, cuts and conversions never drop or split anything.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::text {

// ---------------------------------------------------------------- encoding

// A byte that continues a multi-byte sequence; never a character of its own
// in valid UTF-8, so a search hit on one is inside a character.
constexpr bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The character starting at s[at]; at moves past it. A stray byte comes back
// as its own value.
char32_t decodeChar(std::string_view s, std::size_t& at);
void appendChar(std::string& out, char32_t c);

// UTF-8 as characters and back: fixed-length buffers are edited per character.
std::u32string toChars(std::string_view s);
std::string fromChars(std::u32string_view chars);

// Strict check: a line that fails it came from another program (Windows-1252).
bool isValidUtf8(std::string_view s);
std::string fromCp1252(std::string_view s);

// ---------------------------------------------------------------- lengths and cuts

// Lengths of fields and arguments are in characters, never bytes.
std::size_t charCount(std::string_view s);
// Where character k (0-based) starts; s.size() when s is shorter.
std::size_t byteOffset(std::string_view s, std::size_t k);
std::string_view firstChars(std::string_view s, std::size_t n);
// Exactly n characters: cut, or padded with blanks as a STRING(n) buffer is.
std::string padTo(std::string_view s, std::size_t n);
std::u32string padTo(std::u32string_view s, std::size_t n);

// ---------------------------------------------------------------- blanks and parts

// Fixed-length texts are padded with blanks, so trims drop blanks by default.
// What people type or edit by hand also drops tabs (kBlankOrTab): paths and
// shell targets, pictures and the dates and times read through them, numbers
// and decimals in expressions, window placements. INI files drop their own
// set; order and filter texts any white space. No UTF-8 continuation byte is
// ASCII, so trimming bytes never cuts a character.
inline constexpr std::string_view kBlank = " ";
inline constexpr std::string_view kBlankOrTab = " \t";
inline constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

std::string_view trimRight(std::string_view s, std::string_view blanks = kBlank);
std::string_view trimLeft(std::string_view s, std::string_view blanks = kBlank);
// An all-blank text trims to the empty view at its end: the INI file writes a
// replaced value there.
std::string_view trim(std::string_view s, std::string_view blanks = kBlank);
std::u32string_view trimRight(std::u32string_view s);
std::u32string_view trim(std::u32string_view s);

// "a|b|c" -> {"a","b","c"}; an empty text gives one empty part.
std::vector<std::string> split(std::string_view s, char separator);

} // namespace qv::text
