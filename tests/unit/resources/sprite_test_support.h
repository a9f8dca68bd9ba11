// Sprites drawn as text for the sprite tests: '#' is an opaque pixel, '.' a
// transparent one. Made the way game code makes sprites from images, so the
// masks come from the sprite's own mask builder.
#pragma once

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "resources/sprite.h"

namespace bw::test {

inline std::vector<uint32_t> PicturePixels(std::initializer_list<const char*> rows)
{
    std::vector<uint32_t> pixels;
    for (const char* row : rows) {
        for (const char* at = row; *at != '\0'; ++at) {
            pixels.push_back(*at == '#' ? 0xFFFFFFFFu : 0x00000000u);
        }
    }
    return pixels;
}

inline std::unique_ptr<CSprite> SpriteFromPicture(std::initializer_list<const char*> rows, int32_t frames = 1,
                                                  bool precise = true, int32_t xorigin = 0, int32_t yorigin = 0)
{
    const std::vector<uint32_t> pixels = PicturePixels(rows);
    const auto height = static_cast<int32_t>(rows.size());
    const auto width = static_cast<int32_t>(std::strlen(*rows.begin()));
    auto sprite = std::make_unique<CSprite>();
    sprite->LoadFromBitmap(pixels.data(), width, height, frames, precise, true, false, xorigin, yorigin, true);
    return sprite;
}

}  // namespace bw::test
