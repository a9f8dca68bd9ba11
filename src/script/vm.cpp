#include "script/vm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/memory.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/resource_seams.h"
#include "script/vm_operators.h"
#include "script/world_access.h"

namespace bw {

namespace {

constexpr int32_t kMaxCallArguments = 16;
static_assert(kMaxCallArguments == kScriptArgumentSlotCount);
constexpr uint32_t kPumpMask = 0xFFF;
// Items of the one stack area every run shares: runs nested through
// built-ins start above the runs they interrupt, and scripts the machine
// runs itself stack their frames in it. Filling it is the recursion cap.
constexpr size_t kStackItems = size_t{1} << 16;
// Scripts one run may nest: a script that calls itself in tail position
// takes no stack items, so the frames have a cap of their own.
constexpr size_t kMaxScriptFrames = 4096;
constexpr char kScriptUnitPrefix[] = "Script.";

uint32_t g_branchCount = 0;
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

// Most Values a frame releases are reals, which own nothing.
inline void FreeOwned(Value& value)
{
    if (value.ptr != nullptr) {
        Value_Free(value);
    }
}

// Adds, subtracts and multiplies of reals cannot fail and make up most of
// numeric loops, so they skip the call that serves every opcode.
inline bool DoubleArithmetic(uint8_t opcode, double a, double b, double* out)
{
    switch (opcode) {
    case kOpAdd: *out = a + b; return true;
    case kOpSub: *out = a - b; return true;
    case kOpMul: *out = a * b; return true;
    default: return VM_DoubleArithmetic(opcode, a, b, out);
    }
}

// A local of the run. Locals live only as long as their run and nothing
// outside it reads them, so the machine keeps them itself.
struct Local {
    int32_t id = 0;
    bool defined = false;
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
    size_t envDepth;
    CInstance* self;
    CInstance* other;
    Value* slots;  // the world's argument slots and count
    int32_t* count;
    int32_t argumentCount;
    Value arguments[kMaxCallArguments];  // the caller's argument slots
};

class Machine {
public:
    Machine(const VMProgram& program, const CCode& code, CInstance* self, CInstance* other, Value* result)
        : self_(self), other_(other), result_(result)
    {
        Enter(program, code);
    }
    ~Machine()
    {
        for (Local& local : locals_) {
            Value_Free(local.value);
        }
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    bool Run(VMSlot* stack);

private:
    // Stops the run at op: releases what the stack holds after it and
    // reports the message at op's source line.
    // An error inside scripts the machine runs itself ends them all, each
    // adding its name to the message as Script_Execute does.
    bool Fail(const VMNativeOp* op, VMSlot* sp, const char* message)
    {
        Release(op, sp);
        Code_Report_Error(code_->text.c_str(), code_->IsProgram(), PositionOf(op->offset), message);
        while (!frames_.empty()) {
            const std::string prefix = std::string("In script ") + ScriptName(*code_) + ":\n";
            Code_Error_PrefixPending(prefix.c_str());
            const VMNativeOp* call = frames_.back().call;
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
        int32_t node = unit_->exitNode[static_cast<size_t>(op - unit_->ops.data())];
        while (node >= 0) {
            const VerifiedUnit::TypeNode& item = unit_->typeNodes[static_cast<size_t>(node)];
            VM_FreeItem(*--sp, item.type);
            node = item.below;
        }
    }

    Local& LocalNamed(int32_t id);
    static bool ReadLocal(const Local& local, int32_t index, Value* out);
    static bool WriteLocal(Local& local, int32_t index, Value* in);
    bool Read(int32_t selector, int32_t id, int32_t index, Value* out);
    bool Write(int32_t selector, int32_t id, int32_t index, const Value* in);
    std::string ReadError(int32_t selector, int32_t id, int32_t index) const;
    std::string WriteError(int32_t id) const;
    const char* PushEnv(int32_t selector, bool* runBody);
    bool NextInstance();
    void CloseEnv();
    bool Call(const VMNativeOp*& op, VMSlot*& sp);
    const CCode* InlineScript(int32_t index) const;
    bool EnterScript(const VMNativeOp*& op, VMSlot*& sp, const CCode& callee, int32_t argc);
    void Enter(const VMProgram& program, const CCode& code);
    VMSlot* Leave(Value result);

    Local* FrameLocals() { return locals_.data() + localsBase_; }

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
    std::vector<ScriptFrame> frames_;
};

// Starts program's locals above the caller's.
void Machine::Enter(const VMProgram& program, const CCode& code)
{
    program_ = &program;
    unit_ = &program.unit;
    code_ = &code;
    localsBase_ = locals_.size();
    for (const int32_t id : unit_->localIds) {
        locals_.push_back({id, false, Value{}});
    }
}

Local& Machine::LocalNamed(int32_t id)
{
    for (size_t i = localsBase_; i < locals_.size(); ++i) {
        if (locals_[i].id == id) {
            return locals_[i];
        }
    }
    locals_.push_back({id, false, Value{}});
    return locals_.back();
}

bool Machine::ReadLocal(const Local& local, int32_t index, Value* out)
{
    if (!local.defined) {
        return false;
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
        local.defined = true;
        return true;
    }
    Value_ArraySet(local.value, *in, index);
    Value_Free(*in);
    local.defined = true;
    return !Value_OutOfRange().failed;
}

bool Machine::Read(int32_t selector, int32_t id, int32_t index, Value* out)
{
    const WorldAccess& world = Code_WorldAccess();
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
    const WorldAccess& world = Code_WorldAccess();
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
    Code_WorldAccess().collectInstances(selector, &list);
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
        if (Code_WorldAccess().isLive(next)) {
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
// compiled to bytecode for the engine in use, with argument slots to fill
// and instances to run for. Any other script goes through Script_Execute.
const CCode* Machine::InlineScript(int32_t index) const
{
    const CCode* callee = Script_GetCode(index);
    if (callee == nullptr || !callee->compiled || !callee->IsProgram() || callee->bytecode == nullptr ||
        (!Code_UseBytecode() && callee->root.kind != kNodeUnset)) {
        return nullptr;
    }
    if (Code_WorldAccess().argumentSlots == nullptr || self_ == nullptr || other_ == nullptr) {
        return nullptr;
    }
    return callee;
}

// Starts callee above the caller's items: its arguments (argument 0 on top)
// move into the argument slots, whose old contents the frame keeps.
bool Machine::EnterScript(const VMNativeOp*& op, VMSlot*& sp, const CCode& callee, int32_t argc)
{
    VMSlot* const base = sp - argc;
    const VerifiedUnit& unit = callee.bytecode->unit;
    StackArea& stack = g_stack;
    if (stack.End() - base < std::max(unit.maxDepth, 1) || frames_.size() >= kMaxScriptFrames) {
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
    const WorldAccess& world = Code_WorldAccess();
    frames_.emplace_back();
    ScriptFrame& frame = frames_.back();
    frame.program = program_;
    frame.code = code_;
    frame.call = op;
    frame.base = base;
    frame.reserved = stack.reserved;
    frame.localsBase = localsBase_;
    frame.envDepth = envs_.size();
    frame.self = self_;
    frame.other = other_;
    frame.slots = world.argumentSlots;
    frame.count = world.argumentCount;
    frame.argumentCount = *frame.count;
    for (int32_t i = 0; i < kMaxCallArguments; ++i) {
        frame.arguments[i] = frame.slots[i];
        frame.slots[i] = i < argc ? base[argc - 1 - i].v : Value{};
    }
    *frame.count = argc;
    stack.reserved = std::max(stack.reserved, base + unit.maxDepth);
    Enter(*callee.bytecode, callee);
    op = unit_->ops.data();
    sp = base;
    return true;
}

// Ends the innermost script the machine runs itself: its locals and open
// with-statements go, the caller's state and argument slots come back, and
// result takes the arguments' place. Answers the new stack pointer.
VMSlot* Machine::Leave(Value result)
{
    ScriptFrame& frame = frames_.back();
    for (size_t i = localsBase_; i < locals_.size(); ++i) {
        FreeOwned(locals_[i].value);
    }
    locals_.resize(localsBase_);
    envs_.resize(frame.envDepth);
    self_ = frame.self;
    other_ = frame.other;
    for (int32_t i = 0; i < kMaxCallArguments; ++i) {
        FreeOwned(frame.slots[i]);
        frame.slots[i] = frame.arguments[i];
    }
    *frame.count = frame.argumentCount;
    program_ = frame.program;
    unit_ = &frame.program->unit;
    code_ = frame.code;
    localsBase_ = frame.localsBase;
    g_stack.reserved = frame.reserved;
    VMSlot* const sp = frame.base;
    sp->v = result;
    frames_.pop_back();
    return sp + 1;
}

// Leaves op at the next instruction to run: the one after the call, or the
// first of a script the machine runs itself.
bool Machine::Call(const VMNativeOp*& op, VMSlot*& sp)
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
    if (id >= kScriptFunctionIdBase && id < kExtensionFunctionIdBase) {
        if (const CCode* callee = InlineScript(id - kScriptFunctionIdBase)) {
            return EnterScript(op, sp, *callee, argc);
        }
    }
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
    ++op;
    return true;
}

bool Machine::Run(VMSlot* const stack)
{
    const VMNativeOp* ops = unit_->ops.data();
    const VMNativeOp* op = ops;
    VMSlot* sp = stack;
    for (;;) {
        switch (op->handler) {
        case VMHandler::Nop:
        case VMHandler::Trap:
            break;
        case VMHandler::End:
        case VMHandler::Exit: {
            Release(op, sp);
            if (frames_.empty()) {
                return true;
            }
            const VMNativeOp* const call = frames_.back().call;
            sp = Leave(Value{});  // a script that gives no value gives real 0
            op = call + 1;
            ops = unit_->ops.data();
            continue;
        }
        case VMHandler::PushDouble:
            sp->d = op->k.d;
            ++sp;
            break;
        case VMHandler::PushInt:
        case VMHandler::PushBool:
            sp->i = op->k.i;
            ++sp;
            break;
        case VMHandler::PushInt64:
            sp->l = op->k.l;
            ++sp;
            break;
        case VMHandler::PushString:
            sp->s = CopyText(op->k.s);
            ++sp;
            break;
        case VMHandler::PushVariable: {
            const int32_t index = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
            int32_t selector = op->a;
            if ((op->flags & kVarRefSelectorInWord) == 0) {
                selector = (--sp)->i + ((op->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
            }
            sp->v = Value{};
            Value_OutOfRange().failed = false;
            const bool read = Read(selector, op->b, index, &sp->v);
            ++sp;
            if (!read) {
                if (Code_WorldAccess().strictReads()) {
                    return Fail(op, sp, ReadError(selector, op->b, index));
                }
                Value_SetReal(sp[-1].v, 0.0);
            }
            break;
        }
        case VMHandler::PushLocal: {
            const int32_t index = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
            const Local& local = FrameLocals()[op->k.i];
            sp->v = Value{};
            if (local.defined && index == kValueNoIndex && Value_Kind(local.value) == kValueReal) {
                sp->v.real = local.value.real;
                ++sp;
                break;
            }
            Value_OutOfRange().failed = false;
            const bool read = ReadLocal(local, index, &sp->v);
            ++sp;
            if (!read) {
                if (Code_WorldAccess().strictReads()) {
                    return Fail(op, sp, ReadError(kSelectorLocal, op->b, index));
                }
                Value_SetReal(sp[-1].v, 0.0);
            }
            break;
        }
        case VMHandler::PopLocal: {
            Local& target = FrameLocals()[op->k.i];
            // A whole variable item stored over a real releases nothing:
            // the common assignment just moves it in.
            if ((op->flags & kVarRefNoIndex) != 0 && op->u == kTypeVariable &&
                Value_Kind(target.value) == kValueReal) {
                target.value = (--sp)->v;
                target.defined = true;
                break;
            }
            const int32_t index = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
            VMSlot value = *--sp;
            VM_ToValue(value, op->u);
            Value_OutOfRange().failed = false;
            if (!WriteLocal(target, index, &value.v)) {
                return Fail(op, sp, WriteError(op->b));
            }
            break;
        }
        case VMHandler::PopVariable:
        case VMHandler::PopVariableTop: {
            VMSlot value;
            if (op->handler == VMHandler::PopVariableTop) {
                value = *--sp;
            }
            const int32_t index = (op->flags & kVarRefNoIndex) != 0 ? kValueNoIndex : (--sp)->i;
            int32_t selector = op->a;
            if ((op->flags & kVarRefSelectorInWord) == 0) {
                selector = (--sp)->i + ((op->flags & kVarRefInstanceId) != 0 ? kInstanceIdBase : 0);
            }
            if (op->handler == VMHandler::PopVariable) {
                value = *--sp;
            }
            VM_ToValue(value, op->u);
            Value_OutOfRange().failed = false;
            const bool written = Write(selector, op->b, index, &value.v);
            Value_Free(value.v);
            if (!written) {
                return Fail(op, sp, WriteError(op->b));
            }
            break;
        }
        case VMHandler::Rotate: {
            const VMSlot top = sp[-1];
            std::memmove(static_cast<void*>(sp - op->a), sp - op->a - 1, sizeof(VMSlot) * static_cast<size_t>(op->a));
            sp[-op->a - 1] = top;
            sp -= op->b;
            break;
        }
        case VMHandler::DupBlock:
            std::memcpy(static_cast<void*>(sp), sp - op->a, sizeof(VMSlot) * static_cast<size_t>(op->a));
            sp += op->a;
            break;
        case VMHandler::DupRepeat:
            for (int32_t i = 0; i < op->a; ++i, ++sp) {
                if (op->t == kTypeString) {
                    sp->s = CopyText(sp[-1 - i].s);
                } else {
                    sp->v = Value{};
                    Value_Copy(sp->v, sp[-1 - i].v);
                }
            }
            break;
        case VMHandler::Popz:
            VM_FreeItem(*--sp, op->t);
            break;
        case VMHandler::Conv:
            if (const char* error = VM_Convert(sp[-1], op->t, op->u); error != nullptr) {
                return Fail(op, sp, error);
            }
            break;
        case VMHandler::ArithmeticIntInt: {
            int32_t out = 0;
            if (!VM_IntArithmetic(op->opcode, sp[-2].i, sp[-1].i, &out)) {
                --sp;
                sp[-1].i = 0;
                return Fail(op, sp, VM_DivideByZeroError(op->opcode));
            }
            --sp;
            sp[-1].i = out;
            break;
        }
        case VMHandler::ArithmeticDoubleDouble: {
            double out = 0.0;
            if (!DoubleArithmetic(op->opcode, sp[-2].d, sp[-1].d, &out)) {
                --sp;
                sp[-1].d = 0.0;
                return Fail(op, sp, VM_DivideByZeroError(op->opcode));
            }
            --sp;
            sp[-1].d = out;
            break;
        }
        case VMHandler::Arithmetic: {
            // Reals held in variables are the common case of text-compiled
            // code; they take the real path without unwrapping.
            VMSlot& left = sp[-2];
            const VMSlot& right = sp[-1];
            if (op->u == kTypeVariable && Value_Kind(left.v) == kValueReal &&
                ((op->t == kTypeVariable && Value_Kind(right.v) == kValueReal) || op->t == kTypeInt ||
                 op->t == kTypeDouble)) {
                const double b = op->t == kTypeVariable ? right.v.real : op->t == kTypeInt ? right.i : right.d;
                double out = 0.0;
                if (DoubleArithmetic(op->opcode, left.v.real, b, &out)) {
                    left.v.real = out;
                    --sp;
                    break;
                }
            }
            --sp;
            if (const char* error = VM_Arithmetic(op->opcode, sp[-1], op->u, *sp, op->t, op->result);
                error != nullptr) {
                return Fail(op, sp, error);
            }
            break;
        }
        case VMHandler::Compare: {
            if (op->u == kTypeVariable && Value_Kind(sp[-2].v) == kValueReal &&
                ((op->t == kTypeVariable && Value_Kind(sp[-1].v) == kValueReal) || op->t == kTypeInt ||
                 op->t == kTypeDouble)) {
                const double b = op->t == kTypeVariable ? sp[-1].v.real : op->t == kTypeInt ? sp[-1].i : sp[-1].d;
                const bool truth = VM_CompareReals(op->opcode, sp[-2].v.real - b);
                --sp;
                sp[-1].l = 0;
                sp[-1].i = truth ? 1 : 0;
                break;
            }
            --sp;
            if (const char* error = VM_Compare(op->opcode, sp[-1], op->u, *sp, op->t); error != nullptr) {
                return Fail(op, sp, error);
            }
            break;
        }
        case VMHandler::Neg:
            if (const char* error = VM_Negate(sp[-1], op->t); error != nullptr) {
                return Fail(op, sp, error);
            }
            break;
        case VMHandler::Not:
            if (const char* error = VM_Not(sp[-1], op->t); error != nullptr) {
                return Fail(op, sp, error);
            }
            break;
        case VMHandler::Branch:
            if ((++g_branchCount & kPumpMask) == 0) {
                ProcessMessages();
            }
            op = ops + op->a;
            continue;
        case VMHandler::BranchTrue:
        case VMHandler::BranchFalse: {
            if ((++g_branchCount & kPumpMask) == 0) {
                ProcessMessages();
            }
            const bool truth = ((--sp)->i & 0xFF) != 0;
            if (truth == (op->handler == VMHandler::BranchTrue)) {
                op = ops + op->a;
                continue;
            }
            break;
        }
        case VMHandler::PushEnv: {
            bool runBody = false;
            if (const char* error = PushEnv((--sp)->i, &runBody); error != nullptr) {
                return Fail(op, sp, error);
            }
            if (!runBody) {
                op = ops + op->a;
                continue;
            }
            break;
        }
        case VMHandler::PopEnv:
            if (NextInstance()) {
                op = ops + op->a;
                continue;
            }
            CloseEnv();
            break;
        case VMHandler::PopEnvExit:
            CloseEnv();
            break;
        case VMHandler::Ret: {
            VMSlot value = *--sp;
            VM_ToValue(value, op->t);
            Release(op, sp);
            if (frames_.empty()) {
                Value_Free(*result_);
                *result_ = value.v;
                return true;
            }
            const VMNativeOp* const call = frames_.back().call;
            sp = Leave(value.v);
            op = call + 1;
            ops = unit_->ops.data();
            continue;
        }
        case VMHandler::Call:
            if (!Call(op, sp)) {
                return false;
            }
            ops = unit_->ops.data();
            continue;
        case VMHandler::IndexCheck:
            if (sp[-1].i < 0) {
                return Fail(op, sp, "Array index must be +'ve");
            }
            if (sp[-1].i >= kArrayIndexLimit) {
                char message[64];
                std::snprintf(message, sizeof(message), "Array index must be < %d", kArrayIndexLimit);
                return Fail(op, sp, message);
            }
            break;
        }
        ++op;
    }
}

}  // namespace

bool VM_Exec(const VMProgram& program, const CCode& code, CInstance* self, CInstance* other, Value* result)
{
    StackArea& stack = g_stack;
    if (stack.items == nullptr) {
        stack.items = std::make_unique<VMSlot[]>(kStackItems);
        stack.reserved = stack.items.get();
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

void VM_SetTrace(bool trace)
{
    g_trace = trace;
}

uint32_t VM_BranchCount()
{
    return g_branchCount;
}

}  // namespace bw
