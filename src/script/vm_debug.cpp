#include "script/vm_debug.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/strings.h"
#include "script/bytecode.h"
#include "script/code_unit.h"
#include "script/vm.h"

namespace bw {

namespace vm_debug_detail {
uint32_t g_epoch = 1;  // a unit never threaded has epoch 0
}

namespace {

using vm_debug_detail::g_epoch;

constexpr size_t kMaxLineBytes = 254;

struct BreakpointSlot {
    uint32_t saved = 0;
    uint32_t* address = nullptr;  // null: free
    // The op marked for it, when it was set by code identity and offset.
    uint32_t code = kCodeNoIdentity;
    uint32_t opOffset = 0;
};

bool g_step = false;
bool g_breakPending = false;
bool g_attached = false;
VMStopPosition g_stop;
VMDebugResume (*g_wait)() = nullptr;
void (*g_poll)() = nullptr;
// Where a step began: the unit (null: none) and its source line.
const CCode* g_stepCode = nullptr;
int32_t g_stepLine = -1;
bool g_stepOver = false;

std::array<BreakpointSlot, kBreakpointSlots>& Slots()
{
    static std::array<BreakpointSlot, kBreakpointSlots> slots;
    return slots;
}

// The position clamped into the text, or -1 for an empty text.
int64_t ClampedPosition(const VMLinePair* pair, const char* text)
{
    const auto length = static_cast<int64_t>(std::strlen(text));
    if (length == 0) {
        return -1;
    }
    return pair->position < 0 ? 0 : (pair->position >= length ? length - 1 : pair->position);
}

// The op at offset or the first after it (never the closing End op), or
// null when no unit with verified code has the identity or the offset lies
// past it.
VMNativeOp* OpAt(uint32_t identity, uint32_t offset, VerifiedUnit** unit)
{
    CCode* code = Code_FindByIdentity(identity);
    if (code == nullptr || code->bytecode == nullptr) {
        return nullptr;
    }
    *unit = &code->bytecode->unit;
    std::vector<VMNativeOp>& ops = (*unit)->ops;
    for (size_t i = 0; i + 1 < ops.size(); ++i) {
        if (ops[i].offset >= offset) {
            return ops[i].offset / 4 < (*unit)->words.size() ? &ops[i] : nullptr;
        }
    }
    return nullptr;
}

// Which ops stop changed: the units code runs in are routed again now.
void StopsChanged()
{
    ++g_epoch;
    VM_ThreadRunning();
}

void MarkOp(uint32_t identity, uint32_t offset, bool marked)
{
    VerifiedUnit* unit = nullptr;
    if (VMNativeOp* op = OpAt(identity, offset, &unit)) {
        op->breakpoint = marked;
        StopsChanged();
    }
}

int32_t LineOf(const VMProgram& program, const CCode& code, uint32_t offset)
{
    return Code_PositionToLine(VM_OffsetToLine(program.lines, static_cast<int32_t>(offset)), code.text.c_str());
}

// Holds the game at position until the debugger lets it go on; a wait may
// run code that stops too, so the outer position comes back afterwards.
VMDebugResume Hold(const VMStopPosition& position)
{
    const VMStopPosition outer = g_stop;
    g_stop = position;
    const VMDebugResume resume = g_wait();
    g_stop = outer;
    return resume;
}

}  // namespace

void VM_Init()
{
    VM_Breakpoints_Clear();
}

void VM_Breakpoints_Clear()
{
    for (const BreakpointSlot& slot : Slots()) {
        if (slot.code != kCodeNoIdentity) {
            MarkOp(slot.code, slot.opOffset, false);
        }
    }
    Slots().fill(BreakpointSlot{});
}

int32_t VM_Breakpoint_Add(uint32_t* address)
{
    int32_t freeSlot = kBreakpointNone;
    for (int32_t i = 0; i < kBreakpointSlots; ++i) {
        const BreakpointSlot& slot = Slots()[static_cast<size_t>(i)];
        if (slot.address == address) {
            return i;
        }
        if (slot.address == nullptr && freeSlot == kBreakpointNone) {
            freeSlot = i;
        }
    }
    if (freeSlot != kBreakpointNone) {
        Slots()[static_cast<size_t>(freeSlot)] = {*address, address};
    }
    return freeSlot;
}

int32_t VM_Breakpoint_Remove(uint32_t* address)
{
    for (int32_t i = 0; i < kBreakpointSlots; ++i) {
        if (Slots()[static_cast<size_t>(i)].address == address) {
            Slots()[static_cast<size_t>(i)] = BreakpointSlot{};
            return i;
        }
    }
    return kBreakpointNone;
}

int32_t VM_Breakpoint_AddAt(uint32_t identity, uint32_t offset)
{
    VerifiedUnit* unit = nullptr;
    VMNativeOp* op = OpAt(identity, offset, &unit);
    if (op == nullptr) {
        return kBreakpointNone;
    }
    const int32_t slot = VM_Breakpoint_Add(&unit->words[op->offset / 4]);
    if (slot != kBreakpointNone) {
        Slots()[static_cast<size_t>(slot)].code = identity;
        Slots()[static_cast<size_t>(slot)].opOffset = op->offset;
        op->breakpoint = true;
        StopsChanged();
    }
    return slot;
}

int32_t VM_Breakpoint_RemoveAt(uint32_t identity, uint32_t offset)
{
    VerifiedUnit* unit = nullptr;
    VMNativeOp* op = OpAt(identity, offset, &unit);
    if (op == nullptr) {
        return kBreakpointNone;
    }
    op->breakpoint = false;
    StopsChanged();
    return VM_Breakpoint_Remove(&unit->words[op->offset / 4]);
}

void VM_Breakpoints_ForgetUnit(const VerifiedUnit& unit)
{
    const auto first = reinterpret_cast<uintptr_t>(unit.words.data());
    const uintptr_t end = first + unit.words.size() * sizeof(uint32_t);
    for (BreakpointSlot& slot : Slots()) {
        const auto at = reinterpret_cast<uintptr_t>(slot.address);
        if (at >= first && at < end) {
            slot = BreakpointSlot{};
        }
    }
}

void VM_Debug_RequestStep(bool step)
{
    g_stepCode = nullptr;
    g_stepOver = false;
    if (step != g_step) {
        g_step = step;
        StopsChanged();
    }
}

void VM_Debug_RequestBreak(bool pending)
{
    if (pending != g_breakPending) {
        g_breakPending = pending;
        StopsChanged();
    }
}

bool VM_Debug_BreakPending()
{
    return g_breakPending;
}

void VM_Debug_SetAttached(bool attached)
{
    g_attached = attached;
}

bool VM_Debug_Attached()
{
    return g_attached;
}

void VM_SetDebugPoll(void (*poll)())
{
    g_poll = poll;
}

void VM_DebugPoll()
{
    if (g_poll != nullptr) {
        g_poll();
    }
}

bool VM_DebugRoutes(const VMNativeOp& op)
{
    return op.breakpoint || g_step || g_breakPending;
}

const VMStopPosition& VM_StopPosition()
{
    return g_stop;
}

void VM_SetDebugWait(VMDebugResume (*wait)())
{
    g_wait = wait;
}

void VM_DebugCheck(const VMProgram& program, const CCode& code, const VMNativeOp& op, CInstance* self,
                   CInstance* other)
{
    int32_t line = -1;
    bool stepArrived = false;  // a step has reached a new line
    if (g_step) {
        line = LineOf(program, code, op.offset);
        const bool sameCode = &code == g_stepCode;
        stepArrived = g_stepCode == nullptr ||
                      (g_stepOver ? sameCode && line != g_stepLine : !sameCode || line != g_stepLine);
    }
    if (!op.breakpoint && !g_breakPending && !stepArrived) {
        return;
    }
    VM_Debug_RequestStep(false);
    VM_Debug_RequestBreak(false);
    if (g_wait == nullptr) {
        return;
    }
    const VMDebugResume resume = Hold({&code, op.offset, self, other});
    if (resume != VMDebugResume::Run) {
        VM_Debug_RequestStep(true);
        g_stepCode = &code;
        g_stepLine = line >= 0 ? line : LineOf(program, code, op.offset);
        g_stepOver = resume == VMDebugResume::StepOver;
    }
}

void VM_DebugHoldAtError(const CCode& code, const VMNativeOp& op, CInstance* self, CInstance* other)
{
    if (!g_attached || g_wait == nullptr || Code_Error_DebugSuppressed()) {
        return;
    }
    VM_Debug_RequestStep(false);
    VM_Debug_RequestBreak(false);
    // The failing run ends either way; a step stops at the next op run.
    if (Hold({&code, op.offset, self, other}) != VMDebugResume::Run) {
        VM_Debug_RequestStep(true);
    }
}

void VM_Breakpoints_Insert()
{
    for (BreakpointSlot& slot : Slots()) {
        if (slot.address != nullptr) {
            *slot.address = kWordBreakpoint;
        }
    }
}

void VM_Breakpoints_Restore()
{
    for (size_t i = Slots().size(); i-- > 0;) {
        if (Slots()[i].address != nullptr) {
            *Slots()[i].address = Slots()[i].saved;
        }
    }
}

const VMLinePair* VM_OffsetToLine(const std::vector<VMLinePair>& lines, int32_t pc)
{
    const VMLinePair* found = nullptr;
    for (const VMLinePair& pair : lines) {
        if (pair.offset > pc) {
            break;
        }
        found = &pair;
    }
    return found;
}

int32_t Code_PositionToLine(const VMLinePair* pair, const char* text)
{
    if (pair == nullptr || text == nullptr) {
        return -1;
    }
    const int64_t at = ClampedPosition(pair, text);
    int32_t line = 0;
    for (int64_t i = 0; i < at; ++i) {
        line += text[i] == '\n' ? 1 : 0;
    }
    return line;
}

std::string VM_SourceLineText(const VMLinePair* pair, const char* text)
{
    if (pair == nullptr || text == nullptr || text[0] == '\0') {
        return "<unknown source line>";
    }
    int64_t start = ClampedPosition(pair, text);
    while (start > 0 && text[start - 1] != '\n') {
        --start;
    }
    std::string line;
    for (const char* at = text + start; *at != '\0' && *at != '\r' && *at != '\n'; ++at) {
        line.push_back(*at);
    }
    line.resize(String_WholeCharactersWithin(line, kMaxLineBytes));
    return line;
}

ErrorStackFrame VM_DescribeFrame(const std::vector<VMLinePair>& lines, const CCode& code, uint32_t offset)
{
    const VMLinePair* pair = VM_OffsetToLine(lines, static_cast<int32_t>(offset));
    return {code.name, Code_PositionToLine(pair, code.text.c_str()), VM_SourceLineText(pair, code.text.c_str())};
}

}  // namespace bw
