// Stubs until each owner lands; see subsystem_hooks.h for who replaces them.
#include "app/subsystem_hooks.h"

namespace bw {

void Function_Action_Register() {}
void Function_3D_Register() {}
void Function_Particle_Register() {}
void Function_Physics_Register() {}
void Function_Steam_Register() {}
void Function_Vask_Register() {}
void Function_Win8_Register() {}
bool Sound_Init(const PackageView&, uint32_t, uint32_t) { return true; }
bool Wave_Init(const PackageView&, uint32_t, uint32_t) { return true; }
void Sound_Clear() {}
bool Sound_Prepare() { return true; }
void EmbeddedImages_Register() {}
void Particle_Init() {}
void Physics_Init() {}
void MP3_Init(IniFile&) {}
void VaskM_SetAllowedOrientations(bool, bool, bool, bool) {}
void Particle_InitShapes() {}
void ScoreForm_Create() {}
void ErrorForm_Create() {}
void Vask_Functions_Fini() {}
void Steam_Shutdown() {}
void Particle_Fini() {}
void Sound_Fini() {}

}  // namespace bw
