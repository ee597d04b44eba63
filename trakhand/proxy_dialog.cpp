#include "trakhand/proxy_dialog.h"

#include <charconv>
#include <optional>

#include "platform/runtime/dialogs.h"
#include "trakhand/windows/ProxySettings.h"

namespace qv::trakhand {

namespace win = ctl::ProxySettings;

namespace {

// A decimal integer, blanks around it and a sign allowed, that fits 32 bits.
std::optional<int> integerOf(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+')
        ++begin;
    int value = 0;
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

bool runProxyDialog(const ProxySettings& initial, const std::function<void(const ProxySettings&)>& accept)
{
    const auto window = rt::Window::load("trakhand", "ProxySettings");
    rt::Window& w = *window;
    w.open();
    w[win::Host].setValue(initial.host);
    w[win::Password].setValue(initial.password);
    w[win::Port].setValue(std::to_string(initial.port));
    w[win::UserName].setValue(initial.userName);
    const bool accepted = rt::runDialog(w, {win::Cancel}, [&](const rt::Event& e) {
        if (e.code != rt::event::Accepted || e.control != win::OK.number)
            return false;
        const std::optional<int> port = integerOf(w[win::Port].value());
        if (!port) {
            rt::message("Please enter an integer.", "Trakhand");
            w.select(w[win::Port]);
            return false;
        }
        accept({w[win::Host].value(), *port, w[win::UserName].value(), w[win::Password].value()});
        return true;
    });
    w.close();
    return accepted;
}

} // namespace qv::trakhand
