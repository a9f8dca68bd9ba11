// The "Physics.." group of built-in functions, and the seams through which
// the world reaches the physics layer (bodies for new instances, the phy_*
// variables, a running room's world and its step).
#pragma once

namespace bw {

void Function_Physics_Register();
// Fills the world's physics seams; run once at start-up (and by tests).
void Physics_InstallHooks();
// Box2D 2.4 has no message hook to install: every call that would trip one
// of its checks is refused and reported before it is made.
void Physics_Init();

}  // namespace bw
