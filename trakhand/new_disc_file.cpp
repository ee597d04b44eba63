#include "trakhand/new_disc_file.h"

#include <cctype>
#include <climits>
#include <string>
#include <vector>

#include "trakhand/command_line.h"

namespace qv::trakhand {

namespace {

constexpr int kAllTracks = 99;

// The value's leading decimal number: blanks skipped, an optional sign, as
// many digits as there are; none gives 0.
int leadingNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        n = std::min<long long>(n * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -n : n);
}

// The track number a key names ("TRACK7" with prefix "TRACK"), 1 to count; 0 for none.
int trackOf(const std::string& key, const std::string& prefix, int count)
{
    for (int n = 1; n <= count; ++n)
        if (key == prefix + std::to_string(n))
            return n;
    return 0;
}

} // namespace

void readNewDiscFile(std::istream& file, cddb::Disc& disc)
{
    static const std::vector<std::string> keys{"ARTIST", "ALBUM", "YEAR", "TRACKS", ""};
    int trackCount = kAllTracks;
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        // The value runs to the line's end; a carriage return ends it too.
        const std::string value = line.substr(equals + 1, line.find_first_of("\r\n", equals + 1) - (equals + 1));
        if (value.empty() || key.empty())
            continue;
        switch (FindKeyIndex(key, keys)) {
        case 0:
            disc.artist = value;
            break;
        case 1:
            disc.title = value;
            break;
        case 2:
            disc.year = value;
            break;
        case 3:
            trackCount = leadingNumber(value);
            if (trackCount < 1)
                trackCount = kAllTracks;
            break;
        default:
            if (const int n = trackOf(key, "TRACK", trackCount))
                disc.track(n).title = value;
            if (const int n = trackOf(key, "TRACKARTIST", trackCount)) {
                disc.track(n).artist = value;
                disc.markPerTrackArtists = true;
            }
        }
    }
}

} // namespace qv::trakhand
