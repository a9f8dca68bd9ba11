#include "script/disassembler.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "script/function_table.h"
#include "script/names.h"

namespace bw {

namespace {

constexpr size_t kBytesColumn = 36;
constexpr size_t kOperandColumn = 46;

void PadTo(std::string* out, size_t lineStart, size_t column)
{
    while (out->size() - lineStart < column) {
        out->push_back(' ');
    }
}

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* out, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    *out += buffer;
}

// String constants and names go in whole, whatever their length.
void AppendBetween(std::string* out, char mark, const char* text)
{
    *out += mark;
    *out += text != nullptr ? text : "(null)";
    *out += mark;
}

void AppendOperand(std::string* out, uint32_t word, const uint32_t* operand, const VMStringTable& strings)
{
    const uint8_t opcode = VM_Opcode(word);
    switch (VM_FirstType(word)) {
    case kTypeDouble: {
        double value = 0.0;
        std::memcpy(&value, operand, sizeof(value));
        Append(out, "%f", value);
        break;
    }
    case kTypeFloat: {
        float value = 0.0f;
        std::memcpy(&value, operand, sizeof(value));
        Append(out, "%f", static_cast<double>(value));
        break;
    }
    case kTypeInt: {
        const auto value = static_cast<int32_t>(operand[0]);
        const char* name = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t argc = 0;
        if (opcode == kOpCall && value >= 0 && value < kScriptFunctionIdBase &&
            Code_Function_GetInfo(value, &name, &fn, &argc) && name != nullptr) {
            *out += name;
        } else {
            Append(out, "%d", value);
        }
        break;
    }
    case kTypeInt64: {
        int64_t value = 0;
        std::memcpy(&value, operand, sizeof(value));
        Append(out, "%" PRId64, value);
        break;
    }
    case kTypeBool: *out += (operand[0] & 0xFF) != 0 ? "true" : "false"; break;
    case kTypeVariable:
        AppendBetween(out, '$', Code_Variable_GetName(static_cast<int32_t>(operand[0] & kVarRefIdMask)));
        break;
    case kTypeString:
        if (operand[0] < strings.count && strings.texts[operand[0]] != nullptr) {
            AppendBetween(out, '"', strings.texts[operand[0]]);
        } else {
            Append(out, "\"<string %u>\"", operand[0]);
        }
        break;
    default: Append(out, "%d", VM_Immediate(word)); break;
    }
}

}  // namespace

uint32_t VM_Disassemble(const uint32_t* words, size_t wordCount, uint32_t offset, const VMStringTable& strings,
                        std::string* out)
{
    const size_t at = offset / 4;
    if (at >= wordCount) {
        return static_cast<uint32_t>(wordCount * 4);
    }
    const size_t lineStart = out->size();
    const uint32_t word = words[at];
    const auto size = static_cast<size_t>(VM_InstructionBytes(word)) / 4;
    const bool whole = at + size <= wordCount;
    Append(out, "%08x : ", offset);
    for (size_t i = 0; i < size && at + i < wordCount; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            Append(out, "%02x", (words[at + i] >> shift) & 0xFF);
        }
    }
    PadTo(out, lineStart, kBytesColumn);
    const uint8_t opcode = VM_Opcode(word);
    *out += VM_OpcodeMnemonic(opcode);
    if (VM_IsKnownOpcode(opcode)) {
        if ((opcode & 0x80) != 0 && (opcode & 0x20) == 0) {
            *out += VM_TypeSuffix(VM_FirstType(word));
        } else if ((opcode & 0xA0) == 0) {
            *out += VM_TypeSuffix(VM_FirstType(word));
            *out += VM_TypeSuffix(VM_SecondType(word));
        }
    }
    PadTo(out, lineStart, kOperandColumn);
    if (VM_HasOperandFlag(word) && size > 1 && whole) {
        AppendOperand(out, word, words + at + 1, strings);
    } else if (VM_HasOperandFlag(word) && VM_FirstType(word) == kTypeNone) {
        Append(out, "%d", VM_Immediate(word));
    } else if ((opcode & 0x20) != 0 && VM_IsKnownOpcode(opcode)) {
        Append(out, "0x%08x", static_cast<uint32_t>(static_cast<int64_t>(offset) + 4 * int64_t{VM_BranchOffset(word)}));
    }
    *out += "\n";
    return whole ? static_cast<uint32_t>((at + size) * 4) : static_cast<uint32_t>(wordCount * 4);
}

std::string VM_DisassembleAll(const std::vector<uint32_t>& words, const VMStringTable& strings)
{
    std::string out;
    for (uint32_t offset = 0; offset / 4 < words.size();) {
        offset = VM_Disassemble(words.data(), words.size(), offset, strings, &out);
    }
    return out;
}

}  // namespace bw
