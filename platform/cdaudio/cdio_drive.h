#pragma once
// A real CD drive through libcdio.

#include <memory>
#include <string>

#include "platform/cdaudio/drive.h"

typedef struct _CdIo CdIo_t;

namespace qv::cdaudio {

class CdioDrive : public Drive
{
public:
    // nullptr when the device is missing or cannot be opened.
    static std::unique_ptr<CdioDrive> open(const std::string& device);
    ~CdioDrive() override;
    CdioDrive(const CdioDrive&) = delete;
    CdioDrive& operator=(const CdioDrive&) = delete;

    int receive(const std::vector<std::string>& words, const std::string& text) override;
    DriveMode mode() override;
    int readToc(DiscToc& toc) override;
    int position(std::int32_t& frame) override;
    int play(std::int32_t from, std::int32_t to) override;
    int pause() override;
    int stop() override;
    int setDoor(bool open) override;

private:
    CdioDrive(std::string device, CdIo_t* cdio);
    // The handle, opened again after an eject or a disc change so that
    // libcdio forgets the table of contents it read before.
    CdIo_t* handle();
    void release();

    std::string device_;
    CdIo_t* cdio_ = nullptr;
};

} // namespace qv::cdaudio
