#include "platform/cdaudio/drives.h"

#include "platform/runtime/ini.h"
#include "platform/text/case.h"

#include <cdio/cdio.h>
#include <cdio/device.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace qv::cdaudio {

namespace {

DeviceLister& lister()
{
    static DeviceLister l;
    return l;
}

// "d:" and "D:" are one token; anything but a letter and a colon is none.
std::string normalToken(std::string_view t)
{
    const char letter = t.size() == 2 ? text::asciiUpper(t[0]) : '\0';
    if (letter < 'A' || letter > 'Z' || t[1] != ':')
        return {};
    return {letter, ':'};
}

// A TOC file stands for a simulated drive, present while the file is there.
bool isSimulated(const std::string& device)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(device, ec);
}

} // namespace

std::vector<std::string> OpticalDrives::systemDevices()
{
    std::vector<std::string> out;
    char** devices = cdio_get_devices(DRIVER_DEVICE);
    if (!devices)
        return out;
    for (char** d = devices; *d; ++d)
        out.emplace_back(*d);
    cdio_free_device_list(devices);
    return out;
}

void OpticalDrives::setLister(DeviceLister l)
{
    lister() = std::move(l);
}

std::vector<OpticalDrive> OpticalDrives::list(const std::vector<Override>& overrides)
{
    std::vector<std::string> devices = lister() ? lister()() : systemDevices();
    // A device listed twice (a symlink and its target both reported) is one drive.
    std::vector<std::string> unique;
    for (std::string& d : devices)
        if (!d.empty() && std::find(unique.begin(), unique.end(), d) == unique.end())
            unique.push_back(std::move(d));
    // Simulated drives exist only under the token that names them.
    std::set<std::string> simulated;
    for (const auto& [token, device] : overrides)
        if (isSimulated(device) && std::find(unique.begin(), unique.end(), device) == unique.end()) {
            unique.push_back(device);
            simulated.insert(device);
        }

    std::vector<OpticalDrive> drives(unique.size());
    std::set<std::string> usedTokens;
    std::vector<bool> pinned(unique.size(), false);
    for (const auto& [token, device] : overrides) {
        const std::string t = normalToken(token);
        const auto it = std::find(unique.begin(), unique.end(), device);
        if (t.empty() || it == unique.end() || usedTokens.count(t))
            continue;
        const auto i = static_cast<std::size_t>(it - unique.begin());
        if (pinned[i])
            continue;
        drives[i] = {t, device};
        pinned[i] = true;
        usedTokens.insert(t);
    }
    char letter = 'D';
    for (std::size_t i = 0; i < unique.size(); ++i) {
        if (pinned[i] || simulated.count(unique[i]))
            continue;
        while (letter <= 'Z' && usedTokens.count(std::string{letter, ':'}))
            ++letter;
        if (letter > 'Z')
            break; // more drives than letters: the rest have no token
        drives[i] = {std::string{letter, ':'}, unique[i]};
        usedTokens.insert(drives[i].token);
        ++letter;
    }
    std::erase_if(drives, [](const OpticalDrive& d) { return d.token.empty(); });
    std::sort(
        drives.begin(), drives.end(), [](const OpticalDrive& a, const OpticalDrive& b) { return a.token < b.token; });
    return drives;
}

std::string OpticalDrives::deviceFor(std::string_view token, const std::vector<Override>& overrides)
{
    const std::string t = normalToken(token);
    if (t.empty())
        return {};
    for (const OpticalDrive& d : list(overrides))
        if (d.token == t)
            return d.device;
    return {};
}

std::vector<OpticalDrives::Override> driveOverridesIn(const rt::IniFile& settings)
{
    std::vector<OpticalDrives::Override> pins;
    for (rt::IniEntry& e : settings.entries(kDriveSection))
        if (!e.value.empty())
            pins.emplace_back(std::move(e.key), std::move(e.value));
    return pins;
}

} // namespace qv::cdaudio
