// The "Game.." group of built-in functions: finding, counting, creating,
// copying, changing and destroying instances, activating and deactivating
// them, moving between rooms, ending or restarting the game, and sleep.
// The movement and motion-planning built-ins register ahead of these with
// their own module; the collision queries, saving and loading the game and
// the room transitions join this group with theirs.
#pragma once

namespace bw {

void Function_Game_Register();

}  // namespace bw
