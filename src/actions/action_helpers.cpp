// The shared helpers of the action groups.
#include "actions/action_helpers.h"

#include <vector>

#include "world/game_state.h"
#include "world/instance.h"

namespace bw::actions {

bool Relative()
{
    return Event_Current().argumentRelative;
}

float Offset(float current, const Value& value)
{
    const float given = Arg_Single(value);
    return Relative() ? current + given : given;
}

Point Position(const CInstance* self, const Value& x, const Value& y)
{
    if (Relative() && self != nullptr) {
        return {self->i_x + Arg_Single(x), self->i_y + Arg_Single(y)};
    }
    return {Arg_Single(x), Arg_Single(y)};
}

Value Real(double value)
{
    Value v;
    Value_SetReal(v, value);
    return v;
}

void Forward(const char* name, Value* result, CInstance* self, CInstance* other, std::initializer_list<Value> args)
{
    const BuiltinFunctionProc fn = Code_Function_FindBuiltin(name);
    if (fn == nullptr) {
        return;
    }
    std::vector<Value> list(args);
    Value scratch;
    fn(result != nullptr ? result : &scratch, self, other, static_cast<int32_t>(list.size()), list.data());
    Value_Free(scratch);
}

void Forward(const char* name, CInstance* self, std::initializer_list<Value> args)
{
    Forward(name, nullptr, self, self, args);
}

bool Ask(const char* name, CInstance* self, std::initializer_list<Value> args)
{
    Value answer;
    Forward(name, &answer, self, self, args);
    const bool yes = Arg_Flag(answer);
    Value_Free(answer);
    return yes;
}

}  // namespace bw::actions
