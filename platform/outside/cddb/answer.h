#pragma once
// The server's answers to the protocol's commands, read defensively: a
// refusal becomes ComError(hr::kServer) with the server's own words, an
// answer that is cut short, too large, not UTF-8 or not of the protocol's
// form becomes ComError(hr::kBadAnswer). No answer yields a wrong disc.

#include <string>
#include <string_view>
#include <vector>

#include "platform/outside/cddb/client.h"

namespace qv::cddb {

// A status line and, when its code says data follows (x1x), the lines up to
// the lone ".".
struct ServerReply {
    int code = 0;
    std::string text; // the status line after its code
    std::vector<std::string> body;
};
ServerReply splitReply(std::string_view answer);

QueryAnswer parseQueryReply(std::string_view answer);
// The record of the disc asked for; the answer must name that disc.
Disc parseReadReply(std::string_view answer, const std::string& category, const std::string& discId);
// Empty when the server has no message.
std::string parseMotdReply(std::string_view answer);
// Returns when the server took the submission.
void parseSubmitReply(std::string_view answer);

} // namespace qv::cddb
