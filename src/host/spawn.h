// Starting other programs. A program always gets an argument vector of its
// own: nothing passes through a shell, so no text from a game can be read as
// shell syntax. Children not waited for are reaped as later ones start, so
// they do not linger as zombies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

// Starts program (searched on PATH when it holds no '/') with argv
// { program, arguments... } in folder (empty: the current folder). The child
// keeps only the standard streams open. Returns its process id, or -1.
int HostSpawn_Start(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder);

// Hands a document or an address to the desktop's opener (xdg-open).
// Returns the opener's process id, or -1.
int HostSpawn_Open(const std::string& target, const std::string& folder);

// Waits until the child ends, calling poll (when given) and sleeping
// intervalMilliseconds between checks, so the caller's window stays alive.
// The wait gives way once the runner is asked to quit (the poll pumps the
// window, which reads SIGTERM and SIGINT): the program is the player's and
// runs on, still listed to be reaped, and the runner ends without it.
// False when pid is no child of this process.
bool HostSpawn_Wait(int pid, void (*poll)(), int64_t intervalMilliseconds);

}  // namespace bw
