// The legacy sound system's OpenAL back end, in the part the audio engine
// needs: it owns the shared device and creates the engine's sources. Its
// sound voices and the music player join with the legacy sound system.
#pragma once

namespace bw {

// Opens the shared OpenAL device (unless noAudio) and creates the engine's
// sources. A machine without a sound device runs on without sound.
void SoundHardware_Create(bool noAudio);
// Stops and releases everything the engine holds, then the device.
void SoundHardware_Quit();

}  // namespace bw
