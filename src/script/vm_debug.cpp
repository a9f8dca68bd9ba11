#include "script/vm_debug.h"

#include <array>
#include <cstring>

#include "script/bytecode.h"
#include "script/code_unit.h"

namespace bw {

namespace {

constexpr size_t kMaxLineBytes = 254;

struct BreakpointSlot {
    uint32_t saved = 0;
    uint32_t* address = nullptr;  // null: free
};

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

}  // namespace

void VM_Init()
{
    VM_Breakpoints_Clear();
}

void VM_Breakpoints_Clear()
{
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
    if (line.size() > kMaxLineBytes) {
        // Cut on a character boundary: continuation bytes are 10xxxxxx.
        size_t cut = kMaxLineBytes;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        line.resize(cut);
    }
    return line;
}

ErrorStackFrame VM_DescribeFrame(const std::vector<VMLinePair>& lines, const CCode& code, uint32_t offset)
{
    const VMLinePair* pair = VM_OffsetToLine(lines, static_cast<int32_t>(offset));
    return {code.name, Code_PositionToLine(pair, code.text.c_str()), VM_SourceLineText(pair, code.text.c_str())};
}

}  // namespace bw
