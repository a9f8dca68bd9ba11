// What running game code needs of the game world: variable storage, the
// instances a with-statement visits, and the built-in variable names. The
// world lives above the script engine, so it registers these at start-up
// (World_RegisterScriptAccess); until then no variable exists, no instance
// is found and every read fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/value.h"

namespace bw {

class CInstance;
class CVariableList;

inline constexpr int32_t kScriptArgumentSlotCount = 16;
// The version of a world whose globalvar names never change.
inline constexpr uint32_t kFixedGlobalNamesVersion = 1;
// The version of a world whose variable slots never move.
inline constexpr uint32_t kFixedVariableSlotsVersion = 1;

// A built-in instance variable held in one field of the instance, which the
// machine reads and writes through these instead of the getter and setter:
// no table lookup, no Value out. store takes the value as the setter does.
// A null load: the variable has no such access.
struct BuiltinFieldAccess {
    double (*load)(const CInstance* self) = nullptr;
    void (*store)(CInstance* self, const Value* in) = nullptr;
};

struct WorldAccess {
    // The variable of self (built-ins through their getter and setter).
    bool (*get)(CInstance* self, int32_t id, int32_t arrayIndex, Value* out) =
        [](CInstance*, int32_t, int32_t, Value*) { return false; };
    bool (*set)(CInstance* self, int32_t id, int32_t arrayIndex, const Value* in) =
        [](CInstance*, int32_t, int32_t, const Value*) { return false; };
    // The global scope.
    bool (*getGlobal)(int32_t id, int32_t arrayIndex, Value* out) = [](int32_t, int32_t, Value*) { return false; };
    bool (*setGlobal)(int32_t id, int32_t arrayIndex, const Value* in) =
        [](int32_t, int32_t, const Value*) { return false; };
    // Through a selector: all (-3), an object index or an instance id.
    bool (*getOnTarget)(int32_t selector, int32_t id, int32_t arrayIndex, Value* out) =
        [](int32_t, int32_t, int32_t, Value*) { return false; };
    bool (*setOnTarget)(int32_t selector, int32_t id, int32_t arrayIndex, const Value* in) =
        [](int32_t, int32_t, int32_t, const Value*) { return false; };
    // The user variable id of instance, or of the global scope for a null
    // instance, in place: with create it is made (real 0) when missing, as a
    // write makes it; without, a missing one answers null. Built-ins (ids
    // below the user range) answer null: they keep their getters and
    // setters. The pointer stays valid while variableSlotsVersion stands
    // still.
    Value* (*variableSlot)(CInstance* instance, int32_t id, bool create) = [](CInstance*, int32_t, bool) {
        return static_cast<Value*>(nullptr);
    };
    // Changes whenever a slot variableSlot handed out may have gone (never
    // to 0).
    const uint32_t* variableSlotsVersion = &kFixedVariableSlotsVersion;
    // The built-in variables with field access, by id (builtinFieldCount
    // entries; the others have a null load).
    const BuiltinFieldAccess* builtinFields = nullptr;
    int32_t builtinFieldCount = 0;
    // Names declared with globalvar.
    bool (*isGlobalName)(int32_t id) = [](int32_t) { return false; };
    void (*declareGlobalName)(int32_t id) = [](int32_t) {};
    // Changes whenever the answers of isGlobalName may have changed (never
    // to 0), so an answer may be kept while it stands still.
    const uint32_t* globalNamesVersion = &kFixedGlobalNamesVersion;
    // A failed read is an error (true), or reads as real 0 (false).
    bool (*strictReads)() = [] { return true; };

    // Local variables of one run, made on the first write.
    CVariableList* (*newLocals)() = [] { return static_cast<CVariableList*>(nullptr); };
    void (*deleteLocals)(CVariableList* locals) = [](CVariableList*) {};
    bool (*getLocal)(const CVariableList* locals, int32_t id, int32_t arrayIndex, Value* out) =
        [](const CVariableList*, int32_t, int32_t, Value*) { return false; };
    void (*setLocal)(CVariableList* locals, int32_t id, int32_t arrayIndex, const Value* in) =
        [](CVariableList*, int32_t, int32_t, const Value*) {};

    // The instances a with-statement names for all (-3), an object index or
    // an instance id, in list order, destroyed and deactivated ones
    // included: the with decides which of them count.
    void (*collectInstances)(int32_t selector, std::vector<CInstance*>* out) =
        [](int32_t, std::vector<CInstance*>*) {};
    // Neither destroyed nor deactivated.
    bool (*isLive)(const CInstance* instance) = [](const CInstance*) { return false; };
    // The id of the newest instance: it changes whenever an instance is
    // created, so a with knows when its list may have grown.
    int32_t (*lastInstanceId)() = [] { return 0; };

    // The argument slots of the innermost running script (argument0 to
    // argument15) and their count. While they are unknown the machine hands
    // every script call to Script_Execute; once known it runs scripts on
    // its own stack, pointing *argumentSlots (kScriptArgumentSlotCount
    // Values) at slots of its own for each.
    Value** argumentSlots = nullptr;
    int32_t* argumentCount = nullptr;

    // Error reports: a value as variable dumps show it, and the variables
    // of an instance (of the global scope for null), one "name(id) = value"
    // line each.
    void (*printValue)(std::string* out, const Value& value) = [](std::string*, const Value&) {};
    void (*printVariables)(const CInstance* instance, std::string* out) = [](const CInstance*, std::string*) {};

    // Built-in variables: id by exact name (-1 none) and name by id.
    int32_t (*findBuiltinVariable)(const char* name) = [](const char*) { return -1; };
    const char* (*builtinVariableName)(int32_t id) = [](int32_t) { return "<unknown built-in variable>"; };
};

WorldAccess& Code_WorldAccess();

}  // namespace bw
