#include "qvls/tools/registration.h"

#include "platform/runtime/procedures.h"
#include "qvls/tools/default_artists.h"

namespace qv::qvls {

void registerTools()
{
    rt::Procedures::add("Process:DefaultArtists", [] { DefaultArtists(); });
}

} // namespace qv::qvls
