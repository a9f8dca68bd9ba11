// Argument handling of the numeric built-ins. The trigonometric, distance
// and direction built-ins compute in single precision, as games have always
// seen them: their arguments are rounded to float first and their results
// are floats widened to reals. Every random built-in draws from the one
// process-wide generator, so a seed replays a whole game.
#include "library/math_builtins.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "script/arguments.h"
#include "platform/random.h"
#include "platform/timer.h"
#include "script/error_report.h"
#include "script/vm_operators.h"
#include "world/mp_step.h"

namespace bw {

namespace {

// The single-precision pi, widened: degtorad and radtodeg keep the value
// that the single-precision built-ins use, so the two families agree.
constexpr double kPi = 3.1415927410125732;
constexpr float kPiSingle = 3.1415927f;
// Trigonometric results this close to 0 are 0, so sin(pi) reads as 0.
constexpr float kTrigSnap = 0.00001f;
// Lengthdir results this close to a whole number are that number.
constexpr float kLengthdirSnap = 0.0001f;

float Single(const Value& value)
{
    return Real_ToSingle(value.real);
}

float SnapTiny(float x)
{
    return std::fabs(x) < kTrigSnap ? 0.0f : x;
}

// -0 prints as "-0"; whole-number results never show it.
double WithoutNegativeZero(double x)
{
    return x + 0.0;
}

// ---- type tests and arrays ----

BW_BUILTIN(IsReal)
{
    Result_SetBool(result, Value_Kind(args[0]) == kValueReal);
}

BW_BUILTIN(IsString)
{
    Result_SetBool(result, Value_Kind(args[0]) == kValueString);
}

BW_BUILTIN(IsArray)
{
    Result_SetBool(result, Value_Kind(args[0]) == kValueArray);
}

BW_BUILTIN(ArrayLength1D)
{
    if (Value_Kind(args[0]) == kValueArray && args[0].rowCount > 0) {
        result->real = Value_Rows(args[0])[0].length;
    }
}

BW_BUILTIN(ArrayLength2D)
{
    if (argc != 2 || Value_Kind(args[0]) != kValueArray || Value_Kind(args[1]) != kValueReal) {
        return;
    }
    // A negative row names no row (it would index before the row table).
    const int32_t row = Arg_Trunc(args[1]);
    if (row >= 0 && row < args[0].rowCount) {
        result->real = Value_Rows(args[0])[row].length;
    }
}

// ---- random numbers ----

// 63 random bits: the first output low, the second high without its top bit.
uint64_t Random63()
{
    const uint64_t low = WELL512_Next();
    const uint64_t high = WELL512_Next() & 0x7FFFFFFFu;
    return (high << 32) | low;
}

// |n| without overflow for the lowest 64-bit integer.
uint64_t Magnitude(int64_t n)
{
    return n < 0 ? 0u - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
}

BW_BUILTIN(Random)
{
    result->real = Random_Real(1.0) * args[0].real;
}

BW_BUILTIN(RandomRange)
{
    const double lo = std::min(args[0].real, args[1].real);
    const double hi = std::max(args[0].real, args[1].real);
    result->real = lo + Random_Real(1.0) * (hi - lo);
}

// Toward zero, held to the 64-bit range so that a huge positive count stays
// positive; not a number gives 0.
int64_t SaturateToInt64(double x)
{
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(x)) {
        return 0;
    }
    if (x >= kTwoTo63) {
        return std::numeric_limits<int64_t>::max();
    }
    return x < -kTwoTo63 ? std::numeric_limits<int64_t>::min() : static_cast<int64_t>(x);
}

BW_BUILTIN(IRandom)
{
    const double x = args[0].real;
    const int64_t n = SaturateToInt64(x >= 0.0 ? x + 1.0 : x - 1.0);
    if (n == 0) {
        return;  // not a number: nothing to draw from
    }
    const int64_t draw = static_cast<int64_t>(Random63() % Magnitude(n));
    result->real = static_cast<double>(n < 0 ? -draw : draw);
}

BW_BUILTIN(IRandomRange)
{
    const double lo = std::min(args[0].real, args[1].real);
    const int64_t n = SaturateToInt64(std::fabs(args[1].real - args[0].real) + 1.0);
    if (n <= 0) {
        result->real = WithoutNegativeZero(std::trunc(lo));  // not a number: nothing to draw from
        return;
    }
    const uint64_t draw = Random63() % static_cast<uint64_t>(n);
    result->real = WithoutNegativeZero(std::trunc(static_cast<double>(draw) + lo));
}

BW_BUILTIN(RandomSetSeed)
{
    Random_SetSeed(static_cast<uint32_t>(Real_TruncToInt64(args[0].real)));
}

BW_BUILTIN(RandomGetSeed)
{
    result->real = Random_GetSeed();
}

BW_BUILTIN(Randomize)
{
    const uint64_t t = static_cast<uint64_t>(Timer_GetTime());
    const uint32_t low = static_cast<uint32_t>(t);
    const uint32_t high = static_cast<uint32_t>(t >> 32);
    const uint32_t seed = (high + low) ^ static_cast<uint32_t>((t >> 16) & 0xFFFFu) ^ (low << 16);
    result->real = static_cast<int32_t>(Random_SetSeed(seed));
}

// ---- rounding ----

BW_BUILTIN(Abs)
{
    result->real = std::fabs(Single(args[0]));
}

// Rounding keeps the whole real: a result past 32 bits stays exact.
BW_BUILTIN(Round)
{
    result->real = WithoutNegativeZero(std::nearbyint(args[0].real));
}

BW_BUILTIN(Floor)
{
    result->real = WithoutNegativeZero(std::floor(args[0].real));
}

BW_BUILTIN(Ceil)
{
    result->real = WithoutNegativeZero(std::ceil(args[0].real));
}

BW_BUILTIN(Sign)
{
    const double x = args[0].real;
    result->real = x > 0.0 ? 1.0 : (x == 0.0 ? 0.0 : -1.0);
}

BW_BUILTIN(Frac)
{
    double whole = 0.0;
    result->real = std::modf(args[0].real, &whole);
}

// ---- powers and logarithms ----

BW_BUILTIN(Sqrt)
{
    result->real = std::sqrt(args[0].real);
}

BW_BUILTIN(Sqr)
{
    result->real = args[0].real * args[0].real;
}

BW_BUILTIN(Exp)
{
    result->real = std::exp(args[0].real);
}

BW_BUILTIN(Ln)
{
    result->real = std::log(args[0].real);
}

BW_BUILTIN(Log10)
{
    result->real = std::log10(args[0].real);
}

BW_BUILTIN(Log2)
{
    result->real = std::log(args[0].real) / std::log(2.0);
}

BW_BUILTIN(LogN)
{
    result->real = std::log(args[0].real) / std::log(args[1].real);
}

BW_BUILTIN(Power)
{
    result->real = std::pow(args[0].real, args[1].real);
}

// ---- trigonometry ----

BW_BUILTIN(Sin)
{
    result->real = SnapTiny(std::sin(Single(args[0])));
}

BW_BUILTIN(Cos)
{
    result->real = SnapTiny(std::cos(Single(args[0])));
}

BW_BUILTIN(Tan)
{
    result->real = SnapTiny(std::tan(Single(args[0])));
}

// arcsin and arccos outside [-1, 1] report and answer 0.
template <float (*kFunction)(float)>
void InverseTrig(Value* result, const Value& arg, const char* message)
{
    const float x = Single(arg);
    if (x < -1.0f || x > 1.0f) {
        Code_Error_Runtime(message, false);
        return;
    }
    result->real = SnapTiny(kFunction(x));
}

float AsinSingle(float x)
{
    return std::asin(x);
}

float AcosSingle(float x)
{
    return std::acos(x);
}

BW_BUILTIN(ArcSin)
{
    InverseTrig<&AsinSingle>(result, args[0], "Error in function arcsin().");
}

BW_BUILTIN(ArcCos)
{
    InverseTrig<&AcosSingle>(result, args[0], "Error in function arccos().");
}

BW_BUILTIN(ArcTan)
{
    result->real = SnapTiny(std::atan(Single(args[0])));
}

BW_BUILTIN(ArcTan2)
{
    result->real = SnapTiny(std::atan2(Single(args[0]), Single(args[1])));
}

BW_BUILTIN(DegToRad)
{
    result->real = args[0].real * kPi / 180.0;
}

BW_BUILTIN(RadToDeg)
{
    result->real = args[0].real * 180.0 / kPi;
}

// ---- aggregates ----

// min and max take reals only; the first string (or array) is reported and
// the result stays 0. Among equal values the first wins.
template <bool kTakeSmaller>
void Extreme(Value* result, int32_t argc, const Value* args, const char* message)
{
    for (int32_t i = 0; i < argc; ++i) {
        if (Value_Kind(args[i]) != kValueReal) {
            Code_Error_Runtime(message, false);
            return;
        }
    }
    if (argc == 0) {
        return;
    }
    double best = args[0].real;
    for (int32_t i = 1; i < argc; ++i) {
        const double x = args[i].real;
        if (kTakeSmaller ? x < best : x > best) {
            best = x;
        }
    }
    result->real = best;
}

BW_BUILTIN(Min)
{
    Extreme<true>(result, argc, args, "Error min(): illegal argument; strings not permitted");
}

BW_BUILTIN(Max)
{
    Extreme<false>(result, argc, args, "Error max(): illegal argument; strings not permitted");
}

BW_BUILTIN(Mean)
{
    if (argc <= 0) {
        return;
    }
    double sum = 0.0;
    for (int32_t i = 0; i < argc; ++i) {
        sum += args[i].real;
    }
    result->real = sum / argc;
}

// With an even count the upper of the two middle values. The order comes
// from repeated selection of the smallest remaining value with a plain <, so
// a NaN among the arguments gives a definite (if odd) answer.
BW_BUILTIN(Median)
{
    if (argc <= 0) {
        return;
    }
    std::vector<double> values;
    values.reserve(static_cast<size_t>(argc));
    for (int32_t i = 0; i < argc; ++i) {
        values.push_back(args[i].real);
    }
    // Selection of the smallest remaining value, the first of equal values
    // first: the rest keep their order (a swap would not), so of 0 and -0
    // the one given first comes first.
    const size_t middle = static_cast<size_t>(argc / 2);
    for (size_t position = 0; position <= middle; ++position) {
        size_t smallest = position;
        for (size_t i = position + 1; i < values.size(); ++i) {
            if (values[i] < values[smallest]) {
                smallest = i;
            }
        }
        std::rotate(values.begin() + static_cast<ptrdiff_t>(position), values.begin() + static_cast<ptrdiff_t>(smallest),
                    values.begin() + static_cast<ptrdiff_t>(smallest) + 1);
    }
    result->real = values[middle];
}

BW_BUILTIN(Choose)
{
    if (argc <= 0) {
        return;
    }
    const int32_t index = std::min<int32_t>(static_cast<int32_t>(Random_Int(argc)), argc - 1);
    Result_SetPlainCopy(result, args[index]);
}

// When lo > hi, hi wins.
BW_BUILTIN(Clamp)
{
    result->real = std::min(std::max(args[0].real, args[1].real), args[2].real);
}

BW_BUILTIN(Lerp)
{
    result->real = (args[1].real - args[0].real) * args[2].real + args[0].real;
}

// ---- points and vectors ----

BW_BUILTIN(PointDistance)
{
    const float dx = Single(args[2]) - Single(args[0]);
    const float dy = Single(args[3]) - Single(args[1]);
    result->real = std::sqrt(dx * dx + dy * dy);
}

BW_BUILTIN(PointDistance3D)
{
    const float dx = Single(args[3]) - Single(args[0]);
    const float dy = Single(args[4]) - Single(args[1]);
    const float dz = Single(args[5]) - Single(args[2]);
    result->real = std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The planners and game code agree on what a direction is.
BW_BUILTIN(PointDirection)
{
    result->real = MP_Direction(Single(args[0]), Single(args[1]), Single(args[2]), Single(args[3]));
}

// A value just past a whole number (towards 0's far side) is that number,
// so lengthdir_x(10, 90) is 0 rather than a tiny remainder of cos.
float SnapToWhole(float v)
{
    float whole = 0.0f;
    const float fraction = std::modf(v, &whole);
    return std::fabs(fraction) < kLengthdirSnap ? whole + 0.0f : v;
}

float Radians(float degrees)
{
    return degrees * kPiSingle / 180.0f;
}

BW_BUILTIN(LengthdirX)
{
    result->real = SnapToWhole(Single(args[0]) * std::cos(Radians(Single(args[1]))));
}

BW_BUILTIN(LengthdirY)
{
    result->real = SnapToWhole(-Single(args[0]) * std::sin(Radians(Single(args[1]))));
}

BW_BUILTIN(DotProduct)
{
    result->real = args[0].real * args[2].real + args[1].real * args[3].real;
}

BW_BUILTIN(DotProduct3D)
{
    result->real = args[0].real * args[3].real + args[1].real * args[4].real + args[2].real * args[5].real;
}

// Components of both vectors, first then second; dimensions 2 or 3.
float NormalisedDot(const Value* args, int dimensions)
{
    float dot = 0.0f;
    float lengthA = 0.0f;
    float lengthB = 0.0f;
    for (int i = 0; i < dimensions; ++i) {
        const float a = Single(args[i]);
        const float b = Single(args[i + dimensions]);
        dot += a * b;
        lengthA += a * a;
        lengthB += b * b;
    }
    return dot / (std::sqrt(lengthA) * std::sqrt(lengthB));
}

BW_BUILTIN(DotProductNormalised)
{
    result->real = NormalisedDot(args, 2);
}

BW_BUILTIN(DotProduct3DNormalised)
{
    result->real = NormalisedDot(args, 3);
}

BW_BUILTIN(MathSetEpsilon)
{
    if (argc != 1 || Value_Kind(args[0]) != kValueReal) {
        return;
    }
    const double epsilon = args[0].real;
    if (epsilon >= 0.0 && epsilon < 1.0) {
        VM_SetEpsilon(epsilon);
    } else {
        Code_Error_Runtime("math_set_epsilon :: value should be between 0 and 1", true);
    }
}

const BuiltinRegistration kMathBuiltins[] = {
    {"is_real", IsReal, 1},
    {"is_string", IsString, 1},
    {"is_array", IsArray, 1},
    {"array_length_1D", ArrayLength1D, 1},
    {"array_length_2D", ArrayLength2D, 2},
    {"random", Random, 1},
    {"random_range", RandomRange, 2},
    {"irandom", IRandom, 1},
    {"irandom_range", IRandomRange, 2},
    {"random_set_seed", RandomSetSeed, 1},
    {"random_get_seed", RandomGetSeed, 0},
    {"randomize", Randomize, 0},
    {"abs", Abs, 1},
    {"round", Round, 1},
    {"floor", Floor, 1},
    {"ceil", Ceil, 1},
    {"sign", Sign, 1},
    {"frac", Frac, 1},
    {"sqrt", Sqrt, 1},
    {"sqr", Sqr, 1},
    {"exp", Exp, 1},
    {"ln", Ln, 1},
    {"log10", Log10, 1},
    {"log2", Log2, 1},
    {"logn", LogN, 2},
    {"power", Power, 2},
    {"sin", Sin, 1},
    {"cos", Cos, 1},
    {"tan", Tan, 1},
    {"arcsin", ArcSin, 1},
    {"arccos", ArcCos, 1},
    {"arctan", ArcTan, 1},
    {"arctan2", ArcTan2, 2},
    {"degtorad", DegToRad, 1},
    {"radtodeg", RadToDeg, 1},
    {"min", Min, kBuiltinArgCountAny},
    {"max", Max, kBuiltinArgCountAny},
    {"min3", Min, 3},
    {"max3", Max, 3},
    {"mean", Mean, kBuiltinArgCountAny},
    {"median", Median, kBuiltinArgCountAny},
    {"choose", Choose, kBuiltinArgCountAny},
    {"clamp", Clamp, 3},
    {"lerp", Lerp, 3},
    {"point_distance", PointDistance, 4},
    {"point_distance_3d", PointDistance3D, 6},
    {"point_direction", PointDirection, 4},
    {"lengthdir_x", LengthdirX, 2},
    {"lengthdir_y", LengthdirY, 2},
    {"dot_product", DotProduct, 4},
    {"dot_product_3d", DotProduct3D, 6},
    {"dot_product_normalised", DotProductNormalised, 4},
    {"dot_product_3d_normalised", DotProduct3DNormalised, 6},
    {"math_set_epsilon", MathSetEpsilon, 1},
};

}  // namespace

void Function_Math_Register()
{
    Builtins_Register(kMathBuiltins);
}

}  // namespace bw
