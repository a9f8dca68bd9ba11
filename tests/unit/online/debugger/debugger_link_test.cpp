// A debugger client on 127.0.0.1 speaking the command packets to the link:
// the handshake, pause and info, breakpoints and steps that hold the machine
// (the client then runs on a thread of its own, as the game is held on this
// one), evaluation, and what a dropped or malformed connection leaves.
#include "online/debugger/debugger_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/net_socket.h"
#include "online/debugger/debug_protocol.h"
#include "online/network/net_protocol.h"
#include "online/network/network.h"
#include "platform/console.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "support/debugger_wire.h"
#include "unit/online/debugger/game_builtins_fixture.h"
#include "unit/world/instance_ops_fixture.h"
#include "world/event.h"
#include "world/object.h"
#include "world/run_loop.h"
#include "world/run_requests.h"

namespace bw {
namespace {

constexpr int32_t kEntry = 3;
constexpr uint32_t kNoCode = 0xFFFFFFFFu;
constexpr char kThreeLines[] = "a = 1;\nb = 2;\nc = 3;\n";

using test::EvaluatePacket;
using test::Packet;
using test::ReplyReader;

// The held state as a debugger reads it from the info reply, field by field
// in the order and widths the protocol lays down (u32, f32, f64, strings
// counted with their closing zero), independent of the writer.
struct DecodedVariable {
    uint32_t id = 0;
    uint32_t kind = 0;
    double real = 0;
    std::string text;
};

struct DecodedState {
    uint32_t code = kNoCode;
    uint32_t pc = 0;
    uint32_t self = 0;
    uint32_t other = 0;
    std::vector<DecodedVariable> locals;
    std::vector<DecodedVariable> globals;
    // Built-ins by name; u32 fields read as signed words.
    std::map<std::string, double> builtins;
    uint32_t alarms[12] = {};
    std::vector<double> physics;
    bool exact = false;  // every byte of the reply read, none missing
};

class StateDecoder {
public:
    explicit StateDecoder(std::vector<uint8_t> bytes) : m_reader(std::move(bytes)) {}

    // After the magic word, 44 and the paused word.
    DecodedState Decode()
    {
        DecodedState state;
        state.code = U32();
        if (state.code == kNoCode) {
            state.exact = m_reader.AtEnd();
            return state;
        }
        state.pc = U32();
        state.self = U32();
        state.other = U32();
        state.locals = Variables();
        state.globals = Variables();
        Whole(state, {"id", "object_index"});
        Single(state, {"x", "y", "direction", "friction", "gravity", "gravity_direction", "hspeed", "vspeed",
                       "speed", "xprevious", "yprevious"});
        Whole(state, {"sprite_index"});
        Single(state, {"image_alpha", "image_angle"});
        Whole(state, {"image_blend"});
        Single(state, {"image_index"});
        Whole(state, {"image_number"});
        Single(state, {"image_speed", "image_xscale", "image_yscale"});
        for (uint32_t& alarm : state.alarms) {
            alarm = U32();
        }
        Whole(state, {"path_index"});
        Single(state, {"path_position", "path_positionprevious"});
        Whole(state, {"path_endaction"});
        Single(state, {"path_scale", "path_speed", "path_orientation"});
        // The body's 35 values: u32 u32 f32x8 u32 f32x2 u32x2 f32x2 u32,
        // then u32 f32x8 u32 f32x2 u32x2 f32x3.
        for (const char kind : std::string("wwffffffffwffwwffw") + "wffffffffwffwwfff") {
            state.physics.push_back(kind == 'w' ? static_cast<int32_t>(U32()) : F32());
        }
        Whole(state, {"timeline_index", "timeline_running"});
        Single(state, {"timeline_speed", "timeline_position"});
        Whole(state, {"timeline_loop"});
        state.exact = m_reader.AtEnd();
        return state;
    }

private:
    std::vector<DecodedVariable> Variables()
    {
        std::vector<DecodedVariable> variables(std::min<uint32_t>(U32(), 1000));
        for (DecodedVariable& variable : variables) {
            variable.id = U32();
            variable.kind = U32();
            if (variable.kind == 1) {
                variable.text = String();
            } else {
                variable.real = F64();
            }
        }
        return variables;
    }
    void Whole(DecodedState& state, std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            state.builtins[name] = static_cast<int32_t>(U32());
        }
    }
    void Single(DecodedState& state, std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            state.builtins[name] = F32();
        }
    }
    uint32_t U32() { return m_reader.U32(); }
    float F32() { return m_reader.F32(); }
    double F64() { return m_reader.F64(); }
    std::string String() { return m_reader.String(); }

    ReplyReader m_reader;
};

// The symbols reply as a debugger reads it, up to the scripts: the code
// units (identity, name, bytecode) and, per object event, the identity and
// name of its code.
struct DecodedUnit {
    uint32_t identity = kNoCode;
    std::string name;
    size_t bytes = 0;
};

struct DecodedEvent {
    uint32_t object = 0;
    int32_t type = 0;
    uint32_t number = 0;
    uint32_t code = kNoCode;
    uint32_t length = 0;
    std::string name;
};

struct DecodedSymbols {
    bool wellFormed = false;  // the tags and counts were where they belong
    std::vector<DecodedUnit> units;
    std::vector<DecodedEvent> events;
};

DecodedSymbols DecodeSymbols(std::vector<uint8_t> bytes)
{
    DecodedSymbols symbols;
    ReplyReader reader(std::move(bytes));
    if (reader.U32() != kDebugMagic || reader.U32() != kDebugPacketSize || reader.U32() != kDebugSymbols ||
        reader.U32() != 0x5645525Fu || reader.U32() != 1u || reader.U32() != 0x434F4445u) {
        return symbols;
    }
    symbols.units.resize(std::min<uint32_t>(reader.U32(), 1000));
    for (DecodedUnit& unit : symbols.units) {
        unit.identity = reader.U32();
        unit.name = reader.String();
        unit.bytes = reader.Bytes().size();
    }
    if (reader.U32() != 0x4F424A5Fu) {
        return symbols;
    }
    const uint32_t objects = std::min<uint32_t>(reader.U32(), 1000);
    for (uint32_t i = 0; i < objects; ++i) {
        const uint32_t object = reader.U32();
        for (int word = 0; word < 5; ++word) {
            reader.U32();
        }
        reader.String();
        for (int32_t type = 0; type < 11; ++type) {
            const uint32_t count = std::min<uint32_t>(reader.U32(), 1000);
            for (uint32_t e = 0; e < count; ++e) {
                DecodedEvent event;
                event.object = object;
                event.type = type;
                event.number = reader.U32();
                event.code = reader.U32();
                event.length = reader.U32();
                event.name = reader.String();
                symbols.events.push_back(event);
            }
        }
    }
    symbols.wellFormed = reader.U32() == 0x53435254u;
    return symbols;
}

// A plain socket on the debugger's side of the link.
class DebugClient {
public:
    explicit DebugClient(int32_t port) : m_socket(HostSocket_Create(false))
    {
        m_connected = HostSocket_Connect(m_socket, 0x7F000001, static_cast<uint16_t>(port), 1000);
    }
    ~DebugClient() { Close(); }
    DebugClient(const DebugClient&) = delete;
    DebugClient& operator=(const DebugClient&) = delete;

    bool Connected() const { return m_connected; }
    void Close()
    {
        HostSocket_Close(m_socket);
        m_socket = kNoSocket;
    }
    bool Send(const std::vector<uint8_t>& bytes)
    {
        return HostSocket_Send(m_socket, bytes) == static_cast<int64_t>(bytes.size());
    }
    // Exactly count bytes, or fewer when they do not come within a second
    // (or the link closed the connection: closed is then set).
    std::vector<uint8_t> Receive(size_t count, const std::function<void()>& serve = [] {})
    {
        std::vector<uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got.size() < count && !closed && std::chrono::steady_clock::now() < deadline) {
            serve();
            HostSocket_PollReadable(std::span(&m_socket, 1), 5);
            std::vector<uint8_t> area(count - got.size());
            const NetReadResult read = HostSocket_Receive(m_socket, area);
            closed = read.outcome == NetRead::Closed;
            got.insert(got.end(), area.begin(), area.begin() + static_cast<ptrdiff_t>(read.size));
        }
        return got;
    }
    // The info reply: paused flag, then the held code entry and offset.
    struct Info {
        uint32_t paused = 0;
        uint32_t entry = kNoCode;
        uint32_t offset = 0;
    };
    Info AskInfo(const std::function<void()>& serve = [] {})
    {
        Send(Packet(kDebugInfo));
        std::vector<uint8_t> head = Receive(12, serve);
        Info info;
        ReplyReader reader(head);
        if (reader.U32() != kDebugMagic || reader.U32() != kDebugPacketSize) {
            return info;
        }
        info.paused = reader.U32();
        if (info.paused == 1) {
            info.entry = ReplyReader(Receive(4, serve)).U32();
            if (info.entry != kNoCode) {
                info.offset = ReplyReader(Receive(4, serve)).U32();
                DrainRest();
            }
        }
        return info;
    }
    // The info reply decoded whole; paused is 0 when the game runs on.
    std::pair<uint32_t, DecodedState> AskState()
    {
        Send(Packet(kDebugInfo));
        ReplyReader head(Receive(12));
        if (head.U32() != kDebugMagic || head.U32() != kDebugPacketSize) {
            return {0, DecodedState{}};
        }
        const uint32_t paused = head.U32();
        return {paused, paused == 1 ? StateDecoder(DrainRest()).Decode() : DecodedState{}};
    }
    // The rest of a reply, of a length not known here.
    std::vector<uint8_t> DrainRest()
    {
        std::vector<uint8_t> rest;
        while (true) {
            HostSocket_PollReadable(std::span(&m_socket, 1), 50);
            std::vector<uint8_t> area(4096);
            const NetReadResult read = HostSocket_Receive(m_socket, area);
            if (read.outcome != NetRead::Data) {
                return rest;
            }
            rest.insert(rest.end(), area.begin(), area.begin() + static_cast<ptrdiff_t>(read.size));
        }
    }
    bool closed = false;

private:
    int m_socket;
    bool m_connected = false;
};

class DebuggerLinkTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        Code_Error_SetShowErrors(false);
        ASSERT_TRUE(Debug_OpenRemote(0));
        m_self = AddInstance(AddObject(0)->index);
        auto unit = std::make_unique<CCode>(kThreeLines, false);
        ASSERT_TRUE(unit->Compile("Test.lines"));
        m_unit = unit.get();
        Code_List_Set(kEntry, std::move(unit));
    }
    void TearDown() override
    {
        Debug_CloseRemote();
        Network_Shutdown();
        Run_ResetLoopState();
        Code_List_Free();
        EventWorldTest::TearDown();
    }

    // Serves the link until done() or a bounded number of rounds.
    static bool ServeUntil(const std::function<bool()>& done)
    {
        for (int round = 0; round < 500 && !done(); ++round) {
            Debug_PollRemote();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }

    std::unique_ptr<DebugClient> Attach()
    {
        auto client = std::make_unique<DebugClient>(Debug_RemotePort());
        EXPECT_TRUE(client->Connected());
        const std::vector<uint8_t> greeting = client->Receive(kNetGreeting.size(), [] { Debug_PollRemote(); });
        EXPECT_TRUE(std::equal(greeting.begin(), greeting.end(), kNetGreeting.begin(), kNetGreeting.end()));
        const auto request = NetHandshake_Request();
        client->Send(std::vector<uint8_t>(request.begin(), request.end()));
        EXPECT_TRUE(NetHandshake_IsReply(client->Receive(kNetHandshakeReplySize, [] { Debug_PollRemote(); })));
        EXPECT_TRUE(Debug_RemoteAttached());
        return client;
    }

    // A unit compiled from text at a code entry of its own.
    static CCode* AddUnit(int32_t entry, const char* text)
    {
        auto unit = std::make_unique<CCode>(text, false);
        EXPECT_TRUE(unit->Compile("Test.unit")) << Code_Error_PendingMessage();
        CCode* added = unit.get();
        Code_List_Set(entry, std::move(unit));
        return added;
    }

    // The first code offset of the 0-based source line.
    uint32_t OffsetOfLine(int32_t line, const CCode* unit = nullptr) const
    {
        unit = unit != nullptr ? unit : m_unit;
        for (const VMLinePair& pair : unit->bytecode->lines) {
            if (Code_PositionToLine(&pair, unit->text.c_str()) == line) {
                return static_cast<uint32_t>(pair.offset);
            }
        }
        ADD_FAILURE() << "no line " << line;
        return 0;
    }
    int32_t LineAt(uint32_t offset, const CCode* unit = nullptr) const
    {
        unit = unit != nullptr ? unit : m_unit;
        return Code_PositionToLine(VM_OffsetToLine(unit->bytecode->lines, static_cast<int32_t>(offset)),
                                   unit->text.c_str());
    }

    // Asks for the state until the game is held inside code (bounded).
    static DecodedState StateWhenHeld(DebugClient& client)
    {
        DecodedState state;
        for (int round = 0; round < 50 && state.code == kNoCode; ++round) {
            state = client.AskState().second;
        }
        return state;
    }
    static bool AnyBreakpointIn(const CCode& unit)
    {
        for (const VMNativeOp& op : unit.bytecode->unit.ops) {
            if (op.breakpoint) {
                return true;
            }
        }
        return false;
    }
    bool AnyBreakpoint() const
    {
        for (const VMNativeOp& op : m_unit->bytecode->unit.ops) {
            if (op.breakpoint) {
                return true;
            }
        }
        return false;
    }

    CInstance* m_self = nullptr;
    CCode* m_unit = nullptr;
};

TEST_F(DebuggerLinkTest, PauseThenInfoReportsPausedAndRunResumes)
{
    auto client = Attach();
    EXPECT_EQ(client->AskInfo([] { Debug_PollRemote(); }).paused, 0u);
    client->Send(Packet(kDebugPause));
    ASSERT_TRUE(ServeUntil([] { return Run_IsPaused(); }));
    const DebugClient::Info info = client->AskInfo([] { Debug_PollRemote(); });
    EXPECT_EQ(info.paused, 1u);
    EXPECT_EQ(info.entry, kNoCode) << "no run is held between frames";
    client->Send(Packet(kDebugRun));
    EXPECT_TRUE(ServeUntil([] { return !Run_IsPaused(); }));
}

TEST_F(DebuggerLinkTest, ABreakpointHoldsTheRunAndAStepStopsAtTheNextLine)
{
    auto client = Attach();
    const uint32_t second = OffsetOfLine(1);
    client->Send(Packet(kDebugBreakpoint, kEntry, 1, second));
    ASSERT_TRUE(ServeUntil([&] { return AnyBreakpoint(); }));

    // The game is held on this thread; the debugger acts from its own.
    DebugClient::Info atBreak;
    DebugClient::Info afterStep;
    std::thread debugger([&] {
        for (int round = 0; round < 200 && atBreak.entry == kNoCode; ++round) {
            atBreak = client->AskInfo();
        }
        client->Send(Packet(kDebugStep));
        afterStep = client->AskInfo();
        client->Send(Packet(kDebugBreakpoint, kEntry, 0, second));
        client->Send(Packet(kDebugRun));
    });
    Value result{};
    const bool ran = Code_Execute(m_self, m_self, *m_unit, &result);
    debugger.join();

    EXPECT_TRUE(ran);
    EXPECT_EQ(atBreak.paused, 1u);
    EXPECT_EQ(atBreak.entry, static_cast<uint32_t>(kEntry));
    EXPECT_EQ(LineAt(atBreak.offset), 1);
    EXPECT_EQ(afterStep.entry, static_cast<uint32_t>(kEntry));
    EXPECT_EQ(LineAt(afterStep.offset), 2);
    EXPECT_FALSE(AnyBreakpoint()) << "removed";
    EXPECT_FALSE(Run_IsPaused());
    EXPECT_TRUE(Debug_RemoteAttached());
}

const DecodedVariable* Named(const std::vector<DecodedVariable>& variables, const char* name)
{
    for (const DecodedVariable& variable : variables) {
        if (std::string(Code_Variable_GetName(static_cast<int32_t>(variable.id))) == name) {
            return &variable;
        }
    }
    return nullptr;
}

TEST_F(DebuggerLinkTest, InfoAtABreakpointCarriesTheMachineStateRecords)
{
    CCode* unit = AddUnit(kEntry + 1, "var r, s;\nr = 2.5;\ns = \"hi\";\nglobal.g = 7;\nx = r;\n");
    CInstance* other = AddInstance(0);
    m_self->SetPosition(10, 20);
    m_self->SetAlarm(3, 40);
    m_self->i_pathindex = 2;
    m_self->i_pathposition = 0.25f;
    m_self->i_pathspeed = 3;
    m_self->i_pathend = 1;
    m_self->i_timelineindex = 1;
    m_self->i_timelinerunning = 1;
    m_self->i_timelinespeed = 0.5f;
    auto client = Attach();
    client->Send(Packet(kDebugBreakpoint, kEntry + 1, 1, OffsetOfLine(4, unit)));
    ASSERT_TRUE(ServeUntil([&] { return AnyBreakpointIn(*unit); }));

    DecodedState state;
    std::thread debugger([&] {
        state = StateWhenHeld(*client);
        client->Send(Packet(kDebugRun));
    });
    Value result{};
    EXPECT_TRUE(Code_Execute(m_self, other, *unit, &result));
    debugger.join();

    EXPECT_TRUE(state.exact) << "the reply holds the records and nothing else";
    EXPECT_EQ(state.code, static_cast<uint32_t>(kEntry + 1));
    EXPECT_EQ(LineAt(state.pc, unit), 4);
    EXPECT_EQ(state.self, static_cast<uint32_t>(m_self->i_id));
    EXPECT_EQ(state.other, static_cast<uint32_t>(other->i_id));
    ASSERT_EQ(state.locals.size(), 2u);
    ASSERT_NE(Named(state.locals, "r"), nullptr);
    EXPECT_EQ(Named(state.locals, "r")->kind, 0u);
    EXPECT_EQ(Named(state.locals, "r")->real, 2.5);
    ASSERT_NE(Named(state.locals, "s"), nullptr);
    EXPECT_EQ(Named(state.locals, "s")->kind, 1u);
    EXPECT_EQ(Named(state.locals, "s")->text, "hi");
    ASSERT_NE(Named(state.globals, "g"), nullptr);
    EXPECT_EQ(Named(state.globals, "g")->real, 7.0);

    EXPECT_EQ(state.builtins["id"], m_self->i_id);
    EXPECT_EQ(state.builtins["object_index"], m_self->i_objindex);
    EXPECT_EQ(state.builtins["x"], 10.0);
    EXPECT_EQ(state.builtins["y"], 20.0);
    EXPECT_EQ(state.builtins["sprite_index"], -1.0);
    EXPECT_EQ(state.builtins["image_xscale"], 1.0);
    EXPECT_EQ(state.builtins["image_blend"], 0xFFFFFF);
    EXPECT_EQ(state.alarms[3], 40u);
    EXPECT_EQ(state.alarms[0], static_cast<uint32_t>(m_self->GetAlarm(0)));
    EXPECT_EQ(state.builtins["path_index"], 2.0);
    EXPECT_EQ(state.builtins["path_position"], 0.25);
    EXPECT_EQ(state.builtins["path_endaction"], 1.0);
    EXPECT_EQ(state.builtins["path_speed"], 3.0);
    EXPECT_EQ(state.builtins["path_scale"], 1.0);
    EXPECT_EQ(state.builtins["timeline_index"], 1.0);
    EXPECT_EQ(state.builtins["timeline_running"], 1.0);
    EXPECT_EQ(state.builtins["timeline_speed"], 0.5);
    EXPECT_EQ(state.builtins["timeline_loop"], 0.0);
    ASSERT_EQ(state.physics.size(), 35u);
    for (const double value : state.physics) {
        EXPECT_EQ(value, 0.0) << "no body: zeros and flags 0";
    }
}

TEST_F(DebuggerLinkTest, AnErrorUnderTheDebuggerHoldsTheGameAtTheFailingOp)
{
    CCode* unit = AddUnit(kEntry + 1, "var t;\nt = \"text\";\ny = t - 1;\ny = 5;\n");
    auto client = Attach();
    DecodedState state;
    std::thread debugger([&] {
        state = StateWhenHeld(*client);
        client->Send(Packet(kDebugRun));
    });
    Value result{};
    EXPECT_FALSE(Code_Execute(m_self, m_self, *unit, &result)) << "the run stops at the error";
    debugger.join();

    EXPECT_EQ(state.code, static_cast<uint32_t>(kEntry + 1));
    EXPECT_EQ(LineAt(state.pc, unit), 2);
    EXPECT_EQ(state.self, static_cast<uint32_t>(m_self->i_id));
    ASSERT_NE(Named(state.locals, "t"), nullptr);
    EXPECT_EQ(Named(state.locals, "t")->text, "text");
    EXPECT_NE(m_self->i_y, 5.0f) << "nothing after the error ran";
    EXPECT_TRUE(Code_Error_Occurred());
    EXPECT_FALSE(Code_Error_GameAborted()) << "the game goes on for the debugger";
    EXPECT_FALSE(Run_IsPaused());
}

bool& LoopReleased()
{
    static bool released = false;
    return released;
}

TEST_F(DebuggerLinkTest, PauseHoldsCodeThatLoopsWithoutEndAndRunLetsItGoOn)
{
    int32_t id = -1;
    if (!Code_Function_Find("loop_released", &id)) {
        Code_Function_Register(
            "loop_released", [](Value* result, CInstance*, CInstance*, int32_t, Value*) {
                Value_SetReal(*result, LoopReleased() ? 1 : 0);
            },
            0);
        Code_Function_Register(
            "release_loop", [](Value*, CInstance*, CInstance*, int32_t, Value*) { LoopReleased() = true; }, 0);
    }
    LoopReleased() = false;
    // Endless but for the release; the bound only ends a loop whose pause
    // never lands, so that the test fails instead of hanging.
    CCode* unit = AddUnit(kEntry + 1, "i = 0;\nwhile (!loop_released() && i < 100000000) {\n    i += 1;\n}\n");
    auto client = Attach();
    DecodedState state;
    std::thread debugger([&] {
        client->Send(Packet(kDebugPause));
        state = StateWhenHeld(*client);
        // Evaluated on the game's thread while it is held: the loop may end.
        client->Send(EvaluatePacket({{1, "release_loop()"}}));
        client->Send(Packet(kDebugRun));
    });
    Value result{};
    EXPECT_TRUE(Code_Execute(m_self, m_self, *unit, &result));
    debugger.join();

    EXPECT_EQ(state.code, static_cast<uint32_t>(kEntry + 1));
    const int32_t line = LineAt(state.pc, unit);
    EXPECT_TRUE(line == 1 || line == 2) << "held inside the loop, at line " << line;
    EXPECT_TRUE(state.exact);
    EXPECT_TRUE(LoopReleased());
    EXPECT_FALSE(Run_IsPaused());
    EXPECT_FALSE(VM_Debug_BreakPending());
}

TEST_F(DebuggerLinkTest, RunAndStepsLeaveARunningGameAlone)
{
    static std::string console;
    console.clear();
    Console_SetDebugListener([](const char* line) { console += line; });
    GameRunningFlag = 1;
    auto client = Attach();
    for (const uint32_t command : {kDebugRun, kDebugStep, kDebugStepOver}) {
        client->Send(Packet(command));
    }
    EXPECT_EQ(client->AskInfo([] { Debug_PollRemote(); }).paused, 0u);
    EXPECT_EQ(console.find("Entering main loop."), std::string::npos) << "the clock was not restarted";
    Value result{};
    EXPECT_TRUE(Code_Execute(m_self, m_self, *m_unit, &result)) << "no step was left pending to hold it";

    client->Send(Packet(kDebugPause));
    ASSERT_TRUE(ServeUntil([] { return Run_IsPaused(); }));
    client->Send(Packet(kDebugRun));
    ASSERT_TRUE(ServeUntil([] { return !Run_IsPaused(); }));
    EXPECT_NE(console.find("Entering main loop."), std::string::npos) << "a held game resumes";
    GameRunningFlag = 0;
    Console_SetDebugListener(nullptr);
}

TEST_F(DebuggerLinkTest, EvaluateAnswersValuesAndUnableToEvaluate)
{
    auto client = Attach();
    client->Send(EvaluatePacket({{7, "1+2"}, {8, "1+"}, {9, "\"a\" + \"b\""}}));
    std::vector<uint8_t> bytes = client->Receive(16, [] { Debug_PollRemote(); });
    ReplyReader head(bytes);
    EXPECT_EQ(head.U32(), kDebugMagic);
    EXPECT_EQ(head.U32(), kDebugPacketSize);
    EXPECT_EQ(head.U32(), kDebugEvaluate);
    const uint32_t length = head.U32();
    ASSERT_LT(length, 4096u);
    const std::vector<uint8_t> rest = client->Receive(length - 16);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    ReplyReader reply(std::vector<uint8_t>(bytes.begin() + 16, bytes.end()));
    ASSERT_EQ(reply.U32(), 3u);
    EXPECT_EQ(reply.U32(), 7u);
    EXPECT_EQ(reply.U8(), kValueReal);
    EXPECT_EQ(reply.F64(), 3.0);
    EXPECT_EQ(reply.U32(), 8u);
    EXPECT_EQ(reply.U8(), kValueString);
    EXPECT_EQ(reply.String(), "Unable to evaluate");
    EXPECT_EQ(reply.U32(), 9u);
    EXPECT_EQ(reply.U8(), kValueString);
    EXPECT_EQ(reply.String(), "ab");
    EXPECT_FALSE(Code_Error_Occurred()) << "evaluation errors are held back";
}

TEST_F(DebuggerLinkTest, AnEvaluationWhoseBuiltInRaisesAFatalErrorFailsAloneAndTheGameGoesOn)
{
    test::RegisterGameBuiltinsOnce();
    auto client = Attach();
    client->Send(EvaluatePacket({{1, "room_goto(99)"}, {2, "2 * 21"}}));
    ReplyReader head(client->Receive(16, [] { Debug_PollRemote(); }));
    EXPECT_EQ(head.U32(), kDebugMagic);
    EXPECT_EQ(head.U32(), kDebugPacketSize);
    EXPECT_EQ(head.U32(), kDebugEvaluate);
    const uint32_t length = head.U32();
    ASSERT_TRUE(length > 16 && length < 4096u);
    ReplyReader reply(client->Receive(length - 16));
    ASSERT_EQ(reply.U32(), 2u);
    EXPECT_EQ(reply.U32(), 1u);
    EXPECT_EQ(reply.U8(), kValueString);
    EXPECT_EQ(reply.String(), "Unable to evaluate");
    EXPECT_EQ(reply.U32(), 2u);
    EXPECT_EQ(reply.U8(), kValueReal);
    EXPECT_EQ(reply.F64(), 42.0) << "the next request still runs";
    EXPECT_EQ(NewRoomRequest, kRequestNone) << "neither the stop nor the missing room is requested";
    EXPECT_FALSE(Code_Error_GameAborted());
}

TEST_F(DebuggerLinkTest, ADroppedOrMalformedConnectionClearsBreakpointsAndTheHold)
{
    for (const bool malformed : {false, true}) {
        SCOPED_TRACE(malformed ? "malformed" : "dropped");
        auto client = Attach();
        client->Send(Packet(kDebugBreakpoint, kEntry, 1, OffsetOfLine(2)));
        client->Send(Packet(kDebugPause));
        ASSERT_TRUE(ServeUntil([&] { return AnyBreakpoint() && Run_IsPaused(); }));
        if (malformed) {
            std::vector<uint8_t> wrong = Packet(kDebugInfo);
            wrong[0] ^= 0xFF;
            client->Send(wrong);
        } else {
            client->Close();
        }
        EXPECT_TRUE(ServeUntil([] { return !Debug_RemoteAttached(); }));
        EXPECT_FALSE(AnyBreakpoint());
        EXPECT_FALSE(Run_IsPaused());
    }
}

// In a package whose code is text the events own their units, which are in
// no code list: the debugger names them by the identity the symbols give.
TEST_F(DebuggerLinkTest, TextCompiledCodeIsNamedByItsIdentityInSymbolsBreakpointsAndState)
{
    CObject* object = Object_Find(0);
    ASSERT_NE(object, nullptr);
    SetEvent(object, kEventStep, 0, kThreeLines);
    CCode* unit = object->events[kEventStep][0]->BoundCode();
    ASSERT_NE(unit, nullptr);
    m_self->SetPosition(12, 34);
    auto client = Attach();
    client->Send(Packet(kDebugSymbols));
    std::vector<uint8_t> reply = client->Receive(12, [] { Debug_PollRemote(); });
    const std::vector<uint8_t> rest = client->DrainRest();
    reply.insert(reply.end(), rest.begin(), rest.end());
    const DecodedSymbols symbols = DecodeSymbols(reply);
    ASSERT_TRUE(symbols.wellFormed);

    const DecodedEvent* step = nullptr;
    for (const DecodedEvent& event : symbols.events) {
        step = event.object == 0 && event.type == kEventStep ? &event : step;
    }
    ASSERT_NE(step, nullptr);
    const uint32_t identity = step->code;
    EXPECT_NE(identity, kNoCode);
    EXPECT_EQ(step->length, unit->bytecode->unit.words.size() * 4);
    std::vector<uint32_t> identities;
    const DecodedUnit* listed = nullptr;
    for (const DecodedUnit& decoded : symbols.units) {
        identities.push_back(decoded.identity);
        listed = decoded.identity == identity ? &decoded : listed;
    }
    ASSERT_NE(listed, nullptr) << "the event's code is among the code units";
    EXPECT_EQ(listed->name, "Test.event");
    EXPECT_EQ(listed->bytes, unit->bytecode->unit.words.size() * 4);
    EXPECT_EQ(std::count(identities.begin(), identities.end(), identity), 1) << "no code entry shares it";

    client->Send(Packet(kDebugBreakpoint, identity, 1, OffsetOfLine(1, unit)));
    ASSERT_TRUE(ServeUntil([&] { return AnyBreakpointIn(*unit); }));
    DecodedState atBreak;
    DecodedState afterStep;
    std::thread debugger([&] {
        atBreak = StateWhenHeld(*client);
        client->Send(Packet(kDebugStep));
        afterStep = StateWhenHeld(*client);
        client->Send(Packet(kDebugRun));
    });
    EXPECT_TRUE(object->events[kEventStep][0]->Execute(m_self, m_self));
    debugger.join();

    EXPECT_TRUE(atBreak.exact) << "a debugger reads the record to its end";
    EXPECT_EQ(atBreak.code, identity);
    EXPECT_EQ(LineAt(atBreak.pc, unit), 1);
    EXPECT_EQ(atBreak.self, static_cast<uint32_t>(m_self->i_id));
    EXPECT_EQ(atBreak.builtins["id"], m_self->i_id);
    EXPECT_EQ(atBreak.builtins["x"], 12.0);
    EXPECT_EQ(atBreak.builtins["y"], 34.0);
    EXPECT_EQ(atBreak.builtins["image_xscale"], 1.0);
    EXPECT_TRUE(afterStep.exact);
    EXPECT_EQ(afterStep.code, identity);
    EXPECT_EQ(LineAt(afterStep.pc, unit), 2);
}

TEST_F(DebuggerLinkTest, SymbolsListTheCodeUnitsByEntry)
{
    auto client = Attach();
    client->Send(Packet(kDebugSymbols));
    ReplyReader reply(client->Receive(32 + 4 + 11, [] { Debug_PollRemote(); }));  // up to the first name
    client->DrainRest();
    EXPECT_EQ(reply.U32(), kDebugMagic);
    EXPECT_EQ(reply.U32(), kDebugPacketSize);
    EXPECT_EQ(reply.U32(), static_cast<uint32_t>(kDebugSymbols));
    EXPECT_EQ(reply.U32(), 0x5645525Fu);
    EXPECT_EQ(reply.U32(), 1u);
    EXPECT_EQ(reply.U32(), 0x434F4445u);
    EXPECT_EQ(reply.U32(), 1u) << "one unit in the code list";
    EXPECT_EQ(reply.U32(), static_cast<uint32_t>(kEntry));
    EXPECT_EQ(reply.String(), "Test.lines");
}

TEST(DebugProtocolTest, PacketsAreBoundedByTheBytesReceived)
{
    const std::vector<uint8_t> info = Packet(kDebugInfo);
    EXPECT_EQ(DebugProtocol_Parse(std::span(info).first(20)).kind, DebugParse::Kind::Incomplete);
    const DebugParse whole = DebugProtocol_Parse(info);
    EXPECT_EQ(whole.kind, DebugParse::Kind::Command);
    EXPECT_EQ(whole.consumed, kDebugPacketSize);

    std::vector<uint8_t> evaluate = EvaluatePacket({{1, "x"}});
    evaluate[24] = 200;  // the string's length now runs past the packet
    EXPECT_EQ(DebugProtocol_Parse(evaluate).kind, DebugParse::Kind::Malformed);
    std::vector<uint8_t> huge = EvaluatePacket({});
    huge[15] = 0x7F;  // a stated length far past the cap
    EXPECT_EQ(DebugProtocol_Parse(huge).kind, DebugParse::Kind::Malformed);
    std::vector<uint8_t> many = EvaluatePacket({});
    many[16] = 5;  // five requests announced, none there
    EXPECT_EQ(DebugProtocol_Parse(many).kind, DebugParse::Kind::Malformed);
}

}  // namespace
}  // namespace bw
