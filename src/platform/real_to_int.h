// Reals from game code turned into integers, where a plain cast of a NaN or
// of a value beyond the integer's range would be undefined. The Real_ family
// keeps the processor's answers (ids, stored bytes); the GR_ family turns
// pixel positions and sizes into a NaN of 0 and out-of-range values into
// the nearest limit.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace bw {

// Nearest integer, ties to even, saturated to the 32-bit range (NaN gives
// INT32_MIN, which is never a valid id or position).
int32_t Real_RoundToInt32(double x);
// Toward zero. Outside the 32-/64-bit range, and for NaN, the answer is the
// lowest integer of the range: the processor's own "indefinite" integer, so
// that bytes written from such reals stay what the game has always stored.
int32_t Real_TruncToInt32(double x);
int64_t Real_TruncToInt64(double x);
// IEEE single precision; values beyond its range become infinities.
float Real_ToSingle(double x);

// Pixel positions and sizes.
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

// a + b held to the 32-bit range. The conversions above reach its limits
// (NaN, infinities), where a plain int32_t sum would overflow.
inline int32_t Int32_SaturatedSum(int64_t a, int64_t b)
{
    return static_cast<int32_t>(std::clamp<int64_t>(a + b, INT32_MIN, INT32_MAX));
}

}  // namespace bw
