#include "library/arguments.h"

#include <cmath>
#include <limits>

#include "script/error_report.h"

namespace bw {

int32_t Real_RoundToInt32(double x)
{
    if (std::isnan(x)) {
        return std::numeric_limits<int32_t>::min();
    }
    const double rounded = std::nearbyint(x);
    if (rounded >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (rounded <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(rounded);
}

int32_t Real_TruncToInt32(double x)
{
    // Both bounds exclusive: anything that truncates into the range passes.
    if (!(x > -2147483649.0 && x < 2147483648.0)) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(x);
}

int64_t Real_TruncToInt64(double x)
{
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(x >= -kTwoTo63 && x < kTwoTo63)) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(x);
}

float Real_ToSingle(double x)
{
    // Reals past the largest float round to it up to half a unit in its last
    // place (2^103); from there on they become infinities, as the hardware
    // conversion gives.
    constexpr double kMax = std::numeric_limits<float>::max();
    if (x > kMax || x < -kMax) {
        const double overflow = 0x1p128 - 0x1p104;
        const float magnitude = std::fabs(x) >= overflow ? std::numeric_limits<float>::infinity()
                                                         : std::numeric_limits<float>::max();
        return x > 0 ? magnitude : -magnitude;
    }
    return static_cast<float>(x);
}

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
