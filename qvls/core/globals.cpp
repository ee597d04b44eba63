#include "qvls/core/globals.h"

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

ThreadGlobals& threadGlo() { return threadGlobals().get(); }

void storeWindowGlobals()
{
    Globals& g = glo();
    g.positionFile = ".\\POSITION.INI";
    g.appLabel = "qvls";
    g.buildStamp = thisBuildStamp();
}

} // namespace qv::qvls
