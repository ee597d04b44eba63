#include "platform/cdaudio/mci.h"

#include "platform/cdaudio/cdio_drive.h"
#include "platform/cdaudio/drives.h"
#include "platform/cdaudio/simulated_drive.h"
#include "platform/text/case.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace qv::cdaudio {

namespace {

std::vector<DriveOverride>& overrideList()
{
    static std::vector<DriveOverride> list;
    return list;
}

enum class TimeFormat { Msf, Tmsf, Milliseconds };

struct Device {
    int id = 0;
    std::string alias; // lower case; empty for the command interface's devices
    std::string path; // the TOC file or the device path
    bool shareable = false;
    TimeFormat format = TimeFormat::Msf; // MCI's format after an open
    std::shared_ptr<Drive> drive;
};

class Devices
{
public:
    static Devices& instance()
    {
        static Devices devices;
        return devices;
    }

    Device* byAlias(std::string_view alias)
    {
        const auto it = std::find_if(open_.begin(), open_.end(),
            [&](const Device& d) { return !d.alias.empty() && text::equalsNoCase(d.alias, alias); });
        return it == open_.end() ? nullptr : &*it;
    }

    Device* byId(int id)
    {
        const auto it = std::find_if(open_.begin(), open_.end(), [&](const Device& d) { return d.id == id; });
        return it == open_.end() ? nullptr : &*it;
    }

    // A drive already in use by another device on the same path.
    std::shared_ptr<Drive> inUse(const std::string& path, bool& shareable) const
    {
        for (const Device& d : open_)
            if (d.path == path) {
                shareable = d.shareable;
                return d.drive;
            }
        return nullptr;
    }

    int add(Device d)
    {
        d.id = nextId_++;
        open_.push_back(std::move(d));
        return open_.back().id;
    }

    void remove(int id)
    {
        std::erase_if(open_, [&](const Device& d) { return d.id == id; });
    }

    void removeAll() { open_.clear(); }

private:
    std::vector<Device> open_;
    int nextId_ = 1;
};

std::vector<OpticalDrives::Override> overridesForDrives()
{
    return {overrideList().begin(), overrideList().end()};
}

// The path behind a drive token ("d:"); blank stands for the first drive.
std::string pathFor(std::string_view element)
{
    if (element.empty()) {
        const std::vector<OpticalDrive> drives = OpticalDrives::list(overridesForDrives());
        return drives.empty() ? std::string() : drives.front().device;
    }
    return OpticalDrives::deviceFor(element, overridesForDrives());
}

bool isTocFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// A simulated drive is known by its absolute path, so a change of the
// current folder leaves it in place.
std::string driveKey(const std::string& path)
{
    if (!isTocFile(path))
        return path;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::shared_ptr<Drive> openDrive(const std::string& key, int& error)
{
    if (isTocFile(key)) {
        std::string why;
        std::shared_ptr<Drive> drive = SimulatedDrive::open(key, why);
        if (!drive) {
            std::fprintf(stderr, "%s\n", why.c_str());
            error = mcierr::kHardware;
        }
        return drive;
    }
    std::shared_ptr<Drive> drive = CdioDrive::open(key);
    if (!drive)
        error = mcierr::kInvalidDeviceName;
    return drive;
}

// The drive behind an element, shared with the devices already open on it.
std::shared_ptr<Drive> driveFor(std::string_view element, bool shareable, std::string& key, int& error)
{
    const std::string path = pathFor(element);
    if (path.empty()) {
        error = mcierr::kInvalidDeviceName;
        return nullptr;
    }
    key = driveKey(path);
    bool otherShareable = false;
    if (std::shared_ptr<Drive> drive = Devices::instance().inUse(key, otherShareable)) {
        if (!shareable || !otherShareable) {
            error = mcierr::kMustUseShareable;
            return nullptr;
        }
        return drive;
    }
    return openDrive(key, error);
}

// ------------------------------------------------------------ words

struct Words {
    std::vector<std::string> lower; // keywords compare in lower case
    std::vector<std::string> as; // as sent: elements and aliases keep their case
    int error = 0;
};

Words split(std::string_view command)
{
    Words w;
    std::size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && (command[i] == ' ' || command[i] == '\t'))
            ++i;
        if (i >= command.size())
            break;
        std::string word;
        if (command[i] == '"') {
            const std::size_t close = command.find('"', i + 1);
            if (close == std::string_view::npos) {
                w.error = mcierr::kNoClosingQuote;
                return w;
            }
            word = std::string(command.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const std::size_t start = i;
            while (i < command.size() && command[i] != ' ' && command[i] != '\t')
                ++i;
            word = std::string(command.substr(start, i - start));
        }
        // Waiting is all this channel does, and no window takes notices.
        const std::string lower = text::asciiLower(word);
        if (w.as.size() >= 2 && (lower == "wait" || lower == "notify"))
            continue;
        w.lower.push_back(lower);
        w.as.push_back(std::move(word));
    }
    return w;
}

bool isDigits(std::string_view s)
{
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ------------------------------------------------------------ times

std::string twoDigits(int n)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

std::string msfText(std::int32_t frames)
{
    const std::int32_t minutes = frames / (60 * kFramesPerSecond);
    const std::int32_t seconds = frames / kFramesPerSecond % 60;
    return twoDigits(minutes) + ":" + twoDigits(seconds) + ":" + twoDigits(frames % kFramesPerSecond);
}

std::string millisecondsText(std::int32_t frames)
{
    return std::to_string(std::int64_t{frames} * 1000 / kFramesPerSecond);
}

const TocTrack& trackAt(const DiscToc& toc, std::int32_t frame)
{
    const TocTrack* at = &toc.tracks.front();
    for (const TocTrack& t : toc.tracks)
        if (t.start <= frame)
            at = &t;
    return *at;
}

// A length: tmsf has no track to give it, so lengths read as msf.
std::string lengthText(TimeFormat format, std::int32_t frames)
{
    return format == TimeFormat::Milliseconds ? millisecondsText(frames) : msfText(frames);
}

std::string positionText(TimeFormat format, const DiscToc& toc, std::int32_t frame)
{
    switch (format) {
    case TimeFormat::Milliseconds:
        return millisecondsText(frame);
    case TimeFormat::Msf:
        return msfText(frame);
    case TimeFormat::Tmsf:
        break;
    }
    const TocTrack& t = trackAt(toc, frame);
    return twoDigits(t.number) + ":" + msfText(std::max(0, frame - t.start));
}

// A time as the current format writes it ("3", "3:01:30:00", "61000") to a frame.
int parseTime(TimeFormat format, const DiscToc& toc, std::string_view text, std::int32_t& frame)
{
    std::vector<std::int32_t> parts;
    std::size_t at = 0;
    while (true) {
        const std::size_t colon = text.find(':', at);
        const std::string_view part = text.substr(at, colon == std::string_view::npos ? text.npos : colon - at);
        if (!isDigits(part))
            return mcierr::kBadInteger;
        parts.push_back(std::stoi(std::string(part)));
        if (colon == std::string_view::npos)
            break;
        at = colon + 1;
    }
    if (format == TimeFormat::Milliseconds) {
        if (parts.size() != 1)
            return mcierr::kBadInteger;
        frame = static_cast<std::int32_t>((std::int64_t{parts[0]} * kFramesPerSecond + 500) / 1000);
        return 0;
    }
    std::int32_t base = 0;
    if (format == TimeFormat::Tmsf) {
        const int track = parts.front();
        parts.erase(parts.begin());
        const auto it
            = std::find_if(toc.tracks.begin(), toc.tracks.end(), [&](const TocTrack& t) { return t.number == track; });
        if (it == toc.tracks.end())
            return mcierr::kOutOfRange;
        base = it->start;
    }
    if (parts.size() > 3)
        return mcierr::kBadInteger;
    parts.resize(3, 0);
    if (parts[1] >= 60 || parts[2] >= kFramesPerSecond)
        return mcierr::kOutOfRange;
    const std::int64_t to = base + (std::int64_t{parts[0]} * 60 + parts[1]) * kFramesPerSecond + parts[2];
    if (to > toc.leadout)
        return mcierr::kOutOfRange;
    frame = static_cast<std::int32_t>(to);
    return 0;
}

const char* modeWord(DriveMode mode)
{
    switch (mode) {
    case DriveMode::Open:
        return "open";
    case DriveMode::NotReady:
        return "not ready";
    case DriveMode::Stopped:
        return "stopped";
    case DriveMode::Playing:
        return "playing";
    case DriveMode::Paused:
        return "paused";
    case DriveMode::Seeking:
        return "seeking";
    }
    return "not ready";
}

const char* truth(bool b)
{
    return b ? "true" : "false";
}

// ------------------------------------------------------------ commands

// One command on an open device: the words after the alias, the answer.
class DeviceCommand
{
public:
    DeviceCommand(Device& device, const std::vector<std::string>& args, std::string& answer)
        : device_(device)
        , drive_(*device.drive)
        , args_(args)
        , answer_(answer)
    { }

    int status()
    {
        if (args_.empty())
            return mcierr::kMissingParameter;
        const DriveMode mode = drive_.mode();
        if (is({"mode"}))
            return say(modeWord(mode));
        if (is({"ready"}))
            return say(truth(mode != DriveMode::Open && mode != DriveMode::NotReady));
        if (is({"media", "present"}))
            return say(truth(mode != DriveMode::Open));
        if (is({"time", "format"})) {
            const TimeFormat f = device_.format;
            return say(f == TimeFormat::Msf ? "msf" : f == TimeFormat::Tmsf ? "tmsf" : "milliseconds");
        }
        return statusOfDisc();
    }

    int set()
    {
        if (args_.empty())
            return mcierr::kMissingParameter;
        if (args_[0] == "time" && args_.size() >= 2 && args_[1] == "format") {
            if (args_.size() == 2)
                return mcierr::kMissingParameter;
            if (args_.size() > 3)
                return mcierr::kUnrecognizedKeyword;
            const std::string& f = args_[2];
            if (f == "msf")
                device_.format = TimeFormat::Msf;
            else if (f == "tmsf")
                device_.format = TimeFormat::Tmsf;
            else if (f == "ms" || f == "milliseconds")
                device_.format = TimeFormat::Milliseconds;
            else
                return mcierr::kBadTimeFormat;
            return 0;
        }
        if (args_[0] == "door") {
            if (is({"door", "open"}))
                return drive_.setDoor(true);
            if (is({"door", "closed"}))
                return drive_.setDoor(false);
            return args_.size() == 1 ? mcierr::kMissingParameter : mcierr::kUnrecognizedKeyword;
        }
        return mcierr::kUnrecognizedKeyword;
    }

    int play()
    {
        std::optional<std::string> from, to;
        for (std::size_t i = 0; i < args_.size(); i += 2) {
            if (args_[i] != "from" && args_[i] != "to")
                return mcierr::kUnrecognizedKeyword;
            if (i + 1 >= args_.size())
                return mcierr::kBadInteger;
            (args_[i] == "from" ? from : to) = args_[i + 1];
        }
        DiscToc toc;
        if (const int error = drive_.readToc(toc))
            return error;
        std::int32_t start = 0;
        std::int32_t end = toc.leadout;
        if (const int error = from ? parseTime(device_.format, toc, *from, start) : drive_.position(start))
            return error;
        if (to)
            if (const int error = parseTime(device_.format, toc, *to, end))
                return error;
        if (start < toc.tracks.front().start || start >= toc.leadout || end > toc.leadout || end <= start)
            return mcierr::kOutOfRange;
        // Play skips a data track to the next audio track.
        const TocTrack& at = trackAt(toc, start);
        if (!at.audio) {
            const auto next = std::find_if(
                toc.tracks.begin(), toc.tracks.end(), [&](const TocTrack& t) { return t.audio && t.start > start; });
            if (next == toc.tracks.end() || next->start >= end)
                return mcierr::kOutOfRange;
            start = next->start;
        }
        return drive_.play(start, end);
    }

    int resume()
    {
        if (!args_.empty())
            return mcierr::kUnrecognizedKeyword;
        if (drive_.mode() != DriveMode::Paused)
            return 0;
        DiscToc toc;
        std::int32_t at = 0;
        if (const int error = drive_.readToc(toc))
            return error;
        if (const int error = drive_.position(at))
            return error;
        return drive_.play(at, toc.leadout);
    }

    int plain(int (Drive::*action)())
    {
        if (!args_.empty())
            return mcierr::kUnrecognizedKeyword;
        return (drive_.*action)();
    }

private:
    bool is(std::initializer_list<const char*> words) const
    {
        return std::equal(args_.begin(), args_.end(), words.begin(), words.end(),
            [](const std::string& a, const char* b) { return a == b; });
    }

    int say(std::string text)
    {
        answer_ = std::move(text);
        return 0;
    }

    // "length track 3": the track, which must be on the disc.
    int trackArgument(const DiscToc& toc, const TocTrack*& track) const
    {
        if (args_.size() < 3 || !isDigits(args_[2]))
            return mcierr::kBadInteger;
        if (args_.size() > 3)
            return mcierr::kUnrecognizedKeyword;
        const int n = std::stoi(args_[2]);
        const auto it
            = std::find_if(toc.tracks.begin(), toc.tracks.end(), [&](const TocTrack& t) { return t.number == n; });
        if (it == toc.tracks.end())
            return mcierr::kOutOfRange;
        track = &*it;
        return 0;
    }

    int statusOfDisc()
    {
        const std::string& item = args_[0];
        const bool ofTrack
            = (item == "length" || item == "position" || item == "type") && args_.size() >= 2 && args_[1] == "track";
        const bool known = is({"number", "of", "tracks"}) || is({"current", "track"}) || is({"start", "position"})
            || ((item == "length" || item == "position") && (args_.size() == 1 || ofTrack))
            || (item == "type" && ofTrack);
        if (!known)
            return mcierr::kUnrecognizedKeyword;
        DiscToc toc;
        if (const int error = drive_.readToc(toc))
            return error;
        const TocTrack* track = nullptr;
        if (ofTrack)
            if (const int error = trackArgument(toc, track))
                return error;
        const TimeFormat format = device_.format;
        if (item == "number")
            return say(std::to_string(toc.tracks.size()));
        if (item == "start")
            return say(positionText(format, toc, toc.tracks.front().start));
        if (item == "type")
            return say(track->audio ? "audio" : "other");
        if (item == "length") {
            if (!track) // every track but the last runs to the next one's start; both
                return say(lengthText(format, toc.leadout - toc.tracks.front().start - 1));
            const bool last = track == &toc.tracks.back();
            const std::int32_t end = last ? toc.leadout - 1 : (track + 1)->start;
            return say(lengthText(format, end - track->start));
        }
        if (track)
            return say(positionText(format, toc, track->start));
        std::int32_t at = 0;
        if (const int error = drive_.position(at))
            return error;
        if (item == "current")
            return say(std::to_string(trackAt(toc, at).number));
        return say(positionText(format, toc, at));
    }

    Device& device_;
    Drive& drive_;
    const std::vector<std::string>& args_;
    std::string& answer_;
};

int openCommand(const Words& w, const std::string& text, std::string& answer)
{
    if (w.lower.size() < 2)
        return mcierr::kMissingDeviceName;
    std::string element = w.as[1];
    std::optional<std::string> type, alias;
    bool shareable = false;
    for (std::size_t i = 2; i < w.lower.size(); ++i) {
        const std::string& k = w.lower[i];
        if (k == "shareable" || k == "sharable") {
            shareable = true;
        } else if (k == "type" || k == "alias") {
            if (i + 1 >= w.lower.size())
                return mcierr::kMissingStringArgument;
            (k == "type" ? type : alias) = w.as[++i];
        } else {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    // "open cdaudio" opens the first drive.
    if (!type && text::equalsNoCase(element, "cdaudio")) {
        type = element;
        element.clear();
    }
    if (!type || !text::equalsNoCase(*type, "cdaudio"))
        return mcierr::kInvalidDeviceName;
    const std::string name = alias ? *alias : w.as[1];
    Devices& devices = Devices::instance();
    if (devices.byAlias(name))
        return mcierr::kDeviceOpen;
    Device d;
    int error = 0;
    d.drive = driveFor(element, shareable, d.path, error);
    if (!d.drive)
        return error;
    if (const int refused = d.drive->receive(w.lower, text))
        return refused;
    d.alias = text::asciiLower(name);
    d.shareable = shareable;
    answer = std::to_string(devices.add(std::move(d)));
    return 0;
}

int closeCommand(const Words& w, const std::string& text)
{
    Devices& devices = Devices::instance();
    if (w.lower[1] == "all" && w.lower.size() == 2) {
        devices.removeAll();
        return 0;
    }
    Device* d = devices.byAlias(w.as[1]);
    if (!d)
        return mcierr::kInvalidDeviceName;
    if (w.lower.size() > 2)
        return mcierr::kUnrecognizedKeyword;
    // A refused close still lets the alias go, so nothing stays held.
    const int refused = d->drive->receive(w.lower, text);
    devices.remove(d->id);
    return refused;
}

int deviceCommand(const Words& w, const std::string& text, std::string& answer)
{
    Device* d = Devices::instance().byAlias(w.as[1]);
    if (!d)
        return mcierr::kInvalidDeviceName;
    if (const int refused = d->drive->receive(w.lower, text))
        return refused;
    const std::vector<std::string> args(w.lower.begin() + 2, w.lower.end());
    DeviceCommand c(*d, args, answer);
    const std::string& verb = w.lower[0];
    if (verb == "status")
        return c.status();
    if (verb == "set")
        return c.set();
    if (verb == "play")
        return c.play();
    if (verb == "resume")
        return c.resume();
    if (verb == "pause")
        return c.plain(&Drive::pause);
    return c.plain(&Drive::stop);
}

} // namespace

void setDriveOverrides(std::vector<DriveOverride> overrides)
{
    overrideList() = std::move(overrides);
}

const std::vector<DriveOverride>& driveOverrides()
{
    return overrideList();
}

int mciSendString(std::string_view command, std::string& answer)
{
    answer.clear();
    const std::string text(command);
    const Words w = split(command);
    if (w.error)
        return w.error;
    if (w.lower.empty())
        return mcierr::kMissingCommandString;
    const std::string& verb = w.lower[0];
    if (verb == "open")
        return openCommand(w, text, answer);
    static const char* const kDeviceVerbs[] = {"close", "status", "set", "play", "pause", "resume", "stop"};
    if (std::none_of(std::begin(kDeviceVerbs), std::end(kDeviceVerbs), [&](const char* v) { return verb == v; }))
        return mcierr::kUnrecognizedCommand;
    if (w.lower.size() < 2)
        return mcierr::kMissingDeviceName;
    if (verb == "close")
        return closeCommand(w, text);
    return deviceCommand(w, text, answer);
}

std::string mciErrorText(int error)
{
    switch (error) {
    case 0:
        return "The specified command was carried out.";
    case mcierr::kInvalidDeviceId:
        return "Invalid device ID. Use the ID given to the device when the device was opened.";
    case mcierr::kUnrecognizedKeyword:
        return "The driver cannot recognize the specified command parameter.";
    case mcierr::kUnrecognizedCommand:
        return "The driver cannot recognize the specified command.";
    case mcierr::kHardware:
        return "There is a problem with your media device. Make sure it is working correctly or contact the device "
               "manufacturer.";
    case mcierr::kInvalidDeviceName:
        return "The specified device is not open or is not recognized by MCI.";
    case mcierr::kDeviceOpen:
        return "The device name is already being used as an alias by this application. Use a unique alias.";
    case mcierr::kMissingCommandString:
        return "No command was specified.";
    case mcierr::kMissingStringArgument:
        return "A string value is missing from the command.";
    case mcierr::kBadInteger:
        return "An integer in the command was invalid or missing.";
    case mcierr::kMissingParameter:
        return "The specified command requires a parameter. Please supply one.";
    case mcierr::kUnsupportedFunction:
        return "The MCI device you are using does not support the specified command.";
    case mcierr::kDeviceNotReady:
        return "The device is not ready.";
    case mcierr::kOutOfRange:
        return "The specified parameter is out of range for the specified command.";
    case mcierr::kMustUseShareable:
        return "The device driver is already in use. To share it, use the 'shareable' parameter with each 'open' "
               "command.";
    case mcierr::kMissingDeviceName:
        return "The specified command requires an alias, file, driver, or device name. Please supply one.";
    case mcierr::kBadTimeFormat:
        return "The specified value for the time format is invalid.";
    case mcierr::kNoClosingQuote:
        return "A closing double-quotation mark is missing from the parameter value.";
    default:
        return "An unknown MCI error occurred.";
    }
}

MciOpenResult mciOpenCdAudio(std::string_view element, bool shareable)
{
    Device d;
    int error = 0;
    d.drive = driveFor(element, shareable, d.path, error);
    if (!d.drive)
        return {0, error};
    const std::string text = "open " + std::string(element) + " type cdaudio" + (shareable ? " shareable" : "");
    if (const int refused = d.drive->receive(split(text).lower, text))
        return {0, refused};
    d.shareable = shareable;
    return {Devices::instance().add(std::move(d)), 0};
}

int mciClose(int device)
{
    Devices& devices = Devices::instance();
    Device* d = devices.byId(device);
    if (!d)
        return mcierr::kInvalidDeviceId;
    const std::string text = "close " + std::to_string(device);
    const int refused = d->drive->receive(split(text).lower, text);
    devices.remove(device);
    return refused;
}

std::optional<DiscToc> mciReadToc(int device)
{
    std::shared_ptr<Drive> drive;
    if (device == 0) {
        int error = 0;
        std::string key;
        drive = driveFor({}, true, key, error);
    } else if (Device* d = Devices::instance().byId(device)) {
        drive = d->drive;
    }
    DiscToc toc;
    if (!drive || drive->readToc(toc))
        return std::nullopt;
    return toc;
}

} // namespace qv::cdaudio
