// The load-time verifier: checks a unit of package-form bytecode once and
// translates it into the machine's native form. Every item the machine will
// find on its stack is known here (the same type-stack model the generator
// keeps), so the dispatch loop runs without bounds or type checks: branch
// targets, stack depth, item types, string indexes and dup counts are all
// settled before the first instruction runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/bytecode.h"

namespace bw {

// What the machine does for one instruction. Arithmetic and comparisons
// have handlers for the common type pairs beside the general one.
enum class VMHandler : uint8_t {
    Nop,
    End,  // one past the last instruction: the code has ended
    PushDouble,
    PushInt,
    PushInt64,
    PushBool,
    PushString,
    PushVariable,
    PushLocal,       // a local named in the word: k.i is its slot
    PopVariable,     // value beneath the selector and index
    PopLocal,
    PopVariableTop,  // value on top of them
    Rotate,          // the package form's stack shuffle
    DupBlock,
    DupRepeat,
    Popz,
    Conv,
    Arithmetic,
    ArithmeticIntInt,
    ArithmeticDoubleDouble,
    Compare,
    Neg,
    Not,
    Branch,
    BranchTrue,
    BranchFalse,
    PushEnv,
    PopEnv,
    PopEnvExit,
    Ret,
    Exit,
    Call,
    IndexCheck,
    Trap,
};

struct VMNativeOp {
    VMHandler handler = VMHandler::Nop;
    uint8_t opcode = 0;
    VMDataType t = kTypeNone;  // first type
    VMDataType u = kTypeNone;  // second type
    VMDataType result = kTypeNone;
    int32_t a = 0;  // selector, argc, item counts, branch target (op index)
    int32_t b = 0;  // variable id, function id, second count
    uint32_t flags = 0;  // variable reference bits
    union {
        double d;
        int64_t l;
        int32_t i;
        const char* s;
    } k{};
    uint32_t offset = 0;  // byte offset of the original word
};

struct VerifiedUnit {
    std::vector<VMNativeOp> ops;  // ends with one End op
    std::vector<uint32_t> words;  // the original words, for the debugger
    std::vector<std::string> strings;  // copies of the string operands
    int32_t maxDepth = 0;   // most items the stack holds
    // Variable ids of the locals named in words, by slot: the machine keeps
    // a run's locals itself, so a local costs no lookup.
    std::vector<int32_t> localIds;
    int32_t maxEnvDepth = 0;
    // The item types on the stack after each op (as a node of typeNodes,
    // -1 for an empty stack): what the machine releases when code stops
    // early, so an error or an exit leaks nothing.
    std::vector<int32_t> exitNode;
    struct TypeNode {
        VMDataType type;
        int32_t below;
    };
    std::vector<TypeNode> typeNodes;
    // Op index of each instruction's byte offset / 4; -1 inside an operand.
    std::vector<int32_t> opAtWord;
};

// Checks the byteLength bytes of little-endian words (any alignment) whose
// string operands index strings. On failure *error says what and where and
// *out is left empty.
bool VM_VerifyUnit(const uint8_t* words, size_t byteLength, const VMStringTable& strings, VerifiedUnit* out,
                   std::string* error);

}  // namespace bw
