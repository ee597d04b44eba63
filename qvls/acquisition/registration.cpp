#include "qvls/acquisition/registration.h"

#include "qvls/acquisition/disc_lookup.h"

namespace qv::qvls {

void registerAcquisition()
{
    registerDiscLookup();
}

} // namespace qv::qvls
