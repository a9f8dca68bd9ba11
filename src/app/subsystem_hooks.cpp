// Stubs until each owner lands; see subsystem_hooks.h for who replaces them.
#include "app/subsystem_hooks.h"

namespace bw {

void Function_HighScore_Register() {}
void Function_Action_Register() {}
void Function_File_Register() {}
void Function_Resource_Register() {}
void Function_Interaction_Register() {}
void Function_3D_Register() {}
void Function_Particle_Register() {}
void Function_Sound_Register() {}
void Function_MPlay_Register() {}
void Function_Networking_Register() {}
void Function_Steam_Register() {}
void Function_Vask_Register() {}
void Function_Win8_Register() {}
bool Extension_Load(const PackageView&, uint32_t, uint32_t) { return true; }
bool Sound_Init(const PackageView&, uint32_t, uint32_t) { return true; }
bool Wave_Init(const PackageView&, uint32_t, uint32_t) { return true; }
bool Audio_Load(const PackageView&, uint32_t, uint32_t) { return true; }
bool Audio_WAVs(const PackageView&, uint32_t, uint32_t) { return true; }
void Sound_Clear() {}
bool Extension_Prepare() { return true; }
void SoundHardware_Create() {}
bool Sound_Prepare() { return true; }
void Audio_Prepare() {}
void EmbeddedImages_Register() {}
void Particle_Init() {}
void Game_SetDefaultCaptions() {}
void Sound_Startup() {}
void HighScore_Init() {}
void MP3_Init(IniFile&) {}
void VaskM_SetAllowedOrientations(bool, bool, bool, bool) {}
void Splash_DrawImage() {}
void Particle_InitShapes() {}
void Debug_InitRemoteInterface() {}
void ScoreForm_Create() {}
void ErrorForm_Create() {}
void SoundHardware_Quit() {}
void Vask_Functions_Fini() {}
void Network_Shutdown() {}
void Steam_Shutdown() {}
void HighScore_Fini() {}
void Particle_Fini() {}
void File_CloseAll() {}
void Sound_Fini() {}

}  // namespace bw
