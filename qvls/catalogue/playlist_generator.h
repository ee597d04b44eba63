#pragma once
// Random playlists: the songs that pass the user's limits form a pool, and
// draws from it become the entries of a new playlist until its length or
// its number of songs is reached. The draws come from a seeded source, so a
// seed gives the same playlist again.

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qv::qvls {

struct PlaylistCriteria {
    std::int32_t maximumTime = 0; // a time value; 0: no limit
    std::int32_t maximumSongs = 0; // 0: no limit
    std::string weighting = "No Weighting";
    bool selectByDate = false;
    std::int32_t startingReleaseDate = 0, endingReleaseDate = 0; // day numbers or years; 0: open
    bool selectByBpm = false;
    std::int32_t targetBpm = 0;
    bool selectByCategory = false;
    std::string selectedCategory;
};

// Nothing asked for at all: an hour, or 20 songs.
void applyDefaultLimits(PlaylistCriteria& criteria);

// The expression a song must pass to join the pool: longer than a minute,
// shorter than half the maximum time (when there is one), and within the
// chosen dates, beats per minute and category.
std::string songFilter(const PlaylistCriteria& criteria);

struct PooledSong {
    std::int32_t releaseDate = 0;
    std::int32_t time = 0;
    std::int32_t id = 0;
};

// A progress bar's value held inside its range, shown as a percentage.
class ProgressRange
{
public:
    void setRange(std::int64_t low, std::int64_t high);
    void setValue(std::int64_t value);
    std::int64_t value() const { return value_; }
    int percent() const;

private:
    std::int64_t low_ = 0, high_ = 100, value_ = 0;
};

// The draws of one playlist; the caller writes each accepted song.
class PlaylistDraw
{
public:
    enum class Weighting { None, RecentAddition, RecentRelease, OlderAddition, OlderRelease };
    static std::optional<Weighting> weightingNamed(const std::string& text);

    // The pool is in ascending song id, so its end holds the songs added last.
    PlaylistDraw(const PlaylistCriteria& criteria, Weighting weighting, std::vector<PooledSong> pool,
        std::uint32_t seed, std::int32_t today);

    // The next song to add, or nothing once a limit is reached.
    std::optional<PooledSong> next();
    // A song added: the count and the length the limits test.
    void accept(const PooledSong& song);

    int songsAdded() const { return songsAdded_; }
    // A time value: the durations added up, plus 1 once; 0 while empty.
    std::int32_t length() const;
    std::int64_t lengthDuration() const { return duration_; }

    static constexpr int kMaximumDraws = 100000;

private:
    int uniform(int low, int high);
    bool reachedLimit() const;
    bool rejectedForRelease(const PooledSong& song);

    PlaylistCriteria criteria_;
    Weighting weighting_;
    std::vector<PooledSong> pool_;
    std::mt19937 random_;
    std::int32_t today_;
    int songsAdded_ = 0;
    std::int64_t duration_ = 0; // hundredths of a second
    int draws_ = 0;
};

// Makes "GeneratePlaylist" startable by name.
void registerPlaylistGenerator();
// The seed of every generation from now on (tests); nothing: a fresh one each time.
void setPlaylistGeneratorSeed(std::optional<std::uint32_t> seed);

} // namespace qv::qvls
