// The machine's dispatch loop and its handlers, with the general variable
// reads and writes they fall back to. Calls, script frames and
// with-statements are in vm_call.cpp; the Machine class is in vm_machine.h.
#include "script/vm.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/memory.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/names.h"
#include "script/operators.h"
#include "script/verifier_fusion.h"
#include "script/vm_debug.h"
#include "script/vm_machine.h"
#include "script/vm_operators.h"
#include "script/world_access.h"

namespace bw {

namespace {

char* CopyText(const char* text)
{
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    auto* copy = static_cast<char*>(BW_ALLOC(length + 1, false));
    if (length > 0) {
        std::memcpy(copy, text, length);
    }
    copy[length] = '\0';
    return copy;
}

// Most items stored are variable items already.
inline void ToValue(VMSlot& slot, VMDataType type)
{
    if (type != kTypeVariable) {
        VM_ToValue(slot, type);
    }
}

// Makes value the real x. The kind word, its padding and the pointer go in
// one 16-byte store: a whole copy of the Value made soon after reads them
// back in one piece, which the processor forwards only from a store as wide
// (from narrower stores it waits until they reach the cache).
inline void SetRealWhole(Value& value, double x)
{
    static constexpr Value kZero{};
    static_assert(offsetof(Value, real) == 16);
    std::memcpy(static_cast<void*>(&value), &kZero, offsetof(Value, real));
    value.real = x;
}

// Adds, subtracts and multiplies of reals cannot fail and make up most of
// numeric loops, so they skip the call that serves every opcode; fused ops
// compute only these.
inline double RealArithmetic(uint8_t opcode, double a, double b)
{
    switch (opcode) {
    case kOpAdd: return a + b;
    case kOpSub: return a - b;
    default: return a * b;
    }
}

// The rest of the real arithmetic, out of line so that the inline part
// stays small: div and mod try the integer division first.
[[gnu::noinline]] bool OtherDoubleArithmetic(uint8_t opcode, double a, double b, double* out)
{
    if ((opcode == kOpMod || opcode == kOpRem) && VM_IntegerDivision(opcode, a, b, out)) {
        return true;
    }
    return VM_DoubleArithmetic(opcode, a, b, out);
}

// div or mod by the constant of a LocalConstDivision run: a whole dividend
// that an int32 holds by a whole divisor inline (what the integer division
// gives), the rest out of line.
inline bool ConstantDivision(const VMNativeOp* division, uint8_t opcode, double a, double* out)
{
    const int32_t divisor = division->wholeDivisor;
    if (divisor != 0 && a >= -2147483648.0 && a <= 2147483647.0) {
        const auto whole = static_cast<int32_t>(a);
        if (static_cast<double>(whole) == a) {
            *out = opcode == kOpMod ? std::copysign(static_cast<double>(whole % divisor), a)
                                    : static_cast<double>(whole / divisor);
            return true;
        }
    }
    return OtherDoubleArithmetic(opcode, a, division->constant, out);
}

inline bool DoubleArithmetic(uint8_t opcode, double a, double b, double* out)
{
    if (VM_IsInlineRealArithmetic(opcode)) {
        *out = RealArithmetic(opcode, a, b);
        return true;
    }
    return OtherDoubleArithmetic(opcode, a, b, out);
}

// Whether a binary op whose left item is a variable finds reals on both
// sides: a real variable item, or an int or real on the right.
inline bool RealOperands(const VMNativeOp* op, const VMSlot& left, const VMSlot& right)
{
    return op->u == kTypeVariable && Value_Kind(left.v) == kValueReal &&
           ((op->t == kTypeVariable && Value_Kind(right.v) == kValueReal) || op->t == kTypeInt ||
            op->t == kTypeDouble);
}

inline double RightReal(const VMNativeOp* op, const VMSlot& right)
{
    return op->t == kTypeVariable ? right.v.real : op->t == kTypeInt ? right.i : right.d;
}

}  // namespace

namespace vm_machine {

int32_t g_branchesToPump = kPumpInterval;
uint32_t g_pumps = 0;
const void* const* g_handlers = nullptr;
size_t g_stopCheck = 0;

[[gnu::noinline]] void FillAddresses(const VerifiedUnit& unit, uint32_t epoch)
{
    for (const VMNativeOp& unitOp : unit.ops) {
        unitOp.address = g_handlers[VM_DebugRoutes(unitOp) ? g_stopCheck : static_cast<uint8_t>(unitOp.handler)];
        if (VM_IsBranch(unitOp.plain)) {
            unitOp.target = unit.ops.data() + unitOp.a;
        }
    }
    unit.threadedAt = &unit;
    unit.threadedEpoch = epoch;
}

Local& Machine::LocalNamed(int32_t id)
{
    for (size_t i = localsBase_; i < locals_.size(); ++i) {
        if (locals_[i].id == id) {
            return locals_[i];
        }
    }
    locals_.emplace_back(id);
    return locals_.back();
}

// A local never stored into reads as an unset variable does: real 0, or a
// failure when uninitialised variables are errors.
bool Machine::ReadLocal(const Local& local, int32_t index, Value* out) const
{
    if (!local.IsSet()) {
        return !world_.strictReads();
    }
    if (index == kValueNoIndex) {
        Value_Copy(*out, local.value);
        return true;
    }
    return Value_ArrayGet(*out, local.value, index);
}

// Takes over in's payload.
bool Machine::WriteLocal(Local& local, int32_t index, Value* in)
{
    if (index == kValueNoIndex) {
        Value_Free(local.value);
        local.value = *in;
        *in = Value{};
        return true;
    }
    if (!local.IsSet()) {
        local.value = Value{};
    }
    Value_ArraySet(local.value, *in, index);
    Value_Free(*in);
    return !Value_OutOfRange().failed;
}

bool Machine::Read(int32_t selector, int32_t id, int32_t index, Value* out)
{
    const WorldAccess& world = world_;
    switch (selector) {
    case kSelectorLocal: return ReadLocal(LocalNamed(id), index, out);
    case kSelectorUnspecified:
        if (world.isGlobalName(id)) {
            return world.getGlobal(id, index, out);
        }
        return self_ != nullptr && world.get(self_, id, index, out);
    case kSelectorGlobal: return world.getGlobal(id, index, out);
    case kSelectorNoone: return true;  // reads as real 0
    case kSelectorOther: return other_ != nullptr && world.get(other_, id, index, out);
    case kSelectorSelf: return self_ != nullptr && world.get(self_, id, index, out);
    default: return world.getOnTarget(selector, id, index, out);
    }
}

bool Machine::Write(int32_t selector, int32_t id, int32_t index, const Value* in)
{
    const WorldAccess& world = world_;
    switch (selector) {
    case kSelectorLocal: {
        Value copy;
        Value_Copy(copy, *in);
        return WriteLocal(LocalNamed(id), index, &copy);
    }
    case kSelectorUnspecified:
        if (world.isGlobalName(id)) {
            return world.setGlobal(id, index, in);
        }
        return self_ != nullptr && world.set(self_, id, index, in);
    case kSelectorGlobal: return world.setGlobal(id, index, in);
    case kSelectorNoone: return true;  // stores nothing
    case kSelectorOther: return other_ != nullptr && world.set(other_, id, index, in);
    case kSelectorSelf: return self_ != nullptr && world.set(self_, id, index, in);
    default: return world.setOnTarget(selector, id, index, in);
    }
}

// A write through the world, taking over in's payload. A setter may report
// an error of its own, which names the line of the store (op). False when
// the world refuses the write or the index is out of range (nothing is
// stored then).
bool Machine::WriteOutside(const VMNativeOp* op, int32_t selector, int32_t id, int32_t index, Value* in)
{
    ++outsideWrites_;
    callSite_ = op;
    Value_OutOfRange().failed = false;
    const bool written = Write(selector, id, index, in) && !Value_OutOfRange().failed;
    FreeOwned(*in);
    return written;
}

std::string Machine::ReadError(int32_t selector, int32_t id, int32_t index) const
{
    char message[1024];
    const ValueOutOfRange& range = Value_OutOfRange();
    if (range.failed) {
        std::snprintf(message, sizeof(message),
                      "Push :: Execution Error - Variable Index [%d,%d] out of range [%d,%d] - %d.%s(%d,%d)",
                      range.row, range.column, range.rowCount, range.rowLength, selector,
                      Code_Variable_GetName(id), id, index);
    } else {
        std::snprintf(message, sizeof(message), "Push :: Execution Error - Variable Get %d.%s(%d, %d)", selector,
                      Code_Variable_GetName(id), id, index);
    }
    return message;
}

std::string Machine::WriteError(int32_t id) const
{
    const char* form = Value_OutOfRange().failed ? "Pop :: Execution Error - Variable index out of range %s"
                                                 : "Pop :: Execution Error - Variable set problem %s";
    char message[1024];
    std::snprintf(message, sizeof(message), form, Code_Variable_GetName(id));
    return message;
}

// Threaded dispatch: every handler ends by jumping straight to the code of
// the next op's handler, whose address the op holds, so each op costs one
// indirect jump whose prediction is tied to the op before it.
#define BW_DISPATCH() goto* op->address
#define BW_NEXT()      \
    do {               \
        ++op;          \
        BW_DISPATCH(); \
    } while (0)
// A fused op whose operands are not the reals it serves runs its first op
// alone; the rest of its run follows as plain ops.
#define BW_PLAIN() goto* kHandlers[static_cast<uint8_t>(op->plain)]
// Counts the branches an op takes; once the runner's end is due the run
// stops there, the stack as the branch op leaves it.
#define BW_COUNT_BRANCHES(count, branch)              \
    do {                                              \
        if (!CountBranches(count)) [[unlikely]] {     \
            return Stop(branch, sp);                  \
        }                                             \
    } while (0)

bool Machine::Run(VMSlot* const stack)
{
#define BW_VM_HANDLER_LABEL(name) &&L_##name,
    // The handlers by VMHandler, then the debugger's stop check.
    static const void* const kHandlers[] = {BW_VM_HANDLERS(BW_VM_HANDLER_LABEL) &&L_DebugStop};
#undef BW_VM_HANDLER_LABEL
    if (g_handlers == nullptr) [[unlikely]] {
        g_handlers = kHandlers;
        g_stopCheck = std::size(kHandlers) - 1;
    }
    Thread(*unit_);
    const VMNativeOp* op = unit_->ops.data();
    VMSlot* sp = stack;
    // The running script's locals; they move only when a script starts or
    // ends or a local named at run time is added.
    Local* locals = FrameLocals();
    // The operands of a variable read or write, decoded by its own op or by
    // a fused run that ends in it.
    int32_t varIndex = 0;
    int32_t varSelector = 0;
    VMSlot varValue;
    BW_DISPATCH();

L_Nop:
L_Trap:
    BW_NEXT();
L_End:
L_Exit: {
    Release(op, sp);
    if (!InScript()) {
        return true;
    }
    const VMNativeOp* const call = g_frames.top[-1].call;
    sp = Leave(Value{});  // a script that gives no value gives real 0
    op = call + 1;
    locals = FrameLocals();
    BW_DISPATCH();
}
L_PushDouble:
    sp->d = op->k.d;
    ++sp;
    BW_NEXT();
L_PushInt:
L_PushBool:
    sp->i = op->k.i;
    ++sp;
    BW_NEXT();
L_PushInt64:
    sp->l = op->k.l;
    ++sp;
    BW_NEXT();
L_PushString:
    sp->s = CopyText(op->k.s);
    ++sp;
    BW_NEXT();
L_PushArgument:
    if (ArgumentReadable(op)) {
        const Value& argument = ArgumentSlots()[op->k.i];
        if (Value_Kind(argument) == kValueReal) {
            sp->v = argument;
        } else {
            sp->v = Value{};
            Value_Copy(sp->v, argument);
        }
        ++sp;
        BW_NEXT();
    }
    BW_PLAIN();  // the general read, with its error report
L_PushVariable:
    varIndex = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
    varSelector = op->a;
    if ((op->flags & kVarRefSelectorInWord) == 0) {
        varSelector = VM_PoppedSelector((--sp)->i, op->flags);
    }
L_ReadVariable: {
    sp->v = Value{};
    bool read = false;
    if (varSelector == kSelectorLocal) {
        const Local& local = SelectedLocal(op);
        locals = FrameLocals();
        read = local.IsSet() ? ReadSlot(local.value, varIndex, &sp->v) : ReadLocal(local, varIndex, &sp->v);
    } else if (const BuiltinFieldAccess* field = nullptr; CInstance* owner = FieldOwner(op, varSelector, &field)) {
        SetRealWhole(sp->v, field->load(owner));
        read = true;
    } else if (const Value* slot = DirectSlot(op, varSelector, false)) {
        read = ReadSlot(*slot, varIndex, &sp->v);
    } else {
        Value_OutOfRange().failed = false;
        read = Read(varSelector, op->b, varIndex, &sp->v);
        locals = FrameLocals();
    }
    ++sp;
    if (!read) {
        return Fail(op, sp, ReadError(varSelector, op->b, varIndex));
    }
    BW_NEXT();
}
L_PushLocal: {
    const int32_t index = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
    const Local& local = locals[op->k.i];
    if (index == kValueNoIndex && local.IsReal()) {
        SetRealWhole(sp->v, local.value.real);
        ++sp;
        BW_NEXT();
    }
    sp->v = Value{};
    Value_OutOfRange().failed = false;
    const bool read = ReadLocal(local, index, &sp->v);
    ++sp;
    if (!read) {
        return Fail(op, sp, ReadError(kSelectorLocal, op->b, index));
    }
    BW_NEXT();
}
L_PopLocal: {
    Local& target = locals[op->k.i];
    // A whole variable item stored over a real releases nothing: the
    // common assignment just moves it in.
    if ((op->flags & kVarRefNoIndex) != 0 && op->u == kTypeVariable && Value_Kind(target.value) == kValueReal) {
        target.value = (--sp)->v;
        BW_NEXT();
    }
    const int32_t index = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
    VMSlot value = *--sp;
    ToValue(value, op->u);
    Value_OutOfRange().failed = false;
    if (!WriteLocal(target, index, &value.v)) {
        return Fail(op, sp, WriteError(op->b));
    }
    BW_NEXT();
}
L_PopVariable:
L_PopVariableTop:
    if (op->handler == VMHandler::PopVariableTop) {
        varValue = *--sp;
    }
    varIndex = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
    varSelector = op->a;
    if ((op->flags & kVarRefSelectorInWord) == 0) {
        varSelector = VM_PoppedSelector((--sp)->i, op->flags);
    }
    if (op->handler == VMHandler::PopVariable) {
        varValue = *--sp;
    }
L_WriteVariable: {
    ToValue(varValue, op->u);
    if (varSelector == kSelectorLocal) {
        Local& local = SelectedLocal(op);
        locals = FrameLocals();
        if (Value_Kind(varValue.v) == kValueReal &&
            StoreRealInPlace(local.value, varIndex, varValue.v.kind, varValue.v.real)) {
            BW_NEXT();
        }
        Value_OutOfRange().failed = false;
        if (!WriteLocal(local, varIndex, &varValue.v)) {
            return Fail(op, sp, WriteError(op->b));
        }
        BW_NEXT();
    }
    if (const BuiltinFieldAccess* field = nullptr; CInstance* owner = FieldOwner(op, varSelector, &field)) {
        field->store(owner, &varValue.v);
        FreeOwned(varValue.v);
        BW_NEXT();
    }
    if (Value* slot = DirectSlot(op, varSelector, true)) {
        // A user variable is always there to write; only its index can fail.
        if (!WriteSlot(*slot, varValue.v, varIndex)) {
            return Fail(op, sp, WriteError(op->b));
        }
        BW_NEXT();
    }
    if (!WriteOutside(op, varSelector, op->b, varIndex, &varValue.v)) {
        return Fail(op, sp, WriteError(op->b));
    }
    locals = FrameLocals();
    BW_NEXT();
}
L_Rotate: {
    const VMSlot top = sp[-1];
    std::memmove(static_cast<void*>(sp - op->a), sp - op->a - 1, sizeof(VMSlot) * static_cast<size_t>(op->a));
    sp[-op->a - 1] = top;
    sp -= op->b;
    BW_NEXT();
}
L_DupBlock:
    std::memcpy(static_cast<void*>(sp), sp - op->a, sizeof(VMSlot) * static_cast<size_t>(op->a));
    sp += op->a;
    BW_NEXT();
L_DupRepeat:
    for (int32_t i = 0; i < op->a; ++i, ++sp) {
        if (op->t == kTypeString) {
            sp->s = CopyText(sp[-1 - i].s);
        } else {
            sp->v = Value{};
            Value_Copy(sp->v, sp[-1 - i].v);
        }
    }
    BW_NEXT();
L_Popz:
    VM_FreeItem(*--sp, op->t);
    BW_NEXT();
L_Conv:
    if (const char* error = VM_Convert(sp[-1], op->t, op->u); error != nullptr) {
        return Fail(op, sp, error);
    }
    BW_NEXT();
L_ArithmeticIntInt: {
    int32_t out = 0;
    if (!VM_IntArithmetic(op->opcode, sp[-2].i, sp[-1].i, &out)) {
        --sp;
        sp[-1].i = 0;
        return Fail(op, sp, VM_DivideByZeroError(op->opcode));
    }
    --sp;
    sp[-1].i = out;
    BW_NEXT();
}
L_ArithmeticDoubleDouble: {
    double out = 0.0;
    if (!DoubleArithmetic(op->opcode, sp[-2].d, sp[-1].d, &out)) {
        --sp;
        sp[-1].d = 0.0;
        return Fail(op, sp, VM_DivideByZeroError(op->opcode));
    }
    --sp;
    sp[-1].d = out;
    BW_NEXT();
}
L_LogicBoolBool: {
    // Truth values: only their low byte counts, as the general path reads them.
    const int32_t left = (sp[-2].i & 0xFF) != 0 ? 1 : 0;
    const int32_t right = (sp[-1].i & 0xFF) != 0 ? 1 : 0;
    --sp;
    sp[-1].l = 0;
    sp[-1].i = op->opcode == kOpAnd ? (left & right) : op->opcode == kOpOr ? (left | right) : (left ^ right);
    BW_NEXT();
}
L_Arithmetic: {
    // Reals held in variables are the common case of text-compiled code;
    // they take the real path without unwrapping.
    double out = 0.0;
    if (RealOperands(op, sp[-2], sp[-1]) && DoubleArithmetic(op->opcode, sp[-2].v.real, RightReal(op, sp[-1]), &out)) {
        sp[-2].v.real = out;
        --sp;
        BW_NEXT();
    }
    --sp;
    if (const char* error = VM_Arithmetic(op->opcode, sp[-1], op->u, *sp, op->t, op->result); error != nullptr) {
        return Fail(op, sp, error);
    }
    BW_NEXT();
}
L_Compare:
    if (RealOperands(op, sp[-2], sp[-1])) {
        const bool truth = VM_CompareReals(op->opcode, sp[-2].v.real - RightReal(op, sp[-1]));
        --sp;
        sp[-1].l = 0;
        sp[-1].i = truth ? 1 : 0;
        BW_NEXT();
    }
    --sp;
    if (const char* error = VM_Compare(op->opcode, sp[-1], op->u, *sp, op->t); error != nullptr) {
        return Fail(op, sp, error);
    }
    BW_NEXT();
L_Neg:
    if (const char* error = VM_Negate(sp[-1], op->t); error != nullptr) {
        return Fail(op, sp, error);
    }
    BW_NEXT();
L_Not:
    if (const char* error = VM_Not(sp[-1], op->t); error != nullptr) {
        return Fail(op, sp, error);
    }
    BW_NEXT();
L_Branch:
    BW_COUNT_BRANCHES(1, op);
    op = op->target;
    BW_DISPATCH();
L_BranchTrue:
L_BranchFalse: {
    const bool truth = ((--sp)->i & 0xFF) != 0;
    BW_COUNT_BRANCHES(1, op);
    if (truth == (op->handler == VMHandler::BranchTrue)) {
        op = op->target;
        BW_DISPATCH();
    }
    BW_NEXT();
}
L_PushEnv: {
    bool runBody = false;
    if (const char* error = PushEnv((--sp)->i, &runBody); error != nullptr) {
        return Fail(op, sp, error);
    }
    if (!runBody) {
        op = op->target;
        BW_DISPATCH();
    }
    BW_NEXT();
}
L_PopEnv:
    if (NextInstance()) {
        op = op->target;
        BW_DISPATCH();
    }
    CloseEnv();
    BW_NEXT();
L_PopEnvExit:
    CloseEnv();
    BW_NEXT();
L_Ret: {
    VMSlot value = *--sp;
    ToValue(value, op->t);
    Release(op, sp);
    if (!InScript()) {
        Value_Free(*result_);
        *result_ = value.v;
        return true;
    }
    const VMNativeOp* const call = g_frames.top[-1].call;
    sp = Leave(value.v);
    op = call + 1;
    locals = FrameLocals();
    BW_DISPATCH();
}
L_Call:
    if (Code_StopDue()) [[unlikely]] {
        DropCallArguments(sp, op->a);
        return Stop(op, sp);
    }
    if (!Call(op, sp)) {
        return false;
    }
    Thread(*unit_);  // a script the machine runs itself starts here
    locals = FrameLocals();
    BW_DISPATCH();
L_IndexCheck:
    if (sp[-1].i < 0) {
        return Fail(op, sp, "Array index must be +'ve");
    }
    if (sp[-1].i >= kArrayIndexLimit) {
        char message[64];
        std::snprintf(message, sizeof(message), "Array index must be < %d", kArrayIndexLimit);
        return Fail(op, sp, message);
    }
    BW_NEXT();

    // ---- fused runs (verifier_fusion.h); op[k] is the run's k-th op ----
L_LocalConstArith: {
    double out = 0.0;
    if (!LocalConstReal(locals, op, &out)) {
        BW_PLAIN();
    }
    SetRealWhole(sp->v, out);
    ++sp;
    op += 3;
    BW_DISPATCH();
}
L_LocalConstArithStore: {
    double out = 0.0;
    if (!LocalConstReal(locals, op, &out)) {
        BW_PLAIN();
    }
    StoreReal(locals[op[3].k.i], out);
    op += 4;
    BW_DISPATCH();
}
L_LocalStepCompareBranch: {
    // Both runs start with a local (the fusion pass makes sure).
    const Local& step = locals[op->k.i];
    if (!step.IsReal()) {
        BW_PLAIN();
    }
    const double stepped = WithConstant(op, step.value.real);
    const int32_t stored = op[3].k.i;
    StoreReal(locals[stored], stepped);
    const VMNativeOp* const back = op + 4;
    op = back->target;
    // The test mostly reads the local just stepped: it takes the real at
    // hand rather than waiting for it to come back from memory.
    double head = stepped;
    if (op->k.i != stored) {
        const Local& test = locals[op->k.i];
        if (!test.IsReal()) {
            BW_COUNT_BRANCHES(1, back);
            BW_DISPATCH();  // the test's own handler takes its plain ops
        }
        head = test.value.real;
    }
    BW_COUNT_BRANCHES(2, back);  // the branch back and the test's own
    op = BranchTarget(op + 3, VM_CompareReals(op[2].opcode, head - op->constant));
    BW_DISPATCH();
}
L_LocalAccumulate: {
    const Local& left = locals[op->k.i];
    double right = 0.0;
    if (!left.IsReal() || !LocalConstReal(locals, op + 1, &right)) {
        BW_PLAIN();
    }
    StoreReal(locals[op[5].k.i], RealArithmetic(op[4].opcode, left.value.real, right));
    op += 6;
    BW_DISPATCH();
}
L_ArithStoreLocal:
    if (RealOperands(op, sp[-2], sp[-1])) {
        // The left item is the one the plain ops would store, flags and all.
        Value value = sp[-2].v;
        value.real = RealArithmetic(op->opcode, value.real, RightReal(op, sp[-1]));
        sp -= 2;
        Local& target = locals[op[1].k.i];
        FreeOwned(target.value);
        target.value = value;
        op += 2;
        BW_DISPATCH();
    }
    BW_PLAIN();
L_LocalConstCompareBranch: {
    double head = 0.0;
    if (!HeadReal(locals, op, &head)) {
        BW_PLAIN();
    }
    const bool truth = VM_CompareReals(op[2].opcode, head - op->constant);
    BW_COUNT_BRANCHES(1, op + 3);
    op = BranchTarget(op + 3, truth);
    BW_DISPATCH();
}
L_LocalIndex: {
    int32_t index = 0;
    if (LocalIndexOf(locals, op, &index)) {
        sp->l = 0;
        sp->i = index;
        ++sp;
        op += 3;
        BW_DISPATCH();
    }
    BW_PLAIN();
}
L_IndexedVariableRead:
    if (LocalIndexOf(locals, op + 1, &varIndex)) {
        const int32_t selector = op->k.i;
        op += 4;
        varSelector = VM_PoppedSelector(selector, op->flags);
        goto L_ReadVariable;
    }
    BW_PLAIN();
L_IndexedVariableStore:
    if (LocalIndexOf(locals, op + 1, &varIndex)) {
        const int32_t selector = op->k.i;
        op += 4;
        varSelector = VM_PoppedSelector(selector, op->flags);
        varValue = *--sp;
        goto L_WriteVariable;
    }
    BW_PLAIN();
L_LocalIndexedVariableStore:
    if (locals[op->k.i].IsReal() && LocalIndexOf(locals, op + 2, &varIndex)) {
        const double real = locals[op->k.i].value.real;
        const VMNativeOp* const store = op + 5;
        varSelector = VM_PoppedSelector(op[1].k.i, store->flags);
        Value* const slot = ElementOwner(store, varSelector, true);
        locals = FrameLocals();
        if (slot != nullptr && StoreRealInPlace(*slot, varIndex, kValueReal, real)) {
            op = store + 1;
            BW_DISPATCH();
        }
        SetRealWhole(varValue.v, real);
        op = store;
        goto L_WriteVariable;
    }
    BW_PLAIN();
L_IndexedVariableAccumulate: {
    // The element is read in place; only a real one is taken, which is
    // all the plain arithmetic would take too.
    const Local& left = locals[op->k.i];
    int32_t index = 0;
    if (left.IsReal() && LocalIndexOf(locals, op + 2, &index)) {
        const double leftReal = left.value.real;  // the locals may move below
        const VMNativeOp* const read = op + 5;
        const int32_t selector = VM_PoppedSelector(op[1].k.i, read->flags);
        const Value* const slot = ElementOwner(read, selector, false);
        locals = FrameLocals();
        const Value* const element = slot != nullptr ? FirstRowElement(*slot, index) : nullptr;
        if (element != nullptr && Value_Kind(*element) == kValueReal) {
            StoreReal(locals[op[7].k.i], RealArithmetic(op[6].opcode, leftReal, element->real));
            op += 8;
            BW_DISPATCH();
        }
    }
    BW_PLAIN();
}
L_AppendLocal:
    if (AppendToLocal(locals, op)) {
        op += 4;
        BW_DISPATCH();
    }
    BW_PLAIN();
L_VariableConstArithStore: {
    if (UpdateNamedReal(op, [op](double real) { return WithConstant(op, real); })) {
        op += 4;
        BW_DISPATCH();
    }
    // The reads and writes the plain ops make, without the stack between.
    Value value;
    Value_OutOfRange().failed = false;
    const bool read = Read(op->a, op->b, kValueNoIndex, &value);
    locals = FrameLocals();
    if (!read || Value_Kind(value) != kValueReal) {
        FreeOwned(value);
        BW_PLAIN();
    }
    value.real = WithConstant(op, value.real);
    if (!WriteOutside(op + 3, op->a, op->b, kValueNoIndex, &value)) {
        return Fail(op + 3, sp, WriteError(op->b));
    }
    locals = FrameLocals();
    op += 4;
    BW_DISPATCH();
}
L_VariableConstCompare: {
    double head = 0.0;
    if (!NamedReal(op, &head)) {
        BW_PLAIN();
    }
    sp->l = 0;
    sp->i = VM_CompareReals(op[2].opcode, head - op->constant) ? 1 : 0;
    ++sp;
    op += 3;
    BW_DISPATCH();
}
L_VariableArithStore: {
    double right = 0.0;
    if (NamedReal(op + 1, &right) &&
        UpdateNamedReal(op, [op, right](double real) { return RealArithmetic(op[2].opcode, real, right); })) {
        op += 4;
        BW_DISPATCH();
    }
    BW_PLAIN();
}
L_CompareBranch:
    if (RealOperands(op, sp[-2], sp[-1])) {
        const bool truth = VM_CompareReals(op->opcode, sp[-2].v.real - RightReal(op, sp[-1]));
        sp -= 2;
        BW_COUNT_BRANCHES(1, op + 1);
        op = BranchTarget(op + 1, truth);
        BW_DISPATCH();
    }
    BW_PLAIN();
L_LocalConstDivision: {
    double head = 0.0;
    double out = 0.0;
    // A zero divisor goes to the plain ops, which report it.
    if (!HeadReal(locals, op, &head) || !ConstantDivision(op, op[2].opcode, head, &out)) {
        BW_PLAIN();
    }
    SetRealWhole(sp->v, out);
    ++sp;
    op += 3;
    BW_DISPATCH();
}
L_LocalDivisionAccumulate: {
    // The constants are the ones the division and ConstArith runs inside
    // this one keep (the fusion pass makes sure).
    const Local& total = locals[op->k.i];
    double head = 0.0;
    double quotient = 0.0;
    if (!total.IsReal() || !HeadReal(locals, op + 1, &head) ||
        !ConstantDivision(op + 1, op[3].opcode, head, &quotient)) {
        BW_PLAIN();
    }
    StoreReal(locals[op[7].k.i], RealArithmetic(op[6].opcode, total.value.real, WithConstant(op + 4, quotient)));
    op += 8;
    BW_DISPATCH();
}
L_ConstArith:
    if (Value_Kind(sp[-1].v) == kValueReal) {
        sp[-1].v.real = WithConstant(op, sp[-1].v.real);
        op += 2;
        BW_DISPATCH();
    }
    BW_PLAIN();
// Last, so the handlers keep the layout they have without a debugger.
L_DebugStop:
    // The debugger may hold the game here and change what stops (which
    // threads this unit again); then the op runs through its own handler.
    VM_DebugCheck(*program_, *code_, *op, self_, other_);
    goto* kHandlers[static_cast<uint8_t>(op->handler)];
}

#undef BW_COUNT_BRANCHES
#undef BW_PLAIN
#undef BW_NEXT
#undef BW_DISPATCH

}  // namespace vm_machine

using namespace vm_machine;

uint32_t VM_BranchCount()
{
    return g_pumps * static_cast<uint32_t>(kPumpInterval) +
           static_cast<uint32_t>(kPumpInterval - g_branchesToPump);
}

}  // namespace bw
