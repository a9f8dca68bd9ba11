#include "online/http/vask_queue.h"

#include <algorithm>
#include <vector>

#include "library/ds.h"
#include "online/dialogs/async_requests.h"
#include "script/error_report.h"
#include "script/resource_seams.h"
#include "world/run_step.h"

namespace bw {

namespace {

// Posts come from the main thread: the data structures they go into are
// not shared with other threads.
struct VaskQueues {
    int32_t events = -1;
    int32_t callbacks = -1;
    bool pending = false;
};
VaskQueues& Queues()
{
    static VaskQueues queues;
    return queues;
}

int32_t EnsureQueue(int32_t& queue)
{
    if (queue < 0) queue = DS_Queue_Create();
    return queue;
}

void EnqueueValue(int32_t queue, const Value& value)
{
    const DSQueueItem item{Value_Kind(value) == kValueReal ? value.real : 0.0,
                           Value_Kind(value) == kValueString ? Value_String(value) : nullptr};
    DS_Queue_EnqueueValues(queue, {&item, 1});
}

void EnqueueReal(int32_t queue, double real)
{
    const DSQueueItem item{real, nullptr};
    DS_Queue_EnqueueValues(queue, {&item, 1});
}

// The next entry as a real; false when the queue is empty or it is a text.
bool DequeueReal(int32_t queue, double* real)
{
    Value entry{};
    if (!DS_Queue_Dequeue(queue, &entry)) return false;
    const bool isReal = Value_Kind(entry) == kValueReal;
    *real = entry.real;
    Value_Free(entry);
    return isReal;
}

}  // namespace

void Vask_PostAsyncEvent(int32_t map)
{
    VaskQueues& queues = Queues();
    queues.pending = true;
    EnqueueReal(EnsureQueue(queues.events), map);
}

void Vask_PostScriptCallback(int32_t script, std::span<const Value> args)
{
    VaskQueues& queues = Queues();
    const int32_t queue = EnsureQueue(queues.callbacks);
    EnqueueReal(queue, script);
    EnqueueReal(queue, static_cast<double>(args.size()));
    for (const Value& arg : args) EnqueueValue(queue, arg);
}

void Vask_DispatchAsyncEvents()
{
    VaskQueues& queues = Queues();
    if (!queues.pending) return;
    Run_PerformListedOther(kPlatformAsyncEvent);
    queues.pending = false;
}

void Vask_DispatchScriptCallbacks()
{
    VaskQueues& queues = Queues();
    const int32_t queue = queues.callbacks;
    while (DS_Queue_Size(queue) > 0) {
        double script = -1;
        if (!DequeueReal(queue, &script) || script < 0) continue;
        double count = 0;
        DequeueReal(queue, &count);
        std::vector<Value> args(static_cast<size_t>(std::max(0.0, count)));
        for (Value& arg : args) {
            if (!DS_Queue_Dequeue(queue, &arg)) break;
        }
        Value result{};
        Code_Error_ClearPending();
        Script_Execute(static_cast<int32_t>(script), nullptr, nullptr, static_cast<int32_t>(args.size()), &result,
                       args.data());
        if (Code_Error_HasPending()) Code_Error_Runtime(Code_Error_PendingMessage(), false);
        Value_Free(result);
        for (Value& arg : args) Value_Free(arg);
    }
}

int32_t Vask_EventQueue()
{
    return Queues().events;
}

void Vask_Queue_Reset()
{
    Queues() = VaskQueues{};
}

void Vask_Queue_Install()
{
    AsyncRequest_AddPoller(&Vask_DispatchAsyncEvents);
    AsyncRequest_AddPoller(&Vask_DispatchScriptCallbacks);
}

}  // namespace bw
