#include "script/arguments.h"

#include "script/error_report.h"

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

bool Arguments_Check(int32_t argc, const Value* args, std::string_view kinds)
{
    if (argc != static_cast<int32_t>(kinds.size())) {
        Code_Error_Runtime("Illegal argument count", false);
        return false;
    }
    for (size_t i = 0; i < kinds.size(); ++i) {
        if ((kinds[i] == 'r' && !Arg_IsReal(args[i])) || (kinds[i] == 's' && !Arg_IsString(args[i]))) {
            Code_Error_Runtime("Illegal argument type", false);
            return false;
        }
    }
    return true;
}

void Builtins_Register(std::span<const BuiltinRegistration> table)
{
    for (const BuiltinRegistration& builtin : table) {
        Code_Function_Register(builtin.name, builtin.fn, builtin.argc);
    }
}

}  // namespace bw
