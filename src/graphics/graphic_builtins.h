// The "Graphic.." group of built-in functions: display, window, colour,
// render state, shapes, primitives, textures, text, sprites, backgrounds,
// tiles and surfaces, entered in the one order game packages were compiled
// against. Each built-in converts its arguments and calls a back end of the
// graphics modules.
#pragma once

#include <cstddef>

#include "script/value.h"

namespace bw {

void Function_Graphic_Register();

// The text a drawing built-in shows for an argument: a string as it is; a
// real as "%d" when its single-precision value is a whole number in the
// 32-bit range, else as "%.2f". Returns buffer.
const char* Value_ToDrawText(const Value& value, char* buffer, size_t capacity);
inline constexpr size_t kDrawTextCapacity = 1024;

}  // namespace bw
