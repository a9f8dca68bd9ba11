// The resources' side of running game code: the script engine finds scripts
// and timelines by name, runs scripts and takes a script's prepared code
// through the seams it offers; this fills them.
#pragma once

namespace bw {

// Called once at start-up, before any code is compiled.
void Resources_RegisterScriptAccess();

}  // namespace bw
