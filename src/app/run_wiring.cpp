#include "app/run_wiring.h"

#include "app/startup.h"
#include "graphics/room_draw.h"
#include "graphics/overlay.h"
#include "graphics/game_window.h"
#include "graphics/screen.h"
#include "library/save_game_queue.h"
#include "physics/physics_builtins.h"
#include "resources/timeline.h"
#include "script/error_report.h"
#include "world/instance_ops_collision.h"
#include "world/instance.h"
#include "world/input.h"
#include "world/input_passes.h"
#include "world/input_virtual_keys.h"
#include "world/run_hooks.h"
#include "world/run_requests.h"

namespace bw {

namespace {

int32_t MomentCount(int32_t timeline)
{
    const CTimeLine* found = TimeLine_Get(timeline);
    return found != nullptr ? found->GetMomentCount() : 0;
}

int32_t MomentTime(int32_t timeline, int32_t moment)
{
    const CTimeLine* found = TimeLine_Get(timeline);
    return found != nullptr ? found->GetMomentTime(moment) : 0;
}

int32_t FindMomentFrom(int32_t timeline, double position)
{
    const CTimeLine* found = TimeLine_Get(timeline);
    return found != nullptr ? found->FindMomentFrom(position) : 0;
}

int32_t FindMomentUpTo(int32_t timeline, double position)
{
    const CTimeLine* found = TimeLine_Get(timeline);
    return found != nullptr ? found->FindMomentUpTo(position) : -1;
}

}  // namespace

void Runner_InstallRunHooks()
{
    RunHooks& hooks = Run_Hooks();
    hooks.debugSwitch = Startup().debug;
    hooks.startFrame = &GR_D3D_Start_Frame;
    hooks.finishFrame = &GR_D3D_Finish_Frame;
    Overlay_Install();
    hooks.profilerBegin = &Profiler_Begin;
    hooks.profilerEnd = &Profiler_End;
    hooks.drawRoom = &Room_Draw;
    hooks.computePortSize = &Room_ComputePortSize;
    GR_SetProjectionReferenceSource(&Room_ProjectionReference);
    hooks.timelines.momentCount = &MomentCount;
    hooks.timelines.momentTime = &MomentTime;
    hooks.timelines.findMomentFrom = &FindMomentFrom;
    hooks.timelines.findMomentUpTo = &FindMomentUpTo;
    hooks.timelines.performMoment = &TimeLine_PerformMoment;
    hooks.applyFrictionGravity = [](CInstance* instance) { instance->ApplyFrictionGravity(); };
    hooks.pathStep = [](CInstance* instance) { return instance->PathStep(); };
    hooks.collisionPass = &Run_HandleCollisions;
    Code_Error_Hooks().stopGame = &Run_StopFromError;
    hooks.inputUpdate = &IO_Update;
    hooks.inputClear = &IO_Clear;
    hooks.clearVirtualKeys = &IO_VirtualKey_ClearAll;
    hooks.keyboardPass = &Run_HandleKeyboard;
    hooks.joystickPass = &Run_HandleJoystick;
    hooks.mousePass = &Run_HandleMouse;
    Input_Hooks().windowToRoom = &Window_MouseToRoom;
    Code_Error_Hooks().clearInput = &IO_Clear;
    hooks.doQueuedLoad = [] { Game_DoQueuedLoad(); };
    Physics_InstallHooks();
}

}  // namespace bw
