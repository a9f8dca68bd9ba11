#include "world/script_access.h"

#include "script/code_unit.h"
#include "script/constants.h"
#include "script/names.h"
#include "script/resource_seams.h"
#include "script/world_access.h"
#include "world/builtin_variables.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {

namespace {

// Every instance a with-statement names, in list order. An object names its
// own and its descendants' instances, then those changing into it during
// this pass, as variable access through an object does.
void CollectInstances(int32_t selector, std::vector<CInstance*>* out)
{
    if (selector == kSelectorAll) {
        const CRoom* room = Room_Current();
        for (CInstance* at = room != nullptr ? room->activeInstances.First() : nullptr; at != nullptr;
             at = at->i_next) {
            out->push_back(at);
        }
        return;
    }
    if (selector >= kInstanceIdFirst) {
        if (CInstance* instance = Instance_Find(selector)) {
            out->push_back(instance);
        }
        return;
    }
    if (selector < 0) {
        return;
    }
    Instance_ForEachOfObject(selector, [out](CInstance* instance) {
        out->push_back(instance);
        return true;
    });
}

const char* UserVariableName(int32_t id)
{
    return id >= kUserVariableIdBase && id < kUserVariableIdBase + Code_Variable_Count() ? Code_Variable_Name(id)
                                                                                          : nullptr;
}

// Game constants may call built-ins that look at self, so they run with an
// instance that belongs to no room and no object.
bool EvaluateConstant(const char* text, const char* unitName, Value* result)
{
    CCode code(text, true);
    if (!code.Compile(unitName)) {
        return false;
    }
    CInstance scratch(0.0f, 0.0f, 0, 0, false);
    const bool ran = Code_Execute_Value(&scratch, &scratch, code, result);
    scratch.FreeLinks();
    return ran;
}

}  // namespace

void World_RegisterScriptAccess()
{
    WorldAccess& access = Code_WorldAccess();
    access.get = &Variable_GetValue;
    access.set = &Variable_SetValue;
    access.getGlobal = &Variable_Global_Get;
    access.setGlobal = &Variable_Global_Set;
    access.getOnTarget = &Variable_GetOnTarget;
    access.setOnTarget = &Variable_SetOnTarget;
    access.variableSlot = &Variable_Slot;
    access.variableSlotsVersion = &CVariableList::SlotsVersion();
    access.isGlobalName = [](int32_t id) { return Variable_IsFlagged(id) != 0; };
    access.declareGlobalName = &Variable_SetFlagged;
    access.globalNamesVersion = &Variable_FlagsVersion();
    access.strictReads = &Variable_StrictReads;
    access.newLocals = [] { return new CVariableList(); };
    access.deleteLocals = [](CVariableList* locals) { delete locals; };
    access.getLocal = [](const CVariableList* locals, int32_t id, int32_t arrayIndex, Value* out) {
        return locals->GetVar(id, arrayIndex, out);
    };
    access.setLocal = [](CVariableList* locals, int32_t id, int32_t arrayIndex, const Value* in) {
        locals->SetVar(id, arrayIndex, in);
    };
    access.collectInstances = &CollectInstances;
    access.isLive = &Instance_IsLive;
    access.lastInstanceId = &Instance_LastId;
    static_assert(kScriptArgumentSlots == kScriptArgumentSlotCount);
    access.argumentSlots = &Script_Arguments().values;
    access.argumentCount = &Script_Arguments().count;
    access.printValue = [](std::string* out, const Value& value) { Variable_PrintValue(*out, value); };
    access.printVariables = [](const CInstance* instance, std::string* out) {
        (instance != nullptr ? *instance->i_vars : Variable_GlobalList()).Print(*out);
    };
    access.findBuiltinVariable = &Variable_BuiltIn_Find;
    access.builtinVariableName = &Variable_BuiltIn_Name;

    VariableNameLookups& names = Variable_NameLookups();
    names.getName = &UserVariableName;
    names.find = &Code_Variable_Find;

    Code_Constant_SetEvaluator(&EvaluateConstant);
    GameState_Hooks().performEventAll = &Event_PerformAll;
    Resource_SetNameFinder(ResourceKind::Object, &Object_FindByName);
    Resource_SetNameFinder(ResourceKind::Room, &Room_Find);
}

}  // namespace bw
