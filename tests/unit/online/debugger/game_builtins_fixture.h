// The game's built-ins (room_goto and the like) for tests that run code
// calling them; the function table keeps them once registered.
#pragma once

#include <cstdint>

#include "library/game_builtins.h"
#include "script/function_table.h"

namespace bw::test {

inline void RegisterGameBuiltinsOnce()
{
    int32_t id = -1;
    if (!Code_Function_Find("room_goto", &id)) {
        Function_Game_Register();
    }
}

}  // namespace bw::test
