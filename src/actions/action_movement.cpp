// Movement actions: speeds, directions, gravity, positions, paths and
// steps towards a goal, each honouring the relative flag.
#include "actions/action_groups.h"

#include <array>
#include <cstring>

#include "actions/action_helpers.h"
#include "platform/random.h"
#include "script/arguments.h"
#include "script/error_report.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_ops_collision.h"
#include "world/instance_ops_motion.h"
#include "world/mp_step.h"
#include "world/variable_access.h"

namespace bw {

namespace {

using namespace actions;

BW_BUILTIN(ActionSetRelative)
{
    Event_Current().argumentRelative = Arg_Flag(args[0]);
}

// Keypad positions read from the bottom row: 1 2 3 / 4 5 6 / 7 8 9.
constexpr std::array<float, 9> kKeypadDirections = {225.0f, 270.0f, 315.0f, 180.0f, 0.0f,
                                                    0.0f,   135.0f, 90.0f,  45.0f};
constexpr int32_t kKeypadStop = 4;

BW_SELF_BUILTIN(ActionMove)
{
    const char* keys = Arg_Text(args[0]);
    if (keys == nullptr || std::strlen(keys) != kKeypadDirections.size()) {
        Code_Error_Runtime("Wrong argument to action_move().", false);
        return;
    }
    if (self == nullptr || std::strchr(keys, '1') == nullptr) {
        return;
    }
    self->SetSpeed(Offset(self->i_speed, args[1]));
    int32_t position = 0;
    do {
        position = static_cast<int32_t>(Random_Int(static_cast<int32_t>(kKeypadDirections.size())));
    } while (keys[position] != '1');
    self->SetDirection(kKeypadDirections[static_cast<size_t>(position)]);
    if (position == kKeypadStop) {
        self->SetSpeed(0.0f);
    }
}

BW_SELF_BUILTIN(ActionSetMotion)
{
    if (self == nullptr) {
        return;
    }
    if (Relative()) {
        self->AddMotion(Arg_Single(args[0]), Arg_Single(args[1]));
        return;
    }
    self->SetDirection(Arg_Single(args[0]));
    self->SetSpeed(Arg_Single(args[1]));
}

BW_SELF_BUILTIN(ActionSetHSpeed)
{
    if (self != nullptr) {
        self->SetHSpeed(Offset(self->i_hspeed, args[0]));
    }
}

BW_SELF_BUILTIN(ActionSetVSpeed)
{
    if (self != nullptr) {
        self->SetVSpeed(Offset(self->i_vspeed, args[0]));
    }
}

BW_SELF_BUILTIN(ActionSetGravity)
{
    if (self != nullptr) {
        self->i_gravitydir = Offset(self->i_gravitydir, args[0]);
        self->i_gravity = Offset(self->i_gravity, args[1]);
    }
}

BW_SELF_BUILTIN(ActionSetFriction)
{
    if (self != nullptr) {
        self->i_friction = Offset(self->i_friction, args[0]);
    }
}

BW_SELF_BUILTIN(ActionMovePoint)
{
    if (self != nullptr) {
        const Point target = Position(self, args[0], args[1]);
        Move_TowardsPoint(self, target.x, target.y, Arg_Single(args[2]));
    }
}

BW_SELF_BUILTIN(ActionMoveTo)
{
    if (self != nullptr) {
        const Point target = Position(self, args[0], args[1]);
        self->SetPosition(target.x, target.y);
    }
}

BW_SELF_BUILTIN(ActionMoveStart)
{
    if (self != nullptr) {
        self->SetPosition(self->i_xstart, self->i_ystart);
    }
}

BW_SELF_BUILTIN(ActionSnap)
{
    if (self != nullptr) {
        Move_Snap(self, Arg_Single(args[0]), Arg_Single(args[1]));
    }
}

BW_SELF_BUILTIN(ActionWrap)
{
    if (self != nullptr) {
        const int32_t which = Arg_Round(args[0]);
        Move_Wrap(self, which == 0 || which == 2, which == 1 || which == 2);
    }
}

BW_SELF_BUILTIN(ActionReverseXDir)
{
    if (self != nullptr) {
        self->SetHSpeed(-self->i_hspeed);
    }
}

BW_SELF_BUILTIN(ActionReverseYDir)
{
    if (self != nullptr) {
        self->SetVSpeed(-self->i_vspeed);
    }
}

BW_SELF_BUILTIN(ActionMoveContact)
{
    if (self != nullptr) {
        Move_Contact(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Flag(args[2]));
    }
}

BW_SELF_BUILTIN(ActionBounce)
{
    if (self != nullptr) {
        Move_Bounce(self, Arg_Flag(args[0]), Arg_Flag(args[1]));
    }
}

BW_SELF_BUILTIN(ActionPath)
{
    if (self != nullptr) {
        self->StartPath(Arg_Round(args[0]), Arg_Single(args[1]), 1.0f, 0.0f, !Arg_Flag(args[3]),
                        Arg_Round(args[2]));
    }
}

BW_SELF_BUILTIN(ActionPathEnd)
{
    Forward("path_end", self, {});
}

BW_SELF_BUILTIN(ActionPathPosition)
{
    if (self != nullptr) {
        self->SetPathPosition(Offset(self->i_pathposition, args[0]));
    }
}

BW_SELF_BUILTIN(ActionPathSpeed)
{
    if (self != nullptr) {
        self->SetPathSpeed(Offset(self->i_pathspeed, args[0]));
    }
}

// One try fewer than move_random: a seeded or recorded game draws just the
// random numbers the action always drew.
BW_SELF_BUILTIN(ActionMoveRandom)
{
    Move_Random(self, Arg_Round(args[0]), Arg_Round(args[1]), kMoveRandomTries - 1);
}

template <bool (*step)(CInstance*, float, float, float, int32_t, bool)>
BW_SELF_BUILTIN(ActionStep)
{
    if (self != nullptr) {
        const Point target = Position(self, args[0], args[1]);
        step(self, target.x, target.y, Arg_Single(args[2]), kSelectorAll, Arg_Flag(args[3]));
    }
}

}  // namespace

void ActionMovement_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_set_relative", &ActionSetRelative, 1},
        {"action_move", &ActionMove, 2},
        {"action_set_motion", &ActionSetMotion, 2},
        {"action_set_hspeed", &ActionSetHSpeed, 1},
        {"action_set_vspeed", &ActionSetVSpeed, 1},
        {"action_set_gravity", &ActionSetGravity, 2},
        {"action_set_friction", &ActionSetFriction, 1},
        {"action_move_point", &ActionMovePoint, 3},
        {"action_move_to", &ActionMoveTo, 2},
        {"action_move_start", &ActionMoveStart, 0},
        {"action_move_random", &ActionMoveRandom, 2},
        {"action_snap", &ActionSnap, 2},
        {"action_wrap", &ActionWrap, 1},
        {"action_reverse_xdir", &ActionReverseXDir, 0},
        {"action_reverse_ydir", &ActionReverseYDir, 0},
        {"action_move_contact", &ActionMoveContact, 3},
        {"action_bounce", &ActionBounce, 2},
        {"action_path", &ActionPath, 4},
        {"action_path_end", &ActionPathEnd, 0},
        {"action_path_position", &ActionPathPosition, 1},
        {"action_path_speed", &ActionPathSpeed, 1},
        {"action_linear_step", &ActionStep<&MP_LinearStep>, 4},
        {"action_potential_step", &ActionStep<&MP_PotentialStep>, 4},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
