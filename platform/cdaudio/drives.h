#pragma once
// The optical drives of this computer under the two-character tokens the
// program keeps for them ("D:", "E:", ...). Tokens follow the device order
// libcdio reports, the first drive being "D:"; the settings may pin a token
// to a device, and the drives left over take the free letters in order.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::rt {
class IniFile;
}

namespace qv::cdaudio {

struct OpticalDrive {
    std::string token; // "D:"
    std::string device; // "/dev/sr0"
};

// Device paths in the order the system lists them.
using DeviceLister = std::function<std::vector<std::string>()>;

class OpticalDrives
{
public:
    // A token pinned to a device path: ("E:", "/dev/sr0").
    using Override = std::pair<std::string, std::string>;

    // The drives found now. An override naming a device that is not present
    // is ignored, and so is one whose token is not a letter and a colon. An
    // override naming an existing regular file is a simulated drive (a TOC
    // file, relative to the current folder), present under that token only.
    static std::vector<OpticalDrive> list(const std::vector<Override>& overrides = {});
    // The device behind a token ("d:" works too); empty when there is none.
    static std::string deviceFor(std::string_view token, const std::vector<Override>& overrides = {});

    // Tests hand in their own device list; an empty function restores libcdio.
    static void setLister(DeviceLister lister);
    // What libcdio lists as CD drives (cdio_get_devices with DRIVER_DEVICE).
    static std::vector<std::string> systemDevices();
};

// The settings file's section whose keys ("D:", "E:", ...) pin a token to a
// device path or to the TOC file of a simulated drive.
inline constexpr std::string_view kDriveSection = "CD Drives";
// That section's pins; a key without a device pins nothing.
std::vector<OpticalDrives::Override> driveOverridesIn(const rt::IniFile& settings);

} // namespace qv::cdaudio
