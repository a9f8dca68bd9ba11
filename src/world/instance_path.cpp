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
    i_pathposition += i_pathspeed * factor / (i_pathscale * 100.0f) / length;

    const PathFrame frame = FrameOf(*this);
    bool reachedEnd = false;
    if (i_pathposition >= 1.0f || i_pathposition <= 0.0f) {
        const bool ranBackwards = i_pathposition <= 0.0f;
        reachedEnd = i_pathspeed != 0.0f;
        switch (i_pathend) {
        case kEndStop:
            if (i_pathspeed != 0.0f) {
                // An instance stops at the end it ran into, so one running
                // backwards stays at the start instead of jumping to the end.
                i_pathposition = ranBackwards ? 0.0f : 1.0f;
                i_pathindex = -1;
            }
            break;
        case kEndRestart:
            i_pathposition += i_pathposition < 0.0f ? 1.0f : -1.0f;
            break;
        case kEndContinue: {
            float dx = 0.0f;
            float dy = 0.0f;
            OffsetFromStart(path, 1.0f, &dx, &dy);
            float shiftX = 0.0f;
            float shiftY = 0.0f;
            frame.Place(dx, dy, &shiftX, &shiftY);
            if (i_pathposition < 0.0f) {
                i_pathxstart -= shiftX;
                i_pathystart -= shiftY;
                i_pathposition += 1.0f;
            } else {
                i_pathxstart += shiftX;
                i_pathystart += shiftY;
                i_pathposition -= 1.0f;
            }
            break;
        }
        case kEndReverse:
            if (i_pathposition < 0.0f) {
                i_pathposition = -i_pathposition;
                i_pathspeed = std::fabs(i_pathspeed);
            } else {
                i_pathposition = 2.0f - i_pathposition;
                i_pathspeed = -std::fabs(i_pathspeed);
            }
            break;
        default:
            i_pathposition = ranBackwards ? 0.0f : 1.0f;
            i_pathindex = -1;
            break;
        }
    }

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
