// Game code's sockets: a table of 64 slots, each a socket (made by game code
// or accepted by a server) or a server. Servers and plain sockets are polled
// once per game step; what arrives reaches game code through the networking
// event, run inside the poll.
//
// Records that game code (or a dropped peer) ends while a poll or a connect
// runs are retired, not freed: their slot is free at once, their OS sockets
// closed, and the records themselves live until the outermost poll is over,
// so a walk in progress never meets freed memory.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace bw {

inline constexpr int32_t kNetworkSlotCount = 64;
inline constexpr int32_t kNetSocketTcp = 0;
inline constexpr int32_t kNetSocketUdp = 1;
inline constexpr int32_t kNetSocketBluetooth = 2;
// The most clients game code may ask for, and the most a server accepts.
inline constexpr int32_t kNetServerMaxRequest = 1023;
inline constexpr int32_t kNetServerClientLimit = 1014;
// How long a connect waits for the peer, network_connect for the greeting
// and for the reply.
inline constexpr int32_t kNetConnectWaitMilliseconds = 5000;

// The slot of a new socket or server; -1 on failure.
int32_t Network_CreateSocket(int32_t type);
int32_t Network_CreateServer(int32_t type, int32_t port, int32_t maxClients);
// Connects a TCP socket: 0 or -1. With the handshake, a server that greets
// as a runner is answered and its reply awaited; a peer that sends nothing
// (or only part of the greeting) within the wait fails the connect, any
// other leaves a plain connection (0).
int32_t Network_Connect(int32_t socket, const char* host, int32_t port, bool handshake);
// Bytes sent, whole (a packet's count includes its header); what the system
// does not take at once goes at the next polls. -1, nothing sent, for a
// payload over kNetMaxPayload, a broken connection, or one that already
// holds back more than a packet of that size for a peer that reads slowly.
int32_t Network_SendPacket(int32_t socket, std::span<const uint8_t> payload);
int32_t Network_SendRaw(int32_t socket, std::span<const uint8_t> bytes);
// Network_SendRaw for a peer that must get every send, in order: where a
// slow peer already holds more than that bound back, it waits for the peer
// to take bytes first. -1, nothing of the bytes sent, when the connection
// has failed, the peer took nothing for stallMilliseconds, or giveWay()
// answered true (checked about every 10 ms); the connection is then of no
// more use to such a peer.
int32_t Network_SendRawWhole(int32_t socket, std::span<const uint8_t> bytes, int32_t stallMilliseconds,
                             bool (*giveWay)());
// 0 all sent, -3 fewer, -2 a send error, -1 no such socket (or no broadcast
// socket), or the resolver's code for an unknown host.
int32_t Network_SendUdp(int32_t socket, const char* host, int32_t port, std::span<const uint8_t> payload);
int32_t Network_SendBroadcast(int32_t socket, int32_t port, std::span<const uint8_t> bytes);
// Dotted IPv4 text, or "" when the name does not resolve.
std::string Network_Resolve(const char* host);
// 0, or the OS error of applying the time-outs.
int32_t Network_SetTimeout(int32_t socket, int32_t readMilliseconds, int32_t writeMilliseconds);
void Network_Destroy(int32_t socket);

// A debugger-flagged server: it listens on 127.0.0.1 only, takes one
// connection at a time, and hands what arrives after the handshake to the
// debugger link instead of game code, which gets no event for it.
struct NetDebuggerHandler {
    // The bytes held for the connection: how many the link used (0: it
    // waits for more), or a negative count to drop the connection.
    int64_t (*received)(int32_t connection, std::span<const uint8_t> held) = nullptr;
    void (*connected)(int32_t connection) = nullptr;
    void (*disconnected)(int32_t connection) = nullptr;
};
int32_t Network_CreateDebuggerServer(int32_t port, const NetDebuggerHandler& handler);
// The port a server listens on (0 when the slot holds none).
int32_t Network_ServerPort(int32_t server);
// Polls that server alone: the debugger's is served while the game is paused.
void Network_PollServer(int32_t server);

// The game step's poll, after the begin-step events.
void Network_Update();
// Program end: every slot destroyed.
void Network_Shutdown();

}  // namespace bw
