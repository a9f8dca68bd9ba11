#include "world/run_clock.h"

#include "platform/timer.h"

namespace bw {

namespace {

RunSleepFunction g_frameSleep = &Run_Sleep;
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

int64_t VirtualClock_Now()
{
    return g_virtualNow;
}

void VirtualClock_Advance(int64_t microseconds)
{
    if (microseconds > 0) {
        g_virtualNow += microseconds;
    }
}

VirtualClockScope::VirtualClockScope(int64_t startMicroseconds)
    : m_previousClock(Host_SetClock(kVirtualClock)), m_previousSleep(Run_SetFrameSleep(&VirtualClock_Advance))
{
    g_virtualNow = startMicroseconds;
}

VirtualClockScope::~VirtualClockScope()
{
    Host_SetClock(m_previousClock);
    Run_SetFrameSleep(m_previousSleep);
}

void VirtualClock_InstallForProcess()
{
    Host_SetClock(kVirtualClock);
    Run_SetFrameSleep(&VirtualClock_Advance);
}

}  // namespace bw
