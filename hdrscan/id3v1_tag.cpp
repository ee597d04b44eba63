#include "hdrscan/id3v1_tag.h"

#include <cstring>

namespace qv::hdrscan {

namespace {

// The tag's own genre list (0-79) and its widely used extension (80-125), with
// the spellings the catalogue has always shown.
constexpr std::string_view kGenres[kGenreCount] = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    // 80
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "Acapella",
    "Euro-House",
    "Dance Hall",
};

// Leading white space, an optional sign, then digits, all within the four year characters.
std::int32_t parseYear(const std::uint8_t* p, std::size_t n)
{
    std::size_t i = 0;
    auto is_space = [](std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < n && is_space(p[i]))
        ++i;
    bool negative = false;
    if (i < n && (p[i] == '+' || p[i] == '-')) {
        negative = p[i] == '-';
        ++i;
    }
    std::int32_t value = 0;
    for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i)
        value = value * 10 + (p[i] - '0');
    return negative ? -value : value;
}

} // namespace

void CopyTrimmedField(char* dst, const std::uint8_t* src, std::size_t width)
{
    std::size_t end = width;
    while (end > 0 && (src[end - 1] == ' ' || src[end - 1] == '\0'))
        --end;
    std::memcpy(dst, src, end);
    dst[end] = '\0';
}

void Id3v1Tag::clear()
{
    *this = Id3v1Tag{};
}

bool Id3v1Tag::Read(const std::uint8_t (&b)[kId3v1Size])
{
    clear();
    if (b[0] != 'T' || b[1] != 'A' || b[2] != 'G')
        return false;
    CopyTrimmedField(title, b + 3, 30);
    CopyTrimmedField(artist, b + 33, 30);
    CopyTrimmedField(album, b + 63, 30);
    year = parseYear(b + 93, 4);
    if (b[125] == 0 && b[126] != 0) {
        version = Version::V1_1;
        track = b[126];
        CopyTrimmedField(comment, b + 97, 28);
    } else {
        version = Version::V1_0;
        CopyTrimmedField(comment, b + 97, 30);
    }
    genre = b[127];
    return true;
}

std::string_view GenreName(std::optional<std::uint8_t> index)
{
    if (!index || *index >= kGenreCount)
        return {};
    return kGenres[*index];
}

} // namespace qv::hdrscan
