// The time the main loop paces itself by, and a virtual clock for runs
// without a person: with it, a frame's wait and the game's own sleeps move
// time forward instead of waiting, so N frames take as long as the CPU needs
// and every frame time, delta_time, fps and current_time comes out the same
// on every run.
#pragma once

#include <cstdint>

#include "host/clock.h"

namespace bw {

// The frame tick's wait; Run_Sleep (sleep, then spin on the clock) unless a
// test or the virtual clock put another in place. Returns the one replaced.
using RunSleepFunction = void (*)(int64_t microseconds);
RunSleepFunction Run_SetFrameSleep(RunSleepFunction sleep);
void Run_FrameSleep(int64_t microseconds);

// The runner's waits inside a frame (sleep, action_sleep, keyboard_wait and
// mouse_wait's looks, the splash pauses), however long. On the machine's
// clock it waits in short stretches, pumping the window's messages between
// them, and stops as soon as the runner is asked to quit (SIGTERM, SIGINT,
// SIGHUP, its window closed), so that the game ends as promptly as it does in play;
// on the virtual clock it moves time by the whole wait at once.
void Run_GameSleep(int64_t microseconds);

// Virtual time, in microseconds of the host clock. It stops some 146,000
// years in: far past any run, and far enough from the end of int64 that the
// sums of times made from it cannot overflow.
int64_t VirtualClock_Now();
void VirtualClock_Advance(int64_t microseconds);

// Puts the virtual clock in place of the host clock, the frame sleep and the
// game's sleep for as long as it lives, starting at the given time; the
// previous clock and sleeps come back when it ends.
class VirtualClockScope {
public:
    explicit VirtualClockScope(int64_t startMicroseconds = 0);
    ~VirtualClockScope();
    VirtualClockScope(const VirtualClockScope&) = delete;
    VirtualClockScope& operator=(const VirtualClockScope&) = delete;

private:
    HostClock m_previousClock;
    RunSleepFunction m_previousSleep;
    RunSleepFunction m_previousGameSleep;
};

// The same for the whole process (BW_TEST_VIRTUAL_CLOCK): nothing restores it.
void VirtualClock_InstallForProcess();

}  // namespace bw
