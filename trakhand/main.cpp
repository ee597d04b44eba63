#include <string>

#include "platform/qt/application.h"
#include "trakhand/mci_audio_device.h"
#include "trakhand/service_control.h"
#include "trakhand/tool.h"

int main(int argc, char** argv)
{
    // The tool splits its whole command line itself, program path first.
    std::string commandLine;
    for (int i = 0; i < argc; ++i)
        commandLine += (i > 0 ? " " : "") + std::string(argv[i]);

    qv::trakhand::MciAudioDevice audio;
    qv::trakhand::ToolServices services;
    services.makeControl = qv::trakhand::makeServiceControl;
    services.audio = &audio;
    services.setDriveOverrides = qv::cdaudio::setDriveOverrides;

    int exitCode = 1;
    const int failed
        = qv::qt::runApplication(argc, argv, [&] { exitCode = qv::trakhand::runTrakhand(commandLine, services); });
    return failed != 0 ? 1 : exitCode;
}
