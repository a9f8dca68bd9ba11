// The bytecode of game code: one 32-bit little-endian instruction word,
// optionally followed by a one- or two-word operand. Package code and code
// compiled from text share this form; the verifier checks it once and
// translates it into the machine's native form, so nothing here is read by
// the dispatch loop itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

enum VMOpcode : uint8_t {
    kOpConv = 3,
    kOpMul = 4,
    kOpDiv = 5,
    kOpRem = 6,
    kOpMod = 7,
    kOpAdd = 8,
    kOpSub = 9,
    kOpAnd = 10,
    kOpOr = 11,
    kOpXor = 12,
    kOpNeg = 13,
    kOpNot = 14,
    kOpShl = 15,
    kOpShr = 16,
    kOpSlt = 17,
    kOpSle = 18,
    kOpSeq = 19,
    kOpSne = 20,
    kOpSge = 21,
    kOpSgt = 22,
    kOpPop = 65,
    kOpDup = 130,
    kOpRet = 157,
    kOpExit = 158,
    kOpPopz = 159,
    kOpB = 183,
    kOpBt = 184,
    kOpBf = 185,
    kOpPushEnv = 187,
    kOpPopEnv = 188,
    kOpPush = 192,
    kOpCall = 218,
    kOpBreak = 255,
};

enum VMDataType : uint8_t {
    kTypeDouble = 0,
    kTypeFloat = 1,
    kTypeInt = 2,
    kTypeInt64 = 3,
    kTypeBool = 4,
    kTypeVariable = 5,
    kTypeString = 6,
    kTypeNone = 15,
};

// Bits of the operand of a push or pop of a variable.
inline constexpr uint32_t kVarRefIdMask = 0x1FFFFFFFu;
inline constexpr uint32_t kVarRefSelectorInWord = 1u << 29;
inline constexpr uint32_t kVarRefInstanceId = 1u << 30;
inline constexpr uint32_t kVarRefNoIndex = 1u << 31;
inline constexpr int32_t kInstanceIdBase = 100000;

// The selector a variable op reads from the stack: with the instance-id bit
// it names an instance by its id less kInstanceIdBase. Package code may pop
// any int there, so the sum wraps as a 32-bit word does.
inline int32_t VM_PoppedSelector(int32_t popped, uint32_t flags)
{
    const uint32_t base = (flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0;
    return static_cast<int32_t>(static_cast<uint32_t>(popped) + base);
}

inline constexpr uint32_t kWordBreakpoint = 0xFFFF0000u;
inline constexpr uint32_t kWordStepTrap = 0xFF0F0000u;
inline constexpr uint32_t kWordIndexCheck = 0xFF0FFFFFu;
inline constexpr uint32_t kWordExit = 0x9E020000u;
inline constexpr uint32_t kWordRetVariable = 0x9D050000u;
inline constexpr uint32_t kWordPopEnvExit = 0xBCF00000u;
inline constexpr uint16_t kBreakIndexCheck = 0xFFFF;
inline constexpr int32_t kArrayIndexLimit = 32000;

inline uint8_t VM_Opcode(uint32_t word) { return static_cast<uint8_t>(word >> 24); }
inline VMDataType VM_FirstType(uint32_t word) { return static_cast<VMDataType>((word >> 16) & 0xF); }
inline VMDataType VM_SecondType(uint32_t word) { return static_cast<VMDataType>((word >> 20) & 0xF); }
inline int16_t VM_Immediate(uint32_t word) { return static_cast<int16_t>(word & 0xFFFF); }
inline bool VM_HasOperandFlag(uint32_t word) { return (word & 0x40000000u) != 0; }
// Signed 24-bit branch offset in words, counted from the branch word.
inline int32_t VM_BranchOffset(uint32_t word)
{
    const uint32_t raw = word & 0xFFFFFFu;
    return (raw & 0x800000u) != 0 ? static_cast<int32_t>(raw) - 0x1000000 : static_cast<int32_t>(raw);
}
inline bool VM_IsBranchOpcode(uint8_t opcode) { return (opcode & 0xA0) == 0xA0; }
// The binary operators: arithmetic, and the comparisons slt to sgt.
inline bool VM_IsArithmeticOpcode(uint8_t opcode)
{
    return (opcode >= kOpMul && opcode <= kOpXor) || opcode == kOpShl || opcode == kOpShr;
}
inline bool VM_IsComparisonOpcode(uint8_t opcode) { return opcode >= kOpSlt && opcode <= kOpSgt; }
// The types a stack item can have (float is not one: no operation of the
// machine makes or reads it).
inline bool VM_IsValueType(VMDataType type)
{
    switch (type) {
    case kTypeDouble:
    case kTypeInt:
    case kTypeInt64:
    case kTypeBool:
    case kTypeVariable:
    case kTypeString: return true;
    default: return false;
    }
}

inline uint32_t VM_Word1(uint8_t opcode, VMDataType t, uint16_t low = 0)
{
    return (uint32_t{opcode} << 24) | (uint32_t{t} << 16) | low;
}
inline uint32_t VM_Word2(uint8_t opcode, VMDataType t, VMDataType u)
{
    return (uint32_t{opcode} << 24) | (uint32_t{u} << 20) | (uint32_t{t} << 16);
}
inline uint32_t VM_BranchWord(uint8_t opcode, int32_t offsetWords)
{
    return (uint32_t{opcode} << 24) | (static_cast<uint32_t>(offsetWords) & 0xFFFFFFu);
}

// Bytes of the operand that follows a word whose operand flag is set.
int32_t VM_OperandBytes(VMDataType type);
// Bytes one item of the type takes on the package form's stack: the unit of
// the dup counts and the stack shuffle of package code.
int32_t VM_PackageStackBytes(VMDataType type);
// ".d", ".v", ...; "" for codes without a name.
const char* VM_TypeSuffix(VMDataType type);
// The disassembler's name; "unknown" for unassigned codes.
const char* VM_OpcodeMnemonic(uint8_t opcode);
// Whether the code is one of the table's opcodes.
bool VM_IsKnownOpcode(uint8_t opcode);

// Byte size of the instruction at the word (word plus operand).
inline int32_t VM_InstructionBytes(uint32_t word)
{
    return 4 + (VM_HasOperandFlag(word) ? VM_OperandBytes(VM_FirstType(word)) : 0);
}

// The strings a unit's string operands index: the package's string table,
// or the list the generator built for a unit compiled from text.
struct VMStringTable {
    const char* const* texts = nullptr;
    size_t count = 0;
};

}  // namespace bw
