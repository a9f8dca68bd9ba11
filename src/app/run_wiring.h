// Connects the main loop to the subsystems above the world that exist
// already: the graphics frame, the timelines, the particles, the error
// reporter's stop and the "-debug" switch (so the command line must have
// been read).
#pragma once

namespace bw {

void Runner_InstallRunHooks();
// What error reports learn from the layers above the script engine: where
// the error happened (event and object, or time line and step), the
// machine's frames and variables, leaving full screen, clearing input and
// stopping the game. Part of Runner_InstallRunHooks.
void Runner_InstallErrorReportHooks();
// The "Debug Init Remote Interface" stage: "-debug" opens the debugger
// server, on 127.0.0.1 only.
void Debug_InitRemoteInterface();

}  // namespace bw
