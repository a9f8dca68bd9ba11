// Argument conversions of the resource built-ins, on top of the graphics
// group's: indexes and sizes are the nearest integer (ties to even), most
// flags are true above 0.5 (those that are true from 0.5 use Arg_Flag), and
// a missing resource leaves the default result.
#pragma once

#include <vector>

#include "graphics/bitmap32.h"
#include "graphics/graphic_builtins_args.h"
#include "graphics/png_image.h"

namespace bw {

inline bool Arg_Above(const Value& value)
{
    return Arg_Real(value) > 0.5;
}
inline void Result_SetReal(Value* result, double real)
{
    Value_SetReal(*result, real);
}
// A frame or background image as a PNG file in the save area.
inline bool SaveBitmapPng(const char* fileName, const CBitmap32& bitmap)
{
    const uint32_t* pixels = bitmap.Pixels();
    const size_t count = static_cast<size_t>(bitmap.Width()) * static_cast<size_t>(bitmap.Height());
    return write_png_file_argb(fileName, std::vector<uint32_t>(pixels, pixels + count), bitmap.Width(),
                               bitmap.Height());
}

}  // namespace bw

// A query built-in: an expression of r, the resource that find gives for
// args[0], or -1 when there is none. The expression may read the query's
// other arguments.
#define BW_RESOURCE_QUERY(name, Type, find, expression)                                     \
    BW_BUILTIN(name)                                                                        \
    {                                                                                       \
        const Type* r = find(Arg_Int(args[0]));                                             \
        Result_SetReal(result, r != nullptr ? static_cast<double>(expression) : -1.0);      \
    }
