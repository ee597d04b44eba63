#include "trakhand/mci_audio_device.h"

namespace qv::trakhand {

cdaudio::MciOpenResult MciAudioDevice::open(const std::string& drive)
{
    return cdaudio::mciOpenCdAudio(drive, true);
}

void MciAudioDevice::close(int device)
{
    cdaudio::mciClose(device);
}

} // namespace qv::trakhand
