#include "platform/outside/cddb/xmcd.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "platform/outside/cddb/client.h"

namespace qv::cddb {

namespace {

// A track cannot start later than 99 minutes into a disc.
constexpr long kMaxFrames = 100L * 60 * 75;

[[noreturn]] void badRecord(const std::string& why)
{
    throw ComError(hr::kBadAnswer, "The disc record from the disc database is not valid: " + why);
}

std::optional<long> parseNumber(std::string_view text)
{
    long value = 0;
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (true) {
        pos = text.find_first_not_of(" \t", pos);
        if (pos == std::string_view::npos)
            return out;
        const auto end = std::min(text.find_first_of(" \t", pos), text.size());
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// "Artist / Title": the protocol splits at the first separator; without one
// the text names both.
std::pair<std::string, std::string> splitArtistTitle(const std::string& text)
{
    const auto at = text.find(" / ");
    if (at == std::string::npos)
        return {text, text};
    return {text.substr(0, at), text.substr(at + 3)};
}

// TTITLE12 and EXTT12: the key's stem and its track index.
std::optional<int> trackIndex(std::string_view key, std::string_view stem)
{
    if (!startsWith(key, stem))
        return std::nullopt;
    const auto digits = key.substr(stem.size());
    if (digits.size() > 1 && digits[0] == '0')
        return std::nullopt;
    const auto n = parseNumber(digits);
    if (!n)
        return std::nullopt;
    if (*n >= kMaxTracks)
        badRecord("it names a track beyond the " + std::to_string(kMaxTracks) + "th.");
    return static_cast<int>(*n);
}

// Reads a record line by line; values split over lines are joined before
// their escapes are undone, so a split may fall anywhere.
class XmcdReader
{
public:
    void take(std::string_view line)
    {
        if (lineCount_++ == 0) {
            if (!startsWith(line, "# xmcd"))
                badRecord("it does not start with \"# xmcd\".");
            return;
        }
        if (line.empty())
            return;
        if (line[0] == '#')
            comment(line.substr(1));
        else
            keyLine(line);
    }

    Disc disc()
    {
        if (lineCount_ == 0)
            badRecord("it is empty.");
        if (offsets_.empty())
            badRecord("it has no track frame offsets.");
        if (!seconds_)
            badRecord("it has no disc length.");
        if (*seconds_ * 75 < offsets_.back())
            badRecord("its disc length ends before its last track starts.");
        if (!discIds_)
            badRecord("it has no DISCID.");
        if (!values_.count("DTITLE"))
            badRecord("it has no DTITLE.");
        const int count = static_cast<int>(offsets_.size());
        for (int i = 0; i < count; ++i)
            if (!titles_.count(i))
                badRecord("the title of track " + std::to_string(i + 1) + " is missing.");
        if (!titles_.empty() && titles_.rbegin()->first >= count)
            badRecord("it has titles for more tracks than its offsets.");
        if (!extended_.empty() && extended_.rbegin()->first >= count)
            badRecord("it has notes for more tracks than its offsets.");

        Disc disc;
        disc.discId = discIds_->front();
        std::tie(disc.artist, disc.title) = splitArtistTitle(value("DTITLE"));
        disc.year = value("DYEAR");
        disc.genreId = value("DGENRE");
        disc.notes = value("EXTD");
        disc.playOrder = value("PLAYORDER");
        disc.revision = revision_.value_or(0);
        disc.toc = TocText{disc.discId, offsets_, *seconds_}.text();
        disc.tracks.resize(count);
        for (int i = 0; i < count; ++i) {
            Track& track = disc.tracks[i];
            const std::string title = unescapeValue(titles_[i]);
            if (title.find(" / ") != std::string::npos) {
                std::tie(track.artist, track.title) = splitArtistTitle(title);
                disc.markPerTrackArtists = true;
            } else {
                track.title = title;
            }
            if (auto it = extended_.find(i); it != extended_.end())
                track.extended = unescapeValue(it->second);
        }
        return disc;
    }

    // Every DISCID the record names; it may serve several discs.
    const std::vector<std::string>& discIds() const
    {
        static const std::vector<std::string> none;
        return discIds_ ? *discIds_ : none;
    }

private:
    void comment(std::string_view text)
    {
        if (inOffsets_) {
            if (const auto frames = parseNumber(trimmed(text))) {
                addOffset(*frames);
                return;
            }
            inOffsets_ = false;
        }
        const auto body = trimmed(text);
        if (body == "Track frame offsets:") {
            if (!offsets_.empty())
                badRecord("it lists the track frame offsets twice.");
            inOffsets_ = true;
        } else if (startsWith(body, "Disc length:")) {
            const auto w = words(body.substr(12));
            const auto n = w.empty() ? std::nullopt : parseNumber(w[0]);
            if (!n || *n * 75 > kMaxFrames)
                badRecord("its disc length is not a number of seconds.");
            seconds_ = *n;
        } else if (startsWith(body, "Revision:")) {
            const auto n = parseNumber(trimmed(body.substr(9)));
            if (!n)
                badRecord("its revision is not a number.");
            revision_ = static_cast<int>(*n);
        }
    }

    void addOffset(long frames)
    {
        if (offsets_.size() >= static_cast<std::size_t>(kMaxTracks))
            badRecord("it has more than " + std::to_string(kMaxTracks) + " tracks.");
        if (frames > kMaxFrames || (!offsets_.empty() && frames <= offsets_.back()))
            badRecord("its track frame offsets do not rise.");
        offsets_.push_back(frames);
    }

    void keyLine(std::string_view line)
    {
        inOffsets_ = false;
        const auto eq = line.find('=');
        const auto key = line.substr(0, eq);
        if (eq == std::string_view::npos || key.empty() || !std::all_of(key.begin(), key.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            }))
            badRecord("a line is neither a comment nor a keyword.");
        const auto value = line.substr(eq + 1);
        if (key == "DISCID")
            addDiscIds(value);
        else if (auto n = trackIndex(key, "TTITLE"))
            titles_[*n] += value;
        else if (auto n = trackIndex(key, "EXTT"))
            extended_[*n] += value;
        else if (key == "DTITLE" || key == "DYEAR" || key == "DGENRE" || key == "EXTD" || key == "PLAYORDER")
            values_[std::string(key)] += value;
        // Keys of later protocol levels are not ours to judge.
    }

    void addDiscIds(std::string_view value)
    {
        if (!discIds_)
            discIds_.emplace();
        std::size_t pos = 0;
        while (pos <= value.size()) {
            const auto end = std::min(value.find(',', pos), value.size());
            std::string id = lowerCase(trimmed(value.substr(pos, end - pos)));
            if (!isDiscId(id))
                badRecord("its DISCID is not a disc identifier.");
            discIds_->push_back(std::move(id));
            pos = end + 1;
        }
    }

    std::string value(const std::string& key) const
    {
        const auto it = values_.find(key);
        return it == values_.end() ? std::string() : unescapeValue(it->second);
    }

    int lineCount_ = 0;
    bool inOffsets_ = false;
    std::vector<long> offsets_;
    std::optional<long> seconds_;
    std::optional<int> revision_;
    std::optional<std::vector<std::string>> discIds_;
    std::map<std::string, std::string> values_;
    std::map<int, std::string> titles_, extended_;
};

// Cuts an escaped value into pieces that fit a line after the key, never
// inside an escape or a UTF-8 sequence.
std::vector<std::string_view> lineChunks(std::string_view value, std::size_t room)
{
    std::vector<std::string_view> chunks;
    while (value.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
            --cut;
        std::size_t slashes = 0;
        while (slashes < cut && value[cut - 1 - slashes] == '\\')
            ++slashes;
        if (slashes % 2 == 1)
            --cut;
        if (cut == 0)
            cut = room; // cannot happen with valid text; never loop forever
        chunks.push_back(value.substr(0, cut));
        value.remove_prefix(cut);
    }
    chunks.push_back(value);
    return chunks;
}

void writeKey(std::string& out, const std::string& key, const std::string& value)
{
    const std::string escaped = escapeValue(value);
    for (const auto chunk : lineChunks(escaped, kMaxXmcdLine - key.size() - 1)) {
        out += key;
        out += '=';
        out += chunk;
        out += '\n';
    }
}

std::string withoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

} // namespace

std::string TocText::text() const
{
    std::string out = discId + " " + std::to_string(offsets.size());
    for (long offset : offsets)
        out += " " + std::to_string(offset);
    return out + " " + std::to_string(seconds);
}

std::optional<TocText> parseTocText(std::string_view text)
{
    const auto w = words(text);
    if (w.size() < 4 || !isDiscId(w[0]))
        return std::nullopt;
    const auto count = parseNumber(w[1]);
    if (!count || *count < 1 || *count > kMaxTracks || w.size() != static_cast<std::size_t>(*count) + 3)
        return std::nullopt;
    TocText toc;
    toc.discId = lowerCase(w[0]);
    for (long i = 0; i < *count; ++i) {
        const auto offset = parseNumber(w[2 + i]);
        if (!offset || *offset > kMaxFrames || (!toc.offsets.empty() && *offset <= toc.offsets.back()))
            return std::nullopt;
        toc.offsets.push_back(*offset);
    }
    const auto seconds = parseNumber(w.back());
    if (!seconds || *seconds * 75 < toc.offsets.back() || *seconds * 75 > kMaxFrames)
        return std::nullopt;
    toc.seconds = *seconds;
    return toc;
}

bool isDiscId(std::string_view text)
{
    return text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int more = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= text.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

std::string escapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

std::string unescapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[i + 1];
        if (next == 'n')
            out += '\n';
        else if (next == 't')
            out += '\t';
        else if (next == '\\')
            out += '\\';
        else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

namespace {

XmcdReader readXmcd(const std::string& text)
{
    if (text.size() > kMaxAnswerBytes)
        badRecord("it is larger than 1 MiB.");
    if (!isValidUtf8(text))
        badRecord("it is not UTF-8 text.");
    XmcdReader reader;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto end = std::min(text.find('\n', pos), text.size());
        std::string_view line(text.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (std::any_of(
                line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }))
            badRecord("it holds control characters.");
        reader.take(line);
        pos = end + 1;
    }
    return reader;
}

} // namespace

Disc fromXmcd(const std::string& text)
{
    return readXmcd(text).disc();
}

Disc fromXmcd(const std::string& text, std::string_view discId)
{
    auto reader = readXmcd(text);
    Disc disc = reader.disc();
    const auto wanted = lowerCase(discId);
    const auto& ids = reader.discIds();
    if (std::find(ids.begin(), ids.end(), wanted) == ids.end())
        throw ComError(hr::kBadAnswer, "The disc database sent the record of another disc than " + wanted + ".");
    disc.discId = wanted;
    return disc;
}

std::string toXmcd(const Disc& disc, const std::string& submittedVia)
{
    const auto toc = parseTocText(disc.toc);
    if (!toc)
        throw ComError(hr::kInvalidArgument, "The disc has no valid table of contents, so it cannot be written.");
    if (disc.trackCount() != static_cast<int>(toc->offsets.size()))
        throw ComError(hr::kInvalidArgument,
            "The disc has " + std::to_string(disc.trackCount()) + " tracks but its table of contents "
                + std::to_string(toc->offsets.size()) + ".");

    std::string out = "# xmcd\n#\n# Track frame offsets:\n";
    for (long offset : toc->offsets)
        out += "#\t" + std::to_string(offset) + "\n";
    out += "#\n# Disc length: " + std::to_string(toc->seconds) + " seconds\n#\n";
    out += "# Revision: " + std::to_string(disc.revision < 0 ? 0 : disc.revision + 1) + "\n";
    out += "# Submitted via: " + withoutCarriageReturns(submittedVia) + "\n#\n";

    writeKey(out, "DISCID", toc->discId);
    writeKey(out, "DTITLE", withoutCarriageReturns(disc.artist + " / " + disc.title));
    writeKey(out, "DYEAR", withoutCarriageReturns(disc.year));
    writeKey(out, "DGENRE", withoutCarriageReturns(disc.genreId));
    for (int i = 0; i < disc.trackCount(); ++i) {
        const Track& track = disc.tracks[i];
        writeKey(out, "TTITLE" + std::to_string(i),
            withoutCarriageReturns(track.artist.empty() ? track.title : track.artist + " / " + track.title));
    }
    writeKey(out, "EXTD", withoutCarriageReturns(disc.notes));
    for (int i = 0; i < disc.trackCount(); ++i)
        writeKey(out, "EXTT" + std::to_string(i), withoutCarriageReturns(disc.tracks[i].extended));
    writeKey(out, "PLAYORDER", withoutCarriageReturns(disc.playOrder));
    return out;
}

std::string toXmcd(const Disc& disc)
{
    return toXmcd(disc, "Quorvel 2.61");
}

Disc matchedDisc(const QueryMatch& match)
{
    Disc disc;
    disc.category = match.category;
    disc.discId = match.discId;
    std::tie(disc.artist, disc.title) = splitArtistTitle(match.title);
    return disc;
}

const std::vector<std::string>& categories()
{
    static const std::vector<std::string> all
        = {"blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock", "soundtrack"};
    return all;
}

} // namespace qv::cddb
