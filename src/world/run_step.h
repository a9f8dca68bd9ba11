// The game step: one frame's worth of events on the instances of the
// current room, in a fixed order of passes. After each pass the changes it
// queued (object changes, re-sorts, activations) are applied, and the step
// ends as soon as a new-room request is pending, so that the change takes
// effect before any later pass runs.
#pragma once

#include <cstdint>

namespace bw {

void Run_DoAStep();

// What every pass leaves to be done after it: object changes, instances to
// be put again at their depth, and (de)activations.
void Run_AfterPass();
// Start-up: nothing pending.
void Run_ResetPending();

// delta_time is measured from this time (the main-loop entry sets it).
void Run_SetPreviousStepTime(int64_t microseconds);

// Steps since the game started; read by room drawing and saved games.
int32_t Run_StepCounter();
void Run_SetStepCounter(int32_t steps);

// The passes, each over the instances of the objects that have the event
// (an instance made during a pass, a destroyed or a deactivated one is
// skipped).
void Run_HandleStep(int32_t kind);  // 1 begin, 0 normal, 2 end
void Run_HandleAlarms();
void Run_HandleTimelines();
// Moves the instances (or steps the physics world: then true).
bool Run_HandleMotion(bool anyPath);
// Outside room, intersect boundary, outside view, view boundary.
void Run_HandleOther();
// Other event number on the instances of the objects that have it, in the
// objects' list order: how asynchronous results reach game code.
void Run_PerformListedOther(int32_t number);

}  // namespace bw
