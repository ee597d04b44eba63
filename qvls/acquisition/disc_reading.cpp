#include "qvls/acquisition/disc_reading.h"

#include <cstdint>
#include <vector>

#include "platform/framework/handover.h"
#include "qvls/core/disc_arithmetic.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

bool readDisc(int mode)
{
    // By name, as every window starts it: the mode goes in the request, and
    // the reader leaves response 1 when it read the disc.
    fw::handover().request = mode;
    fw::handover().response = fw::response::None;
    if (!frameServices().callProcedure("ReadCDInformation")) {
        reportNotAvailable("Reading the CD");
        return false;
    }
    return fw::handover().response == fw::response::Completed;
}

std::string discIdOfTrackQueue()
{
    std::vector<TrackPosition> tracks;
    for (const CDTrackEntry& t : threadGlo().cdTracks)
        tracks.push_back({t.trackPosition, t.trackLength});
    tables::Record& album = dictionary::AlbumAccess->record();
    std::int32_t length = static_cast<std::int32_t>(album["ALB:TotalTime"].toInt());
    const std::string id = ComputeDiscId(tracks, length);
    album["ALB:TotalTime"] = static_cast<std::int64_t>(length);
    return id;
}

} // namespace qv::qvls
