// Room transitions: the last image of the old room blended into the first
// image of the new one over `transition_steps` frames, by one of 21 built-in
// kinds drawn from two surfaces. Room changes start none (the
// `transition_kind` variable always reads 0); game code can still define
// transition scripts and ask which kinds exist.
#pragma once

#include <cstdint>

#include "script/arguments.h"

namespace bw {

inline constexpr int32_t kTransitionBuiltinCount = 21;

bool Transition_IsBuiltin(int32_t kind);
// True for the built-in kinds only: defined scripts do not count.
bool TransFunctionExists(int32_t kind);
// Looks the script name up as a callable and keeps it for the kind; false
// (nothing kept) when no such callable exists.
bool Transition_Define(int32_t kind, const char* scriptName);
// The callable kept for a kind, -1 when none.
int32_t Transition_Script(int32_t kind);

// Draws the current room into a new "old" surface, then makes a new "new"
// surface the target so the next room's first drawing lands in it. A kind
// that is not built in, or a surface that cannot be made, starts nothing.
void Transition_Start(int32_t kind);
// One frame of a built-in kind at a fraction 0..1 of the way.
void Transition_Draw(int32_t kind, double fraction);
// Runs the steps + 1 frames of a started transition and frees its surfaces;
// without one, only ends the open frame (the result of that).
bool GR_Transition_Finish();
// The two surfaces of a started transition, -1 when none.
int32_t Transition_FromSurface();
int32_t Transition_ToSurface();

// transition_define (kind, script name) and transition_exists (kind), as 1/0.
BW_BUILTIN(Builtin_TransitionDefine);
BW_BUILTIN(Builtin_TransitionExists);

}  // namespace bw
