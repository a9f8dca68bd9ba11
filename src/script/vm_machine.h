// The machine's own declarations, shared by the dispatch loop (vm.cpp) and
// by calls, script frames and with-statements (vm_call.cpp): the state every
// run shares, the frames of the scripts a machine runs on its own stack, and
// the Machine class. What the loop runs inline on a script call or a
// with-statement (script entry and return, the next instance) is defined
// here, so it stays visible to the loop. Private to the machine's files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/messages.h"
#include "script/code_stop.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/operators.h"
#include "script/resource_seams.h"
#include "script/verifier.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "script/vm_operators.h"
#include "script/world_access.h"

namespace bw::vm_machine {

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

// Branches left before the next pump, and the pumps so far: together the
// count of every branch taken, kept as a countdown because each branch
// pays for it.
extern int32_t g_branchesToPump;
extern uint32_t g_pumps;
extern bool g_trace;

// The shared stack area, made on the first run; reserved is the first item
// no running unit may use. The area never moves or grows while code runs:
// built-ins and the error path hold pointers into it.
struct StackArea {
    std::unique_ptr<VMSlot[]> items;
    VMSlot* reserved = nullptr;

    VMSlot* End() const { return items.get() + kStackItems; }
};

extern StackArea g_stack;

// One open with-statement: what to restore, and the instances still to
// visit (the next one at the back).
struct EnvFrame {
    CInstance* savedSelf = nullptr;
    CInstance* savedOther = nullptr;
    std::vector<CInstance*> pending;
};

// Most Values a frame releases are reals, which own nothing.
inline void FreeOwned(Value& value)
{
    if (value.ptr != nullptr) {
        Value_Free(value);
    }
}

// The arithmetic of a fused run with a constant right operand.
inline double WithConstant(const VMNativeOp* op, double left)
{
    return op->constantScales ? left * op->constant : left + op->constant;
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
const char* ScriptName(const CCode& code);
// With the trace on: the script about to be called, on either path of a
// call (on the machine's own stack or through the script table).
void TraceScriptCall(const CCode& code);

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

extern FrameArea g_frames;

class Machine;
// The innermost machine running; each keeps the one it interrupted.
extern Machine* g_innermost;

// The handlers' addresses by VMHandler, then the debugger's stop check;
// the machine's loop publishes them on its first run.
extern const void* const* g_handlers;
extern size_t g_stopCheck;

// Fills the unit's addresses, routing what the debugger stops at to the
// stop check.
void FillAddresses(const VerifiedUnit& unit, uint32_t epoch);

// Every run and script call asks; only a unit new here, or one threaded
// before the debugger changed which ops stop, is filled again. A change of
// what stops fills the units code runs in at once (VM_ThreadRunning), so a
// script's return finds its caller routed and asks nothing.
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
extern FailureContext g_failure;

class Machine {
public:
    // Forced inline into the run's entry, which every event's code passes:
    // out of its file the compiler would otherwise call it.
    [[gnu::always_inline]] Machine(const VMProgram& program, const CCode& code, CInstance* self, CInstance* other, Value* result)
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
    // Runs a unit the verifier marked checked (vm_checked.cpp).
    bool RunChecked();

    // The frames of this machine and the ones it interrupted, innermost
    // first, each at the instruction it is running.
    void DescribeStack(std::vector<ErrorStackFrame>* frames) const;
    // The innermost frame's set locals, and its self instance's and the
    // global variables.
    void DescribeVariables(ErrorVariableDump* dump) const;
    // Threads the units this machine and those it interrupted run in: their
    // own and those of the callers waiting on their scripts' frames.
    void ThreadRunning() const;
    void ListLocals(std::vector<VariableView>* locals) const
    {
        for (size_t i = localsBase_; i < locals_.size(); ++i) {
            if (locals_[i].IsSet()) {
                locals->push_back({locals_[i].id, &locals_[i].value});
            }
        }
    }

private:
    // The checked path keeps its own typed stack and uses the machine's
    // variable access, calls, with-frames and error report.
    friend class CheckedRun;

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
        Code_Report_Error(code_->text.c_str(), code_->IsProgram(), PositionOf(op->offset), message);
        return Unwind(op, sp, true);
    }
    bool Fail(const VMNativeOp* op, VMSlot* sp, const std::string& message) { return Fail(op, sp, message.c_str()); }

    // Ends the run at op, reporting nothing, once the runner's end is due
    // (code_stop.h).
    bool Stop(const VMNativeOp* op, VMSlot* sp) { return Unwind(op, sp, false); }

    // Releases what the stack holds after op and leaves every script the
    // machine runs itself, each naming itself in the pending message when
    // one is reported.
    bool Unwind(const VMNativeOp* op, VMSlot* sp, bool reported)
    {
        Release(op, sp);
        while (InScript()) {
            if (reported) {
                const std::string prefix = std::string("In script ") + ScriptName(*code_) + ":\n";
                Code_Error_PrefixPending(prefix.c_str());
            }
            const VMNativeOp* call = g_frames.top[-1].call;
            sp = Leave(Value{});
            Release(call, sp);
        }
        return false;
    }

    // Frees the argc arguments of a call that is not made and leaves real 0
    // in their place, as a call that fails leaves its result.
    static void DropCallArguments(VMSlot*& sp, int32_t argc)
    {
        sp -= argc;
        for (int32_t k = 0; k < argc; ++k) {
            Value_Free(sp[k].v);
        }
        sp->v = Value{};
        ++sp;
    }

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
    bool WriteOutside(const VMNativeOp* op, int32_t selector, int32_t id, int32_t index, Value* in);
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
    // the window alive; what the messages run is outside the machine. Every
    // branch is also where a loop goes round, so it asks whether the
    // runner's end stops the run: false when it does.
    bool CountBranch() { return CountBranches(1); }

    // Counts the branches of a fused run at once; a run takes at most two,
    // so it passes at most one multiple of the pump interval.
    bool CountBranches(int32_t count)
    {
        g_branchesToPump -= count;
        if (g_branchesToPump <= 0 || Code_StopAsked()) [[unlikely]] {
            return BranchCheckpoint();
        }
        return true;
    }

    // Out of line: every branch handler holds the test above.
    [[gnu::noinline]] bool BranchCheckpoint()
    {
        if (g_branchesToPump <= 0) {
            g_branchesToPump += kPumpInterval;
            ++g_pumps;
            ++outsideWrites_;
            ProcessMessages();
            // A debugger's pause must reach code that loops without end:
            // its break re-routes the running units' ops to the stop check.
            VM_DebugPoll();
        }
        return !Code_StopDue();
    }

    // The op after the conditional branch once its truth is known.
    static const VMNativeOp* BranchTarget(const VMNativeOp* branch, bool truth)
    {
        return truth == (branch->plain == VMHandler::BranchTrue) ? branch->target : branch + 1;
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
    // False when the index is out of range (nothing is stored).
    static bool WriteSlot(Value& slot, Value& value, int32_t index)
    {
        if (index == kValueNoIndex) {
            FreeOwned(slot);
            slot = value;
            return true;
        }
        if (Value_Kind(value) == kValueReal && StoreRealInPlace(slot, index, value.kind, value.real)) {
            return true;
        }
        Value_OutOfRange().failed = false;
        Value_ArraySet(slot, value, index);
        FreeOwned(value);
        return !Value_OutOfRange().failed;
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

// The unit of script index when the machine can run it on its own stack:
// compiled to bytecode for the engine in use. Any other script goes through
// Script_Execute.
const CCode* OwnStackUnit(const CCode* callee);

// The script op calls when the machine runs it itself: it needs argument
// slots to fill and instances to run for. The answer for the unit is kept
// in the op while the script code version stands still (the engine in use
// is part of it).
inline const CCode* Machine::InlineScript(const VMNativeOp* op) const
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
        DropCallArguments(sp, argc);
        return Fail(op, sp, "Stack overflow...");
    }
    if (g_trace) {
        TraceScriptCall(callee);
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

// Makes the next instance of the innermost with-frame that is still live
// self; false when none is left. Instances the body destroyed are skipped.
inline bool Machine::NextInstance()
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

inline void Machine::CloseEnv()
{
    self_ = envs_.back().savedSelf;
    other_ = envs_.back().savedOther;
    envs_.pop_back();
}

}  // namespace bw::vm_machine
