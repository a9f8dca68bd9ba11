#include "script/operators.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/memory.h"
#include "platform/real_to_int.h"
#include "platform/strings.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/lexer.h"

namespace bw {

namespace {

bool Report(const CCode& code, int32_t position, const char* message)
{
    Code_Report_Error(code.text.c_str(), code.IsProgram(), position, message);
    return false;
}

bool IsReal(const Value& value)
{
    return Value_Kind(value) == kValueReal;
}

bool IsString(const Value& value)
{
    return Value_Kind(value) == kValueString;
}

const char* TextOf(const Value& value)
{
    const char* text = Value_String(value);
    return text != nullptr ? text : "";
}

void SetResult(Value& left, double real)
{
    Value_SetReal(left, real);
}

// The type error of an operator that takes two reals.
const char* RealOperatorError(int32_t op)
{
    switch (op) {
    case kSymAnd: return "Wrong type of arguments for &&.";
    case kSymOr: return "Wrong type of arguments for ||.";
    case kSymXor: return "Wrong type of arguments for ^^.";
    case kSymPlus: return "Wrong type of arguments to +.";
    case kSymMinus: return "Wrong type of arguments to -.";
    case kSymTimes: return "Wrong type of arguments to *.";
    case kSymSlash: return "Wrong type of arguments to /.";
    case kSymDiv: return "Wrong type of arguments to div.";
    case kSymMod: return "Wrong type of arguments to mod.";
    case kSymBitOr: return "Wrong type of arguments for |.";
    case kSymBitAnd: return "Wrong type of arguments for &.";
    case kSymBitXor: return "Wrong type of arguments for ^.";
    case kSymShiftLeft: return "Wrong type of arguments for <<.";
    case kSymShiftRight: return "Wrong type of arguments for >>.";
    default: return nullptr;
    }
}

bool IsComparison(int32_t op)
{
    return op == kSymAssign || op == kSymEqual || op == kSymNotEqual || op == kSymLess || op == kSymLessEqual ||
           op == kSymGreater || op == kSymGreaterEqual;
}

// No tolerance: reals are compared exactly.
bool CompareResult(int32_t op, double d)
{
    switch (op) {
    case kSymAssign:
    case kSymEqual: return d == 0.0;
    case kSymNotEqual: return d != 0.0;
    case kSymLess: return d < 0.0;
    case kSymLessEqual: return d <= 0.0;
    case kSymGreater: return d > 0.0;
    default: return d >= 0.0;  // kSymGreaterEqual
    }
}

bool Compare(const CCode& code, int32_t position, int32_t op, Value& left, const Value& right)
{
    double d = 0.0;
    if (IsReal(left) && IsReal(right)) {
        d = left.real - right.real;
    } else if (IsString(left) && IsString(right)) {
        const int order = std::strcmp(TextOf(left), TextOf(right));  // compares as unsigned char
        d = order < 0 ? -1.0 : (order > 0 ? 1.0 : 0.0);
    } else {
        return Report(code, position, "Cannot compare arguments.");
    }
    SetResult(left, CompareResult(op, d) ? 1.0 : 0.0);
    return true;
}

bool StringResultFits(const CCode& code, int32_t position, size_t length)
{
    return length < kMaxOperatorStringBytes || Report(code, position, "String result too long.");
}

bool Concatenate(const CCode& code, int32_t position, Value& left, const Value& right)
{
    const std::string_view a(TextOf(left));
    const std::string_view b(TextOf(right));
    if (!StringResultFits(code, position, a.size() + b.size())) {
        return false;
    }
    auto* text = static_cast<char*>(BW_ALLOC(a.size() + b.size() + 1, false));
    std::memcpy(text, a.data(), a.size());
    std::memcpy(text + a.size(), b.data(), b.size());
    text[a.size() + b.size()] = '\0';
    MemoryManager_Free(left.ptr);
    left.ptr = text;
    return true;
}

bool Repeat(const CCode& code, int32_t position, Value& left, const Value& right)
{
    const int32_t times = Code_RealToInt32(left.real);
    const std::string_view unit(TextOf(right));
    const size_t count = times > 0 ? static_cast<size_t>(times) : 0;
    if (!unit.empty() && !StringResultFits(code, position, count > kMaxOperatorStringBytes / unit.size()
                                                              ? kMaxOperatorStringBytes
                                                              : count * unit.size())) {
        return false;
    }
    std::string repeated;
    repeated.reserve(count * unit.size());
    for (size_t i = 0; i < count && !unit.empty(); ++i) {
        repeated += unit;
    }
    Value_SetString(left, repeated.c_str());
    return true;
}

bool Arithmetic(const CCode& code, int32_t position, int32_t op, Value& left, const Value& right)
{
    const double a = left.real;
    const double b = right.real;
    switch (op) {
    case kSymAnd: SetResult(left, Code_IsTrue(a) && Code_IsTrue(b) ? 1.0 : 0.0); return true;
    case kSymOr: SetResult(left, Code_IsTrue(a) || Code_IsTrue(b) ? 1.0 : 0.0); return true;
    case kSymXor: SetResult(left, Code_IsTrue(a) != Code_IsTrue(b) ? 1.0 : 0.0); return true;
    case kSymPlus: SetResult(left, a + b); return true;
    case kSymMinus: SetResult(left, a - b); return true;
    case kSymTimes: SetResult(left, a * b); return true;
    case kSymSlash:
        if (b == 0.0) {
            return Report(code, position, "Division by 0.");
        }
        SetResult(left, a / b);
        return true;
    case kSymDiv: {
        // Whole numbers past 32 bits divide as written, as on the machine;
        // the one quotient no int64 holds, INT64_MIN div -1, wraps to the
        // dividend instead of trapping.
        const int64_t divisor = Real_TruncToInt64(b);
        if (divisor == 0) {
            return Report(code, position, "Division by 0.");
        }
        const int64_t dividend = Real_TruncToInt64(a);
        SetResult(left, static_cast<double>(divisor == -1 ? static_cast<int64_t>(0 - static_cast<uint64_t>(dividend))
                                                          : dividend / divisor));
        return true;
    }
    case kSymMod: {
        if (b == 0.0) {
            return Report(code, position, "Modulo by 0.");
        }
        // The quotient is not narrowed to 32 bits, so that -2147483648 mod -1
        // is 0 like every other multiple.
        SetResult(left, a - b * std::trunc(a / b));
        return true;
    }
    default:
        break;
    }
    // The bitwise operators work on 32-bit integers; unsigned arithmetic
    // gives the two's-complement results without undefined shifts.
    const auto x = static_cast<uint32_t>(Code_RealToInt32(a));
    const auto y = static_cast<uint32_t>(Code_RealToInt32(b));
    uint32_t bits = 0;
    switch (op) {
    case kSymBitOr: bits = x | y; break;
    case kSymBitAnd: bits = x & y; break;
    case kSymBitXor: bits = x ^ y; break;
    case kSymShiftLeft: bits = x << (y & 31u); break;
    default:  // kSymShiftRight: arithmetic
        bits = static_cast<uint32_t>(static_cast<int32_t>(x) >> (y & 31u));
        break;
    }
    SetResult(left, static_cast<int32_t>(bits));
    return true;
}

}  // namespace

int32_t Code_RealToInt32(double real)
{
    const int64_t rounded = Real_ToInt64(real);
    return rounded >= INT32_MIN && rounded <= INT32_MAX ? static_cast<int32_t>(rounded) : INT32_MIN;
}

int32_t Code_RealTruncToInt32(double real)
{
    if (!(real > -2147483649.0 && real < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(real);
}

bool Code_Unary_Operator(const CCode& code, int32_t position, int32_t op, Value& value)
{
    if (!IsReal(value)) {
        return Report(code, position, "Wrong type of arguments to unary operator.");
    }
    switch (op) {
    case kSymNot: value.real = value.real < 0.5 ? 1.0 : 0.0; return true;
    case kSymPlus: return true;
    case kSymMinus: value.real = -value.real; return true;
    case kSymBitNot: value.real = ~Code_RealToInt32(value.real); return true;
    default: return Report(code, position, "Internal error: unknown unary operator.");
    }
}

bool Code_Binary_Operator(const CCode& code, int32_t position, int32_t op, Value& left, const Value& right)
{
    if (IsComparison(op)) {
        return Compare(code, position, op, left, right);
    }
    const char* typeError = RealOperatorError(op);
    if (typeError == nullptr) {
        return Report(code, position, "Internal error: unknown binary operator.");
    }
    if (IsReal(left) && IsReal(right)) {
        return Arithmetic(code, position, op, left, right);
    }
    if (op == kSymPlus && IsString(left) && IsString(right)) {
        return Concatenate(code, position, left, right);
    }
    if (op == kSymTimes && IsReal(left) && IsString(right)) {
        return Repeat(code, position, left, right);
    }
    return Report(code, position, typeError);
}

}  // namespace bw
