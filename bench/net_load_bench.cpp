// Network load: one server game and 200 clients on 127.0.0.1, each client
// sending 100 framed packets. The clients run on a thread of their own, as
// another program would, and speak the protocol with the host's sockets:
// greeting, handshake, packets, close. They come in groups of 40, as the
// server's 64-slot table holds at most 63 connections at once. The server is
// a game: its networking event hands each packet to a built-in that checks
// it. Prints packets per second; fails when a packet is lost or reordered
// on its connection. Every wait is bounded and the run ends by itself.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "host/net_socket.h"
#include "library/buffer.h"
#include "library/ds_builtins.h"
#include "online/network/net_protocol.h"
#include "online/network/network.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "world/builtin_variables.h"
#include "world/event.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/room.h"
#include "world/script_access.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {
namespace {

constexpr int kClients = 200;
constexpr int kPacketsPerClient = 100;
constexpr int kGroupSize = 40;
constexpr int kPayloadSize = 64;
constexpr auto kRunLimit = std::chrono::seconds(60);

using Clock = std::chrono::steady_clock;

// What the server game saw, per client.
struct Tally {
    std::vector<int> nextSequence = std::vector<int>(kClients, 0);
    std::vector<int> clientOfSlot = std::vector<int>(kNetworkSlotCount, -1);
    int packets = 0;
    std::atomic<int> disconnects = 0;  // read by the clients' thread
    int faults = 0;
};
Tally g_tally;

uint32_t ReadWord(const uint8_t* bytes)
{
    uint32_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// bench_event(type, socket id, buffer): the server game's packet check.
void BenchEvent(Value*, CInstance*, CInstance*, int32_t, Value* args)
{
    const int type = static_cast<int>(args[0].real);
    const int slot = static_cast<int>(args[1].real);
    if (type == 1) {
        return;
    }
    if (type == 2) {
        ++g_tally.disconnects;
        return;
    }
    const IBuffer* buffer = Buffer_Get(static_cast<int32_t>(args[2].real));
    if (type != 3 || slot < 0 || slot >= kNetworkSlotCount || buffer == nullptr || buffer->Size() != kPayloadSize) {
        ++g_tally.faults;
        return;
    }
    const auto client = static_cast<int>(ReadWord(buffer->Data()));
    const auto sequence = static_cast<int>(ReadWord(buffer->Data() + 4));
    int& owner = g_tally.clientOfSlot[static_cast<size_t>(slot)];
    if (sequence == 0) {
        owner = client;
    }
    if (client < 0 || client >= kClients || owner != client ||
        g_tally.nextSequence[static_cast<size_t>(client)] != sequence) {
        ++g_tally.faults;
        return;
    }
    ++g_tally.nextSequence[static_cast<size_t>(client)];
    ++g_tally.packets;
}

// The server game: one instance whose object has the networking event.
void SetUpServerGame(CRoom& room, std::unique_ptr<CCode>& code)
{
    Variable_Init();
    Variable_Global_Init();
    Room_SetCurrent(&room, 0);
    World_RegisterScriptAccess();
    Code_Error_SetShowErrors(false);
    Function_Data_Structures_Register();
    Code_Function_Register("bench_event", &BenchEvent, 3);
    auto* object = new CObject(0);
    Object_Insert(object);
    code = std::make_unique<CCode>(
        "bench_event(ds_map_find_value(async_load, \"type\"), ds_map_find_value(async_load, \"id\"),"
        " ds_map_find_value(async_load, \"buffer\"))",
        false);
    code->Compile("Bench.network");
    auto event = std::make_unique<CEvent>();
    event->code = code.get();
    event->text = "";
    auto& others = object->events[kEventOther];
    others.resize(69);
    others[68] = std::move(event);
    auto* instance = new CInstance(0.0f, 0.0f, kInstanceIdFirst, 0, true);
    InstanceHash_Insert(instance->i_id, instance);
    room.activeInstances.InsertByDepth(instance);
    Object_BuildEventLists();
}

bool ReceiveExactly(int socket, std::span<uint8_t> out, Clock::time_point deadline)
{
    size_t got = 0;
    while (got < out.size() && Clock::now() < deadline) {
        HostSocket_PollReadable(std::span(&socket, 1), 10);
        const NetReadResult read = HostSocket_Receive(socket, out.subspan(got));
        if (read.outcome == NetRead::Closed) {
            return false;
        }
        got += read.size;
    }
    return got == out.size();
}

// A client past greeting and handshake, or kNoSocket.
int ConnectClient(uint16_t port, Clock::time_point deadline)
{
    const int socket = HostSocket_Create(false);
    std::array<uint8_t, kNetGreeting.size()> greeting{};
    std::array<uint8_t, kNetHandshakeReplySize> reply{};
    if (!HostSocket_Connect(socket, 0x7F000001, port, 1000) || !ReceiveExactly(socket, greeting, deadline) ||
        greeting != kNetGreeting || HostSocket_Send(socket, NetHandshake_Request()) < 0 ||
        !ReceiveExactly(socket, reply, deadline) || !NetHandshake_IsReply(reply)) {
        HostSocket_Close(socket);
        return kNoSocket;
    }
    return socket;
}

// The clients' program: groups of clients, each sending its packets
// interleaved with the others of its group, then closing.
void RunClients(uint16_t port, Clock::time_point deadline, std::atomic<bool>* failed)
{
    for (int first = 0; first < kClients && !*failed; first += kGroupSize) {
        std::vector<int> group;
        for (int client = first; client < first + kGroupSize && client < kClients; ++client) {
            group.push_back(ConnectClient(port, deadline));
            if (group.back() == kNoSocket) {
                *failed = true;
            }
        }
        for (int sequence = 0; sequence < kPacketsPerClient && !*failed; ++sequence) {
            for (size_t i = 0; i < group.size(); ++i) {
                std::vector<uint8_t> payload(kPayloadSize, 0xAB);
                const uint32_t words[2] = {static_cast<uint32_t>(first) + static_cast<uint32_t>(i),
                                           static_cast<uint32_t>(sequence)};
                std::memcpy(payload.data(), words, sizeof words);
                if (HostSocket_Send(group[i], NetPacket_Frame(payload)) < 0) {
                    *failed = true;
                }
            }
        }
        for (const int socket : group) {
            HostSocket_Close(socket);
        }
        // The next group waits until the server has let this one go.
        while (g_tally.disconnects.load() < first + static_cast<int>(group.size()) && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

int Run()
{
    CRoom room;
    std::unique_ptr<CCode> code;
    SetUpServerGame(room, code);
    const int probe = HostSocket_Create(false);
    HostSocket_Bind(probe, 0);
    const uint16_t port = HostSocket_LocalPort(probe);
    HostSocket_Close(probe);
    if (Network_CreateServer(kNetSocketTcp, port, kNetServerMaxRequest) < 0) {
        std::fprintf(stderr, "net_load_bench: no server on port %u\n", port);
        return 1;
    }
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + kRunLimit;
    std::atomic<bool> failed = false;
    std::thread clients(RunClients, port, deadline, &failed);
    int steps = 0;
    while (g_tally.disconnects < kClients && !failed && Clock::now() < deadline) {
        Network_Update();
        ++steps;
    }
    clients.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Network_Shutdown();
    const int expected = kClients * kPacketsPerClient;
    std::printf("clients %d, packets %d of %d, %.3f s, %d steps, %.0f packets/s\n", kClients, g_tally.packets,
                expected, seconds, steps, g_tally.packets / seconds);
    if (failed || g_tally.faults > 0 || g_tally.packets != expected) {
        std::printf("FAILED: %d packets lost or out of order%s\n", g_tally.faults + expected - g_tally.packets,
                    failed ? ", a client could not connect or send" : "");
        return 1;
    }
    std::printf("every packet arrived, in order on its connection\n");
    return 0;
}

}  // namespace
}  // namespace bw

int main()
{
    return bw::Run();
}
