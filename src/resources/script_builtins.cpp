// The script_* built-ins: queries and script_execute.
#include <algorithm>

#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "resources/script.h"
#include "script/error_report.h"
#include "script/resource_seams.h"
#include "world/game_state.h"

namespace bw {
namespace {

// ---- scripts -----------------------------------------------------------

BW_BUILTIN(ScriptExists)
{
    Result_SetBool(result, Script_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(ScriptGetName)
{
    Result_SetString(result, Script_GetName(Arg_Int(args[0])));
}

BW_BUILTIN(ScriptGetText)
{
    const CScript* script = Script_Get(Arg_Int(args[0]));
    Result_SetString(result, script != nullptr ? script->GetText() : "");
}

// (script, values...): the values fill the argument slots after the index,
// so at most one fewer than there are slots is passed.
void ScriptExecute(Value* result, CInstance* self, CInstance* other, int32_t argc, Value* args)
{
    const int32_t index = argc > 0 ? Arg_Int(args[0]) : -1;
    if (!Script_Exists(index)) {
        Code_Error_Runtime("Trying to execute non-existing script.", false);
        return;
    }
    const int32_t passed = std::min(argc - 1, kScriptArgumentSlots - 1);
    if (!Script_Execute(index, self, other, passed, result, args + 1) && Code_Error_HasPending()) {
        // Told here as a direct call of the script would tell it: an error
        // the machine met ends the game; on the tree interpreter the
        // caller's own code goes on with "ERROR".
        Code_Error_ReportPending();
    }
}

const BuiltinRegistration kScripts[] = {
    {"script_exists", &ScriptExists, 1},
    {"script_get_name", &ScriptGetName, 1},
    {"script_name", &ScriptGetName, 1},
    {"script_get_text", &ScriptGetText, 1},
    {"script_execute", &ScriptExecute, kBuiltinArgCountAny},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Scripts()
{
    return kScripts;
}

}  // namespace bw
