// What the error report and the remote debugger read of running bytecode:
// the breakpoint table over the units' original words and the lookup from
// a code offset to its source line. The machine runs the verified native
// form, so a breakpoint word changes what the debugger reads back, never
// what runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/bytecode_generator.h"
#include "script/error_report.h"

namespace bw {

class CCode;

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
