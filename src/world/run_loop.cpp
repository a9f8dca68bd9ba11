#include "world/run_loop.h"

#include "platform/console.h"
#include "platform/memory.h"
#include "platform/messages.h"
#include "platform/timer.h"
#include "world/game_state.h"
#include "world/object.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_clock.h"
#include "world/run_hooks.h"
#include "world/run_requests.h"
#include "world/run_room_change.h"
#include "world/run_step.h"
#include "world/run_test_controls.h"

namespace bw {

uint8_t GameRunningFlag = 0;

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1000000;
constexpr int32_t kSpeedWithoutRoom = 60;

struct FramePacing {
    int64_t frameDue = 0;     // when the previous frame's wait ended
    int64_t secondStart = 0;  // start of the whole second being counted
    int32_t framesThisSecond = 0;
};

FramePacing g_pacing;
bool g_paused = false;
bool g_displayResetRequested = false;
bool g_drawEvents = true;
int64_t g_framesLeft = 0;  // 0: no limit

// A room speed below 1 would divide by zero; the room keeps the repair.
int32_t CurrentRoomSpeed()
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return kSpeedWithoutRoom;
    }
    if (room->speed < 1) {
        room->speed = 1;
    }
    return room->speed;
}

// The wait that makes this frame start one frame time after the previous
// one; a late frame waits nothing and does not try to catch up.
int64_t FrameWait(int32_t speed, int64_t elapsed)
{
    double wait = static_cast<double>(kMicrosecondsPerSecond) / speed - static_cast<double>(elapsed);
    if (wait < 0.0) {
        wait = 0.0;
    }
    const int64_t whole = static_cast<int64_t>(wait);
    const float asFloat = static_cast<float>(whole);
    return static_cast<float>(kMicrosecondsPerSecond) > asFloat ? static_cast<int64_t>(asFloat)
                                                                : kMicrosecondsPerSecond;
}

void WaitForFrame()
{
    const int64_t now = Timer_GetTime();
    // A clock that jumped back must not make elapsed negative.
    if (now < g_pacing.frameDue) {
        g_pacing.frameDue = now;
    }
    const int64_t wait = FrameWait(CurrentRoomSpeed(), now - g_pacing.frameDue);
    Run_FrameSleep(wait);
    g_pacing.frameDue = now + wait;
    if (g_pacing.frameDue < g_pacing.secondStart) {
        g_pacing.secondStart = g_pacing.frameDue;
    }
    if (g_pacing.frameDue / kMicrosecondsPerSecond > g_pacing.secondStart / kMicrosecondsPerSecond) {
        Display_State().fps = g_pacing.framesThisSecond;
        g_pacing.framesThisSecond = 0;
        g_pacing.secondStart = g_pacing.frameDue;
    }
    ++g_pacing.framesThisSecond;
}

bool StartFrame()
{
    const RunHooks& hooks = Run_Hooks();
    return hooks.startFrame != nullptr && hooks.startFrame();
}

void FinishFrame(bool present)
{
    if (Run_Hooks().finishFrame != nullptr) {
        Run_Hooks().finishFrame(present);
    }
}

// A frame limit given for an unattended run ends the game once reached,
// as game_end in that frame would: a room change or restart the frame asked
// for is not served. A stop for an error stands.
void CountLimitedFrame()
{
    if (g_framesLeft > 0 && --g_framesLeft == 0 && NewRoomRequest != kRequestStop) {
        NewRoomRequest = kRequestEndGame;
    }
}

}  // namespace

bool Run_ServeNewRoomRequest()
{
    if (NewRoomRequest >= 0 && !Room_Exists(NewRoomRequest)) {
        // Entering it would make a slot for every index up to it.
        Run_StopForMissingRoom(NewRoomRequest);
    }
    const int32_t request = NewRoomRequest;
    if (request == kRequestNone) {
        return true;
    }
    if (request == kRequestEndGame || request == kRequestStop) {
        GameRunningFlag = 0;
        return false;
    }
    if (request == kRequestRestart) {
        // A game start that stops early (a failing extension) enters no room
        // and would leave the request standing: one restart per request.
        NewRoomRequest = kRequestNone;
        Run_EndGame();
        StartGame();
        return true;
    }
    if (request >= 0) {
        Run_GotoRoom(request);
        return true;
    }
    // No other code is ever set; one that is would block every event.
    NewRoomRequest = kRequestNone;
    return true;
}

int32_t Run_MainLoopTick()
{
    MemoryManager_Tick();
    WaitForFrame();
    Run_CallHook(Run_Hooks().soundUpdate);
    if (!g_paused) {
        if (g_displayResetRequested) {
            Run_CallHook(Run_Hooks().resetDisplay);
            g_displayResetRequested = false;
        }
        StartFrame();
        Run_DoAStep();
        Run_CallHook(Run_Hooks().drawVirtualKeys);
        CountLimitedFrame();
        // A room change hides the frame that asked for it: the new room's
        // first frame is the next one shown.
        FinishFrame(NewRoomRequest < 0 && g_drawEvents);
        if (!Run_ServeNewRoomRequest()) {
            return kSpeedWithoutRoom;
        }
    }
    Run_CallHook(Run_Hooks().pollRemoteDebugger);
    // Between ticks no game code runs, so no code or pass holds an object
    // it deleted.
    Object_FreeDeleted();
    return CurrentRoomSpeed();
}

void Run_Start()
{
    if (GameRunningFlag == 0) {
        GameRunningFlag = 1;
        Run_ApplyTestControls(Run_ReadTestControls());
        StartGame();
    }
    GameRunningFlag = 1;
    g_paused = false;
    Run_EnterMainLoop();
}

void Run_EnterMainLoop()
{
    Timer_Init();
    const int64_t now = Timer_GetTime();
    g_pacing.frameDue = now;
    g_pacing.secondStart = now;
    g_pacing.framesThisSecond = 0;
    Display_State().fps = 0;
    ProcessMessages();
    tagIConsole& console = Console();
    console.Printf("**********************************.\n");
    console.Printf("Entering main loop.\n");
    console.Printf("**********************************.\n");
    MemoryManager_ReportStats();
    Run_SetPreviousStepTime(now);
}

void Run_Stop()
{
    GameRunningFlag = 0;
    g_paused = false;
    if (Run_DebugSwitchOn()) {
        return;
    }
    const RunHooks& hooks = Run_Hooks();
    Run_EndGame();
    Run_CallHook(hooks.debugWindowHide);
    Run_CallHook(hooks.postQuit);
}

void Run_DebugPause()
{
    g_paused = true;
}

bool Run_IsPaused()
{
    return g_paused;
}

void Run_DebugResume()
{
    g_paused = false;
    if (GameRunningFlag == 1) {
        Run_EnterMainLoop();
    }
}

void Run_DebugStepIfRequested()
{
    if (GameRunningFlag == 1 && g_paused) {
        Run_DebugStep();
    }
}

void Run_DebugStep()
{
    ProcessMessages();
    Run_DoAStep();
    if (NewRoomRequest == kRequestNone && g_drawEvents) {
        FinishFrame(true);
        StartFrame();
    }
    if (!Run_ServeNewRoomRequest()) {
        return;
    }
    ProcessMessages();
}

void Run_RequestDisplayReset()
{
    g_displayResetRequested = true;
}

void Run_SetDrawEvents(bool enabled)
{
    g_drawEvents = enabled;
}

bool Run_DrawEvents()
{
    return g_drawEvents;
}

void Run_SetFrameLimit(int64_t frames)
{
    g_framesLeft = frames > 0 ? frames : 0;
}

void Run_ResetLoopState()
{
    GameRunningFlag = 0;
    g_paused = false;
    g_displayResetRequested = false;
    g_drawEvents = true;
    g_framesLeft = 0;
    g_pacing = FramePacing{};
}

}  // namespace bw
