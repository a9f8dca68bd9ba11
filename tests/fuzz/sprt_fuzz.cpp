// The SPRT reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0. Loaded sprites are then tested against
// points, areas, lines and themselves, which reads every mask they carry.
#include <cstddef>
#include <cstdint>

#include "platform/package_view.h"
#include "resources/sprite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (bw::Sprite_Load(package, 0, length)) {
        for (int32_t i = 0; i < bw::Sprite_Count(); ++i) {
            const bw::CSprite* sprite = bw::Sprite_Get(i);
            if (sprite == nullptr) {
                continue;
            }
            bw::Sprite_Find(bw::Sprite_GetName(i));
            bw::SpritePlacement placed;
            placed.frame = -1;
            placed.left = -2;
            placed.top = -2;
            placed.right = sprite->width < 64 ? sprite->width : 64;
            placed.bottom = sprite->height < 64 ? sprite->height : 64;
            placed.x = sprite->xorigin;
            placed.y = sprite->yorigin;
            sprite->CollidePoint(placed, 1, 1);
            sprite->CollideRectangle(placed, 0, 0, 3, 3);
            sprite->CollideEllipse(placed, -1, -1, 5, 4);
            sprite->CollideLine(placed, -3, 0, 9, 5);
            sprite->CollideSprite(placed, *sprite, placed);
            placed.angle = 30.0f;
            placed.xscale = -1.5f;
            sprite->CollideSprite(placed, *sprite, placed);
            sprite->CollideLine(placed, 9, 5, -3, 0);
        }
    }
    bw::Sprite_ClearTable();
    return 0;
}
