#pragma once
// Songs from MP3 files: what an MP3 file's header and tag say, the artist
// and title a file name gives when the tag has none, and the song in the
// songs buffer filled from its associated file. Texts in place are
// fixed-length buffers (see text_helpers.h).

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::qvls {

// What the MP3 header library read from one file, its texts as program text.
struct MP3FileData {
    bool opened = false; // the file could be read at all
    bool hasFrames = false; // an MPEG audio frame was found
    std::string title, artist, album, comment, genre, version, mode;
    std::int32_t year = 0;
    std::int32_t track = -1; // -1: the tag gives no track number
    std::int32_t size = 0; // bytes
    std::int32_t frequency = 0; // Hz
    std::int32_t bitRate = 0; // kbit/s
    std::int32_t length = 0; // seconds
};

// Reads the file at a path of the file system (not a program path).
MP3FileData ReadMP3File(const std::string& path);

// The file name of a path without its folder and its last four characters
// (the extension): 'C:\Music\Song.mp3' gives 'Song'.
std::string BareMP3Name(std::string_view path);

// The text a file name without folder and extension stands for: underscores
// become blanks, the escapes of characters that file names cannot hold are
// undone, and a leading track number 01 to 19 before a dash goes
// ('05-Artist - Title' gives 'Artist - Title'). With fillSong the text also
// becomes SNG:Artist and SNG:Title of the songs buffer, split at " - ", and
// the artist is matched against the artist list.
std::string MP3NameToSongText(std::string_view name, bool fillSong);

// A title of "Various" or blank changes places with the artist; an artist
// that is then "Various" or blank is taken from a title 'Artist - Title' or
// 'Artist / Title'. Each text keeps its width.
void SplitArtistTitle(std::string& artist, std::string& title);

// Fills the blank title, artist, album, notes and category and the zero
// year, time and track number of the song in the songs buffer from its
// associated file, and replaces its size, mode, frequency and bit rate.
// Saves nothing. A file that does not exist is reported in a message box
// and changes nothing: the answer is then false.
bool FillSongFromMP3();

} // namespace qv::qvls
