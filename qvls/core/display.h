#pragma once
// The texts a song shows in lists, forms and reports: its time and its
// display title.

#include <cstdint>
#include <string>

namespace qv::qvls {

// Fills GLO:SongTimeText with the time as minutes and seconds; without a
// time, the song buffer's SNG:Time is used.
void SongTimeText(std::int32_t time, bool timeOmitted = false);
inline void SongTimeText()
{
    SongTimeText(0, true);
}

// The shortest m:ss form ('3:25', '0:05', '1:02:03'); empty for 0.
std::string ShortTimeText(std::int32_t time);

// The song buffer's title with " (Skips)" and its mix in parentheses. A title
// that names "(Skips)" itself marks the song as one with skips.
std::string SongDisplayTitle();

} // namespace qv::qvls
