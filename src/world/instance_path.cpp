// Instances following paths. An instance on a path keeps the path's index,
// its position as a fraction of the path's length, the speed in pixels per
// step, a scale and an orientation, and the origin the path is drawn from;
// each step moves the position and places the instance at the matching
// point of the path turned and scaled about that origin.
#include <cmath>

#include "world/instance.h"
#include "world/path_lookups.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;

constexpr int32_t kEndStop = 0;
constexpr int32_t kEndRestart = 1;
constexpr int32_t kEndContinue = 2;
constexpr int32_t kEndReverse = 3;

struct PathFrame {
    float cosine;
    float sine;
    float scale;

    // An offset from the path's start turned by the orientation and scaled,
    // as it lies in the room.
    void Place(float dx, float dy, float* x, float* y) const
    {
        *x = (cosine * dx + sine * dy) * scale;
        *y = (cosine * dy - sine * dx) * scale;
    }
};

PathFrame FrameOf(const CInstance& instance)
{
    const float radians = instance.i_pathorientation * kPi / 180.0f;
    return PathFrame{std::cos(radians), std::sin(radians), instance.i_pathscale};
}

// The offset of the path's point at t from its start.
void OffsetFromStart(int32_t path, float t, float* dx, float* dy)
{
    float startX = 0.0f;
    float startY = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float speed = 0.0f;
    Path_GetPosition(path, 0.0f, &startX, &startY, &speed);
    Path_GetPosition(path, t, &x, &y, &speed);
    *dx = x - startX;
    *dy = y - startY;
}

// The end action, once a moving step has taken the instance onto or past an
// end of its path; ranBackwards tells which end, so that a path landing on
// its start exactly turns there as one overshooting it does.
void TakeEndAction(CInstance& instance, int32_t path, const PathFrame& frame, bool ranBackwards)
{
    const float end = ranBackwards ? 0.0f : 1.0f;
    // The way back onto the path: forwards from the start, backwards from
    // the end.
    const float back = ranBackwards ? 1.0f : -1.0f;
    switch (instance.i_pathend) {
    case kEndRestart:
        instance.i_pathposition += back;
        break;
    case kEndContinue: {
        float dx = 0.0f;
        float dy = 0.0f;
        OffsetFromStart(path, 1.0f, &dx, &dy);
        float shiftX = 0.0f;
        float shiftY = 0.0f;
        frame.Place(dx, dy, &shiftX, &shiftY);
        instance.i_pathxstart -= back * shiftX;
        instance.i_pathystart -= back * shiftY;
        instance.i_pathposition += back;
        break;
    }
    case kEndReverse:
        // Mirrored about the end, so the overshoot is walked back.
        instance.i_pathposition = 2.0f * end - instance.i_pathposition;
        instance.i_pathspeed = back * std::fabs(instance.i_pathspeed);
        break;
    case kEndStop:
    default:
        // Stop, and any action the runner does not know: the instance stays
        // at the end it ran into.
        instance.i_pathposition = end;
        instance.i_pathindex = -1;
        break;
    }
}

}  // namespace

void CInstance::StartPath(int32_t path, float speed, float scale, float orientation, bool relative,
                          int32_t endAction)
{
    i_pathindex = path;
    float length = 0.0f;
    if (!Path_GetLength(path, &length) || !(length > 0.0f)) {
        i_pathindex = -1;
        return;
    }
    const float start = speed >= 0.0f ? 0.0f : 1.0f;
    i_pathspeed = speed;
    i_pathposition = start;
    i_pathpositionprevious = start;
    i_pathscale = scale;
    // NaN is refused with the negative scales: it would make every later
    // position NaN.
    if (!(scale >= 0.0f)) {
        i_pathindex = -1;
        return;
    }
    i_pathorientation = orientation;
    i_pathend = endAction;
    if (!relative) {
        float x = 0.0f;
        float y = 0.0f;
        float factor = 0.0f;
        Path_GetPosition(path, start, &x, &y, &factor);
        SetPosition(x, y);
    }
    // The origin is where the path's first point lies, so that the instance
    // stands on the point it starts from: at the end of the path when it
    // runs backwards, not one path length beyond it.
    float dx = 0.0f;
    float dy = 0.0f;
    OffsetFromStart(path, start, &dx, &dy);
    float placedX = 0.0f;
    float placedY = 0.0f;
    FrameOf(*this).Place(dx, dy, &placedX, &placedY);
    i_pathxstart = i_x - placedX;
    i_pathystart = i_y - placedY;
}

bool CInstance::PathStep()
{
    const int32_t path = i_pathindex;
    float length = 0.0f;
    if (path < 0 || !Path_GetLength(path, &length) || !(length > 0.0f)) {
        return false;
    }
    float x = 0.0f;
    float y = 0.0f;
    float factor = 0.0f;
    Path_GetPosition(path, i_pathposition, &x, &y, &factor);
    const float step = i_pathspeed * factor / (i_pathscale * 100.0f) / length;
    // A step of 0 (speed or factor 0) or NaN (a speed or scale that is not
    // a number, or both 0) keeps the position, at an end as much as between
    // them: pausing a path must neither end it nor move the instance.
    if (!std::isnan(step)) {
        i_pathposition += step;
    }
    const bool reachedEnd = (step > 0.0f && i_pathposition >= 1.0f) || (step < 0.0f && i_pathposition <= 0.0f);

    const PathFrame frame = FrameOf(*this);
    if (reachedEnd) {
        TakeEndAction(*this, path, frame, step < 0.0f);
    }
    // A step longer than the path can leave the position outside it even
    // after the end action.
    SetPathPosition(i_pathposition);

    float dx = 0.0f;
    float dy = 0.0f;
    OffsetFromStart(path, i_pathposition, &dx, &dy);
    float placedX = 0.0f;
    float placedY = 0.0f;
    frame.Place(dx, dy, &placedX, &placedY);
    const float newX = i_pathxstart + placedX;
    const float newY = i_pathystart + placedY;
    // The motion fields take the step's direction, with speed 0 so that the
    // motion pass adds nothing to the move made here.
    SetHSpeed(newX - i_x);
    SetVSpeed(newY - i_y);
    if (i_speed != 0.0f) {
        i_speed = 0.0f;
        UpdateFromDirection();
    }
    SetPosition(newX, newY);
    return reachedEnd;
}

}  // namespace bw
