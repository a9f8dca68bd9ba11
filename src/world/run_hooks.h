// What the main loop, the game step and the room changes call in the
// subsystems above the world (graphics, the window) and in those not built
// yet (input, audio, particles, physics, collisions, the debugger, online
// services). Each entry names the issue that fills it; an entry left empty
// does nothing, so the world runs headless and without those subsystems.
#pragma once

#include <cstdint>

namespace bw {

class CInstance;
class CRoom;

// The timelines (a resource kind above the world), as the timeline pass
// needs them; the resources register them at start-up.
struct RunTimelineAccess {
    int32_t (*momentCount)(int32_t timeline) = nullptr;  // 0 for a missing timeline
    int32_t (*momentTime)(int32_t timeline, int32_t moment) = nullptr;
    // The first moment at or after the position (the count when none), and
    // the last one at or before it (-1 when none).
    int32_t (*findMomentFrom)(int32_t timeline, double position) = nullptr;
    int32_t (*findMomentUpTo)(int32_t timeline, double position) = nullptr;
    void (*performMoment)(CInstance* self, CInstance* other, int32_t timeline, int32_t moment) = nullptr;

    bool IsComplete() const
    {
        return momentCount != nullptr && momentTime != nullptr && findMomentFrom != nullptr &&
               findMomentUpTo != nullptr && performMoment != nullptr;
    }
};

struct RunHooks {
    // Graphics device (registered by the runner's start-up).
    bool (*startFrame)() = nullptr;
    bool (*finishFrame)(bool present) = nullptr;
    void (*resetDisplay)() = nullptr;  // served when Run_RequestDisplayReset was called
    // Window: ends the process's message loop (Run_Stop).
    void (*postQuit)() = nullptr;
    // Frame-rate profiler: times the parts of the game step (colour ARGB).
    void (*profilerBegin)(uint32_t colour, const char* name) = nullptr;
    void (*profilerEnd)() = nullptr;

    // Room drawing issue: draws the current room; sets the screen size from
    // the room's views at room start.
    void (*drawRoom)() = nullptr;
    void (*computePortSize)() = nullptr;

    // Input issue: the per-step update, the clear at room start, the on-screen
    // virtual keys, and the keyboard, joystick and mouse event passes (each
    // performs its events through Event_Perform).
    void (*inputUpdate)() = nullptr;
    void (*inputClear)() = nullptr;
    void (*drawVirtualKeys)() = nullptr;
    void (*clearVirtualKeys)() = nullptr;
    void (*keyboardPass)() = nullptr;
    void (*joystickPass)() = nullptr;
    void (*mousePass)() = nullptr;

    // Audio issue: the per-frame update of playing sounds.
    void (*soundUpdate)() = nullptr;

    // Motion issue: friction and gravity, and one step along the path (true
    // when the instance reached the path's end).
    void (*applyFrictionGravity)(CInstance* instance) = nullptr;
    bool (*pathStep)(CInstance* instance) = nullptr;

    // Collision issue: the collision event pass over the collision pairs.
    void (*collisionPass)() = nullptr;

    // Physics issue: steps the room's world when it has one; true when it did
    // (then instances are moved by it and no collision events are raised).
    bool (*stepPhysicsWorld)(CRoom* room, bool anyPath) = nullptr;

    // Particles issue: the per-step update, and the clear at room start.
    void (*particlesUpdate)() = nullptr;
    void (*effectsClear)() = nullptr;

    // Online issue: the per-step update of the platform services, the socket
    // poll and the Steam callbacks, the asynchronous event pass, the remote
    // debugger link.
    void (*platformServicesUpdate)() = nullptr;
    void (*networkUpdate)() = nullptr;
    void (*steamCallbacks)() = nullptr;
    void (*asyncPass)() = nullptr;
    void (*pollRemoteDebugger)() = nullptr;

    // Debugger window issue: made at game start with the "-debug" switch,
    // refreshed each step, saved and closed at game end, hidden on stop.
    // The switch is asked each time, not copied: options.ini may set it
    // after the hooks are installed.
    bool (*debugSwitch)() = nullptr;
    void (*debugWindowCreate)() = nullptr;
    void (*debugWindowUpdate)() = nullptr;
    void (*debugWindowClose)() = nullptr;
    void (*debugWindowHide)() = nullptr;

    // Save games issue: loads a game queued by game_load at the step's start.
    void (*doQueuedLoad)() = nullptr;
    // Window issue: the game freezes while its window is in the background.
    bool (*windowInactive)() = nullptr;

    // Extensions issue: their initialisation (false stops the game start) and
    // finalisation (true lets the cursor go back to the default).
    bool (*extensionsInitialize)() = nullptr;
    bool (*extensionsFinalize)() = nullptr;
    RunTimelineAccess timelines;
    // Scripts issue: compiles and runs the library initialisation code.
    void (*runLibraryInit)() = nullptr;
    // Window issue: the cursor (0 the default, -1 none).
    void (*setCursor)(int32_t cursor) = nullptr;
};
RunHooks& Run_Hooks();

// Calls a hook that may be empty.
inline void Run_CallHook(void (*hook)())
{
    if (hook != nullptr) {
        hook();
    }
}

// Whether the debug switch is on now; off while no one answers for it.
inline bool Run_DebugSwitchOn()
{
    const RunHooks& hooks = Run_Hooks();
    return hooks.debugSwitch != nullptr && hooks.debugSwitch();
}

}  // namespace bw
