// The state records the debugger reads where the game is held: the
// machine's position and variables, and one instance's built-in variables.
// Every field is a little-endian u32, f32 or f64, so a debugger decodes
// them without knowing our types. The code is named by its identity
// (Code_Identity: a package unit's code entry, a text unit's own number) and
// the position is a byte offset into it: code addresses on the wire are
// always this pair, never a pointer.
#pragma once

#include <cstdint>
#include <vector>

#include "script/code_unit.h"
#include "script/vm.h"

namespace bw {

class CInstance;
class DebugReply;

// The wire word for no code (and no instance).
inline constexpr uint32_t kDebugNoCode = kCodeNoIdentity;

// The machine's state record: code identity, offset, self's and other's ids,
// the running frame's locals, the global variables and self's built-in
// record. Only the code word kDebugNoCode when no run is held.
void VM_DebugWriteInstance(DebugReply& buffer);
// The count, then per variable its id, its value kind and the string or the
// real as f64.
void VM_DebugWriteVariables(DebugReply& buffer, const std::vector<VariableView>& variables);
// The built-in variables, alarms, path, physics body and time line of
// instance; a null instance writes the same fields as zeros.
void VM_DebugWriteBuiltinVariables(DebugReply& buffer, const CInstance* instance);

}  // namespace bw
