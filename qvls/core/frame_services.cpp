#include "qvls/core/frame_services.h"

#include <memory>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/process.h"
#include "platform/runtime/shell.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/files.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls {

namespace {
FrameServices defaultServices()
{
    FrameServices d;
    d.startProcedure = [](std::string_view name, std::size_t stack) { return rt::Procedures::start(name, stack); };
    d.callProcedure = [](std::string_view name) { return rt::Procedures::call(name); };
    d.runProgram = [](const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
        auto process = std::make_shared<rt::Process>(rt::Process::start(program, args, folder));
        ProgramRun run(process->runCode());
        if (process->started())
            run.exitCode = [process] { return process->exitCode(); };
        return run;
    };
    d.openAddress = [](std::string_view address) { return rt::shellOpen(address); };
    d.programFolder = [] { return rt::programFolder(); };
    return d;
}
} // namespace

FrameServices& frameServices()
{
    static FrameServices s = defaultServices();
    return s;
}

void showNotAvailableText(const std::string& text)
{
    rt::message(text, "Not Available", rt::Icon::Exclamation);
}

void reportNotAvailable(std::string_view what)
{
    showNotAvailableText(std::string(what) + " is not available yet.");
}

void postStartUpLists(bool withBoth)
{
    Globals& g = glo();
    if (g.frameThread == 0 || !g.frameWindow)
        return;
    const Settings& st = settings();
    const std::pair<int, int> lists[] = {{st.SU_Songs, g.songsItem}, {st.SU_Albums, g.albumsItem},
        {st.SU_Playlists, g.playListsItem}, {st.SU_Labels, g.labelsItem}, {withBoth ? st.SU_Both : 0, g.bothItem}};
    for (const auto& [on, item] : lists)
        if (on && item)
            g.frameWindow->post(rt::event::Accepted, item);
}

std::string trakhandProgram()
{
    return frameServices().programFolder() + "trakhand";
}

std::vector<std::string> trakhandArguments(std::string_view discSwitch)
{
    std::vector<std::string> args{std::string(discSwitch), "/VID"};
    if (const std::string drive(text::trimRight(settings().CDDrive)); !drive.empty())
        args.push_back(drive);
    return args;
}

int startTrakhand(std::vector<std::string> arguments)
{
    return frameServices().runProgram(trakhandProgram(), std::move(arguments), collectionFolder()).runCode;
}

void resetFrameServices()
{
    frameServices() = defaultServices();
}

} // namespace qv::qvls
