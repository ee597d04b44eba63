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
inline constexpr int kDeviceOpen = 265;
} // namespace mcierr

// Which device a drive token names: pinned in the settings (a device path,
// or a TOC file for a simulated drive), else the optical drives in the order
// libcdio lists them, the first being "D:". Process-wide; the program sets it
// once its settings are read.
using DriveOverride = std::pair<std::string, std::string>; // ("D:", "/dev/sr0" or "discs/abbey.toc")
void setDriveOverrides(std::vector<DriveOverride> overrides);
const std::vector<DriveOverride>& driveOverrides();

// The string interface: one command ("open d: type cdaudio shareable alias
// xxx", "status xxx number of tracks", ...) and its answer. Returns 0 or an
// MCI error number; answer holds the reply text on success.
int mciSendString(std::string_view command, std::string& answer);
// MCI's text for an error number.
std::string mciErrorText(int error);

// The command interface as the lookup tool uses it: open a cdaudio device on
// a drive (waiting), close it, and read its table of contents. Device 0 is
// the first drive. An open answers a device number above 0, or an error.
struct MciOpenResult {
    int device = 0;
    int error = 0;
};
MciOpenResult mciOpenCdAudio(std::string_view element, bool shareable);
int mciClose(int device);
std::optional<DiscToc> mciReadToc(int device);

} // namespace qv::cdaudio
