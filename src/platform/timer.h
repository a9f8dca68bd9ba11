// Microsecond time for the frame loop, and the wait for the next frame: the
// bulk of a wait is slept, the last stretch spent pumping window messages
// while watching the clock, so the wait ends on time and the window stays
// responsive. Once the runner is asked to quit, a wait ends at its next look
// at the clock, and one begun afterwards waits nothing.
#pragma once

#include <cstdint>

namespace bw {

// Marks the origin of Timer_GetTime.
void Timer_Init();
// Microseconds since Timer_Init.
int64_t Timer_GetTime();

inline constexpr int64_t kTimerLongestWaitMicroseconds = 3000000;

// Waits the given microseconds; nothing for a count <= 0, at most
// kTimerLongestWaitMicroseconds in one call.
void Timer_Sleep(int64_t microseconds);
void Run_Sleep(int64_t microseconds);

// Bodies of platform services that have nothing to do on this platform.
bool Platform_StubTrue();
void Platform_StubNothing();

}  // namespace bw
