#include "qvls/core/globals.h"

namespace qv::qvls {

Globals& glo()
{
    static Globals g;
    return g;
}

void storeWindowGlobals()
{
    Globals& g = glo();
    g.positionFile = ".\\POSITION.INI";
    g.appLabel = "qvls";
    g.buildStamp = BuildStamp{};
}

} // namespace qv::qvls
