#pragma once
// Reading the audio CD in the drive of the CDDrive setting: its serial
// number, disc identifier, length and lookup request into the album buffer
// and ".\TRAKHAND.INI", the table of contents into the thread's track queue
// (CDDB:TRACKPOSITION, CDDB:TRACKLENGTH), and in the full reading one song
// row per track for the album in the buffer or one scratch row per track for
// an add wizard.

#include <string>
#include <string_view>

namespace qv::qvls {

namespace cd_read {
// Modes: everything; identify the disc only; identify it and say nothing
// when the drive cannot be read.
constexpr int Full = 0, Identify = 1, IdentifyQuietly = 2;
} // namespace cd_read

// What a calling add wizard shows: the artist its scratch rows take (blank:
// "Various") and its instance (0: ThreadInstance).
struct WizardTracks {
    std::string artist;
    int instance = 0;
};

// True when the disc was read. Failures are told in message boxes (except in
// IdentifyQuietly) and leave the album buffer as it was. The album in the
// buffer when the reading starts is the one it reads for, whatever other
// windows do with the buffer meanwhile, and it is in the buffer again when
// the reading returns. With scratchRows the rows go to AddWizard under
// ThreadInstance with the artist "Various"; a wizard passes its own below.
bool ReadCDInformation(int mode, bool scratchRows);
bool ReadCDInformation(int mode, const WizardTracks& wizard);

// The lookup request stored in ALB:CDDBSTRING and ".\TRAKHAND.INI" when the
// whole request would not fit in 255 characters.
inline constexpr std::string_view kCddbRequestTooLong = "Error.  CDDB command line must be rebuilt from details.";

// Registers "ReadCDInformation" by name: the mode travels in the hand-over's
// request (0 full, 1 identify, 2 identify quietly; anything else full), and
// its response is Completed when the disc was read, else Cancelled.
void registerCdReader();

} // namespace qv::qvls
