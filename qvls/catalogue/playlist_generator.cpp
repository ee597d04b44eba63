#include "qvls/catalogue/playlist_generator.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/expr/datetime.h"
#include "platform/expr/expression.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::qvls {

namespace {
constexpr std::string_view kEverySong = "SNG:ID>0";
constexpr std::int32_t kOneMinute = 6000;
constexpr std::int32_t kReleaseYearBelow = 3000; // smaller release dates are years
constexpr std::int32_t kDefaultTime = 360000;
constexpr std::int32_t kDefaultSongs = 20;

std::string dateFilter(const PlaylistCriteria& c)
{
    if (!c.selectByDate || (c.startingReleaseDate == 0 && c.endingReleaseDate == 0))
        return std::string(kEverySong);
    const std::string s = std::to_string(c.startingReleaseDate);
    const std::string e = std::to_string(c.endingReleaseDate);
    if (c.startingReleaseDate != 0 && c.endingReleaseDate != 0)
        return "(YEAR(SNG:ReleaseDate)>=" + s + " AND YEAR(SNG:ReleaseDate)<=" + e + ") OR (SNG:ReleaseDate>=" + s
            + " AND SNG:ReleaseDate<=" + e + ")";
    if (c.startingReleaseDate != 0)
        return "(YEAR(SNG:ReleaseDate)>=" + s + " AND YEAR(SNG:ReleaseDate)<=YEAR(TODAY())) OR (SNG:ReleaseDate>=" + s
            + " AND SNG:ReleaseDate<=TODAY())";
    return "(YEAR(SNG:ReleaseDate)>=1 AND YEAR(SNG:ReleaseDate)<=" + e
        + ") OR (SNG:ReleaseDate>=DATE(1,1,1900) AND SNG:ReleaseDate<=" + e + ")";
}

std::string categoryFilter(const PlaylistCriteria& c)
{
    const std::string category(text::trimRight(c.selectedCategory));
    if (!c.selectByCategory || category.empty())
        return std::string(kEverySong);
    // A quoted literal: a category such as "Rock 'n' Roll" stays one text.
    return "INSTRING(" + expr::quoteString(text::upper(category)) + ",UPPER(SNG:Category),1)>0";
}

std::string bpmFilter(const PlaylistCriteria& c)
{
    if (!c.selectByBpm)
        return std::string(kEverySong);
    const auto low = static_cast<std::int64_t>(c.targetBpm * 0.9);
    const auto high = static_cast<std::int64_t>(c.targetBpm * 1.1);
    return "INRANGE(SNG:BeatsPerMinute," + std::to_string(low) + "," + std::to_string(high) + ")";
}
} // namespace

void applyDefaultLimits(PlaylistCriteria& criteria)
{
    if (criteria.maximumTime == 0 && criteria.maximumSongs == 0) {
        criteria.maximumTime = kDefaultTime;
        criteria.maximumSongs = kDefaultSongs;
    }
}

std::string songFilter(const PlaylistCriteria& criteria)
{
    std::string filter = "SNG:Time>" + std::to_string(kOneMinute);
    // Without a maximum time no song is too long to fit.
    if (criteria.maximumTime != 0)
        filter += " AND SNG:Time<" + std::to_string(criteria.maximumTime / 2);
    return filter + " AND (" + dateFilter(criteria) + ") AND (" + categoryFilter(criteria) + ") AND ("
        + bpmFilter(criteria) + ")";
}

// ------------------------------------------------------------ progress

void ProgressRange::setRange(std::int64_t low, std::int64_t high)
{
    low_ = low;
    high_ = std::max(low, high);
    setValue(value_);
}

void ProgressRange::setValue(std::int64_t value)
{
    value_ = std::clamp(value, low_, high_);
}

int ProgressRange::percent() const
{
    if (high_ == low_)
        return value_ > low_ ? 100 : 0;
    return static_cast<int>((value_ - low_) * 100 / (high_ - low_));
}

// ------------------------------------------------------------ draws

std::optional<PlaylistDraw::Weighting> PlaylistDraw::weightingNamed(const std::string& text)
{
    static constexpr std::array<std::pair<std::string_view, Weighting>, 5> kNames{{
        {"No Weighting", Weighting::None},
        {"Recent Addition", Weighting::RecentAddition},
        {"Recent Release", Weighting::RecentRelease},
        {"Older Addition", Weighting::OlderAddition},
        {"Older Release", Weighting::OlderRelease},
    }};
    const std::string_view name = text::trimRight(text);
    for (const auto& [n, w] : kNames)
        if (n == name)
            return w;
    return std::nullopt;
}

PlaylistDraw::PlaylistDraw(const PlaylistCriteria& criteria, Weighting weighting, std::vector<PooledSong> pool,
    std::uint32_t seed, std::int32_t today)
    : criteria_(criteria)
    , weighting_(weighting)
    , pool_(std::move(pool))
    , random_(seed)
    , today_(today)
{ }

int PlaylistDraw::uniform(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random_);
}

bool PlaylistDraw::reachedLimit() const
{
    if (criteria_.maximumSongs != 0 && songsAdded_ >= criteria_.maximumSongs)
        return true;
    if (criteria_.maximumTime != 0 && length() > criteria_.maximumTime)
        return true;
    return draws_ > kMaximumDraws || pool_.empty();
}

bool PlaylistDraw::rejectedForRelease(const PooledSong& song)
{
    const bool recent = weighting_ == Weighting::RecentRelease;
    if ((!recent && weighting_ != Weighting::OlderRelease) || song.releaseDate == 0 || uniform(1, 3) == 1)
        return false;
    // A year is compared with the year half a year back, a day with the day three months back.
    const bool isYear = song.releaseDate < kReleaseYearBelow;
    const std::int32_t since = isYear ? expr::ymdFromDate(today_ - 180).year : today_ - 90;
    const bool older = song.releaseDate < since;
    return recent ? older : !older;
}

std::optional<PooledSong> PlaylistDraw::next()
{
    while (!reachedLimit()) {
        ++draws_;
        const int n = static_cast<int>(pool_.size());
        int pick = uniform(1, n);
        // The bounds stay inside the pool however small it is.
        if (weighting_ == Weighting::RecentAddition && uniform(1, 3) != 1)
            pick = uniform(std::max(1, 3 * n / 4), n);
        else if (weighting_ == Weighting::OlderAddition && uniform(1, 3) != 1)
            pick = uniform(1, std::max(1, n / 2));
        const PooledSong& song = pool_[static_cast<std::size_t>(pick - 1)];
        if (!rejectedForRelease(song))
            return song;
    }
    return std::nullopt;
}

void PlaylistDraw::accept(const PooledSong& song)
{
    ++songsAdded_;
    if (song.time > 0)
        duration_ += song.time - 1;
}

std::int32_t PlaylistDraw::length() const
{
    if (duration_ == 0)
        return 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(duration_ + 1, INT32_MAX));
}

} // namespace qv::qvls
