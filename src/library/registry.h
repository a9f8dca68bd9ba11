// The registry of game code: named texts that outlive the run. This system
// has no registry, so the values are kept as the keys of one section of
// "registry.ini" in the game's save area, read on first use and written
// whenever a value changes. Names compare without regard to ASCII case; the
// spelling first written is the one kept.
#pragma once

#include <string>

namespace bw {

void Registry_WriteString(const char* name, const char* value);
// False when the name is unknown.
bool Registry_Read(const char* name, std::string* value);
// Forgets what was read; the next use reads the file again.
void Registry_FreeAll();

}  // namespace bw
