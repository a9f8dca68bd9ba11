// The "3D.." group of built-in functions: 3D mode, projections, transforms,
// primitives, shapes, lights, models and three drawing switches. Each
// converts its arguments and calls one back end.
#pragma once

namespace bw {

void Function_D3D_Register();

}  // namespace bw
