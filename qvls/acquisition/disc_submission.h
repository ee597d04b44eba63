#pragma once
// Sending an album of the collection to the online disc database as a new
// disc: its values go to ".\TRAKHAND.NEW" in the collection folder, in the
// form the disc-lookup tool reads, and the tool submits them.

#include "platform/runtime/ini.h"

namespace qv::qvls {

// Writes the new-disc file from the album in the Album buffer and its songs,
// then runs the tool with "/S" and waits for it.
void SubmitAlbum();

// The "TRACK" and "TRACKARTIST" keys of the album's songs.
void WriteNewDiscTracks(rt::IniFile& newDisc);

// The wizard that chooses the album and submits it.
void CDDBSubmissionWizard();

// Makes CDDBSubmissionWizard and SubmitAlbum startable by name.
void registerDiscSubmission();

} // namespace qv::qvls
