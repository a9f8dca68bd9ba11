// SIGTERM, SIGINT (Ctrl+C), SIGHUP (the terminal it was started from
// closed) and the close of the game's window ask the runner to end. The
// handler only records the request, which anything may read at once and for
// almost nothing: the main loop and every wait between frames, and game code
// at each loop round and call, so that a game stuck in a loop still ends.
#pragma once

#include <atomic>
#include <cstdint>

namespace bw {

// Starts SDL subsystems (SDL_INIT_* flags); false when they cannot run.
// SDL is told to leave the signals alone: the runner's own handlers take
// them once a subsystem runs, the moment SDL would have taken them (before
// that they end the process). A signal the runner was started to ignore
// (SIGHUP under nohup, SIGINT in a background job) stays ignored.
bool HostSdl_Start(uint32_t sdlFlags);

namespace quit_signal_detail {
inline constexpr uint8_t kSignalled = 1;
inline constexpr uint8_t kClosed = 2;
inline std::atomic<uint8_t> g_received{0};
static_assert(std::atomic<uint8_t>::is_always_lock_free, "set from a signal handler");
}  // namespace quit_signal_detail

// True once a quit signal came, or the window's close. Read inline: game
// code asks at every loop round.
inline bool QuitSignal_Received()
{
    return quit_signal_detail::g_received.load(std::memory_order_relaxed) != 0;
}

// Records a quit signal; it stays recorded.
inline void QuitSignal_Record()
{
    quit_signal_detail::g_received.fetch_or(quit_signal_detail::kSignalled, std::memory_order_relaxed);
}

// Records the close of the game's window, which asks the runner to end as a
// signal does, until the game's end forgets it (script/code_stop.h).
inline void QuitSignal_RecordClose()
{
    quit_signal_detail::g_received.fetch_or(quit_signal_detail::kClosed, std::memory_order_relaxed);
}

inline void QuitSignal_ForgetClose()
{
    quit_signal_detail::g_received.fetch_and(static_cast<uint8_t>(~quit_signal_detail::kClosed),
                                             std::memory_order_relaxed);
}

}  // namespace bw
