#include "world/game_state.h"

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
    static ScriptArguments arguments;
    return arguments;
}

DisplayState& Display_State()
{
    static DisplayState state;
    return state;
}

ErrorVariables& Error_Variables()
{
    static ErrorVariables variables;
    return variables;
}

GameStateHooks& GameState_Hooks()
{
    static GameStateHooks hooks;
    return hooks;
}

}  // namespace bw
