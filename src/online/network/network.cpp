#include "online/network/network.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "host/clock.h"
#include "host/net_socket.h"
#include "online/network/net_protocol.h"
#include "online/network/network_events.h"
#include "platform/console.h"
#include "script/error_report.h"

namespace bw {

namespace {

constexpr int32_t kDefaultTimeoutMilliseconds = 120;
constexpr size_t kReadChunk = 65536;
constexpr size_t kDatagramSize = 65536;
// Datagrams taken per poll, so that a flood cannot hold the game step.
constexpr int kDatagramsPerPoll = 1024;
constexpr uint32_t kLoopback = 0x7F000001;
constexpr uint32_t kBroadcast = 0xFFFFFFFF;
// What a connection may hold back for a peer that reads slowly before its
// sends are refused: as much as the peer may hold of one packet, so that a
// packet of the largest size does not turn away the next small one. A
// packet is taken whole while less than this waits.
constexpr size_t kWriteBufferBound = kNetReceiveCap;
// How long one look of a send that waits for a slow peer lasts, between its
// checks of whether to give way.
constexpr int kSendWaitSliceMilliseconds = 10;

enum class NetState { New, Greeted, Connected, Closed };

struct NetServer;

struct NetSocket {
    int handle = kNoSocket;
    int broadcastHandle = kNoSocket;
    int32_t type = kNetSocketTcp;
    NetState state = NetState::New;
    int32_t slotId = -1;
    std::string ip;
    int32_t readTimeout = kDefaultTimeoutMilliseconds;
    int32_t writeTimeout = kDefaultTimeoutMilliseconds;
    NetServer* server = nullptr;  // the server whose client set holds it
    NetStreamAssembler received;
    // Bytes of whole sends the system has not taken yet, sent at the next
    // poll: a send never waits for the peer and never leaves a cut frame.
    std::vector<uint8_t> unsent;
    bool sendFailed = false;  // the connection broke under a send
    bool retired = false;

    ~NetSocket() { CloseHandles(); }
    void CloseHandles()
    {
        HostSocket_Close(handle);
        HostSocket_Close(broadcastHandle);
        handle = kNoSocket;
        broadcastHandle = kNoSocket;
        unsent.clear();
        sendFailed = false;
    }
};

struct NetServer {
    std::unique_ptr<NetSocket> listener;
    std::vector<NetSocket*> clients;  // each owned by its slot
    int32_t id = -1;
    int32_t type = kNetSocketTcp;
    int32_t maxClients = kNetServerClientLimit;
    bool retired = false;
    const NetDebuggerHandler* debugger = nullptr;  // set on a debugger server
};

struct NetworkSocketSlot {
    bool inUse = false;
    std::unique_ptr<NetSocket> socket;
    std::unique_ptr<NetServer> server;
};

std::array<NetworkSocketSlot, kNetworkSlotCount> g_slots;
int g_pollDepth = 0;
std::vector<std::unique_ptr<NetSocket>> g_retiredSockets;
std::vector<std::unique_ptr<NetServer>> g_retiredServers;

// Held while a poll (or a connect, which polls) may run game code.
class PollScope {
public:
    PollScope() { ++g_pollDepth; }
    ~PollScope()
    {
        if (--g_pollDepth == 0) {
            g_retiredSockets.clear();
            g_retiredServers.clear();
        }
    }
    PollScope(const PollScope&) = delete;
    PollScope& operator=(const PollScope&) = delete;
};

std::string DottedText(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(address >> 24),
                  static_cast<int>((address >> 16) & 255), static_cast<int>((address >> 8) & 255),
                  static_cast<int>(address & 255));
    return text;
}

void PrintError(int error)
{
    if (const char* line = HostNet_ErrorLine(error)) {
        Console().Printf("%s", line);
    }
}

int32_t AllocateSlot()
{
    for (int32_t i = 0; i < kNetworkSlotCount; ++i) {
        if (!g_slots[static_cast<size_t>(i)].inUse) {
            g_slots[static_cast<size_t>(i)].inUse = true;
            return i;
        }
    }
    return -1;
}

NetworkSocketSlot* SlotAt(int32_t id)
{
    if (id < 0 || id >= kNetworkSlotCount || !g_slots[static_cast<size_t>(id)].inUse) {
        return nullptr;
    }
    return &g_slots[static_cast<size_t>(id)];
}

NetSocket* SocketAt(int32_t id)
{
    NetworkSocketSlot* slot = SlotAt(id);
    return slot != nullptr ? slot->socket.get() : nullptr;
}

// The slot's socket, or a server's listening socket.
NetSocket* SocketOrListenerAt(int32_t id)
{
    NetworkSocketSlot* slot = SlotAt(id);
    if (slot == nullptr) {
        return nullptr;
    }
    return slot->server != nullptr ? slot->server->listener.get() : slot->socket.get();
}

// Sends what the system takes of the held bytes; a failure drops them (the
// read side sees the connection end).
void FlushUnsent(NetSocket& socket)
{
    if (socket.unsent.empty() || socket.handle == kNoSocket) {
        return;
    }
    const int64_t taken = HostSocket_SendSome(socket.handle, socket.unsent);
    if (taken < 0) {
        socket.unsent.clear();
        socket.sendFailed = true;
        return;
    }
    socket.unsent.erase(socket.unsent.begin(), socket.unsent.begin() + static_cast<ptrdiff_t>(taken));
}

// Sends the bytes whole: what the system does not take now waits behind
// what already waits. False, with nothing of them sent, when the
// connection has failed or a slow peer has left more than the bound
// waiting.
bool QueueSend(NetSocket& socket, std::span<const uint8_t> bytes)
{
    if (socket.handle == kNoSocket || socket.sendFailed || socket.unsent.size() > kWriteBufferBound) {
        return false;
    }
    if (socket.unsent.empty()) {
        const int64_t taken = HostSocket_SendSome(socket.handle, bytes);
        if (taken < 0) {
            socket.sendFailed = true;
            return false;
        }
        bytes = bytes.subspan(static_cast<size_t>(taken));
    }
    socket.unsent.insert(socket.unsent.end(), bytes.begin(), bytes.end());
    return true;
}

void RetireSocket(std::unique_ptr<NetSocket> socket)
{
    if (socket == nullptr) {
        return;
    }
    // What the system takes now still reaches the peer.
    FlushUnsent(*socket);
    socket->CloseHandles();
    socket->state = NetState::Closed;
    socket->retired = true;
    if (NetServer* server = socket->server) {
        std::erase(server->clients, socket.get());
        socket->server = nullptr;
    }
    if (g_pollDepth > 0) {
        g_retiredSockets.push_back(std::move(socket));
    }
}

// Its connections stay in their slots, as plain sockets from now on.
void RetireServer(std::unique_ptr<NetServer> server)
{
    if (server == nullptr) {
        return;
    }
    server->retired = true;
    server->listener->CloseHandles();
    for (NetSocket* client : server->clients) {
        client->server = nullptr;
    }
    server->clients.clear();
    if (g_pollDepth > 0) {
        g_retiredServers.push_back(std::move(server));
    }
}

void FreeSlot(int32_t id)
{
    NetworkSocketSlot* slot = SlotAt(id);
    if (slot == nullptr) {
        return;
    }
    RetireServer(std::move(slot->server));
    RetireSocket(std::move(slot->socket));
    slot->inUse = false;
}

// Reads what is waiting on a stream without blocking, up to what the socket
// may hold back. False when the peer has gone and nothing came.
bool ReadStream(NetSocket& socket, bool* gotAny)
{
    *gotAny = false;
    while (socket.handle != kNoSocket) {
        const std::span<uint8_t> area = socket.received.ReadArea(kReadChunk);
        if (area.empty()) {
            return true;
        }
        const NetReadResult read = HostSocket_Receive(socket.handle, area);
        socket.received.Commit(read.outcome == NetRead::Data ? read.size : 0);
        if (read.outcome == NetRead::Closed) {
            return *gotAny;
        }
        if (read.outcome == NetRead::Nothing) {
            return true;
        }
        *gotAny = true;
    }
    return *gotAny;
}

// Every complete delivery the socket holds, each in its own event, until
// game code ends the socket.
void DeliverHeld(NetSocket& socket)
{
    while (!socket.retired) {
        const auto next = socket.received.Next();
        if (!next) {
            return;
        }
        Network_PostData(socket.slotId, *next, socket.ip.c_str());
    }
}

// One datagram: its frames, then whatever is not a frame, each an event.
void DeliverDatagram(int32_t id, std::span<const uint8_t> datagram, const char* ip, const bool& retired)
{
    while (!datagram.empty() && !retired) {
        const NetFrameStep step = NetFrames_Next(datagram, false);
        Network_PostData(id, datagram.subspan(step.offset, step.size), ip);
        datagram = datagram.subspan(step.consumed);
    }
}

// Datagrams waiting on a UDP socket, each delivered under the id.
void ReadDatagrams(NetSocket& socket, int32_t id, const bool& retired)
{
    std::vector<uint8_t> datagram(kDatagramSize);
    for (int i = 0; i < kDatagramsPerPoll && !retired && socket.handle != kNoSocket; ++i) {
        const NetReadResult read = HostSocket_ReceiveFrom(socket.handle, datagram);
        if (read.outcome != NetRead::Data) {
            return;
        }
        socket.ip = DottedText(read.sender);
        // Game code run by an event may poll this socket again and change
        // its sender.
        const std::string ip = socket.ip;
        DeliverDatagram(id, std::span(datagram).first(read.size), ip.c_str(), retired);
    }
}

void AcceptConnections(NetServer& server)
{
    while (!server.retired) {
        uint32_t peer = 0;
        const int handle = HostSocket_Accept(server.listener->handle, &peer);
        if (handle == kNoSocket) {
            const int error = HostNet_LastError();
            if (error != EAGAIN && error != EWOULDBLOCK) {
                PrintError(error);
            }
            return;
        }
        const int32_t slot = static_cast<int32_t>(server.clients.size()) < server.maxClients ? AllocateSlot() : -1;
        if (slot < 0) {
            HostSocket_Close(handle);
            continue;
        }
        auto connection = std::make_unique<NetSocket>();
        connection->handle = handle;
        connection->type = server.type;
        connection->slotId = slot;
        connection->ip = DottedText(peer);
        connection->server = &server;
        connection->state = NetState::Greeted;
        HostSocket_SetTimeouts(handle, connection->readTimeout, connection->writeTimeout);
        server.clients.push_back(connection.get());
        Console().Printf("Client(%d) Conected: %s\n", slot, connection->ip.c_str());
        NetSocket& greeted = *connection;
        g_slots[static_cast<size_t>(slot)].socket = std::move(connection);
        if (!QueueSend(greeted, kNetGreeting)) {
            Console().Printf("send error\n");
            FreeSlot(slot);
        }
    }
}

// Command packets held by a debugger connection, until the link waits for
// more or drops the connection.
void DeliverToDebugger(const NetDebuggerHandler& debugger, NetSocket& connection)
{
    while (!connection.retired && connection.received.Held() > 0) {
        const int64_t used = debugger.received(connection.slotId, connection.received.HeldBytes());
        if (used < 0) {
            const int32_t slot = connection.slotId;
            FreeSlot(slot);
            debugger.disconnected(slot);
            return;
        }
        if (used == 0) {
            return;
        }
        connection.received.Consume(static_cast<size_t>(used));
    }
}

// A greeted connection must open with the handshake; a wrong one is
// dropped without any event. Bytes behind it are the first packets.
void ProcessConnection(NetServer& server, NetSocket& connection)
{
    if (connection.state == NetState::Greeted) {
        const std::span<const uint8_t> held = connection.received.HeldBytes();
        if (held.size() < kNetHeaderSize) {
            return;
        }
        if (!NetHandshake_IsRequest(held)) {
            FreeSlot(connection.slotId);
            return;
        }
        if (held.size() < kNetHandshakeRequestSize) {
            return;
        }
        connection.received.Consume(kNetHandshakeRequestSize);
        QueueSend(connection, NetHandshake_Reply());
        connection.state = NetState::Connected;
        if (server.debugger != nullptr) {
            server.debugger->connected(connection.slotId);
        } else {
            Network_PostConnect(server.id, connection.slotId, connection.ip.c_str());
        }
    }
    if (server.debugger != nullptr) {
        DeliverToDebugger(*server.debugger, connection);
    } else {
        DeliverHeld(connection);
    }
}

void ReadConnection(NetServer& server, NetSocket& connection)
{
    bool gotAny = false;
    if (!ReadStream(connection, &gotAny)) {
        const int32_t slot = connection.slotId;
        Console().Printf("Client(%d) Disconnected: %s\n", slot, connection.ip.c_str());
        FreeSlot(slot);
        if (server.debugger != nullptr) {
            server.debugger->disconnected(slot);
        } else {
            Network_PostDisconnect(server.id, slot);
        }
        return;
    }
    if (gotAny) {
        ProcessConnection(server, connection);
    }
}

void PollServer(NetServer& server)
{
    if (server.retired) {
        return;
    }
    for (NetSocket* client : server.clients) {
        FlushUnsent(*client);
    }
    std::vector<NetSocket*> members{server.listener.get()};
    members.insert(members.end(), server.clients.begin(), server.clients.end());
    std::vector<int> handles;
    for (const NetSocket* member : members) {
        handles.push_back(member->handle);
    }
    for (const size_t index : HostSocket_PollReadable(handles, 0)) {
        NetSocket* member = members[index];
        if (server.retired) {
            return;
        }
        if (member->retired) {
            continue;
        }
        if (server.type == kNetSocketUdp) {
            ReadDatagrams(*member, server.id, server.retired);
        } else if (member == server.listener.get()) {
            AcceptConnections(server);
        } else if (member->server == &server) {
            ReadConnection(server, *member);
        }
    }
    // The debugger link may leave packets held while the game it holds
    // goes on: they are served at the next poll even when nothing new came.
    if (server.debugger != nullptr && !server.retired) {
        for (NetSocket* connection : std::vector<NetSocket*>(server.clients)) {
            if (connection->state == NetState::Connected) {
                DeliverToDebugger(*server.debugger, *connection);
            }
        }
    }
}

void PollServers()
{
    for (NetworkSocketSlot& slot : g_slots) {
        if (slot.inUse && slot.server != nullptr) {
            PollServer(*slot.server);
        }
    }
}

void ReadPlainSocket(NetSocket& socket)
{
    if (socket.handle == kNoSocket || socket.state == NetState::Closed) {
        return;
    }
    FlushUnsent(socket);
    if (socket.type == kNetSocketUdp) {
        ReadDatagrams(socket, socket.slotId, socket.retired);
        return;
    }
    bool gotAny = false;
    if (!ReadStream(socket, &gotAny)) {
        // The peer has gone; the socket stays until game code destroys it.
        socket.state = NetState::Closed;
    }
    DeliverHeld(socket);
}

int64_t NowMilliseconds()
{
    return Host_SystemClock().nowMicroseconds() / 1000;
}

// Sends what the system takes until a peer that reads slowly holds no more
// than the bound back. False when the connection fails, the peer takes
// nothing for stallMilliseconds, or giveWay() ends the wait.
bool AwaitSendRoom(NetSocket& socket, int32_t stallMilliseconds, bool (*giveWay)())
{
    int64_t lastTaken = NowMilliseconds();
    while (socket.unsent.size() > kWriteBufferBound) {
        const size_t held = socket.unsent.size();
        FlushUnsent(socket);
        if (socket.sendFailed || giveWay()) {
            return false;
        }
        const int64_t now = NowMilliseconds();
        if (socket.unsent.size() < held) {
            lastTaken = now;
        } else if (now - lastTaken >= stallMilliseconds) {
            return false;
        }
        HostSocket_PollWritable(socket.handle, kSendWaitSliceMilliseconds);
    }
    return true;
}

// Reads into the socket until done(held bytes) or the wait is over, polling
// the servers of this program meanwhile so that one of them can answer.
template <typename Done>
void AwaitBytes(NetSocket& socket, Done&& done)
{
    const int64_t deadline = NowMilliseconds() + kNetConnectWaitMilliseconds;
    bool gotAny = false;
    while (ReadStream(socket, &gotAny) && !socket.retired && !done(socket.received.HeldBytes()) &&
           NowMilliseconds() < deadline) {
        FlushUnsent(socket);
        PollServers();
        const int handle = socket.handle;
        HostSocket_PollReadable(std::span(&handle, 1), 1);
    }
}

bool IsGreetingStart(std::span<const uint8_t> held)
{
    const size_t known = std::min(held.size(), kNetGreeting.size());
    return std::equal(held.begin(), held.begin() + static_cast<ptrdiff_t>(known), kNetGreeting.begin());
}

bool Resolve(const char* host, uint32_t* address, int* error)
{
    if (std::string_view(host) == "localhost") {
        *address = kLoopback;
        return true;
    }
    *error = HostNet_Resolve(host, address);
    if (*error != 0) {
        Console().Printf("Error: Can't find server name  (%s)\r\n", host);
        return false;
    }
    return true;
}

bool ValidPort(int32_t port)
{
    return port >= 0 && port <= 65535;
}

int32_t FailConnect(NetSocket& socket)
{
    socket.CloseHandles();
    socket.state = NetState::Closed;
    return -1;
}

int32_t Handshake(NetSocket& socket)
{
    AwaitBytes(socket, [](std::span<const uint8_t> held) {
        return held.size() >= kNetGreeting.size() || !IsGreetingStart(held);
    });
    if (socket.retired) {
        return -1;
    }
    const std::span<const uint8_t> greeting = socket.received.HeldBytes();
    // Nothing (a server that closed the connection at once, being full, or
    // one that did not greet within the wait) or only the start of the
    // greeting is no join: closing tells the server it is over, so neither
    // side counts a connection the other has dropped.
    if (greeting.size() < kNetGreeting.size() && IsGreetingStart(greeting)) {
        return FailConnect(socket);
    }
    if (greeting.size() != kNetGreeting.size() || !IsGreetingStart(greeting)) {
        return 0;
    }
    socket.received.Consume(kNetGreeting.size());
    if (!QueueSend(socket, NetHandshake_Request())) {
        return FailConnect(socket);
    }
    AwaitBytes(socket, [](std::span<const uint8_t> held) { return held.size() >= kNetHandshakeReplySize; });
    if (socket.retired || !NetHandshake_IsReply(socket.received.HeldBytes())) {
        return FailConnect(socket);
    }
    socket.received.Consume(kNetHandshakeReplySize);
    return 0;
}

bool OpenServer(NetServer& server, int32_t port, bool loopbackOnly)
{
    auto listener = std::make_unique<NetSocket>();
    listener->type = server.type;
    listener->slotId = server.id;
    listener->handle = HostSocket_Create(server.type == kNetSocketUdp);
    if (listener->handle == kNoSocket) {
        Console().Printf("Error: Can't create socket\n");
        Console().Printf("Error: Can't open main server socket\n");
        return false;
    }
    if (!HostSocket_PrepareListener(listener->handle)) {
        Console().Printf("Error: Can't put sopcket into ASYNC mode\n");
    }
    HostSocket_SetTimeouts(listener->handle, listener->readTimeout, listener->writeTimeout);
    if (!HostSocket_Bind(listener->handle, static_cast<uint16_t>(port), loopbackOnly)) {
        Console().Printf("Error: Can't bind port\n");
        Console().Printf("cannot bind port \n");
        return false;
    }
    if (server.type == kNetSocketTcp && !HostSocket_Listen(listener->handle)) {
        Console().Printf("Error: Can't listen to socket\n");
        Console().Printf("cannot listen on selected port\n");
        return false;
    }
    server.listener = std::move(listener);
    return true;
}

// Opens the server in a free slot: the slot, or -1.
int32_t OpenInSlot(std::unique_ptr<NetServer> server, int32_t port, bool loopbackOnly)
{
    const int32_t slot = AllocateSlot();
    if (slot < 0) {
        return -1;
    }
    server->id = slot;
    if (!OpenServer(*server, port, loopbackOnly)) {
        g_slots[static_cast<size_t>(slot)].inUse = false;
        return -1;
    }
    g_slots[static_cast<size_t>(slot)].server = std::move(server);
    return slot;
}

int32_t SendDatagram(int handle, std::span<const uint8_t> bytes, uint32_t address, int32_t port)
{
    const int64_t sent = HostSocket_SendTo(handle, bytes, address, static_cast<uint16_t>(port));
    if (sent < 0) {
        return -2;
    }
    return sent == static_cast<int64_t>(bytes.size()) ? 0 : -3;
}

}  // namespace

int32_t Network_CreateSocket(int32_t type)
{
    HostNet_Startup();
    if (type == kNetSocketBluetooth) {
        Code_Error_Runtime("Error: Bluetooth not yet implemented", false);
    } else if (type != kNetSocketTcp && type != kNetSocketUdp) {
        return -1;
    }
    auto socket = std::make_unique<NetSocket>();
    socket->type = type;
    socket->state = NetState::Connected;
    if (type == kNetSocketUdp) {
        socket->handle = HostSocket_Create(true);
        if (socket->handle == kNoSocket) {
            return -1;
        }
    }
    const int32_t slot = AllocateSlot();
    if (slot >= 0) {
        socket->slotId = slot;
        g_slots[static_cast<size_t>(slot)].socket = std::move(socket);
    }
    return slot;
}

int32_t Network_CreateServer(int32_t type, int32_t port, int32_t maxClients)
{
    HostNet_Startup();
    if (maxClients > kNetServerMaxRequest) {
        Code_Error_Runtime("Illegal number of clients for server", false);
        return -1;
    }
    if ((type != kNetSocketTcp && type != kNetSocketUdp) || !ValidPort(port)) {
        return -1;
    }
    auto server = std::make_unique<NetServer>();
    server->type = type;
    server->maxClients = std::clamp(maxClients, 0, kNetServerClientLimit);
    return OpenInSlot(std::move(server), port, false);
}

int32_t Network_CreateDebuggerServer(int32_t port, const NetDebuggerHandler& handler)
{
    HostNet_Startup();
    if (!ValidPort(port)) {
        return -1;
    }
    auto server = std::make_unique<NetServer>();
    server->maxClients = 1;
    server->debugger = &handler;
    return OpenInSlot(std::move(server), port, true);
}

int32_t Network_ServerPort(int32_t id)
{
    NetworkSocketSlot* slot = SlotAt(id);
    return slot != nullptr && slot->server != nullptr ? HostSocket_LocalPort(slot->server->listener->handle) : 0;
}

void Network_PollServer(int32_t id)
{
    PollScope scope;
    NetworkSocketSlot* slot = SlotAt(id);
    if (slot != nullptr && slot->server != nullptr) {
        PollServer(*slot->server);
    }
}

int32_t Network_Connect(int32_t id, const char* host, int32_t port, bool handshake)
{
    PollScope scope;
    NetSocket* socket = SocketAt(id);
    uint32_t address = 0;
    int error = 0;
    if (socket == nullptr || socket->type != kNetSocketTcp || socket->server != nullptr || !ValidPort(port) ||
        !Resolve(host, &address, &error)) {
        return -1;
    }
    socket->CloseHandles();
    socket->received = NetStreamAssembler();
    socket->ip = DottedText(address);
    const int handle = HostSocket_Create(false);
    if (handle == kNoSocket ||
        !HostSocket_Connect(handle, address, static_cast<uint16_t>(port), kNetConnectWaitMilliseconds)) {
        PrintError(HostNet_LastError());
        HostSocket_Close(handle);
        socket->state = NetState::Closed;
        return -1;
    }
    HostSocket_SetTimeouts(handle, socket->readTimeout, socket->writeTimeout);
    socket->handle = handle;
    socket->state = NetState::Connected;
    return handshake ? Handshake(*socket) : 0;
}

int32_t Network_SendPacket(int32_t id, std::span<const uint8_t> payload)
{
    // The receiver takes no larger frame: it would arrive in pieces.
    if (payload.size() > kNetMaxPayload) {
        return -1;
    }
    return Network_SendRaw(id, NetPacket_Frame(payload));
}

int32_t Network_SendRaw(int32_t id, std::span<const uint8_t> bytes)
{
    NetSocket* socket = SocketAt(id);
    if (socket == nullptr || !QueueSend(*socket, bytes)) {
        return -1;
    }
    return static_cast<int32_t>(bytes.size());
}

int32_t Network_SendRawWhole(int32_t id, std::span<const uint8_t> bytes, int32_t stallMilliseconds,
                             bool (*giveWay)())
{
    NetSocket* socket = SocketAt(id);
    if (socket == nullptr || !AwaitSendRoom(*socket, stallMilliseconds, giveWay) || !QueueSend(*socket, bytes)) {
        return -1;
    }
    return static_cast<int32_t>(bytes.size());
}

int32_t Network_SendUdp(int32_t id, const char* host, int32_t port, std::span<const uint8_t> payload)
{
    NetSocket* socket = SocketAt(id);
    if (socket == nullptr || !ValidPort(port)) {
        return -1;
    }
    uint32_t address = 0;
    int error = 0;
    if (!Resolve(host, &address, &error)) {
        return error;
    }
    return SendDatagram(socket->handle, NetPacket_Frame(payload), address, port);
}

int32_t Network_SendBroadcast(int32_t id, int32_t port, std::span<const uint8_t> bytes)
{
    NetSocket* socket = SocketOrListenerAt(id);
    if (socket == nullptr || !ValidPort(port)) {
        return -1;
    }
    if (socket->broadcastHandle == kNoSocket) {
        socket->broadcastHandle = HostSocket_Create(true);
        if (socket->broadcastHandle == kNoSocket || !HostSocket_SetBroadcast(socket->broadcastHandle)) {
            return -1;
        }
    }
    return SendDatagram(socket->broadcastHandle, bytes, kBroadcast, port);
}

std::string Network_Resolve(const char* host)
{
    uint32_t address = 0;
    int error = 0;
    return Resolve(host, &address, &error) ? DottedText(address) : std::string();
}

int32_t Network_SetTimeout(int32_t id, int32_t readMilliseconds, int32_t writeMilliseconds)
{
    NetSocket* socket = SocketOrListenerAt(id);
    if (socket == nullptr) {
        return 0;
    }
    socket->readTimeout = readMilliseconds;
    socket->writeTimeout = writeMilliseconds;
    if (socket->handle == kNoSocket) {
        return 0;  // applied when the socket is made
    }
    return HostSocket_SetTimeouts(socket->handle, readMilliseconds, writeMilliseconds);
}

void Network_Destroy(int32_t id)
{
    FreeSlot(id);
    Network_DropWaiting(id);
}

void Network_Update()
{
    PollScope scope;
    Network_PerformWaiting();
    for (NetworkSocketSlot& slot : g_slots) {
        if (!slot.inUse) {
            continue;
        }
        if (slot.server != nullptr) {
            PollServer(*slot.server);
        } else if (slot.socket != nullptr && slot.socket->server == nullptr) {
            ReadPlainSocket(*slot.socket);
        }
    }
}

void Network_Shutdown()
{
    for (int32_t id = 0; id < kNetworkSlotCount; ++id) {
        FreeSlot(id);
    }
    Network_ForgetEvents();
}

}  // namespace bw
