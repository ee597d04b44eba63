#pragma once
// One CD drive as the MCI channel drives it: its state, its table of
// contents, audio play. Errors are MCI's numbers (0 for none), so the
// channel passes a drive's answer on unchanged. A drive is shared by every
// device opened on it, so play started through one alias shows in another.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cdaudio/toc.h"

namespace qv::cdaudio {

enum class DriveMode { Open, NotReady, Stopped, Playing, Paused, Seeking };

class Drive
{
public:
    virtual ~Drive() = default;

    // Every command addressed to the drive comes here first, split into its
    // words; a drive may refuse it with an error (the simulated drive's
    // injected failures). text is the command as sent.
    virtual int receive(const std::vector<std::string>& words, const std::string& text) = 0;

    // Open when the tray is open or no disc is in it, as MCI reports both.
    virtual DriveMode mode() = 0;
    // The disc's table of contents; kDeviceNotReady without a readable disc.
    virtual int readToc(DiscToc& toc) = 0;
    // The frame the head is at (absolute, lead-in counted).
    virtual int position(std::int32_t& frame) = 0;
    // Plays the frames [from, to).
    virtual int play(std::int32_t from, std::int32_t to) = 0;
    virtual int pause() = 0;
    virtual int stop() = 0;
    virtual int setDoor(bool open) = 0;
};

} // namespace qv::cdaudio
