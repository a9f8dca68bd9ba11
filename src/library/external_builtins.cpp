// Argument checking of the external_* built-ins; the library calls
// themselves are resources/external's.
#include "library/external_builtins.h"

#include <array>

#include "script/arguments.h"
#include "resources/external.h"
#include "script/error_report.h"

namespace bw {

namespace {

// external_define(dll, name, call type, result type, argument count, types...)
constexpr int32_t kDefineFixedArguments = 5;
// external_defineN(dll, name, ...): the two names come first.
constexpr int32_t kDefineNameArguments = 2;

int32_t KindOf(const Value& type)
{
    return Arg_Round(type) == kExternalString ? kExternalString : kExternalReal;
}

void Define(Value* result, const Value* args, int32_t callType, int32_t argc, const int32_t* kinds, int32_t resultKind)
{
    const int32_t id = External_Define(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]), callType, argc, kinds, resultKind);
    Value_SetReal(*result, id);
    if (id < 0) {
        Code_Error_Runtime("Error defining an external function.", false);
    }
}

BW_BUILTIN(ExternalDefine)
{
    const int64_t count = argc >= kDefineFixedArguments ? int64_t{Arg_Round(args[4])} : -1;
    if (argc < kDefineFixedArguments || count + kDefineFixedArguments != argc) {
        Code_Error_Runtime("Wrong number of arguments to external_define()", false);
        return;
    }
    if (count > kExternalMaxArguments) {
        Code_Error_Runtime("DLL functions can have at most 16 arguments", false);
        return;
    }
    std::array<int32_t, kExternalMaxArguments> kinds{};
    for (int32_t i = 0; i < count; ++i) {
        const int32_t type = Arg_Round(args[kDefineFixedArguments + i]);
        if (count > kExternalMaxStringArguments && type != kExternalReal) {
            Code_Error_Runtime("DLL functions with more than 4 arguments cannot have string arguments", false);
            return;
        }
        kinds[static_cast<size_t>(i)] = type == kExternalString ? kExternalString : kExternalReal;
    }
    Define(result, args, Arg_Round(args[2]), static_cast<int32_t>(count), kinds.data(), KindOf(args[3]));
}

// external_defineN for up to four arguments: (dll, name, N types, result type).
template <int32_t N>
BW_BUILTIN(ExternalDefineTyped)
{
    std::array<int32_t, kExternalMaxArguments> kinds{};
    for (int32_t i = 0; i < N; ++i) {
        kinds[static_cast<size_t>(i)] = KindOf(args[kDefineNameArguments + i]);
    }
    Define(result, args, kExternalCdecl, N, kinds.data(), KindOf(args[kDefineNameArguments + N]));
}

// external_defineN beyond four arguments: (dll, name, result type), all reals.
template <int32_t N>
BW_BUILTIN(ExternalDefineReals)
{
    const std::array<int32_t, kExternalMaxArguments> kinds{};
    Define(result, args, kExternalCdecl, N, kinds.data(), KindOf(args[kDefineNameArguments]));
}

BW_BUILTIN(ExternalCall)
{
    if (argc >= 1) {
        External_Call(Arg_Round(args[0]), argc - 1, args + 1, result);
    }
}

template <int32_t N>
BW_BUILTIN(ExternalCallNumbered)
{
    External_Call(Arg_Round(args[0]), N, args + 1, result);
}

BW_BUILTIN(ExternalFree)
{
    External_Free(Arg_TextOrEmpty(args[0]));
}

const BuiltinRegistration kExternalBuiltins[] = {
    {"external_define", ExternalDefine, kBuiltinArgCountAny},
    {"external_call", ExternalCall, kBuiltinArgCountAny},
    {"external_free", ExternalFree, 1},
    {"external_define0", ExternalDefineTyped<0>, 3},
    {"external_define1", ExternalDefineTyped<1>, 4},
    {"external_define2", ExternalDefineTyped<2>, 5},
    {"external_define3", ExternalDefineTyped<3>, 6},
    {"external_define4", ExternalDefineTyped<4>, 7},
    {"external_define5", ExternalDefineReals<5>, 3},
    {"external_define6", ExternalDefineReals<6>, 3},
    {"external_define7", ExternalDefineReals<7>, 3},
    {"external_define8", ExternalDefineReals<8>, 3},
    {"external_call0", ExternalCallNumbered<0>, 1},
    {"external_call1", ExternalCallNumbered<1>, 2},
    {"external_call2", ExternalCallNumbered<2>, 3},
    {"external_call3", ExternalCallNumbered<3>, 4},
    {"external_call4", ExternalCallNumbered<4>, 5},
    {"external_call5", ExternalCallNumbered<5>, 6},
    {"external_call6", ExternalCallNumbered<6>, 7},
    {"external_call7", ExternalCallNumbered<7>, 8},
    {"external_call8", ExternalCallNumbered<8>, 9},
};

}  // namespace

void Function_External_Register()
{
    Builtins_Register(kExternalBuiltins);
}

}  // namespace bw
