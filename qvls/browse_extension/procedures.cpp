#include "qvls/browse_extension/procedures.h"

#include "qvls/browse_extension/tag_sets.h"
#include "qvls/core/program.h"

namespace qv::qvls {

void registerBrowseExtensionProcedures()
{
    addTearDownStep("TagFreeSpareSets", [] { TagFreeSpareSets(); });
    addTearDownStep("TagFreeAll", [] { TagFreeAll(); });
}

} // namespace qv::qvls
