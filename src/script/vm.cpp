#include "script/vm.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "platform/memory.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/operators.h"
#include "script/resource_seams.h"
#include "script/verifier_fusion.h"
#include "script/vm_debug.h"
#include "script/vm_operators.h"
#include "script/world_access.h"

namespace bw {

namespace {

constexpr int32_t kMaxCallArguments = 16;
static_assert(kMaxCallArguments == kScriptArgumentSlotCount);
constexpr int32_t kPumpInterval = 4096;  // branches
// Items of the one stack area every run shares: runs nested through
// built-ins start above the runs they interrupt, and scripts the machine
// runs itself stack their frames in it. Filling it is the recursion cap.
constexpr size_t kStackItems = size_t{1} << 16;
// Scripts the runs together may nest on the machine's own stack: a script
// that calls itself in tail position takes no stack items, so the frames
// have a cap of their own.
constexpr size_t kMaxScriptFrames = 4096;
constexpr char kScriptUnitPrefix[] = "Script.";

// Branches left before the next pump, and the pumps so far: together the
// count of every branch taken, kept as a countdown because each branch
// pays for it.
int32_t g_branchesToPump = kPumpInterval;
uint32_t g_pumps = 0;
bool g_trace = false;

// The shared stack area, made on the first run; reserved is the first item
// no running unit may use. The area never moves or grows while code runs:
// built-ins and the error path hold pointers into it.
struct StackArea {
    std::unique_ptr<VMSlot[]> items;
    VMSlot* reserved = nullptr;

    VMSlot* End() const { return items.get() + kStackItems; }
};

StackArea g_stack;

// One open with-statement: what to restore, and the instances still to
// visit (the next one at the back).
struct EnvFrame {
    CInstance* savedSelf = nullptr;
    CInstance* savedOther = nullptr;
    std::vector<CInstance*> pending;
};

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

// Most Values a frame releases are reals, which own nothing.
inline void FreeOwned(Value& value)
{
    if (value.ptr != nullptr) {
        Value_Free(value);
    }
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

// The arithmetic of a fused run with a constant right operand.
inline double WithConstant(const VMNativeOp* op, double left)
{
    return op->constantScales ? left * op->constant : left + op->constant;
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

// The kind word of a local nothing has been stored into, which no Value
// has: reading such a local is an error, and every kind test of a fast
// path fails on it without a test of its own.
constexpr uint32_t kUnsetLocalKind = kValueKindMask;

// A local of the run. Locals live only as long as their run and nothing
// outside it reads them, so the machine keeps them itself.
struct Local {
    explicit Local(int32_t variable) : id(variable) { value.kind = kUnsetLocalKind; }

    bool IsSet() const { return value.kind != kUnsetLocalKind; }
    // A real without flags: the one kind the fast paths take.
    bool IsReal() const { return value.kind == kValueReal; }

    int32_t id;
    Value value;
};

// The name a script's unit carries is "Script.<name>"; reports use <name>.
const char* ScriptName(const CCode& code)
{
    const std::string& name = code.name;
    return name.compare(0, sizeof(kScriptUnitPrefix) - 1, kScriptUnitPrefix) == 0
               ? name.c_str() + sizeof(kScriptUnitPrefix) - 1
               : name.c_str();
}

// A script the machine runs on its own stack: what its return restores.
struct ScriptFrame {
    const VMProgram* program;
    const CCode* code;
    const VMNativeOp* call;  // the caller's call instruction
    VMSlot* base;            // the arguments' place, where the result goes
    VMSlot* reserved;
    size_t localsBase;
    size_t envDepth;  // set only for a script that has with-statements
    CInstance* self;
    CInstance* other;
    Value* callerSlots;  // the caller's argument slots and count
    int32_t callerCount;
    // The script's own argument slots. Between calls every one is empty,
    // so a call fills only those of its arguments.
    Value arguments[kMaxCallArguments];
    int32_t argc;
    uint64_t writes;  // the machine's outsideWrites_ when the script started
};

// The frames of the scripts machines run on their own stack, shared as the
// stack area is: a run nested through a built-in stacks its frames above
// the frames of the runs it interrupts. Made on the first run; filling it
// is the nesting cap.
struct FrameArea {
    std::unique_ptr<ScriptFrame[]> frames;
    ScriptFrame* top = nullptr;  // one past the innermost frame in use

    ScriptFrame* End() const { return frames.get() + kMaxScriptFrames; }
};

FrameArea g_frames;

class Machine;
// The innermost machine running; each keeps the one it interrupted.
Machine* g_innermost = nullptr;

// The handlers' addresses by VMHandler, then the debugger's stop check;
// the machine's loop publishes them on its first run.
const void* const* g_handlers = nullptr;
size_t g_stopCheck = 0;

// Fills the unit's addresses, routing what the debugger stops at to the
// stop check.
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

// Every run and script call asks; only a unit new here, or one threaded
// before the debugger changed which ops stop, is filled again.
inline void Thread(const VerifiedUnit& unit)
{
    const uint32_t epoch = VM_DebugEpoch();
    if (unit.threadedAt != &unit || unit.threadedEpoch != epoch) [[unlikely]] {
        FillAddresses(unit, epoch);
    }
}

// What a failing run saw before it unwound, kept for the report its caller
// makes afterwards: the first failure wins, as for the pending message.
struct FailureContext {
    std::vector<ErrorStackFrame> frames;
    ErrorVariableDump dump;
    bool framesSet = false;
    bool dumpSet = false;
};
FailureContext g_failure;

class Machine {
public:
    Machine(const VMProgram& program, const CCode& code, CInstance* self, CInstance* other, Value* result)
        : world_(Code_WorldAccess()),
          argumentSlots_(world_.argumentSlots),
          argumentCount_(world_.argumentCount),
          globalNamesVersion_(world_.globalNamesVersion),
          slotsVersion_(world_.variableSlotsVersion),
          self_(self),
          other_(other),
          result_(result),
          firstFrame_(g_frames.top),
          outer_(g_innermost)
    {
        g_innermost = this;
        // Most runs start with nothing kept: an event's entry skips the
        // reset of the context's strings and vectors.
        if (g_failure.framesSet || g_failure.dumpSet) {
            g_failure = FailureContext{};
        }
        Enter(program, code);
    }
    ~Machine()
    {
        g_innermost = outer_;
        for (Local& local : locals_) {
            Value_Free(local.value);
        }
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    bool Run(VMSlot* stack);

    // The frames of this machine and the ones it interrupted, innermost
    // first, each at the instruction it is running.
    void DescribeStack(std::vector<ErrorStackFrame>* frames) const;
    // The innermost frame's set locals, and its self instance's and the
    // global variables.
    void DescribeVariables(ErrorVariableDump* dump) const;
    void ListLocals(std::vector<VariableView>* locals) const
    {
        for (size_t i = localsBase_; i < locals_.size(); ++i) {
            if (locals_[i].IsSet()) {
                locals->push_back({locals_[i].id, &locals_[i].value});
            }
        }
    }

private:
    // Stops the run at op: releases what the stack holds after it and
    // reports the message at op's source line.
    // An error inside scripts the machine runs itself ends them all, each
    // adding its name to the message as Script_Execute does.
    bool Fail(const VMNativeOp* op, VMSlot* sp, const char* message)
    {
        if (!g_failure.framesSet) {
            VM_DebugHoldAtError(*code_, *op, self_, other_);
            callSite_ = op;
            DescribeStack(&g_failure.frames);
            DescribeVariables(&g_failure.dump);
            g_failure.framesSet = g_failure.dumpSet = true;
        }
        Release(op, sp);
        Code_Report_Error(code_->text.c_str(), code_->IsProgram(), PositionOf(op->offset), message);
        while (InScript()) {
            const std::string prefix = std::string("In script ") + ScriptName(*code_) + ":\n";
            Code_Error_PrefixPending(prefix.c_str());
            const VMNativeOp* call = g_frames.top[-1].call;
            sp = Leave(Value{});
            Release(call, sp);
        }
        return false;
    }
    bool Fail(const VMNativeOp* op, VMSlot* sp, const std::string& message) { return Fail(op, sp, message.c_str()); }

    int32_t PositionOf(uint32_t offset) const
    {
        int32_t position = 0;
        for (const VMLinePair& pair : program_->lines) {
            if (static_cast<uint32_t>(pair.offset) > offset) {
                break;
            }
            position = pair.position;
        }
        return position;
    }

    // Frees every item the verifier says lies on the stack after op.
    void Release(const VMNativeOp* op, VMSlot* sp)
    {
        int32_t node = op->exitNode;
        while (node >= 0) {
            const VerifiedUnit::TypeNode& item = unit_->typeNodes[static_cast<size_t>(node)];
            VM_FreeItem(*--sp, item.type);
            node = item.below;
        }
    }

    Local& LocalNamed(int32_t id);
    bool ReadLocal(const Local& local, int32_t index, Value* out) const;
    static bool WriteLocal(Local& local, int32_t index, Value* in);
    bool Read(int32_t selector, int32_t id, int32_t index, Value* out);
    bool Write(int32_t selector, int32_t id, int32_t index, const Value* in);
    std::string ReadError(int32_t selector, int32_t id, int32_t index) const;
    std::string WriteError(int32_t id) const;
    const char* PushEnv(int32_t selector, bool* runBody);
    bool NextInstance();
    void CloseEnv();
    bool Call(const VMNativeOp*& op, VMSlot*& sp);
    // A call of a built-in, an extension or a script run through the
    // script table; leaves op to the caller.
    [[gnu::noinline]] bool CallOutside(const VMNativeOp* op, VMSlot*& sp);
    const CCode* InlineScript(const VMNativeOp* op) const;
    bool EnterScript(const VMNativeOp*& op, VMSlot*& sp, const CCode& callee, int32_t argc);
    void Enter(const VMProgram& program, const CCode& code);
    VMSlot* Leave(const Value& result);

    Local* FrameLocals() { return locals_.data() + localsBase_; }
    // Whether the code running is a script this machine runs itself.
    bool InScript() const { return g_frames.top != firstFrame_; }

    // s += "text" on a string local: the text goes on the end of the
    // local's own block, which is given room to grow, so a string built a
    // piece at a time is copied a logarithmic number of times, not once per
    // piece. False when the local is no string or the result too long.
    static bool AppendToLocal(Local* locals, const VMNativeOp* op)
    {
        Local& local = locals[op->k.i];
        if (Value_Kind(local.value) != kValueString) {
            return false;
        }
        char* text = Value_String(local.value);
        const size_t length = text != nullptr ? std::strlen(text) : 0;
        const char* tail = op[1].k.s;
        const size_t tailLength = std::strlen(tail);
        if (length + tailLength >= kMaxOperatorStringBytes) {
            return false;
        }
        const size_t need = length + tailLength + 1;
        if (text == nullptr || MemoryManager_GetSize(text) < need) {
            auto* grown = static_cast<char*>(BW_ALLOC(need + need / 2, false));
            if (length > 0) {
                std::memcpy(grown, text, length);
            }
            MemoryManager_Free(text);
            text = grown;
        }
        std::memcpy(text + length, tail, tailLength + 1);
        local.value.kind = kValueString;  // what the plain add gives
        local.value.ptr = text;
        local.value.real = 0.0;
        return true;
    }

    // Every 4096th branch pumps the window's messages, so a long loop keeps
    // the window alive; what the messages run is outside the machine.
    void CountBranch() { CountBranches(1); }

    // Counts the branches of a fused run at once; a run takes at most two,
    // so it passes at most one multiple of the pump interval.
    void CountBranches(int32_t count)
    {
        g_branchesToPump -= count;
        if (g_branchesToPump <= 0) [[unlikely]] {
            Pump();
        }
    }

    // Out of line: every branch handler holds the test above.
    [[gnu::noinline]] void Pump()
    {
        g_branchesToPump += kPumpInterval;
        ++g_pumps;
        ++outsideWrites_;
        ProcessMessages();
        // A debugger's pause must reach code that loops without end: its
        // break re-routes the running unit's ops to the stop check.
        VM_DebugPoll();
        Thread(*unit_);
    }

    // The op after the conditional branch once its truth is known.
    static const VMNativeOp* BranchTarget(const VMNativeOp* branch, bool truth)
    {
        return truth == (branch->plain == VMHandler::BranchTrue) ? branch->target : branch + 1;
    }

    const VMNativeOp* TakeBranch(const VMNativeOp* branch, bool truth)
    {
        CountBranch();
        return BranchTarget(branch, truth);
    }

    // Whether the argument read at op can take the slot directly. The
    // general read ends in the same slot, through the global scope or
    // through self's built-in, which needs a self.
    bool ArgumentReadable(const VMNativeOp* op) const
    {
        return argumentSlots_ != nullptr && (self_ != nullptr || op->a == kSelectorGlobal || IsGlobalName(op));
    }

    // The argument slots in use.
    Value* ArgumentSlots() const { return *argumentSlots_; }

    // Whether the variable op names was declared globalvar, asked of the
    // world only when a declaration may have changed the answer.
    bool IsGlobalName(const VMNativeOp* op) const
    {
        const uint32_t version = *globalNamesVersion_;
        if (op->namesVersion != version) {
            op->namesGlobal = world_.isGlobalName(op->b);
            op->namesVersion = version;
        }
        return op->namesGlobal;
    }

    // The user variable op names through selector, in place, when the
    // world can hand it over: self, other or the global scope, no
    // built-in. Null sends the access down the general path, which also
    // reports what fails. Each op keeps the slot it found while no slot of
    // the world has gone.
    Value* DirectSlot(const VMNativeOp* op, int32_t selector, bool create) const
    {
        CInstance* owner = nullptr;  // the global scope
        if (selector == kSelectorUnspecified) {  // the usual case first
            if (!IsGlobalName(op)) {
                owner = self_;
                if (owner == nullptr) {
                    return nullptr;
                }
            }
        } else if (selector == kSelectorSelf || selector == kSelectorOther) {
            owner = selector == kSelectorSelf ? self_ : other_;
            if (owner == nullptr) {
                return nullptr;
            }
        } else if (selector != kSelectorGlobal) {
            return nullptr;
        }
        const uint32_t version = *slotsVersion_;
        if (op->slotVersion == version && op->slotOwner == owner) {
            return op->slot;
        }
        Value* const slot = world_.variableSlot(owner, op->b, create);
        if (slot != nullptr) {
            op->slot = slot;
            op->slotOwner = owner;
            op->slotVersion = version;
        }
        return slot;
    }

    // The instance whose built-in field op names through selector (self or
    // other), with that field's access; null when the variable has none or
    // the selector names no such instance, which leaves the general path to
    // read, write or report it.
    CInstance* FieldOwner(const VMNativeOp* op, int32_t selector, const BuiltinFieldAccess** field) const
    {
        if (static_cast<uint32_t>(op->b) >= static_cast<uint32_t>(world_.builtinFieldCount) ||
            world_.builtinFields[op->b].load == nullptr) {
            return nullptr;
        }
        *field = &world_.builtinFields[op->b];
        if (selector == kSelectorUnspecified) {
            return IsGlobalName(op) ? nullptr : self_;
        }
        return selector == kSelectorSelf ? self_ : selector == kSelectorOther ? other_ : nullptr;
    }

    // The element at index (0 and up) of value's first row, when value is
    // an array whose first row has it; null otherwise.
    static Value* FirstRowElement(const Value& value, int32_t index)
    {
        if (value.kind != kValueArray || value.ptr == nullptr || value.rowCount < 1 ||
            index >= kValueArrayRowStride) {
            return nullptr;
        }
        const ValueArrayRow& row = Value_Rows(value)[0];
        return index < row.length ? &row.elements[index] : nullptr;
    }

    // A real (kind word and number) stored over an element of the first
    // row that owns nothing replaces it bit for bit, in place: the pointers
    // are null on both sides, so only the two other words are written. An
    // element just past the row's end that its block has room for is
    // appended the same way (that room holds real 0). False when the
    // element is not there or owns something.
    static bool StoreRealInPlace(Value& array, int32_t index, uint32_t kind, double real)
    {
        if (array.kind != kValueArray || array.ptr == nullptr || array.rowCount < 1 ||
            static_cast<uint32_t>(index) >= static_cast<uint32_t>(kValueArrayRowStride)) {
            return false;
        }
        ValueArrayRow& row = Value_Rows(array)[0];
        if (index >= row.length) {
            if (index != row.length || index >= row.capacity) {
                return false;
            }
            row.length = index + 1;
        }
        Value& element = row.elements[index];
        if (element.ptr != nullptr) {
            return false;
        }
        element.kind = kind;
        element.real = real;
        return true;
    }

    // The local named by a variable op whose selector is the locals' (a
    // var local with an index: the code pushes that selector), found by id
    // among the frame's locals and made when missing, as the general access
    // does. Each op keeps where it found it. May add a local: the caller
    // takes the frame's locals again.
    Local& SelectedLocal(const VMNativeOp* op)
    {
        const size_t place = localsBase_ + op->localPlace;
        if (place < locals_.size() && locals_[place].id == op->b) {
            return locals_[place];
        }
        Local& local = LocalNamed(op->b);
        op->localPlace = static_cast<uint32_t>(&local - FrameLocals());
        return local;
    }

    // The value that holds the array an element op reads or writes: a
    // local's or one DirectSlot finds; null sends the access down the
    // general path. An unset local's value is no array, so the element
    // paths never take it.
    Value* ElementOwner(const VMNativeOp* op, int32_t selector, bool create)
    {
        if (selector == kSelectorLocal) {
            return &SelectedLocal(op).value;
        }
        return DirectSlot(op, selector, create);
    }

    // What the general write does to a variable found in place, taking
    // over value's payload: a whole value moves in, a real goes in place
    // where it can, and anything else goes through the value module.
    static void WriteSlot(Value& slot, Value& value, int32_t index)
    {
        if (index == kValueNoIndex) {
            FreeOwned(slot);
            slot = value;
            return;
        }
        if (Value_Kind(value) == kValueReal && StoreRealInPlace(slot, index, value.kind, value.real)) {
            return;
        }
        Value_ArraySet(slot, value, index);
        FreeOwned(value);
    }

    // What the general read gives for a variable found in place: reals
    // are copied bit for bit (kind word and all, as Value_Copy does), any
    // other element through the value module.
    static bool ReadSlot(const Value& slot, int32_t index, Value* out)
    {
        const Value* element = &slot;
        if (index != kValueNoIndex) {
            element = index >= 0 ? FirstRowElement(slot, index) : nullptr;
            if (element == nullptr) {
                Value_OutOfRange().failed = false;
                return Value_ArrayGet(*out, slot, index);
            }
        }
        if (Value_Kind(*element) != kValueReal) {
            Value_Copy(*out, *element);
            return true;
        }
        *out = *element;
        return true;
    }

    // The real a fused run's first op (a local or argument push) would
    // push; false when it would push anything else or fail.
    bool HeadReal(const Local* locals, const VMNativeOp* op, double* out) const
    {
        const Value* value = nullptr;
        if (op->plain == VMHandler::PushLocal) {
            value = &locals[op->k.i].value;
        } else if (ArgumentReadable(op)) {
            value = &ArgumentSlots()[op->k.i];
        } else {
            return false;
        }
        if (Value_Kind(*value) != kValueReal) {
            return false;
        }
        *out = value->real;
        return true;
    }

    // The index the checked-local-index run at op gives; false when the
    // local is no real in [0, limit), which leaves the plain ops to convert
    // it (a fraction above -1 is index 0 there) or to report it.
    static bool LocalIndexOf(const Local* locals, const VMNativeOp* op, int32_t* index)
    {
        const Local& local = locals[op->k.i];
        if (!local.IsReal() || !(local.value.real >= 0.0 && local.value.real < kArrayIndexLimit)) {
            return false;
        }
        *index = static_cast<int32_t>(local.value.real);
        return true;
    }

    // Stores a real computed by a fused run into a local, as the plain pop
    // stores the fresh real item the run's arithmetic leaves.
    static void StoreReal(Local& target, double real)
    {
        if (!target.IsReal()) {
            FreeOwned(target.value);
            target.value = Value{};
        }
        target.value.real = real;
    }

    // The result of the run local-constant-arithmetic at op.
    bool LocalConstReal(const Local* locals, const VMNativeOp* op, double* out) const
    {
        double head = 0.0;
        if (!HeadReal(locals, op, &head)) {
            return false;
        }
        *out = WithConstant(op, head);
        return true;
    }

    // The real a whole named variable (op's own selector) holds: a built-in
    // field or a real user variable found in place; false for anything the
    // plain ops must read.
    bool NamedReal(const VMNativeOp* op, double* out) const
    {
        if (const BuiltinFieldAccess* field = nullptr; const CInstance* owner = FieldOwner(op, op->a, &field)) {
            *out = field->load(owner);
            return true;
        }
        const Value* slot = DirectSlot(op, op->a, false);
        if (slot == nullptr || Value_Kind(*slot) != kValueReal) {
            return false;
        }
        *out = slot->real;
        return true;
    }

    // Replaces the real a whole named variable holds with update(real), as
    // the plain push, arithmetic and pop would (a user variable keeps its
    // flags); false, with nothing changed, where NamedReal would be.
    template <typename Update>
    bool UpdateNamedReal(const VMNativeOp* op, Update update) const
    {
        if (const BuiltinFieldAccess* field = nullptr; CInstance* owner = FieldOwner(op, op->a, &field)) {
            Value value{};
            value.real = update(field->load(owner));
            field->store(owner, &value);
            return true;
        }
        Value* slot = DirectSlot(op, op->a, false);
        if (slot == nullptr || Value_Kind(*slot) != kValueReal) {
            return false;
        }
        slot->real = update(slot->real);
        return true;
    }

    // Held once: the world registers its access before any code runs.
    const WorldAccess& world_;
    // The world's, kept at hand for the accesses every op makes.
    Value** const argumentSlots_;
    int32_t* const argumentCount_;
    const uint32_t* const globalNamesVersion_;
    const uint32_t* const slotsVersion_;
    const VMProgram* program_ = nullptr;
    const VerifiedUnit* unit_ = nullptr;
    const CCode* code_ = nullptr;
    CInstance* self_;
    CInstance* other_;
    Value* result_;
    // The locals of every running script, the innermost from localsBase_.
    std::vector<Local> locals_;
    size_t localsBase_ = 0;
    std::vector<EnvFrame> envs_;
    // The scripts this machine runs on its own stack have the frames from
    // here to the area's top.
    ScriptFrame* const firstFrame_;
    Machine* const outer_;
    // The instruction that called out of the machine (or failed), for the
    // stack an error report shows.
    const VMNativeOp* callSite_ = nullptr;
    // Counts what may store into the argument slots behind the machine's
    // back: writes of variables through the world and calls it does not run
    // itself (a message pump included). While it stands still, a script's
    // slots past its arguments are still empty.
    uint64_t outsideWrites_ = 0;
};

// Starts program's locals above the caller's. Inlined: every script call
// the machine runs itself passes here.
[[gnu::always_inline]] inline void Machine::Enter(const VMProgram& program, const CCode& code)
{
    program_ = &program;
    unit_ = &program.unit;
    code_ = &code;
    localsBase_ = locals_.size();
    for (const int32_t id : unit_->localIds) {
        locals_.emplace_back(id);
    }
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

// Opens a with-frame; *runBody says whether an instance was found.
const char* Machine::PushEnv(int32_t selector, bool* runBody)
{
    if (selector == kSelectorGlobal) {
        return "Cannot use global in with statement";
    }
    if (selector == kSelectorLocal) {
        return "Cannot use local in with statement";
    }
    envs_.push_back({self_, other_, {}});
    *runBody = true;
    switch (selector) {
    case kSelectorSelf:
    case kSelectorUnspecified: other_ = self_; return nullptr;
    case kSelectorOther: std::swap(self_, other_); return nullptr;
    case kSelectorNoone: *runBody = false; return nullptr;
    default: break;
    }
    std::vector<CInstance*>& list = envs_.back().pending;
    world_.collectInstances(selector, &list);
    // One or two instances run in list order, more from the last back to
    // the first; the next to visit is kept at the back.
    if (list.size() <= 2) {
        std::reverse(list.begin(), list.end());
    }
    other_ = self_;
    *runBody = NextInstance();
    return nullptr;
}

// Makes the next instance of the innermost with-frame that is still live
// self; false when none is left. Instances the body destroyed are skipped.
bool Machine::NextInstance()
{
    std::vector<CInstance*>& pending = envs_.back().pending;
    while (!pending.empty()) {
        CInstance* next = pending.back();
        pending.pop_back();
        if (world_.isLive(next)) {
            self_ = next;
            return true;
        }
    }
    return false;
}

void Machine::CloseEnv()
{
    self_ = envs_.back().savedSelf;
    other_ = envs_.back().savedOther;
    envs_.pop_back();
}

// The unit of script index when the machine can run it on its own stack:
// compiled to bytecode for the engine in use. Any other script goes through
// Script_Execute.
const CCode* OwnStackUnit(const CCode* callee)
{
    if (callee == nullptr || !callee->compiled || !callee->IsProgram() || callee->bytecode == nullptr ||
        (!Code_UseBytecode() && callee->root.kind != kNodeUnset)) {
        return nullptr;
    }
    return callee;
}

// The script op calls when the machine runs it itself: it needs argument
// slots to fill and instances to run for. The answer for the unit is kept
// in the op while the script code version stands still (the engine in use
// is part of it).
const CCode* Machine::InlineScript(const VMNativeOp* op) const
{
    const uint32_t version = Script_CodeVersion();
    if (op->calleeVersion != version) {
        op->callee = OwnStackUnit(Script_GetCode(op->b - kScriptFunctionIdBase));
        op->calleeVersion = version;
    }
    if (op->callee == nullptr || argumentSlots_ == nullptr || self_ == nullptr || other_ == nullptr) {
        return nullptr;
    }
    return op->callee;
}

// Starts callee above the caller's items: its arguments (argument 0 on top)
// move into the argument slots, whose old contents the frame keeps.
[[gnu::always_inline]] inline bool Machine::EnterScript(const VMNativeOp*& op, VMSlot*& sp, const CCode& callee,
                                                        int32_t argc)
{
    VMSlot* const base = sp - argc;
    const VerifiedUnit& unit = callee.bytecode->unit;
    StackArea& stack = g_stack;
    FrameArea& area = g_frames;
    if (base + unit.maxDepth > stack.End() || area.top == area.End()) {
        for (int32_t k = 0; k < argc; ++k) {
            Value_Free(base[k].v);
        }
        sp = base;
        sp->v = Value{};
        ++sp;
        return Fail(op, sp, "Stack overflow...");
    }
    if (g_trace) {
        Console().Printf("script = %s\n", callee.name.c_str());
    }
    // As every run does: the script's own error is the one its report shows.
    Code_Error_ClearPending();
    ScriptFrame& frame = *area.top++;
    frame.program = program_;
    frame.code = code_;
    frame.call = op;
    frame.base = base;
    frame.reserved = stack.reserved;
    frame.localsBase = localsBase_;
    if (unit.maxEnvDepth > 0) {
        frame.envDepth = envs_.size();
    }
    frame.self = self_;
    frame.other = other_;
    frame.callerSlots = ArgumentSlots();
    frame.callerCount = *argumentCount_;
    frame.argc = argc;
    frame.writes = outsideWrites_;
    for (int32_t i = 0; i < argc; ++i) {
        frame.arguments[i] = base[argc - 1 - i].v;  // its payload moves
    }
    *argumentSlots_ = frame.arguments;
    *argumentCount_ = argc;
    stack.reserved = std::max(stack.reserved, base + unit.maxDepth);
    Enter(*callee.bytecode, callee);
    op = unit_->ops.data();
    sp = base;
    return true;
}

// Ends the innermost script the machine runs itself: its locals and open
// with-statements go, the caller's state and argument slots come back, and
// result takes the arguments' place. Answers the new stack pointer.
[[gnu::always_inline]] inline VMSlot* Machine::Leave(const Value& result)
{
    ScriptFrame& frame = *--g_frames.top;
    // Many scripts have no locals: their frame leaves the vector alone.
    if (locals_.size() != localsBase_) {
        for (size_t i = localsBase_; i < locals_.size(); ++i) {
            FreeOwned(locals_[i].value);
        }
        locals_.erase(locals_.begin() + static_cast<std::ptrdiff_t>(localsBase_), locals_.end());
    }
    if (unit_->maxEnvDepth > 0 && envs_.size() != frame.envDepth) {
        envs_.resize(frame.envDepth);  // it returned from inside a with
    }
    self_ = frame.self;
    other_ = frame.other;
    for (int32_t i = 0; i < frame.argc; ++i) {
        FreeOwned(frame.arguments[i]);
        frame.arguments[i] = Value{};
    }
    // Something may have stored into the slots past the arguments.
    if (frame.writes != outsideWrites_) {
        for (int32_t i = frame.argc; i < kMaxCallArguments; ++i) {
            FreeOwned(frame.arguments[i]);
            frame.arguments[i] = Value{};
        }
    }
    *argumentSlots_ = frame.callerSlots;
    *argumentCount_ = frame.callerCount;
    program_ = frame.program;
    unit_ = &frame.program->unit;
    code_ = frame.code;
    localsBase_ = frame.localsBase;
    g_stack.reserved = frame.reserved;
    VMSlot* const sp = frame.base;
    sp->v = result;
    return sp + 1;
}

// Leaves op at the next instruction to run: the one after the call, or the
// first of a script the machine runs itself. This and EnterScript are kept
// inside the dispatch loop: called out of line, op and sp would go through
// memory on every script call. Every other call is made out of line, so the
// loop stays small.
[[gnu::always_inline]] inline bool Machine::Call(const VMNativeOp*& op, VMSlot*& sp)
{
    const int32_t argc = op->a;
    const int32_t id = op->b;
    if (argc <= kMaxCallArguments && id >= kScriptFunctionIdBase && id < kExtensionFunctionIdBase) {
        if (const CCode* callee = InlineScript(op)) {
            return EnterScript(op, sp, *callee, argc);
        }
    }
    if (!CallOutside(op, sp)) {
        return false;
    }
    ++op;
    return true;
}

bool Machine::CallOutside(const VMNativeOp* op, VMSlot*& sp)
{
    const int32_t argc = op->a;
    const int32_t id = op->b;
    if (argc > kMaxCallArguments) {
        for (int32_t i = 0; i < argc; ++i) {
            Value_Free((--sp)->v);
        }
        sp->v = Value{};
        ++sp;
        return Fail(op, sp, "Wrong number of arguments to function or script.");
    }
    ++outsideWrites_;
    callSite_ = op;
    Value args[kMaxCallArguments];
    for (int32_t k = 0; k < argc; ++k) {
        args[k] = sp[-1 - k].v;  // argument 0 is the top item; its payload moves
    }
    sp -= argc;
    Value result;
    bool called = true;
    if (id >= kExtensionFunctionIdBase) {
        called = Extension_Call(id - kExtensionFunctionIdBase, self_, other_, argc, args, &result);
    } else if (id >= kScriptFunctionIdBase) {
        called = Script_Execute(id - kScriptFunctionIdBase, self_, other_, argc, &result, args);
    } else {
        if (g_trace) {
            const char* name = nullptr;
            BuiltinFunctionProc fn = nullptr;
            int32_t expected = 0;
            if (Code_Function_GetInfo(id, &name, &fn, &expected) && name != nullptr) {
                Console().Printf("func call = %s\n", name);
            }
        }
        Code_Function_CallBuiltin(id, &result, self_, other_, argc, args);
    }
    for (int32_t k = 0; k < argc; ++k) {
        Value_Free(args[k]);
    }
    sp->v = result;
    ++sp;
    if (!called) {
        return Fail(op, sp, id >= kExtensionFunctionIdBase ? "Extension function call failed"
                                                           : "call to non-existent script");
    }
    return true;
}

void Machine::DescribeStack(std::vector<ErrorStackFrame>* frames) const
{
    frames->clear();
    const ScriptFrame* top = g_frames.top;
    for (const Machine* machine = this; machine != nullptr; machine = machine->outer_) {
        const VMNativeOp* at = machine->callSite_;
        frames->push_back(VM_DescribeFrame(machine->program_->lines, *machine->code_, at != nullptr ? at->offset : 0));
        for (const ScriptFrame* frame = top; frame-- != machine->firstFrame_;) {
            frames->push_back(VM_DescribeFrame(frame->program->lines, *frame->code, frame->call->offset));
        }
        top = machine->firstFrame_;
    }
}

void Machine::DescribeVariables(ErrorVariableDump* dump) const
{
    *dump = ErrorVariableDump{};
    char head[32];
    for (size_t i = localsBase_; i < locals_.size(); ++i) {
        if (locals_[i].IsSet()) {
            std::snprintf(head, sizeof head, "(%d) = ", locals_[i].id);
            dump->locals += Code_Variable_GetName(locals_[i].id);
            dump->locals += head;
            world_.printValue(&dump->locals, locals_[i].value);
            dump->locals += '\n';
        }
    }
    world_.printVariables(self_, &dump->self);
    world_.printVariables(nullptr, &dump->globals);
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
        varSelector = (--sp)->i + ((op->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
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
        varSelector = (--sp)->i + ((op->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
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
        // The world's write of a user variable always succeeds.
        WriteSlot(*slot, varValue.v, varIndex);
        BW_NEXT();
    }
    ++outsideWrites_;
    Value_OutOfRange().failed = false;
    const bool written = Write(varSelector, op->b, varIndex, &varValue.v);
    locals = FrameLocals();
    FreeOwned(varValue.v);
    if (!written) {
        return Fail(op, sp, WriteError(op->b));
    }
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
    CountBranch();
    op = op->target;
    BW_DISPATCH();
L_BranchTrue:
L_BranchFalse:
    CountBranch();
    if ((((--sp)->i & 0xFF) != 0) == (op->handler == VMHandler::BranchTrue)) {
        op = op->target;
        BW_DISPATCH();
    }
    BW_NEXT();
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
    op = op[4].target;
    // The test mostly reads the local just stepped: it takes the real at
    // hand rather than waiting for it to come back from memory.
    double head = stepped;
    if (op->k.i != stored) {
        const Local& test = locals[op->k.i];
        if (!test.IsReal()) {
            CountBranch();  // the branch back to the test
            BW_DISPATCH();  // the test's own handler takes its plain ops
        }
        head = test.value.real;
    }
    CountBranches(2);  // the branch back and the test's own
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
    op = TakeBranch(op + 3, VM_CompareReals(op[2].opcode, head - op->constant));
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
        varSelector = selector + ((op->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
        goto L_ReadVariable;
    }
    BW_PLAIN();
L_IndexedVariableStore:
    if (LocalIndexOf(locals, op + 1, &varIndex)) {
        const int32_t selector = op->k.i;
        op += 4;
        varSelector = selector + ((op->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
        varValue = *--sp;
        goto L_WriteVariable;
    }
    BW_PLAIN();
L_LocalIndexedVariableStore:
    if (locals[op->k.i].IsReal() && LocalIndexOf(locals, op + 2, &varIndex)) {
        const double real = locals[op->k.i].value.real;
        const VMNativeOp* const store = op + 5;
        varSelector = op[1].k.i + ((store->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
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
        const int32_t selector = op[1].k.i + ((read->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
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
    ++outsideWrites_;
    Value_OutOfRange().failed = false;
    const bool written = Write(op->a, op->b, kValueNoIndex, &value);
    locals = FrameLocals();
    FreeOwned(value);
    if (!written) {
        return Fail(op + 3, sp, WriteError(op->b));
    }
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
        op = TakeBranch(op + 1, truth);
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
    // The debugger may hold the game here and change what stops; then the
    // op runs through its own handler.
    VM_DebugCheck(*program_, *code_, *op, self_, other_);
    Thread(*unit_);
    goto* kHandlers[static_cast<uint8_t>(op->handler)];
}

#undef BW_PLAIN
#undef BW_NEXT
#undef BW_DISPATCH

}  // namespace

bool VM_Exec(const VMProgram& program, const CCode& code, CInstance* self, CInstance* other, Value* result)
{
    StackArea& stack = g_stack;
    if (stack.items == nullptr) {
        stack.items = std::make_unique<VMSlot[]>(kStackItems);
        stack.reserved = stack.items.get();
    }
    if (g_frames.frames == nullptr) {
        g_frames.frames = std::make_unique<ScriptFrame[]>(kMaxScriptFrames);
        g_frames.top = g_frames.frames.get();
    }
    VMSlot* const base = stack.reserved;
    if (stack.End() - base < program.unit.maxDepth) {
        Code_Report_Error(code.text.c_str(), code.IsProgram(), 0, "Stack overflow...");
        return false;
    }
    if (g_trace) {
        Console().Printf("script = %s\n", code.name.c_str());
    }
    stack.reserved = base + program.unit.maxDepth;
    bool ran = false;
    {
        Machine machine(program, code, self, other, result);
        ran = machine.Run(base);
    }
    stack.reserved = base;
    return ran;
}

void VM_ErrorCallStack(std::vector<ErrorStackFrame>* frames)
{
    if (g_failure.framesSet) {
        *frames = std::move(g_failure.frames);
        g_failure.framesSet = false;
    } else if (g_innermost != nullptr) {
        g_innermost->DescribeStack(frames);
    }
}

void VM_ErrorVariables(ErrorVariableDump* dump)
{
    if (g_failure.dumpSet) {
        *dump = std::move(g_failure.dump);
        g_failure.dumpSet = false;
    } else if (g_innermost != nullptr) {
        g_innermost->DescribeVariables(dump);
    }
}

bool VM_IsRunning()
{
    return g_innermost != nullptr;
}

void VM_RunningLocals(std::vector<VariableView>* locals)
{
    locals->clear();
    if (g_innermost != nullptr) {
        g_innermost->ListLocals(locals);
    }
}

void VM_SetTrace(bool trace)
{
    g_trace = trace;
}

uint32_t VM_BranchCount()
{
    return g_pumps * static_cast<uint32_t>(kPumpInterval) +
           static_cast<uint32_t>(kPumpInterval - g_branchesToPump);
}

}  // namespace bw
