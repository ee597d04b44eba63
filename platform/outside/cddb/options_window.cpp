// The options dialog: server, submissions, proxy and time-outs.

#include <charconv>

#include "cddb/windows/CddbOptions.h"
#include "platform/outside/cddb/service_windows.h"
#include "platform/text/case.h"

namespace qv::cddb {

namespace {

namespace W = ctl::CddbOptions;

constexpr int kMaxTimeoutSeconds = 999;

// A whole number from low to high, or none.
std::optional<int> number(const std::string& text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

bool isWebAddress(const std::string& url)
{
    const std::string lower = text::lower(url);
    return (lower.starts_with("http://") && url.size() > 7) || (lower.starts_with("https://") && url.size() > 8);
}

class OptionsWindow
{
public:
    explicit OptionsWindow(Options& options)
        : options_(options)
        , w_(detail::loadWindow(W::kWindow))
    { }

    bool run()
    {
        show();
        w_->open();
        const bool accepted = rt::runDialog(*w_, {W::Cancel}, [this](const rt::Event& e) {
            return e.code == rt::event::Accepted && e.control == W::OK.number && take();
        });
        w_->close();
        return accepted;
    }

private:
    rt::Control& c(rt::ControlId id) const { return (*w_)[id]; }

    void show()
    {
        c(W::ServerUrl).setValue(options_.serverUrl);
        c(W::SubmitUrl).setValue(options_.submitUrl);
        c(W::Email).setValue(options_.email);
        c(W::SubmitMode).setValue(options_.testSubmissions ? "test" : "submit");
        c(W::SubmitMode).setSelected(options_.testSubmissions ? 1 : 2);
        c(W::ProxyHost).setValue(options_.proxyHost);
        c(W::ProxyPort).setValue(options_.proxyPort ? std::to_string(options_.proxyPort) : std::string());
        c(W::ProxyUser).setValue(options_.proxyUser);
        c(W::ProxyPassword).setValue(options_.proxyPassword);
        c(W::ConnectTimeout).setValue(std::to_string(options_.connectTimeoutSeconds));
        c(W::TransferTimeout).setValue(std::to_string(options_.transferTimeoutSeconds));
    }

    // Reads the entries into the options; false, with the entry at fault
    // chosen, while one of them cannot be used.
    bool take()
    {
        Options o = options_;
        o.serverUrl = detail::entered(c(W::ServerUrl));
        o.submitUrl = detail::entered(c(W::SubmitUrl));
        o.email = detail::entered(c(W::Email));
        o.testSubmissions = c(W::SubmitMode).value() != "submit";
        o.proxyHost = detail::entered(c(W::ProxyHost));
        o.proxyUser = c(W::ProxyUser).value();
        o.proxyPassword = c(W::ProxyPassword).value();
        const std::string port = detail::entered(c(W::ProxyPort));
        const std::optional<int> portNumber = port.empty() ? 0 : number(port, 0, 65535);
        const std::optional<int> connect = number(detail::entered(c(W::ConnectTimeout)), 1, kMaxTimeoutSeconds);
        const std::optional<int> transfer = number(detail::entered(c(W::TransferTimeout)), 1, kMaxTimeoutSeconds);
        if (!isWebAddress(o.serverUrl))
            return refuse(
                W::ServerUrl, "The lookup address is a web address, as http://gnudb.gnudb.org/~cddb/cddb.cgi.");
        if (!isWebAddress(o.submitUrl))
            return refuse(
                W::SubmitUrl, "The submission address is a web address, as http://gnudb.gnudb.org/~cddb/submit.cgi.");
        if (!o.email.empty() && !detail::looksLikeEmail(o.email))
            return refuse(W::Email, "Please enter your e-mail address, as name@example.org, or leave it blank.");
        if (!portNumber)
            return refuse(W::ProxyPort, "The proxy port is a number from 0 to 65535.");
        if (!connect)
            return refuse(W::ConnectTimeout, "A time-out is a number of seconds from 1 to 999.");
        if (!transfer)
            return refuse(W::TransferTimeout, "A time-out is a number of seconds from 1 to 999.");
        o.proxyPort = *portNumber;
        o.connectTimeoutSeconds = *connect;
        o.transferTimeoutSeconds = *transfer;
        options_ = std::move(o);
        return true;
    }

    bool refuse(rt::ControlId id, const std::string& why)
    {
        tell(why);
        w_->select(c(id));
        return false;
    }

    Options& options_;
    std::unique_ptr<rt::Window> w_;
};

} // namespace

bool editOptions(Options& options)
{
    return OptionsWindow(options).run();
}

} // namespace qv::cddb
