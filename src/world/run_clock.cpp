#include "world/run_clock.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "host/window.h"
#include "platform/messages.h"
#include "platform/timer.h"

namespace bw {

namespace {

// Where virtual time stops (run_clock.h says why).
constexpr int64_t kVirtualClockEnd = std::numeric_limits<int64_t>::max() / 2;
// How long a game's sleep waits between looks at the window's messages: a
// quit is seen this promptly, and the processor is left alone meanwhile.
constexpr int64_t kSleepStretchMilliseconds = 10;
constexpr int64_t kSleepStretchMicroseconds = kSleepStretchMilliseconds * 1000;

// The last stretch goes to the timer, which ends the wait on time.
void SleepGivingWayToQuit(int64_t microseconds)
{
    const int64_t start = Host_ClockMicroseconds();
    const int64_t end = microseconds > std::numeric_limits<int64_t>::max() - start
                            ? std::numeric_limits<int64_t>::max()
                            : start + microseconds;
    for (int64_t left = microseconds; !HostWindow_QuitRequested(); left = end - Host_ClockMicroseconds()) {
        if (left <= kSleepStretchMicroseconds) {
            Timer_Sleep(left);
            return;
        }
        Host_SleepMilliseconds(kSleepStretchMilliseconds);
        ProcessMessages();
    }
}

RunSleepFunction g_frameSleep = &Run_Sleep;
RunSleepFunction g_gameSleep = &SleepGivingWayToQuit;
int64_t g_virtualNow = 0;

int64_t VirtualNowMicroseconds()
{
    return g_virtualNow;
}

void VirtualSleepMilliseconds(int64_t milliseconds)
{
    VirtualClock_Advance(milliseconds * 1000);
}

constexpr HostClock kVirtualClock{&VirtualNowMicroseconds, &VirtualSleepMilliseconds};

}  // namespace

RunSleepFunction Run_SetFrameSleep(RunSleepFunction sleep)
{
    const RunSleepFunction previous = g_frameSleep;
    g_frameSleep = sleep != nullptr ? sleep : &Run_Sleep;
    return previous;
}

void Run_FrameSleep(int64_t microseconds)
{
    g_frameSleep(microseconds);
}

void Run_GameSleep(int64_t microseconds)
{
    g_gameSleep(microseconds);
}

int64_t VirtualClock_Now()
{
    return g_virtualNow;
}

void VirtualClock_Advance(int64_t microseconds)
{
    if (microseconds > 0) {
        g_virtualNow += std::min(microseconds, kVirtualClockEnd - g_virtualNow);
    }
}

VirtualClockScope::VirtualClockScope(int64_t startMicroseconds)
    : m_previousClock(Host_SetClock(kVirtualClock)),
      m_previousSleep(Run_SetFrameSleep(&VirtualClock_Advance)),
      m_previousGameSleep(std::exchange(g_gameSleep, &VirtualClock_Advance))
{
    g_virtualNow = startMicroseconds;
}

VirtualClockScope::~VirtualClockScope()
{
    Host_SetClock(m_previousClock);
    Run_SetFrameSleep(m_previousSleep);
    g_gameSleep = m_previousGameSleep;
}

void VirtualClock_InstallForProcess()
{
    Host_SetClock(kVirtualClock);
    Run_SetFrameSleep(&VirtualClock_Advance);
    g_gameSleep = &VirtualClock_Advance;
}

}  // namespace bw
