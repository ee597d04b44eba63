#pragma once
// An album's songs keep copies of album fields (title, artist, media, file
// number, category, release date). These keep the copies in line with the
// album now in the Album buffer.

namespace qv::qvls {

// Which album fields reach the songs; the title goes with any of them.
struct CascadeSwitches {
    bool artist = false, fileNumber = false, media = false, category = false, releaseDate = false;
    bool any() const { return artist || fileNumber || media || category || releaseDate; }
};

// The switches the four Cascade settings give (the artist never follows a
// setting).
CascadeSwitches cascadeSettings();

// Writes the album's fields into every song of the album, on every side. With
// ask, the user chooses the kind of album ("Single Artist" or "Compilation")
// or cancels; without, the settings decide. Songs a write refuses keep their
// values, and the user hears of it once.
void CascadeAlbumToSongs(bool ask);
void CascadeAlbumToSongs(const CascadeSwitches& switches);

// The album's artist and title and the song's artist, title and album title
// in the user's capitalisation; the buffers only, the caller writes them.
void CaseAlbumFields();

} // namespace qv::qvls
