#include "qvls/core/procedures.h"

#include "qvls/core/frame.h"
#include "qvls/core/setup.h"

namespace qv::qvls {

void registerProcedures()
{
    registerFrameProcedures();
    registerSetupProcedures();
}

} // namespace qv::qvls
