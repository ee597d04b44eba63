#pragma once
// The real disc-database control, as the program builds it.

#include <memory>

#include "platform/outside/cddb/control.h"
#include "trakhand/tool.h"

namespace qv::trakhand {

// The control that speaks CDDB over HTTP, ending its running operation
// with hr::kCancelled once cancelled says so; nullptr when it cannot be had.
std::unique_ptr<cddb::Control> makeServiceControl(CancelCheck cancelled);

} // namespace qv::trakhand
