// The remote debugger link: "-debug" opens a debugger server on 127.0.0.1
// (never another address: it runs code sent to it), and a debugger that
// connects there pauses, runs and steps the game, sets breakpoints by code
// identity and offset, reads the symbols and the state where the game is held,
// and evaluates expressions.
#pragma once

#include <cstdint>

namespace bw {

// The port "-debug" listens on.
inline constexpr int32_t kDebuggerPort = 6509;

// Opens the server (port 0: any free one); false when it cannot listen.
bool Debug_OpenRemote(int32_t port);
// The port listened on, 0 when no server is open.
int32_t Debug_RemotePort();
// Once per frame, also while paused: serves the debugger's commands.
void Debug_PollRemote();
// Closes the server and any connection; breakpoints are cleared.
void Debug_CloseRemote();
// A step asked while the machine is held at a stop (the debug window's
// Step): the held run goes on to the next line. False when nothing is held.
bool Debug_StepHeldRun();
// Whether a debugger is connected.
bool Debug_RemoteAttached();

}  // namespace bw
