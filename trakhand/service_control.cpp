#include "trakhand/service_control.h"

#include "platform/outside/cddb/service_control.h"

namespace qv::trakhand {

std::unique_ptr<cddb::Control> makeServiceControl(CancelCheck cancelled)
{
    return std::make_unique<cddb::CddbServiceControl>(std::move(cancelled));
}

} // namespace qv::trakhand
