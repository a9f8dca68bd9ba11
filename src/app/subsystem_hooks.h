// What start-up, the chunk passes and shut-down call in subsystems that are
// not built yet: resources, the rest of the function library, audio,
// physics, online services, and the parts of the game world
// that run the game. Each is a stub here with the name its owner will give
// it; the owner's issue deletes the stub and defines the real one in its own
// module, so the callers in src/app/ stay as they are.
#pragma once

#include <cstdint>

namespace bw {

// ---- Textures made once the device exists ----

// ---- Early start-up ----
void EmbeddedImages_Register();  // platform: the built-in image table

// ---- options.ini ----

// ---- Start-up stages ----
void ScoreForm_Create();            // world: the score form
void ErrorForm_Create();            // script: the run-time error form

// ---- Shut-down, in Brackwell_Shutdown's order ----

}  // namespace bw
