// The "Math.." group of built-in functions: type tests, array lengths,
// random numbers, rounding, powers, trigonometry, aggregates and the 2D and
// 3D point and vector helpers.
#pragma once

namespace bw {

void Function_Math_Register();

}  // namespace bw
