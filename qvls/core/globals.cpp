#include "qvls/core/globals.h"

#include <string>

#include "platform/framework/use_binding.h"
#include "qvls/core/about.h"

namespace qv::qvls {

Globals& glo()
{
    static Globals g;
    return g;
}

rt::PerThread<ThreadGlobals>& threadGlobals()
{
    static rt::PerThread<ThreadGlobals> perThread;
    return perThread;
}

ThreadGlobals& threadGlo()
{
    return threadGlobals().get();
}

void storeWindowGlobals()
{
    Globals& g = glo();
    g.positionFile = ".\\POSITION.INI";
    g.appLabel = "qvls";
    g.buildStamp = thisBuildStamp();
}

namespace {
void registerText(std::string name, std::string Globals::*member)
{
    fw::registerVariable(
        std::move(name), {[member] { return glo().*member; }, [member](const std::string& v) { glo().*member = v; }});
}

void registerNumber(std::string name, int Globals::*member)
{
    fw::registerVariable(std::move(name),
        {[member] { return std::to_string(glo().*member); },
            [member](const std::string& v) {
                try {
                    glo().*member = std::stoi(v);
                } catch (const std::exception&) {
                    glo().*member = 0;
                }
            }});
}

// The build stamp is read-only to windows.
void registerStamp(std::string name, int BuildStamp::*member)
{
    fw::registerVariable(
        std::move(name), {[member] { return std::to_string(glo().buildStamp.*member); }, [](const std::string&) {}});
}
} // namespace

void registerGlobalUses()
{
    registerText("GLO:VersionText", &Globals::versionText);
    registerText("GLO:AppLabel", &Globals::appLabel);
    registerText("GLO:PositionFile", &Globals::positionFile);
    registerNumber("GLO:Side", &Globals::side);
    registerStamp("GLO:BuildStamp.CreatedDate", &BuildStamp::createdDate);
    registerStamp("GLO:BuildStamp.CreatedTime", &BuildStamp::createdTime);
    registerStamp("GLO:BuildStamp.ChangedDate", &BuildStamp::changedDate);
    registerStamp("GLO:BuildStamp.ChangedTime", &BuildStamp::changedTime);
}

} // namespace qv::qvls
