// Saved games in files and in byte buffers, and the load queue: game code
// asks for a load inside an event, and the game step serves it at its start,
// before anything else runs, so a load never replaces the world under
// running code. The saved game itself is written and read by the world
// (world/save_game.h); this module moves its bytes.
#pragma once

#include <cstdint>

namespace bw {

// The saved game into the file of that name in the save area. A game that
// could not be saved whole leaves an earlier file of that name untouched.
bool Game_Save(const char* fileName);
// The saved game into the buffer at its position, the position then moving
// past it: a grow buffer grows to hold it, a wrap buffer wraps, any other
// buffer must have room for all of it (else nothing is written). False when
// no buffer has that id or nothing was written.
bool Game_SaveBuffer(int32_t bufferId);
// Queues the file (save area first, then the program's files) for loading
// at the start of the next step. Ignored, with a warning, while an earlier
// game_load still waits. A file that cannot be read queues an empty buffer,
// whose load fails.
void Game_Load(const char* fileName);
// Queues the buffer's bytes from its position. False, with a warning, when
// a game_load still waits or no buffer has that id.
bool Game_QueueLoad(int32_t bufferId);
// The start of every step: loads what was queued. False when nothing was
// queued or the saved game was refused (the world is then as it was).
bool Game_DoQueuedLoad();

}  // namespace bw
