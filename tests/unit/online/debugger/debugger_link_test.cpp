// A debugger client on 127.0.0.1 speaking the command packets to the link:
// the handshake, pause and info, breakpoints and steps that hold the machine
// (the client then runs on a thread of its own, as the game is held on this
// one), evaluation, and what a dropped or malformed connection leaves.
#include "online/debugger/debugger_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/net_socket.h"
#include "online/debugger/debug_protocol.h"
#include "online/network/net_protocol.h"
#include "online/network/network.h"
#include "script/code_unit.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "unit/world/instance_ops_fixture.h"
#include "world/run_loop.h"

namespace bw {
namespace {

constexpr int32_t kEntry = 3;
constexpr uint32_t kNoCode = 0xFFFFFFFFu;
constexpr char kThreeLines[] = "a = 1;\nb = 2;\nc = 3;\n";

std::vector<uint8_t> Packet(uint32_t command, uint32_t argument = 0, uint8_t flag = 0, uint32_t offset = 0)
{
    DebugReply packet;  // the same little-endian words, opened the same way
    packet.U32(command);
    packet.U32(argument);
    packet.U8(flag);
    packet.U8(0);
    packet.U8(0);
    packet.U8(0);
    packet.U32(offset);
    std::vector<uint8_t> bytes = packet.Data();
    bytes.resize(kDebugPacketSize, 0);
    return bytes;
}

std::vector<uint8_t> EvaluatePacket(const std::vector<std::pair<uint32_t, std::string>>& requests)
{
    DebugReply packet;
    packet.U32(kDebugEvaluate);
    packet.U32(0);  // the whole length, known last
    packet.U32(static_cast<uint32_t>(requests.size()));
    for (const auto& [id, text] : requests) {
        packet.U32(id);
        packet.String(text);
    }
    packet.PatchU32(12, static_cast<uint32_t>(packet.Size()));
    return packet.Data();
}

// Reads little-endian words and strings from a reply.
class ReplyReader {
public:
    explicit ReplyReader(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    uint32_t U32()
    {
        uint32_t value = 0;
        if (m_at + 4 <= m_bytes.size()) {
            std::memcpy(&value, m_bytes.data() + m_at, 4);
        }
        m_at += 4;
        return value;
    }
    uint8_t U8() { return m_at < m_bytes.size() ? m_bytes[m_at++] : 0; }
    double F64()
    {
        double value = 0;
        if (m_at + 8 <= m_bytes.size()) {
            std::memcpy(&value, m_bytes.data() + m_at, 8);
        }
        m_at += 8;
        return value;
    }
    std::string String()
    {
        const uint32_t length = U32();
        if (length == 0 || m_at + length > m_bytes.size()) {
            return "<bad string>";
        }
        std::string text(reinterpret_cast<const char*>(m_bytes.data() + m_at), length - 1);
        m_at += length;
        return text;
    }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_at = 0;
};

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
    // The rest of a state record, of a length not known here.
    void DrainRest()
    {
        while (true) {
            HostSocket_PollReadable(std::span(&m_socket, 1), 50);
            std::vector<uint8_t> area(4096);
            const NetReadResult read = HostSocket_Receive(m_socket, area);
            if (read.outcome != NetRead::Data) {
                return;
            }
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

    // The first code offset of the 0-based source line.
    uint32_t OffsetOfLine(int32_t line) const
    {
        for (const VMLinePair& pair : m_unit->bytecode->lines) {
            if (Code_PositionToLine(&pair, m_unit->text.c_str()) == line) {
                return static_cast<uint32_t>(pair.offset);
            }
        }
        ADD_FAILURE() << "no line " << line;
        return 0;
    }
    int32_t LineAt(uint32_t offset) const
    {
        return Code_PositionToLine(VM_OffsetToLine(m_unit->bytecode->lines, static_cast<int32_t>(offset)),
                                   m_unit->text.c_str());
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
