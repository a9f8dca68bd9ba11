// The steam_* built-ins: game code's only way to the Steam wrapper. Each
// checks its arguments and does nothing unless the wrapper is initialised.
#pragma once

namespace bw {

// Starts the wrapper, then registers the built-ins.
void Function_Steam_Register();

}  // namespace bw
