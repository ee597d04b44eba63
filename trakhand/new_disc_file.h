#pragma once
// The new-disc file "TRAKHAND.NEW" the catalogue leaves for a submission:
// KEY=value lines (ARTIST, ALBUM, YEAR, TRACKS, TRACKn, TRACKARTISTn) that
// fill in the disc the control made from the TOC.

#include <istream>

#include "platform/outside/cddb/control.h"

namespace qv::trakhand {

inline constexpr const char* kNewDiscFile = "TRAKHAND.NEW";

// Applies the file's lines in order. Keys match exactly; a line without a
// value is skipped; the value is everything after the first "=". Track keys
// count up to the TRACKS value read so far (99 until then). A track past
// the disc's own tracks throws, as the disc does.
void readNewDiscFile(std::istream& file, cddb::Disc& disc);

} // namespace qv::trakhand
