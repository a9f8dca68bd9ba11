// Argument conversions shared by the graphics built-ins, and the pieces of
// the group's registration table that live in their own files. Integers are
// the nearest integer (ties to even) unless a built-in truncates; flags are
// true from 0.5; reals reach the back ends in single precision; colours are
// script colours 0x00BBGGRR. A string or array where a number belongs reads
// as 0.
#pragma once

#include <cstdint>
#include <span>

#include "script/arguments.h"

namespace bw {

inline double Arg_Real(const Value& value)
{
    return Arg_IsReal(value) ? value.real : 0.0;
}
inline int32_t Arg_Int(const Value& value)
{
    return Real_RoundToInt32(Arg_Real(value));
}
inline int32_t Arg_TruncInt(const Value& value)
{
    return Real_TruncToInt32(Arg_Real(value));
}
inline float Arg_Float(const Value& value)
{
    return Real_ToSingle(Arg_Real(value));
}
inline uint32_t Arg_Colour(const Value& value)
{
    return static_cast<uint32_t>(Arg_Int(value));
}
// The outline flag of the shape built-ins, a boolean like every flag,
// handed to the back ends as the 1 they test for.
inline int32_t Arg_Outline(const Value& value)
{
    return Arg_Flag(value) ? 1 : 0;
}

// The group's table pieces that need no resource; the resource pieces come
// between them (resources/graphic_builtins_resources.h gives the order).
std::span<const BuiltinRegistration> GraphicBuiltins_DisplayToShapes();
std::span<const BuiltinRegistration> GraphicBuiltins_ShapeColoursToVertices();
std::span<const BuiltinRegistration> GraphicBuiltins_Textures();
std::span<const BuiltinRegistration> GraphicBuiltins_Surfaces();

}  // namespace bw
