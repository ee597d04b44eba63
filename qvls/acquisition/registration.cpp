#include "qvls/acquisition/registration.h"

#include "qvls/acquisition/cd_reader.h"

namespace qv::qvls {

void registerAcquisition()
{
    registerCdReader();
}

} // namespace qv::qvls
