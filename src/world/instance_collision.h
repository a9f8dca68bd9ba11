// Helpers of the instance collision tests that the bounding box and the
// collision back ends share. The tests themselves are CInstance members.
#pragma once

#include <cstdint>

#include "world/instance.h"

namespace bw {

// A room coordinate as a whole pixel: nearest, ties to even. Coordinates are
// held to +-2^30 first (NaN to the low end), so box sides and the sums the
// tests make of them (right + 1, differences) stay inside int32.
int32_t Instance_RoundCoordinate(float value);

// Whether (x, y) lies in the ellipse inscribed in the inclusive rectangle,
// with its centre and radii halved as integers. A rectangle less than two
// pixels across in either direction has no radius there and contains
// nothing.
bool Rect_EllipseContains(const InstanceBBox& rect, int32_t x, int32_t y);

}  // namespace bw
