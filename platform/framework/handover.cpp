#include "platform/framework/handover.h"

namespace qv::fw {

Handover& handover()
{
    static Handover h;
    return h;
}

} // namespace qv::fw
