#include "script/code_stop.h"

#include <cstdint>
#include <optional>

#include "host/clock.h"
#include "host/window.h"

namespace bw {

namespace {

// Long enough for any frame's work to end on its own, short enough that the
// runner is gone within a second of the signal, end of the game included.
constexpr int64_t kGraceMicroseconds = 250'000;

// When the running grace ends, on the machine's clock: a virtual clock
// moves only when the game sleeps, and a loop may never sleep.
std::optional<int64_t> g_graceEnd;
// Whether a grace ran out, so that a run was stopped.
bool g_graceRanOut = false;

// The clock is read every so many rounds, and the window looked at no more
// often than this: a look reads the display's connection, which costs as
// much as thousands of rounds.
constexpr int32_t kRoundsBetweenClockReads = 1024;
constexpr int64_t kMicrosecondsBetweenLooks = 10'000;
int64_t g_nextLook = 0;

}  // namespace

namespace code_stop_detail {

bool GraceRanOut()
{
    const int64_t now = Host_SystemClock().nowMicroseconds();
    if (!g_graceEnd) g_graceEnd = now + kGraceMicroseconds;
    const bool ranOut = now >= *g_graceEnd;
    g_graceRanOut = g_graceRanOut || ranOut;
    return ranOut;
}

void LookAtWindow()
{
    g_roundsToWindowLook = kRoundsBetweenClockReads;
    const int64_t now = Host_SystemClock().nowMicroseconds();
    if (now < g_nextLook) return;
    g_nextLook = now + kMicrosecondsBetweenLooks;
    HostWindow_LookForClose();
}

}  // namespace code_stop_detail

void Code_StopGiveGrace()
{
    if (!g_graceRanOut) QuitSignal_ForgetClose();
    g_graceEnd.reset();
}

}  // namespace bw
