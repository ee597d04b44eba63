#include "qvls/catalogue/registration.h"

#include "qvls/catalogue/reference_lists.h"

namespace qv::qvls {

void registerCatalogue()
{
    registerReferenceLists();
}

} // namespace qv::qvls
