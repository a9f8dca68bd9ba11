// Files shipped flat with '@' in their names stand for files in folders:
// "a@b@c.txt" in the game's folder becomes "a/b/c.txt" there at start, the
// folders made as needed.
#pragma once

#include <span>
#include <string>

namespace bw {

// Moves every such plain file of folder (not hidden, not read-only, not a
// link or a folder) but those named in kept.
void Brackwell_UnpackAtNames(const std::string& folder, std::span<const std::string> kept);
// Moves one file of folder; false when the name has no '@', a part of it is
// empty, "." or "..", the target exists already, or the move fails.
bool Brackwell_MoveAtFile(const std::string& folder, const std::string& name);

}  // namespace bw
