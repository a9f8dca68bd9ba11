// What instances following paths read of a path. Paths are a resource kind
// above the world, so the path table registers these at start-up; until it
// does, no path exists.
#pragma once

#include <cstdint>

namespace bw {

struct PathLookups {
    // True and *length filled when the path exists.
    bool (*length)(int32_t path, float* length) = nullptr;
    // The point at fraction t of the path's length and its speed factor
    // (percent); false when the path does not exist.
    bool (*position)(int32_t path, float t, float* x, float* y, float* speed) = nullptr;
};
PathLookups& World_PathLookups();

// The path's length, or false when it does not exist.
bool Path_GetLength(int32_t path, float* length);
// False when the path does not exist.
bool Path_GetPosition(int32_t path, float t, float* x, float* y, float* speed);

}  // namespace bw
