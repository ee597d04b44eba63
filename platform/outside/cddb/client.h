#pragma once
// The CDDB protocol (level 6, UTF-8) over HTTP: query, read and submit
// against the server the options name. Every answer is parsed defensively;
// a failure throws ComError with a sentence the user can read. The calls
// let the program's other threads and windows run while they wait, and end
// early with hr::kCancelled when the cancel check says so.

#include <functional>
#include <string>
#include <vector>

#include "platform/outside/cddb/control.h"

namespace qv::cddb {

struct HttpRequest;

// One line of a query answer: the disc's category, id and "Artist / Title".
struct QueryMatch {
    std::string category, discId, title;
};

struct QueryAnswer {
    int code = 0; // 200 exact, 210 several exact, 211 inexact, 202 none
    std::vector<QueryMatch> matches;
};

// Who is asking, for the hello string: "hello=<user>+<host>+<client>+<version>".
struct ClientIdentity {
    std::string user, host, client = "Quorvel", version = "2.61";
};

class Client
{
public:
    using CancelCheck = std::function<bool()>;
    using LogSink = std::function<void(const std::string&)>; // each request, credentials left out

    Client(Options options, ClientIdentity identity);

    void setCancelCheck(CancelCheck check);
    void setLog(LogSink log);

    // "cddb query <toc text>".
    QueryAnswer query(const std::string& tocText);
    // "cddb read <category> <disc id>": the disc's xmcd record. The TOC text
    // is kept on the disc.
    Disc read(const std::string& category, const std::string& discId, const std::string& tocText);
    // POST of the disc as xmcd to the submit address, with its category,
    // disc id, the user's e-mail and the submit mode.
    void submit(const Disc& disc);
    // "motd": the server's message of the day.
    std::string messageOfTheDay();

private:
    // The answer of one protocol command ("cddb query ...", "motd").
    std::string command(const std::string& words);
    std::string exchange(const HttpRequest& request, const std::string& logLine);

    Options options_;
    ClientIdentity identity_;
    CancelCheck cancel_;
    LogSink log_;
};

// The partial disc a match stands for in a match list: its category, disc
// id, artist and title.
Disc matchedDisc(const QueryMatch& match);

// The xmcd record of a disc, as submitted and as read.
std::string toXmcd(const Disc& disc);
// Throws ComError(hr::kBadAnswer) when the text is no xmcd record.
Disc fromXmcd(const std::string& text);

// The 11 categories of the protocol, in its order.
const std::vector<std::string>& categories();

} // namespace qv::cddb
