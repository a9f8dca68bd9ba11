// What the script engine asks of the game's resources and extensions. Those
// live in the layers above the engine, so each owner registers its lookup
// here at start-up; until it does, every lookup answers "none".
#pragma once

#include <cstdint>

#include "script/value.h"

namespace bw {

class CCode;
class CInstance;

// Kinds whose names game code may use as values, in the order a name is
// tried: the first kind that knows the name gives its index.
enum class ResourceKind : int32_t {
    Object,
    Sprite,
    Sound,
    Audio,
    Background,
    Path,
    Font,
    TimeLine,
    Script,
    Room,
};
inline constexpr int32_t kResourceKindCount = 10;

// Index of the resource of that kind with exactly that name, -1 when none.
using ResourceNameFinder = int32_t (*)(const char* name);
// A null finder makes that kind answer "none" again.
void Resource_SetNameFinder(ResourceKind kind, ResourceNameFinder finder);
int32_t Resource_FindByName(ResourceKind kind, const char* name);

// Index of the script with exactly that name (case-sensitive), -1 when none.
int32_t Script_Find(const char* name);

// Runs script index for self and other with argc of the arguments in the
// argument slots; the script's result goes to result. False when there is no
// such script or its run failed (the failure's message is left pending).
using ScriptExecutor = bool (*)(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result,
                                Value* args);
// A null executor makes every script call fail again.
void Script_SetExecutor(ScriptExecutor executor);
bool Script_Execute(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result, Value* args);

// The prepared code unit of script index, null when there is none (or it is
// not compiled yet). The machine runs a script it can find here on its own
// stack instead of through Script_Execute.
using ScriptCodeFinder = CCode* (*)(int32_t index);
// A null finder sends every script call through Script_Execute again.
void Script_SetCodeFinder(ScriptCodeFinder finder);
CCode* Script_GetCode(int32_t index);

namespace seams_detail {
inline uint32_t g_scriptCodeVersion = 1;
}
// The machine keeps the unit each script call found for as long as this
// count stands still, so whoever the finder answers for calls
// Script_CodeChanged whenever a unit it handed out is replaced or deleted.
// It never reads 0.
inline uint32_t Script_CodeVersion()
{
    return seams_detail::g_scriptCodeVersion;
}
void Script_CodeChanged();

struct ExtensionFunctionLookups {
    // Id (0 and up) of a loaded extension's function of that name, or -1.
    int32_t (*findFunction)(const char* name) = nullptr;
    // Its argument count (-1 any number), -100 when there is no such id.
    int32_t (*getArgCount)(int32_t id) = nullptr;
    // Calls it with argc of the 16 argument slots; false when it failed
    // (the failure's message is left pending).
    bool (*call)(int32_t id, CInstance* self, CInstance* other, int32_t argc, Value* args, Value* result) = nullptr;
};
void Extension_SetFunctionLookups(const ExtensionFunctionLookups& lookups);

int32_t Extension_FindFunction(const char* name);
int32_t Extension_GetFunctionArgCount(int32_t id);
// False when no extension layer is registered.
bool Extension_Call(int32_t id, CInstance* self, CInstance* other, int32_t argc, Value* args, Value* result);

}  // namespace bw
