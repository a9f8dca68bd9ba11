// Conversions shared by every built-in binding: how an argument
// becomes an integer (ids, positions, sizes) and how a result is handed back.
// Reals from game code may be NaN or far outside any integer range; every
// conversion here has a defined answer for them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/real_to_int.h"
#include "script/function_table.h"
#include "script/value.h"

namespace bw {

inline bool Arg_IsReal(const Value& value)
{
    return Value_Kind(value) == kValueReal;
}
inline bool Arg_IsString(const Value& value)
{
    return Value_Kind(value) == kValueString;
}
inline int32_t Arg_Round(const Value& value)
{
    return Real_RoundToInt32(value.real);
}
inline int32_t Arg_Trunc(const Value& value)
{
    return Real_TruncToInt32(value.real);
}
// The text of a string argument; null for anything else.
inline const char* Arg_Text(const Value& value)
{
    return Arg_IsString(value) ? Value_String(value) : nullptr;
}
// The same, with the empty text for anything that holds none.
inline const char* Arg_TextOrEmpty(const Value& value)
{
    const char* text = Arg_Text(value);
    return text != nullptr ? text : "";
}
// Flags are true from 0.5; a string or array reads as false.
inline bool Arg_Flag(const Value& value)
{
    return Arg_IsReal(value) && value.real >= 0.5;
}
// Coordinates and speeds reach the world in single precision.
inline float Arg_Single(const Value& value)
{
    return Real_ToSingle(value.real);
}

inline void Result_SetBool(Value* result, bool value)
{
    Value_SetReal(*result, value ? 1.0 : 0.0);
}

// result := a string holding a copy of text (null: a string without text).
void Result_SetString(Value* result, const char* text);
inline void Result_SetString(Value* result, const std::string& text)
{
    Result_SetString(result, text.c_str());
}
// result := a copy of value with the nested-structure flags removed, so game
// code never sees (and never copies) the ownership of a nested container.
void Result_SetPlainCopy(Value* result, const Value& value);

// Checks a built-in's arguments before any work: kinds holds one letter per
// argument, 'r' a real, 's' a string, 'a' anything. A mismatch is reported
// as "Illegal argument count" or "Illegal argument type" (not fatal).
bool Arguments_Check(int32_t argc, const Value* args, std::string_view kinds);

// One line of a group's registration table.
struct BuiltinRegistration {
    const char* name;
    BuiltinFunctionProc fn;
    int32_t argc;  // kBuiltinArgCountAny for any number
};
// Registers the table's built-ins in its order.
void Builtins_Register(std::span<const BuiltinRegistration> table);

}  // namespace bw

// Defines a built-in with the table's signature.
#define BW_BUILTIN(name)                                                                          \
    void name([[maybe_unused]] Value* result, CInstance*, CInstance*, [[maybe_unused]] int32_t argc, \
              [[maybe_unused]] Value* args)
// The same, for built-ins that act for the instance running the code.
#define BW_SELF_BUILTIN(name)                                                                      \
    void name([[maybe_unused]] Value* result, [[maybe_unused]] CInstance* self,                   \
              [[maybe_unused]] CInstance* other, [[maybe_unused]] int32_t argc, [[maybe_unused]] Value* args)
