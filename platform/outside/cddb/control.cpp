#include "platform/outside/cddb/control.h"

#include <array>
#include <utility>

namespace qv::cddb {

namespace {

// The protocol's categories and the names people know them by.
constexpr std::array<std::pair<const char*, const char*>, 11> kCategoryNames{{
    {"blues", "Blues"},
    {"classical", "Classical"},
    {"country", "Country"},
    {"data", "Data"},
    {"folk", "Folk"},
    {"jazz", "Jazz"},
    {"misc", "Misc"},
    {"newage", "New Age"},
    {"reggae", "Reggae"},
    {"rock", "Rock"},
    {"soundtrack", "Soundtrack"},
}};

} // namespace

Track& Disc::track(int n)
{
    if (n < 1 || n > trackCount())
        throw ComError(hr::kInvalidArgument,
            "The disc has no track " + std::to_string(n) + "; it has " + std::to_string(trackCount()) + ".");
    return tracks[static_cast<std::size_t>(n - 1)];
}

std::string GenreList::name(const std::string& genreId) const
{
    for (const auto& [id, shown] : kCategoryNames)
        if (genreId == id)
            return shown;
    return genreId;
}

} // namespace qv::cddb
