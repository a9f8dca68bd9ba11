// The one list of requests whose answers arrive later: asynchronous
// dialogs, HTTP transfers, sprites from web addresses, platform-service and
// Steam results. Each kind derives from CAsyncRequest; once a request's
// status is kAsyncFinished, the asynchronous pass of the game step
// completes it on the main thread: the completion builds the result map,
// which game code sees as async_load during the "other" event the
// completion names, and the map is destroyed after that event.
//
// Adding a kind: derive from CAsyncRequest, fill the answer and set the
// status to kAsyncFinished when it is there, and build the map in
// Complete(); a kind that must look at something every step (a worker
// thread's end, a service queue) registers a poller.
#pragma once

#include <cstdint>
#include <memory>

namespace bw {

// Request states (kinds may use their own in between).
inline constexpr uint32_t kAsyncRunning = 1;
inline constexpr uint32_t kAsyncFinished = 7;

// The first number of the asynchronous "other" events.
inline constexpr int32_t kAsyncEventFirst = 60;

class CAsyncRequest {
public:
    // Takes the next request id: 0 for the first of the run, then one more
    // for each request made.
    CAsyncRequest();
    virtual ~CAsyncRequest() = default;
    CAsyncRequest(const CAsyncRequest&) = delete;
    CAsyncRequest& operator=(const CAsyncRequest&) = delete;

    int32_t Id() const { return m_id; }
    uint32_t status = kAsyncRunning;

    // Builds the result map (its id into *asyncMap, or leaves -1) and
    // returns the "other" event number to raise; below 60 raises none.
    virtual int32_t Complete(int32_t* asyncMap) = 0;
    // Runs after the event and the map's destruction, just before the
    // request is destroyed.
    virtual void Cleanup() {}

private:
    int32_t m_id;
};

// Puts a request on the list (newest first); the list owns it.
CAsyncRequest* AsyncRequest_Add(std::unique_ptr<CAsyncRequest> request);
// The request with that id on the list, or null.
CAsyncRequest* AsyncRequest_Find(int32_t id);
// Takes a request off the list without completing it and destroys it.
void AsyncRequest_Drop(int32_t id);
// Destroys every request without completing it (game end, tests).
void AsyncRequest_FreeAll();
int32_t AsyncRequest_Count();
// The id the next request will take.
int32_t AsyncRequest_NextId();

// Work looked at at the start of every pass, in registration order, before
// finished requests are completed. A poller is registered once.
void AsyncRequest_AddPoller(void (*poll)());

// The asynchronous pass of the game step: the pollers, then every finished
// request in list order is taken off the list and completed. A room change
// asked by one of its events ends it: the rest wait for the next pass.
void Run_HandleAsyncPass();
// Raises "other" event number on every instance, for the asynchronous
// numbers game code may have events for (60..64, 67, 69, 70).
void Run_HandleAsync(int32_t eventNumber);

}  // namespace bw
