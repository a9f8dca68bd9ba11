// HTTP requests of game code, worked by threads of their own: at most eight
// run at once, the others wait and start oldest first as threads free. A
// request is an asynchronous request whose kind (the HTTP built-ins, web
// sprites) builds the result map once the reply is in; the poller of the
// asynchronous pass sees a worker end and finishes its request.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "online/dialogs/async_requests.h"

namespace bw {

inline constexpr int32_t kHttpMaxThreads = 8;
// Request states beside the common ones: sent, waiting for a thread.
inline constexpr uint32_t kHttpSent = 5;
inline constexpr uint32_t kHttpWaitingPost = 8;
inline constexpr uint32_t kHttpWaitingGet = 9;

struct HttpTransferResult;

class CHttpRequest : public CAsyncRequest {
public:
    // A GET, or a POST of body as a form.
    CHttpRequest(std::string url, bool post, std::string body = {});
    // A request still on its thread is cancelled and its thread joined.
    ~CHttpRequest() override;

    const std::string& Url() const { return m_url; }
    // Valid once the request is finished.
    bool Failed() const { return m_failed; }
    int32_t HttpStatus() const { return m_httpStatus; }
    const std::vector<uint8_t>& Data() const { return m_data; }
    // The body up to its first zero byte.
    std::string DataText() const;

private:
    friend struct HttpClientAccess;
    void Finish(HttpTransferResult& result);

    std::string m_url;
    bool m_post;
    std::string m_body;
    bool m_failed = false;
    int32_t m_httpStatus = 0;
    std::vector<uint8_t> m_data;
};

// Puts the request on the asynchronous list and starts it, or leaves it
// waiting when eight run; answers its id.
int32_t Http_Start(std::unique_ptr<CHttpRequest> request);
// Finishes the requests whose threads have ended (a failure also prints
// "HttpError:" with its reason) and starts waiting ones in the freed places.
void Http_Poll();
int32_t Http_RunningCount();

}  // namespace bw
