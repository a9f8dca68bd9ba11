// The machine's operators on its untyped stack items: conversions,
// arithmetic and comparisons, for every pair of types the bytecode can name.
// The dispatch loop handles the common pairs itself and comes here for the
// rest. Every integer operation is defined for every input: adds, subtracts
// and multiplies wrap, the one overflowing quotient gives the dividend, and
// reals that no integer holds convert to the smallest integer.
#pragma once

#include <cmath>
#include <cstdint>

#include "script/bytecode.h"
#include "script/value.h"

namespace bw {

// One stack item. Its type is known from the instruction that reads it; a
// string item owns its text (a memory-manager block, or null), a variable
// item is a Value that owns its payload.
union VMSlot {
    VMSlot() : l(0) {}
    double d;
    int32_t i;
    int64_t l;
    char* s;
    Value v;
};

// The epsilon of comparisons between numbers.
double VM_Epsilon();
void VM_SetEpsilon(double epsilon);

// Integer conversions of reals that are defined for every input: truncated
// toward zero; NaN and reals out of range give the smallest integer.
int32_t VM_RealToInt32(double real);
int64_t VM_RealToInt64(double real);

// A string item's own copy of text (null copies as the empty text).
char* VM_CopyText(const char* text);
// Releases what an item of the type owns.
void VM_FreeItem(VMSlot& slot, VMDataType type);
// Turns an item into a Value in place (ownership moves with it).
void VM_ToValue(VMSlot& slot, VMDataType type);

// Each returns null on success or the message of the error it raised; the
// operands are consumed either way (their payloads released), and the
// result is written to left.
const char* VM_Convert(VMSlot& slot, VMDataType from, VMDataType to);
const char* VM_Arithmetic(uint8_t opcode, VMSlot& left, VMDataType leftType, VMSlot& right, VMDataType rightType,
                          VMDataType resultType);
const char* VM_Compare(uint8_t opcode, VMSlot& left, VMDataType leftType, VMSlot& right, VMDataType rightType);
const char* VM_Negate(VMSlot& slot, VMDataType type);
const char* VM_Not(VMSlot& slot, VMDataType type);

// The comparison of two reals whose difference is d, within epsilon.
// Inline: it decides most loop conditions.
inline bool VM_CompareWithin(uint8_t opcode, double d, double epsilon)
{
    switch (opcode) {
    case kOpSlt: return d < -epsilon;
    case kOpSle: return d <= epsilon;
    case kOpSeq: return d >= -epsilon && d <= epsilon;
    case kOpSne: return !(d >= -epsilon && d <= epsilon);
    case kOpSge: return d >= -epsilon;
    default: return d > epsilon;
    }
}

// A comparison with the epsilon in use, as one closed interval and a flip:
// d compares true when (lo <= d <= hi) != flip. A strict bound is kept as
// its neighbouring double, so every d, NaN and infinities included, gives
// what VM_CompareWithin gives, without a branch on the opcode.
struct VMCompareRange {
    double lo;
    double hi;
    bool flip;
};

namespace vm_detail {
inline double g_epsilon = 1e-05;
static_assert(kOpSgt - kOpSlt == 5, "the comparison opcodes run from slt to sgt");
// One per comparison opcode from kOpSlt, set for g_epsilon.
extern VMCompareRange g_compareRanges[6];
}  // namespace vm_detail

inline bool VM_CompareReals(uint8_t opcode, double d)
{
    const VMCompareRange& range = vm_detail::g_compareRanges[opcode - kOpSlt];
    return ((d >= range.lo) & (d <= range.hi)) != range.flip;
}

// `div` (rem) and `mod` of two reals through one integer division, where
// that gives what the real operations give: both below 2^63 in magnitude,
// and for mod both whole. The quotient of the truncated operands is the
// real path's own; the remainder of two whole numbers is exact either way
// and takes the dividend's sign, -0 included. Integer division costs a
// fraction of fmod. False for every other case (a zero divisor included),
// which the real path handles and reports.
inline bool VM_IntegerDivision(uint8_t opcode, double a, double b, double* out)
{
    int64_t quotient = 0;
    int64_t remainder = 0;
    constexpr double kInt32Low = -2147483648.0;
    constexpr double kInt32High = 2147483647.0;
    if (a >= kInt32Low && a <= kInt32High && b >= kInt32Low && b <= kInt32High) {
        // The common case, in the quicker 32-bit division; -1 stays out of
        // it (INT32_MIN / -1 would trap).
        const auto ia = static_cast<int32_t>(a);
        const auto ib = static_cast<int32_t>(b);
        if (ib == 0 || (opcode == kOpMod && (static_cast<double>(ia) != a || static_cast<double>(ib) != b))) {
            return false;
        }
        quotient = ib == -1 ? -int64_t{ia} : ia / ib;
        remainder = ib == -1 ? 0 : ia % ib;
    } else {
        constexpr double kLimit = 0x1p63;
        if (!(std::fabs(a) < kLimit) || !(std::fabs(b) < kLimit)) {
            return false;
        }
        const auto ia = static_cast<int64_t>(a);
        const auto ib = static_cast<int64_t>(b);
        if (ib == 0 || (opcode == kOpMod && (static_cast<double>(ia) != a || static_cast<double>(ib) != b))) {
            return false;
        }
        // |ia| < 2^63: no quotient overflows.
        quotient = ia / ib;
        remainder = ia % ib;
    }
    *out = opcode == kOpMod ? std::copysign(static_cast<double>(remainder), a) : static_cast<double>(quotient);
    return true;
}

// The array-index check's message for index, or null when it passes.
inline const char* VM_IndexCheckError(int32_t index)
{
    static_assert(kArrayIndexLimit == 32000, "the message names the limit");
    if (index < 0) {
        return "Array index must be +'ve";
    }
    return index >= kArrayIndexLimit ? "Array index must be < 32000" : nullptr;
}

// Integer arithmetic of the two 32-bit ints; false on division by zero.
bool VM_IntArithmetic(uint8_t opcode, int32_t a, int32_t b, int32_t* out);
// The same on reals.
bool VM_DoubleArithmetic(uint8_t opcode, double a, double b, double* out);
// Messages of an opcode's handler.
const char* VM_ExecutionError(uint8_t opcode);
const char* VM_DivideByZeroError(uint8_t opcode);

}  // namespace bw
