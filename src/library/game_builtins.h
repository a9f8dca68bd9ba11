// The "Game.." group of built-in functions: finding, counting, creating,
// copying, changing and destroying instances, asking what lies at a place,
// a point or along a shape, activating and deactivating instances, moving
// between rooms, ending, restarting, saving and loading the game, room
// transitions and sleep. The movement and motion-planning built-ins register
// ahead of these with their own module.
#pragma once

namespace bw {

void Function_Game_Register();

}  // namespace bw
