#include "online/debugger/debugger_link.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "host/clock.h"
#include "host/window.h"
#include "online/debugger/debug_eval.h"
#include "online/debugger/debug_protocol.h"
#include "online/debugger/debug_state.h"
#include "online/debugger/debug_window.h"
#include "online/network/network.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "resources/script.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "world/builtin_variables.h"
#include "world/event.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/run_loop.h"

namespace bw {

namespace {

constexpr uint32_t kSymbolsVersion = 1;
constexpr int32_t kSymbolEventTypes = 11;
constexpr int64_t kPausedPollMilliseconds = 2;
// A client pairs each reply with its command, so a reply goes whole or the
// link closes: behind a client that reads slowly the link waits (the game
// is held meanwhile, and a quit ends the wait), and a client that has taken
// nothing for this long has stopped reading for good.
constexpr int32_t kReplyStallMilliseconds = 10000;
constexpr uint32_t kTagRevision = 0x5645525F;
constexpr uint32_t kTagCode = 0x434F4445;
constexpr uint32_t kTagObjects = 0x4F424A5F;
constexpr uint32_t kTagScripts = 0x53435254;
constexpr uint32_t kTagFunctions = 0x46554E43;

enum class Resume { None, Step, StepOver };

int32_t g_server = -1;
int32_t g_connection = -1;
bool g_waiting = false;  // the machine is held at a stop
bool g_polling = false;  // code the debugger runs may loop back into a poll
Resume g_resume = Resume::None;

// Serves the debugger server once; a poll made from code that a command of
// this poll runs (an evaluation that loops) does nothing.
void PollServer()
{
    if (g_server < 0 || g_polling) {
        return;
    }
    g_polling = true;
    Network_PollServer(g_server);
    g_polling = false;
}

// False when the reply could not go whole: the connection must then close.
[[nodiscard]] bool Send(const DebugReply& reply)
{
    return g_connection < 0 ||
           Network_SendRawWhole(g_connection, reply.Data(), kReplyStallMilliseconds, &HostWindow_QuitRequested) >= 0;
}

// A count written before its list and filled in once the list is written.
class CountedList {
public:
    explicit CountedList(DebugReply& reply) : m_reply(reply), m_at(reply.Size()) { reply.U32(0); }
    ~CountedList() { m_reply.PatchU32(m_at, m_count); }
    CountedList(const CountedList&) = delete;
    CountedList& operator=(const CountedList&) = delete;
    void Count() { ++m_count; }

private:
    DebugReply& m_reply;
    size_t m_at;
    uint32_t m_count = 0;
};

uint32_t BytecodeLength(const CCode* code)
{
    return code != nullptr && code->bytecode != nullptr
               ? static_cast<uint32_t>(code->bytecode->unit.words.size() * sizeof(uint32_t))
               : 0;
}

void WriteCodeUnit(DebugReply& reply, CountedList& units, const CCode* code)
{
    if (code == nullptr || code->bytecode == nullptr) {
        return;
    }
    const std::vector<uint32_t>& words = code->bytecode->unit.words;
    reply.U32(Code_Identity(*code));
    reply.String(code->name);
    reply.Bytes(std::span(reinterpret_cast<const uint8_t*>(words.data()), words.size() * sizeof(uint32_t)));
    units.Count();
}

// The package's units in code list order, then those compiled from text,
// each under the identity the state record and breakpoints use.
void WriteCodeUnits(DebugReply& reply)
{
    reply.U32(kTagCode);
    CountedList units(reply);
    for (int32_t i = 0; i < Code_List_Count(); ++i) {
        WriteCodeUnit(reply, units, Code_List_Find(i));
    }
    for (const CCode* code : Code_TextUnits()) {
        WriteCodeUnit(reply, units, code);
    }
}

// The events of one type: a count, then number, code identity, bytecode
// length and unit name of each.
void WriteEvents(DebugReply& reply, const std::vector<std::unique_ptr<CEvent>>& events)
{
    CountedList present(reply);
    for (size_t number = 0; number < events.size(); ++number) {
        if (events[number] == nullptr || !events[number]->IsPresent()) {
            continue;
        }
        const CCode* code = events[number]->BoundCode();
        reply.U32(static_cast<uint32_t>(number));
        reply.U32(code != nullptr ? Code_Identity(*code) : kDebugNoCode);
        reply.U32(BytecodeLength(code));
        reply.String(code != nullptr ? code->name : "");
        present.Count();
    }
}

void WriteObjects(DebugReply& reply)
{
    static const std::vector<std::unique_ptr<CEvent>> kNoEvents;
    reply.U32(kTagObjects);
    reply.U32(static_cast<uint32_t>(std::max(Object_Count(), 0)));
    for (int32_t i = 0; i < Object_Count(); ++i) {
        const CObject* object = Object_Find(i);
        const CObject blank(i);
        const CObject& shown = object != nullptr ? *object : blank;
        reply.U32(static_cast<uint32_t>(i));
        for (const int32_t word : {static_cast<int32_t>(shown.flags), shown.sprite, shown.depth, shown.parent,
                                   shown.mask}) {
            reply.U32(static_cast<uint32_t>(word));
        }
        reply.String(object != nullptr ? Object_Name(i) : "");
        for (int32_t type = 0; type < kSymbolEventTypes; ++type) {
            WriteEvents(reply, object != nullptr ? object->events[static_cast<size_t>(type)] : kNoEvents);
        }
    }
}

void WriteScripts(DebugReply& reply)
{
    reply.U32(kTagScripts);
    CountedList scripts(reply);
    for (int32_t i = 0; i < Script_Count(); ++i) {
        const CScript* script = Script_Get(i);
        const CCode* code = script != nullptr ? script->GetCode() : nullptr;
        if (code == nullptr) {
            continue;
        }
        reply.U32(Code_Identity(*code));
        reply.U32(BytecodeLength(code));
        reply.String(Script_GetName(i));
        scripts.Count();
    }
}

void WriteNames(DebugReply& reply)
{
    reply.U32(kTagFunctions);
    reply.U32(static_cast<uint32_t>(Code_Function_Count()));
    for (int32_t i = 0; i < Code_Function_Count(); ++i) {
        const char* name = nullptr;
        BuiltinFunctionProc function = nullptr;
        int32_t argc = 0;
        Code_Function_GetInfo(i, &name, &function, &argc);
        reply.String(name != nullptr ? name : "");
    }
    std::vector<const char*> builtins;
    for (int32_t id = 0; id < kBuiltinVariableCapacity; ++id) {
        if (const char* name = Variable_BuiltIn_Name(id)) {
            builtins.push_back(name);
        }
    }
    reply.U32(static_cast<uint32_t>(builtins.size()));
    for (const char* name : builtins) {
        reply.String(name);
    }
    reply.U32(static_cast<uint32_t>(Code_Variable_Count()));
    for (int32_t i = 0; i < Code_Variable_Count(); ++i) {
        reply.U32(static_cast<uint32_t>(kUserVariableIdBase + i));
        reply.String(Code_Variable_Name(kUserVariableIdBase + i));
    }
}

void WriteSymbols(DebugReply& reply)
{
    reply.U32(kDebugSymbols);
    reply.U32(kTagRevision);
    reply.U32(kSymbolsVersion);
    WriteCodeUnits(reply);
    WriteObjects(reply);
    WriteScripts(reply);
    WriteNames(reply);
}

bool Evaluate(const DebugCommand& command)
{
    DebugReply reply;
    reply.U32(kDebugEvaluate);
    const size_t lengthAt = reply.Size();
    reply.U32(0);
    reply.U32(static_cast<uint32_t>(command.requests.size()));
    for (const DebugEvaluateRequest& request : command.requests) {
        reply.U32(request.id);
        Value result{};
        if (!Debug_Evaluate(request.text.c_str(), "execute_debug_script", nullptr, &result)) {
            reply.U8(kValueString);
            reply.String(kDebugUnableToEvaluate);
        } else if (Value_Kind(result) == kValueReal) {
            reply.U8(kValueReal);
            reply.F64(result.real);
        } else {
            reply.U8(kValueString);
            reply.String(Debug_FormatValue(result));
        }
        Value_Free(result);
    }
    reply.PatchU32(lengthAt, static_cast<uint32_t>(reply.Size()));
    return Send(reply);
}

// Run, step and step over act only on a game that is held: one that runs
// has nothing to resume, and resuming would restart its clock.
bool Held()
{
    return g_waiting || Run_IsPaused();
}

void RunOn()
{
    VM_Debug_RequestStep(false);
    VM_Debug_RequestBreak(false);
    Run_DebugResume();
}

// False when the command's reply could not be sent.
bool Execute(const DebugCommand& command)
{
    switch (command.code) {
    case kDebugInfo: {
        DebugReply reply;
        reply.U32(Held() ? 1 : 0);
        if (Held()) {
            VM_DebugWriteInstance(reply);
        }
        return Send(reply);
    }
    case kDebugSymbols: {
        DebugReply reply;
        WriteSymbols(reply);
        return Send(reply);
    }
    case kDebugPause:
        VM_Debug_RequestStep(false);
        // Code that is running (the machine polls from its loops) stops
        // before its next op; between frames the main loop holds the game.
        VM_Debug_RequestBreak(!g_waiting && VM_IsRunning());
        Run_DebugPause();
        break;
    case kDebugRun:
        if (Held()) {
            RunOn();
        }
        break;
    case kDebugStep:
        if (g_waiting) {
            g_resume = Resume::Step;
        } else if (Run_IsPaused()) {
            // Held between frames: the first line run from here stops.
            VM_Debug_RequestStep(true);
            Run_DebugResume();
        }
        break;
    case kDebugStepOver:
        if (g_waiting) {
            g_resume = Resume::StepOver;
        } else if (Run_IsPaused()) {
            RunOn();
        }
        break;
    case kDebugBreakpoint:
        if (command.flag != 0) {
            VM_Breakpoint_AddAt(command.argument, command.offset);
        } else {
            VM_Breakpoint_RemoveAt(command.argument, command.offset);
        }
        break;
    case kDebugEvaluate:
        return Evaluate(command);
    default:
        break;
    }
    return true;
}

int64_t Received(int32_t connection, std::span<const uint8_t> held)
{
    if (g_waiting && (g_resume != Resume::None || !Run_IsPaused())) {
        return 0;  // what follows a run or step is for where the game stops next
    }
    const DebugParse parse = DebugProtocol_Parse(held);
    if (parse.kind == DebugParse::Kind::Malformed) {
        Console().Printf("Debugger sent a malformed packet; connection dropped\n");
        return -1;
    }
    if (parse.kind == DebugParse::Kind::Incomplete || connection != g_connection) {
        return 0;
    }
    if (!Execute(parse.command)) {
        Console().Printf("Debugger did not take its reply; connection dropped\n");
        return -1;
    }
    return static_cast<int64_t>(parse.consumed);
}

void Connected(int32_t connection)
{
    g_connection = connection;
    VM_Debug_SetAttached(true);
}

// A debugger that goes leaves nothing behind: no breakpoint, no hold.
void Disconnected(int32_t connection)
{
    if (connection != g_connection) {
        return;
    }
    g_connection = -1;
    g_resume = Resume::None;
    VM_Debug_SetAttached(false);
    VM_Breakpoints_Clear();
    VM_Debug_RequestStep(false);
    VM_Debug_RequestBreak(false);
    if (Run_IsPaused()) {
        Run_DebugResume();
    }
}

const NetDebuggerHandler kHandler{&Received, &Connected, &Disconnected};

// The machine stopped: the game is held, its window and the debugger still
// served, until the debugger runs it on or steps.
VMDebugResume WaitWhilePaused()
{
    if (g_connection < 0) {
        return VMDebugResume::Run;
    }
    Run_DebugPause();
    g_waiting = true;
    g_resume = Resume::None;
    // A quit (SIGTERM, SIGINT, the window closed) runs the game on to its end
    // as it would unpaused.
    while (g_connection >= 0 && Run_IsPaused() && g_resume == Resume::None && !HostWindow_QuitRequested()) {
        ProcessMessages();
        DebugForm_Serve();
        PollServer();
        Host_SleepMilliseconds(kPausedPollMilliseconds);
    }
    g_waiting = false;
    const Resume resume = std::exchange(g_resume, Resume::None);
    return resume == Resume::Step ? VMDebugResume::Step
           : resume == Resume::StepOver ? VMDebugResume::StepOver
                                        : VMDebugResume::Run;
}

}  // namespace

bool Debug_OpenRemote(int32_t port)
{
    if (g_server >= 0) {
        return true;
    }
    g_server = Network_CreateDebuggerServer(port, kHandler);
    if (g_server < 0) {
        Console().Printf("Debugger: cannot listen on 127.0.0.1 port %d\n", port);
        return false;
    }
    VM_SetDebugWait(&WaitWhilePaused);
    VM_SetDebugPoll(&Debug_PollRemote);
    Console().Printf("Debugger listening on 127.0.0.1 port %d\n", Debug_RemotePort());
    return true;
}

int32_t Debug_RemotePort()
{
    return g_server >= 0 ? Network_ServerPort(g_server) : 0;
}

void Debug_PollRemote()
{
    PollServer();
}

void Debug_CloseRemote()
{
    if (g_connection >= 0) {
        const int32_t connection = g_connection;
        Network_Destroy(connection);
        Disconnected(connection);
    }
    if (g_server >= 0) {
        Network_Destroy(g_server);
        g_server = -1;
    }
    VM_SetDebugWait(nullptr);
    VM_SetDebugPoll(nullptr);
}

bool Debug_StepHeldRun()
{
    if (!g_waiting) {
        return false;
    }
    g_resume = Resume::Step;
    return true;
}

bool Debug_RemoteAttached()
{
    return g_connection >= 0;
}

}  // namespace bw
