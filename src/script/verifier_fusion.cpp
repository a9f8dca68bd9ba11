#include "script/verifier_fusion.h"

#include <cmath>
#include <limits>

namespace bw {

namespace {

bool IsWholeLocalPush(const VMNativeOp& op)
{
    return op.handler == VMHandler::PushLocal && (op.flags & kVarRefNoIndex) != 0;
}

// Reads of argumentN serve fused runs as locals do.
bool IsWholeLocalOrArgumentPush(const VMNativeOp& op)
{
    return IsWholeLocalPush(op) || op.handler == VMHandler::PushArgument;
}

bool IsWholeLocalPop(const VMNativeOp& op)
{
    return op.handler == VMHandler::PopLocal && (op.flags & kVarRefNoIndex) != 0 && op.u == kTypeVariable;
}

// A pushed int or real constant: what the next op sees as its right operand.
bool IsNumberConstant(const VMNativeOp& op)
{
    return op.handler == VMHandler::PushInt || op.handler == VMHandler::PushDouble;
}

// Arithmetic on a variable item and a right operand of type right, giving a
// variable item: the form whose real case a fused op computes inline.
bool IsInlineArithmetic(const VMNativeOp& op, bool constantRight)
{
    const bool right = op.t == kTypeInt || op.t == kTypeDouble || (!constantRight && op.t == kTypeVariable);
    return op.handler == VMHandler::Arithmetic && op.u == kTypeVariable && right && op.result == kTypeVariable &&
           VM_IsInlineRealArithmetic(op.opcode);
}

// div or mod of a variable item by a constant, giving a variable item.
bool IsConstantDivision(const VMNativeOp& op)
{
    return op.handler == VMHandler::Arithmetic && op.u == kTypeVariable &&
           (op.t == kTypeInt || op.t == kTypeDouble) && op.result == kTypeVariable &&
           (op.opcode == kOpRem || op.opcode == kOpMod);
}

bool IsInlineCompare(const VMNativeOp& op, bool constantRight)
{
    const bool right = op.t == kTypeInt || op.t == kTypeDouble || (!constantRight && op.t == kTypeVariable);
    return op.handler == VMHandler::Compare && op.u == kTypeVariable && right;
}

bool IsConditionalBranch(const VMNativeOp& op)
{
    return op.handler == VMHandler::BranchTrue || op.handler == VMHandler::BranchFalse;
}

// A variable named with its scope in the word and no index.
bool IsWholeNamedVariable(const VMNativeOp& op, VMHandler handler)
{
    const uint32_t named = kVarRefSelectorInWord | kVarRefNoIndex;
    return op.handler == handler && (op.flags & named) == named;
}

// A local pushed, converted to an int and checked as an array index.
bool IsCheckedLocalIndex(const std::vector<VMNativeOp>& ops, size_t i)
{
    return i + 2 < ops.size() && IsWholeLocalPush(ops[i]) && ops[i + 1].handler == VMHandler::Conv &&
           ops[i + 1].t == kTypeVariable && ops[i + 1].u == kTypeInt && ops[i + 2].handler == VMHandler::IndexCheck;
}

// An element access whose selector and index come from the stack.
bool IsIndexedVariable(const VMNativeOp& op, VMHandler handler)
{
    return op.handler == handler && (op.flags & (kVarRefSelectorInWord | kVarRefNoIndex)) == 0;
}

// The fused handler of the run starting at ops[i], or the op's own.
VMHandler Fused(const std::vector<VMNativeOp>& ops, size_t i)
{
    // The unit ends with an End op, which no pattern takes, so a run that
    // matches never passes it.
    auto at = [&](size_t k) -> const VMNativeOp& { return ops[i + k < ops.size() ? i + k : ops.size() - 1]; };
    const VMNativeOp& first = ops[i];
    if (IsCheckedLocalIndex(ops, i)) {
        return VMHandler::LocalIndex;
    }
    if (IsWholeLocalPush(first) && at(1).handler == VMHandler::PushInt && IsCheckedLocalIndex(ops, i + 2)) {
        if (IsIndexedVariable(at(5), VMHandler::PopVariable)) {
            return VMHandler::LocalIndexedVariableStore;
        }
        if (IsIndexedVariable(at(5), VMHandler::PushVariable) && IsInlineArithmetic(at(6), false) &&
            at(6).t == kTypeVariable && IsWholeLocalPop(at(7))) {
            return VMHandler::IndexedVariableAccumulate;
        }
    }
    if (first.handler == VMHandler::PushInt && IsCheckedLocalIndex(ops, i + 1)) {
        if (IsIndexedVariable(at(4), VMHandler::PushVariable)) {
            return VMHandler::IndexedVariableRead;
        }
        if (IsIndexedVariable(at(4), VMHandler::PopVariable)) {
            return VMHandler::IndexedVariableStore;
        }
    }
    if (IsWholeLocalPush(first) && at(1).handler == VMHandler::PushString && at(2).handler == VMHandler::Arithmetic &&
        at(2).opcode == kOpAdd && at(2).t == kTypeString && at(2).u == kTypeVariable &&
        at(2).result == kTypeVariable && IsWholeLocalPop(at(3)) && at(3).k.i == first.k.i) {
        return VMHandler::AppendLocal;
    }
    if (IsWholeLocalPush(first) && IsWholeLocalOrArgumentPush(at(1)) && IsNumberConstant(at(2)) &&
        IsInlineArithmetic(at(3), true) && IsInlineArithmetic(at(4), false) && at(4).t == kTypeVariable &&
        IsWholeLocalPop(at(5))) {
        return VMHandler::LocalAccumulate;
    }
    if (IsWholeLocalOrArgumentPush(first) && IsNumberConstant(at(1))) {
        if (IsInlineArithmetic(at(2), true)) {
            return IsWholeLocalPop(at(3)) ? VMHandler::LocalConstArithStore : VMHandler::LocalConstArith;
        }
        if (IsInlineCompare(at(2), true) && IsConditionalBranch(at(3))) {
            return VMHandler::LocalConstCompareBranch;
        }
        if (IsConstantDivision(at(2))) {
            return VMHandler::LocalConstDivision;
        }
    }
    if (IsWholeNamedVariable(first, VMHandler::PushVariable) && IsNumberConstant(at(1)) &&
        IsInlineArithmetic(at(2), true) && IsWholeNamedVariable(at(3), VMHandler::PopVariable) &&
        at(3).u == kTypeVariable && at(3).a == first.a && at(3).b == first.b) {
        return VMHandler::VariableConstArithStore;
    }
    if (IsWholeNamedVariable(first, VMHandler::PushVariable) && IsNumberConstant(at(1)) &&
        IsInlineCompare(at(2), true)) {
        return VMHandler::VariableConstCompare;
    }
    if (IsWholeNamedVariable(first, VMHandler::PushVariable) && IsWholeNamedVariable(at(1), VMHandler::PushVariable) &&
        IsInlineArithmetic(at(2), false) && at(2).t == kTypeVariable &&
        IsWholeNamedVariable(at(3), VMHandler::PopVariable) && at(3).u == kTypeVariable && at(3).a == first.a &&
        at(3).b == first.b) {
        return VMHandler::VariableArithStore;
    }
    if (IsInlineArithmetic(first, false) && IsWholeLocalPop(at(1))) {
        return VMHandler::ArithStoreLocal;
    }
    if (IsInlineCompare(first, false) && IsConditionalBranch(at(1))) {
        return VMHandler::CompareBranch;
    }
    if (IsNumberConstant(first) && IsInlineArithmetic(at(1), true)) {
        return VMHandler::ConstArith;
    }
    return first.handler;
}

}  // namespace

void VM_FuseOps(std::vector<VMNativeOp>& ops)
{
    for (VMNativeOp& op : ops) {
        op.plain = op.handler == VMHandler::PushArgument ? VMHandler::PushVariable : op.handler;
    }
    for (size_t i = 0; i < ops.size(); ++i) {
        VMNativeOp& op = ops[i];
        op.handler = Fused(ops, i);
        const bool arithmetic = op.handler == VMHandler::LocalConstArith ||
                                op.handler == VMHandler::LocalConstArithStore ||
                                op.handler == VMHandler::VariableConstArithStore ||
                                op.handler == VMHandler::ConstArith;
        if (arithmetic || op.handler == VMHandler::LocalConstCompareBranch ||
            op.handler == VMHandler::LocalConstDivision || op.handler == VMHandler::VariableConstCompare) {
            // A constant run starts with the push itself, now fused.
            const VMNativeOp& constant = op.handler == VMHandler::ConstArith ? op : ops[i + 1];
            op.constant = constant.plain == VMHandler::PushInt ? constant.k.i : constant.k.d;
        }
        if (op.handler == VMHandler::LocalConstDivision && op.constant == std::trunc(op.constant) &&
            op.constant >= std::numeric_limits<int16_t>::min() && op.constant <= std::numeric_limits<int16_t>::max() &&
            op.constant != 0.0 && op.constant != -1.0) {
            op.wholeDivisor = static_cast<int16_t>(op.constant);
        }
        if (arithmetic) {
            // x - c is x + (-c) to the last bit, so every run adds or
            // multiplies.
            const uint8_t opcode = ops[i + (op.handler == VMHandler::ConstArith ? 1 : 2)].opcode;
            op.constantScales = opcode == kOpMul;
            op.constant = opcode == kOpSub ? -op.constant : op.constant;
        }
    }
    // Every run is fused by now, so a step can see the test it branches to,
    // and an accumulation the division and constant runs inside it.
    for (size_t i = 0; i + 6 < ops.size(); ++i) {
        if (ops[i].handler == VMHandler::PushLocal && IsWholeLocalPush(ops[i]) &&
            ops[i + 1].handler == VMHandler::LocalConstDivision && ops[i + 4].handler == VMHandler::ConstArith &&
            ops[i + 6].handler == VMHandler::ArithStoreLocal && ops[i + 6].t == kTypeVariable) {
            ops[i].handler = VMHandler::LocalDivisionAccumulate;
        }
    }
    for (size_t i = 0; i + 4 < ops.size(); ++i) {
        if (ops[i].handler == VMHandler::LocalConstArithStore && ops[i].plain == VMHandler::PushLocal &&
            ops[i + 4].handler == VMHandler::Branch) {
            const VMNativeOp& test = ops[static_cast<size_t>(ops[i + 4].a)];
            if (test.handler == VMHandler::LocalConstCompareBranch && test.plain == VMHandler::PushLocal) {
                ops[i].handler = VMHandler::LocalStepCompareBranch;
            }
        }
    }
}

}  // namespace bw
