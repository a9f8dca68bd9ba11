// Sprites drawn as text for the sprite tests: '#' is an opaque pixel, '.' a
// transparent one. Made the way game code makes sprites from images, so the
// masks come from the sprite's own mask builder.
#pragma once

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "chunk_image.h"
#include "graphics/texture_pages.h"
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

// One sprite "spr_test" of two 4 x 2 frames, origin (1, 1), box words
// left 1, right 3, bottom 1, top 0, and two masks:
//   mask 0: #..#   mask 1: ....
//           .#..           ####
struct SprtChunk {
    ChunkImage image;
    uint32_t list = 0;
    uint32_t record = 0;

    SprtChunk()
    {
        const uint32_t entries = image.Here();
        image.Zeros(2 * sizeof(TexturePageEntry));
        const uint32_t name = image.Text("spr_test");
        list = image.List(1);
        image.Slot(list, 0);
        record = image.Here();
        for (int32_t word : {0, 4, 2, 1, 3, 1, 0, 1, 0, 1, 0, 1, 1, 1}) {
            image.I32(word);
        }
        image.PatchU32(record, name);
        image.U32(2);
        image.U32(entries);
        image.U32(entries + static_cast<uint32_t>(sizeof(TexturePageEntry)));
        image.U32(2);
        // Two masks of two one-byte rows: 0x90 0x40, then 0x00 0xF0.
        image.U32(0xF0004090u);
    }
    void PatchWord(uint32_t word, uint32_t value) { image.PatchU32(record + 4 * word, value); }
    bool Load() const { return Sprite_Load(image.View(), list, image.Size() - list); }
};

}  // namespace bw::test
