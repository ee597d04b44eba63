#include "qvls/browse_extension/registration.h"

#include "qvls/browse_extension/tag_sets.h"
#include "qvls/core/program.h"

namespace qv::qvls {

void registerBrowseExtension()
{
    addTearDownStep("TagFreeSpareSets", [] { TagFreeSpareSets(); });
    addTearDownStep("TagFreeAll", [] { TagFreeAll(); });
}

} // namespace qv::qvls
