// Game code that would keep the runner from ending. Once the runner is
// asked to end from outside (a signal or the window's close,
// host/quit_signal.h), code still running has a short grace to finish what
// it is doing, as a frame under way does; past it, both engines stop each
// run at its next loop round or call, with no report, and whatever started
// the run goes on as after code that ended. A game stuck in a loop then
// ends as it does between frames: its room-end and game-end events run,
// with a grace of their own, and the files it holds are put in place.
#pragma once

#include <cstdint>

#include "host/quit_signal.h"

namespace bw {

// Whether a signal or the window's close asked the runner to end: false,
// for almost nothing, in a game nothing asked to end.
inline bool Code_StopAsked()
{
    return QuitSignal_Received();
}

namespace code_stop_detail {
bool GraceRanOut();
inline int32_t g_roundsToWindowLook = 0;
void LookAtWindow();
}  // namespace code_stop_detail

// The engines' test at every loop round and call: whether a run is to stop
// now, true once a grace has run out (the first test after the request
// starts it). A run stopped so gives false, as after an error, with no
// message pending.
inline bool Code_StopDue()
{
    return Code_StopAsked() && code_stop_detail::GraceRanOut();
}

// The tree interpreter's test at every loop round and call. Code it runs
// pumps no window (the game sees keys and the mouse between frames), so
// now and then it looks at the window's queue for a close alone, leaving
// every event queued; a close found stops the run as a signal does.
inline bool Code_StopDueLookingForClose()
{
    if (--code_stop_detail::g_roundsToWindowLook < 0) [[unlikely]] {
        code_stop_detail::LookAtWindow();
    }
    return Code_StopDue();
}

// The code that ends the game starts a grace of its own: its events may
// still save what the player would otherwise lose. A window's close that
// stopped no run is forgotten there: the game's end then runs as long as
// it takes, as after a close between frames.
void Code_StopGiveGrace();

}  // namespace bw
