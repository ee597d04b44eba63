#include "qvls/acquisition/registration.h"

#include "qvls/acquisition/cd_reader.h"
#include "qvls/acquisition/cddb_wizard.h"
#include "qvls/acquisition/disc_lookup.h"
#include "qvls/acquisition/disc_submission.h"

namespace qv::qvls {

void registerAcquisition()
{
    registerCdReader();
    registerDiscLookup();
    registerCddbWizard();
    registerDiscSubmission();
}

} // namespace qv::qvls
