#include "world/instance_ops_motion.h"

#include <cmath>

#include "world/instance.h"
#include "world/resource_lookups.h"
#include "world/room.h"

namespace bw {

namespace {

// The quotient is rounded to a whole number first, then scaled back.
float Snap(float value, float step)
{
    return step > 0.0f ? std::nearbyint(value / step) * step : value;
}

// One axis of a wrap: position, speed along it, room extent, sprite extent.
float Wrap(float position, float speed, float roomSize, float spriteSize)
{
    if (speed < 0.0f && position < 0.0f) {
        return roomSize + position + spriteSize;
    }
    if (speed > 0.0f && position >= roomSize) {
        return position - roomSize - spriteSize;
    }
    return position;
}

}  // namespace

void Move_Snap(CInstance* self, float hsnap, float vsnap)
{
    if (self != nullptr) {
        self->SetPosition(Snap(self->i_x, hsnap), Snap(self->i_y, vsnap));
    }
}

void Move_Wrap(CInstance* self, bool horizontal, bool vertical)
{
    const CRoom* room = Room_Current();
    if (self == nullptr || room == nullptr) {
        return;
    }
    SpriteInfo sprite;
    if (!Sprite_GetInfo(self->i_spriteindex, &sprite)) {
        sprite = SpriteInfo{};
    }
    float x = self->i_x;
    float y = self->i_y;
    if (horizontal) {
        x = Wrap(x, self->i_hspeed, static_cast<float>(room->width),
                 static_cast<float>(sprite.width) * self->i_imagescalex);
    }
    if (vertical) {
        y = Wrap(y, self->i_vspeed, static_cast<float>(room->height),
                 static_cast<float>(sprite.height) * self->i_imagescaley);
    }
    self->SetPosition(x, y);
}

void Move_TowardsPoint(CInstance* self, float x, float y, float speed)
{
    if (self == nullptr) {
        return;
    }
    self->i_hspeed = x - self->i_x;
    self->i_vspeed = y - self->i_y;
    self->UpdateFromHV();
    self->SetSpeed(speed);
}

}  // namespace bw
