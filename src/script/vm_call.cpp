// Calls, script frames and with-statements of the machine: a run's entry,
// a call made out of the dispatch loop, the with-frames, and the frames an
// error report and the debugger see. The dispatch loop is in vm.cpp.
#include "script/vm.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/resource_seams.h"
#include "script/vm_debug.h"
#include "script/vm_machine.h"
#include "script/world_access.h"

namespace bw {

namespace vm_machine {

namespace {

constexpr char kScriptUnitPrefix[] = "Script.";
// A with over this many live instances or fewer visits them in list order.
constexpr size_t kMostInListOrder = 2;

// Whether at most count of the instances are live; looks no further than
// the live one past count.
bool AtMostLive(const WorldAccess& world, const std::vector<CInstance*>& list, size_t count)
{
    size_t live = 0;
    for (auto at = list.begin(); at != list.end() && live <= count; ++at) {
        live += world.isLive(*at) ? 1 : 0;
    }
    return live <= count;
}

}  // namespace

bool g_trace = false;
StackArea g_stack;
FrameArea g_frames;
Machine* g_innermost = nullptr;
FailureContext g_failure;

const char* ScriptName(const CCode& code)
{
    const std::string& name = code.name;
    return name.compare(0, sizeof(kScriptUnitPrefix) - 1, kScriptUnitPrefix) == 0
               ? name.c_str() + sizeof(kScriptUnitPrefix) - 1
               : name.c_str();
}

void TraceScriptCall(const CCode& code)
{
    Console().Printf("script call = %s\n", ScriptName(code));
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
    // One or two live instances run in list order, more from the last back
    // to the first; the next to visit is kept at the back. Destroyed and
    // deactivated ones never count: the visit skips them.
    if (AtMostLive(world_, list, kMostInListOrder)) {
        std::erase_if(list, [this](const CInstance* instance) { return !world_.isLive(instance); });
        std::reverse(list.begin(), list.end());
    }
    other_ = self_;
    *runBody = NextInstance();
    return nullptr;
}

const CCode* OwnStackUnit(const CCode* callee)
{
    // A checked unit runs on its own path, entered through Script_Execute.
    if (callee == nullptr || !callee->compiled || !callee->IsProgram() || callee->bytecode == nullptr ||
        callee->bytecode->unit.checked || (!Code_UseBytecode() && callee->root.kind != kNodeUnset)) {
        return nullptr;
    }
    return callee;
}

bool Machine::CallOutside(const VMNativeOp* op, VMSlot*& sp)
{
    const int32_t argc = op->a;
    const int32_t id = op->b;
    if (argc > kMaxCallArguments) {
        DropCallArguments(sp, argc);
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
        // Only a script with code to run is named: an unknown one is an
        // error, one without code gives 0 at once.
        const CCode* callee = g_trace ? Script_GetCode(id - kScriptFunctionIdBase) : nullptr;
        if (callee != nullptr) {
            TraceScriptCall(*callee);
        }
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
    // A callee the runner's end stopped failed with nothing to report, or
    // handed back what its caller may not be able to use ("ERROR" from
    // script_execute): the caller stops as well. A callee's own error is
    // still reported.
    if (Code_StopDue() && !Code_Error_HasPending()) {
        return Stop(op, sp);
    }
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

void Machine::ThreadRunning() const
{
    for (const Machine* machine = this; machine != nullptr; machine = machine->outer_) {
        if (!machine->unit_->checked) {  // the checked path asks the debugger op by op
            Thread(*machine->unit_);
        }
    }
    for (const ScriptFrame* frame = g_frames.frames.get(); frame != g_frames.top; ++frame) {
        Thread(frame->program->unit);
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

}  // namespace vm_machine

using namespace vm_machine;

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
        ran = program.unit.checked ? machine.RunChecked() : machine.Run(base);
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

void VM_ThreadRunning()
{
    if (g_innermost != nullptr) {
        g_innermost->ThreadRunning();
    }
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

}  // namespace bw
