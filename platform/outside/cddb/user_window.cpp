// The sign-up: who uses the disc database.

#include "cddb/windows/CddbUser.h"
#include "platform/outside/cddb/service_windows.h"

namespace qv::cddb {

namespace W = ctl::CddbUser;

std::optional<ServiceUser> askServiceUser(const ServiceUser& start)
{
    std::unique_ptr<rt::Window> w = detail::loadWindow(W::kWindow);
    rt::Window& win = *w;
    win[W::Name].setValue(start.name);
    win[W::Email].setValue(start.email);
    win.open();
    win.select(win[start.name.empty() ? W::Name : W::Email]);
    std::optional<ServiceUser> answer;
    rt::runDialog(win, {W::Cancel}, [&](const rt::Event& e) {
        if (e.code != rt::event::Accepted || e.control != W::OK.number)
            return false;
        ServiceUser user{detail::entered(win[W::Name]), detail::entered(win[W::Email])};
        if (user.name.empty()) {
            tell("Please enter your name.");
            win.select(win[W::Name]);
            return false;
        }
        if (!detail::looksLikeEmail(user.email)) {
            tell("Please enter your e-mail address, as name@example.org.");
            win.select(win[W::Email]);
            return false;
        }
        answer = std::move(user);
        return true;
    });
    win.close();
    return answer;
}

} // namespace qv::cddb
