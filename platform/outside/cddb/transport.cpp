#include "platform/outside/cddb/transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/outside/cddb/xmcd.h"
#include "platform/runtime/scheduler.h"

namespace qv::cddb {

namespace {

// How long one wait for the socket lasts before the other threads get a turn.
constexpr int kPollMilliseconds = 10;

void initCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Received {
    std::string body;
    bool tooLarge = false;
};

std::size_t receive(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    if (received->body.size() + bytes > kMaxAnswerBytes) {
        received->tooLarge = true;
        return 0;
    }
    received->body.append(data, bytes);
    return bytes;
}

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Headers = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;
using Url = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// The easy handle inside a multi handle for as long as the transfer runs.
class MultiTransfer
{
public:
    explicit MultiTransfer(CURL* easy)
        : multi_(curl_multi_init())
        , easy_(easy)
    {
        if (!multi_)
            throw ComError(hr::kOutOfMemory, "The network library could not start a request.");
        curl_multi_add_handle(multi_, easy_);
    }
    ~MultiTransfer()
    {
        curl_multi_remove_handle(multi_, easy_);
        curl_multi_cleanup(multi_);
    }
    MultiTransfer(const MultiTransfer&) = delete;
    MultiTransfer& operator=(const MultiTransfer&) = delete;

    // Drives the transfer until it ends; the result code of the transfer.
    CURLcode run(const std::function<bool()>& cancelled)
    {
        auto& scheduler = rt::Scheduler::instance();
        while (true) {
            if (cancelled && cancelled())
                throw ComError(hr::kCancelled, "The request to the disc database was cancelled.");
            int running = 0;
            if (const CURLMcode mc = curl_multi_perform(multi_, &running); mc != CURLM_OK)
                throw ComError(
                    hr::kNetwork, std::string("The network library failed: ") + curl_multi_strerror(mc) + ".");
            if (running == 0)
                break;
            curl_multi_poll(multi_, nullptr, 0, kPollMilliseconds, nullptr);
            if (scheduler.current() != 0)
                scheduler.yield();
        }
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &left))
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy_)
                return msg->data.result;
        return CURLE_FAILED_INIT;
    }

private:
    CURLM* multi_;
    CURL* easy_;
};

void setUp(CURL* easy, const Options& options)
{
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(std::max(options.connectTimeoutSeconds, 1)));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, static_cast<long>(std::max(options.transferTimeoutSeconds, 1)));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Quorvel/2.61");
    // The options are the one word on proxies: none set means none used,
    // whatever the environment says.
    curl_easy_setopt(easy, CURLOPT_PROXY, options.proxyHost.c_str());
    if (!options.proxyHost.empty()) {
        if (options.proxyPort > 0)
            curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(options.proxyPort));
        if (!options.proxyUser.empty()) {
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, options.proxyUser.c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, options.proxyPassword.c_str());
        }
    }
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

HttpTransport::HttpTransport(const Options& options, std::function<bool()> cancelled)
    : options_(options)
    , cancelled_(std::move(cancelled))
{ }

HttpResponse HttpTransport::perform(const HttpRequest& request) const
{
    initCurl();
    Easy easy(curl_easy_init(), &curl_easy_cleanup);
    if (!easy)
        throw ComError(hr::kOutOfMemory, "The network library could not start a request.");
    setUp(easy.get(), options_);
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(easy.get(), CURLOPT_URL, request.url.c_str());
    Received received;
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &receive);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &received);
    Headers headers(nullptr, &curl_slist_free_all);
    for (const auto& header : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), header.c_str());
        if (!grown)
            throw ComError(hr::kOutOfMemory, "The network library could not start a request.");
        headers.release();
        headers.reset(grown);
    }
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    if (request.post) {
        curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }

    CURLcode result;
    {
        MultiTransfer transfer(easy.get());
        result = transfer.run(cancelled_);
    }
    const std::string host = hostOf(request.url);
    if (received.tooLarge)
        throw ComError(hr::kBadAnswer, "The answer of the disc database at " + host + " is larger than 1 MiB.");
    if (result != CURLE_OK) {
        const std::string reason = error[0] ? firstLine(error) : curl_easy_strerror(result);
        if (result == CURLE_OPERATION_TIMEDOUT)
            throw ComError(hr::kNetwork, "The disc database at " + host + " did not answer in time: " + reason + ".");
        throw ComError(hr::kNetwork, "The disc database at " + host + " could not be reached: " + reason + ".");
    }
    HttpResponse response;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &response.status);
    response.body = std::move(received.body);
    return response;
}

std::string urlEscape(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
            || c == '.' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string redactedUrl(const std::string& url)
{
    Url parsed(curl_url(), &curl_url_cleanup);
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        // Not an address curl reads; keep nothing that might hold a password.
        const auto at = url.find('@');
        return at == std::string::npos ? url : "(address)";
    }
    curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0);
    char* text = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_URL, &text, 0) != CURLUE_OK)
        return "(address)";
    std::string out(text);
    curl_free(text);
    return out;
}

std::string hostOf(const std::string& url)
{
    Url parsed(curl_url(), &curl_url_cleanup);
    char* host = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK
        || curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
        return {};
    std::string out(host);
    curl_free(host);
    return out;
}

} // namespace qv::cddb
