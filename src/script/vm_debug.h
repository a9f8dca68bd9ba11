// What the error report and the remote debugger read of running bytecode:
// the breakpoint table over the units' original words and the lookup from
// a code offset to its source line, and the debugger's hold on the machine.
// The machine runs the verified native form: a breakpoint set by (code
// identity, offset) marks the native op there, and the machine stops before a
// marked op. Ops reach their handlers through addresses filled in per unit;
// only a marked op, or every op while a step is under way, is routed
// through the stop check, so a run without a debugger pays nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/bytecode_generator.h"
#include "script/error_report.h"
#include "script/verifier.h"

namespace bw {

struct VMProgram;
class CCode;
class CInstance;

inline constexpr int32_t kBreakpointSlots = 255;
inline constexpr int32_t kBreakpointNone = 255;  // table full / not recorded

// Empties every slot; start-up calls it once.
void VM_Init();
void VM_Breakpoints_Clear();
// The slot holding address (an address already recorded keeps its slot),
// kBreakpointNone when the table is full.
int32_t VM_Breakpoint_Add(uint32_t* address);
// The freed slot, kBreakpointNone when address was not recorded.
int32_t VM_Breakpoint_Remove(uint32_t* address);
// Writes the breakpoint word over every recorded address / puts the saved
// words back, last slot first.
void VM_Breakpoints_Insert();
void VM_Breakpoints_Restore();

// A breakpoint by code identity (Code_Identity) and byte offset, the form
// the debugger link speaks: the op at (or the first after) offset is marked.
// The slot, or kBreakpointNone when no live unit has that identity, the
// offset lies outside it or the table is full.
int32_t VM_Breakpoint_AddAt(uint32_t identity, uint32_t offset);
int32_t VM_Breakpoint_RemoveAt(uint32_t identity, uint32_t offset);
// A unit that goes frees the slots recorded inside its words, which would
// otherwise point into freed memory.
void VM_Breakpoints_ForgetUnit(const VerifiedUnit& unit);

// The debugger's step flag: stop at the next change of source line.
// Changing it re-routes the ops (see above). A step requested while no run
// is held stops at the first op run.
void VM_Debug_RequestStep(bool step);
// Break pending: the next op the machine runs, in whatever unit, stops.
// Set by the debugger's pause while code runs; cleared when the machine
// stops for it. It re-routes every op, so the loop itself never tests it.
void VM_Debug_RequestBreak(bool pending);
bool VM_Debug_BreakPending();
// Attached: a debugger is connected, so a run-time error holds the game at
// the failing op for it instead of stopping the game.
void VM_Debug_SetAttached(bool attached);
bool VM_Debug_Attached();
// What the machine calls on the rare branches that pump the window's
// messages, so that a debugger can reach code that loops without end.
void VM_SetDebugPoll(void (*poll)());
void VM_DebugPoll();
// Which ops the machine routes through the stop check changes with each
// breakpoint and flag change; units fill their addresses again when their
// epoch differs: those code runs in at once, the others on their next run
// or call.
// Read by the machine on every run and call, so it is inline.
namespace vm_debug_detail {
extern uint32_t g_epoch;
}
inline uint32_t VM_DebugEpoch()
{
    return vm_debug_detail::g_epoch;
}
// Fills again, for what stops now, the addresses of the units code runs in:
// each running machine's and those of the callers waiting on its scripts'
// frames. A step that leaves a script then stops at the first op back in
// its caller, and a script's return asks nothing. The machine defines it.
void VM_ThreadRunning();
// Whether the machine routes op through the stop check: a breakpoint on it
// or a step under way.
bool VM_DebugRoutes(const VMNativeOp& op);

// Where the machine stands while it waits at a stop; code is null when no
// run is held.
struct VMStopPosition {
    const CCode* code = nullptr;
    uint32_t offset = 0;
    CInstance* self = nullptr;
    CInstance* other = nullptr;
};
const VMStopPosition& VM_StopPosition();
// What the machine calls when it stops: the debugger link waits there and
// answers how to go on. A step stops at the next line run anywhere; a step
// over only at the next line of the same unit.
enum class VMDebugResume { Run, Step, StepOver };
void VM_SetDebugWait(VMDebugResume (*wait)());
// The machine's stop check, before an op routed to it: stops when the op
// has a breakpoint, a break is pending or a step has reached a new line.
void VM_DebugCheck(const VMProgram& program, const CCode& code, const VMNativeOp& op, CInstance* self,
                   CInstance* other);
// A run-time error with a debugger attached: the game is held at the
// failing op, its state readable, until the debugger lets it go on; the
// run then ends. Evaluations the debugger makes for itself never hold.
void VM_DebugHoldAtError(const CCode& code, const VMNativeOp& op, CInstance* self, CInstance* other);

// The last pair at or before pc; null without pairs or before the first.
const VMLinePair* VM_OffsetToLine(const std::vector<VMLinePair>& lines, int32_t pc);
// 0-based line of the pair's position in text; -1 without a pair.
int32_t Code_PositionToLine(const VMLinePair* pair, const char* text);
// The source line holding the pair's position (at most 254 bytes), or
// "<unknown source line>".
std::string VM_SourceLineText(const VMLinePair* pair, const char* text);

// One frame of an error report: the unit's name, the line of the
// instruction at offset and that line's text.
ErrorStackFrame VM_DescribeFrame(const std::vector<VMLinePair>& lines, const CCode& code, uint32_t offset);

}  // namespace bw
