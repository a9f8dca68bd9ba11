// The virtual machine: runs a verified unit's native instructions for a self
// and an other instance. The unit was checked when it was loaded or
// compiled, so the loop trusts every operand, branch target and stack item
// type; what can still fail at run time (a variable that does not exist, a
// division by zero, a string where a number belongs) is a run-time error
// that stops the unit and leaves its message pending.
#pragma once

#include <cstdint>
#include <vector>

#include "script/bytecode_generator.h"
#include "script/error_report.h"
#include "script/value.h"
#include "script/verifier.h"

namespace bw {

class CCode;
class CInstance;

// A unit's bytecode as the machine runs it, with its offset-to-line table.
struct VMProgram {
    VerifiedUnit unit;
    std::vector<VMLinePair> lines;
};

// Runs program for self and other; code gives the source text and kind for
// error reports. A ret stores its Value in result; code that ends any other
// way leaves result untouched. False after a run-time error, whose message
// is pending (Code_Error_PendingMessage).
bool VM_Exec(const VMProgram& program, const CCode& code, CInstance* self, CInstance* other, Value* result);

// What an error report shows of the machines: the frames running, innermost
// first, and the variables of the innermost one. A run that failed keeps
// what it saw before unwinding, for the report its caller makes next.
void VM_ErrorCallStack(std::vector<ErrorStackFrame>* frames);
void VM_ErrorVariables(ErrorVariableDump* dump);

// The set locals of the innermost running frame, in place: valid while
// that frame is held (the debugger reads them at a stop).
void VM_RunningLocals(std::vector<VariableView>* locals);

// Whether a machine is running (or held at a stop).
bool VM_IsRunning();

// "-trace": each run writes "script = <unit>", each script call
// "script call = <name>" and each built-in call "func call = <name>" to the
// console.
void VM_SetTrace(bool trace);

// Branches executed since start; every 4096th pumps the window's messages.
uint32_t VM_BranchCount();

}  // namespace bw
