#include "app/run_wiring.h"

#include "app/startup.h"
#include "app/subsystem_hooks.h"
#include "resources/room_draw.h"
#include "audio/legacy_sounds.h"
#include "graphics/overlay.h"
#include "graphics/game_window.h"
#include "graphics/main_window.h"
#include "graphics/screen.h"
#include "graphics/virtual_keys_draw.h"
#include "library/save_game_queue.h"
#include "online/dialogs/async_requests.h"
#include "online/debugger/debug_window.h"
#include "online/debugger/debugger_link.h"
#include "online/network/network.h"
#include "online/steam/steam_client.h"
#include "online/http/vask_builtins.h"
#include "resources/extension.h"
#include "resources/external.h"
#include "particles/effects.h"
#include "particles/particle_system.h"
#include "physics/physics_builtins.h"
#include "resources/timeline.h"
#include "script/error_report.h"
#include "script/vm.h"
#include "world/event.h"
#include "world/event_names.h"
#include "world/game_state.h"
#include "world/object.h"
#include "world/instance_ops_collision.h"
#include "world/instance.h"
#include "world/input.h"
#include "world/input_passes.h"
#include "world/input_virtual_keys.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"
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

// Where the error happened, as the report names it: the time line and step
// of a moment, else the event's long name and the object that owns it.
void DescribeErrorLocation(ErrorLocation* location)
{
    const CurrentEvent& current = Event_Current();
    if (current.type == kEventTypeTimelineMoment) {
        location->inTimeLine = true;
        location->timeStep = current.number;
        location->timeLineName = TimeLine_GetName(current.object);
        return;
    }
    location->eventName = Event_Name(current.type, current.number);
    location->objectName = Object_Name(current.object);
}

}  // namespace

// "-debug" opens the debugger server, on 127.0.0.1 only: it runs the code
// sent to it.
void Debug_InitRemoteInterface()
{
    if (Startup().debug) {
        Debug_OpenRemote(kDebuggerPort);
    }
}

void Runner_InstallErrorReportHooks()
{
    ErrorReportHooks& hooks = Code_Error_Hooks();
    hooks.describeLocation = &DescribeErrorLocation;
    hooks.callStack = &VM_ErrorCallStack;
    hooks.dumpVariables = &VM_ErrorVariables;
    hooks.leaveFullscreen = [] { GR_D3D_LeaveFullscreen(); };
    hooks.stopGame = &Run_StopFromError;
    hooks.clearInput = &IO_Clear;
    hooks.refreshDebugWindow = &DebugForm_Update;
}

void Runner_InstallRunHooks()
{
    RunHooks& hooks = Run_Hooks();
    hooks.debugSwitch = [] { return Startup().debug; };
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
    Runner_InstallErrorReportHooks();
    hooks.inputUpdate = &IO_Update;
    hooks.inputClear = &IO_Clear;
    hooks.clearVirtualKeys = &IO_VirtualKey_ClearAll;
    hooks.keyboardPass = &Run_HandleKeyboard;
    hooks.joystickPass = &Run_HandleJoystick;
    hooks.mousePass = &Run_HandleMouse;
    Input_Hooks().windowToRoom = &Window_MouseToRoom;
    hooks.doQueuedLoad = [] { Game_DoQueuedLoad(); };
    hooks.resetDisplay = [] { Graphics::Reset(); };
    hooks.setCursor = &Window_SetCursor;
    hooks.windowInactive = &MainWindow_InBackground;
    hooks.drawVirtualKeys = &IO_VirtualKeys_Draw;
    hooks.asyncPass = &Run_HandleAsyncPass;
    hooks.platformServicesUpdate = &Vask_Functions_Update;
    hooks.networkUpdate = &Network_Update;
    hooks.steamCallbacks = &Steam_Update;
    hooks.pollRemoteDebugger = [] {
        Debug_PollRemote();
        if (Run_IsPaused()) {
            DebugForm_Serve();  // the step that updates it does not run
        }
    };
    hooks.debugWindowCreate = &DebugForm_Create;
    hooks.debugWindowUpdate = &DebugForm_Update;
    hooks.debugWindowClose = &DebugForm_Close;
    hooks.debugWindowHide = &DebugForm_Hide;
    hooks.extensionsInitialize = &Extension_Initialize;
    hooks.extensionsFinalize = &Extension_Finalize;
    External_SetCallsDisabled(Startup().ext);
    hooks.soundUpdate = &Sound_Update;
    hooks.particlesUpdate = &ParticleSystem_UpdateAll;
    hooks.effectsClear = &Effect_Clear;
    Room_SetParticleDepthBands(
        ParticleDepthBands{&ParticleSystem_MaxDepth, &ParticleSystem_NextDepth, &ParticleSystem_DrawDepth});
    Physics_InstallHooks();
}

}  // namespace bw
