#include "qvls/subsystems.h"

#include "qvls/browse_extension/procedures.h"
#include "qvls/core/procedures.h"
#include "qvls/resources/resources.h"
#include "qvls/tools/procedures.h"

namespace qv::qvls {

void registerSubsystems()
{
    registerResources();
    registerCoreProcedures();
    registerBrowseExtensionProcedures();
    registerToolProcedures();
}

} // namespace qv::qvls
