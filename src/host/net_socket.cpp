#include "host/net_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace bw {

namespace {

constexpr int kResolveNoHost = 11001;
constexpr int kResolveTryAgain = 11002;
constexpr int kResolveFailed = 11003;

// Room for a full server (1,014 clients) and everything else a game opens.
constexpr rlim_t kWantedOpenFiles = 4096;

sockaddr_in IPv4Address(uint32_t address, uint16_t port)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(address);
    out.sin_port = htons(port);
    return out;
}

bool SetOption(int socket, int level, int name, const void* value, socklen_t size)
{
    return setsockopt(socket, level, name, value, size) == 0;
}

bool SetIntOption(int socket, int level, int name, int value)
{
    return SetOption(socket, level, name, &value, sizeof value);
}

timeval Milliseconds(int32_t milliseconds)
{
    const int32_t clamped = std::max(milliseconds, 0);
    return timeval{clamped / 1000, static_cast<suseconds_t>(clamped % 1000) * 1000};
}

NetReadResult ReadOutcome(ssize_t got)
{
    if (got > 0) {
        return {NetRead::Data, static_cast<size_t>(got), 0};
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return {};
    }
    return {NetRead::Closed, 0, 0};
}

}  // namespace

void HostNet_Startup()
{
    static const bool done = [] {
        rlimit limit{};
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < kWantedOpenFiles) {
            limit.rlim_cur = std::min(kWantedOpenFiles, limit.rlim_max);
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        return true;
    }();
    (void)done;
}

int HostSocket_Create(bool udp)
{
    const int socket = ::socket(AF_INET, (udp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
    if (socket >= 0 && !udp) {
        SetIntOption(socket, IPPROTO_TCP, TCP_NODELAY, 1);
    }
    return socket >= 0 ? socket : kNoSocket;
}

void HostSocket_Close(int socket)
{
    if (socket >= 0) {
        shutdown(socket, SHUT_RDWR);
        close(socket);
    }
}

bool HostSocket_PrepareListener(int socket)
{
    // A stream listener may then bind again past the TIME_WAIT of its last
    // connections; on a datagram socket the option would let a second
    // socket share the port and take its datagrams from the first.
    int type = 0;
    socklen_t size = sizeof type;
    if (getsockopt(socket, SOL_SOCKET, SO_TYPE, &type, &size) == 0 && type == SOCK_STREAM) {
        SetIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1);
    }
    const linger noLinger{0, 0};
    SetOption(socket, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    const int flags = fcntl(socket, F_GETFL);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

int HostSocket_SetTimeouts(int socket, int32_t readMilliseconds, int32_t writeMilliseconds)
{
    const timeval read = Milliseconds(readMilliseconds);
    const timeval write = Milliseconds(writeMilliseconds);
    if (!SetOption(socket, SOL_SOCKET, SO_RCVTIMEO, &read, sizeof read) ||
        !SetOption(socket, SOL_SOCKET, SO_SNDTIMEO, &write, sizeof write)) {
        return errno;
    }
    return 0;
}

bool HostSocket_SetBroadcast(int socket)
{
    return SetIntOption(socket, SOL_SOCKET, SO_BROADCAST, 1);
}

bool HostSocket_Bind(int socket, uint16_t port, bool loopbackOnly)
{
    const sockaddr_in address = IPv4Address(loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY, port);
    return bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool HostSocket_Listen(int socket)
{
    return listen(socket, 5) == 0;
}

uint16_t HostSocket_LocalPort(int socket)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

int HostSocket_Accept(int listener, uint32_t* peerAddress)
{
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    const int socket = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (socket < 0) {
        return kNoSocket;
    }
    SetIntOption(socket, IPPROTO_TCP, TCP_NODELAY, 1);
    *peerAddress = ntohl(peer.sin_addr.s_addr);
    return socket;
}

bool HostSocket_Connect(int socket, uint32_t address, uint16_t port, int32_t waitMilliseconds)
{
    // A blocking connect gives up after the send time-out.
    const timeval wait = Milliseconds(waitMilliseconds);
    SetOption(socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    const sockaddr_in target = IPv4Address(address, port);
    int result = 0;
    do {
        result = connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

int64_t HostSocket_Send(int socket, std::span<const uint8_t> bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t got = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return sent > 0 ? static_cast<int64_t>(sent) : -1;
        }
        sent += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(sent);
}

int64_t HostSocket_SendSome(int socket, std::span<const uint8_t> bytes)
{
    ssize_t got = 0;
    do {
        got = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
    return got;
}

int64_t HostSocket_SendTo(int socket, std::span<const uint8_t> bytes, uint32_t address, uint16_t port)
{
    const sockaddr_in target = IPv4Address(address, port);
    const ssize_t got = sendto(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return got;
}

NetReadResult HostSocket_Receive(int socket, std::span<uint8_t> out)
{
    if (out.empty()) {
        return {};
    }
    return ReadOutcome(recv(socket, out.data(), out.size(), MSG_DONTWAIT));
}

NetReadResult HostSocket_ReceiveFrom(int socket, std::span<uint8_t> out)
{
    sockaddr_in sender{};
    socklen_t size = sizeof sender;
    const ssize_t got =
        recvfrom(socket, out.data(), out.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &size);
    NetReadResult result = ReadOutcome(got);
    if (result.outcome == NetRead::Closed && got == 0) {
        // An empty datagram is no end of anything.
        result.outcome = NetRead::Nothing;
    }
    result.sender = ntohl(sender.sin_addr.s_addr);
    return result;
}

std::vector<size_t> HostSocket_PollReadable(std::span<const int> sockets, int timeoutMilliseconds)
{
    std::vector<pollfd> polled(sockets.size());
    for (size_t i = 0; i < sockets.size(); ++i) {
        polled[i] = pollfd{sockets[i], POLLIN, 0};
    }
    std::vector<size_t> ready;
    if (poll(polled.data(), polled.size(), timeoutMilliseconds) > 0) {
        for (size_t i = 0; i < polled.size(); ++i) {
            if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                ready.push_back(i);
            }
        }
    }
    return ready;
}

bool HostSocket_PollWritable(int socket, int timeoutMilliseconds)
{
    pollfd polled{socket, POLLOUT, 0};
    return poll(&polled, 1, timeoutMilliseconds) > 0 && (polled.revents & (POLLOUT | POLLHUP | POLLERR)) != 0;
}

int HostNet_Resolve(const char* host, uint32_t* address)
{
    in_addr dotted{};
    if (inet_pton(AF_INET, host, &dotted) == 1) {
        *address = ntohl(dotted.s_addr);
        return 0;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(host, nullptr, &hints, &found);
    if (error != 0 || found == nullptr) {
        if (found != nullptr) {
            freeaddrinfo(found);
        }
        if (error == EAI_AGAIN) {
            return kResolveTryAgain;
        }
        return error == EAI_NONAME || error == 0 ? kResolveNoHost : kResolveFailed;
    }
    *address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return 0;
}

int HostNet_LastError()
{
    return errno;
}

const char* HostNet_ErrorLine(int error)
{
    struct Line {
        int error;
        const char* text;
    };
    static const Line kLines[] = {
        {EINTR, "Error (WSAEINTR): interrupted system call\r\n"},
        {EBADF, "Error (WSAEBADF): bad file number\r\n"},
        {EACCES, "Error (WSAEACCES): permission denied\r\n"},
        {EFAULT, "Error (WSAEFAULT): bad address\r\n"},
        {EINVAL, "Error (WSAEINVAL): invalid argument\r\n"},
        {EMFILE, "Error (WSAEMFILE): too many open files\r\n"},
        {EWOULDBLOCK, "Error (WSAEWOULDBLOCK): operation would block\r\n"},
        {EINPROGRESS, "Error (WSAEINPROGRESS): operation now in progress\r\n"},
        {EALREADY, "Error (WSAEALREADY): operation already in progress\r\n"},
        {ENOTSOCK, "Error (WSAENOTSOCK): socket operation on non-socket\r\n"},
        {EDESTADDRREQ, "Error (WSAEDESTADDRREQ): destination address required\r\n"},
        {EMSGSIZE, "Error (WSAEDESTADDRREQ): message too long\r\n"},
        {EPROTOTYPE, "Error (WSAEPROTOTYPE): protocol wrong type for socket\r\n"},
        {ENOPROTOOPT, "Error (WSAEPROTOTYPE): bad protocol option / protocol not available\r\n"},
        {EPROTONOSUPPORT, "Error (WSAEPROTONOSUPPORT): protocol not suppported\r\n"},
        {EOPNOTSUPP, "Error (WSAEOPNOTSUPP): operation not supported on socket\r\n"},
        {ETIMEDOUT, "Error (WSAETIMEDOUT): Connection timed out.\r\n"},
        {ECONNREFUSED, "Error (WSAECONNREFUSED): Connection refused.\r\n"},
    };
    for (const Line& line : kLines) {
        if (line.error == error) {
            return line.text;
        }
    }
    return nullptr;
}

}  // namespace bw
