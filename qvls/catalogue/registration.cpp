#include "qvls/catalogue/registration.h"

#include "qvls/catalogue/reference_lists.h"
#include "qvls/catalogue/song_lookup.h"

namespace qv::qvls {

void registerCatalogue()
{
    registerReferenceLists();
    registerSongLookup();
}

} // namespace qv::qvls
