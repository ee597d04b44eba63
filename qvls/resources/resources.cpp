#include "qvls/resources/resources.h"

namespace qv::qvls {

void registerResources()
{
    static const bool once = [] {
        rt::ResourceStore::add("qvls", qvlsResources());
        return true;
    }();
    (void)once;
}

} // namespace qv::qvls
