// A scripted HTTP/1.1 server on 127.0.0.1 at a free port, for the HTTP
// client's tests. Each connection gets one reply from the handler, then is
// closed. A reply may be held until the test lets it go; everything stops,
// held replies included, when the server is destroyed.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bw::test {

struct HttpTestRequest {
    std::string method;
    std::string path;
    std::string body;
};

struct HttpTestReply {
    int code = 200;
    std::string body;
    bool chunked = false;      // chunks of at most 4 KB, no Content-Length
    bool withLength = true;    // false: no length, the end of the body closes
    std::string headers;       // extra lines, each ending in "\r\n"
    bool hold = false;         // wait for Release() before answering
    size_t missing = 0;        // announced in the length but never sent: a body cut short
    bool reset = false;        // the connection is reset, not closed, after the reply
};

class HttpTestServer {
public:
    using Handler = std::function<HttpTestReply(const HttpTestRequest&)>;

    explicit HttpTestServer(Handler handler) : m_handler(std::move(handler))
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(m_listener, 16) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { AcceptLoop(); });
    }

    ~HttpTestServer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_released.notify_all();
        if (m_acceptor.joinable()) m_acceptor.join();
        for (std::thread& connection : m_connections) connection.join();
        close(m_listener);
    }

    uint16_t Port() const { return m_port; }
    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    // Lets this many held replies go, oldest first.
    void Release(int count)
    {
        {
            std::lock_guard lock(m_mutex);
            m_releases += count;
        }
        m_released.notify_all();
    }
    int Open() const { return m_open.load(); }
    // Paths of the requests heard, in arrival order.
    std::vector<std::string> Heard()
    {
        std::lock_guard lock(m_mutex);
        return m_heard;
    }

private:
    void AcceptLoop()
    {
        while (!Stopping()) {
            pollfd wait{m_listener, POLLIN, 0};
            if (poll(&wait, 1, 5) <= 0) continue;
            const int connection = accept(m_listener, nullptr, nullptr);
            if (connection < 0) continue;
            ++m_open;
            m_connections.emplace_back([this, connection] {
                Serve(connection);
                close(connection);
                --m_open;
            });
        }
    }

    bool Stopping()
    {
        std::lock_guard lock(m_mutex);
        return m_stop;
    }

    // Reads up to the end of the headers and the body they announce.
    bool ReadRequest(int connection, HttpTestRequest& request)
    {
        std::string data;
        char chunk[4096];
        size_t headerEnd = std::string::npos;
        size_t wanted = 0;
        while (!Stopping()) {
            if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + wanted) break;
            pollfd wait{connection, POLLIN, 0};
            if (poll(&wait, 1, 5) <= 0) continue;
            const ssize_t got = recv(connection, chunk, sizeof chunk, 0);
            if (got <= 0) return false;
            data.append(chunk, static_cast<size_t>(got));
            if (headerEnd == std::string::npos && (headerEnd = data.find("\r\n\r\n")) != std::string::npos) {
                const size_t length = data.find("Content-Length: ");
                if (length != std::string::npos && length < headerEnd) wanted = std::stoul(data.substr(length + 16));
            }
        }
        if (headerEnd == std::string::npos) return false;
        const size_t space = data.find(' ');
        request.method = data.substr(0, space);
        request.path = data.substr(space + 1, data.find(' ', space + 1) - space - 1);
        request.body = data.substr(headerEnd + 4, wanted);
        return true;
    }

    void Serve(int connection)
    {
        HttpTestRequest request;
        if (!ReadRequest(connection, request)) return;
        {
            std::lock_guard lock(m_mutex);
            m_heard.push_back(request.path);
        }
        const HttpTestReply reply = m_handler(request);
        if (reply.hold) {
            std::unique_lock lock(m_mutex);
            m_released.wait(lock, [this] { return m_stop || m_releases > 0; });
            if (m_stop) return;
            --m_releases;
        }
        std::string out = "HTTP/1.1 " + std::to_string(reply.code) + " Scripted\r\nConnection: close\r\n" + reply.headers;
        if (reply.chunked) {
            out += "Transfer-Encoding: chunked\r\n\r\n";
            for (size_t at = 0; at < reply.body.size(); at += 4096) {
                const std::string piece = reply.body.substr(at, 4096);
                char size[16];
                std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
                out += size + piece + "\r\n";
            }
            out += "0\r\n\r\n";
        } else {
            if (reply.withLength) {
                out += "Content-Length: " + std::to_string(reply.body.size() + reply.missing) + "\r\n";
            }
            out += "\r\n" + reply.body;
        }
        for (size_t sent = 0; sent < out.size() && !Stopping();) {
            const ssize_t n = send(connection, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
        if (reply.reset) {
            // Closing with a zero linger time sends a reset instead of the end of the stream.
            const linger abort{1, 0};
            setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
    }

    Handler m_handler;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::thread m_acceptor;
    std::vector<std::thread> m_connections;  // touched by the acceptor, joined after it
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_stop = false;
    int m_releases = 0;
    std::vector<std::string> m_heard;
    std::atomic<int> m_open{0};
};

}  // namespace bw::test
