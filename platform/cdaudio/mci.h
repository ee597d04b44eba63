#pragma once
// The MCI command channel of the cdaudio device: the command strings the
// programs send, answered in MCI's text forms with MCI's error numbers, over a
// real drive (libcdio) or a simulated one (a TOC file). Devices are shared
// by every thread of the process; a device is named by the drive token the
// settings keep ("D:").

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/cdaudio/toc.h"

namespace qv::cdaudio {

// MCI's error numbers as the programs see them (265: the alias is in use).
namespace mcierr {
inline constexpr int kInvalidDeviceId = 257;
inline constexpr int kUnrecognizedKeyword = 259;
inline constexpr int kUnrecognizedCommand = 261;
inline constexpr int kHardware = 262;
inline constexpr int kInvalidDeviceName = 263; // no such drive, or no device open under that name
inline constexpr int kDeviceOpen = 265;
inline constexpr int kMissingCommandString = 267;
inline constexpr int kMissingStringArgument = 269;
inline constexpr int kBadInteger = 270;
inline constexpr int kMissingParameter = 273;
inline constexpr int kUnsupportedFunction = 274;
inline constexpr int kDeviceNotReady = 276;
inline constexpr int kOutOfRange = 282;
inline constexpr int kMustUseShareable = 291;
inline constexpr int kMissingDeviceName = 292;
inline constexpr int kBadTimeFormat = 293;
inline constexpr int kNoClosingQuote = 294;
} // namespace mcierr

// Which device a drive token names: pinned in the settings (a device path,
// or a TOC file for a simulated drive), else the optical drives in the order
// libcdio lists them, the first being "D:". An override whose value names an
// existing regular file (relative to the current folder) is a simulated drive
// described by that TOC file (platform/cdaudio/simulated_drive.h).
// Process-wide; the program sets it once its settings are read.
using DriveOverride = std::pair<std::string, std::string>; // ("D:", "/dev/sr0" or "discs/abbey.toc")
void setDriveOverrides(std::vector<DriveOverride> overrides);
const std::vector<DriveOverride>& driveOverrides();

// The string interface: one command and its answer. Returns 0 or an MCI
// error number; answer holds the reply on success (an open replies its device
// number, most commands nothing). Keywords in any case, any blanks between
// words, "wait" and "notify" taken anywhere after the device name:
//   open <drive token>|cdaudio [type cdaudio] [shareable] [alias <a>]
//   close <a>|all
//   status <a> ready|mode|media present|time format|number of tracks|
//              current track|start position|length [track n]|
//              position [track n]|type track n
//   set <a> time format msf|tmsf|ms|milliseconds;  set <a> door open|closed
//   play <a> [from <time>] [to <time>];  pause, resume, stop <a>
// Times follow the device's format (msf after an open): msf "mm:ss:ff",
// tmsf "tt:mm:ss:ff" (lengths have no track and stay "mm:ss:ff"), ms a
// number. An alias in use answers 265 to a second open; two devices on one
// drive must both be shareable (else 291).
int mciSendString(std::string_view command, std::string& answer);
// MCI's text for an error number.
std::string mciErrorText(int error);

// The command interface as the lookup tool uses it: open a cdaudio device on
// a drive (waiting), close it, and read its table of contents. An open
// answers a device number above 0, or an error; such a device has no alias.
// mciReadToc(0) reads the first drive without opening a device; it answers
// nothing when there is no drive, no disc, or no such device.
struct MciOpenResult {
    int device = 0;
    int error = 0;
};
MciOpenResult mciOpenCdAudio(std::string_view element, bool shareable);
int mciClose(int device);
std::optional<DiscToc> mciReadToc(int device);

} // namespace qv::cdaudio
