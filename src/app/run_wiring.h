// Connects the main loop to the subsystems above the world that exist
// already: the graphics frame, the timelines, the particles, the error
// reporter's stop and the "-debug" switch (so the command line must have
// been read).
#pragma once

namespace bw {

void Runner_InstallRunHooks();

}  // namespace bw
