// The checked path: runs a unit whose stack the verifier could not follow
// (paths that meet with different item types or depths, a fault on a path
// that may never run, a type only the run can answer). Package code comes
// from a compiler that is not ours, so such a unit must still run; here
// every op tests what it takes as it runs: underflow, the depth bound in the
// package's item sizes, its branch target. Each item keeps its type, so the
// package's byte counts (the stack shuffle, dup blocks) are answered on the
// items there are, an item is read by the type it has (converted where the
// op names another), and whatever it owns is freed once, by that type.
// Variables, calls, with-statements and errors go through the machine's own
// routines; proven units never come here.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/bytecode.h"
#include "script/bytecode_generator.h"
#include "script/verifier.h"
#include "script/vm_debug.h"
#include "script/vm_machine.h"
#include "script/vm_operators.h"

namespace bw::vm_machine {

namespace {

// Faults the proof rules out and a checked run meets as it runs.
constexpr char kStackOverflow[] = "Stack overflow...";
constexpr char kStackUnderflow[] = "Stack underflow...";
constexpr char kSplitItem[] = "Stack item split by a byte count";
constexpr char kBranchOutside[] = "Branch outside the code";
constexpr char kNoWith[] = "popenv outside a with-statement";
// The handlers' own messages for forms they cannot run.
constexpr char kPopMalformed[] = "Pop :: Execution Error - Instruction malformed";
constexpr char kPopType[] = "Pop :: Execution Engine";
constexpr char kConvError[] = "DoConv :: Execution Error";
constexpr char kCallTypeError[] = "DoCall :: Execution Engine type error";

struct Item {
    VMSlot slot;
    VMDataType type = kTypeInt;
};

// A copy of the item that owns its own payload.
VMSlot CopyOf(const Item& item)
{
    VMSlot copy = item.slot;
    if (item.type == kTypeString) {
        copy.s = VM_CopyText(item.slot.s);
    } else if (item.type == kTypeVariable) {
        copy.v = Value{};
        Value_Copy(copy.v, item.slot.v);
    }
    return copy;
}

// Reads the item as type to: an item of another type is converted, as a
// path that left another type there needs. On error the item holds a to
// that owns nothing.
const char* Convert(Item& item, VMDataType to)
{
    if (item.type == to) {
        return nullptr;
    }
    const char* error = VM_Convert(item.slot, item.type, to);
    item.type = to;
    return error;
}

// A run's items with their types, bounded by the bytes they take in the
// package form. Whatever is left when the run ends is freed.
class CheckedStack {
public:
    // What ItemsCovering answers when no whole items take the bytes.
    static constexpr int32_t kSplits = -1;
    static constexpr int32_t kPastBottom = -2;

    CheckedStack() = default;
    CheckedStack(const CheckedStack&) = delete;
    CheckedStack& operator=(const CheckedStack&) = delete;
    ~CheckedStack()
    {
        while (!items_.empty()) {
            Drop();
        }
    }

    size_t Count() const { return items_.size(); }
    // The item at a place counted from the bottom.
    Item& At(size_t place) { return items_[place]; }
    bool HasRoom(VMDataType type) const { return bytes_ + VM_PackageStackBytes(type) <= kMaxStackBytes; }

    // Takes over the payload; false, with the payload freed, when the items
    // would pass the bound.
    bool Push(VMSlot slot, VMDataType type)
    {
        if (!HasRoom(type)) {
            VM_FreeItem(slot, type);
            return false;
        }
        bytes_ += VM_PackageStackBytes(type);
        items_.push_back({slot, type});
        return true;
    }
    // Hands the top item (there is one) over to the caller.
    Item Take()
    {
        const Item item = items_.back();
        items_.pop_back();
        bytes_ -= VM_PackageStackBytes(item.type);
        return item;
    }
    void Drop()
    {
        Item item = Take();
        VM_FreeItem(item.slot, item.type);
    }

    // How many items, from skip items below the top down, take exactly
    // bytes; kSplits when the bytes end inside an item, kPastBottom when
    // they pass the first.
    int32_t ItemsCovering(size_t skip, int32_t bytes) const
    {
        int32_t items = 0;
        for (size_t place = items_.size() - std::min(skip, items_.size()); bytes > 0; ++items) {
            if (place == 0) {
                return kPastBottom;
            }
            bytes -= VM_PackageStackBytes(items_[--place].type);
        }
        return bytes == 0 ? items : kSplits;
    }

    // Moves the top count items beneath the moved items below them.
    void Sink(size_t count, size_t moved)
    {
        const auto end = items_.end();
        std::rotate(end - static_cast<std::ptrdiff_t>(count + moved), end - static_cast<std::ptrdiff_t>(count), end);
    }

private:
    std::vector<Item> items_;
    int32_t bytes_ = 0;
};

}  // namespace

class CheckedRun {
public:
    explicit CheckedRun(Machine& machine)
        : m_(machine),
          ops_(machine.unit_->ops.data()),
          end_(ops_ + machine.unit_->ops.size() - 1),
          envBase_(machine.envs_.size())
    {
    }

    bool Run()
    {
        const VMNativeOp* op = ops_;
        while (op != end_) {
            if (VM_DebugRoutes(*op)) [[unlikely]] {
                VM_DebugCheck(*m_.program_, *m_.code_, *op, m_.self_, m_.other_);
            }
            next_ = op + 1;
            if (!Step(*op)) {
                return ended_ ? false : m_.Fail(op, nullptr, message_);
            }
            if (finished_) {
                return true;
            }
            op = next_;
        }
        return true;
    }

private:
    bool Raise(std::string_view message)
    {
        message_ = message;
        return false;
    }
    bool Check(const char* error) { return error == nullptr || Raise(error); }
    bool Ended()
    {
        ended_ = true;
        return false;
    }
    bool Need(int32_t count) { return stack_.Count() >= static_cast<size_t>(count) || Raise(kStackUnderflow); }
    bool Pushed(VMSlot slot, VMDataType type) { return stack_.Push(slot, type) || Raise(kStackOverflow); }
    bool RaiseCover(int32_t covering)
    {
        return Raise(covering == CheckedStack::kPastBottom ? kStackUnderflow : kSplitItem);
    }
    bool JumpTo(const VMNativeOp& op)
    {
        if (op.a < 0) {
            return Raise(kBranchOutside);
        }
        next_ = ops_ + op.a;
        return true;
    }

    bool TakeInt(int32_t* out)
    {
        if (!Need(1)) {
            return false;
        }
        Item item = stack_.Take();
        const char* error = Convert(item, kTypeInt);
        *out = item.slot.i;
        return Check(error);
    }

    // The machine tests the low byte of the 4-byte item a branch pops, so
    // an int is taken as it stands; any other item is read as a bool.
    bool TakeTruth(bool* truth)
    {
        if (!Need(1)) {
            return false;
        }
        Item item = stack_.Take();
        const char* error = item.type == kTypeInt ? nullptr : Convert(item, kTypeBool);
        *truth = (item.slot.i & 0xFF) != 0;
        return Check(error);
    }

    // The index and selector of a variable op, popped or from the word.
    bool VariableOperands(const VMNativeOp& op, int32_t* index, int32_t* selector)
    {
        *index = kValueNoIndex;
        if ((op.flags & kVarRefNoIndex) == 0 && !TakeInt(index)) {
            return false;
        }
        *selector = op.a;
        if ((op.flags & kVarRefSelectorInWord) == 0) {
            int32_t popped = 0;
            if (!TakeInt(&popped)) {
                return false;
            }
            *selector = VM_PoppedSelector(popped, op.flags);
        }
        return true;
    }

    bool Step(const VMNativeOp& op)
    {
        switch (op.opcode) {
        case kOpConv: return Conv(op);
        case kOpNeg:
        case kOpNot: return Unary(op);
        case kOpPop: return op.t == kTypeNone ? Shuffle(op) : Pop(op);
        case kOpDup: return Dup(op);
        case kOpRet: return Ret();
        case kOpExit: finished_ = true; return true;
        case kOpPopz:
            if (!Need(1)) {
                return false;
            }
            stack_.Drop();
            return true;
        case kOpB:
        case kOpBt:
        case kOpBf: return Branch(op);
        case kOpPushEnv: return PushEnv(op);
        case kOpPopEnv: return PopEnv(op);
        case kOpPush: return Push(op);
        case kOpCall: return Call(op);
        case kOpBreak: return op.handler != VMHandler::IndexCheck || IndexCheck();
        default:
            if (VM_IsArithmeticOpcode(op.opcode) || VM_IsComparisonOpcode(op.opcode)) {
                return Binary(op);
            }
            return true;  // unassigned codes do nothing
        }
    }

    bool Push(const VMNativeOp& op)
    {
        VMSlot slot;
        switch (op.handler) {
        case VMHandler::PushDouble: slot.d = op.k.d; return Pushed(slot, kTypeDouble);
        case VMHandler::PushInt64: slot.l = op.k.l; return Pushed(slot, kTypeInt64);
        case VMHandler::PushInt: slot.i = op.k.i; return Pushed(slot, kTypeInt);
        case VMHandler::PushBool: slot.i = op.k.i; return Pushed(slot, kTypeBool);
        case VMHandler::PushString: slot.s = VM_CopyText(op.k.s); return Pushed(slot, kTypeString);
        default: return ReadVariable(op);
        }
    }

    bool ReadVariable(const VMNativeOp& op)
    {
        int32_t index = 0;
        int32_t selector = 0;
        if (!VariableOperands(op, &index, &selector)) {
            return false;
        }
        VMSlot slot;
        slot.v = Value{};
        Value_OutOfRange().failed = false;
        const bool read = m_.Read(selector, op.b, index, &slot.v);
        if (!Pushed(slot, kTypeVariable)) {
            return false;
        }
        return read || Raise(m_.ReadError(selector, op.b, index));
    }

    // pop.v.U takes the value beneath its index and selector, pop.i.U the
    // value on top of them.
    bool Pop(const VMNativeOp& op)
    {
        if (op.handler != VMHandler::PopVariable && op.handler != VMHandler::PopVariableTop) {
            return Raise(kPopMalformed);
        }
        if (!VM_IsValueType(op.u)) {
            return Raise(kPopType);
        }
        const bool valueOnTop = op.handler == VMHandler::PopVariableTop;
        Item value;
        if (valueOnTop) {
            if (!Need(1)) {
                return false;
            }
            value = stack_.Take();
        }
        int32_t index = 0;
        int32_t selector = 0;
        if (!VariableOperands(op, &index, &selector) || (!valueOnTop && !Need(1))) {
            VM_FreeItem(value.slot, value.type);  // taken only when on top; else an int that owns nothing
            return false;
        }
        if (!valueOnTop) {
            value = stack_.Take();
        }
        VM_ToValue(value.slot, value.type);
        return m_.WriteOutside(&op, selector, op.b, index, &value.slot.v) || Raise(m_.WriteError(op.b));
    }

    // The top bytes the size of U go beneath the a bytes below them; then
    // b bytes are dropped, each dropped item freed.
    bool Shuffle(const VMNativeOp& op)
    {
        if (op.a < 0 || op.b < 0) {
            return Raise(kPopMalformed);
        }
        const int32_t top = stack_.ItemsCovering(0, VM_PackageStackBytes(op.u));
        if (top < 0) {
            return RaiseCover(top);
        }
        const int32_t moved = stack_.ItemsCovering(static_cast<size_t>(top), op.a);
        if (moved < 0) {
            return RaiseCover(moved);
        }
        stack_.Sink(static_cast<size_t>(top), static_cast<size_t>(moved));
        const int32_t dropped = stack_.ItemsCovering(0, op.b);
        if (dropped < 0) {
            return RaiseCover(dropped);
        }
        for (int32_t i = 0; i < dropped; ++i) {
            stack_.Drop();
        }
        return true;
    }

    // dup.s and dup.v copy the top item a + 1 times; the other types copy
    // the block of a + 1 items of their size, each item in it as it is.
    bool Dup(const VMNativeOp& op)
    {
        const bool block = op.t != kTypeString && op.t != kTypeVariable;
        size_t first = 0;
        int32_t copies = 0;
        if (block) {
            const int32_t items = stack_.ItemsCovering(0, (op.a + 1) * VM_PackageStackBytes(op.t));
            if (items < 0) {
                return RaiseCover(items);
            }
            first = stack_.Count() - static_cast<size_t>(items);
            copies = items;
        } else {
            if (!Need(1)) {
                return false;
            }
            first = stack_.Count() - 1;
            copies = op.a + 1;
        }
        for (int32_t i = 0; i < copies; ++i) {
            const Item& source = stack_.At(block ? first + static_cast<size_t>(i) : first);
            const VMDataType type = source.type;
            if (!Pushed(CopyOf(source), type)) {
                return false;
            }
        }
        return true;
    }

    bool Conv(const VMNativeOp& op)
    {
        if (!VM_IsValueType(op.u)) {
            return Raise(kConvError);
        }
        if (!Need(1)) {
            return false;
        }
        Item item = stack_.Take();
        const char* error = Convert(item, op.u);
        return Pushed(item.slot, item.type) && Check(error);
    }

    bool Unary(const VMNativeOp& op)
    {
        if (!Need(1)) {
            return false;
        }
        Item& top = stack_.At(stack_.Count() - 1);
        return Check(op.opcode == kOpNeg ? VM_Negate(top.slot, top.type) : VM_Not(top.slot, top.type));
    }

    bool Binary(const VMNativeOp& op)
    {
        if (!Need(2)) {
            return false;
        }
        Item right = stack_.Take();
        Item left = stack_.Take();
        const char* error = nullptr;
        VMDataType result = kTypeBool;
        if (VM_IsComparisonOpcode(op.opcode)) {
            error = VM_Compare(op.opcode, left.slot, left.type, right.slot, right.type);
        } else {
            result = VM_BinaryResultType(op.opcode, right.type, left.type);
            error = VM_Arithmetic(op.opcode, left.slot, left.type, right.slot, right.type, result);
        }
        return Pushed(left.slot, result) && Check(error);
    }

    bool Branch(const VMNativeOp& op)
    {
        if (!m_.CountBranch()) {
            return Ended();
        }
        bool jump = true;
        if (op.opcode != kOpB) {
            bool truth = false;
            if (!TakeTruth(&truth)) {
                return false;
            }
            jump = truth == (op.opcode == kOpBt);
        }
        return !jump || JumpTo(op);
    }

    bool PushEnv(const VMNativeOp& op)
    {
        int32_t selector = 0;
        if (!TakeInt(&selector)) {
            return false;
        }
        if (m_.envs_.size() - envBase_ >= static_cast<size_t>(kMaxEnvDepth)) {
            return Raise(kStackOverflow);
        }
        bool runBody = false;
        if (const char* error = m_.PushEnv(selector, &runBody); error != nullptr) {
            return Raise(error);
        }
        return runBody || JumpTo(op);
    }

    bool PopEnv(const VMNativeOp& op)
    {
        if (m_.envs_.size() <= envBase_) {
            return Raise(kNoWith);
        }
        if (op.u == kTypeNone && op.t == kTypeDouble) {  // leaving the with-statement early
            m_.CloseEnv();
            return true;
        }
        if (m_.NextInstance()) {
            return JumpTo(op);
        }
        m_.CloseEnv();
        return true;
    }

    bool Ret()
    {
        if (!Need(1)) {
            return false;
        }
        Item value = stack_.Take();
        VM_ToValue(value.slot, value.type);
        if (m_.result_ != nullptr) {
            Value_Free(*m_.result_);
            *m_.result_ = value.slot.v;
        } else {
            FreeOwned(value.slot.v);
        }
        finished_ = true;
        return true;
    }

    // Built-ins, extensions and scripts are all called through the
    // machine's outside call, which takes the arguments as its stack holds
    // them (argument 0 on top) and leaves the result in their place.
    bool Call(const VMNativeOp& op)
    {
        if (Code_StopDue()) {
            return Ended();
        }
        if (op.t != kTypeInt) {
            return Raise(kCallTypeError);
        }
        const int32_t argc = op.a;
        if (!Need(argc)) {
            return false;
        }
        std::vector<VMSlot> arguments(static_cast<size_t>(argc) + 1);
        for (int32_t k = 0; k < argc; ++k) {
            Item item = stack_.Take();
            VM_ToValue(item.slot, item.type);
            arguments[static_cast<size_t>(argc - 1 - k)] = item.slot;
        }
        if (!stack_.HasRoom(kTypeVariable)) {
            for (int32_t k = 0; k < argc; ++k) {
                Value_Free(arguments[static_cast<size_t>(k)].v);
            }
            return Raise(kStackOverflow);
        }
        VMSlot* sp = arguments.data() + argc;
        const bool called = m_.CallOutside(&op, sp);
        stack_.Push(arguments[0], kTypeVariable);  // the result, room for which was made sure above
        ended_ = !called;
        return called;
    }

    bool IndexCheck()
    {
        if (!Need(1)) {
            return false;
        }
        const Item& top = stack_.At(stack_.Count() - 1);
        Item index{top.slot, top.type};
        if (top.type != kTypeInt) {
            index.slot = CopyOf(top);
            if (const char* error = Convert(index, kTypeInt); error != nullptr) {
                return Raise(error);
            }
        }
        return Check(VM_IndexCheckError(index.slot.i));
    }

    Machine& m_;
    const VMNativeOp* const ops_;
    const VMNativeOp* const end_;
    // With-frames below this were opened before the run.
    const size_t envBase_;
    const VMNativeOp* next_ = nullptr;
    CheckedStack stack_;
    std::string message_;
    bool finished_ = false;
    // The failing op ended the run itself: an outside call reported its
    // error, or the runner's end stopped the run (code_stop.h).
    bool ended_ = false;
};

bool Machine::RunChecked()
{
    CheckedRun run(*this);
    return run.Run();
}

}  // namespace bw::vm_machine
