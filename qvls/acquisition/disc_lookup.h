#pragma once
// Filling the album in the Album buffer, and its songs, from the online disc
// database: the disc-lookup tool looks the disc in the drive up and leaves
// its answer in "TRAKHAND.LOG" in the collection folder, which is read here.

#include <cstdint>

namespace qv::qvls {

// The lookup of the disc in the drive named by CDDrive: the tool's run (or a
// prepared "TRAKHAND.OFFLINE" in its place), then its answer.
void LookupCDDB();

// Reads "TRAKHAND.LOG" into the Album buffer and the album's songs. Answers
// the sum of the song times written (a time value), or nothing read when
// there is no answer (the user has been told).
struct LookupResult {
    bool read = false;
    std::int32_t songTime = 0;
};
LookupResult ReadLookupResult();

// Whether track `track` of the album's side is added or written back.
enum class TrackDecision { Add = 1, Update = 2 };
// Leaves the song buffer on that track's song (Update) or on a new song for
// it (Add).
TrackDecision FindTrackSong(int track);

// The album form's lookup: reads the disc first when the drive can be read
// on its own, then looks it up.
void StartDiscLookup();

// Makes StartDiscLookup and LookupCDDB callable by name.
void registerDiscLookup();

} // namespace qv::qvls
