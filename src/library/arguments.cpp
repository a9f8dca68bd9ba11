#include "library/arguments.h"

namespace bw {

void Result_SetString(Value* result, const char* text)
{
    Value_SetString(*result, text);
}

void Result_SetPlainCopy(Value* result, const Value& value)
{
    Value_Copy(*result, value);
    result->kind &= kValueKindMask;
}

void Builtins_Register(std::span<const BuiltinRegistration> table)
{
    for (const BuiltinRegistration& builtin : table) {
        Code_Function_Register(builtin.name, builtin.fn, builtin.argc);
    }
}

}  // namespace bw
