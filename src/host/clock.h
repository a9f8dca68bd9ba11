// The monotonic clock and the sleep of the host. Everything that measures or
// waits for time goes through here, so tests (and a virtual clock for
// unattended runs) can put their own time in place of the machine's.
#pragma once

#include <cstdint>

namespace bw {

struct HostClock {
    int64_t (*nowMicroseconds)();                     // monotonic; any fixed origin
    void (*sleepMilliseconds)(int64_t milliseconds);  // at least this long; only called with > 0
};

// The machine's clock: CLOCK_MONOTONIC and nanosleep.
HostClock Host_SystemClock();

// Installs a clock and returns the one it replaces, so a caller can put the
// previous clock back when it is done.
HostClock Host_SetClock(HostClock clock);

int64_t Host_ClockMicroseconds();
// Nothing happens for a count <= 0.
void Host_SleepMilliseconds(int64_t milliseconds);

}  // namespace bw
