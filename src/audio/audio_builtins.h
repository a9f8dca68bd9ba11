// The audio engine's built-ins: the audio_ rows of the "Sound.." group and
// sound_exists of the resource group.
#pragma once

namespace bw {

// The "Sound.." group. The legacy sound and CD built-ins come first in the
// group; they join ahead of the audio_ rows registered here.
void Function_Sound_Register();
// The resource-side sound built-ins the audio engine serves.
void Function_SoundResource_Register();

}  // namespace bw
