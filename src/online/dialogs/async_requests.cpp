#include "online/dialogs/async_requests.h"

#include <algorithm>
#include <vector>

#include "library/ds_map.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/run_requests.h"

namespace bw {

namespace {

struct AsyncRequestList {
    // Oldest first: "list order" (newest first) walks it backwards.
    std::vector<std::unique_ptr<CAsyncRequest>> requests;
    std::vector<void (*)()> pollers;
    int32_t nextId = 0;
};
// Never destroyed: requests outlive the order in which statics go at exit.
AsyncRequestList& List()
{
    static AsyncRequestList& list = *new AsyncRequestList;
    return list;
}

std::unique_ptr<CAsyncRequest> Take(int32_t id)
{
    auto& requests = List().requests;
    auto found = std::find_if(requests.begin(), requests.end(),
                              [id](const std::unique_ptr<CAsyncRequest>& request) { return request->Id() == id; });
    if (found == requests.end()) return nullptr;
    std::unique_ptr<CAsyncRequest> request = std::move(*found);
    requests.erase(found);
    return request;
}

bool RaisedAsEvent(int32_t eventNumber)
{
    return (eventNumber >= 60 && eventNumber <= 64) || eventNumber == 67 || eventNumber == 69 || eventNumber == 70;
}

void CompleteRequest(CAsyncRequest& request)
{
    int32_t& asyncLoad = Event_Current().asyncLoad;
    asyncLoad = -1;
    const int32_t eventNumber = request.Complete(&asyncLoad);
    const int32_t map = asyncLoad;
    const uint64_t made = DS_MapPool().Serial(map);
    if (eventNumber >= kAsyncEventFirst) {
        Run_HandleAsync(eventNumber);
    }
    // Game code may have destroyed the map and made one of its own under
    // its id: only the map made for the event goes.
    if (made != 0 && DS_MapPool().Serial(map) == made) {
        DS_MapPool().Destroy(map);
    }
    asyncLoad = -1;
    request.Cleanup();
}

}  // namespace

CAsyncRequest::CAsyncRequest() : m_id(List().nextId++) {}

CAsyncRequest* AsyncRequest_Add(std::unique_ptr<CAsyncRequest> request)
{
    List().requests.push_back(std::move(request));
    return List().requests.back().get();
}

CAsyncRequest* AsyncRequest_Find(int32_t id)
{
    for (const std::unique_ptr<CAsyncRequest>& request : List().requests) {
        if (request->Id() == id) return request.get();
    }
    return nullptr;
}

void AsyncRequest_Drop(int32_t id)
{
    Take(id).reset();
}

void AsyncRequest_FreeAll()
{
    // The requests leave the list before any is destroyed, so a destructor
    // that looks for others (a dialog opening the next) finds none half gone.
    std::vector<std::unique_ptr<CAsyncRequest>> requests = std::move(List().requests);
    List().requests.clear();
    requests.clear();
}

int32_t AsyncRequest_Count()
{
    return static_cast<int32_t>(List().requests.size());
}

int32_t AsyncRequest_NextId()
{
    return List().nextId;
}

void AsyncRequest_AddPoller(void (*poll)())
{
    std::vector<void (*)()>& pollers = List().pollers;
    if (std::find(pollers.begin(), pollers.end(), poll) == pollers.end()) pollers.push_back(poll);
}

void Run_HandleAsyncPass()
{
    // Once an event asks for a room change no other can run in this step:
    // what is not handed out yet stays for the next pass. Pollers are walked
    // by index, as one may register another.
    const std::vector<void (*)()>& pollers = List().pollers;
    for (size_t i = 0; i < pollers.size() && !Run_RequestPending(); ++i) pollers[i]();
    // Events may add requests or answer others; only those finished now are
    // completed in this pass, each looked up again before it runs.
    std::vector<int32_t> finished;
    const auto& requests = List().requests;
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
        if ((*it)->status == kAsyncFinished) finished.push_back((*it)->Id());
    }
    for (int32_t id : finished) {
        if (Run_RequestPending()) return;
        std::unique_ptr<CAsyncRequest> request = Take(id);
        if (request != nullptr) CompleteRequest(*request);
    }
}

void Run_HandleAsync(int32_t eventNumber)
{
    if (RaisedAsEvent(eventNumber)) {
        Event_PerformAll(kEventOther, eventNumber);
    }
}

}  // namespace bw
