#include "qvls/acquisition/registration.h"

namespace qv::qvls {

void registerAcquisition()
{ }

} // namespace qv::qvls
