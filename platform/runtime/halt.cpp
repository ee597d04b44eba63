#include "platform/runtime/halt.h"

#include <cstdio>
#include <cstdlib>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/scheduler.h"

namespace qv::rt {
namespace {
std::function<void(int, const std::string&)>& handler()
{
    static std::function<void(int, const std::string&)> h;
    return h;
}
} // namespace

void setHaltHandler(std::function<void(int, const std::string&)> h)
{
    handler() = std::move(h);
}

void halt(int code, const std::string& text)
{
    if (handler()) {
        handler()(code, text);
        throw Halted(code, text);
    }
    if (!text.empty()) {
        std::fprintf(stderr, "%s\n", text.c_str());
        if (Scheduler::instance().current() != 0)
            message(text, "Halt", Icon::Hand);
    }
    std::fflush(nullptr);
    std::_Exit(code == 0 ? 1 : code);
}

} // namespace qv::rt
