#include "script/vm_operators.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "platform/memory.h"
#include "platform/real_to_int.h"
#include "script/operators.h"

namespace bw {

namespace vm_detail {
VMCompareRange g_compareRanges[6];
}  // namespace vm_detail

namespace {

using vm_detail::g_epsilon;
constexpr double kDivisorEpsilon = 1e-10;

// An operand after unwrapping: a number in one of three forms, or a text.
enum class Form : uint8_t { Double, Int, Int64, Bool, String };

struct Operand {
    Form form = Form::Double;
    double d = 0.0;
    int64_t l = 0;
    const char* s = "";
};

const char* Text(const char* s)
{
    return s != nullptr ? s : "";
}

char* CopyText(const char* text, size_t length)
{
    auto* copy = static_cast<char*>(BW_ALLOC(length + 1, false));
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

const char* Unwrap(const VMSlot& slot, VMDataType type, Operand* out)
{
    switch (type) {
    case kTypeDouble: out->form = Form::Double; out->d = slot.d; return nullptr;
    case kTypeInt: out->form = Form::Int; out->l = slot.i; return nullptr;
    case kTypeInt64: out->form = Form::Int64; out->l = slot.l; return nullptr;
    case kTypeBool: out->form = Form::Bool; out->l = slot.i & 0xFF ? 1 : 0; return nullptr;
    case kTypeString: out->form = Form::String; out->s = Text(slot.s); return nullptr;
    default: break;
    }
    switch (Value_Kind(slot.v)) {
    case kValueReal: out->form = Form::Double; out->d = slot.v.real; return nullptr;
    case kValueString: out->form = Form::String; out->s = Text(Value_String(slot.v)); return nullptr;
    case kValueArray: return "illegal array use";
    default: return "Malformed variable";
    }
}

double AsDouble(const Operand& o)
{
    return o.form == Form::Double ? o.d : static_cast<double>(o.l);
}

bool IsInteger(Form form)
{
    return form == Form::Int || form == Form::Int64 || form == Form::Bool;
}

// Stores a number into the result item of resultType.
void StoreNumber(VMSlot& slot, VMDataType resultType, double d, int64_t l, bool isDouble)
{
    switch (resultType) {
    case kTypeVariable: slot.v = Value{}; slot.v.real = isDouble ? d : static_cast<double>(l); break;
    case kTypeDouble: slot.d = isDouble ? d : static_cast<double>(l); break;
    case kTypeInt64: slot.l = isDouble ? VM_RealToInt64(d) : l; break;
    case kTypeBool: slot.l = 0; slot.i = (isDouble ? d > 0.5 : l != 0) ? 1 : 0; break;
    case kTypeString: slot.s = nullptr; break;  // only after a failed operation
    default:
        slot.l = 0;
        slot.i = isDouble ? VM_RealToInt32(d) : static_cast<int32_t>(static_cast<uint32_t>(l));
        break;
    }
}

void StoreText(VMSlot& slot, VMDataType resultType, char* text)
{
    if (resultType == kTypeVariable) {
        slot.v = Value{};
        slot.v.kind = kValueString;
        slot.v.ptr = text;
    } else {
        slot.s = text;
    }
}

const char* StringTypeError(uint8_t opcode)
{
    switch (opcode) {
    case kOpSub: return "DoSub :: Execution Engine - Cannot operate on string type";
    case kOpDiv: return "DoDiv :: Execution Engine - Cannot operate on string type";
    case kOpRem: return "DoRem :: Execution Engine - Cannot operate on string type";
    case kOpMod: return "DoMod :: Execution Engine - Cannot operate on string type";
    case kOpAnd: return "DoAnd :: Execution Engine - Cannot operate on string type";
    case kOpOr: return "DoOr :: Execution Engine - Cannot operate on string type";
    case kOpXor: return "DoXor :: Execution Engine - Cannot operate on string type";
    case kOpShl: return "DoShl :: Execution Engine - Cannot operate on string type";
    case kOpShr: return "DoShr :: Execution Engine - Cannot operate on string type";
    default: return VM_ExecutionError(opcode);
    }
}

uint64_t Bits(int64_t v)
{
    return static_cast<uint64_t>(v);
}

int64_t FromBits(uint64_t v)
{
    int64_t out = 0;
    std::memcpy(&out, &v, sizeof(out));
    return out;
}

// One definition for both integer widths: add, subtract, multiply and shift
// left wrap (through the unsigned type), MIN / -1 and MIN % -1 are defined,
// shifts take the count modulo the width and shift right is arithmetic.
// Division by zero is the caller's error.
template <typename T>
bool IntegerArithmetic(uint8_t opcode, T a, T b, T* out)
{
    using U = std::make_unsigned_t<T>;
    const U ua = static_cast<U>(a);
    const U ub = static_cast<U>(b);
    constexpr U kShiftMask = sizeof(T) * 8 - 1;
    if ((opcode == kOpDiv || opcode == kOpRem || opcode == kOpMod) && b == 0) {
        return false;
    }
    switch (opcode) {
    case kOpAdd: *out = static_cast<T>(ua + ub); return true;
    case kOpSub: *out = static_cast<T>(ua - ub); return true;
    case kOpMul: *out = static_cast<T>(ua * ub); return true;
    case kOpDiv: {
        const double quotient = static_cast<double>(a) / static_cast<double>(b);
        if constexpr (sizeof(T) == sizeof(int32_t)) {
            *out = VM_RealToInt32(quotient);
        } else {
            *out = VM_RealToInt64(quotient);
        }
        return true;
    }
    case kOpRem: *out = b == -1 ? static_cast<T>(U{0} - ua) : static_cast<T>(a / b); return true;
    case kOpMod: *out = b == -1 ? T{0} : static_cast<T>(a % b); return true;
    case kOpAnd: *out = a & b; return true;
    case kOpOr: *out = a | b; return true;
    case kOpXor: *out = a ^ b; return true;
    case kOpShl: *out = static_cast<T>(ua << (ub & kShiftMask)); return true;
    default: *out = static_cast<T>(a >> (ub & kShiftMask)); return true;  // shr: arithmetic
    }
}

bool Int64Arithmetic(uint8_t opcode, int64_t a, int64_t b, int64_t* out)
{
    return IntegerArithmetic(opcode, a, b, out);
}

char* RepeatText(int64_t times, const char* unit, const char** error)
{
    const size_t length = std::strlen(unit);
    const size_t count = times > 0 ? static_cast<size_t>(times) : 0;
    if (length != 0 && count > kMaxOperatorStringBytes / length) {
        *error = "String result too long.";
        return nullptr;
    }
    const size_t total = length == 0 ? 0 : count * length;
    auto* text = static_cast<char*>(BW_ALLOC(total + 1, false));
    for (size_t i = 0; i < total; i += length) {
        std::memcpy(text + i, unit, length);
    }
    text[total] = '\0';
    return text;
}

const char* StringArithmetic(uint8_t opcode, const Operand& a, const Operand& b, VMSlot& left,
                             VMDataType resultType)
{
    if (opcode == kOpAdd && a.form == Form::String && b.form == Form::String) {
        const size_t la = std::strlen(a.s);
        const size_t lb = std::strlen(b.s);
        if (la + lb >= kMaxOperatorStringBytes) {
            return "String result too long.";
        }
        auto* text = static_cast<char*>(BW_ALLOC(la + lb + 1, false));
        std::memcpy(text, a.s, la);
        std::memcpy(text + la, b.s, lb + 1);
        StoreText(left, resultType, text);
        return nullptr;
    }
    if (opcode == kOpMul && a.form != Form::String && b.form == Form::String) {
        const char* error = nullptr;
        const int64_t times = a.form == Form::Double ? VM_RealToInt64(a.d) : a.l;
        char* text = RepeatText(times, b.s, &error);
        if (text == nullptr) {
            return error;
        }
        StoreText(left, resultType, text);
        return nullptr;
    }
    return StringTypeError(opcode);
}

void SetCompareRanges(double epsilon)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double below = std::nextafter(-epsilon, -kInfinity);  // the greatest d < -epsilon
    const double above = std::nextafter(epsilon, kInfinity);    // the least d > epsilon
    VMCompareRange* const ranges = vm_detail::g_compareRanges;
    ranges[kOpSlt - kOpSlt] = {-kInfinity, below, false};
    ranges[kOpSle - kOpSlt] = {-kInfinity, epsilon, false};
    ranges[kOpSeq - kOpSlt] = {-epsilon, epsilon, false};
    ranges[kOpSne - kOpSlt] = {-epsilon, epsilon, true};
    ranges[kOpSge - kOpSlt] = {-epsilon, kInfinity, false};
    ranges[kOpSgt - kOpSlt] = {above, kInfinity, false};
}

[[maybe_unused]] const bool kDefaultRangesSet = (SetCompareRanges(g_epsilon), true);

}  // namespace

double VM_Epsilon()
{
    return g_epsilon;
}

void VM_SetEpsilon(double epsilon)
{
    g_epsilon = epsilon;
    SetCompareRanges(epsilon);
}

int32_t VM_RealToInt32(double real)
{
    return Code_RealTruncToInt32(real);
}

int64_t VM_RealToInt64(double real)
{
    return Real_TruncToInt64(real);
}

const char* VM_ExecutionError(uint8_t opcode)
{
    switch (opcode) {
    case kOpAdd: return "DoAdd :: Execution Error";
    case kOpSub: return "DoSub:: Execution Error";
    case kOpMul: return "DoMul :: Execution Error";
    case kOpDiv: return "DoDiv :: Execution Error";
    case kOpRem: return "DoRem :: Execution Error";
    case kOpMod: return "DoMod :: Execution Error";
    case kOpAnd: return "DoAnd :: Execution Error";
    case kOpOr: return "DoOr :: Execution Error";
    case kOpXor: return "DoXor :: Execution Error";
    case kOpShl: return "DoShl :: Execution Error";
    default: return "DoShr :: Execution Error";
    }
}

const char* VM_DivideByZeroError(uint8_t opcode)
{
    switch (opcode) {
    case kOpDiv: return "DoDiv :: Divide by zero";
    case kOpRem: return "DoRem :: Divide by zero";
    default: return "DoMod :: Divide by zero";
    }
}

char* VM_CopyText(const char* text)
{
    return CopyText(Text(text), std::strlen(Text(text)));
}

void VM_FreeItem(VMSlot& slot, VMDataType type)
{
    if (type == kTypeString) {
        MemoryManager_Free(slot.s);
        slot.s = nullptr;
    } else if (type == kTypeVariable) {
        Value_Free(slot.v);
    }
}

void VM_ToValue(VMSlot& slot, VMDataType type)
{
    if (type == kTypeVariable) {
        return;
    }
    if (type == kTypeString) {
        char* text = slot.s;
        StoreText(slot, kTypeVariable, text);
        return;
    }
    VM_Convert(slot, type, kTypeVariable);
}

bool VM_IntArithmetic(uint8_t opcode, int32_t a, int32_t b, int32_t* out)
{
    return IntegerArithmetic(opcode, a, b, out);
}

bool VM_DoubleArithmetic(uint8_t opcode, double a, double b, double* out)
{
    switch (opcode) {
    case kOpAdd: *out = a + b; return true;
    case kOpSub: *out = a - b; return true;
    case kOpMul: *out = a * b; return true;
    case kOpDiv:
        if (std::fabs(b) < kDivisorEpsilon) {
            return false;
        }
        *out = a / b;
        return true;
    case kOpRem: {
        int64_t q = 0;
        if (!Int64Arithmetic(kOpRem, VM_RealToInt64(a), VM_RealToInt64(b), &q)) {
            return false;
        }
        *out = static_cast<double>(q);
        return true;
    }
    case kOpMod:
        if (std::fabs(b) < kDivisorEpsilon) {
            return false;
        }
        *out = std::fmod(a, b);
        return true;
    default: {
        int64_t bits = 0;
        Int64Arithmetic(opcode, VM_RealToInt64(a), VM_RealToInt64(b), &bits);
        *out = static_cast<double>(bits);
        return true;
    }
    }
}

const char* VM_Arithmetic(uint8_t opcode, VMSlot& left, VMDataType leftType, VMSlot& right, VMDataType rightType,
                          VMDataType resultType)
{
    Operand a;
    Operand b;
    const char* error = Unwrap(left, leftType, &a);
    if (error == nullptr) {
        error = Unwrap(right, rightType, &b);
    }
    VMSlot result;
    if (error == nullptr) {
        if (a.form == Form::String || b.form == Form::String) {
            error = StringArithmetic(opcode, a, b, result, resultType);
        } else if (a.form == Form::Double || b.form == Form::Double) {
            double out = 0.0;
            if (a.form == Form::Bool || b.form == Form::Bool) {
                error = VM_ExecutionError(opcode);
            } else if (!VM_DoubleArithmetic(opcode, AsDouble(a), AsDouble(b), &out)) {
                error = VM_DivideByZeroError(opcode);
            } else {
                StoreNumber(result, resultType, out, 0, true);
            }
        } else if (a.form == Form::Int64 || b.form == Form::Int64) {
            // An int or truth value beside an int64 is that whole number:
            // packing two numbers into one, (hi & 65535) * 4294967296 + lo,
            // is ordinary game code.
            int64_t out = 0;
            if (!Int64Arithmetic(opcode, a.l, b.l, &out)) {
                error = VM_DivideByZeroError(opcode);
            } else {
                StoreNumber(result, resultType, 0.0, out, false);
            }
        } else if (a.form == Form::Bool || b.form == Form::Bool) {
            if (a.form != b.form || (opcode != kOpAnd && opcode != kOpOr && opcode != kOpXor)) {
                error = VM_ExecutionError(opcode);
            } else {
                const int64_t out = opcode == kOpAnd ? (a.l & b.l) : opcode == kOpOr ? (a.l | b.l) : (a.l ^ b.l);
                StoreNumber(result, resultType, 0.0, out, false);
            }
        } else {
            int32_t out = 0;
            if (!VM_IntArithmetic(opcode, static_cast<int32_t>(a.l), static_cast<int32_t>(b.l), &out)) {
                error = VM_DivideByZeroError(opcode);
            } else {
                StoreNumber(result, resultType, 0.0, out, false);
            }
        }
    }
    VM_FreeItem(left, leftType);
    VM_FreeItem(right, rightType);
    left = result;
    if (error != nullptr) {
        StoreNumber(left, resultType, 0.0, 0, false);
    }
    return error;
}

const char* VM_Compare(uint8_t opcode, VMSlot& left, VMDataType leftType, VMSlot& right, VMDataType rightType)
{
    Operand a;
    Operand b;
    const char* error = Unwrap(left, leftType, &a);
    if (error == nullptr) {
        error = Unwrap(right, rightType, &b);
    }
    bool truth = false;
    if (error == nullptr) {
        double d = 0.0;
        double epsilon = g_epsilon;
        if (a.form == Form::String && b.form == Form::String) {
            const int order = std::strcmp(a.s, b.s);
            d = order < 0 ? -1.0 : (order > 0 ? 1.0 : 0.0);
            epsilon = 0.0;
        } else if (a.form == Form::String || b.form == Form::String) {
            error = "DoSet :: Invalid comparison type";
        } else if (IsInteger(a.form) && IsInteger(b.form)) {
            d = a.l < b.l ? -1.0 : (a.l > b.l ? 1.0 : 0.0);
            epsilon = 0.0;
        } else {
            d = AsDouble(a) - AsDouble(b);
        }
        truth = VM_CompareWithin(opcode, d, epsilon);
    }
    VM_FreeItem(left, leftType);
    VM_FreeItem(right, rightType);
    left.l = 0;
    left.i = truth && error == nullptr ? 1 : 0;
    return error;
}

const char* VM_Negate(VMSlot& slot, VMDataType type)
{
    switch (type) {
    case kTypeDouble: slot.d = -slot.d; return nullptr;
    case kTypeInt: slot.i = static_cast<int32_t>(0u - static_cast<uint32_t>(slot.i)); return nullptr;
    case kTypeInt64: slot.l = FromBits(0 - Bits(slot.l)); return nullptr;
    case kTypeVariable:
        if (Value_Kind(slot.v) == kValueReal) {
            slot.v.real = -slot.v.real;
            return nullptr;
        }
        return Value_Kind(slot.v) == kValueString ? "DoNeg :: Execution Engine - Cannot operate on string type"
                                                  : "illegal array use";
    case kTypeString: return "DoNeg :: Execution Engine - Cannot operate on string type";
    default: return "DoNeg :: Execution Error";
    }
}

const char* VM_Not(VMSlot& slot, VMDataType type)
{
    switch (type) {
    case kTypeBool: slot.i = (slot.i & 0xFF) != 0 ? 0 : 1; return nullptr;
    case kTypeInt: slot.i = ~slot.i; return nullptr;
    case kTypeInt64: slot.l = ~slot.l; return nullptr;
    case kTypeDouble: slot.d = static_cast<double>(~VM_RealToInt64(slot.d)); return nullptr;
    case kTypeVariable:
        if (Value_Kind(slot.v) == kValueReal) {
            slot.v.real = static_cast<double>(~VM_RealToInt64(slot.v.real));
            return nullptr;
        }
        return Value_Kind(slot.v) == kValueString ? "DoNot :: Execution Engine - Cannot operate on string type"
                                                  : "illegal array use";
    default: return "DoNot :: Execution Engine - Cannot operate on string type";
    }
}

namespace {

// Parses a whole text as a number; text that is no number gives 0.
double ParseReal(const char* text)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? 0.0 : value;
}

int64_t ParseInteger(const char* text)
{
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return end == text ? 0 : static_cast<int64_t>(value);
}

char* FormatNumber(const Operand& o)
{
    char buffer[64];
    switch (o.form) {
    case Form::Double: std::snprintf(buffer, sizeof(buffer), "%g", o.d); break;
    case Form::Bool: std::snprintf(buffer, sizeof(buffer), "%s", o.l != 0 ? "true" : "false"); break;
    default: std::snprintf(buffer, sizeof(buffer), "%" PRId64, o.l); break;
    }
    return CopyText(buffer, std::strlen(buffer));
}

}  // namespace

const char* VM_Convert(VMSlot& slot, VMDataType from, VMDataType to)
{
    if (from == to) {
        return nullptr;
    }
    Operand o;
    if (const char* error = Unwrap(slot, from, &o); error != nullptr) {
        if (to == kTypeVariable) {
            return nullptr;  // a variable item is already a Value
        }
        VM_FreeItem(slot, from);
        StoreNumber(slot, to, 0.0, 0, false);
        return error;
    }
    VMSlot result;
    if (o.form == Form::String) {
        switch (to) {
        case kTypeDouble: result.d = ParseReal(o.s); break;
        case kTypeInt: result.i = static_cast<int32_t>(static_cast<uint32_t>(ParseInteger(o.s))); break;
        case kTypeInt64: result.l = ParseInteger(o.s); break;
        case kTypeBool: result.i = std::strcmp(o.s, "true") == 0 ? 1 : 0; break;
        case kTypeString: result.s = CopyText(o.s, std::strlen(o.s)); break;
        default: StoreText(result, kTypeVariable, CopyText(o.s, std::strlen(o.s))); break;
        }
    } else if (to == kTypeString) {
        result.s = FormatNumber(o);
    } else if (to == kTypeBool && from == kTypeVariable) {
        result.i = std::fabs(o.d) > 0.5 ? 1 : 0;
    } else {
        StoreNumber(result, to, o.d, o.l, o.form == Form::Double);
    }
    VM_FreeItem(slot, from);
    slot = result;
    return nullptr;
}

}  // namespace bw
