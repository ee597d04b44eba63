#include "platform/cdaudio/simulated_drive.h"

#include "platform/cdaudio/mci.h"
#include "platform/text/case.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::cdaudio {

namespace {

std::function<std::int64_t()>& clock()
{
    static std::function<std::int64_t()> c;
    return c;
}

std::int64_t nowMs()
{
    if (clock())
        return clock()();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<std::string> words(std::string_view line)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.emplace_back(line.substr(start, i - start));
    }
    return out;
}

bool toNumber(const std::string& s, std::int32_t& n)
{
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    return ec == std::errc{} && end == s.data() + s.size() && n >= 0;
}

// One line at a time; the first fault ends the reading.
class TocParser
{
public:
    TocFileResult parse(std::string_view text)
    {
        int number = 0;
        std::size_t at = 0;
        while (at <= text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string_view::npos)
                end = text.size();
            ++number;
            std::string_view line = text.substr(at, end - at);
            line = line.substr(0, line.find('#'));
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            const std::string fault = take(line);
            if (!fault.empty())
                return {std::nullopt, "line " + std::to_string(number) + ": " + fault};
            at = end + 1;
        }
        const std::string fault = finish();
        if (!fault.empty())
            return {std::nullopt, fault};
        return {std::move(file_), {}};
    }

private:
    std::string take(std::string_view line)
    {
        const std::vector<std::string> w = words(line);
        if (w.empty())
            return {};
        const std::string key = text::asciiLower(w[0]);
        if (key == "tray")
            return choice(w, seenTray_, {"open", "closed"}, [this](std::size_t i) { file_.trayOpen = i == 0; });
        if (key == "disc")
            return choice(w, seenDisc_, {"audio", "none", "notready"},
                [this](std::size_t i) { file_.disc = static_cast<TocFile::Disc>(i); });
        if (key == "track")
            return track(w);
        if (key == "leadout")
            return leadout(w);
        if (key == "fail")
            return failure(w);
        if (key == "log") {
            const std::size_t from = line.find_first_not_of(" \t", line.find_first_of(" \t"));
            if (w.size() < 2 || from == std::string_view::npos)
                return "log needs a file name";
            std::string_view name = line.substr(from);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
                name.remove_suffix(1);
            file_.log = std::string(name);
            return {};
        }
        return "unknown keyword \"" + w[0] + "\"";
    }

    template <typename Set>
    std::string choice(
        const std::vector<std::string>& w, bool& seen, std::initializer_list<const char*> values, Set set)
    {
        if (seen)
            return w[0] + " given twice";
        seen = true;
        if (w.size() == 2) {
            std::size_t i = 0;
            for (const char* v : values) {
                if (text::equalsNoCase(w[1], v)) {
                    set(i);
                    return {};
                }
                ++i;
            }
        }
        std::string expected;
        for (const char* v : values)
            expected += (expected.empty() ? "" : ", ") + std::string(v);
        return w[0] + " takes one of " + expected;
    }

    std::string track(const std::vector<std::string>& w)
    {
        TocTrack t;
        std::int32_t number = 0;
        if (w.size() < 3 || w.size() > 4 || !toNumber(w[1], number) || !toNumber(w[2], t.start)
            || (w.size() == 4 && !text::equalsNoCase(w[3], "data")))
            return "a track is \"track <number> <start frame> [data]\"";
        if (seenLeadout_)
            return "tracks come before the lead-out";
        const std::vector<TocTrack>& tracks = file_.toc.tracks;
        if (number < 1 || number > 99 || (!tracks.empty() && number != tracks.back().number + 1))
            return "track " + w[1] + " does not follow the track before";
        if (!tracks.empty() && t.start <= tracks.back().start)
            return "track " + w[1] + " starts before the end of the track before";
        t.number = number;
        t.audio = w.size() == 3;
        file_.toc.tracks.push_back(t);
        return {};
    }

    std::string leadout(const std::vector<std::string>& w)
    {
        if (seenLeadout_)
            return "leadout given twice";
        seenLeadout_ = true;
        if (w.size() != 2 || !toNumber(w[1], file_.toc.leadout))
            return "the lead-out is \"leadout <frame>\"";
        if (!file_.toc.tracks.empty() && file_.toc.leadout <= file_.toc.tracks.back().start)
            return "the lead-out comes before the last track's start";
        return {};
    }

    std::string failure(const std::vector<std::string>& w)
    {
        std::int32_t error = 0;
        if (w.size() < 3 || !toNumber(w.back(), error) || error == 0)
            return "a failure is \"fail <command word> [words...] <MCI error number>\"";
        TocFile::Failure f;
        for (std::size_t i = 1; i + 1 < w.size(); ++i)
            f.words.push_back(text::asciiLower(w[i]));
        f.error = error;
        file_.failures.push_back(std::move(f));
        return {};
    }

    std::string finish() const
    {
        if (file_.disc == TocFile::Disc::Audio && (file_.toc.tracks.empty() || !seenLeadout_))
            return "an audio disc needs its tracks and its lead-out";
        return {};
    }

    TocFile file_;
    bool seenTray_ = false;
    bool seenDisc_ = false;
    bool seenLeadout_ = false;
};

bool readWhole(const std::string& path, std::string& text)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

} // namespace

TocFileResult parseTocFile(std::string_view text)
{
    return TocParser().parse(text);
}

TocFileResult loadTocFile(const std::string& path)
{
    std::string text;
    if (!readWhole(path, text))
        return {std::nullopt, path + ": cannot be read"};
    TocFileResult r = parseTocFile(text);
    if (!r.file)
        r.error = path + ": " + r.error;
    return r;
}

void SimulatedDrive::setClock(std::function<std::int64_t()> milliseconds)
{
    clock() = std::move(milliseconds);
}

SimulatedDrive::SimulatedDrive(std::string path)
    : path_(std::move(path))
{ }

std::unique_ptr<SimulatedDrive> SimulatedDrive::open(const std::string& path, std::string& error)
{
    std::unique_ptr<SimulatedDrive> drive(new SimulatedDrive(path));
    if (!readWhole(path, drive->text_)) {
        error = path + ": cannot be read";
        return nullptr;
    }
    TocFileResult r = parseTocFile(drive->text_);
    if (!r.file) {
        error = path + ": " + r.error;
        return nullptr;
    }
    drive->load(std::move(*r.file));
    return drive;
}

void SimulatedDrive::load(TocFile file)
{
    file_ = std::move(file);
    trayOpen_ = file_.trayOpen;
    state_ = DriveMode::Stopped;
    at_ = file_.toc.tracks.empty() ? 0 : file_.toc.tracks.front().start;
}

int SimulatedDrive::refresh()
{
    std::string text;
    if (!readWhole(path_, text)) {
        std::fprintf(stderr, "%s: cannot be read\n", path_.c_str());
        broken_ = true;
        return mcierr::kHardware;
    }
    if (text == text_)
        return broken_ ? mcierr::kHardware : 0;
    text_ = std::move(text);
    TocFileResult r = parseTocFile(text_);
    broken_ = !r.file;
    if (broken_) {
        std::fprintf(stderr, "%s: %s\n", path_.c_str(), r.error.c_str());
        return mcierr::kHardware;
    }
    load(std::move(*r.file));
    return 0;
}

void SimulatedDrive::writeLog(const std::string& text) const
{
    if (file_.log.empty())
        return;
    const std::filesystem::path log = std::filesystem::path(path_).parent_path() / file_.log;
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << text << '\n';
}

int SimulatedDrive::receive(const std::vector<std::string>& w, const std::string& text)
{
    const int fault = refresh();
    writeLog(text);
    if (fault)
        return fault;
    for (const TocFile::Failure& f : file_.failures) {
        if (w.empty() || f.words.empty() || !text::equalsNoCase(w[0], f.words[0]))
            continue;
        // The words after the command word are matched past the device name.
        bool match = w.size() >= f.words.size() + 1;
        for (std::size_t i = 1; match && i < f.words.size(); ++i)
            match = text::equalsNoCase(w[i + 1], f.words[i]);
        if (match)
            return f.error;
    }
    return 0;
}

bool SimulatedDrive::hasDisc() const
{
    return !trayOpen_ && file_.disc == TocFile::Disc::Audio;
}

void SimulatedDrive::settle()
{
    if (state_ != DriveMode::Playing)
        return;
    const std::int64_t frames = (nowMs() - playSince_) * kFramesPerSecond / 1000;
    if (playFrom_ + frames >= playTo_) {
        state_ = DriveMode::Stopped;
        at_ = playTo_;
    }
}

DriveMode SimulatedDrive::mode()
{
    if (trayOpen_ || file_.disc == TocFile::Disc::None)
        return DriveMode::Open;
    if (file_.disc == TocFile::Disc::NotReady)
        return DriveMode::NotReady;
    settle();
    return state_;
}

int SimulatedDrive::readToc(DiscToc& toc)
{
    // The command interface reads the table without a command before it.
    if (const int fault = refresh())
        return fault;
    if (!hasDisc())
        return mcierr::kDeviceNotReady;
    toc = file_.toc;
    return 0;
}

int SimulatedDrive::position(std::int32_t& frame)
{
    if (!hasDisc())
        return mcierr::kDeviceNotReady;
    settle();
    if (state_ == DriveMode::Playing)
        frame = playFrom_ + static_cast<std::int32_t>((nowMs() - playSince_) * kFramesPerSecond / 1000);
    else
        frame = at_;
    return 0;
}

int SimulatedDrive::play(std::int32_t from, std::int32_t to)
{
    if (!hasDisc())
        return mcierr::kDeviceNotReady;
    state_ = DriveMode::Playing;
    playFrom_ = from;
    playTo_ = to;
    playSince_ = nowMs();
    return 0;
}

int SimulatedDrive::pause()
{
    if (!hasDisc())
        return mcierr::kDeviceNotReady;
    settle();
    if (state_ == DriveMode::Playing) {
        position(at_);
        state_ = DriveMode::Paused;
    }
    return 0;
}

int SimulatedDrive::stop()
{
    if (!hasDisc())
        return mcierr::kDeviceNotReady;
    if (state_ == DriveMode::Playing)
        position(at_);
    state_ = DriveMode::Stopped;
    return 0;
}

int SimulatedDrive::setDoor(bool open)
{
    if (open && hasDisc())
        stop();
    // A closed tray holds the disc back at its start.
    if (!open && trayOpen_ && !file_.toc.tracks.empty())
        at_ = file_.toc.tracks.front().start;
    trayOpen_ = open;
    return 0;
}

} // namespace qv::cdaudio
