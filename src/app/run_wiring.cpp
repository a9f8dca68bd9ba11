#include "app/run_wiring.h"

#include "app/startup.h"
#include "graphics/screen.h"
#include "resources/timeline.h"
#include "script/error_report.h"
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
    hooks.timelines.momentCount = &MomentCount;
    hooks.timelines.momentTime = &MomentTime;
    hooks.timelines.findMomentFrom = &FindMomentFrom;
    hooks.timelines.findMomentUpTo = &FindMomentUpTo;
    hooks.timelines.performMoment = &TimeLine_PerformMoment;
    Code_Error_Hooks().stopGame = &Run_StopFromError;
}

}  // namespace bw
