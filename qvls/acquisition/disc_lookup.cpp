#include "qvls/acquisition/disc_lookup.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/framework/table_access.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/procedures.h"
#include "platform/tables/errors.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/acquisition/collection_files.h"
#include "qvls/acquisition/disc_reading.h"
#include "qvls/acquisition/disc_side.h"
#include "qvls/acquisition/run_program.h"
#include "qvls/catalogue/album_cascade.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/names.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {

constexpr std::string_view kResultFile = "TRAKHAND.LOG";
constexpr std::string_view kOfflineFile = "TRAKHAND.OFFLINE";
// An audio CD holds at most 99 tracks; a larger count in the answer would
// only wrap the songs' track numbers onto each other.
constexpr int kMostTracks = 99;

tables::Record& album()
{
    return dictionary::AlbumAccess->record();
}
tables::Record& song()
{
    return dictionary::QuorvelAccess->record();
}
std::string text(tables::Record& r, const char* field)
{
    return std::string(text::trimRight(r[std::string_view(field)].toString()));
}
bool blank(std::string_view s)
{
    return text::trim(s).empty();
}
void setNotes(tables::Record& r, const char* memo, std::string_view value)
{
    r.setMemo(r.def().memoIndex(memo), value);
}

// Tables the lookup uses, open for its length.
class OpenTables
{
public:
    OpenTables()
    {
        for (fw::TableAccess* t : tables_)
            opened_.push_back(t->open() == fw::Benign);
    }
    ~OpenTables()
    {
        for (std::size_t i = 0; i < tables_.size(); ++i)
            if (opened_[i])
                tables_[i]->close();
    }
    bool ok() const
    {
        return std::all_of(opened_.begin(), opened_.end(), [](bool b) { return b; });
    }

private:
    // The artists too: every song's artist is matched against them.
    std::vector<fw::TableAccess*> tables_{
        dictionary::QuorvelAccess, dictionary::CategoriesAccess, dictionary::ArtistsAccess};
    std::vector<bool> opened_;
};

// The album's category from the answer's genre: an existing category by its
// name, or a new one.
void takeGenre(const rt::IniFile& answer)
{
    fw::TableAccess& categories = *dictionary::CategoriesAccess;
    tables::Record& c = categories.record();
    const std::string genre = answer.get("DISC", "Genre", text(c, "CAT:Category"));
    c["CAT:Category"] = genre;
    album()["ALB:Category"] = genre;
    song()["SNG:Category"] = genre;
    // A genre that names no category leaves no other category's number in
    // the buffer for the songs to take.
    if (categories.TryFetch(categories.table().def().keyIndex("CAT:KeyCategory")) == 0) {
        album()["ALB:CategoryID"] = c["CAT:CategoryID"].toInt();
        song()["SNG:CategoryID"] = c["CAT:CategoryID"].toInt();
        return;
    }
    c["CAT:Category"] = genre;
    if (!blank(genre) && categories.Insert() == fw::Benign)
        album()["ALB:CategoryID"] = c["CAT:CategoryID"].toInt();
}

bool contains(std::string_view s, std::string_view part)
{
    return s.find(part) != std::string_view::npos;
}

// Compilations name their artist in several ways; a few are rewritten.
bool takeCompilation()
{
    tables::Record& a = album();
    const std::string artist = text::upper(text(a, "ALB:Artist"));
    bool compilation = false;
    if (artist == "ERG" || contains(artist, "PROMO ONLY")) {
        a["ALB:Artist"] = "Various";
        compilation = true;
    }
    const std::string title = text::upper(text(a, "ALB:Album"));
    return compilation || contains(artist, "VARIOUS") || title == "VARIOUS" || title == "VARIOUS ARTISTS";
}

void matchArtist(tables::Record& r, const char* field)
{
    std::string name = r[std::string_view(field)].toString();
    MatchArtistName(name);
    r[std::string_view(field)] = name;
}

// The disc's notes, with the answer's "\n" as line breaks.
std::string discNotes(const rt::IniFile& answer)
{
    std::string notes = answer.get("DISC", "Notes");
    if (notes.empty())
        notes = answer.get("DISC", "Label");
    for (std::size_t at = notes.find("\\n"); at != std::string::npos; at = notes.find("\\n", at + 2))
        notes.replace(at, 2, "\r\n");
    return notes;
}

// A compilation's track text names its artist after a separator.
struct TrackText {
    std::string title, artist;
    bool split = false;
};
TrackText splitTrackText(const std::string& text, bool compilation)
{
    TrackText t{text, {}, false};
    if (!compilation && !contains(text, " / "))
        return t;
    static const std::vector<std::string_view> kAlways{" / "};
    static const std::vector<std::string_view> kCompilations{" / ", " - ", "/", "-"};
    // The title starts after a "=" the text holds.
    const std::size_t equals = text.find('=');
    const std::size_t from = equals == std::string::npos ? 0 : equals + 1;
    for (std::string_view sep : compilation ? kCompilations : kAlways)
        if (const std::size_t at = text.find(sep); at != std::string::npos) {
            const std::string_view whole(text);
            t.title = from < at ? std::string(text::trimLeft(whole.substr(from, at - from))) : std::string();
            t.artist = std::string(text::trimLeft(whole.substr(at + sep.size())));
            t.split = true;
            break;
        }
    return t;
}

// The songs of one lookup are written in one transaction, together and
// quickly; it ends however the lookup ends (a thread unwound halfway takes
// nothing with it).
class SongBatch
{
public:
    explicit SongBatch(tables::Table& songs)
        : songs_(songs)
        , framed_(songs.group().begin(2) == 0)
    { }
    ~SongBatch()
    {
        if (framed_)
            songs_.group().rollback();
    }
    SongBatch(const SongBatch&) = delete;
    SongBatch& operator=(const SongBatch&) = delete;
    // False, with the reason, when the batch was undone.
    bool commit(std::string& why)
    {
        if (!framed_)
            return true;
        framed_ = false;
        if (songs_.group().commit() == 0)
            return true;
        why = tables::lastError().text;
        songs_.group().rollback();
        return false;
    }

private:
    tables::Table& songs_;
    bool framed_;
};

// The sum of time values counts each song's duration and the +1 once.
class TimeSum
{
public:
    void add(std::int64_t time)
    {
        if (time > 0) {
            sum_ += time - 1;
            any_ = true;
        }
    }
    std::int32_t value() const { return any_ ? static_cast<std::int32_t>(sum_ + 1) : 0; }

private:
    std::int64_t sum_ = 0;
    bool any_ = false;
};

std::string trackMessage(const std::string& why, std::int64_t track)
{
    return "Error updating song database (" + why + ") for track #" + std::to_string(track) + ".";
}

} // namespace

TrackDecision FindTrackSong(int track)
{
    tables::Table& songs = dictionary::QuorvelAccess->table();
    tables::Record& s = songs.record();
    const std::int64_t albumId = album()["ALB:AlbumID"].toInt();
    const int side = effectiveSide();
    auto place = [&] {
        s.clear();
        s["SNG:AlbumID"] = albumId;
        s["SNG:Side"] = side;
        s["SNG:TrackNumber"] = track;
    };
    // The song is filed under the lookup's category, whether it is new or
    // was on file.
    auto categorise = [&] {
        tables::Record& c = dictionary::CategoriesAccess->record();
        s["SNG:CategoryID"] = c["CAT:CategoryID"].toInt();
        s["SNG:Category"] = c["CAT:Category"].toString();
    };
    place();
    if (songs.setAt(songs.def().keyIndex("SNG:KeyAlbumID")) == 0 && songs.next() == 0
        && s["SNG:AlbumID"].toInt() == albumId && s["SNG:Side"].toInt() == side
        && s["SNG:TrackNumber"].toInt() == track) {
        categorise();
        return TrackDecision::Update;
    }
    // Nothing of the row read may stay; its number comes with the insert.
    place();
    categorise();
    return TrackDecision::Add;
}

LookupResult ReadLookupResult()
{
    const auto file = collectionFile(kResultFile);
    if (!file) {
        rt::message("No information retrieved.", "Error");
        return {};
    }
    const OpenTables open;
    if (!open.ok())
        return {};
    const rt::IniFile answer(*file);
    tables::Record& a = album();
    setNotes(a, "ALB:Notes", "");
    setNotes(song(), "SNG:Notes", "");
    takeGenre(answer);
    const int tracks = static_cast<int>(std::min<long long>(answer.getInt("DISC", "Tracks", kMostTracks), kMostTracks));
    a["ALB:Album"] = answer.get("DISC", "Title", text(a, "ALB:Album"));
    a["ALB:Artist"] = answer.get("DISC", "Artist", text(a, "ALB:Artist"));
    // An answer without its disc's TOC leaves the disc id the reading gave.
    a["ALB:XCCD"] = answer.get("DISC", "TOC", text(a, "ALB:XCCD"));
    // An album's own file number stays.
    if (blank(a["ALB:FileNumber"].toString())) {
        NextAlbumFileNumber();
        if (blank(a["ALB:FileNumber"].toString()))
            a["ALB:FileNumber"]
                = answer.get("DISC", "Label") + std::to_string(dictionary::AlbumAccess->table().records());
    }
    a["ALB:ReleaseDate"] = static_cast<std::int64_t>(answer.getInt("DISC", "Year", a["ALB:ReleaseDate"].toInt()));
    a["ALB:Media"] = "CD";
    const bool compilation = takeCompilation();
    CaseAlbumFields();
    matchArtist(a, "ALB:Artist");
    setNotes(a, "ALB:Notes", discNotes(answer));

    fw::TableAccess& access = *dictionary::QuorvelAccess;
    tables::Table& songs = access.table();
    tables::Record& s = songs.record();
    const fw::TableAccess::State kept = access.SaveTableState();
    TimeSum times;
    std::vector<std::string> failures; // told once the batch has ended
    SongBatch batch(songs);
    for (int i = 1; i <= tracks; ++i) {
        const TrackDecision decision = FindTrackSong(i);
        const std::string trackKey = "Track" + std::to_string(i);
        const std::string trackText = answer.get("TRACKS", trackKey, trackKey);
        s["SNG:Title"] = trackText;
        s["SNG:Artist"] = text(a, "ALB:Artist");
        if (const std::string artist = answer.get("TRACKS", "TrackArtist" + std::to_string(i)); !blank(artist)) {
            s["SNG:Artist"] = artist;
        } else if (const TrackText t = splitTrackText(trackText, compilation); t.split) {
            s["SNG:Artist"] = t.artist;
            s["SNG:Title"] = t.title;
        }
        CaseAlbumFields();
        matchArtist(s, "SNG:Artist");
        if ((decision == TrackDecision::Add ? songs.insert() : songs.update()) != 0)
            failures.push_back(trackMessage(tables::lastError().text, s["SNG:TrackNumber"].toInt()));
        times.add(s["SNG:Time"].toInt());
    }
    if (std::string why; !batch.commit(why))
        failures.assign(1, "Error updating song database (" + why + ").");
    access.RestoreTableState(kept);
    for (const std::string& f : failures)
        rt::message(f, "Error");
    return {true, times.value()};
}

void LookupCDDB()
{
    removeCollectionFile("CDDB_LOG.TXT");
    removeCollectionFile(kResultFile);
    if (const auto offline = collectionFile(kOfflineFile)) {
        std::error_code ec;
        std::filesystem::rename(*offline, std::filesystem::path(*offline).parent_path() / kResultFile, ec);
    } else {
        // Other windows may move the shared buffer while the tool runs; the
        // answer belongs to this album.
        const tables::Record kept = album();
        RunProgramAndWaitForeground(trakhandProgram(), trakhandArguments("/D"));
        album() = kept;
    }
    const LookupResult result = ReadLookupResult();
    if (result.read && album()["ALB:TotalTime"].toInt() == 0)
        album()["ALB:TotalTime"] = static_cast<std::int64_t>(result.songTime);
}

void StartDiscLookup()
{
    const Settings& s = settings();
    if (text::trim(s.MCIMode) != "Open" && !blank(s.CDDrive)) {
        if (!readDisc(0))
            return;
        album()["ALB:XCCD"] = discIdOfTrackQueue();
    }
    LookupCDDB();
}

void registerDiscLookup()
{
    rt::Procedures::add("StartDiscLookup", [] { StartDiscLookup(); });
    rt::Procedures::add("LookupCDDB", [] { LookupCDDB(); });
}

} // namespace qv::qvls
