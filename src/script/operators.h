// The operators of game code on Values: one unary and one binary routine
// that folding (at compile time) and the tree interpreter (at run time)
// share, so a constant expression folds to exactly what it would compute.
// Their messages are the language's type errors.
#pragma once

#include <cstdint>

#include "script/value.h"

namespace bw {

class CCode;

// Applies op (not, +, -, ~) to value in place. On a type error the message is
// reported at position and value is unchanged.
bool Code_Unary_Operator(const CCode& code, int32_t position, int32_t op, Value& value);
// left := left op right. On an error the message is reported at position and
// left is unchanged.
bool Code_Binary_Operator(const CCode& code, int32_t position, int32_t op, Value& left, const Value& right);

// A real as game code's 32-bit integers see it: nearest, ties to even.
// NaN and reals outside the 32-bit range give INT32_MIN, as the processor's
// own conversion does, never undefined behaviour.
int32_t Code_RealToInt32(double real);
// The same, truncated toward zero.
int32_t Code_RealTruncToInt32(double real);
// Truth: a real is true from 0.5 upward.
inline bool Code_IsTrue(double real)
{
    return real >= 0.5;
}

// Strings built by operators stay below this many bytes; a longer result is
// an error rather than an exhausted machine.
inline constexpr size_t kMaxOperatorStringBytes = size_t{64} << 20;

}  // namespace bw
