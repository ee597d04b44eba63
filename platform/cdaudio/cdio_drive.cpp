#include "platform/cdaudio/cdio_drive.h"

#include "platform/cdaudio/mci.h"

// cdio.h first: audio.h uses its types without including them.
#include <cdio/cdio.h>

#include <cdio/audio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>

#include <filesystem>

namespace qv::cdaudio {

namespace {

int failed(driver_return_code_t rc)
{
    return rc == DRIVER_OP_SUCCESS ? 0 : mcierr::kHardware;
}

msf_t msfOf(std::int32_t frame)
{
    msf_t m;
    cdio_lba_to_msf(frame, &m);
    return m;
}

} // namespace

CdioDrive::CdioDrive(std::string device, CdIo_t* cdio)
    : device_(std::move(device))
    , cdio_(cdio)
{ }

CdioDrive::~CdioDrive()
{
    release();
}

std::unique_ptr<CdioDrive> CdioDrive::open(const std::string& device)
{
    std::error_code ec;
    if (device.empty() || !std::filesystem::exists(device, ec))
        return nullptr;
    // An empty drive fails every read; MCI's answers say so, libcdio need not warn on each poll.
    if (cdio_loglevel_default < CDIO_LOG_ERROR)
        cdio_loglevel_default = CDIO_LOG_ERROR;
    CdIo_t* cdio = cdio_open(device.c_str(), DRIVER_DEVICE);
    if (!cdio)
        return nullptr;
    return std::unique_ptr<CdioDrive>(new CdioDrive(device, cdio));
}

void CdioDrive::release()
{
    if (cdio_)
        cdio_destroy(cdio_);
    cdio_ = nullptr;
}

CdIo_t* CdioDrive::handle()
{
    if (cdio_ && cdio_get_media_changed(cdio_) == 1)
        release();
    if (!cdio_)
        cdio_ = cdio_open(device_.c_str(), DRIVER_DEVICE);
    return cdio_;
}

int CdioDrive::receive(const std::vector<std::string>&, const std::string&)
{
    return 0;
}

DriveMode CdioDrive::mode()
{
    CdIo_t* cdio = handle();
    if (!cdio || mmc_get_tray_status(cdio) == 1)
        return DriveMode::Open;
    if (cdio_get_num_tracks(cdio) == CDIO_INVALID_TRACK)
        return DriveMode::Open; // no disc, or one still spinning up
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(cdio, &sub) != DRIVER_OP_SUCCESS)
        return DriveMode::Stopped;
    switch (sub.audio_status) {
    case CDIO_MMC_READ_SUB_ST_PLAY:
        return DriveMode::Playing;
    case CDIO_MMC_READ_SUB_ST_PAUSED:
        return DriveMode::Paused;
    default:
        return DriveMode::Stopped;
    }
}

int CdioDrive::readToc(DiscToc& toc)
{
    CdIo_t* cdio = handle();
    if (!cdio)
        return mcierr::kDeviceNotReady;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return mcierr::kDeviceNotReady;
    DiscToc read;
    for (track_t t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(cdio, t);
        if (start == CDIO_INVALID_LSN)
            return mcierr::kDeviceNotReady;
        read.tracks.push_back({t, cdio_lsn_to_lba(start), cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO});
    }
    const lsn_t leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN)
        return mcierr::kDeviceNotReady;
    read.leadout = cdio_lsn_to_lba(leadout);
    toc = std::move(read);
    return 0;
}

int CdioDrive::position(std::int32_t& frame)
{
    CdIo_t* cdio = handle();
    if (!cdio)
        return mcierr::kDeviceNotReady;
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(cdio, &sub) != DRIVER_OP_SUCCESS) {
        // A drive that cannot tell stands at the disc's start.
        DiscToc toc;
        if (const int error = readToc(toc))
            return error;
        frame = toc.tracks.front().start;
        return 0;
    }
    frame = cdio_msf_to_lba(&sub.abs_addr);
    return 0;
}

int CdioDrive::play(std::int32_t from, std::int32_t to)
{
    CdIo_t* cdio = handle();
    if (!cdio)
        return mcierr::kDeviceNotReady;
    msf_t start = msfOf(from);
    msf_t end = msfOf(to);
    return failed(cdio_audio_play_msf(cdio, &start, &end));
}

int CdioDrive::pause()
{
    CdIo_t* cdio = handle();
    return cdio ? failed(cdio_audio_pause(cdio)) : mcierr::kDeviceNotReady;
}

int CdioDrive::stop()
{
    CdIo_t* cdio = handle();
    return cdio ? failed(cdio_audio_stop(cdio)) : mcierr::kDeviceNotReady;
}

int CdioDrive::setDoor(bool open)
{
    // The tray moves by the device's name; our handle would outlive the disc.
    release();
    if (open)
        return failed(cdio_eject_media_drive(device_.c_str()));
    driver_id_t driver = DRIVER_DEVICE;
    return failed(cdio_close_tray(device_.c_str(), &driver));
}

} // namespace qv::cdaudio
