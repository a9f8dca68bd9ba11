// The registry of game code: named texts kept in memory for the run. This
// system has no registry, and a file standing in for one would share the save
// area with the game's own files, so nothing is read or written anywhere; the
// store is lost at exit. Names compare without regard to ASCII case (the
// empty name is a name like any other); the spelling first written is kept.
#pragma once

#include <string>

namespace bw {

void Registry_WriteString(const char* name, const char* value);
// False when the name is unknown.
bool Registry_Read(const char* name, std::string* value);
// Forgets every value.
void Registry_FreeAll();

}  // namespace bw
