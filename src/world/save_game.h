// Saved games: the whole run-time state of the world as one packed sequence
// of typed values (save_game_records.h): a header of run globals with the
// version 850, the global variables, and every run-time room with its
// backgrounds, views, tiles and instances.
//
// Loading reads the whole saved game into new records first and checks it;
// only a saved game read whole, of this version and of this game, replaces
// the running world. Anything else is refused with a console line saying
// why, and the world goes on as it was.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

class CStream;

inline constexpr int32_t kSaveGameVersion = 850;

// Writes the saved game at the stream's position. False when a write
// failed or a room could not be saved (what could be written is there).
bool Game_WriteState(CStream& stream);

// Reads a saved game from the stream's position and makes it the running
// world. No event runs; the step that loads goes on with the loaded world.
// False, with *error saying why and nothing changed, for a saved game that
// is truncated, damaged, of another version or of another game.
bool Game_ReadState(CStream& stream, std::string* error);

}  // namespace bw
