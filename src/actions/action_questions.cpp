// The tests of the actions: each gives 1 or 0 for the compiled code to
// branch on.
#include "actions/action_groups.h"

#include <cstring>

#include "actions/action_helpers.h"
#include "audio/audio_engine.h"
#include "platform/random.h"
#include "script/arguments.h"
#include "script/error_report.h"
#include "world/game_state.h"
#include "world/input.h"
#include "world/instance_ops.h"
#include "world/instance_ops_collision.h"

namespace bw {

namespace {

using namespace actions;

constexpr char kPlaceSnapped[] = "place_snapped";

BW_BUILTIN(ActionIf)
{
    Value_Copy(*result, args[0]);
}

bool PlaceIsFree(CInstance* self, const Value* args)
{
    const Point at = Position(self, args[0], args[1]);
    return Arg_Flag(args[2]) ? Place_Free(self, at.x, at.y) : Place_Empty(self, at.x, at.y);
}

BW_SELF_BUILTIN(ActionIfEmpty)
{
    Result_SetBool(result, self != nullptr && PlaceIsFree(self, args));
}

BW_SELF_BUILTIN(ActionIfCollision)
{
    Result_SetBool(result, self != nullptr && !PlaceIsFree(self, args));
}

BW_SELF_BUILTIN(ActionIfObject)
{
    if (self != nullptr) {
        const Point at = Position(self, args[1], args[2]);
        Result_SetBool(result, Place_Meeting(self, at.x, at.y, Arg_Round(args[0])));
    }
}

// 1 smaller, 2 larger, anything else equal.
template <typename T>
bool Compare(T value, T against, int32_t operation)
{
    switch (operation) {
    case 1: return value < against;
    case 2: return value > against;
    default: return value == against;
    }
}

BW_BUILTIN(ActionIfNumber)
{
    Result_SetBool(result, Compare(Instance_Number(Arg_Round(args[0])), Arg_Round(args[1]), Arg_Round(args[2])));
}

BW_BUILTIN(ActionIfVariable)
{
    if (Value_Kind(args[0]) != Value_Kind(args[1]) || !(Arg_IsReal(args[0]) || Arg_IsString(args[0]))) {
        Code_Error_Runtime("Cannot compare arguments.", false);
        return;
    }
    const double difference = Arg_IsString(args[0])
                                  ? std::strcmp(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]))
                                  : args[0].real - args[1].real;
    bool answer = false;
    switch (Arg_Round(args[2])) {
    case 0: answer = difference == 0.0; break;
    case 1: answer = difference < 0.0; break;
    case 2: answer = difference > 0.0; break;
    case 3: answer = difference <= 0.0; break;
    case 4: answer = difference >= 0.0; break;
    default: break;
    }
    Result_SetBool(result, answer);
}

BW_BUILTIN(ActionIfScore)
{
    Result_SetBool(result, Compare(Game_Counters().score, Arg_Round(args[0]), Arg_Round(args[1])));
}

BW_BUILTIN(ActionIfLife)
{
    Result_SetBool(result, Compare(Game_Counters().lives, Arg_Round(args[0]), Arg_Round(args[1])));
}

BW_BUILTIN(ActionIfHealth)
{
    Result_SetBool(result, Compare(Game_Counters().health, args[0].real, Arg_Round(args[1])));
}

// One chance in sides, drawn in thousandths: the extra thousandth is how the
// test has always behaved and games are tuned to it.
BW_BUILTIN(ActionIfDice)
{
    const double sides = args[0].real;
    Result_SetBool(result, sides <= 1.0 || Random_Int(Real_RoundToInt32(sides * 1000.0)) < 1001);
}

BW_SELF_BUILTIN(ActionIfQuestion)
{
    Forward("show_question", result, self, other, {args[0]});
    IO_Clear();
}

BW_SELF_BUILTIN(ActionIfMouse)
{
    const int32_t button = Arg_Round(args[0]);
    if (button >= 1 && button <= 3) {
        Result_SetBool(result, Ask("mouse_check_button", self, {Real(button)}) ||
                                   Ask("mouse_check_button_released", self, {Real(button)}));
        return;
    }
    constexpr double kNoButton = 0.0;
    Result_SetBool(result, Ask("mouse_check_button", self, {Real(kNoButton)}));
}

BW_SELF_BUILTIN(ActionIfSound)
{
    if (Audio_System()) {
        Result_SetBool(result, Audio_IsPlaying(Arg_Round(args[0])));
        return;
    }
    Forward("sound_isplaying", result, self, other, {args[0]});
}

}  // namespace

void ActionQuestions_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_if", &ActionIf, 1},
        {"action_if_empty", &ActionIfEmpty, 3},
        {"action_if_collision", &ActionIfCollision, 3},
        {"action_if_object", &ActionIfObject, 3},
        {"action_if_number", &ActionIfNumber, 3},
        {"action_if_variable", &ActionIfVariable, 3},
        {"action_if_score", &ActionIfScore, 2},
        {"action_if_life", &ActionIfLife, 2},
        {"action_if_health", &ActionIfHealth, 2},
        {"action_if_dice", &ActionIfDice, 1},
        {"action_if_question", &ActionIfQuestion, 1},
        {"action_if_mouse", &ActionIfMouse, 1},
        {"action_if_aligned", &ActionAs<kPlaceSnapped>, 2},
        {"action_if_sound", &ActionIfSound, 1},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
