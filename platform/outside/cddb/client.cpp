#include "platform/outside/cddb/client.h"

#include <algorithm>

#include "platform/outside/cddb/answer.h"
#include "platform/outside/cddb/transport.h"
#include "platform/outside/cddb/xmcd.h"

namespace qv::cddb {

namespace {

// The protocol splits the hello string at blanks, so a word keeps none.
std::string helloWord(const std::string& text, const char* fallback)
{
    std::string word = text.empty() ? fallback : text;
    for (char& c : word)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f)
            c = '_';
    return urlEscape(word);
}

// A header value holds no line break, so nothing can be smuggled after it.
std::string headerText(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return text;
}

// Something@somewhere without blanks or line breaks: it goes into a header.
bool isEmailAddress(const std::string& text)
{
    const auto at = text.find('@');
    return at != std::string::npos && at > 0 && at + 1 < text.size()
        && std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The refusal of a server that answered over HTTP but not with success.
[[noreturn]] void httpRefusal(const std::string& url, const HttpResponse& response)
{
    std::string said = response.body.substr(0, response.body.find_first_of("\r\n"));
    if (said.size() > 200 || !isValidUtf8(said) || said.starts_with("<")
        || std::any_of(said.begin(), said.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        said.clear();
    throw ComError(hr::kServer,
        "The disc database at " + hostOf(url) + " answered with HTTP status " + std::to_string(response.status)
            + (said.empty() ? "" : ": " + said) + ".");
}

// A proxy given as "user:password@host" shows its host alone.
std::string proxyHostShown(const std::string& proxyHost)
{
    const auto at = proxyHost.rfind('@');
    return at == std::string::npos ? proxyHost : proxyHost.substr(at + 1);
}

} // namespace

Client::Client(Options options, ClientIdentity identity)
    : options_(std::move(options))
    , identity_(std::move(identity))
{ }

void Client::setCancelCheck(CancelCheck check)
{
    cancel_ = std::move(check);
}

void Client::setLog(LogSink log)
{
    log_ = std::move(log);
}

QueryAnswer Client::query(const std::string& tocText)
{
    const auto toc = parseTocText(tocText);
    if (!toc)
        throw ComError(hr::kInvalidArgument,
            "The table of contents \"" + tocText.substr(0, 80) + "\" is not one the disc database can look up.");
    return parseQueryReply(command("cddb query " + toc->text()));
}

Disc Client::read(const std::string& category, const std::string& discId, const std::string& tocText)
{
    const bool categoryWord = !category.empty()
        && std::all_of(category.begin(), category.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    if (!categoryWord || !isDiscId(discId))
        throw ComError(hr::kInvalidArgument,
            "\"" + category.substr(0, 40) + " " + discId.substr(0, 40) + "\" names no disc of the disc database.");
    Disc disc = parseReadReply(command("cddb read " + category + " " + lowerCase(discId)), category, discId);
    if (!tocText.empty())
        disc.toc = tocText;
    return disc;
}

void Client::submit(const Disc& disc)
{
    const auto& known = categories();
    if (std::find(known.begin(), known.end(), disc.category) == known.end())
        throw ComError(hr::kInvalidArgument, "The disc needs one of the disc database's categories to be submitted.");
    if (!isEmailAddress(options_.email))
        throw ComError(hr::kInvalidArgument, "Submitting a disc needs your e-mail address in the options.");
    const std::string body = toXmcd(disc, identity_.client + " " + identity_.version);
    const std::string discId = parseTocText(disc.toc)->discId; // toXmcd has checked the TOC
    const std::string mode = options_.testSubmissions ? "test" : "submit";

    HttpRequest request;
    request.url = options_.submitUrl;
    request.post = true;
    request.headers
        = {"Category: " + disc.category, "Discid: " + discId, "User-Email: " + options_.email, "Submit-Mode: " + mode,
            "Charset: UTF-8", "X-Cddbd-Note: Sent by " + headerText(identity_.client + " " + identity_.version),
            "Content-Type: text/plain; charset=UTF-8", "Expect:"};
    request.body = body;
    parseSubmitReply(exchange(request,
        "POST " + redactedUrl(request.url) + " Category: " + disc.category + ", Discid: " + discId
            + ", Submit-Mode: " + mode));
}

std::string Client::messageOfTheDay()
{
    return parseMotdReply(command("motd"));
}

std::string Client::command(const std::string& words)
{
    std::string cmd;
    for (std::size_t pos = 0; pos < words.size();) {
        const auto end = std::min(words.find(' ', pos), words.size());
        if (end > pos)
            cmd += (cmd.empty() ? "" : "+") + urlEscape(words.substr(pos, end - pos));
        pos = end + 1;
    }
    HttpRequest request;
    request.url = options_.serverUrl + (options_.serverUrl.find('?') == std::string::npos ? "?" : "&") + "cmd=" + cmd
        + "&hello=" + helloWord(identity_.user, "user") + "+" + helloWord(identity_.host, "localhost") + "+"
        + helloWord(identity_.client, "Quorvel") + "+" + helloWord(identity_.version, "0") + "&proto=6";
    return exchange(request, "GET " + redactedUrl(request.url));
}

std::string Client::exchange(const HttpRequest& request, const std::string& logLine)
{
    if (log_)
        log_(options_.proxyHost.empty() ? logLine
                                        : logLine + " (through the proxy " + proxyHostShown(options_.proxyHost) + ":"
                    + std::to_string(options_.proxyPort) + ")");
    HttpResponse response = HttpTransport(options_, cancel_).perform(request);
    if (response.status < 200 || response.status > 299)
        httpRefusal(request.url, response);
    return std::move(response.body);
}

} // namespace qv::cddb
