// The built-in variables: one table that pairs each name game code may use
// with a getter and an optional setter. A built-in variable's id is its
// position in the table, and compiled packages refer to built-ins by that
// id, so the registration order is fixed for good.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "script/value.h"

namespace bw {

class CInstance;

inline constexpr int32_t kBuiltinVariableCapacity = 500;

// The getter fills out completely and answers true; the setter answers false
// when it refuses the value. arrayIndex is the element the code addressed.
using BuiltinVariableGetter = bool (*)(CInstance* self, int32_t arrayIndex, Value* out);
using BuiltinVariableSetter = bool (*)(CInstance* self, int32_t arrayIndex, const Value* in);

struct BuiltinVariable {
    std::string name;
    BuiltinVariableGetter getter = nullptr;
    BuiltinVariableSetter setter = nullptr;  // null: read-only
    uint8_t canSet = 0;                      // game code may assign it
};

// Empties the table and registers the instance variables, then the global
// ones, in their fixed order.
void Variable_Init();
// Appends an entry; a full table shows "INTERNAL ERROR: Adding too many
// variables" and adds nothing. Answers the new id, -1 when refused.
int32_t Variable_BuiltIn_Add(const char* name, BuiltinVariableGetter getter, BuiltinVariableSetter setter,
                             bool canSet);
// Exact, case-sensitive; -1 when absent.
int32_t Variable_BuiltIn_Find(const char* name);
// "<unknown built-in variable>" for an id outside the table.
const char* Variable_BuiltIn_Name(int32_t id);
// Null for an id outside the table.
const BuiltinVariable* Variable_BuiltIn_Get(int32_t id);
int32_t Variable_BuiltIn_Count();
// The maintenance list: one name per line, "*" after those game code cannot
// set.
void Variable_BuiltIn_WriteNames(std::string& out);
// Empties the table (game end).
void Variable_BuiltIn_Free();

// The lives and health counters; falling to none runs the "no more lives"
// or "no more health" event for every instance.
void Game_SetLives(int32_t lives);
void Game_SetHealth(double health);

// Registration of the two groups, in their own files.
void Variable_BuiltIn_RegisterInstance();
void Variable_BuiltIn_RegisterGlobal();

struct BuiltinVariableRegistration {
    const char* name;
    BuiltinVariableGetter getter;
    BuiltinVariableSetter setter;
    bool canSet;
};
// Adds the entries in the order given: that order is their ids.
void Variable_BuiltIn_AddAll(std::span<const BuiltinVariableRegistration> entries);

// What setters share: how a value reads as a number and as a text, and the
// conversions the variables use.
double BuiltinArg_Real(const Value* in);
const char* BuiltinArg_Text(const Value* in);
// Narrowed to f32 (beyond its range: infinity).
float BuiltinArg_Float(const Value* in);
// Nearest integer, ties to even; saturates at the i32 range, NaN gives
// INT32_MIN.
int32_t BuiltinArg_Int(const Value* in);
// The value narrowed to f32 first, then rounded.
int32_t BuiltinArg_IntFromFloat(const Value* in);
// Rounded, then true above 0.5 (so 0.5 itself is false).
bool BuiltinArg_Flag(const Value* in);
// The element an array index addresses among count: an index outside
// 0..count-1 selects element 0, as games written for the runner expect.
int32_t BuiltinArg_Element(int32_t arrayIndex, int32_t count);

}  // namespace bw
