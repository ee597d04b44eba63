#pragma once
// The disc-lookup tool: one run performs one command of its command line
// against the disc-database control and ends with an exit code.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdaudio/mci.h"
#include "platform/outside/cddb/control.h"

namespace qv::trakhand {

// Whether the user asked to stop the running operation (the main dialog's
// Cancel); the control ends it with hr::kCancelled.
using CancelCheck = std::function<bool()>;
// Makes the control; nullptr when it cannot be reached.
using ControlFactory = std::function<std::unique_ptr<cddb::Control>(CancelCheck)>;

// The CD audio device of a drive, opened for the time the control reads it.
class AudioDevice
{
public:
    virtual ~AudioDevice() = default;
    virtual cdaudio::MciOpenResult open(const std::string& drive) = 0;
    virtual void close(int device) = 0;
};

struct ToolServices {
    ControlFactory makeControl;
    AudioDevice* audio = nullptr;
    // Takes the drive map of the collection's settings.
    std::function<void(std::vector<cdaudio::DriveOverride>)> setDriveOverrides;
};

// Registers the tool's windows; once per process, before the first run.
void registerTrakhandResources();

// Runs the tool on the running thread for a whole command line (program
// path first) and returns its exit code: 0, or 1 after a failed "/D"
// lookup, an unknown switch, a refused service user, an unreachable control
// or a failure no flow handled.
int runTrakhand(std::string_view commandLine, const ToolServices& services);

// The [CD Drives] section of the collection's "QVLROCFG.INI" in the
// current folder: drive tokens and the devices or TOC files behind them.
std::vector<cdaudio::DriveOverride> readDriveMap();

} // namespace qv::trakhand
