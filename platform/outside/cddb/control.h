#pragma once
// The disc-database control the lookup tool hosts: it reads a disc's table
// of contents, looks it up in the online disc database, owns the service's
// dialogs and submits discs. Objects come back as shared references; a
// failing operation throws ComError. The real control speaks the CDDB
// protocol over HTTP (service_control.h); tests put a fake in its place.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace qv::cddb {

// Result codes of the control's failures. Cancelled is logged, never shown.
namespace hr {
inline constexpr std::uint32_t kFail = 0x80004005; // unspecified
inline constexpr std::uint32_t kInvalidArgument = 0x80070057;
inline constexpr std::uint32_t kOutOfMemory = 0x8007000E;
inline constexpr std::uint32_t kNetwork = 0x82FA0010; // server not reached, time-out
inline constexpr std::uint32_t kServer = 0x82FA0011; // the server refused (4xx, 5xx)
inline constexpr std::uint32_t kBadAnswer = 0x82FA0012; // malformed, truncated, huge or not UTF-8
inline constexpr std::uint32_t kNoDisc = 0x82FA0013; // no audio CD, no drive
inline constexpr std::uint32_t kCancelled = 0x82FA0029; // the user cancelled
} // namespace hr

// A failing result: its code and, when the control has one, its description.
class ComError : public std::runtime_error
{
public:
    ComError(std::uint32_t code, std::string description)
        : std::runtime_error(description)
        , code_(code)
        , description_(std::move(description))
    { }
    std::uint32_t code() const { return code_; }
    const std::string& description() const { return description_; }

private:
    std::uint32_t code_;
    std::string description_;
};

struct Track {
    std::string title;
    std::string artist; // empty unless the disc has per-track artists
    std::string extended; // EXTTn
};

struct Disc {
    std::string title, artist, year, label, notes; // notes: EXTD
    std::string genreId; // DGENRE, else the category; empty: none
    std::string toc; // the TOC text (cdaudio::cddbTocText)
    // The two service identifiers, both set only for a disc the database
    // knows: its category and its disc id.
    std::string category, discId;
    int revision = -1; // -1: never submitted
    bool markPerTrackArtists = false; // MarkPerTrackArtists
    std::string playOrder;
    std::vector<Track> tracks; // track n is tracks[n - 1]

    int trackCount() const { return static_cast<int>(tracks.size()); }
    // Track n from 1; throws ComError past the end.
    Track& track(int n);
};
using DiscRef = std::shared_ptr<Disc>;

struct MatchList {
    std::vector<DiscRef> discs; // partial records: category, disc id, artist, title
};
using MatchListRef = std::shared_ptr<MatchList>;

// What TakeLookupResult hands over: the disc of an exact match or the list
// of several.
using LookupResult = std::variant<std::monostate, DiscRef, MatchListRef>;

inline constexpr int kNoMatch = 1, kSeveralMatches = 2, kExactMatch = 3;

// Flag word of the disc dialogs and the options dialog.
inline constexpr std::uint32_t kFlagChanged = 0x100;
inline constexpr std::uint32_t kFlagSubmit = 0x400;
inline constexpr bool asksSubmission(std::uint32_t flags)
{
    return (flags & (kFlagChanged | kFlagSubmit)) == (kFlagChanged | kFlagSubmit);
}

struct ServiceUser {
    std::string name, email;
};
using ServiceUserRef = std::shared_ptr<ServiceUser>;

struct Options {
    std::string dataFolder;
    std::string proxyHost;
    int proxyPort = 0;
    std::string proxyUser, proxyPassword;
    int valueA = 0, valueB = 0, valueC = 0;
    // The control's own: where and how it talks to the disc database.
    std::string serverUrl; // "http://gnudb.gnudb.org/~cddb/cddb.cgi"
    std::string submitUrl; // "http://gnudb.gnudb.org/~cddb/submit.cgi"
    std::string email; // hello string and submissions
    bool testSubmissions = true; // Submit-Mode: test
    int connectTimeoutSeconds = 10, transferTimeoutSeconds = 30;

    bool operator==(const Options&) const = default;
};
using OptionsRef = std::shared_ptr<Options>;

struct GenreList {
    // The shown name of a genre identifier ("newage" is "New Age"); a free
    // genre text names itself.
    std::string name(const std::string& genreId) const;
};
using GenreListRef = std::shared_ptr<GenreList>;

struct Link {
    std::string address, type, description;
};
struct LinkList {
    std::vector<Link> links;
};
using LinkListRef = std::shared_ptr<LinkList>;

struct Region {
    std::string id, name, description;
};
struct RegionList {
    std::vector<Region> regions;
};
using RegionListRef = std::shared_ptr<RegionList>;

// The control's events, called on the caller's thread while an operation runs.
class ControlEvents
{
public:
    virtual ~ControlEvents() = default;
    virtual void CommandCompleted(int command, std::uint32_t result, int third) = 0;
    virtual void LogMessage(const std::string& text) = 0;
    virtual void ServerMessage(int number, int second, const std::string& text) = 0;
    virtual void CommandProgress(int command, int progress, int step, int steps) = 0;
};

// Command numbers of the events.
namespace cmd {
inline constexpr int kLookupMediaByToc = 10;
inline constexpr int kSubmitDisc = 18;
inline constexpr int kObtainRegionList = 23;
} // namespace cmd

class Control
{
public:
    virtual ~Control() = default;

    // Events go to one sink at a time; the cookie disconnects it.
    virtual int connect(ControlEvents* sink) = 0;
    virtual void disconnect(int cookie) = 0;

    virtual ServiceUserRef QueryServiceUser(int flag) = 0;
    virtual void IdentifyClient(const std::string& clientId, const std::string& clientTag, const std::string& version,
        const std::string& registration)
        = 0;
    virtual OptionsRef FetchOptions() = 0;
    virtual void ApplyOptions(const Options& options) = 0;
    virtual std::string ReadTocFromDevice(int device) = 0;
    virtual int LookupMediaByToc(const std::string& toc, int flags) = 0;
    virtual LookupResult TakeLookupResult() = 0;
    virtual void ReleaseService() = 0;
    virtual DiscRef PickMatchedDisc(const MatchList& matches) = 0;
    virtual DiscRef CompleteDiscRecord(const Disc& disc, int flags) = 0;
    virtual std::uint32_t ShowDiscDialog(Disc& disc, int mode) = 0;
    virtual DiscRef MakeNewDisc(const std::string& toc, const std::string& a, const std::string& b) = 0;
    virtual void SubmitDisc(const Disc& disc, int flags) = 0;
    virtual std::uint32_t EditAndSubmitToc(const std::string& toc, int device) = 0;
    virtual GenreListRef ObtainGenreList(int flags) = 0;
    virtual RegionListRef ObtainRegionList(int flags) = 0;
    virtual LinkListRef ObtainDiscLinks(const Disc& disc, int flags) = 0;
    virtual void ShowAboutBox() = 0;
    virtual void SwitchMOperation(int value) = 0;
    virtual std::uint32_t ShowOptionsDialog(Options& options) = 0;
    virtual void SwitchBOperation(Disc& disc, int a, int b) = 0;
};

} // namespace qv::cddb
