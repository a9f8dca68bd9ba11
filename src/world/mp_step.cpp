#include "world/mp_step.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "script/code_stop.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_ops_collision.h"

namespace bw {

namespace {

constexpr float kPiSingle = 3.1415927f;

MP_PotentialSettingsRecord g_settings;

float Radians(float degrees)
{
    return degrees * kPiSingle / 180.0f;
}

float Distance(float x1, float y1, float x2, float y2)
{
    const float dx = x1 - x2;
    const float dy = y1 - y2;
    return std::sqrt(dx * dx + dy * dy);
}

// Into [0, 360). fmod rather than repeated steps of 360, which would never
// end for angles too large to change by 360.
float FoldAngle(float angle)
{
    float folded = std::fmod(angle, 360.0f);
    if (folded < 0.0f) {
        folded += 360.0f;
    }
    return folded >= 360.0f ? folded - 360.0f : folded;
}

// Faces the target and moves there.
void MoveTo(CInstance& instance, float x, float y)
{
    instance.SetDirection(MP_Direction(instance.i_x, instance.i_y, x, y));
    instance.SetPosition(x, y);
}

// What a path form changes on the instance while it simulates the steps.
class SavedPlace {
public:
    explicit SavedPlace(CInstance& instance)
        : m_instance(instance), m_x(instance.i_x), m_y(instance.i_y), m_direction(instance.i_direction)
    {
    }
    ~SavedPlace()
    {
        m_instance.SetPosition(m_x, m_y);
        m_instance.SetDirection(m_direction);
    }
    SavedPlace(const SavedPlace&) = delete;
    SavedPlace& operator=(const SavedPlace&) = delete;

private:
    CInstance& m_instance;
    float m_x;
    float m_y;
    float m_direction;
};

// Simulated walks need real numbers: with not-a-number anywhere no step
// ever compares as arrived or as stuck. A step can leave them too (a goal
// so far that its distance overflows), which ends the walk where it was.
bool HasRealPlace(const CInstance& instance)
{
    return std::isfinite(instance.i_x) && std::isfinite(instance.i_y);
}

bool CanPlan(const CInstance& instance, float xg, float yg)
{
    return HasRealPlace(instance) && std::isfinite(xg) && std::isfinite(yg);
}

// Steps in a row that leave the place as it was, after which the walk can
// never move again: the instance has turned a whole turn on the spot, trying
// the fan from every heading (without turning, or with a step too small to
// change a far place, it would repeat the same step for ever). A walk that
// moves ends by its length instead.
int32_t StepsOfAWholeTurn()
{
    return static_cast<int32_t>(std::max(1.0f, std::ceil(360.0f / g_settings.maxrot)));
}

// Once the length rule can no longer end a potential walk (an allowance
// that is not finite, or a length too great for a step to add to), a walk
// that neither arrives nor stops goes round the same places for ever: each
// step depends on the place and heading alone, so one seen again is a loop.
// Brent's search finds it keeping a single state.
class LoopWatch {
public:
    bool SeenAgain(const CInstance& instance)
    {
        const State now{instance.i_x, instance.i_y, instance.i_direction};
        if (now == m_saved) {
            return true;
        }
        if (++m_steps == m_window) {
            m_saved = now;
            m_window *= 2;
            m_steps = 0;
        }
        return false;
    }

private:
    struct State {
        float x, y, direction;
        bool operator==(const State&) const = default;
    };
    State m_saved{NAN, NAN, NAN};  // equal to no state
    int64_t m_window = 1;
    int64_t m_steps = 0;
};

void AddPosition(MP_Route& route, const CInstance& instance)
{
    route.push_back({instance.i_x, instance.i_y});
}

}  // namespace

float MP_Direction(float x1, float y1, float x2, float y2)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    if (dx == 0.0f) {
        return dy > 0.0f ? 270.0f : (dy < 0.0f ? 90.0f : 0.0f);
    }
    const float a = std::atan2(dy, dx) * 180.0f / kPiSingle;
    return a > 0.0f ? 360.0f - a : -a;
}

float MP_AngleDifference(float a, float b)
{
    const float difference = std::fabs(FoldAngle(a) - FoldAngle(b));
    return difference > 180.0f ? 360.0f - difference : difference;
}

MP_PotentialSettingsRecord& MP_PotentialSettingsCurrent()
{
    return g_settings;
}

void MP_PotentialSettings(float maxrot, float rotstep, float ahead, bool onspot)
{
    // 1 first, so that not-a-number becomes 1 as well.
    g_settings.maxrot = std::max(1.0f, maxrot);
    g_settings.rotstep = std::max(1.0f, rotstep);
    g_settings.ahead = std::max(1.0f, ahead);
    g_settings.onspot = onspot;
}

bool MP_PlaceFree(CInstance* instance, float x, float y, int32_t obj, bool checkall)
{
    if (obj != kSelectorAll) {
        return !Place_Meeting(instance, x, y, obj);
    }
    return Place_FreeOrEmpty(instance, x, y, checkall);
}

bool MP_LinearStep(CInstance* instance, float xg, float yg, float stepsize, int32_t obj, bool checkall)
{
    if (instance == nullptr) {
        return false;
    }
    const float x = instance->i_x;
    const float y = instance->i_y;
    if (x == xg && y == yg) {
        return true;
    }
    const float distance = Distance(x, y, xg, yg);
    const bool reaches = stepsize >= distance;
    const float tx = reaches ? xg : x + (xg - x) * stepsize / distance;
    const float ty = reaches ? yg : y + (yg - y) * stepsize / distance;
    if (MP_PlaceFree(instance, tx, ty, obj, checkall)) {
        MoveTo(*instance, tx, ty);
    }
    return reaches;
}

bool MP_PotentialTryDirection(float direction, CInstance* instance, float stepsize, int32_t obj, bool checkall)
{
    if (instance == nullptr || MP_AngleDifference(direction, instance->i_direction) > g_settings.maxrot) {
        return false;
    }
    const float radians = Radians(direction);
    const float dx = std::cos(radians);
    const float dy = -std::sin(radians);
    const float x = instance->i_x;
    const float y = instance->i_y;
    const float reach = g_settings.ahead * stepsize;
    if (!MP_PlaceFree(instance, x + dx * reach, y + dy * reach, obj, checkall)) {
        return false;
    }
    const float nx = x + dx * stepsize;
    const float ny = y + dy * stepsize;
    if (!MP_PlaceFree(instance, nx, ny, obj, checkall)) {
        return false;
    }
    instance->SetDirection(direction);
    instance->SetPosition(nx, ny);
    return true;
}

bool MP_PotentialStep(CInstance* instance, float xg, float yg, float stepsize, int32_t obj, bool checkall)
{
    if (instance == nullptr) {
        return false;
    }
    const float x = instance->i_x;
    const float y = instance->i_y;
    // At the goal or within a step of it, there is nothing to steer round.
    if ((x == xg && y == yg) || stepsize >= Distance(x, y, xg, yg)) {
        return MP_LinearStep(instance, xg, yg, stepsize, obj, checkall);
    }
    const float goal = MP_Direction(x, y, xg, yg);
    for (float turn = 0.0f; turn < 180.0f; turn += g_settings.rotstep) {
        if (MP_PotentialTryDirection(goal - turn, instance, stepsize, obj, checkall) ||
            MP_PotentialTryDirection(goal + turn, instance, stepsize, obj, checkall)) {
            return false;
        }
    }
    if (g_settings.onspot) {
        instance->SetDirection(instance->i_direction + g_settings.maxrot);
    }
    return false;
}

bool MP_LinearPath(CInstance* instance, MP_Route& route, float xg, float yg, float stepsize, int32_t obj,
                   bool checkall)
{
    if (instance == nullptr || !(stepsize > 0.0f) || !CanPlan(*instance, xg, yg)) {
        return false;
    }
    const SavedPlace saved(*instance);
    route.clear();
    AddPosition(route, *instance);
    for (;;) {
        const float x = instance->i_x;
        const float y = instance->i_y;
        if (MP_LinearStep(instance, xg, yg, stepsize, obj, checkall)) {
            route.push_back({xg, yg});
            return true;
        }
        if ((instance->i_x == x && instance->i_y == y) || !HasRealPlace(*instance) || Code_StopDue()) {
            return false;
        }
        AddPosition(route, *instance);
    }
}

bool MP_PotentialPath(CInstance* instance, MP_Route& route, float xg, float yg, float stepsize, float factor,
                      int32_t obj, bool checkall)
{
    if (instance == nullptr || !(factor >= 1.0f) || !(stepsize > 0.0f) || !CanPlan(*instance, xg, yg)) {
        return false;
    }
    const SavedPlace saved(*instance);
    const float longest = factor * Distance(instance->i_x, instance->i_y, xg, yg);
    route.clear();
    AddPosition(route, *instance);
    const int32_t stuckAfter = StepsOfAWholeTurn();
    int32_t stepsInPlace = 0;
    float length = 0.0f;
    LoopWatch loops;
    while (!MP_PotentialStep(instance, xg, yg, stepsize, obj, checkall)) {
        if (!HasRealPlace(*instance) || Code_StopDue()) {
            return false;
        }
        const MP_RoutePoint last = route.back();
        AddPosition(route, *instance);
        length += Distance(last.x, last.y, instance->i_x, instance->i_y);
        const bool moved = instance->i_x != last.x || instance->i_y != last.y;
        stepsInPlace = moved ? 0 : stepsInPlace + 1;
        if (length > longest || stepsInPlace >= stuckAfter) {
            return false;
        }
        const bool lengthCanEnd = std::isfinite(longest) && length + stepsize > length;
        if (!lengthCanEnd && loops.SeenAgain(*instance)) {
            return false;
        }
    }
    route.push_back({xg, yg});
    return true;
}

}  // namespace bw
