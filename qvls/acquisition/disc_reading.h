#pragma once
// The CD reading the lookup and the wizards start: the disc in the CDDrive
// drive into the Album buffer and the thread's track queue.

#include <string>

namespace qv::qvls {

// True when the disc was read. mode as the reader takes it (0 the album's
// songs written too, 2 the disc identified without a word about a missing
// one).
bool readDisc(int mode);

// The disc identifier of the track queue the last reading left on this
// thread; the disc's length goes to ALB:TotalTime.
std::string discIdOfTrackQueue();

} // namespace qv::qvls
