#include "qvls/catalogue/registration.h"

#include "platform/runtime/procedures.h"

namespace qv::qvls {

void registerCatalogue() { }

} // namespace qv::qvls
