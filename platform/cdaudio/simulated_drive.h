#pragma once
// A CD drive described by a small text file, for tests and for anyone
// without a drive. The file is read again whenever it changes, so editing it
// is opening the tray or changing the disc:
//
//   # comments run from '#' to the end of the line; keywords ignore case
//   tray closed                 # or: tray open            (default closed)
//   disc audio                  # or: none, notready       (default audio)
//   track 1 150                 # number, start frame (lead-in counted)
//   track 2 9700 data           # a data track
//   leadout 303602              # the lead-out's frame
//   fail status length 276      # "status <device> length ..." answers MCI error 276
//   log commands.log            # appends every command received (relative to
//                               # this file's folder)
//
// An audio disc needs at least one track and the lead-out; track numbers
// follow one another and their starts rise. "set door" moves the tray until
// the file next changes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdaudio/drive.h"

namespace qv::cdaudio {

struct TocFile {
    enum class Disc { Audio, None, NotReady };
    struct Failure {
        std::vector<std::string> words; // lower case: the command word, then words after the device name
        int error = 0;
    };

    bool trayOpen = false;
    Disc disc = Disc::Audio;
    DiscToc toc;
    std::vector<Failure> failures;
    std::string log; // as written in the file
};

// The file's contents, or an error naming the line ("line 4: ...").
struct TocFileResult {
    std::optional<TocFile> file;
    std::string error;
};
TocFileResult parseTocFile(std::string_view text);
// Also fails, with the path in the error, when the file cannot be read.
TocFileResult loadTocFile(const std::string& path);

class SimulatedDrive : public Drive
{
public:
    // nullptr and the error when the file is missing or malformed.
    static std::unique_ptr<SimulatedDrive> open(const std::string& path, std::string& error);

    int receive(const std::vector<std::string>& words, const std::string& text) override;
    DriveMode mode() override;
    int readToc(DiscToc& toc) override;
    int position(std::int32_t& frame) override;
    int play(std::int32_t from, std::int32_t to) override;
    int pause() override;
    int stop() override;
    int setDoor(bool open) override;

    // Play advances with this clock (milliseconds); tests set their own, an
    // empty function restores the steady clock.
    static void setClock(std::function<std::int64_t()> milliseconds);

private:
    explicit SimulatedDrive(std::string path);
    // Takes in a changed file; a malformed one is a drive fault until mended.
    int refresh();
    void load(TocFile file);
    bool hasDisc() const;
    // Ends a play that reached its end.
    void settle();
    void writeLog(const std::string& text) const;

    std::string path_;
    std::string text_; // the file as last read
    bool broken_ = false;
    TocFile file_;
    bool trayOpen_ = false;
    DriveMode state_ = DriveMode::Stopped; // Stopped, Playing or Paused
    std::int32_t at_ = 0; // the head, when not playing
    std::int32_t playFrom_ = 0;
    std::int32_t playTo_ = 0;
    std::int64_t playSince_ = 0;
};

} // namespace qv::cdaudio
