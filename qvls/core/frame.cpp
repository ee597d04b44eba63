#include "qvls/core/frame.h"

#include "platform/runtime/window.h"

namespace qv::qvls {

void Main()
{
    auto frame = rt::Window::load("qvls", "Main");
    frame->open();
    for (;;) {
        const rt::Event e = frame->waitEvent();
        if (e.code == rt::event::CloseWindow)
            break;
    }
    frame->close();
}

} // namespace qv::qvls
