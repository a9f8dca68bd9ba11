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

struct ResourceLookups {
    // True and *info filled when the sprite exists.
    bool (*sprite)(int32_t index, SpriteInfo* info) = nullptr;
    // True and the size filled when the background exists.
    bool (*backgroundSize)(int32_t index, int32_t* width, int32_t* height) = nullptr;
};
ResourceLookups& World_ResourceLookups();

bool Sprite_GetInfo(int32_t index, SpriteInfo* info);
// Frames of the sprite, 0 when it does not exist.
int32_t Sprite_FrameCount(int32_t index);
bool Background_GetSize(int32_t index, int32_t* width, int32_t* height);

}  // namespace bw
