// Actions of rooms, alarms, timelines and the game as a whole: going to
// another room, sleeping, saving and loading, running a script.
#include "actions/action_groups.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "actions/action_helpers.h"
#include "platform/timer.h"
#include "script/arguments.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_clock.h"
#include "world/run_hooks.h"
#include "world/run_requests.h"

namespace bw {

namespace {

using namespace actions;

BW_BUILTIN(ActionAnotherRoom)
{
    Room_Goto(Arg_Round(args[0]));
}

BW_BUILTIN(ActionPreviousRoom)
{
    Room_GotoPrevious();
}

BW_BUILTIN(ActionNextRoom)
{
    Room_GotoNext();
}

BW_BUILTIN(ActionCurrentRoom)
{
    Room_Restart();
}

BW_BUILTIN(ActionIfPreviousRoom)
{
    Result_SetBool(result, Room_CurrentIndex() != Room_First());
}

BW_BUILTIN(ActionIfNextRoom)
{
    Result_SetBool(result, Room_CurrentIndex() != Room_Last());
}

BW_SELF_BUILTIN(ActionSetAlarm)
{
    if (self == nullptr) {
        return;
    }
    const int32_t alarm = Arg_Round(args[1]);
    int32_t steps = Arg_Round(args[0]);
    // A relative set only adds to a running alarm.
    if (Relative() && self->GetAlarm(alarm) >= 0) {
        steps = Int32_SaturatedSum(steps, self->GetAlarm(alarm));
    }
    self->SetAlarm(alarm, steps);
}

BW_BUILTIN(ActionSleep)
{
    if (Arg_Flag(args[1])) {
        // The room is seen in its current state through the sleep.
        RunHooks& hooks = Run_Hooks();
        Run_CallHook(hooks.drawRoom);
        if (hooks.finishFrame != nullptr && hooks.startFrame != nullptr) {
            hooks.finishFrame(true);
            hooks.startFrame();
        }
    }
    const auto microseconds = static_cast<int64_t>(std::llround(args[0].real * 1000.0));
    // No longer than one wait of the timer, as the action always slept.
    Run_GameSleep(std::min(microseconds, kTimerLongestWaitMicroseconds));
}

BW_SELF_BUILTIN(ActionSetTimeline)
{
    if (self != nullptr) {
        self->i_timelineindex = Arg_Round(args[0]);
        self->i_timelineposition = Arg_Single(args[1]);
        self->i_timelinerunning = 1;
    }
}

BW_SELF_BUILTIN(ActionSetTimelinePosition)
{
    if (self != nullptr) {
        self->i_timelineposition = std::nearbyint(Offset(self->i_timelineposition, args[0]));
    }
}

BW_SELF_BUILTIN(ActionSetTimelineSpeed)
{
    if (self != nullptr) {
        self->i_timelinespeed = Offset(self->i_timelinespeed, args[0]);
    }
}

BW_SELF_BUILTIN(ActionTimelineSet)
{
    if (self != nullptr) {
        self->i_timelineindex = Arg_Round(args[0]);
        self->i_timelineposition = Arg_Single(args[1]);
        self->i_timelinerunning = Arg_Round(args[2]) == 0 ? 1 : 0;
        self->i_timelineloop = Arg_Round(args[3]) == 1 ? 1 : 0;
    }
}

template <uint8_t running>
BW_SELF_BUILTIN(ActionTimelineRun)
{
    if (self != nullptr) {
        self->i_timelinerunning = running;
    }
}

BW_SELF_BUILTIN(ActionTimelineStop)
{
    if (self != nullptr) {
        self->i_timelineposition = 0.0f;
        self->i_timelinerunning = 0;
    }
}

constexpr char kGameSave[] = "game_save";
constexpr char kGameLoad[] = "game_load";
constexpr char kEventInherited[] = "event_inherited";

BW_SELF_BUILTIN(ActionExecuteScript)
{
    Forward("script_execute", result, self, other, {args[0], args[1], args[2], args[3], args[4], args[5]});
    if (Code_Error_HasPending()) {
        const std::string message = Code_Error_PendingMessage();
        Code_Error_ClearPending();
        Code_Error_Runtime(message.c_str(), false);
    }
}

}  // namespace

void ActionGame_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_another_room", &ActionAnotherRoom, 2},
        {"action_previous_room", &ActionPreviousRoom, 1},
        {"action_next_room", &ActionNextRoom, 1},
        {"action_current_room", &ActionCurrentRoom, 1},
        {"action_if_previous_room", &ActionIfPreviousRoom, 0},
        {"action_if_next_room", &ActionIfNextRoom, 0},
        {"action_set_alarm", &ActionSetAlarm, 2},
        {"action_sleep", &ActionSleep, 2},
        {"action_set_timeline", &ActionSetTimeline, 2},
        {"action_set_timeline_position", &ActionSetTimelinePosition, 1},
        {"action_set_timeline_speed", &ActionSetTimelineSpeed, 1},
        {"action_timeline_set", &ActionTimelineSet, 4},
        {"action_timeline_start", &ActionTimelineRun<1>, 0},
        {"action_timeline_pause", &ActionTimelineRun<0>, 0},
        {"action_timeline_stop", &ActionTimelineStop, 0},
        {"action_end_game", &ActionRun<&Game_End>, 0},
        {"action_restart_game", &ActionRun<&Game_Restart>, 0},
        {"action_save_game", &ActionAs<kGameSave>, 1},
        {"action_load_game", &ActionAs<kGameLoad>, 1},
        {"action_execute_script", &ActionExecuteScript, 6},
        {"action_inherited", &ActionAs<kEventInherited>, 0},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
