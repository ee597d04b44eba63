#pragma once
// Fills the artist list from the songs: one artist record per name, each
// with the category of the first of its songs in artist order.

namespace qv::qvls {

void DefaultArtists();

} // namespace qv::qvls
