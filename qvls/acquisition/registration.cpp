#include "qvls/acquisition/registration.h"

#include "qvls/acquisition/cddb_wizard.h"
#include "qvls/acquisition/disc_lookup.h"

namespace qv::qvls {

void registerAcquisition()
{
    registerDiscLookup();
    registerCddbWizard();
}

} // namespace qv::qvls
