#include "world/resource_lookups.h"

namespace bw {

ResourceLookups& World_ResourceLookups()
{
    static ResourceLookups lookups;
    return lookups;
}

bool Sprite_GetInfo(int32_t index, SpriteInfo* info)
{
    const ResourceLookups& lookups = World_ResourceLookups();
    return lookups.sprite != nullptr && lookups.sprite(index, info);
}

int32_t Sprite_FrameCount(int32_t index)
{
    SpriteInfo info;
    return Sprite_GetInfo(index, &info) ? info.frameCount : 0;
}

bool Background_GetSize(int32_t index, int32_t* width, int32_t* height)
{
    const ResourceLookups& lookups = World_ResourceLookups();
    return lookups.backgroundSize != nullptr && lookups.backgroundSize(index, width, height);
}

}  // namespace bw
