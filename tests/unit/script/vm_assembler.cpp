#include "vm_assembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "script/bytecode.h"

namespace bw::test {

namespace {

uint8_t OpcodeNamed(const std::string& name)
{
    for (int code = 3; code < 256; ++code) {
        if (VM_IsKnownOpcode(static_cast<uint8_t>(code)) && name == VM_OpcodeMnemonic(static_cast<uint8_t>(code))) {
            return static_cast<uint8_t>(code);
        }
    }
    ADD_FAILURE() << "unknown mnemonic " << name;
    return 0;
}

VMDataType TypeNamed(const std::string& suffix)
{
    for (int code = 0; code < 16; ++code) {
        const char* known = VM_TypeSuffix(static_cast<VMDataType>(code));
        if (known[0] != '\0' && suffix == known + 1) {
            return static_cast<VMDataType>(code);
        }
    }
    ADD_FAILURE() << "unknown type " << suffix;
    return kTypeNone;
}

// Reads a T and appends its eight bytes as two words.
template <typename T>
void EmitEight(std::vector<uint32_t>& words, std::istream& in)
{
    T value{};
    in >> value;
    uint32_t halves[2];
    std::memcpy(halves, &value, sizeof(halves));
    words.insert(words.end(), halves, halves + 2);
}

// "selector 0xREF": the selector in the instruction word, the reference after it.
void EmitVariable(std::vector<uint32_t>& words, uint32_t word, std::istream& in)
{
    int32_t selector = 0;
    uint32_t ref = 0;
    in >> selector >> std::hex >> ref;
    words.push_back(word | (static_cast<uint32_t>(selector) & 0xFFFF));
    words.push_back(ref);
}

}  // namespace

std::vector<uint32_t> Assemble(const std::string& source)
{
    std::vector<uint32_t> words;
    std::istringstream lines(source);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string mnemonic;
        if (!(in >> mnemonic)) {
            continue;
        }
        if (mnemonic == "word") {
            uint32_t raw = 0;
            in >> std::hex >> raw;
            words.push_back(raw);
            continue;
        }
        std::vector<std::string> parts;
        std::istringstream pieces(mnemonic);
        for (std::string part; std::getline(pieces, part, '.');) {
            parts.push_back(part);
        }
        const uint8_t opcode = OpcodeNamed(parts[0]);
        const VMDataType t = parts.size() > 1 ? TypeNamed(parts[1]) : kTypeNone;
        const VMDataType u = parts.size() > 2 ? TypeNamed(parts[2]) : kTypeNone;
        if (VM_IsBranchOpcode(opcode) && opcode != kOpBreak) {
            int32_t offset = 0;
            in >> offset;
            words.push_back(VM_BranchWord(opcode, offset));
            continue;
        }
        uint32_t word = parts.size() > 2 ? VM_Word2(opcode, t, u) : VM_Word1(opcode, t);
        const bool operand = opcode == kOpPush || opcode == kOpCall || (opcode == kOpPop && t != kTypeNone) ||
                             opcode == kOpBreak;
        if (operand) {
            word |= 0x40000000u;
        }
        if ((opcode == kOpPush && t == kTypeVariable) || (opcode == kOpPop && t != kTypeNone)) {
            EmitVariable(words, word, in);
        } else if (opcode == kOpPush && t != kTypeNone) {
            words.push_back(word);
            if (t == kTypeDouble) {
                EmitEight<double>(words, in);
            } else if (t == kTypeInt64) {
                EmitEight<int64_t>(words, in);
            } else {
                int64_t value = 0;
                in >> value;
                words.push_back(static_cast<uint32_t>(value));
            }
        } else if (opcode == kOpPop) {
            int32_t d = 0;
            int32_t m = 0;
            in >> d >> m;
            words.push_back(word | (static_cast<uint32_t>(d) & 0xFF) | ((static_cast<uint32_t>(m) & 0xFF) << 8));
        } else if (opcode == kOpCall) {
            int32_t argc = 0;
            int32_t id = 0;
            in >> argc >> id;
            words.push_back(word | static_cast<uint32_t>(argc));
            words.push_back(static_cast<uint32_t>(id));
        } else {
            int32_t low = 0;
            in >> low;  // push.e value, dup count, break code; nothing for the rest
            words.push_back(word | (static_cast<uint32_t>(low) & 0xFFFF));
        }
    }
    return words;
}

}  // namespace bw::test
