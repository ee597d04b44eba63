#include "platform/runtime/printing.h"

namespace qv::rt {

namespace {
PrintService* installed = nullptr;
} // namespace

PrintService* printService()
{
    return installed;
}

void setPrintService(PrintService* service)
{
    installed = service;
}

} // namespace qv::rt
