// A web server for the runner's end-to-end cases that tells a request which
// carried an authorisation from one that did not: it answers on 127.0.0.1
// at a free port, says "port N" first, and replies to every request, one
// at a time, with "authorised" or "plain". It ends when killed, or on its
// own after 60 s.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main()
{
    alarm(60);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("web_auth_server");
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(ntohs(address.sin_port)));
    std::fflush(stdout);
    for (;;) {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        std::string request;
        char chunk[4096];
        ssize_t got = 0;
        while (request.find("\r\n\r\n") == std::string::npos && (got = read(connection, chunk, sizeof chunk)) > 0) {
            request.append(chunk, static_cast<size_t>(got));
        }
        const std::string body = request.find("\nAuthorization:") != std::string::npos ? "authorised" : "plain";
        const std::string reply = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                                  std::to_string(body.size()) + "\r\n\r\n" + body;
        if (write(connection, reply.data(), reply.size()) < 0) std::perror("web_auth_server");
        close(connection);
    }
}
