// The control's about box.

#include "cddb/windows/CddbAbout.h"
#include "platform/outside/cddb/service_windows.h"

namespace qv::cddb {

namespace W = ctl::CddbAbout;

void showAboutBox(const std::string& serverUrl)
{
    std::unique_ptr<rt::Window> w = detail::loadWindow(W::kWindow);
    rt::Window& win = *w;
    win[W::Server].setText(serverUrl.empty() ? std::string("(none set)") : serverUrl);
    win.open();
    rt::runDialog(win, {W::OK}, [](const rt::Event&) { return false; });
    win.close();
}

} // namespace qv::cddb
