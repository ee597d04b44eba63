#include "qvls/subsystems.h"

#include "platform/framework/pictures.h"

#include "qvls/acquisition/registration.h"
#include "qvls/browse_extension/registration.h"
#include "qvls/catalogue/registration.h"
#include "qvls/core/registration.h"
#include "qvls/resources/resources.h"
#include "qvls/tools/registration.h"

namespace qv::qvls {

void registerSubsystems()
{
    fw::installPictures(); // controls show their values through their pictures
    registerResources();
    registerCore();
    registerBrowseExtension();
    registerCatalogue();
    registerTools();
    registerAcquisition();
}

} // namespace qv::qvls
