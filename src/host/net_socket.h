// The host's IPv4 sockets: POSIX sockets polled with poll() (never a
// descriptor set of fixed size, which corrupts memory for descriptors past
// its end). A socket is its descriptor, -1 for none. Addresses and ports are
// in host byte order. Sends never raise SIGPIPE: a peer that has gone gives
// an error result instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bw {

inline constexpr int kNoSocket = -1;

// Raises this process's open-file limit so that a server can hold its
// thousand clients; done once, later calls do nothing.
void HostNet_Startup();

// A new IPv4 stream (TCP, with TCP_NODELAY) or datagram (UDP) socket, or
// kNoSocket.
int HostSocket_Create(bool udp);
void HostSocket_Close(int socket);

// A listening socket's options: no lingering close, non-blocking mode and,
// for a stream, SO_REUSEADDR. False when the mode cannot be set.
bool HostSocket_PrepareListener(int socket);
// SO_RCVTIMEO and SO_SNDTIMEO in milliseconds; 0 or the failure's errno.
int HostSocket_SetTimeouts(int socket, int32_t readMilliseconds, int32_t writeMilliseconds);
bool HostSocket_SetBroadcast(int socket);

// Binds to any address (or to 127.0.0.1 only) at the port; then listens
// (backlog 5) for streams.
bool HostSocket_Bind(int socket, uint16_t port, bool loopbackOnly = false);
bool HostSocket_Listen(int socket);
// The port the socket is bound to (0 when unknown).
uint16_t HostSocket_LocalPort(int socket);

// An accepted connection, non-blocking, and its peer's address, or
// kNoSocket.
int HostSocket_Accept(int listener, uint32_t* peerAddress);
// Blocking connect, given up after the wait; false on failure.
bool HostSocket_Connect(int socket, uint32_t address, uint16_t port, int32_t waitMilliseconds);

// Bytes sent (all of them unless the peer stalls past the write time-out),
// or -1 on an error.
int64_t HostSocket_Send(int socket, std::span<const uint8_t> bytes);
// Sends what the system takes at once, never waiting: the count taken (0
// when its buffers are full), or -1 when the connection has failed.
int64_t HostSocket_SendSome(int socket, std::span<const uint8_t> bytes);
int64_t HostSocket_SendTo(int socket, std::span<const uint8_t> bytes, uint32_t address, uint16_t port);

// What a read without waiting found.
enum class NetRead { Data, Nothing, Closed };
struct NetReadResult {
    NetRead outcome = NetRead::Nothing;
    size_t size = 0;          // bytes stored when Data
    uint32_t sender = 0;      // ReceiveFrom: the datagram's sender
};
// Reads what is waiting into out without blocking: Closed when the peer
// ended the stream or the connection failed.
NetReadResult HostSocket_Receive(int socket, std::span<uint8_t> out);
// One datagram (cut to out) and its sender.
NetReadResult HostSocket_ReceiveFrom(int socket, std::span<uint8_t> out);

// Waits up to timeoutMilliseconds (0: not at all) for any of the sockets to
// become readable (or to be closed by the peer); the indexes of those that
// did, in order.
std::vector<size_t> HostSocket_PollReadable(std::span<const int> sockets, int timeoutMilliseconds);
// Waits up to timeoutMilliseconds for the system to take more bytes on the
// socket (or for the connection to fail); whether it will.
bool HostSocket_PollWritable(int socket, int timeoutMilliseconds);

// The first IPv4 address of a dotted address or a host name (0 on success),
// else the resolver's error as the runner's codes have always been: 11001
// no such host, 11002 try again, 11003 any other failure.
int HostNet_Resolve(const char* host, uint32_t* address);

// The error of the last failed call (errno).
int HostNet_LastError();
// The console line for an error, "Error (WSA...): ...\r\n", or null for an
// error that has none.
const char* HostNet_ErrorLine(int error);

}  // namespace bw
