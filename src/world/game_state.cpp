#include "world/game_state.h"

#include <algorithm>

namespace bw {

GameCounters& Game_Counters()
{
    static GameCounters counters;
    return counters;
}

GameInfo& Game_Info()
{
    static GameInfo info;
    return info;
}

CurrentEvent& Event_Current()
{
    static CurrentEvent current;
    return current;
}

ScriptArguments& Script_Arguments()
{
    static std::array<Value, kScriptArgumentSlots> worldSlots{};
    static ScriptArguments arguments{worldSlots.data(), 0};
    return arguments;
}

ScriptArgumentsScope::ScriptArgumentsScope(const Value* args, int32_t argc, int32_t count)
    : m_caller(Script_Arguments())
{
    for (int32_t i = 0; i < std::min(argc, kScriptArgumentSlots); ++i) {
        Value_Copy(m_slots[static_cast<size_t>(i)], args[i]);
    }
    Script_Arguments() = {m_slots.data(), count};
}

ScriptArgumentsScope::~ScriptArgumentsScope()
{
    for (Value& slot : m_slots) {
        Value_Free(slot);
    }
    Script_Arguments() = m_caller;
}

DisplayState& Display_State()
{
    static DisplayState state;
    return state;
}

GameStateHooks& GameState_Hooks()
{
    static GameStateHooks hooks;
    return hooks;
}

}  // namespace bw
