#include "world/run_step.h"

#include <cmath>

#include "platform/options.h"
#include "platform/timer.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/listed_pass.h"
#include "world/resource_lookups.h"
#include "world/room.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"
#include "world/run_requests.h"

namespace bw {

namespace {

// Other-event numbers.
constexpr int32_t kOtherOutsideRoom = 0;
constexpr int32_t kOtherIntersectBoundary = 1;
constexpr int32_t kOtherAnimationEnd = 7;
constexpr int32_t kOtherPathEnd = 8;
constexpr int32_t kOtherOutsideViewFirst = 40;
constexpr int32_t kOtherViewBoundaryFirst = 50;

constexpr int32_t kStepNormal = 0;
constexpr int32_t kStepBegin = 1;
constexpr int32_t kStepEnd = 2;

int64_t g_previousStepTime = 0;
int32_t g_stepCounter = 0;

// Starts a pass: the instances made from now on are not part of it.
uint64_t BeginPass()
{
    return EventPassStamp++;
}

// The listed instances of one pass that takes(instance) picks; every
// object's instances are held to the pass's one stamp.
template <typename Takes>
void PerformOnListed(int32_t type, int32_t number, uint64_t stamp, Takes&& takes)
{
    Event_PerformOnListed(type, number, [stamp] { return stamp; }, takes);
}

void PerformOnListed(int32_t type, int32_t number, uint64_t stamp)
{
    PerformOnListed(type, number, stamp, [](CInstance&) { return true; });
}

// The active list in order; the successor is read after the visit so that an
// instance the visit put right behind is reached too.
template <typename Visit>
void ForEachActiveInstance(CRoom& room, Visit&& visit)
{
    for (CInstance* instance = room.activeInstances.First(); instance != nullptr;) {
        visit(instance);
        instance = instance->i_next;
    }
}

struct UpdateFindings {
    bool anyTimeline = false;
    bool anyPath = false;
};

void AdvanceImage(CInstance* instance)
{
    instance->i_imageindex = static_cast<float>(static_cast<double>(instance->i_imageindex) + instance->i_imagespeed);
    const int32_t frames = instance->GetImageNumber();
    // Compared as the truncated real, so a NaN or huge index converts
    // nothing it cannot hold.
    if (std::trunc(static_cast<double>(instance->i_imageindex)) >= frames) {
        instance->i_imageindex -= static_cast<float>(frames);
        Event_Perform(instance, instance, kEventOther, kOtherAnimationEnd);
    }
}

// Keeps the previous positions and advances the animations. An instance an
// animation end destroyed or deactivated is not animated further; once a
// room change waits, no image moves, so none wraps past an animation end
// that could not run: it wraps in the next step.
UpdateFindings UpdateInstances(CRoom& room)
{
    UpdateFindings findings;
    ForEachActiveInstance(room, [&findings](CInstance* instance) {
        instance->i_xprevious = instance->i_x;
        instance->i_yprevious = instance->i_y;
        instance->i_pathpositionprevious = instance->i_pathposition;
        if (!instance->i_marked && !instance->i_deactivated && !Run_RequestPending()) {
            AdvanceImage(instance);
        }
        findings.anyTimeline = findings.anyTimeline || instance->i_timelinerunning != 0;
        findings.anyPath = findings.anyPath || instance->i_pathindex >= 0;
    });
    return findings;
}

// Run_AfterPass, then whether the step must end here.
bool PassEndsStep()
{
    Run_AfterPass();
    return NewRoomRequest != kRequestNone;
}

bool HasShape(const CInstance& instance)
{
    SpriteInfo info;
    return Sprite_GetInfo(instance.i_spriteindex, &info) || Sprite_GetInfo(instance.i_maskindex, &info);
}

struct Area {
    float left;
    float top;
    float right;
    float bottom;
};

bool PointOutside(const CInstance& instance, const Area& area)
{
    return instance.i_x < area.left || instance.i_x > area.right || instance.i_y < area.top ||
           instance.i_y > area.bottom;
}

bool Outside(CInstance& instance, const Area& area)
{
    if (!HasShape(instance)) {
        return PointOutside(instance, area);
    }
    const InstanceBBox& box = instance.GetBBox();
    return box.right < area.left || box.left > area.right || box.bottom < area.top || box.top > area.bottom;
}

bool CrossesBoundary(CInstance& instance, const Area& area)
{
    if (!HasShape(instance)) {
        return PointOutside(instance, area);
    }
    const InstanceBBox& box = instance.GetBBox();
    return box.left < area.left || box.right > area.right || box.top < area.top || box.bottom > area.bottom;
}

template <typename Test>
void PerformWhere(int32_t number, uint64_t stamp, const Area& area, Test&& test)
{
    PerformOnListed(kEventOther, number, stamp, [&](CInstance& instance) { return test(instance, area); });
}

void HandleViewEvents(const CRoom& room, int32_t firstNumber, bool (*test)(CInstance&, const Area&))
{
    const uint64_t stamp = BeginPass();
    if (!room.viewsEnabled) {
        return;
    }
    for (int32_t view = 0; view < kRoomViewCount; ++view) {
        const RoomView& record = room.views[static_cast<size_t>(view)];
        if (!record.visible) {
            continue;
        }
        const Area area{static_cast<float>(record.xview), static_cast<float>(record.yview),
                        static_cast<float>(record.xview) + static_cast<float>(record.wview),
                        static_cast<float>(record.yview) + static_cast<float>(record.hview)};
        PerformWhere(firstNumber + view, stamp, area, test);
    }
}

// The first moment from `at` on, in the walk's direction, that lies before
// `to`; -1 when none does.
int32_t NextDueMoment(const RunTimelineAccess& timelines, int32_t timeline, double at, double to, bool forward)
{
    const int32_t moment = forward ? timelines.findMomentFrom(timeline, at) : timelines.findMomentUpTo(timeline, at);
    if (moment < 0 || moment >= timelines.momentCount(timeline)) {
        return -1;
    }
    const double time = timelines.momentTime(timeline, moment);
    return (forward ? time < to : time > to) ? moment : -1;
}

// Runs the moments whose times lie in [from, to) forward, or in (to, from]
// backward. Each next moment is found again by time, not by index: a
// moment's code may clear moments, which renumbers those after it.
void RunMoments(CInstance& instance, const RunTimelineAccess& timelines, int32_t timeline, double from, double to)
{
    const bool forward = to > from;
    double at = from;
    for (;;) {
        const int32_t moment = NextDueMoment(timelines, timeline, at, to, forward);
        if (moment < 0) {
            return;
        }
        const double time = timelines.momentTime(timeline, moment);
        if (Run_RequestPending()) {
            // An earlier moment asked for a room change: this one cannot run
            // now, so the position stops at it and it comes due in the next
            // step. A timeline or position the moment's code set is kept.
            if (instance.i_timelineindex == timeline && static_cast<double>(instance.i_timelineposition) == to) {
                instance.i_timelineposition = static_cast<float>(time);
            }
            return;
        }
        timelines.performMoment(&instance, &instance, timeline, moment);
        at = forward ? time + 1.0 : time - 1.0;
    }
}

// A looping timeline past its end starts again; the end is that of the
// timeline as its moments left it, one of which may have cleared the last.
void LoopAtEnd(CInstance& instance, const RunTimelineAccess& timelines, int32_t timeline, float speed)
{
    const int32_t moments = timelines.momentCount(timeline);
    if (moments <= 0) {
        return;
    }
    const auto lastTime = static_cast<float>(timelines.momentTime(timeline, moments - 1));
    if (speed > 0.0f && instance.i_timelineposition > lastTime) {
        instance.i_timelineposition = 0.0f;
    } else if (speed < 0.0f && instance.i_timelineposition < 0.0f) {
        instance.i_timelineposition = lastTime;
    }
}

void TimelineStep(CInstance& instance, const RunTimelineAccess& timelines)
{
    const int32_t timeline = instance.i_timelineindex;
    const float speed = instance.i_timelinespeed;
    if (timelines.momentCount(timeline) <= 0 || speed == 0.0f) {
        return;
    }
    const float from = instance.i_timelineposition;
    instance.i_timelineposition += speed;
    RunMoments(instance, timelines, timeline, from, instance.i_timelineposition);
    if (instance.i_timelineloop) {
        LoopAtEnd(instance, timelines, timeline, speed);
    }
}

}  // namespace

void Run_HandleStep(int32_t kind)
{
    PerformOnListed(kEventStep, kind, BeginPass());
}

void Run_HandleAlarms()
{
    const uint64_t stamp = BeginPass();
    for (int32_t alarm = 0; alarm < kInstanceAlarmCount; ++alarm) {
        // Counting down is part of taking the instance: the alarm rings at 0.
        PerformOnListed(kEventAlarm, alarm, stamp, [alarm](CInstance& instance) {
            int32_t& timer = instance.i_timer[static_cast<size_t>(alarm)];
            // While a room change waits no alarm event can run: the alarm
            // keeps its count and rings in the next step.
            if (timer < 0 || Run_RequestPending()) {
                return false;
            }
            --timer;
            return timer == 0;
        });
    }
}

void Run_HandleTimelines()
{
    const uint64_t stamp = BeginPass();
    CRoom* room = Room_Current();
    const RunTimelineAccess& timelines = Run_Hooks().timelines;
    if (room == nullptr || !timelines.IsComplete()) {
        return;
    }
    ForEachActiveInstance(*room, [stamp, &timelines](CInstance* instance) {
        // While a room change waits no moment can run: the timeline holds
        // still until the next step.
        if (!Pass_Skips(*instance, stamp) && instance->i_timelinerunning && instance->i_timelineindex >= 0 &&
            !Run_RequestPending()) {
            TimelineStep(*instance, timelines);
        }
    });
}

bool Run_HandleMotion(bool anyPath)
{
    CRoom* room = Room_Current();
    const RunHooks& hooks = Run_Hooks();
    if (room != nullptr && hooks.stepPhysicsWorld != nullptr && hooks.stepPhysicsWorld(room, anyPath)) {
        return true;
    }
    const uint64_t stamp = BeginPass();
    if (room == nullptr) {
        return false;
    }
    ForEachActiveInstance(*room, [stamp, &hooks](CInstance* instance) {
        if (hooks.applyFrictionGravity != nullptr) {
            hooks.applyFrictionGravity(instance);
        }
        if (hooks.pathStep != nullptr && hooks.pathStep(instance) && instance->i_createstamp <= stamp) {
            Event_Perform(instance, instance, kEventOther, kOtherPathEnd);
        }
        instance->SetPosition(instance->i_x + instance->i_hspeed, instance->i_y + instance->i_vspeed);
    });
    return false;
}

void Run_PerformListedOther(int32_t number)
{
    PerformOnListed(kEventOther, number, BeginPass());
}

void Run_HandleOther()
{
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    const Area roomArea{0.0f, 0.0f, static_cast<float>(room->width), static_cast<float>(room->height)};
    PerformWhere(kOtherOutsideRoom, BeginPass(), roomArea, &Outside);
    PerformWhere(kOtherIntersectBoundary, BeginPass(), roomArea, &CrossesBoundary);
    HandleViewEvents(*room, kOtherOutsideViewFirst, &Outside);
    HandleViewEvents(*room, kOtherViewBoundaryFirst, &CrossesBoundary);
}

void Run_AfterPass()
{
    if (Instance_ObjectChangeQueue().Count() > 0) {
        Run_ApplyObjectChanges();
    }
    if (Instance_DepthChangeQueue().Count() > 0) {
        Run_ApplyPendingInserts();
    }
    if (Room_ActivationQueue().Count() > 0) {
        if (CRoom* room = Room_Current()) {
            room->ReactivateInstances();
        } else {
            Room_ActivationQueue().Clear();
        }
    }
}

void Run_ResetPending()
{
    Instance_ObjectChangeQueue().Clear();
    Instance_DepthChangeQueue().Clear();
    Room_ActivationQueue().Clear();
}

void Run_SetPreviousStepTime(int64_t microseconds)
{
    g_previousStepTime = microseconds;
}

int32_t Run_StepCounter()
{
    return g_stepCounter;
}

void Run_SetStepCounter(int32_t steps)
{
    g_stepCounter = steps;
}

namespace {

// One part of the step timed in the frame-rate profiler; closed on every way
// out, so a step cut short by a room change leaves no section open.
class ProfiledSection {
public:
    ProfiledSection(uint32_t colour, const char* name)
    {
        if (Run_Hooks().profilerBegin != nullptr) {
            Run_Hooks().profilerBegin(colour, name);
        }
    }
    ~ProfiledSection() { Run_CallHook(Run_Hooks().profilerEnd); }
    ProfiledSection(const ProfiledSection&) = delete;
    ProfiledSection& operator=(const ProfiledSection&) = delete;
};

constexpr uint32_t kProfileInput = 0xFF00FF00;
constexpr uint32_t kProfileUpdate = 0xFF0000FF;
constexpr uint32_t kProfileDraw = 0xFF00FFFF;
constexpr uint32_t kProfileScroll = 0xFF008080;

// The event passes from begin step to end step; false when a pending
// room request ended the step.
bool RunEventPasses(const UpdateFindings& findings)
{
    const RunHooks& hooks = Run_Hooks();
    Run_HandleStep(kStepBegin);
    if (PassEndsStep()) {
        return false;
    }
    Run_CallHook(hooks.networkUpdate);
    Run_CallHook(hooks.steamCallbacks);
    if (PassEndsStep()) {
        return false;
    }
    if (findings.anyTimeline) {
        Run_HandleTimelines();
        if (PassEndsStep()) {
            return false;
        }
    }
    // Alarms, then the input passes, each followed by its check.
    for (void (*pass)() : {&Run_HandleAlarms, hooks.keyboardPass, hooks.joystickPass, hooks.mousePass}) {
        Run_CallHook(pass);
        if (PassEndsStep()) {
            return false;
        }
    }
    Run_HandleStep(kStepNormal);
    if (PassEndsStep()) {
        return false;
    }
    const bool physicsStepped = Run_HandleMotion(findings.anyPath);
    if (PassEndsStep()) {
        return false;
    }
    Run_HandleOther();
    if (PassEndsStep()) {
        return false;
    }
    Run_CallHook(hooks.asyncPass);
    if (PassEndsStep()) {
        return false;
    }
    if (!physicsStepped) {
        Run_CallHook(hooks.collisionPass);
        if (PassEndsStep()) {
            return false;
        }
    }
    Run_HandleStep(kStepEnd);
    return !PassEndsStep();
}

}  // namespace

void Run_DoAStep()
{
    const int64_t now = Timer_GetTime();
    Display_State().deltaTime = now - g_previousStepTime;
    g_previousStepTime = now;
    const RunHooks& hooks = Run_Hooks();
    Run_CallHook(hooks.doQueuedLoad);
    {
        const ProfiledSection section(kProfileInput, "IO&Vask");
        Run_CallHook(hooks.inputUpdate);
        Run_CallHook(hooks.platformServicesUpdate);
    }
    if (Options().freezeWhenInactive && hooks.windowInactive != nullptr && hooks.windowInactive()) {
        return;
    }
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    {
        const ProfiledSection section(kProfileUpdate, "Update");
        if (!RunEventPasses(UpdateInstances(*room))) {
            return;
        }
        Run_CallHook(hooks.particlesUpdate);
    }
    {
        const ProfiledSection section(kProfileDraw, "Draw");
        room->DestroyMarkedInstances();
        if (Run_DrawEvents()) {
            Run_CallHook(hooks.drawRoom);
            Run_AfterPass();
        }
    }
    const ProfiledSection section(kProfileScroll, "Scroll");
    room->ScrollBackgrounds();
    Run_AfterPass();
    // Wraps rather than overflows in a game left running for a year.
    g_stepCounter = static_cast<int32_t>(static_cast<uint32_t>(g_stepCounter) + 1u);
    if (Run_DebugSwitchOn()) {
        Run_CallHook(hooks.debugWindowUpdate);
    }
}

}  // namespace bw
