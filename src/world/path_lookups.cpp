#include "world/path_lookups.h"

namespace bw {

PathLookups& World_PathLookups()
{
    static PathLookups lookups;
    return lookups;
}

bool Path_GetLength(int32_t path, float* length)
{
    const PathLookups& lookups = World_PathLookups();
    return lookups.length != nullptr && lookups.length(path, length);
}

bool Path_GetPosition(int32_t path, float t, float* x, float* y, float* speed)
{
    const PathLookups& lookups = World_PathLookups();
    return lookups.position != nullptr && lookups.position(path, t, x, y, speed);
}

}  // namespace bw
