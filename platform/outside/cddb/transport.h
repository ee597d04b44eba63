#pragma once
// HTTP for the disc database through libcurl. A request runs on the calling
// thread but lets the program's other threads and windows go on while it
// waits; the cancel check ends it early. Failures are ComErrors the user can
// read: hr::kNetwork when the server was not reached or did not answer in
// time, hr::kBadAnswer when the answer outgrew its limit, hr::kCancelled.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outside/cddb/control.h"

namespace qv::cddb {

struct HttpRequest {
    std::string url;
    bool post = false;
    std::vector<std::string> headers; // "Name: value"
    std::string body;
};

struct HttpResponse {
    long status = 0;
    std::string body;
};

class HttpTransport
{
public:
    HttpTransport(const Options& options, std::function<bool()> cancelled);
    HttpResponse perform(const HttpRequest& request) const;

private:
    const Options& options_;
    std::function<bool()> cancelled_;
};

// Percent-encoding of one query argument.
std::string urlEscape(std::string_view text);
// The address without a user name or password in it, for logs and messages.
std::string redactedUrl(const std::string& url);
// The host an address names ("" when it names none).
std::string hostOf(const std::string& url);

} // namespace qv::cddb
