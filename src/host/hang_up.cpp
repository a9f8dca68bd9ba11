#include "host/hang_up.h"

#include <signal.h>

namespace bw {

namespace {

// Whatever SIGTERM does at that moment, SIGHUP does too: before the window
// system takes SIGTERM over it ends the process, afterwards it ends the game
// in order.
void ForwardAsTerminate(int)
{
    raise(SIGTERM);
}

}  // namespace

void HangUp_Install()
{
    struct sigaction current {};
    if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction forward {};
    forward.sa_handler = &ForwardAsTerminate;
    sigemptyset(&forward.sa_mask);
    forward.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &forward, nullptr);
}

}  // namespace bw
