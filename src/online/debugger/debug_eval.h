// What the remote debugger and the debug window share: an expression run
// for a display with error reports held back, and the text a value shows.
#pragma once

#include <string>

#include "script/value.h"

namespace bw {

class CInstance;

inline constexpr char kDebugUnableToEvaluate[] = "Unable to evaluate";

// Compiles text as an expression unit named unitName and runs it with self
// and other set to self (the hidden evaluation instance when null). False
// when it does not compile or fails at run time, a built-in's error report
// included; no error dialog opens, nothing is logged meanwhile, and no
// error ends the game. result is the caller's to free.
bool Debug_Evaluate(const char* text, const char* unitName, CInstance* self, Value* result);

// A string as it is; a real as an integer when within 1e-12 of one, else
// with the fewest of 2, 4, 6 or 8 decimals that hold it, else 10; always
// with every digit before the point. The watches and the variable pages
// show values so.
std::string Debug_FormatReal(double real);
std::string Debug_FormatValue(const Value& value);

// Debug_Evaluate shown as Debug_FormatValue, or "Unable to evaluate".
std::string Debug_EvaluateText(const char* text, const char* unitName, CInstance* self);

}  // namespace bw
