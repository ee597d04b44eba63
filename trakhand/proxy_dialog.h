#pragma once
// The proxy settings dialog that "/P" shows before the control is set up.

#include <functional>
#include <string>

namespace qv::trakhand {

struct ProxySettings {
    std::string host;
    int port = 0;
    std::string userName, password;
};

// Shows the dialog on the running thread, its fields filled from `initial`.
// OK with a port that is a decimal integer hands the fields to accept and
// closes; any other port says "Please enter an integer." and keeps the
// dialog open. Cancel closes it and hands over nothing. True after OK.
bool runProxyDialog(const ProxySettings& initial, const std::function<void(const ProxySettings&)>& accept);

} // namespace qv::trakhand
