// What start-up, the chunk passes and shut-down call in subsystems that are
// not built yet: resources, the rest of the function library, audio,
// physics, online services, and the parts of the game world
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
void Function_HighScore_Register();    // online: high-score table
void Function_Action_Register();       // library: action functions
void Function_File_Register();         // library: files, ini, registry (JSON is real already)
void Function_Resource_Register();     // resources: resource built-ins (reads the code version)
void Function_Interaction_Register();  // library: dialogs, window (keys and mouse: library/input_builtins)
void Function_3D_Register();           // graphics: 3D built-ins
void Function_Sound_Register();        // audio
void Function_MPlay_Register();        // online: multiplayer stubs
void Function_Physics_Register();      // physics
void Function_Networking_Register();   // online: sockets and HTTP
void Function_Steam_Register();        // online: Steam wrapper
void Function_Vask_Register();         // online: platform services
void Function_Win8_Register();         // library: platform built-ins of the Windows 8 family

// ---- Chunk readers of the main pass (package, payload offset, length) ----
// Replaced by each resource kind's loader.
bool Extension_Load(const PackageView& package, uint32_t offset, uint32_t length);   // resources
bool Sound_Init(const PackageView& package, uint32_t offset, uint32_t length);       // audio (legacy)
bool Wave_Init(const PackageView& package, uint32_t offset, uint32_t length);        // audio (legacy)
bool Audio_Load(const PackageView& package, uint32_t offset, uint32_t length);       // audio engine
bool Audio_WAVs(const PackageView& package, uint32_t offset, uint32_t length);       // audio engine

// ---- Tables emptied before the main pass, in this order ----
void Sound_Clear();           // audio

// ---- PrepareGame steps ----
bool Extension_Prepare();  // resources
void SoundHardware_Create();
bool Sound_Prepare();      // audio
void Audio_Prepare();      // audio

// ---- Textures made once the device exists ----

// ---- Early start-up ----
void EmbeddedImages_Register();  // platform: the built-in image table
void Game_SetDefaultCaptions();  // world: score, lives and health captions
void Sound_Startup();            // audio (empty by design)
void HighScore_Init();           // online
void Physics_Init();             // physics: debug message handler (-debug, "Debug" in options.ini)

// ---- options.ini ----
void MP3_Init(IniFile& ini);               // audio (empty by design)
void VaskM_SetAllowedOrientations(bool landscape, bool portrait, bool landscapeFlipped,
                                  bool portraitFlipped);  // online (nothing on this platform)

// ---- Start-up stages ----
void Splash_DrawImage();            // platform: the built-in splash image, drawn full window
void Debug_InitRemoteInterface();   // online (empty in this build)
void ScoreForm_Create();            // world: the score form
void ErrorForm_Create();            // script: the run-time error form

// ---- Running the game ----
void SoundHardware_Quit();  // audio

// ---- Shut-down, in Brackwell_Shutdown's order ----
void Vask_Functions_Fini();   // online
void Network_Shutdown();      // online
void Steam_Shutdown();        // online
void HighScore_Fini();        // online
void File_CloseAll();         // library: files
void Sound_Fini();            // audio

}  // namespace bw
