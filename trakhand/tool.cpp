#include "trakhand/tool.h"

#include <span>

#include "platform/cdaudio/drives.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/resources.h"
#include "trakhand/command_line.h"
#include "trakhand/lookup_dialog.h"

std::span<const qv::rt::EmbeddedFile> trakhandResources();

namespace qv::trakhand {

void registerTrakhandResources()
{
    static const bool registered = (rt::ResourceStore::add("trakhand", trakhandResources()), true);
    (void)registered;
}

int runTrakhand(std::string_view commandLine, const ToolServices& services)
{
    registerTrakhandResources();
    if (services.setDriveOverrides)
        services.setDriveOverrides(readDriveMap());
    LookupDialog dialog(services, parseCommandLine(commandLine));
    return dialog.run();
}

std::vector<cdaudio::DriveOverride> readDriveMap()
{
    return cdaudio::driveOverridesIn(rt::IniFile::named(".\\QVLROCFG.INI"));
}

} // namespace qv::trakhand
