// What instances and built-in variables read of sprites and backgrounds.
// The resource tables live in a layer above the world, so their owner
// registers these lookups at start-up; until then every sprite and every
// background is absent.
#pragma once

#include <cstdint>

namespace bw {

struct SpriteInfo {
    int32_t frameCount = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t xorigin = 0;
    int32_t yorigin = 0;
    // The mask's bounding box in sprite pixels, inclusive.
    int32_t bboxLeft = 0;
    int32_t bboxTop = 0;
    int32_t bboxRight = 0;
    int32_t bboxBottom = 0;
    bool precise = false;
};

// A sprite as an instance places it in the room: the frame, the instance's
// bounding box (room pixels, inclusive), its position rounded to whole
// pixels, its scales and its angle in degrees.
struct SpritePlacement {
    int32_t frame = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t x = 0;
    int32_t y = 0;
    float xscale = 1.0f;
    float yscale = 1.0f;
    float angle = 0.0f;
};

// The per-pixel tests of a placed sprite's collision masks. Each answers
// whether a solid mask pixel lies in the other shape; a sprite without
// masks meets every shape its box met. Rectangles are inclusive.
struct SpriteCollisionTests {
    bool (*sprite)(int32_t sprite, const SpritePlacement& placed, int32_t otherSprite,
                   const SpritePlacement& otherPlaced) = nullptr;
    bool (*point)(int32_t sprite, const SpritePlacement& placed, int32_t px, int32_t py) = nullptr;
    bool (*rectangle)(int32_t sprite, const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                      int32_t bottom) = nullptr;
    bool (*ellipse)(int32_t sprite, const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                    int32_t bottom) = nullptr;
    bool (*line)(int32_t sprite, const SpritePlacement& placed, int32_t x1, int32_t y1, int32_t x2,
                 int32_t y2) = nullptr;
};

struct ResourceLookups {
    // True and *info filled when the sprite exists.
    bool (*sprite)(int32_t index, SpriteInfo* info) = nullptr;
    // Until registered, precise tests leave the answer to the boxes.
    SpriteCollisionTests spriteCollision;
    // True and the size filled when the background exists.
    bool (*backgroundSize)(int32_t index, int32_t* width, int32_t* height) = nullptr;
};
ResourceLookups& World_ResourceLookups();

bool Sprite_GetInfo(int32_t index, SpriteInfo* info);
// Frames of the sprite, 0 when it does not exist.
int32_t Sprite_FrameCount(int32_t index);
bool Background_GetSize(int32_t index, int32_t* width, int32_t* height);

}  // namespace bw
