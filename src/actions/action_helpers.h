// What every action group shares: the relative flag and the positions and
// amounts it makes relative, and calls forwarded to the built-ins that own
// the behaviour, so each behaviour stays in one place.
#pragma once

#include <initializer_list>

#include "script/arguments.h"
#include "script/function_table.h"
#include "script/value.h"

namespace bw {

class CInstance;

namespace actions {

bool Relative();

// A value made relative to a current one when the flag is on; the sum is
// made in single precision like the instance fields it lands in.
float Offset(float current, const Value& value);

struct Point {
    float x;
    float y;
};
// Relative positions are offsets from self.
Point Position(const CInstance* self, const Value& x, const Value& y);

Value Real(double value);

// Calls that built-in; the arguments stay owned here, a string in them is
// only lent. A null result drops the answer.
void Forward(const char* name, Value* result, CInstance* self, CInstance* other, std::initializer_list<Value> args);

void Forward(const char* name, CInstance* self, std::initializer_list<Value> args);

// A test forwarded to a built-in, read back as a flag.
bool Ask(const char* name, CInstance* self, std::initializer_list<Value> args);

// Actions that are a built-in of the same arguments under another name.
template <const char* builtin>
BW_SELF_BUILTIN(ActionAs)
{
    const BuiltinFunctionProc fn = Code_Function_FindBuiltin(builtin);
    if (fn != nullptr) {
        fn(result, self, other, argc, args);
    }
}

template <void (*command)()>
BW_BUILTIN(ActionRun)
{
    command();
}

template <bool (*question)()>
BW_BUILTIN(ActionAskBool)
{
    Result_SetBool(result, question());
}

}  // namespace actions
}  // namespace bw
