#include "script/verifier.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "script/bytecode_generator.h"
#include "script/code_node.h"
#include "script/verifier_fusion.h"
#include "script/world_access.h"

namespace bw {

namespace {

struct Instruction {
    uint32_t word = 0;
    size_t at = 0;  // word index
    uint32_t operand[2] = {0, 0};
};

struct State {
    bool seen = false;
    int32_t env = 0;
    // The stack's types, held as the unit's type node of the top item (-1:
    // empty): stacks share their bottoms, so a state costs the same however
    // deep its stack is.
    int32_t node = -1;
    int32_t items = 0;
    int32_t bytes = 0;  // the items' package sizes, summed
};

bool IsPlainNumber(VMDataType type)
{
    return type == kTypeDouble || type == kTypeInt || type == kTypeInt64 || type == kTypeBool;
}

// The slot an argumentN variable reads (N), or -1 for any other variable.
// The ids come from the world's built-in table, found when first needed.
int32_t ArgumentSlotOf(int32_t id)
{
    for (int32_t slot = 0; slot < kScriptArgumentSlotCount; ++slot) {
        const std::string name = "argument" + std::to_string(slot);
        if (Code_WorldAccess().findBuiltinVariable(name.c_str()) == id) {
            return slot;
        }
    }
    return -1;
}

class Verifier {
public:
    Verifier(const VMStringTable& strings, VerifiedUnit* out) : strings_(strings), out_(out) {}

    bool Run(const uint8_t* bytes, size_t length);

    std::string error;

private:
    bool Fail(const Instruction* at, const std::string& why)
    {
        error = at != nullptr ? VM_BytecodeError(at->at * 4, why) : "Bytecode error: " + why;
        return false;
    }

    bool Decode(const uint8_t* bytes, size_t length);
    bool Prove();
    bool Step(size_t index, State state);
    bool Flow(size_t target, const State& state, const Instruction& from);
    void Record(size_t index, const State& state);
    int32_t TypeNode(int32_t below, VMDataType type);

    const VerifiedUnit::TypeNode& NodeAt(int32_t node) const { return out_->typeNodes[static_cast<size_t>(node)]; }
    bool TopIs(const State& state, VMDataType type) const { return state.node >= 0 && NodeAt(state.node).type == type; }
    // The types of the top count items, the lowest first.
    std::vector<VMDataType> TopTypes(const State& state, int32_t count) const
    {
        std::vector<VMDataType> types(static_cast<size_t>(count));
        int32_t node = state.node;
        for (auto it = types.rbegin(); it != types.rend(); ++it) {
            *it = NodeAt(node).type;
            node = NodeAt(node).below;
        }
        return types;
    }

    bool Pop(State& state, const Instruction& in, VMDataType expected)
    {
        if (state.node < 0) {
            return Fail(&in, "stack underflow");
        }
        const VMDataType top = NodeAt(state.node).type;
        if (expected != kTypeNone && top != expected) {
            return Fail(&in, std::string("expected an item of type ") + VM_TypeSuffix(expected) + ", found " +
                                 VM_TypeSuffix(top));
        }
        DropTop(state);
        return true;
    }
    void DropTop(State& state) const
    {
        state.bytes -= VM_PackageStackBytes(NodeAt(state.node).type);
        state.node = NodeAt(state.node).below;
        --state.items;
    }
    bool Push(State& state, const Instruction& in, VMDataType type)
    {
        if (state.bytes + VM_PackageStackBytes(type) > kMaxStackBytes) {
            return Fail(&in, "stack overflow");
        }
        state.node = TypeNode(state.node, type);
        state.bytes += VM_PackageStackBytes(type);
        out_->maxDepth = std::max(out_->maxDepth, ++state.items);
        return true;
    }
    // Items from the top that take exactly bytes of the package stack,
    // starting skip items down; -1 when the bytes split an item.
    int32_t ItemsCovering(const State& state, int32_t skip, int32_t bytes) const
    {
        if (skip > state.items) {
            return -1;
        }
        int32_t node = state.node;
        for (int32_t i = 0; i < skip; ++i) {
            node = NodeAt(node).below;
        }
        int32_t items = 0;
        while (bytes > 0) {
            if (node < 0) {
                return -1;
            }
            bytes -= VM_PackageStackBytes(NodeAt(node).type);
            node = NodeAt(node).below;
            ++items;
        }
        return bytes == 0 ? items : -1;
    }

    bool VariableOperands(State& state, const Instruction& in, uint32_t ref)
    {
        if ((ref & kVarRefNoIndex) == 0 && !Pop(state, in, kTypeInt)) {
            return false;
        }
        return (ref & kVarRefSelectorInWord) != 0 || Pop(state, in, kTypeInt);
    }

    void Describe(const Instruction& in, VMNativeOp& op);
    const char* PushFault(const Instruction& in) const;
    void DecodePush(const Instruction& in, VMNativeOp& op);
    int32_t BranchIndex(const Instruction& in) const;
    void DecodeAlone(size_t index);
    void StartOps();
    void DecodeForCheckedRun();
    bool StepPush(State& state, const Instruction& in, VMNativeOp& op);
    bool StepPop(State& state, const Instruction& in, VMNativeOp& op);
    bool StepDup(State& state, const Instruction& in, VMNativeOp& op);

    const VMStringTable& strings_;
    VerifiedUnit* out_;
    std::vector<Instruction> instructions_;
    std::vector<State> states_;
    std::vector<size_t> work_;
    std::unordered_map<uint64_t, int32_t> nodeIds_;
    std::unordered_map<int32_t, int32_t> localSlots_;
    std::unordered_map<int32_t, int32_t> argumentSlots_;  // variable id -> slot, -1 none

    // Whole reads of argumentN whose scope is the usual one (unspecified or
    // global) go straight to the argument slot; k.i is N.
    void BindArgument(VMNativeOp& op)
    {
        if (op.handler != VMHandler::PushVariable || (op.flags & kVarRefSelectorInWord) == 0 ||
            (op.flags & kVarRefNoIndex) == 0 || (op.a != kSelectorUnspecified && op.a != kSelectorGlobal)) {
            return;
        }
        auto [it, added] = argumentSlots_.try_emplace(op.b, -1);
        if (added) {
            it->second = ArgumentSlotOf(op.b);
        }
        if (it->second >= 0) {
            op.handler = VMHandler::PushArgument;
            op.k.i = it->second;
        }
    }

    // Gives a local named in the word its slot.
    void BindLocal(VMNativeOp& op, VMHandler local)
    {
        if ((op.flags & kVarRefSelectorInWord) == 0 || op.a != kSelectorLocal) {
            return;
        }
        auto [it, added] = localSlots_.try_emplace(op.b, static_cast<int32_t>(out_->localIds.size()));
        if (added) {
            out_->localIds.push_back(op.b);
        }
        op.handler = local;
        op.k.i = it->second;
    }
};

bool Verifier::Decode(const uint8_t* bytes, size_t length)
{
    if (length % 4 != 0) {
        return Fail(nullptr, "length is not a whole number of words");
    }
    const size_t count = length / 4;
    out_->words.resize(count);
    if (count > 0) {
        std::memcpy(out_->words.data(), bytes, length);  // little-endian host
    }
    out_->opAtWord.assign(count, -1);
    for (size_t at = 0; at < count;) {
        Instruction in;
        in.word = out_->words[at];
        in.at = at;
        const auto size = static_cast<size_t>(VM_InstructionBytes(in.word)) / 4;
        if (at + size > count) {
            return Fail(&in, kCutOperandError);
        }
        for (size_t i = 1; i < size; ++i) {
            in.operand[i - 1] = out_->words[at + i];
        }
        // Refused wherever it lies: whether a path reaches it is not asked.
        if (const char* why = VM_Opcode(in.word) == kOpPush ? PushFault(in) : nullptr; why != nullptr) {
            return Fail(&in, why);
        }
        out_->opAtWord[at] = static_cast<int32_t>(instructions_.size());
        instructions_.push_back(in);
        at += size;
    }
    return true;
}

// Stacks share their common bottoms as one tree of type nodes, so equal
// stacks have the same top node and each step keeps its own in constant time.
int32_t Verifier::TypeNode(int32_t below, VMDataType type)
{
    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(below)) << 8) | type;
    auto [it, added] = nodeIds_.try_emplace(key, static_cast<int32_t>(out_->typeNodes.size()));
    if (added) {
        out_->typeNodes.push_back({type, below});
    }
    return it->second;
}

void Verifier::Record(size_t index, const State& state)
{
    out_->ops[index].exitNode = state.node;
}

bool Verifier::Flow(size_t target, const State& state, const Instruction& from)
{
    Record(static_cast<size_t>(out_->opAtWord[from.at]), state);
    State& there = states_[target];
    if (!there.seen) {
        there = state;
        there.seen = true;
        work_.push_back(target);
        return true;
    }
    if (there.env != state.env || there.node != state.node) {
        return Fail(&from, "paths meet with different stacks");
    }
    return true;
}

// The operand of a push or pop of a variable: the reference bits, the id
// and the selector the word holds.
void DecodeVariableRef(const Instruction& in, VMNativeOp& op)
{
    const uint32_t ref = in.operand[0];
    op.flags = ref & ~kVarRefIdMask;
    op.b = static_cast<int32_t>(ref & kVarRefIdMask);
    op.a = VM_Immediate(in.word) + ((op.flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
}

// What a break does by its sub-code: the array-index check, the breakpoint
// trap, or nothing.
VMHandler BreakHandler(uint32_t word)
{
    const auto code = static_cast<uint16_t>(word & 0xFFFF);
    return code == kBreakIndexCheck ? VMHandler::IndexCheck : code == 0 ? VMHandler::Trap : VMHandler::Nop;
}

// A call's argument count and function id.
void DecodeCall(const Instruction& in, VMNativeOp& op)
{
    op.handler = VMHandler::Call;
    op.a = static_cast<uint16_t>(in.word & 0xFFFF);
    op.b = static_cast<int32_t>(in.operand[0]);
}

// The stack shuffle's byte counts, in the package form's item sizes: d, the
// bytes the top item goes beneath, and m, the bytes dropped afterwards.
int32_t ShuffleMovedBytes(uint32_t word)
{
    return static_cast<int8_t>(word & 0xFF) * 4;
}
int32_t ShuffleDroppedBytes(uint32_t word)
{
    return static_cast<int8_t>((word >> 8) & 0xFF) * 4;
}

void Verifier::Describe(const Instruction& in, VMNativeOp& op)
{
    op.opcode = VM_Opcode(in.word);
    op.t = VM_FirstType(in.word);
    op.u = VM_SecondType(in.word);
    op.offset = static_cast<uint32_t>(in.at * 4);
}

// Why no run could take the push: a string index outside the table or a
// type no push has; null for a push the machine runs.
const char* Verifier::PushFault(const Instruction& in) const
{
    switch (VM_FirstType(in.word)) {
    case kTypeDouble:
    case kTypeInt64:
    case kTypeInt:
    case kTypeBool:
    case kTypeNone:
    case kTypeVariable: return nullptr;
    case kTypeString:
        return in.operand[0] >= strings_.count || strings_.texts[in.operand[0]] == nullptr ? kStringIndexError
                                                                                           : nullptr;
    default: return "push of an unsupported type";
    }
}

// Decode has refused every push PushFault finds fault with.
void Verifier::DecodePush(const Instruction& in, VMNativeOp& op)
{
    switch (op.t) {  // push's opcode carries the operand flag
    case kTypeDouble:
        op.handler = VMHandler::PushDouble;
        std::memcpy(&op.k.d, in.operand, 8);
        return;
    case kTypeInt64:
        op.handler = VMHandler::PushInt64;
        std::memcpy(&op.k.l, in.operand, 8);
        return;
    case kTypeInt:
        op.handler = VMHandler::PushInt;
        op.k.i = static_cast<int32_t>(in.operand[0]);
        return;
    case kTypeBool:
        op.handler = VMHandler::PushBool;
        op.k.i = (in.operand[0] & 0xFF) != 0 ? 1 : 0;
        return;
    case kTypeString:
        op.handler = VMHandler::PushString;
        op.b = static_cast<int32_t>(out_->strings.size());
        out_->strings.emplace_back(strings_.texts[in.operand[0]]);
        return;
    case kTypeNone:
        op.handler = VMHandler::PushInt;
        op.k.i = VM_Immediate(in.word);
        return;
    default:  // a variable, the one type left
        op.handler = VMHandler::PushVariable;
        DecodeVariableRef(in, op);
        return;
    }
}

bool Verifier::StepPush(State& state, const Instruction& in, VMNativeOp& op)
{
    DecodePush(in, op);
    if (op.t == kTypeVariable) {
        if (!VariableOperands(state, in, in.operand[0])) {
            return false;
        }
        BindLocal(op, VMHandler::PushLocal);
        BindArgument(op);
    }
    return Push(state, in, op.t == kTypeNone ? kTypeInt : op.t);
}

bool Verifier::StepPop(State& state, const Instruction& in, VMNativeOp& op)
{
    if (!VM_IsValueType(op.u)) {
        return Fail(&in, "pop of an unsupported type");
    }
    if (op.t == kTypeNone) {
        // Shuffle: the top item goes beneath the d bytes below it, then m
        // bytes are dropped. Counted in the package form's item sizes.
        const int32_t d = ShuffleMovedBytes(in.word);
        const int32_t m = ShuffleDroppedBytes(in.word);
        if (d < 0 || m < 0 || !TopIs(state, op.u)) {
            return Fail(&in, "malformed stack shuffle");
        }
        const int32_t moved = ItemsCovering(state, 1, d);
        if (moved < 0) {
            return Fail(&in, "stack shuffle splits an item");
        }
        const std::vector<VMDataType> passed = TopTypes(state, moved + 1);
        for (int32_t i = 0; i <= moved; ++i) {
            DropTop(state);
        }
        Push(state, in, passed.back());  // the same bytes again: no overflow
        for (int32_t i = 0; i < moved; ++i) {
            Push(state, in, passed[static_cast<size_t>(i)]);
        }
        const int32_t dropped = ItemsCovering(state, 0, m);
        if (dropped < 0) {
            return Fail(&in, "stack shuffle splits an item");
        }
        for (int32_t i = 0; i < dropped; ++i) {
            if (!IsPlainNumber(NodeAt(state.node).type)) {
                return Fail(&in, "stack shuffle drops an owned item");
            }
            DropTop(state);
        }
        op.handler = VMHandler::Rotate;
        op.a = moved;
        op.b = dropped;
        return true;
    }
    if (!VM_HasOperandFlag(in.word) || (op.t != kTypeVariable && op.t != kTypeInt)) {
        return Fail(&in, "Pop :: Execution Error - Instruction malformed");
    }
    const uint32_t ref = in.operand[0];
    DecodeVariableRef(in, op);
    if (op.t == kTypeVariable) {
        op.handler = VMHandler::PopVariable;
        BindLocal(op, VMHandler::PopLocal);
        return VariableOperands(state, in, ref) && Pop(state, in, op.u);
    }
    op.handler = VMHandler::PopVariableTop;
    return Pop(state, in, op.u) && VariableOperands(state, in, ref);
}

bool Verifier::StepDup(State& state, const Instruction& in, VMNativeOp& op)
{
    const int32_t n = static_cast<uint16_t>(in.word & 0xFFFF);
    if (op.t == kTypeString || op.t == kTypeVariable) {
        if (!TopIs(state, op.t)) {
            return Fail(&in, "dup of a missing item");
        }
        op.handler = VMHandler::DupRepeat;
        op.a = n + 1;
        for (int32_t i = 0; i <= n; ++i) {
            if (!Push(state, in, op.t)) {
                return false;
            }
        }
        return true;
    }
    if (!IsPlainNumber(op.t)) {
        return Fail(&in, "dup of an unsupported type");
    }
    const int32_t items = ItemsCovering(state, 0, (n + 1) * VM_PackageStackBytes(op.t));
    if (items < 0) {
        return Fail(&in, "dup count splits or passes the stack");
    }
    for (VMDataType type : TopTypes(state, items)) {
        if (!IsPlainNumber(type) || !Push(state, in, type)) {
            return error.empty() ? Fail(&in, "dup block holds an owned item") : false;
        }
    }
    op.handler = VMHandler::DupBlock;
    op.a = items;
    return true;
}

// The op index a branch goes to: the end op for a target at or past the
// end of the code (running there ends it), -1 for one before the start or
// inside an operand.
int32_t Verifier::BranchIndex(const Instruction& in) const
{
    const int64_t to = static_cast<int64_t>(in.at) + VM_BranchOffset(in.word);
    if (to < 0) {
        return -1;
    }
    if (static_cast<size_t>(to) >= out_->words.size()) {
        return static_cast<int32_t>(instructions_.size());
    }
    return out_->opAtWord[static_cast<size_t>(to)];
}

bool Verifier::Step(size_t index, State state)
{
    const Instruction& in = instructions_[index];
    VMNativeOp& op = out_->ops[index];
    Describe(in, op);
    const uint8_t opcode = op.opcode;
    const size_t next = index + 1;
    auto branchTarget = [&](size_t* target) {
        const int64_t to = static_cast<int64_t>(in.at) + VM_BranchOffset(in.word);
        if (to < 0 || static_cast<size_t>(to) > out_->words.size()) {
            return Fail(&in, "branch outside the code");
        }
        const int32_t found = BranchIndex(in);
        if (found < 0) {
            return Fail(&in, "branch into an operand");
        }
        *target = static_cast<size_t>(found);
        return true;
    };

    if (opcode == kOpConv) {
        if (!VM_IsValueType(op.t) || !VM_IsValueType(op.u) || !Pop(state, in, op.t) || !Push(state, in, op.u)) {
            return error.empty() ? Fail(&in, "DoConv :: Execution Error") : false;
        }
        op.handler = VMHandler::Conv;
        return Flow(next, state, in);
    }
    if (VM_IsArithmeticOpcode(opcode) || VM_IsComparisonOpcode(opcode)) {
        if (!VM_IsValueType(op.t) || !VM_IsValueType(op.u)) {
            return Fail(&in, "operator on an unsupported type");
        }
        if (!Pop(state, in, op.t) || !Pop(state, in, op.u)) {
            return false;
        }
        op.result = VM_BinaryResultType(opcode, op.t, op.u);
        if (opcode >= kOpSlt) {
            op.handler = VMHandler::Compare;
        } else if (op.t == kTypeInt && op.u == kTypeInt) {
            op.handler = VMHandler::ArithmeticIntInt;
        } else if (op.t == kTypeDouble && op.u == kTypeDouble) {
            op.handler = VMHandler::ArithmeticDoubleDouble;
        } else if (op.t == kTypeBool && op.u == kTypeBool && op.result == kTypeBool &&
                   (opcode == kOpAnd || opcode == kOpOr || opcode == kOpXor)) {
            op.handler = VMHandler::LogicBoolBool;
        } else {
            op.handler = VMHandler::Arithmetic;
        }
        return Push(state, in, op.result) && Flow(next, state, in);
    }
    switch (opcode) {
    case kOpNeg:
    case kOpNot:
        if (!VM_IsValueType(op.t) || !TopIs(state, op.t)) {
            return Fail(&in, "operator on a missing or different item");
        }
        op.handler = opcode == kOpNeg ? VMHandler::Neg : VMHandler::Not;
        return Flow(next, state, in);
    case kOpPop:
        return StepPop(state, in, op) && Flow(next, state, in);
    case kOpPush:
        return StepPush(state, in, op) && Flow(next, state, in);
    case kOpDup:
        return StepDup(state, in, op) && Flow(next, state, in);
    case kOpPopz:
        op.handler = VMHandler::Popz;
        return VM_IsValueType(op.t) && Pop(state, in, op.t) ? Flow(next, state, in)
                                                          : (error.empty() ? Fail(&in, "popz of no item") : false);
    case kOpRet:
        op.handler = VMHandler::Ret;
        if (!VM_IsValueType(op.t) || !Pop(state, in, op.t)) {
            return error.empty() ? Fail(&in, "ret of no item") : false;
        }
        Record(index, state);
        return true;
    case kOpExit:
        op.handler = VMHandler::Exit;
        Record(index, state);
        return true;
    case kOpB:
    case kOpBt:
    case kOpBf: {
        size_t target = 0;
        if (!branchTarget(&target)) {
            return false;
        }
        op.a = static_cast<int32_t>(target);
        if (opcode == kOpB) {
            op.handler = VMHandler::Branch;
            return Flow(target, state, in);
        }
        op.handler = opcode == kOpBt ? VMHandler::BranchTrue : VMHandler::BranchFalse;
        return Pop(state, in, kTypeBool) && Flow(target, state, in) && Flow(next, state, in);
    }
    case kOpPushEnv: {
        size_t target = 0;
        if (!branchTarget(&target) || !Pop(state, in, kTypeInt)) {
            return false;
        }
        if (++state.env > kMaxEnvDepth) {
            return Fail(&in, "with-statements nest too deep");
        }
        out_->maxEnvDepth = std::max(out_->maxEnvDepth, state.env);
        op.handler = VMHandler::PushEnv;
        op.a = static_cast<int32_t>(target);
        return Flow(target, state, in) && Flow(next, state, in);
    }
    case kOpPopEnv: {
        if (state.env <= 0) {
            return Fail(&in, "popenv without a with-statement");
        }
        if (op.u == kTypeNone && op.t == kTypeDouble) {
            op.handler = VMHandler::PopEnvExit;
            --state.env;
            return Flow(next, state, in);
        }
        size_t target = 0;
        if (!branchTarget(&target) || !Flow(target, state, in)) {
            return false;
        }
        op.handler = VMHandler::PopEnv;
        op.a = static_cast<int32_t>(target);
        --state.env;
        return Flow(next, state, in);
    }
    case kOpCall: {
        if (op.t != kTypeInt || !VM_HasOperandFlag(in.word)) {
            return Fail(&in, "DoCall :: Execution Engine type error");
        }
        DecodeCall(in, op);
        for (int32_t i = 0; i < op.a; ++i) {
            if (!Pop(state, in, kTypeVariable)) {
                return false;
            }
        }
        return Push(state, in, kTypeVariable) && Flow(next, state, in);
    }
    case kOpBreak:
        op.handler = BreakHandler(in.word);
        if (op.handler == VMHandler::IndexCheck && !TopIs(state, kTypeInt)) {
            return Fail(&in, "index check without an int index");
        }
        return Flow(next, state, in);
    default:
        op.handler = VMHandler::Nop;  // unassigned codes do nothing
        return Flow(next, state, in);
    }
}

// A unit the proof does not cover is decoded op by op for the checked
// path, which keeps the stack's types itself: what the proof made of it
// goes.
void Verifier::DecodeAlone(size_t index)
{
    const Instruction& in = instructions_[index];
    VMNativeOp& op = out_->ops[index];
    Describe(in, op);
    switch (op.opcode) {
    case kOpPush: DecodePush(in, op); return;
    case kOpPop:
        if (op.t == kTypeNone) {
            op.handler = VMHandler::Rotate;
            op.a = ShuffleMovedBytes(in.word);
            op.b = ShuffleDroppedBytes(in.word);
        } else if (op.t == kTypeVariable || op.t == kTypeInt) {
            op.handler = op.t == kTypeInt ? VMHandler::PopVariableTop : VMHandler::PopVariable;
            DecodeVariableRef(in, op);
        }
        return;
    case kOpDup: op.a = static_cast<uint16_t>(in.word & 0xFFFF); return;
    case kOpCall: DecodeCall(in, op); return;
    case kOpBreak: op.handler = BreakHandler(in.word); return;
    case kOpB:
    case kOpBt:
    case kOpBf:
    case kOpPushEnv:
    case kOpPopEnv: op.a = BranchIndex(in); return;
    default: return;
    }
}

// One native op per instruction, each still to be made, and the End op
// after them, where a run that falls off the code lands.
void Verifier::StartOps()
{
    const size_t count = instructions_.size();
    out_->ops.assign(count + 1, VMNativeOp{});
    out_->ops[count].handler = VMHandler::End;
    out_->ops[count].offset = static_cast<uint32_t>(out_->words.size() * 4);
}

void Verifier::DecodeForCheckedRun()
{
    StartOps();
    out_->strings.clear();
    out_->typeNodes.clear();
    out_->localIds.clear();
    out_->maxDepth = 1;
    out_->maxEnvDepth = 0;
    out_->checked = true;
    for (size_t index = 0; index < instructions_.size(); ++index) {
        DecodeAlone(index);
    }
}

bool Verifier::Prove()
{
    StartOps();
    const size_t count = instructions_.size();
    states_.assign(count + 1, State{});
    states_[0].seen = true;
    work_.push_back(0);
    while (!work_.empty()) {
        const size_t index = work_.back();
        work_.pop_back();
        if (index == count) {
            Record(count, states_[count]);  // running off the end ends the code
            continue;
        }
        if (!Step(index, states_[index])) {
            return false;
        }
    }
    return true;
}

bool Verifier::Run(const uint8_t* bytes, size_t length)
{
    if (!Decode(bytes, length)) {
        return false;
    }
    const bool proven = Prove();
    if (!proven) {
        DecodeForCheckedRun();
    }
    for (VMNativeOp& op : out_->ops) {
        if (op.handler == VMHandler::PushString) {
            op.k.s = out_->strings[static_cast<size_t>(op.b)].c_str();
        }
    }
    if (proven) {
        VM_FuseOps(out_->ops);
    }
    return true;
}

}  // namespace

std::string VM_BytecodeError(size_t byteOffset, const std::string& why)
{
    return "Bytecode error at offset " + std::to_string(byteOffset) + ": " + why;
}

bool VM_VerifyUnit(const uint8_t* words, size_t byteLength, const VMStringTable& strings, VerifiedUnit* out,
                   std::string* error)
{
    *out = VerifiedUnit{};
    Verifier verifier(strings, out);
    if (verifier.Run(words, byteLength)) {
        return true;
    }
    *error = verifier.error;
    *out = VerifiedUnit{};
    return false;
}

}  // namespace bw
