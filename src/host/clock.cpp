#include "host/clock.h"

#include <cerrno>
#include <ctime>

namespace bw {

namespace {

int64_t SystemNowMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void SystemSleepMilliseconds(int64_t milliseconds)
{
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
    remaining.tv_nsec = static_cast<long>((milliseconds % 1000) * 1000000);
    // A signal cuts nanosleep short; carry on with what is left so the wait
    // is never shorter than asked.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

constexpr HostClock kSystemClock{SystemNowMicroseconds, SystemSleepMilliseconds};

HostClock g_clock = kSystemClock;

}  // namespace

HostClock Host_SystemClock()
{
    return kSystemClock;
}

HostClock Host_SetClock(HostClock clock)
{
    const HostClock previous = g_clock;
    g_clock = clock;
    return previous;
}

int64_t Host_ClockMicroseconds()
{
    return g_clock.nowMicroseconds();
}

void Host_SleepMilliseconds(int64_t milliseconds)
{
    if (milliseconds > 0) {
        g_clock.sleepMilliseconds(milliseconds);
    }
}

}  // namespace bw
