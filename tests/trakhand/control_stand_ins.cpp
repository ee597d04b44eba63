// The control's own helpers on its types, for a tree that does not hold the
// control yet: a track by number, and a category's shown name.
#include <cctype>

#include "platform/outside/cddb/control.h"

namespace qv::cddb {

Track& Disc::track(int n)
{
    if (n < 1 || n > trackCount())
        throw ComError(hr::kInvalidArgument, "The disc has no track " + std::to_string(n) + ".");
    return tracks[static_cast<std::size_t>(n - 1)];
}

std::string GenreList::name(const std::string& genreId) const
{
    if (genreId == "newage")
        return "New Age";
    std::string shown = genreId;
    if (!shown.empty())
        shown[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(shown[0])));
    return shown;
}

} // namespace qv::cddb
