// Argument handling of the instance, room and game built-ins. Object and
// sprite arguments marked as such are truncated toward zero, other integers
// rounded to the nearest (ties to even); flags are true from 0.5 up. A
// built-in that names an instance answers its id, or -4 (noone) for none.
#include "library/game_builtins.h"

#include "graphics/room_transition.h"
#include "script/arguments.h"
#include "library/motion_builtins.h"
#include "library/save_builtins.h"
#include "platform/strings.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_ops_collision.h"
#include "world/instance_table.h"
#include "world/room_table.h"
#include "world/run_clock.h"
#include "world/run_requests.h"

namespace bw {

namespace {

void SetInstanceResult(Value* result, const CInstance* instance)
{
    result->real = instance != nullptr ? instance->i_id : kSelectorNoone;
}

// Self and other as game code names them become their ids (noone when
// absent), so that the place and collision queries can ask about them.
int32_t InstanceSelector(int32_t selector, const CInstance* self, const CInstance* other)
{
    if (selector != kSelectorSelf && selector != kSelectorOther) {
        return selector;
    }
    const CInstance* named = selector == kSelectorSelf ? self : other;
    return named != nullptr ? named->i_id : kSelectorNoone;
}

ActivationRegion RegionOf(const Value* args, bool inside)
{
    return {Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
            Arg_Single(args[3]), inside};
}

// ---- finding and counting ----

BW_SELF_BUILTIN(InstanceFind)
{
    SetInstanceResult(result, Instance_FindNth(self, other, Arg_Trunc(args[0]), Arg_Trunc(args[1])));
}

BW_SELF_BUILTIN(InstanceExists)
{
    result->real = Instance_FindNth(self, other, Arg_Trunc(args[0]), 0) != nullptr ? 1.0 : 0.0;
}

BW_SELF_BUILTIN(InstanceNumber)
{
    const int32_t selector = Arg_Round(args[0]);
    if (selector == kSelectorSelf || selector == kSelectorOther) {
        result->real = Instance_IsLive(selector == kSelectorSelf ? self : other) ? 1.0 : 0.0;
    } else {
        result->real = Instance_Number(selector);
    }
}

BW_BUILTIN(InstanceNearest)
{
    SetInstanceResult(result,
                      Instance_Nearest(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Trunc(args[2])));
}

BW_BUILTIN(InstanceFurthest)
{
    SetInstanceResult(result,
                      Instance_Furthest(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Trunc(args[2])));
}

// ---- creating, changing and destroying ----

BW_BUILTIN(InstanceCreate)
{
    result->real = -1;
    if (Arg_IsString(args[0]) || Arg_IsString(args[1]) || Arg_IsString(args[2])) {
        Code_Error_Runtime("instance_create( ) error: Illegal type", false);
        return;
    }
    if (const CInstance* instance =
            Instance_Create(Arg_Trunc(args[2]), Arg_Single(args[0]), Arg_Single(args[1]))) {
        result->real = instance->i_id;
    }
}

BW_SELF_BUILTIN(InstanceCopy)
{
    if (const CInstance* copy = Instance_Copy(self, Arg_Single(args[0]) >= 0.5f)) {
        result->real = copy->i_id;
    }
}

BW_SELF_BUILTIN(InstanceDestroy)
{
    Instance_Destroy(self);
}

BW_SELF_BUILTIN(InstanceChange)
{
    Instance_Change(self, Arg_Trunc(args[0]), Arg_Flag(args[1]));
}

BW_SELF_BUILTIN(InstanceSprite)
{
    Instance_SetSprite(self, Arg_Trunc(args[0]));
}

// ---- places, positions and collisions ----

BW_SELF_BUILTIN(InstancePosition)
{
    SetInstanceResult(result, Instance_Position(Arg_Single(args[0]), Arg_Single(args[1]),
                                                InstanceSelector(Arg_Trunc(args[2]), self, other)));
}

BW_SELF_BUILTIN(InstancePlace)
{
    SetInstanceResult(result, Instance_Place(self, Arg_Single(args[0]), Arg_Single(args[1]),
                                             InstanceSelector(Arg_Trunc(args[2]), self, other)));
}

BW_BUILTIN(PositionEmpty)
{
    result->real = Position_Meeting(Arg_Single(args[0]), Arg_Single(args[1]), kSelectorAll) ? 0.0 : 1.0;
}

BW_SELF_BUILTIN(PositionMeeting)
{
    result->real = Position_Meeting(Arg_Single(args[0]), Arg_Single(args[1]),
                                    InstanceSelector(Arg_Trunc(args[2]), self, other))
                       ? 1.0
                       : 0.0;
}

BW_BUILTIN(PositionDestroy)
{
    Position_Destroy(Arg_Single(args[0]), Arg_Single(args[1]));
}

BW_BUILTIN(PositionChange)
{
    Position_Change(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Trunc(args[2]), Arg_Flag(args[3]));
}

BW_SELF_BUILTIN(CollisionPoint)
{
    SetInstanceResult(result, Collision_Point(self, Arg_Single(args[0]), Arg_Single(args[1]),
                                              InstanceSelector(Arg_Round(args[2]), self, other), Arg_Flag(args[3]),
                                              Arg_Flag(args[4])));
}

// The shapes given by two corners: rectangle, ellipse and line.
using CornersQuery = CInstance* (*)(CInstance*, float, float, float, float, int32_t, bool, bool);

void CallCornersQuery(CornersQuery query, Value* result, CInstance* self, CInstance* other, const Value* args)
{
    SetInstanceResult(result, query(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                    Arg_Single(args[3]), InstanceSelector(Arg_Round(args[4]), self, other),
                                    Arg_Flag(args[5]), Arg_Flag(args[6])));
}

BW_SELF_BUILTIN(CollisionRectangle)
{
    CallCornersQuery(&Collision_Rectangle, result, self, other, args);
}

BW_SELF_BUILTIN(CollisionEllipse)
{
    CallCornersQuery(&Collision_Ellipse, result, self, other, args);
}

BW_SELF_BUILTIN(CollisionLine)
{
    CallCornersQuery(&Collision_Line, result, self, other, args);
}

// The ellipse of the circle's bounding square.
BW_SELF_BUILTIN(CollisionCircle)
{
    const float x = Arg_Single(args[0]);
    const float y = Arg_Single(args[1]);
    const float r = Arg_Single(args[2]);
    SetInstanceResult(result, Collision_Ellipse(self, x - r, y - r, x + r, y + r,
                                                InstanceSelector(Arg_Round(args[3]), self, other),
                                                Arg_Flag(args[4]), Arg_Flag(args[5])));
}

// ---- activation ----

BW_SELF_BUILTIN(InstanceDeactivateAll)
{
    Instance_DeactivateAll(self, Arg_Flag(args[0]));
}

BW_SELF_BUILTIN(InstanceDeactivateObject)
{
    Instance_SetObjectActive(self, other, Arg_Round(args[0]), false);
}

BW_SELF_BUILTIN(InstanceDeactivateRegion)
{
    Instance_DeactivateRegion(self, RegionOf(args, Arg_Flag(args[4])), Arg_Flag(args[5]));
}

BW_BUILTIN(InstanceActivateAll)
{
    Instance_ActivateAll();
}

BW_SELF_BUILTIN(InstanceActivateObject)
{
    Instance_SetObjectActive(self, other, Arg_Round(args[0]), true);
}

BW_BUILTIN(InstanceActivateRegion)
{
    Instance_ActivateRegion(RegionOf(args, Arg_Flag(args[4])));
}

// ---- rooms and the game ----

BW_BUILTIN(RoomGoto)
{
    Room_Goto(Arg_Round(args[0]));
}

BW_BUILTIN(RoomGotoPrevious)
{
    Room_GotoPrevious();
}

BW_BUILTIN(RoomGotoNext)
{
    Room_GotoNext();
}

BW_BUILTIN(RoomPrevious)
{
    const int32_t room = Arg_Round(args[0]);
    result->real = Room_Exists(room) ? Room_Previous(room) : -1;
}

BW_BUILTIN(RoomNext)
{
    const int32_t room = Arg_Round(args[0]);
    result->real = Room_Exists(room) ? Room_Next(room) : -1;
}

BW_BUILTIN(RoomRestart)
{
    Room_Restart();
}

BW_BUILTIN(GameEnd)
{
    Game_End();
}

BW_BUILTIN(GameRestart)
{
    Game_Restart();
}

// The whole time, however long, unless the runner is asked to quit.
BW_BUILTIN(Sleep)
{
    Run_GameSleep(Real_ToInt64(args[0].real * 1000.0));
}

const BuiltinRegistration kInstanceBuiltins[] = {
    {"instance_find", InstanceFind, 2},
    {"instance_exists", InstanceExists, 1},
    {"instance_number", InstanceNumber, 1},
    {"instance_nearest", InstanceNearest, 3},
    {"instance_furthest", InstanceFurthest, 3},
    {"instance_create", InstanceCreate, 3},
    {"instance_copy", InstanceCopy, 1},
    {"instance_destroy", InstanceDestroy, 0},
    {"instance_change", InstanceChange, 2},
    {"instance_sprite", InstanceSprite, 1},
    {"instance_deactivate_all", InstanceDeactivateAll, 1},
    {"instance_deactivate_object", InstanceDeactivateObject, 1},
    {"instance_deactivate_region", InstanceDeactivateRegion, 6},
    {"instance_activate_all", InstanceActivateAll, 0},
    {"instance_activate_object", InstanceActivateObject, 1},
    {"instance_activate_region", InstanceActivateRegion, 5},
};

const BuiltinRegistration kPlaceAndCollisionBuiltins[] = {
    {"instance_position", InstancePosition, 3},
    {"instance_place", InstancePlace, 3},
    {"position_empty", PositionEmpty, 2},
    {"position_meeting", PositionMeeting, 3},
    {"position_destroy", PositionDestroy, 2},
    {"position_change", PositionChange, 4},
    {"collision_point", CollisionPoint, 5},
    {"collision_rectangle", CollisionRectangle, 7},
    {"collision_ellipse", CollisionEllipse, 7},
    {"collision_circle", CollisionCircle, 6},
    {"collision_line", CollisionLine, 7},
};

const BuiltinRegistration kRoomAndGameBuiltins[] = {
    {"room_goto", RoomGoto, 1},
    {"room_goto_previous", RoomGotoPrevious, 0},
    {"room_goto_next", RoomGotoNext, 0},
    {"room_previous", RoomPrevious, 1},
    {"room_next", RoomNext, 1},
    {"room_restart", RoomRestart, 0},
    {"game_end", GameEnd, 0},
    {"game_restart", GameRestart, 0},
    {"game_save", Builtin_GameSave, 1},
    {"game_load", Builtin_GameLoad, 1},
    {"game_save_buffer", Builtin_GameSaveBuffer, 1},
    {"game_load_buffer", Builtin_GameLoadBuffer, 1},
    {"transition_define", Builtin_TransitionDefine, 2},
    {"transition_exists", Builtin_TransitionExists, 1},
    {"sleep", Sleep, 1},
};

}  // namespace

void Function_Game_Register()
{
    Function_Motion_Register();
    Builtins_Register(kInstanceBuiltins);
    Builtins_Register(kPlaceAndCollisionBuiltins);
    Builtins_Register(kRoomAndGameBuiltins);
}

}  // namespace bw
