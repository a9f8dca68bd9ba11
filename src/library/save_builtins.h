// The built-ins that save and load the game: game_save, game_load,
// game_save_buffer and game_load_buffer. Each takes exactly one argument of
// its kind (a file name, a buffer id) and does nothing with any other; the
// result is always -1, whether or not the save or the queueing worked.
#pragma once

#include "script/arguments.h"

namespace bw {

class CInstance;

BW_BUILTIN(Builtin_GameSave);
BW_BUILTIN(Builtin_GameLoad);
BW_BUILTIN(Builtin_GameSaveBuffer);
BW_BUILTIN(Builtin_GameLoadBuffer);

}  // namespace bw
