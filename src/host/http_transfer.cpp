#include "host/http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "host/http_response.h"

namespace bw {

namespace {

// How long one wait for the network lasts before cancel is looked at again.
constexpr int kCancelCheckMilliseconds = 20;
constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 30;

std::mutex g_limitsLock;  // workers read the limits as they start
HttpTransferLimits g_limits;

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

size_t OnHeader(char* data, size_t size, size_t count, void* reader)
{
    static_cast<HttpResponseReader*>(reader)->OnHeaderLine(std::string_view(data, size * count));
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* reader)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(data);
    // A short count makes the library stop with a write error.
    return static_cast<HttpResponseReader*>(reader)->OnBody({bytes, size * count}) ? size * count : 0;
}

// The call of the runner's own vocabulary that a failure belongs to.
const char* CallName(CURLcode code)
{
    switch (code) {
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return "InternetCanonicalizeUrl";
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
        return "InternetConnect";
    case CURLE_SEND_ERROR:
        return "HttpSendRequest";
    default:
        return "InternetReadFile";
    }
}

void Fail(HttpTransferResult& result, const char* call, const char* reason)
{
    result.failed = true;
    result.error = std::string(call) + ": " + reason + "\n";
}

// Characters a URL holds as they stand: the unreserved and the reserved
// ones.
bool StandsInUrl(unsigned char c)
{
    const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return alphanumeric || std::string_view("-._~:/?#[]@!$&'()*+,;=").find(static_cast<char>(c)) !=
                               std::string_view::npos;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

std::string HttpTransfer_EscapeUrl(std::string_view url)
{
    // The host is left as it is: escaping cannot make a bad one good.
    const size_t scheme = url.find("://");
    const size_t authority = scheme == std::string_view::npos ? 0 : scheme + 3;
    const size_t path = std::min(url.find_first_of("/?#", authority), url.size());
    std::string escaped(url.substr(0, path));
    for (size_t i = path; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        const bool keptEscape = c == '%' && i + 2 < url.size() && IsHexDigit(url[i + 1]) && IsHexDigit(url[i + 2]);
        if (keptEscape || StandsInUrl(c)) {
            escaped += static_cast<char>(c);
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            escaped += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return escaped;
}

std::string HttpTransfer_EffectiveUrl(const HttpTransferRequest& request)
{
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    const std::string escaped = HttpTransfer_EscapeUrl(request.url);
    if (url == nullptr || curl_url_set(url.get(), CURLUPART_URL, escaped.c_str(), 0) != CURLUE_OK) return {};
    // A name and password written in the address are not sent: the
    // transfer would make them a Basic authorisation.
    curl_url_set(url.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0);
    char* port = nullptr;
    if (!request.post && curl_url_get(url.get(), CURLUPART_PORT, &port, 0) == CURLUE_OK) {
        if (std::string_view(port) == "443") curl_url_set(url.get(), CURLUPART_SCHEME, "https", 0);
        curl_free(port);
    }
    char* text = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) return {};
    std::string effective(text);
    curl_free(text);
    return effective;
}

namespace {

void Configure(CURL* easy, const std::string& url, const HttpTransferRequest& request, curl_slist* headers,
               HttpResponseReader& reader)
{
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    const HttpTransferLimits limits = HttpTransfer_Limits();
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, limits.totalMilliseconds);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Brackwell HTTP");
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &reader);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reader);
    if (request.post) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    }
}

}  // namespace

void HttpTransfer_SetLimits(const HttpTransferLimits& limits)
{
    std::lock_guard lock(g_limitsLock);
    g_limits = limits;
}

HttpTransferLimits HttpTransfer_Limits()
{
    std::lock_guard lock(g_limitsLock);
    return g_limits;
}

void HttpTransfer_GlobalInit()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

void HttpTransfer_Run(const HttpTransferRequest& request, HttpTransferResult& result,
                      const std::atomic<bool>& cancel)
{
    result = HttpTransferResult{};
    const std::string url = HttpTransfer_EffectiveUrl(request);
    if (url.empty()) {
        Fail(result, "InternetCanonicalizeUrl", "The URL is not valid");
        return;
    }
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    std::unique_ptr<curl_slist, ListDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
    if (easy == nullptr || multi == nullptr || headers == nullptr) {
        Fail(result, "InternetOpen", "Out of memory");
        return;
    }
    HttpResponseReader reader;
    Configure(easy.get(), url, request, headers.get(), reader);
    // The multi interface lets the wait be cut short when the run ends.
    curl_multi_add_handle(multi.get(), easy.get());
    int running = 1;
    while (running > 0 && !cancel.load()) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
        if (running > 0) curl_multi_poll(multi.get(), nullptr, 0, kCancelCheckMilliseconds, nullptr);
    }
    CURLcode code = CURLE_ABORTED_BY_CALLBACK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE) code = message->data.result;
    }
    curl_multi_remove_handle(multi.get(), easy.get());
    if (code != CURLE_OK) {
        // A status line may have come before the failure (a cut body, a
        // redirect loop): the game must not take it for a reply.
        Fail(result, CallName(code), cancel.load() ? "The operation was cancelled" : curl_easy_strerror(code));
        return;
    }
    result.httpStatus = reader.Status();
    result.body = std::move(reader.Body());
}

}  // namespace bw
