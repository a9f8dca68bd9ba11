// The frame tick: waits until the next frame is due at the room's speed,
// counts frames per second, runs one game step inside a graphics frame,
// presents it and then serves the pending new-room request. Also the entry
// into the main loop, its stop, and the debugger's run, pause and step.
#pragma once

#include <cstdint>

namespace bw {

// 1 while the game runs; the start-up loop keeps calling Run_MainLoopTick
// while it is 1. Game end (-100), a stop (-400), Run_Stop and the window's
// quit message clear it.
extern uint8_t GameRunningFlag;

// One frame; returns the current room's speed (at least 1), or 60 when there
// is no room or when this frame ended the run.
int32_t Run_MainLoopTick();

// Starts the game unless it runs already, then (re)enters the main loop
// unpaused. The debugger's Run command calls it again while paused.
void Run_Start();
// Restarts the frame pacing and the frames-per-second count from now.
void Run_EnterMainLoop();
// Stops the run; without the "-debug" switch the game ends and the process
// is asked to quit.
void Run_Stop();

// The debugger holds the game: ticks still wait and count frames but run no
// step and draw nothing.
void Run_DebugPause();
bool Run_IsPaused();
// The debugger lets the game go on: unpaused, and when a game runs its
// frame pacing starts again from now.
void Run_DebugResume();
// One untimed step while paused and running.
void Run_DebugStepIfRequested();
void Run_DebugStep();

// Serves NewRoomRequest: a room index changes room, -200 restarts, -100 and
// -400 end the run (false); -1 does nothing.
bool Run_ServeNewRoomRequest();

// The window built-ins ask for the display to be reset at the next
// unpaused frame.
void Run_RequestDisplayReset();

// draw_enable_drawevent: when off the room is not drawn and frames are not
// presented.
void Run_SetDrawEvents(bool enabled);
bool Run_DrawEvents();

// Ends the run after this many more stepped frames, as game_end would
// (BW_TEST_FRAMES); 0 means no limit.
void Run_SetFrameLimit(int64_t frames);

// Back to the state of a process that never ran a game: not running, not
// paused, drawing on, no reset, no frame limit.
void Run_ResetLoopState();

}  // namespace bw
