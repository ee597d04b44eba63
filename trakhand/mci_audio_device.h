#pragma once
// The CD audio device through the drive's MCI channel.

#include "trakhand/tool.h"

namespace qv::trakhand {

class MciAudioDevice : public AudioDevice
{
public:
    cdaudio::MciOpenResult open(const std::string& drive) override;
    void close(int device) override;
};

} // namespace qv::trakhand
