#include "script/code_stop.h"

#include <cstdint>
#include <optional>

#include "host/clock.h"

namespace bw {

namespace {

// Long enough for any frame's work to end on its own, short enough that the
// runner is gone within a second of the signal, end of the game included.
constexpr int64_t kGraceMicroseconds = 250'000;

// When the running grace ends, on the machine's clock: a virtual clock
// moves only when the game sleeps, and a loop may never sleep.
std::optional<int64_t> g_graceEnd;

}  // namespace

namespace code_stop_detail {

bool GraceRanOut()
{
    const int64_t now = Host_SystemClock().nowMicroseconds();
    if (!g_graceEnd) g_graceEnd = now + kGraceMicroseconds;
    return now >= *g_graceEnd;
}

}  // namespace code_stop_detail

void Code_StopGiveGrace()
{
    g_graceEnd.reset();
}

}  // namespace bw
