// Reals from game code turned into pixel positions and sizes: a NaN gives 0
// and values beyond int32_t its nearest limit, where a plain cast would be
// undefined.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace bw {

inline int32_t GR_TruncToInt32(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
}

// Halves go to the even neighbour (the default rounding mode).
inline int32_t GR_RoundToInt32(double value)
{
    return GR_TruncToInt32(std::nearbyint(value));
}

}  // namespace bw
