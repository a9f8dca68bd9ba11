#include "online/http/http_client.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <thread>

#include "host/http_transfer.h"
#include "platform/console.h"

namespace bw {

namespace {

// What a worker thread shares with the main thread: the thread writes only
// the result and then done; the main thread reads the result after done.
struct Transfer {
    HttpTransferRequest request;
    HttpTransferResult result;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
};

struct Worker {
    std::thread thread;
    CHttpRequest* request;
    std::shared_ptr<Transfer> transfer;
};

struct HttpClient {
    std::vector<Worker> workers;
    std::deque<CHttpRequest*> waiting;  // oldest first
};
// Never destroyed: requests on the asynchronous list outlive statics.
HttpClient& Client()
{
    static HttpClient& client = *new HttpClient;
    return client;
}

}  // namespace

// The client's hands on a request's private parts.
struct HttpClientAccess {
    static void Start(CHttpRequest& request)
    {
        auto transfer = std::make_shared<Transfer>();
        transfer->request = {request.m_url, request.m_post, request.m_body};
        request.status = kHttpSent;
        std::thread thread([transfer] {
            HttpTransfer_Run(transfer->request, transfer->result, transfer->cancel);
            transfer->done.store(true);
        });
        Client().workers.push_back({std::move(thread), &request, std::move(transfer)});
    }
    static void Finish(CHttpRequest& request, HttpTransferResult& result) { request.Finish(result); }
    static bool IsPost(const CHttpRequest& request) { return request.m_post; }
};

namespace {

void StartWaiting()
{
    HttpClient& client = Client();
    while (static_cast<int32_t>(client.workers.size()) < kHttpMaxThreads && !client.waiting.empty()) {
        CHttpRequest* request = client.waiting.front();
        client.waiting.pop_front();
        HttpClientAccess::Start(*request);
    }
}

}  // namespace

CHttpRequest::CHttpRequest(std::string url, bool post, std::string body)
    : m_url(std::move(url)), m_post(post), m_body(std::move(body))
{
}

CHttpRequest::~CHttpRequest()
{
    HttpClient& client = Client();
    std::erase(client.waiting, this);
    auto worker = std::find_if(client.workers.begin(), client.workers.end(),
                               [this](const Worker& entry) { return entry.request == this; });
    if (worker == client.workers.end()) return;
    worker->transfer->cancel.store(true);
    worker->thread.join();
    // The freed place goes to a waiting request at the next poll, not now:
    // at game end every request is being destroyed.
    client.workers.erase(worker);
}

std::string CHttpRequest::DataText() const
{
    const auto end = std::find(m_data.begin(), m_data.end(), uint8_t{0});
    return std::string(m_data.begin(), end);
}

void CHttpRequest::Finish(HttpTransferResult& result)
{
    m_failed = result.failed;
    m_httpStatus = result.httpStatus;
    m_data = std::move(result.body);
    status = kAsyncFinished;
}

int32_t Http_Start(std::unique_ptr<CHttpRequest> request)
{
    HttpTransfer_GlobalInit();
    AsyncRequest_AddPoller(&Http_Poll);
    CHttpRequest& added = static_cast<CHttpRequest&>(*AsyncRequest_Add(std::move(request)));
    if (Http_RunningCount() < kHttpMaxThreads) {
        HttpClientAccess::Start(added);
    } else {
        added.status = HttpClientAccess::IsPost(added) ? kHttpWaitingPost : kHttpWaitingGet;
        Client().waiting.push_back(&added);
    }
    return added.Id();
}

void Http_Poll()
{
    std::vector<Worker>& workers = Client().workers;
    for (size_t i = 0; i < workers.size();) {
        if (!workers[i].transfer->done.load()) {
            ++i;
            continue;
        }
        Worker ended = std::move(workers[i]);
        workers.erase(workers.begin() + static_cast<std::ptrdiff_t>(i));
        ended.thread.join();
        HttpTransferResult& result = ended.transfer->result;
        if (!result.error.empty()) Console().Printf("HttpError:%s\n", result.error.c_str());
        HttpClientAccess::Finish(*ended.request, result);
    }
    StartWaiting();
}

int32_t Http_RunningCount()
{
    return static_cast<int32_t>(Client().workers.size());
}

}  // namespace bw
