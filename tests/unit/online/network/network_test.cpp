// Servers and clients of one process talking over 127.0.0.1, and raw peers
// made with the host's sockets, with the networking event recorded by game
// code: "type,id,socket,ip" for connections, "type,id,size,text" for data.
#include "online/network/network.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/net_socket.h"
#include "library/buffer.h"
#include "online/network/mplay_builtins.h"
#include "online/network/net_protocol.h"
#include "online/network/network_builtins.h"
#include "online/network/network_events.h"
#include "support/heard_console.h"
#include "unit/library/instance_call.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/run_step.h"

namespace bw {
namespace {

using test::ScriptValue;

constexpr const char* kRecordEvent = R"(
    var t, b;
    t = ds_map_find_value(async_load, "type");
    if (t == 3) {
        b = ds_map_find_value(async_load, "buffer");
        note_buffer(b);
        if (test_wants("replace")) {
            buffer_delete(b);
            note_buffer(buffer_create(4, 0, 1));
        }
        record(t, ds_map_find_value(async_load, "id"), ds_map_find_value(async_load, "size"),
               buffer_read(b, 11), ds_map_find_value(async_load, "ip"));
    } else {
        record(t, ds_map_find_value(async_load, "id"), ds_map_find_value(async_load, "socket"),
               ds_map_find_value(async_load, "ip"));
    }
    if (test_wants("destroy")) network_destroy(ds_map_find_value(async_load, "id"));
)";

int32_t g_lastBuffer = -1;
std::string g_wanted;  // what game code is asked to do in its event

// A port nobody listens on just now.
int32_t FreePort(bool udp = false)
{
    const int probe = HostSocket_Create(udp);
    HostSocket_Bind(probe, 0);
    const uint16_t port = HostSocket_LocalPort(probe);
    HostSocket_Close(probe);
    return port;
}

// The text and its zero byte.
std::vector<uint8_t> TextBytes(const std::string& text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(bytes, bytes + text.size() + 1);
}

// A framed text with its zero byte.
std::vector<uint8_t> Frame(const std::string& text)
{
    return NetPacket_Frame(TextBytes(text));
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void SendAll(int socket, const std::vector<uint8_t>& bytes)
{
    ASSERT_EQ(HostSocket_Send(socket, bytes), static_cast<int64_t>(bytes.size()));
}

// Bytes a raw peer receives within the wait, and whether it saw the
// connection end.
struct Received {
    std::vector<uint8_t> bytes;
    bool closed = false;
};
Received ReceiveRaw(int socket, size_t wanted, int waitMilliseconds = 1000)
{
    Received got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    while (got.bytes.size() < wanted && !got.closed && std::chrono::steady_clock::now() < deadline) {
        HostSocket_PollReadable(std::span(&socket, 1), 10);
        std::vector<uint8_t> area(256);
        const NetReadResult read = HostSocket_Receive(socket, area);
        got.closed = read.outcome == NetRead::Closed;
        got.bytes.insert(got.bytes.end(), area.begin(), area.begin() + static_cast<ptrdiff_t>(read.size));
    }
    return got;
}

class NetworkTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        test::RegisterLibraryBuiltins();
        static const bool registered = [] {
            Function_Networking_Register();
            Function_MPlay_Register();
            Code_Function_Register("note_buffer", [](Value*, CInstance*, CInstance*, int32_t, Value* args) {
                g_lastBuffer = static_cast<int32_t>(args[0].real);
            }, 1);
            Code_Function_Register("test_wants", [](Value* result, CInstance*, CInstance*, int32_t, Value* args) {
                Value_SetReal(*result, g_wanted == Value_String(args[0]) ? 1 : 0);
            }, 1);
            return true;
        }();
        (void)registered;
        Buffer_FreeAll();
        g_lastBuffer = -1;
        g_wanted.clear();
        AddObject(0);
        SetEvent(Object_Find(0), kEventOther, 68, kRecordEvent);
        AddInstance(0);
        Object_BuildEventLists();
    }

    void TearDown() override
    {
        Network_Shutdown();
        for (const int socket : m_raw) {
            HostSocket_Close(socket);
        }
        Buffer_FreeAll();
        DS_FreeAll();
        ObjectLists_Free();
        EventWorldTest::TearDown();
    }

    static ScriptValue Call(const char* name, const std::vector<ScriptValue>& args)
    {
        return test::CallBuiltin(name, args);
    }

    // A buffer holding the bytes.
    static int32_t BufferOf(const std::vector<uint8_t>& bytes)
    {
        const int32_t id = Buffer_Create(static_cast<int32_t>(bytes.size()), kBufferFixed, 1);
        std::copy(bytes.begin(), bytes.end(), Buffer_Get(id)->Data());
        return id;
    }

    int32_t Server(int32_t type = kNetSocketTcp, int32_t maxClients = 8)
    {
        m_port = FreePort(type == kNetSocketUdp);
        const int32_t server = Call("network_create_server", {double(type), double(m_port), double(maxClients)}).Real();
        EXPECT_GE(server, 0);
        return server;
    }

    // A runner client connected to the server with the handshake.
    int32_t Client()
    {
        const int32_t client = Call("network_create_socket", {0.0}).Real();
        EXPECT_EQ(Call("network_connect", {double(client), "127.0.0.1", double(m_port)}).Real(), 0.0);
        return client;
    }

    // A raw peer connected to the port; the server has accepted it.
    int Raw()
    {
        const int socket = HostSocket_Create(false);
        EXPECT_TRUE(HostSocket_Connect(socket, 0x7F000001, static_cast<uint16_t>(m_port), 1000));
        m_raw.push_back(socket);
        Network_Update();
        return socket;
    }

    // A raw peer past greeting and handshake.
    int RawConnected()
    {
        const int socket = Raw();
        EXPECT_EQ(ReceiveRaw(socket, kNetGreeting.size()).bytes.size(), kNetGreeting.size());
        const auto request = NetHandshake_Request();
        SendAll(socket, {request.begin(), request.end()});
        Network_Update();
        EXPECT_TRUE(NetHandshake_IsReply(ReceiveRaw(socket, kNetHandshakeReplySize).bytes));
        test::Recorded().clear();
        return socket;
    }

    // Updates until the recorded text stops growing (bounded).
    static std::string UpdateUntilQuiet()
    {
        std::string seen;
        for (int quiet = 0, round = 0; quiet < 3 && round < 200; ++round) {
            Network_Update();
            quiet = test::Recorded() == seen ? quiet + 1 : 0;
            seen = test::Recorded();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return seen;
    }

    int32_t m_port = 0;
    std::vector<int> m_raw;
};

constexpr const char* kSelf = "100000:";  // the fixture's instance

TEST_F(NetworkTest, ConnectGreetsShakesHandsAndPostsTheConnection)
{
    const int32_t server = Server();
    const int32_t client = Call("network_create_socket", {0.0}).Real();
    EXPECT_EQ(Call("network_connect", {double(client), "127.0.0.1", double(m_port)}).Real(), 0.0);
    EXPECT_EQ(test::Recorded(), std::string(kSelf) + "1," + std::to_string(server) + "," +
                                    std::to_string(client + 1) + ",127.0.0.1;");
}

TEST_F(NetworkTest, FramedPacketsOfOneSendArriveInOrderAndRawBytesAfterThem)
{
    Server();
    const int32_t client = Client();
    const int32_t connection = client + 1;
    test::Recorded().clear();
    const std::vector<uint8_t> raw = {'r', 'a', 'w', 0};
    const int32_t buffer = BufferOf(Concat(Concat(Frame("one"), Frame("two")), raw));
    EXPECT_EQ(Call("network_send_raw", {double(client), double(buffer), 1000.0}).Real(), 12 + 4 + 12 + 4 + 4);
    const std::string id = std::to_string(connection);
    const auto data = [&](const char* text) { return kSelf + ("3," + id + ",4," + text + ",127.0.0.1;"); };
    EXPECT_EQ(UpdateUntilQuiet(), data("one") + data("two") + data("raw"));
    EXPECT_EQ(Buffer_Get(g_lastBuffer), nullptr);
    EXPECT_GE(g_lastBuffer, 0);
    EXPECT_NE(Buffer_Get(buffer), nullptr);
}

TEST_F(NetworkTest, SendPacketFramesTheBufferCutToItsSize)
{
    Server();
    const int32_t client = Client();
    test::Recorded().clear();
    const int32_t buffer = BufferOf({'h', 'i', 0});
    EXPECT_EQ(Call("network_send_packet", {double(client), double(buffer), 500.0}).Real(), 15.0);
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + std::to_string(client + 1) + ",3,hi,127.0.0.1;"));
    EXPECT_EQ(Call("network_send_packet", {double(client), 99.0, 3.0}).Real(), -1.0);
}

TEST_F(NetworkTest, AClosedClientGivesItsEventAtTheNextUpdate)
{
    const int32_t server = Server();
    const int32_t client = Client();
    test::Recorded().clear();
    Call("network_destroy", {double(client)});
    EXPECT_EQ(test::Recorded(), "");
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("2," + std::to_string(server) + "," + std::to_string(client + 1) + ",;"));
}

TEST_F(NetworkTest, AWrongHandshakeIsDroppedWithoutAnEvent)
{
    Server();
    const int socket = Raw();
    EXPECT_EQ(ReceiveRaw(socket, kNetGreeting.size()).bytes,
              std::vector<uint8_t>(kNetGreeting.begin(), kNetGreeting.end()));
    SendAll(socket, std::vector<uint8_t>(16, 7));
    EXPECT_EQ(UpdateUntilQuiet(), "");
    EXPECT_TRUE(ReceiveRaw(socket, 1).closed);
}

TEST_F(NetworkTest, PacketsBehindTheHandshakeInOneSendAreDelivered)
{
    const int32_t server = Server();
    const int socket = Raw();
    ReceiveRaw(socket, kNetGreeting.size());
    const auto request = NetHandshake_Request();
    SendAll(socket, Concat({request.begin(), request.end()}, Frame("early")));
    const std::string connection = std::to_string(server + 1);
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("1," + std::to_string(server) + "," + connection + ",127.0.0.1;") + kSelf +
                                      ("3," + connection + ",6,early,127.0.0.1;"));
}

TEST_F(NetworkTest, SplitAndOversizeFramesAreHeldOrDeliveredRawWithinTheirBytes)
{
    const int32_t server = Server();
    const int socket = RawConnected();
    const std::string id = std::to_string(server + 1);
    const std::vector<uint8_t> frame = Frame("split");
    SendAll(socket, {frame.begin(), frame.begin() + 7});
    EXPECT_EQ(UpdateUntilQuiet(), "");
    SendAll(socket, {frame.begin() + 7, frame.end()});
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + id + ",6,split,127.0.0.1;"));

    test::Recorded().clear();
    const auto huge = NetPacketHeader_Encode(0x7FFFFFFF);
    SendAll(socket, Concat({huge.begin(), huge.end()}, {'x', 0}));
    // All 14 bytes in one event; read as text, the header ends at its zero.
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + id + ",14,\xDE\xC0\xAD\xDE\f,127.0.0.1;"));
}

TEST_F(NetworkTest, ACutFrameWhosePeerLeavesIsDroppedWithTheConnection)
{
    const int32_t server = Server();
    const int socket = RawConnected();
    const auto header = NetPacketHeader_Encode(1000);
    SendAll(socket, Concat({header.begin(), header.end()}, {'a', 'b'}));
    HostSocket_Close(socket);
    m_raw.clear();
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("2," + std::to_string(server) + "," + std::to_string(server + 1) + ",;"));
}

TEST_F(NetworkTest, SendingToAPeerThatHasGoneFailsQuietly)
{
    const int32_t server = Server();
    const int socket = RawConnected();
    HostSocket_Close(socket);
    m_raw.clear();
    const int32_t buffer = BufferOf(std::vector<uint8_t>(64, 1));
    // The first send may still be taken by the system; a later one fails.
    double last = 0;
    for (int i = 0; i < 20 && last >= 0; ++i) {
        last = Call("network_send_packet", {double(server + 1), double(buffer), 64.0}).Real();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(last, -1.0);
}

TEST_F(NetworkTest, AServerThatGreetsWithOtherTextLeavesAPlainConnection)
{
    const int listener = HostSocket_Create(false);
    m_raw.push_back(listener);
    ASSERT_TRUE(HostSocket_PrepareListener(listener));
    ASSERT_TRUE(HostSocket_Bind(listener, 0));
    ASSERT_TRUE(HostSocket_Listen(listener));
    const uint16_t port = HostSocket_LocalPort(listener);
    std::vector<uint8_t> heardByServer;
    std::thread peer([&] {
        HostSocket_PollReadable(std::span(&listener, 1), 5000);
        uint32_t address = 0;
        const int connection = HostSocket_Accept(listener, &address);
        HostSocket_Send(connection, TextBytes("HELLO:other-server"));
        heardByServer = ReceiveRaw(connection, 1, 100).bytes;
        HostSocket_Close(connection);
    });
    const int32_t client = Call("network_create_socket", {0.0}).Real();
    EXPECT_EQ(Call("network_connect", {double(client), "127.0.0.1", double(port)}).Real(), 0.0);
    peer.join();
    EXPECT_TRUE(heardByServer.empty());
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + std::to_string(client) + ",19,HELLO:other-server,127.0.0.1;"));
}

TEST_F(NetworkTest, AFailedConnectLeavesNoHandle)
{
    const int32_t client = Call("network_create_socket", {0.0}).Real();
    EXPECT_EQ(Call("network_connect_raw", {double(client), "127.0.0.1", double(FreePort())}).Real(), -1.0);
    const int32_t buffer = BufferOf({1, 2, 3});
    EXPECT_EQ(Call("network_send_raw", {double(client), double(buffer), 3.0}).Real(), -1.0);
}

TEST_F(NetworkTest, GameCodeDestroyingTheSocketInItsEventEndsItsDeliveries)
{
    Server();
    const int32_t client = Client();
    test::Recorded().clear();
    g_wanted = "destroy";
    const int32_t buffer = BufferOf(Concat(Frame("one"), Frame("two")));
    Call("network_send_raw", {double(client), double(buffer), 32.0});
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + std::to_string(client + 1) + ",4,one,127.0.0.1;"));
}

TEST_F(NetworkTest, AServerDestroyedInItsConnectEventLeavesItsConnectionUsable)
{
    const int32_t server = Server();
    g_wanted = "destroy";
    const int32_t client = Client();
    const std::string connection = std::to_string(client + 1);
    EXPECT_EQ(test::Recorded(), kSelf + ("1," + std::to_string(server) + "," + connection + ",127.0.0.1;"));
    g_wanted.clear();
    test::Recorded().clear();
    const int32_t buffer = BufferOf({'o', 'k', 0});
    EXPECT_EQ(Call("network_send_packet", {double(client + 1), double(buffer), 3.0}).Real(), 15.0);
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + std::to_string(client) + ",3,ok,127.0.0.1;"));
}

TEST_F(NetworkTest, ABufferGameCodeMadeInPlaceOfTheEventsOneIsKept)
{
    Server();
    const int32_t client = Client();
    g_wanted = "replace";
    const int32_t buffer = BufferOf(Frame("mine"));
    Call("network_send_raw", {double(client), double(buffer), 17.0});
    UpdateUntilQuiet();
    ASSERT_GE(g_lastBuffer, 0);
    EXPECT_NE(Buffer_Get(g_lastBuffer), nullptr);
}

TEST_F(NetworkTest, UdpDatagramsGiveDataEventsOnTheServer)
{
    const int32_t server = Server(kNetSocketUdp);
    const int32_t client = Call("network_create_socket", {1.0}).Real();
    const int32_t buffer = BufferOf({'u', 'd', 'p', 0});
    EXPECT_EQ(Call("network_send_udp", {double(client), "127.0.0.1", double(m_port), double(buffer), 4.0}).Real(), 0.0);
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + std::to_string(server) + ",4,udp,127.0.0.1;"));
    EXPECT_EQ(Call("network_send_udp", {double(client), "127.0.0.1", double(m_port), 77.0, 4.0}).Real(), -1.0);
}

TEST_F(NetworkTest, AUdpPortIsServedOnceAndATcpPortOpensAgainPastItsClosedConnections)
{
    const test::HeardConsole console;
    Server(kNetSocketUdp);
    EXPECT_EQ(Call("network_create_server", {1.0, double(m_port), 8.0}).Real(), -1.0);
    EXPECT_NE(console.Text().find("Error: Can't bind port\n"), std::string::npos);

    const int32_t server = Server();
    const int32_t client = Client();
    // The server's side closes first and keeps the port in TIME_WAIT.
    Call("network_destroy", {double(client + 1)});
    Call("network_destroy", {double(server)});
    Call("network_destroy", {double(client)});
    EXPECT_GE(Call("network_create_server", {0.0, double(m_port), 8.0}).Real(), 0.0);
}

TEST_F(NetworkTest, AJoinTheFullServerClosesAtOnceFailsAndSendsNothing)
{
    Server(kNetSocketTcp, 1);
    Client();
    const int32_t refused = Call("network_create_socket", {0.0}).Real();
    EXPECT_EQ(Call("network_connect", {double(refused), "127.0.0.1", double(m_port)}).Real(), -1.0);
    const int32_t buffer = BufferOf({1, 2, 3});
    EXPECT_EQ(Call("network_send_packet", {double(refused), double(buffer), 3.0}).Real(), -1.0);
}

TEST_F(NetworkTest, APacketOverTheLimitIsRefusedWholeAndTheNextArrives)
{
    Server();
    const int32_t client = Client();
    test::Recorded().clear();
    const int32_t big = BufferOf(std::vector<uint8_t>(kNetMaxPayload + 1, 'x'));
    EXPECT_EQ(Call("network_send_packet", {double(client), double(big), double(kNetMaxPayload + 1)}).Real(), -1.0);
    const int32_t small = BufferOf({'o', 'k', 0});
    EXPECT_EQ(Call("network_send_packet", {double(client), double(small), 3.0}).Real(), 15.0);
    EXPECT_EQ(UpdateUntilQuiet(), kSelf + ("3," + std::to_string(client + 1) + ",3,ok,127.0.0.1;"));
}

// A peer that stops reading: the connection's sends never wait and never
// cut a packet; once the system's buffers and the connection's own back log
// are full they are refused whole, and the peer, reading again, gets every
// packet taken, whole and in order.
TEST_F(NetworkTest, ASlowPeerGetsEveryPacketTakenWholeAndTheRestIsRefused)
{
    const int32_t server = Server();
    const int peer = RawConnected();
    const double connection = server + 1;
    constexpr size_t kSize = 65536;
    const int32_t buffer = BufferOf(std::vector<uint8_t>(kSize, 7));
    uint32_t taken = 0;
    double result = 0;
    for (int i = 0; i < 4000 && result >= 0; ++i) {
        std::memcpy(Buffer_Get(buffer)->Data(), &taken, 4);
        result = Call("network_send_packet", {connection, double(buffer), double(kSize)}).Real();
        ASSERT_TRUE(result == kSize + kNetHeaderSize || result == -1.0) << result;
        taken += result > 0 ? 1 : 0;
    }
    EXPECT_EQ(result, -1.0);

    std::vector<uint8_t> arrived;
    const size_t expected = taken * (kSize + kNetHeaderSize);
    std::vector<uint8_t> area(1 << 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (arrived.size() < expected && std::chrono::steady_clock::now() < deadline) {
        Network_Update();  // sends what the connection held back
        HostSocket_PollReadable(std::span(&peer, 1), 10);
        const NetReadResult read = HostSocket_Receive(peer, area);
        arrived.insert(arrived.end(), area.begin(), area.begin() + static_cast<ptrdiff_t>(read.size));
    }
    ASSERT_EQ(arrived.size(), expected);
    for (uint32_t n = 0; n < taken; ++n) {
        const std::span<const uint8_t> frame = std::span(arrived).subspan(n * (kSize + kNetHeaderSize));
        const NetFrameStep step = NetFrames_Next(frame, true);
        ASSERT_EQ(step.kind, NetFrameStep::Kind::Payload) << n;
        ASSERT_EQ(step.size, kSize);
        uint32_t number = 0;
        std::memcpy(&number, frame.data() + kNetHeaderSize, 4);
        ASSERT_EQ(number, n);
    }
}

TEST_F(NetworkTest, AWholeSendWaitsForAPeerThatReadsNothingOnlyUntilItsStallBoundOrAGiveWay)
{
    const int32_t connection = Server() + 1;
    RawConnected();  // a peer that never reads
    // More than the system's buffers take, so more than the bound waits.
    const std::vector<uint8_t> bytes(16u << 20, 1);
    const auto never = [] { return false; };
    EXPECT_EQ(Network_SendRawWhole(connection, bytes, 100, never), static_cast<int32_t>(bytes.size()))
        << "taken at once while nothing waits";
    EXPECT_EQ(Network_SendRawWhole(connection, bytes, 60000, [] { return true; }), -1) << "a give-way ends the wait";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Network_SendRawWhole(connection, bytes, 100, never), -1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100)) << "it waited for the peer";
}

TEST_F(NetworkTest, TheSixtyFifthSlotIsRefused)
{
    for (int i = 0; i < kNetworkSlotCount; ++i) {
        EXPECT_EQ(Call("network_create_socket", {0.0}).Real(), i);
    }
    EXPECT_EQ(Call("network_create_socket", {0.0}).Real(), -1.0);
    EXPECT_EQ(Call("network_create_server", {0.0, double(FreePort()), 4.0}).Real(), -1.0);
}

TEST_F(NetworkTest, AServerTakesNoMoreClientsThanItWasGiven)
{
    Server(kNetSocketTcp, 2);
    const int first = Raw();
    const int second = Raw();
    const int third = Raw();
    EXPECT_EQ(ReceiveRaw(first, kNetGreeting.size()).bytes.size(), kNetGreeting.size());
    EXPECT_EQ(ReceiveRaw(second, kNetGreeting.size()).bytes.size(), kNetGreeting.size());
    const Received refused = ReceiveRaw(third, 1);
    EXPECT_TRUE(refused.closed);
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_EQ(Call("network_create_server", {0.0, double(FreePort()), 1024.0}).Real(), -1.0);
    EXPECT_NE(LastError().find("Illegal number of clients for server"), std::string::npos);
}

TEST_F(NetworkTest, NamesResolveToDottedText)
{
    EXPECT_EQ(Call("network_resolve", {"localhost"}).Text(), "127.0.0.1");
    EXPECT_EQ(Call("network_resolve", {"10.1.2.3"}).Text(), "10.1.2.3");
    EXPECT_EQ(Call("network_resolve", {3.0}).Text(), "");
}

TEST_F(NetworkTest, EveryBuiltInIsRegisteredWithTheCountItsBodyNeeds)
{
    const std::vector<std::pair<const char*, int32_t>> counts = {
        {"network_create_server", 3}, {"network_send_broadcast", 4}, {"network_send_udp", 5},
        {"network_set_timeout", 3},   {"mplay_init_serial", 5},      {"mplay_message_name", 0},
    };
    for (const auto& [name, count] : counts) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(name, &id)) << name;
        EXPECT_EQ(Code_Function_GetArgCount(id), count) << name;
    }
}

TEST_F(NetworkTest, MultiplayerBuiltInsAnswerThatNothingIsThere)
{
    EXPECT_EQ(Call("mplay_message_name", {}).Text(), "(unknown)");
    Call("mplay_data_write", {5.0, 1.0});
    EXPECT_EQ(Call("mplay_data_read", {5.0}).Real(), 0.0);
    EXPECT_EQ(Call("mplay_session_find", {}).Real(), 0.0);
    EXPECT_EQ(Call("mplay_ipaddress", {}).Text(), "");
}

}  // namespace
}  // namespace bw
