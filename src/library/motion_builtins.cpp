// Argument handling of the movement and motion-planning built-ins. They act
// for self; coordinates, speeds and directions pass as floats, integers are
// rounded to the nearest (ties to even) and flags are true from 0.5 up. The
// planners and grids live in the world; routes they plan are written into
// the path resource here.
#include "library/motion_builtins.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/draw_2d.h"
#include "script/arguments.h"
#include "resources/path.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_ops_collision.h"
#include "world/instance_ops_motion.h"
#include "world/instance_table.h"
#include "world/mp_grid.h"
#include "world/mp_step.h"
#include "world/room.h"

namespace bw {

namespace {

// A snap within this of a multiple counts as on it.
constexpr double kSnappedTolerance = 0.001;
constexpr float kFarAway = 1000000.0f;
constexpr float kRouteSpeed = 100.0f;

// ---- placing and moving self ----

BW_SELF_BUILTIN(MoveRandom)
{
    Move_Random(self, Arg_Round(args[0]), Arg_Round(args[1]), kMoveRandomTries);
}

BW_SELF_BUILTIN(PlaceFree)
{
    Result_SetBool(result, Place_Free(self, Arg_Single(args[0]), Arg_Single(args[1])));
}

BW_SELF_BUILTIN(PlaceEmpty)
{
    Result_SetBool(result, Place_Empty(self, Arg_Single(args[0]), Arg_Single(args[1])));
}

BW_SELF_BUILTIN(PlaceMeeting)
{
    int32_t selector = Arg_Round(args[2]);
    if (selector == kSelectorSelf && self != nullptr) {
        selector = self->i_id;
    } else if (selector == kSelectorOther && other != nullptr) {
        selector = other->i_id;
    }
    Result_SetBool(result, Place_Meeting(self, Arg_Single(args[0]), Arg_Single(args[1]), selector));
}

bool SnappedOnAxis(float position, float snap)
{
    if (!(snap > 0.0f)) {
        return true;
    }
    const double nearest = std::nearbyint(static_cast<double>(position) / snap) * snap;
    return std::fabs(position - nearest) < kSnappedTolerance;
}

BW_SELF_BUILTIN(PlaceSnapped)
{
    if (self != nullptr) {
        Result_SetBool(result, SnappedOnAxis(self->i_x, Arg_Single(args[0])) && SnappedOnAxis(self->i_y, Arg_Single(args[1])));
    }
}

BW_SELF_BUILTIN(MoveSnap)
{
    Move_Snap(self, Arg_Single(args[0]), Arg_Single(args[1]));
}

BW_SELF_BUILTIN(MoveTowardsPoint)
{
    Move_TowardsPoint(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]));
}

BW_SELF_BUILTIN(MoveBounceSolid)
{
    Move_Bounce(self, Arg_Flag(args[0]), false);
}

BW_SELF_BUILTIN(MoveBounceAll)
{
    Move_Bounce(self, Arg_Flag(args[0]), true);
}

// Into contact from a free place, out of contact otherwise; solid only.
BW_SELF_BUILTIN(MoveContact)
{
    if (self == nullptr) {
        return;
    }
    const float direction = Arg_Single(args[0]);
    if (Place_Free(self, self->i_x, self->i_y)) {
        Move_Contact(self, direction, -1.0f, false);
    } else {
        Move_Outside(self, direction, -1.0f, false);
    }
}

BW_SELF_BUILTIN(MoveContactSolid)
{
    Move_Contact(self, Arg_Single(args[0]), Arg_Single(args[1]), false);
}

BW_SELF_BUILTIN(MoveContactAll)
{
    Move_Contact(self, Arg_Single(args[0]), Arg_Single(args[1]), true);
}

BW_SELF_BUILTIN(MoveOutsideSolid)
{
    Move_Outside(self, Arg_Single(args[0]), Arg_Single(args[1]), false);
}

BW_SELF_BUILTIN(MoveOutsideAll)
{
    Move_Outside(self, Arg_Single(args[0]), Arg_Single(args[1]), true);
}

// Leaving by more than the margin on one side comes back in on the other.
float WrapAxis(float position, float size, float margin)
{
    if (position < -margin) {
        position = size + position + 2.0f * margin;
    }
    if (position > size + margin) {
        position = position - size - 2.0f * margin;
    }
    return position;
}

BW_SELF_BUILTIN(MoveWrap)
{
    const CRoom* room = Room_Current();
    if (self == nullptr || room == nullptr) {
        return;
    }
    const float margin = Arg_Single(args[2]);
    const float x = Arg_Flag(args[0]) ? WrapAxis(self->i_x, static_cast<float>(room->width), margin) : self->i_x;
    const float y = Arg_Flag(args[1]) ? WrapAxis(self->i_y, static_cast<float>(room->height), margin) : self->i_y;
    self->SetPosition(x, y);
}

BW_SELF_BUILTIN(MotionSet)
{
    if (self != nullptr) {
        self->SetDirection(Arg_Single(args[0]));
        self->SetSpeed(Arg_Single(args[1]));
    }
}

BW_SELF_BUILTIN(MotionAdd)
{
    if (self != nullptr) {
        self->AddMotion(Arg_Single(args[0]), Arg_Single(args[1]));
    }
}

// ---- distances ----

// How far a coordinate lies outside [low, high]; 0 inside.
float Outside(float value, float low, float high)
{
    return value > high ? value - high : (value < low ? value - low : 0.0f);
}

BW_SELF_BUILTIN(DistanceToPoint)
{
    if (self == nullptr) {
        return;
    }
    const InstanceBBox& box = self->GetBBox();
    const float dx = Outside(Arg_Single(args[0]), static_cast<float>(box.left), static_cast<float>(box.right));
    const float dy = Outside(Arg_Single(args[1]), static_cast<float>(box.top), static_cast<float>(box.bottom));
    result->real = std::sqrt(dx * dx + dy * dy);
}

// The gap between the two bounding boxes; kFarAway for an instance that
// does not count.
float BoxDistance(CInstance& self, CInstance* other)
{
    if (other == nullptr || other == &self || !Instance_IsLive(other)) {
        return kFarAway;
    }
    const InstanceBBox a = self.GetBBox();
    const InstanceBBox& b = other->GetBBox();
    const auto gap = [](int32_t lowA, int32_t highA, int32_t lowB, int32_t highB) {
        if (lowB > highA) {
            return static_cast<float>(int64_t{lowB} - highA);
        }
        return highB < lowA ? static_cast<float>(int64_t{lowA} - highB) : 0.0f;
    };
    const float dx = gap(a.left, a.right, b.left, b.right);
    const float dy = gap(a.top, a.bottom, b.top, b.bottom);
    return std::sqrt(dx * dx + dy * dy);
}

BW_SELF_BUILTIN(DistanceToObject)
{
    result->real = kFarAway;
    if (self == nullptr) {
        return;
    }
    const int32_t selector = Arg_Trunc(args[0]);
    float nearest = kFarAway;
    if (selector == kSelectorOther) {
        nearest = BoxDistance(*self, other);
    } else if (selector >= 0 || selector == kSelectorAll) {
        Instance_ForEachCandidate(selector, [&](CInstance* candidate) {
            nearest = std::min(nearest, BoxDistance(*self, candidate));
            return true;
        });
    }
    result->real = nearest;
}

// ---- paths ----

BW_SELF_BUILTIN(PathStart)
{
    if (self != nullptr) {
        self->StartPath(Arg_Round(args[0]), Arg_Single(args[1]), 1.0f, 0.0f, !Arg_Flag(args[3]), Arg_Round(args[2]));
    }
}

BW_SELF_BUILTIN(PathEnd)
{
    if (self != nullptr) {
        self->StartPath(-1, 0.0f, 1.0f, 0.0f, false, 0);
    }
}

// The path a planning built-in writes into; null (reported) when missing.
CPath* PlanningPath(const Value& arg)
{
    CPath* path = Path_Exists(Arg_Round(arg)) ? Path_Get(Arg_Round(arg)) : nullptr;
    if (path == nullptr) {
        Code_Error_Runtime("Trying to assign to a non-existing path.", false);
    }
    return path;
}

// A planned route becomes the path's points: straight, open, normal speed.
void WriteRoute(CPath& path, const MP_Route& route)
{
    path.Clear();
    path.SetKind(kPathKindStraight);
    path.SetClosed(false);
    std::vector<PathPoint> points;
    points.reserve(route.size());
    for (const MP_RoutePoint& point : route) {
        points.push_back({point.x, point.y, kRouteSpeed});
    }
    path.AddPoints(points);
}

// ---- stepping planners ----

BW_SELF_BUILTIN(MpLinearStep)
{
    Result_SetBool(result, MP_LinearStep(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), kSelectorAll,
                                  Arg_Flag(args[3])));
}

BW_SELF_BUILTIN(MpPotentialStep)
{
    Result_SetBool(result, MP_PotentialStep(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                     kSelectorAll, Arg_Flag(args[3])));
}

BW_SELF_BUILTIN(MpLinearStepObject)
{
    Result_SetBool(result, MP_LinearStep(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                  Arg_Round(args[3]), true));
}

BW_SELF_BUILTIN(MpPotentialStepObject)
{
    Result_SetBool(result, MP_PotentialStep(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                     Arg_Round(args[3]), true));
}

BW_BUILTIN(MpPotentialSettings)
{
    MP_PotentialSettings(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), Arg_Flag(args[3]));
}

// The planners clear and refill the route only when they start planning;
// what they walked is the path's new course, found or not.
void PlanLinear(Value* result, CInstance* self, const Value* args, int32_t obj, bool checkall)
{
    CPath* path = PlanningPath(args[0]);
    if (path == nullptr) {
        return;
    }
    MP_Route route;
    Result_SetBool(result, MP_LinearPath(self, route, Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]), obj,
                                  checkall));
    if (!route.empty()) {
        WriteRoute(*path, route);
    }
}

void PlanPotential(Value* result, CInstance* self, const Value* args, int32_t obj, bool checkall)
{
    CPath* path = PlanningPath(args[0]);
    if (path == nullptr) {
        return;
    }
    MP_Route route;
    Result_SetBool(result, MP_PotentialPath(self, route, Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]),
                                     Arg_Single(args[4]), obj, checkall));
    if (!route.empty()) {
        WriteRoute(*path, route);
    }
}

BW_SELF_BUILTIN(MpLinearPath)
{
    PlanLinear(result, self, args, kSelectorAll, Arg_Flag(args[4]));
}

BW_SELF_BUILTIN(MpLinearPathObject)
{
    PlanLinear(result, self, args, Arg_Round(args[4]), true);
}

BW_SELF_BUILTIN(MpPotentialPath)
{
    PlanPotential(result, self, args, kSelectorAll, Arg_Flag(args[5]));
}

BW_SELF_BUILTIN(MpPotentialPathObject)
{
    PlanPotential(result, self, args, Arg_Round(args[5]), true);
}

// ---- grids ----

BW_BUILTIN(MpGridCreate)
{
    result->real = CGrid_Create(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]), Arg_Round(args[3]),
                                Arg_Round(args[4]), Arg_Round(args[5]));
}

BW_BUILTIN(MpGridDestroy)
{
    CGrid_Destroy(Arg_Round(args[0]));
}

BW_BUILTIN(MpGridClearAll)
{
    CGrid_ClearAll(Arg_Round(args[0]));
}

BW_BUILTIN(MpGridClearCell)
{
    CGrid_ClearCell(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]));
}

BW_BUILTIN(MpGridAddCell)
{
    CGrid_AddCell(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]));
}

BW_BUILTIN(MpGridClearRectangle)
{
    CGrid_ClearRectangle(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]), Arg_Round(args[3]),
                         Arg_Round(args[4]));
}

BW_BUILTIN(MpGridAddRectangle)
{
    CGrid_AddRectangle(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]), Arg_Round(args[3]),
                       Arg_Round(args[4]));
}

BW_SELF_BUILTIN(MpGridAddInstances)
{
    const int32_t grid = Arg_Round(args[0]);
    const int32_t selector = Arg_Round(args[1]);
    const bool precise = Arg_Flag(args[2]);
    if (selector == kSelectorSelf || selector == kSelectorOther) {
        CGrid_AddInstance(grid, selector == kSelectorSelf ? self : other, precise);
        return;
    }
    if (selector >= 0 || selector == kSelectorAll) {
        Instance_ForEachCandidate(selector, [&](CInstance* instance) {
            if (Instance_IsLive(instance)) {
                CGrid_AddInstance(grid, instance, precise);
            }
            return true;
        });
    }
}

BW_BUILTIN(MpGridPath)
{
    CPath* path = PlanningPath(args[1]);
    if (path == nullptr) {
        return;
    }
    MP_Route route;
    const bool found = CGrid_Path(Arg_Round(args[0]), route, Arg_Round(args[2]), Arg_Round(args[3]),
                                  Arg_Round(args[4]), Arg_Round(args[5]), Arg_Flag(args[6]));
    if (found) {
        WriteRoute(*path, route);
    }
    Result_SetBool(result, found);
}

void DrawCell(float x1, float y1, float x2, float y2, uint32_t colour)
{
    GR_DrawRectangleColour(x1, y1, x2, y2, colour, colour, colour, colour, 0);
}

BW_BUILTIN(MpGridDraw)
{
    CGrid_Draw(Arg_Round(args[0]), &DrawCell);
}

const BuiltinRegistration kMotionBuiltins[] = {
    {"move_random", MoveRandom, 2},
    {"place_free", PlaceFree, 2},
    {"place_empty", PlaceEmpty, 2},
    {"place_meeting", PlaceMeeting, 3},
    {"place_snapped", PlaceSnapped, 2},
    {"move_snap", MoveSnap, 2},
    {"move_towards_point", MoveTowardsPoint, 3},
    {"move_bounce", MoveBounceSolid, 1},
    {"move_bounce_solid", MoveBounceSolid, 1},
    {"move_bounce_all", MoveBounceAll, 1},
    {"move_contact", MoveContact, 1},
    {"move_contact_solid", MoveContactSolid, 2},
    {"move_contact_all", MoveContactAll, 2},
    {"move_outside_solid", MoveOutsideSolid, 2},
    {"move_outside_all", MoveOutsideAll, 2},
    {"move_wrap", MoveWrap, 3},
    {"motion_set", MotionSet, 2},
    {"motion_add", MotionAdd, 2},
    {"distance_to_point", DistanceToPoint, 2},
    {"distance_to_object", DistanceToObject, 1},
    {"path_start", PathStart, 4},
    {"path_end", PathEnd, 0},
    {"mp_linear_step", MpLinearStep, 4},
    {"mp_potential_step", MpPotentialStep, 4},
    {"mp_linear_step_object", MpLinearStepObject, 4},
    {"mp_potential_step_object", MpPotentialStepObject, 4},
    {"mp_potential_settings", MpPotentialSettings, 4},
    {"mp_linear_path", MpLinearPath, 5},
    {"mp_potential_path", MpPotentialPath, 6},
    {"mp_linear_path_object", MpLinearPathObject, 5},
    {"mp_potential_path_object", MpPotentialPathObject, 6},
    {"mp_grid_create", MpGridCreate, 6},
    {"mp_grid_destroy", MpGridDestroy, 1},
    {"mp_grid_clear_all", MpGridClearAll, 1},
    {"mp_grid_clear_cell", MpGridClearCell, 3},
    {"mp_grid_add_cell", MpGridAddCell, 3},
    {"mp_grid_clear_rectangle", MpGridClearRectangle, 5},
    {"mp_grid_add_rectangle", MpGridAddRectangle, 5},
    {"mp_grid_add_instances", MpGridAddInstances, 3},
    {"mp_grid_path", MpGridPath, 7},
    {"mp_grid_draw", MpGridDraw, 1},
};

}  // namespace

void Function_Motion_Register()
{
    Builtins_Register(kMotionBuiltins);
}

}  // namespace bw
