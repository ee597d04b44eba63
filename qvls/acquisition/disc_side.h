#pragma once
// The side (or disc) that songs read from a CD or a disc database go to.

#include "qvls/core/globals.h"

namespace qv::qvls {

// GLO:Side as the album wizards left it; 0, nothing chosen, means side 1.
inline int effectiveSide()
{
    return glo().side == 0 ? 1 : glo().side;
}

} // namespace qv::qvls
