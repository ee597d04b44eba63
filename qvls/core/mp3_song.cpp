#include "qvls/core/mp3_song.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

#include "hdrscan/get_mp3_data.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/paths.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/names.h"
#include "qvls/core/text_helpers.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {

// The width of the library's text parameters, as the program passed them.
constexpr std::size_t kParameterWidth = 255;
// The library reads at most this many bytes of a path, its NUL included.
constexpr std::size_t kLibraryPathBytes = 256;

// Tag bytes are usually Windows-1252; a control character would break the
// one-line field it lands in.
std::string tagText(const char* buffer)
{
    std::string raw(buffer, ::strnlen(buffer, kParameterWidth));
    std::string t = text::isValidUtf8(raw) ? raw : text::fromCp1252(raw);
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return t;
}

bool isVariousOrEmpty(std::string_view s)
{
    return s.empty() || s == "Various";
}

std::string upperFirst(std::string_view s)
{
    std::u32string c = text::toChars(s);
    if (!c.empty())
        c[0] = text::upperChar(c[0]);
    return text::fromChars(c);
}

} // namespace

MP3FileData ReadMP3File(const std::string& path)
{
    MP3FileData d;
    // Held open through the call: a path too long for the library is read
    // through the descriptor instead of being cut to another file's name.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return d;
    const std::string readPath = path.size() < kLibraryPathBytes ? path : "/proc/self/fd/" + std::to_string(fd);

    char title[kParameterWidth] = {}, artist[kParameterWidth] = {}, album[kParameterWidth] = {},
         comment[kParameterWidth] = {}, genre[kParameterWidth] = {}, version[kParameterWidth] = {},
         mode[kParameterWidth] = {};
    std::int32_t year = 0, track = 0, size = 0, frequency = 0, bitRate = 0, length = 0;
    const std::int32_t result = GetMP3Data(readPath.c_str(), title, artist, album, comment, genre, &year, &track, &size,
        version, mode, &frequency, &bitRate, &length);
    ::close(fd);

    d.opened = true;
    d.hasFrames = (result & 0xFF) != 0;
    d.title = tagText(title);
    d.artist = tagText(artist);
    d.album = tagText(album);
    d.comment = tagText(comment);
    d.genre = tagText(genre);
    d.version = tagText(version);
    d.mode = tagText(mode);
    d.year = year;
    d.track = track;
    d.size = size;
    d.frequency = frequency;
    d.bitRate = bitRate;
    d.length = length;
    return d;
}

std::string BareMP3Name(std::string_view path)
{
    std::u32string c = text::toChars(text::trimRight(path));
    c.resize(c.size() > 4 ? c.size() - 4 : 0);
    const std::size_t folder = c.find_last_of(U"\\/");
    if (folder != std::u32string::npos)
        c.erase(0, folder + 1);
    return text::fromChars(c);
}

std::string MP3NameToSongText(std::string_view name, bool fillSong)
{
    struct Replacement {
        std::string_view find, by;
    };
    // In this order: the dashes made from control characters collapse with
    // the ones already there, and blanks made from underscores with theirs.
    static constexpr Replacement kReplacements[] = {
        {"_", " "},
        {"\r", "-"},
        {"\t", "-"},
        {"\n", "-"},
        {"`", "-"},
        {"--", "-"},
        {"  ", " "},
        {"{SLASH}", "/"},
        {"{QM}", "?"},
        {"{STAR}", "*"},
        {"{PERIOD}", "."},
        {".wav", " "},
    };
    std::string buffer(name);
    for (const Replacement& r : kReplacements)
        ReplaceSubstring(buffer, r.find, r.by);

    std::u32string t = text::toChars(text::trimRight(buffer));
    // '07-Intro' is track 7; '10-Intro' and '25-Intro' may be titles.
    const std::size_t dash = t.find(U'-');
    if (dash == 2 || dash == 3) {
        const char32_t tens = t[dash - 2], units = t[dash - 1];
        if ((tens == U'0' || tens == U'1') && units >= U'1' && units <= U'9')
            t = t.substr(0, dash - 2) + U" " + t.substr(dash + 1);
    }
    t.erase(0, std::min(t.find_first_not_of(U' '), t.size()));
    const std::string out = text::fromChars(t);

    if (fillSong) {
        tables::Record& rec = dictionary::Quorvel().record();
        const int artistField = rec.def().fieldIndex("SNG:Artist");
        const int titleField = rec.def().fieldIndex("SNG:Title");
        if (const std::size_t at = out.find(" - "); at != std::string::npos) {
            rec.setString(artistField, std::string_view(out).substr(0, at));
            rec.setString(titleField, text::trimLeft(std::string_view(out).substr(at + 3)));
        } else {
            rec.setString(artistField, out);
            rec.setString(titleField, out);
        }
        std::string artist = rec.getString(artistField);
        std::string title = rec.getString(titleField);
        SplitArtistTitle(artist, title);
        MatchArtistName(artist);
        rec.setString(artistField, artist);
        rec.setString(titleField, title);
    }
    return out;
}

void SplitArtistTitle(std::string& artist, std::string& title)
{
    std::string a(text::trimRight(artist));
    std::string t(text::trimRight(title));
    if (isVariousOrEmpty(t))
        std::swap(a, t);
    if (isVariousOrEmpty(a)) {
        std::size_t at = t.find(" - ");
        if (at == std::string::npos)
            at = t.find(" / ");
        if (at != std::string::npos) {
            a = t.substr(0, at);
            t.erase(0, at + 3);
        }
    }
    artist = text::padTo(a, text::charCount(artist));
    title = text::padTo(t, text::charCount(title));
}

bool FillSongFromMP3()
{
    tables::Record& rec = dictionary::Quorvel().record();
    auto field = [&](std::string_view name) { return rec.def().fieldIndex(name); };

    const std::string path = rec.getText(field("SNG:AssociatedWAVFile"));
    std::optional<std::string> file;
    if (!path.empty())
        file = rt::findNoCase(rt::toPosixPath(path));
    std::error_code ec;
    if (!file || !std::filesystem::is_regular_file(*file, ec)) {
        rt::message(path + " does not exist.", "Error", rt::Icon::None, rt::button::Ok);
        return false;
    }

    const MP3FileData d = ReadMP3File(*file);
    std::string artist = text::padTo(d.artist, kParameterWidth);
    std::string title = text::padTo(d.title, kParameterWidth);
    if (d.title.empty() && d.artist.empty())
        // The name as it lies on disk, whatever case the song's path spells it in.
        title = text::padTo(MP3NameToSongText(BareMP3Name(*file), false), kParameterWidth);
    SplitArtistTitle(artist, title);

    auto fillText = [&](std::string_view name, std::string_view value) {
        if (const int f = field(name); rec.isEmpty(f))
            rec.setString(f, text::trimRight(value));
    };
    auto fillNumber = [&](std::string_view name, std::int64_t value) {
        if (const int f = field(name); rec.getInt(f) == 0)
            rec.setInt(f, value);
    };
    fillText("SNG:Title", title);
    fillText("SNG:Artist", artist);
    fillText("SNG:Album", d.album);
    if (const int notes = rec.def().memoIndex("SNG:Notes"); text::trim(rec.memo(notes), text::kWhiteSpace).empty())
        rec.setMemo(notes, d.comment);
    fillText("SNG:Category", upperFirst(d.genre));
    if (d.year > 0)
        fillNumber("SNG:ReleaseDate", d.year);
    // A file without audio frames has no length; 0:00 would be a false time.
    // A length beyond a time value's range is no length either.
    const std::int64_t time = std::int64_t{d.length} * 100 + 1;
    if (d.hasFrames && d.length >= 0 && time <= std::numeric_limits<std::int32_t>::max())
        fillNumber("SNG:Time", time);
    if (d.track >= 0 && d.track <= 255)
        fillNumber("SNG:TrackNumber", d.track);

    // A file that cannot be read says nothing about its size or format.
    if (d.opened) {
        rec.setInt(field("SNG:Filesize"), d.size);
        rec.setString(field("SNG:Mode"), d.mode);
        rec.setInt(field("SNG:Frequency"), d.frequency);
        rec.setInt(field("SNG:BitRate"), d.bitRate);
    }

    std::string songArtist = rec.getString(field("SNG:Artist"));
    std::string songTitle = rec.getString(field("SNG:Title"));
    SplitArtistTitle(songArtist, songTitle);
    rec.setString(field("SNG:Artist"), songArtist);
    rec.setString(field("SNG:Title"), songTitle);
    return true;
}

} // namespace qv::qvls
