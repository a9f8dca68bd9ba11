#include "host/quit_signal.h"

#include <SDL.h>
#include <signal.h>

namespace bw {

namespace {

void RecordQuit(int)
{
    QuitSignal_Record();
}

void TakeOverOne(int signal)
{
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction record {};
    record.sa_handler = &RecordQuit;
    sigemptyset(&record.sa_mask);
    record.sa_flags = SA_RESTART;
    sigaction(signal, &record, nullptr);
}

}  // namespace

bool HostSdl_Start(uint32_t sdlFlags)
{
    // Over any SDL_NO_SIGNAL_HANDLERS the player's environment sets: with
    // SDL's handlers in place a stuck game would never hear the signal.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(sdlFlags) != 0) return false;
    static bool takenOver = false;
    if (!takenOver) {
        takenOver = true;
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) TakeOverOne(signal);
    }
    return true;
}

}  // namespace bw
