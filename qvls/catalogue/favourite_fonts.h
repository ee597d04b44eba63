#pragma once
// The favourite fonts' list and its two forms: one through the font dialog,
// one typed freely.

#include <cstdint>

namespace qv::qvls {

// Lets the user choose a favourite font for font (request 4): the list opens
// on it, and Select writes the chosen font's number back; Cancel leaves it.
// Answers the response.
int SelectFont(std::int64_t& font);

// Makes "SelectFont", "UpdateFonts" and "UpdateFontFreeform" startable by
// name. Called by name with request 4, "SelectFont" opens on the font whose
// number the Fonts record buffer holds and leaves the chosen one there.
void registerFavouriteFonts();

} // namespace qv::qvls
