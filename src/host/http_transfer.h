// One HTTP GET or POST on libcurl, run to its end on the calling thread (a
// worker of the online HTTP client). Redirects are followed and TLS
// certificates verified.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

struct HttpTransferRequest {
    std::string url;
    bool post = false;
    std::string body;  // POST only, sent as a form
};

struct HttpTransferResult {
    bool failed = false;
    int32_t httpStatus = 0;  // of the final response; 0 when none came or the transfer failed
    std::vector<uint8_t> body;
    // "<call>: <reason>\n" for a failure, empty otherwise.
    std::string error;
};

// How long a transfer may go on: one that moves fewer than
// lowSpeedBytesPerSecond for lowSpeedSeconds (a server that stopped
// answering) or lasts longer than totalMilliseconds fails, so its worker
// ends and frees its place.
struct HttpTransferLimits {
    long lowSpeedBytesPerSecond = 1;
    long lowSpeedSeconds = 60;
    long totalMilliseconds = 10L * 60 * 1000;
};

// The limits transfers started from now on keep; tests shorten them.
void HttpTransfer_SetLimits(const HttpTransferLimits& limits);
HttpTransferLimits HttpTransfer_Limits();

// Readies the library once; call on the main thread before the first worker
// starts (later calls do nothing).
void HttpTransfer_GlobalInit();

// The address with what a URL may not hold as it stands escaped as %XX in
// its path, query and fragment: spaces, control characters, bytes past
// ASCII ("Zoë" is sent as "Zo%C3%AB") and the other unsafe characters;
// escapes already there are kept, a '%' that starts none is escaped.
std::string HttpTransfer_EscapeUrl(std::string_view url);

// The address as it is fetched, escaped: a GET to port 443 goes over TLS even when
// the address says http, as the runner always did; a POST keeps its
// scheme; a name or password in it is left out. Empty when the address
// cannot be parsed.
std::string HttpTransfer_EffectiveUrl(const HttpTransferRequest& request);

// Runs the transfer. Setting cancel ends it within a few milliseconds as a
// failure.
void HttpTransfer_Run(const HttpTransferRequest& request, HttpTransferResult& result,
                      const std::atomic<bool>& cancel);

}  // namespace bw
