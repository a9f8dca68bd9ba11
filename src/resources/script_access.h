// The resources' side of running game code and of the world: the script
// engine finds resources by name, runs scripts and takes a script's prepared
// code through the seams it offers, and the world asks about sprites,
// backgrounds and paths through its lookups; this fills them all.
#pragma once

namespace bw {

// Called once at start-up, before any code is compiled.
void Resources_RegisterScriptAccess();

}  // namespace bw
