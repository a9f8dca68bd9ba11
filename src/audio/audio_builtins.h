// The audio engine's built-ins: the audio_ rows of the "Sound.." group and
// sound_exists of the resource group; both groups register here.
#pragma once

namespace bw {

// The "Sound.." group: the legacy sound, CD and MCI rows (sound_builtins.h),
// then the audio_ rows.
void Function_Sound_Register();
// The resource-side sound built-ins of both sound systems.
void Function_SoundResource_Register();

}  // namespace bw
