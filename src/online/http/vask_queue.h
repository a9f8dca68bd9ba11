// Where platform services leave their answers for game code: a queue of
// event maps, which the asynchronous pass announces with "other" event 66
// (game code reads the maps from iap_event_queue), and a queue of script
// calls, which it runs. Both are drained on the main thread at the start of
// the pass, before the HTTP client's poll. Services post on the main thread.
#pragma once

#include <cstdint>
#include <span>

#include "script/value.h"

namespace bw {

inline constexpr int32_t kPlatformAsyncEvent = 66;

// Queues the map's id and marks event 66 due.
void Vask_PostAsyncEvent(int32_t map);
// Queues a call of the script with copies of the arguments.
void Vask_PostScriptCallback(int32_t script, std::span<const Value> args);
// Raises event 66 once when anything was posted since the last time.
void Vask_DispatchAsyncEvents();
// Runs every queued call; a run that fails is reported.
void Vask_DispatchScriptCallbacks();
// The id of the event queue, -1 until the first post.
int32_t Vask_EventQueue();
// Forgets both queues (their ids may be gone with the data structures).
void Vask_Queue_Reset();
// Puts both dispatches first among the asynchronous pass's pollers.
void Vask_Queue_Install();

}  // namespace bw
