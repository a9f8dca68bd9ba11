// The built-ins of the "Graphic.." group that need no resource: display,
// window, colour, render state, shapes, primitives, textures and surfaces.
// Each converts its arguments and calls a back end of the graphics modules;
// resources/graphic_builtins_resources.h registers the whole group.
#pragma once

#include <cstddef>

#include "script/value.h"

namespace bw {

// The text a drawing built-in shows for an argument: a string as it is,
// whole at any length (the result points into the value); a real written
// into buffer as "%d" when its single-precision value is a whole number in
// the 32-bit range, else as "%.2f".
const char* Value_ToDrawText(const Value& value, char* buffer, size_t capacity);
// Room for any real: the largest, with its sign and two decimals, takes 313
// characters.
inline constexpr size_t kDrawTextCapacity = 1024;

}  // namespace bw
