#pragma once
// Case, in the two senses the program needs.
//
// Names (windows, controls, procedures, keys, INI sections and keys, file
// names, verbs, picture letters) are ASCII: they fold ASCII only, since folding
// beyond it would only add ambiguity. The C library's toupper/tolower are not
// used for them: they follow the user's locale, and a single-byte locale would
// change bytes inside UTF-8 characters.
//
// Texts (artists, titles, UPPER() and LOWER(), keys of tables) are Unicode and
// map letters of every script, one character to one character, so a
// fixed-length text keeps its length in characters.

#include <string>
#include <string_view>

namespace qv::text {

// ---------------------------------------------------------------- ASCII names

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string asciiLower(std::string_view s);
std::string asciiUpper(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view s, std::string_view prefix);
bool endsWithNoCase(std::string_view s, std::string_view suffix);

// ---------------------------------------------------------------- Unicode texts

char32_t upperChar(char32_t c);
char32_t lowerChar(char32_t c);
std::u32string upperChars(std::u32string_view s);
std::u32string lowerChars(std::u32string_view s);
// UTF-8 in, UTF-8 out; stray bytes (see text.h) are kept as they are.
std::string upper(std::string_view s);
std::string lower(std::string_view s);

// The form a text key component is indexed by: case-folded, trailing blanks
// dropped. Table files store it, so its output for any input, even a stray
// byte, must never change.
std::string foldKey(std::string_view s);

} // namespace qv::text
