#include "qvls/tools/procedures.h"

#include "platform/runtime/procedures.h"
#include "qvls/tools/default_artists.h"

namespace qv::qvls {

void registerToolProcedures()
{
    rt::Procedures::add("Process:DefaultArtists", [] { DefaultArtists(); });
}

} // namespace qv::qvls
