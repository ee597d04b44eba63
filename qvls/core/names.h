#pragma once
// Artist names in their two forms ('Last, First' and 'First Last'), the
// match of an incoming name against the artist list, and the capitalisation
// style the user chose. Texts in place are fixed-length buffers (see
// text_helpers.h).

#include <string>
#include <string_view>

namespace qv::rt {
class Window;
}

namespace qv::qvls {

// 'Smith, John' as 'John Smith'; 'Smith, John with the Band' as 'John Smith
// with the Band'. A name without a comma comes back unchanged.
std::string ArtistDisplayName(std::string_view name);

// 'Smith, John' <-> 'John Smith'; a name without a comma or inner blank
// stays. The window, when given, shows its fields again.
void SwapNameOrder(std::string& name, rt::Window* redisplay = nullptr);

// When the artist list holds the name only in its swapped form, the name
// becomes that stored spelling (upper case under the all-upper style).
void MatchArtistName(std::string& name);

// Rewrites the text in the style of the setting Autocapstyle.
void DefaultCapitalize(std::string& text);

// The 32 characters after which a word begins.
bool isWordSeparator(char32_t c);

} // namespace qv::qvls
