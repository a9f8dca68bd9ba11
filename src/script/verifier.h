// The load-time verifier: checks a unit of package-form bytecode once and
// translates it into the machine's native form. Every item the machine will
// find on its stack is known here (the same type-stack model the generator
// keeps), so the dispatch loop runs without bounds or type checks: branch
// targets, stack depth, item types, string indexes and dup counts are all
// settled before the first instruction runs.
//
// Package code comes from a compiler that is not ours, and the machine must
// run every form the bytecode allows, so a unit the proof does not cover
// (paths that meet with different stacks, a fault on a path that may never
// run, a type answered only at run time) is not refused: it is decoded op by
// op and marked checked, and runs on the checked path (vm_checked.cpp),
// which tests each op as it runs. Only bytes that cannot be decoded (a cut
// operand, a string index outside the table, a push of no known type) are
// refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/bytecode.h"

namespace bw {

class CCode;
class CInstance;
struct Value;

// What the machine does for one instruction. Arithmetic and comparisons
// have handlers for the common type pairs beside the general one. One list
// makes both the enum and the machine's label table, so they cannot drift.
//   End: one past the last instruction: the code has ended
//   PushLocal: a local named in the word: k.i is its slot
//   PopVariable: value beneath the selector and index
//   PopVariableTop: value on top of them
//   Rotate: the package form's stack shuffle
//   PushArgument: a whole argumentN read straight from the argument slots;
//     k.i is N
// The handlers from LocalConstArith on are fused runs of ops, built after
// verification (verifier_fusion.h); the ops they cover stay in place behind
// them, so a branch into the run and any case the fused form does not take
// run the plain ops. A read of argumentN counts as a local push here:
//   LocalConstArith: push local, push constant, arithmetic
//   LocalConstArithStore: the same, then pop into a local
//   ArithStoreLocal: arithmetic, then pop into a local
//   LocalConstCompareBranch: push local, push constant, compare, branch
//   CompareBranch: compare, then branch on the result
//   LocalIndex: push local, convert it to an int, check it as an index
//   AppendLocal: push local, push string, add, pop into the same local
//   VariableConstArithStore: push variable, push constant, arithmetic, pop
//     into the same variable (v += 1 on an instance or global variable)
//   LocalAccumulate: push local, then a LocalConstArith run, arithmetic,
//     pop into a local (s += i * 2)
//   LocalStepCompareBranch: a LocalConstArithStore run, then a branch to a
//     LocalConstCompareBranch run on a local (a loop's step and test)
//   IndexedVariableRead: push int (the selector), a LocalIndex run, push
//     the variable's element (a[i])
//   IndexedVariableStore: the same, ending in a pop into the element
//   LocalIndexedVariableStore: push local, then an IndexedVariableStore run
//     (a[i] = v)
//   IndexedVariableAccumulate: push local, an IndexedVariableRead run,
//     arithmetic, pop into a local (s += a[i])
//   LocalConstDivision: push local, push constant, div or mod (i mod 7)
//   ConstArith: push constant, arithmetic on the item beneath (x * 0.5)
//   VariableArithStore: push variable, push another variable, arithmetic,
//     pop into the first (x += dx on instance or global variables)
//   LocalDivisionAccumulate: push local, a LocalConstDivision run, a
//     ConstArith run, arithmetic, pop into a local (s += (i mod 7) * 0.5)
//   VariableConstCompare: push variable, push constant, compare (x < 0)
#define BW_VM_HANDLERS(X)                                                                                          \
    X(Nop) X(End) X(PushDouble) X(PushInt) X(PushInt64) X(PushBool) X(PushString) X(PushVariable) X(PushLocal)    \
    X(PopVariable) X(PopLocal) X(PopVariableTop) X(Rotate) X(DupBlock) X(DupRepeat) X(Popz) X(Conv)               \
    X(Arithmetic) X(ArithmeticIntInt) X(ArithmeticDoubleDouble) X(LogicBoolBool) X(Compare) X(Neg) X(Not) X(Branch)                \
    X(BranchTrue) X(BranchFalse) X(PushEnv) X(PopEnv) X(PopEnvExit) X(Ret) X(Exit) X(Call) X(IndexCheck)          \
    X(Trap) X(PushArgument) X(LocalConstArith) X(LocalConstArithStore) X(ArithStoreLocal)                         \
    X(LocalConstCompareBranch) X(CompareBranch) X(LocalIndex) X(AppendLocal) X(VariableConstArithStore)   \
    X(LocalAccumulate) X(LocalStepCompareBranch) X(IndexedVariableRead) X(IndexedVariableStore)                   \
    X(LocalIndexedVariableStore) X(IndexedVariableAccumulate) X(LocalConstDivision) X(ConstArith)                \
    X(VariableArithStore) X(LocalDivisionAccumulate) X(VariableConstCompare)

#define BW_VM_HANDLER_ENUM(name) name,
enum class VMHandler : uint8_t { BW_VM_HANDLERS(BW_VM_HANDLER_ENUM) };
#undef BW_VM_HANDLER_ENUM

struct VMNativeOp {
    VMHandler handler = VMHandler::Nop;
    // Where the machine's code for handler is, filled in when the unit first
    // runs, so a dispatch is one jump.
    mutable const void* address = nullptr;
    // A branch's destination, op a of its unit, filled in with address.
    mutable const VMNativeOp* target = nullptr;
    // The handler of the op alone, in its general form: what a fused op or
    // a direct argument read falls back to when its operands are not the
    // ones it serves.
    VMHandler plain = VMHandler::Nop;
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
    // A variable op's answer to "declared globalvar?", kept while the
    // world's count of such declarations (globalNamesVersion) stands at
    // namesVersion; 0 never matches. The machine refreshes it as it runs.
    mutable uint32_t namesVersion = 0;
    mutable bool namesGlobal = false;
    // A script call's unit as the script finder gave it, kept while
    // Script_CodeVersion stands at calleeVersion; 0 never matches.
    mutable uint32_t calleeVersion = 0;
    mutable const CCode* callee = nullptr;
    // A variable op's slot of slotOwner (null: the global scope) as the
    // world's variableSlot gave it, kept while the world's
    // variableSlotsVersion stands at slotVersion; 0 never matches.
    mutable uint32_t slotVersion = 0;
    // A variable op whose selector turns out to be a local's: where among
    // its frame's locals it found that local, kept while the local there
    // still has the op's id. (Here it fills padding: the op's size decides
    // how the ops of a loop sit in the caches.)
    mutable uint32_t localPlace = 0;
    mutable CInstance* slotOwner = nullptr;
    mutable Value* slot = nullptr;
    // A fused op's constant right operand, as the real its arithmetic or
    // comparison uses; an arithmetic run's constant multiplies when
    // constantScales is set and adds otherwise (a subtracted one is kept
    // negated).
    double constant = 0.0;
    bool constantScales = false;
    // A debugger's breakpoint sits on this op: the machine stops before it.
    mutable bool breakpoint = false;
    // A LocalConstDivision run's constant when it is a whole number other
    // than 0 and -1 that fits here (0: it is not), so a whole dividend is
    // divided inline. (Here it fills padding, as localPlace does.)
    int16_t wholeDivisor = 0;
    // The item types on the stack after the op, as a node of the unit's
    // typeNodes (-1: an empty stack): what the machine releases when code
    // stops early, so an error or an exit leaks nothing.
    int32_t exitNode = -1;
};

// Whether an op of this plain handler goes on at op a of its unit.
inline bool VM_IsBranch(VMHandler plain)
{
    return plain == VMHandler::Branch || plain == VMHandler::BranchTrue || plain == VMHandler::BranchFalse ||
           plain == VMHandler::PushEnv || plain == VMHandler::PopEnv;
}

struct VerifiedUnit {
    std::vector<VMNativeOp> ops;  // ends with one End op
    std::vector<uint32_t> words;  // the original words, for the debugger
    std::vector<std::string> strings;  // copies of the string operands
    // Most items the stack holds; at least 1, the slot a script's result
    // takes.
    int32_t maxDepth = 1;
    // Variable ids of the locals named in words, by slot: the machine keeps
    // a run's locals itself, so a local costs no lookup.
    std::vector<int32_t> localIds;
    int32_t maxEnvDepth = 0;
    // Stacks of item types as linked nodes (an op's exitNode names one).
    struct TypeNode {
        VMDataType type;
        int32_t below;
    };
    std::vector<TypeNode> typeNodes;
    // The unit whose ops hold their handlers' addresses: this one once it
    // has run; a copy still names its original, so it is filled again.
    mutable const VerifiedUnit* threadedAt = nullptr;
    // The debugger's threading epoch the addresses were filled for: a
    // breakpoint or a step changes which ops stop, so they are filled again.
    mutable uint32_t threadedEpoch = 0;
    // Op index of each instruction's byte offset / 4; -1 inside an operand.
    std::vector<int32_t> opAtWord;
    // The proof failed: the ops are decoded one by one (a branch's a is -1
    // when it leaves the code's start or lands inside an operand, the end
    // op when it goes at or past the end; a stack shuffle's a and b are its
    // byte counts), nothing is fused, and the unit runs on the checked path.
    bool checked = false;
};

// The machine these units were written for kept its items in a byte area
// that grows to 131,072 bytes and refuses to run an instruction once fewer
// than 1,024 bytes remain below the top item, which itself starts 16 bytes
// below the area's top. A unit whose items, in their package sizes, fit in
// what is left ran there; anything deeper overflowed there too, so the
// verifier refuses it.
inline constexpr int32_t kMaxStackBytes = 131072 - 1024 - 16;
// With-statements open at once in one unit.
inline constexpr int32_t kMaxEnvDepth = 1024;

// What a load error says of bytes no run could take, and where.
inline constexpr char kCutOperandError[] = "operand runs past the end of the code";
inline constexpr char kStringIndexError[] = "string operand outside the string table";
std::string VM_BytecodeError(size_t byteOffset, const std::string& why);

// Checks the byteLength bytes of little-endian words (any alignment) whose
// string operands index strings; out->checked tells which path runs them.
// Fails only for bytes that cannot be decoded: *error says what and where
// and *out is left empty.
bool VM_VerifyUnit(const uint8_t* words, size_t byteLength, const VMStringTable& strings, VerifiedUnit* out,
                   std::string* error);

}  // namespace bw
