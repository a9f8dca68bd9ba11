#include "platform/timer.h"

#include <algorithm>

#include "host/clock.h"
#include "host/window.h"
#include "platform/messages.h"

namespace bw {

namespace {

// Below this a wait is all spinning: the host sleep is too coarse to trust
// with less than a millisecond to spare.
constexpr int64_t kShortestSleptWaitMicroseconds = 2000;

int64_t g_start = 0;

}  // namespace

void Timer_Init()
{
    g_start = Host_ClockMicroseconds();
}

int64_t Timer_GetTime()
{
    return Host_ClockMicroseconds() - g_start;
}

void Timer_Sleep(int64_t microseconds)
{
    if (microseconds <= 0 || HostWindow_QuitRequested()) {
        return;
    }
    microseconds = std::min(microseconds, kTimerLongestWaitMicroseconds);
    const int64_t start = Timer_GetTime();
    const int64_t end = start + microseconds;
    if (microseconds >= kShortestSleptWaitMicroseconds) {
        Host_SleepMilliseconds((microseconds - 1000) / 1000);
    }
    // A clock that runs back behind the start could never reach the end, and
    // one that moves only when slept (the virtual clock) never would: a quit
    // the pump reads must still end the wait.
    for (;;) {
        ProcessMessages();
        const int64_t now = Timer_GetTime();
        if (now >= end || now < start || HostWindow_QuitRequested()) {
            return;
        }
    }
}

void Run_Sleep(int64_t microseconds)
{
    Timer_Sleep(microseconds);
}

bool Platform_StubTrue()
{
    return true;
}

void Platform_StubNothing() {}

}  // namespace bw
