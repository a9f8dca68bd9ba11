// A web server for the runner's end-to-end cases: it answers on 127.0.0.1
// at a free port, says "port N" first, then one line for each request it
// hears: the method, the target as the request line carried it, and the
// body. An address ending in ".png" gets the bytes of the image named on
// the command line, any other "ok". It ends on SIGTERM or SIGINT, or on its
// own after 60 s.
//   web_log_server IMAGE
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "support/http_test_server.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: web_log_server IMAGE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // The server's threads inherit the mask: only the wait below takes the
    // signals that end it.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGINT);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    std::mutex printing;
    bw::test::HttpTestServer server([&](const bw::test::HttpTestRequest& request) {
        {
            std::lock_guard lock(printing);
            std::printf("%s %s %s\n", request.method.c_str(), request.path.c_str(), request.body.c_str());
            std::fflush(stdout);
        }
        bw::test::HttpTestReply reply;
        reply.body = request.path.ends_with(".png") ? image : "ok";
        return reply;
    });
    if (server.Port() == 0) {
        std::fprintf(stderr, "web_log_server: no port to listen on\n");
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    const timespec bound{60, 0};
    sigtimedwait(&ending, nullptr, &bound);
    return 0;
}
