// Every access to a variable by id: built-ins (ids below 10000) go to their
// getter or setter, user variables to an instance's list or to the global
// list, and a target selector reaches the instances it names. Also the
// "globalvar" declarations and the save form of the global scope.
#pragma once

#include <cstdint>

#include "script/value.h"

namespace bw {

class CInstance;
class CStream;
class CVariableList;

// Target selectors of variable access.
inline constexpr int32_t kSelectorAll = -3;

// Built-in: the getter (false for an id the table does not hold); user:
// self's list (false without self).
bool Variable_GetValue(CInstance* self, int32_t id, int32_t arrayIndex, Value* out);
// Built-in: false when it cannot be set or has no setter, else the setter's
// answer; user: self's list.
bool Variable_SetValue(CInstance* self, int32_t id, int32_t arrayIndex, const Value* in);

// The same on the global scope.
bool Variable_Global_Get(int32_t id, int32_t arrayIndex, Value* out);
bool Variable_Global_Set(int32_t id, int32_t arrayIndex, const Value* in);
CVariableList& Variable_GlobalList();
// A user variable of instance (null: of the global scope) in place, see
// CVariableList::Slot; null for a built-in id.
Value* Variable_Slot(CInstance* instance, int32_t id, bool create);

// Reads through the instance with that id; false when it is absent or
// destroyed.
bool Variable_GetOnInstance(int32_t instanceId, int32_t id, int32_t arrayIndex, Value* out);
// Reads through the first live instance of the object (descendants
// included), else the first live one changing into it this pass.
bool Variable_GetOnObject(int32_t objectIndex, int32_t id, int32_t arrayIndex, Value* out);
// -3: the first live instance of the room; 100000 and above: an instance
// id; 0..99999: an object; any other selector fails.
bool Variable_GetOnTarget(int32_t selector, int32_t id, int32_t arrayIndex, Value* out);
// Writes every instance the selector names; the answer is that of the last
// write. A destroyed or absent instance id writes nothing and succeeds.
bool Variable_SetOnTarget(int32_t selector, int32_t id, int32_t arrayIndex, const Value* in);

// "globalvar" declarations: a flagged name is read and written in the
// global list.
uint8_t Variable_IsFlagged(int32_t id);
void Variable_SetFlagged(int32_t id);
int32_t Variable_FlagCount();
// Moves on whenever a flag may have changed (a new declaration, game start
// and end, a load); never 0.
const uint32_t& Variable_FlagsVersion();

// Game start: an empty global list and 10000 cleared flags.
void Variable_Global_Init();
// The global list, then the flag count and each flag as s32.
bool Variable_Global_SaveState(CStream& stream);
// The reverse; false on damaged bytes.
bool Variable_Global_LoadState(CStream& stream);
// Game end: the built-in table, the global list and the flags.
void Variable_FreeAll();

}  // namespace bw
