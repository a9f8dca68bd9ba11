// Game code leaves state behind it: values in the argument slots, the
// constants table and the error state. Fixtures that run code put them back
// as a fresh program has them, so no test sees another's.
#pragma once

#include "script/constants.h"
#include "script/error_report.h"
#include "script/value.h"
#include "world/game_state.h"

namespace bw::test {

inline void ScriptState_Reset()
{
    for (int32_t i = 0; i < kScriptArgumentSlots; ++i) {
        Value_Free(Script_Arguments().values[i]);
        Script_Arguments().values[i] = Value{};
    }
    Script_Arguments().count = 0;
    Code_Constant_Free();
    Code_Error_ResetState();
    Code_Error_SetShowErrors(true);
}

}  // namespace bw::test
