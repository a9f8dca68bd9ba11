// The constant table: names that game code uses for numbers and texts (the
// built-ins registered at start-up, the game's own constants from the package
// options, and those that extensions and other subsystems add). The compiler
// replaces each constant name by its value while it resolves names.
//
// Entries are never removed before shut-down. A later entry with an equal
// name shadows an earlier one: every lookup prefers the newest.
#pragma once

#include <cstdint>
#include <span>

#include "script/value.h"

namespace bw {

// Appends a copy of value under name (a null name adds nothing).
void Code_Constant_Add(const char* name, const Value& value);
void Code_Constant_Add_Real(const char* name, double real);
void Code_Constant_Add_String(const char* name, const char* text);

// The newest constant whose name equals name ignoring ASCII case; null when
// none. Used where keys are named in text data. The pointer stays valid
// until Code_Constant_Free.
const Value* Code_Constant_Find(const char* name);

// The compiler's name lookup: a resource of that name (object, sprite, sound,
// audio, background, path, font, time line, script, room: the first kind that
// knows it) gives real(index); otherwise the newest constant of exactly that
// name gives a copy of its value. False when neither knows the name. value's
// old payload is released either way.
bool Code_Resource_Find(const char* name, Value* value);

// Resources only, in the same order; no constant answers. For asset_get_index.
bool Code_Resource_FindAsset(const char* name, int32_t* index);

// Non-empty, [A-Za-z_] then [A-Za-z0-9_]*.
bool Code_Constant_IsValidName(const char* name);

// One game constant from the package options: a valid name is added with its
// value text evaluated (0 when the text is empty or does not compile). An
// invalid name shows "Constant name <name>  is not valid." and gives false.
bool Code_Constant_Define(const char* name, const char* valueText);

struct GameConstant {
    const char* name;
    const char* valueText;
};
// Defines each in order; stops at the first invalid name and gives false.
bool Code_Constant_Init_Game(std::span<const GameConstant> constants);

// Compiles the expression text under the name "Constant.<n>" (a running
// number) and runs it; false when it does not compile.
bool Code_Constant_Evaluate(const char* text, Value* result);

// The compiler lives above this module: it registers how to compile and run
// one expression text under a unit name (with an empty instance as self and
// other). Until then, no text compiles.
using ConstantExpressionEvaluator = bool (*)(const char* text, const char* unitName, Value* result);
void Code_Constant_SetEvaluator(ConstantExpressionEvaluator evaluator);

// Registers the built-in constants, in their fixed order.
void Code_Constant_Init();
int32_t Code_Constant_Count();
// The entry at index (0 the oldest) in place, valid until Code_Constant_Free;
// false outside the table. For tools that list the table.
bool Code_Constant_Get(int32_t index, const char** name, const Value** value);
void Code_Constant_Free();

}  // namespace bw
