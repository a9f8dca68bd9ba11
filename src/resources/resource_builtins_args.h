// Argument conversions of the resource built-ins, on top of the graphics
// group's: indexes and sizes are the nearest integer (ties to even), most
// flags are true above 0.5 (those that are true from 0.5 use Arg_Flag), and
// a missing resource leaves the default result.
#pragma once

#include "graphics/graphic_builtins_args.h"

namespace bw {

inline bool Arg_Above(const Value& value)
{
    return Arg_Real(value) > 0.5;
}
// The text of a string argument, null for anything else.
inline const char* Arg_Text(const Value& value)
{
    return Arg_IsString(value) ? Value_String(value) : nullptr;
}
inline void Result_SetReal(Value* result, double real)
{
    Value_SetReal(*result, real);
}

}  // namespace bw
