// What start-up, the chunk passes and shut-down call in subsystems that are
// not built yet: resources, the rest of the function library, audio,
// particles and physics, online services, and the parts of the game world
// that run the game. Each is a stub here with the name its owner will give
// it; the owner's issue deletes the stub and defines the real one in its own
// module, so the callers in src/app/ stay as they are.
#pragma once

#include <cstdint>

#include "platform/package_view.h"

namespace bw {

class IniFile;

// ---- Built-in function groups, in Brackwell_RegisterFunctions' order ----
// Each is replaced by its group's *_builtins module.
void Function_Action_Register();       // library: action functions
void Function_3D_Register();           // graphics: 3D built-ins
void Function_Particle_Register();     // particles
void Function_Physics_Register();      // physics
void Function_Steam_Register();        // online: Steam wrapper
void Function_Vask_Register();         // online: platform services
void Function_Win8_Register();         // library: platform built-ins of the Windows 8 family

// ---- Chunk readers of the main pass (package, payload offset, length) ----
// Replaced by each resource kind's loader.
bool Sound_Init(const PackageView& package, uint32_t offset, uint32_t length);       // audio (legacy)
bool Wave_Init(const PackageView& package, uint32_t offset, uint32_t length);        // audio (legacy)

// ---- Tables emptied before the main pass, in this order ----
void Sound_Clear();           // audio

// ---- PrepareGame steps ----
bool Sound_Prepare();      // audio

// ---- Textures made once the device exists ----

// ---- Early start-up ----
void EmbeddedImages_Register();  // platform: the built-in image table
void Particle_Init();            // particles
void Physics_Init();             // physics: debug message handler (-debug, "Debug" in options.ini)

// ---- options.ini ----
void MP3_Init(IniFile& ini);               // audio (empty by design)
void VaskM_SetAllowedOrientations(bool landscape, bool portrait, bool landscapeFlipped,
                                  bool portraitFlipped);  // online (nothing on this platform)

// ---- Start-up stages ----
void Particle_InitShapes();         // particles
void Debug_InitRemoteInterface();   // online: "-debug" opens the debugger server (run_wiring)
void ScoreForm_Create();            // world: the score form
void ErrorForm_Create();            // script: the run-time error form

// ---- Shut-down, in Brackwell_Shutdown's order ----
void Vask_Functions_Fini();   // online
void Steam_Shutdown();        // online
void Particle_Fini();         // particles
void Sound_Fini();            // audio

}  // namespace bw
