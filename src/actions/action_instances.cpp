// Instance actions: creating, changing and destroying instances and
// setting how their sprite is drawn.
#include "actions/action_groups.h"

#include <array>
#include <functional>

#include "actions/action_helpers.h"
#include "platform/random.h"
#include "script/arguments.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_ops_collision.h"
#include "world/object.h"

namespace bw {

namespace {

using namespace actions;

// A missing object is reported by the world.
void CreateAt(CInstance* self, int32_t object, const Value& x, const Value& y,
              const std::function<void(CInstance&)>& prepare = [](CInstance&) {})
{
    const Point at = Position(self, x, y);
    Instance_Create(object, at.x, at.y, prepare);
}

BW_SELF_BUILTIN(ActionCreateObject)
{
    CreateAt(self, Arg_Trunc(args[0]), args[1], args[2]);
}

BW_SELF_BUILTIN(ActionCreateObjectMotion)
{
    const float speed = Arg_Single(args[3]);
    const float direction = Arg_Single(args[4]);
    CreateAt(self, Arg_Trunc(args[0]), args[1], args[2], [speed, direction](CInstance& created) {
        created.SetSpeed(speed);
        created.SetDirection(direction);
    });
}

BW_SELF_BUILTIN(ActionCreateObjectRandom)
{
    std::array<int32_t, 4> objects{};
    bool any = false;
    for (size_t index = 0; index < objects.size(); ++index) {
        objects[index] = Arg_Trunc(args[index]);
        any = any || Object_Exists(objects[index]);
    }
    if (!any) {
        return;
    }
    int32_t pick = 0;
    do {
        pick = objects[Random_Int(static_cast<int32_t>(objects.size()))];
    } while (!Object_Exists(pick));
    CreateAt(self, pick, args[4], args[5]);
}

BW_SELF_BUILTIN(ActionChangeObject)
{
    if (self != nullptr) {
        Instance_Change(self, Arg_Trunc(args[0]), Arg_Flag(args[1]));
    }
}

BW_SELF_BUILTIN(ActionKillObject)
{
    if (self != nullptr) {
        Instance_Destroy(self);
    }
}

BW_SELF_BUILTIN(ActionKillPosition)
{
    const Point at = Position(self, args[0], args[1]);
    Position_Destroy(at.x, at.y);
}

BW_SELF_BUILTIN(ActionSpriteSet)
{
    if (self == nullptr) {
        return;
    }
    Instance_SetSprite(self, Arg_Round(args[0]));
    if (Arg_Round(args[1]) >= 0) {
        self->i_imageindex = Arg_Single(args[1]);
    }
    self->i_imagespeed = Arg_Single(args[2]);
}

BW_SELF_BUILTIN(ActionSpriteTransform)
{
    if (self == nullptr) {
        return;
    }
    const int32_t mirror = Arg_Round(args[3]);
    const float xscale = Arg_Single(args[0]);
    const float yscale = Arg_Single(args[1]);
    self->SetImageXScale(mirror == 1 || mirror == 3 ? -xscale : xscale);
    self->SetImageYScale(mirror == 2 || mirror == 3 ? -yscale : yscale);
    self->SetImageAngle(Arg_Single(args[2]));
}

BW_SELF_BUILTIN(ActionSpriteColor)
{
    if (self != nullptr) {
        self->i_imageblend = Arg_Round(args[0]);
        self->i_imagealpha = Arg_Single(args[1]);
    }
}

BW_SELF_BUILTIN(ActionSetSprite)
{
    if (self == nullptr) {
        return;
    }
    Instance_SetSprite(self, Arg_Round(args[0]));
    if (args[1].real > 0.0) {
        self->SetImageXScale(Arg_Single(args[1]));
        self->SetImageYScale(Arg_Single(args[1]));
    }
}

}  // namespace

void ActionInstances_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_create_object", &ActionCreateObject, 3},
        {"action_create_object_motion", &ActionCreateObjectMotion, 5},
        {"action_create_object_random", &ActionCreateObjectRandom, 6},
        {"action_change_object", &ActionChangeObject, 2},
        {"action_kill_object", &ActionKillObject, 0},
        {"action_kill_position", &ActionKillPosition, 2},
        {"action_sprite_set", &ActionSpriteSet, 3},
        {"action_sprite_transform", &ActionSpriteTransform, 4},
        {"action_sprite_color", &ActionSpriteColor, 2},
        {"action_set_sprite", &ActionSetSprite, 2},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
