// The runner's one OpenAL device and context, shared by the audio engine and
// the legacy sound system. We make the context ourselves instead of taking
// the utility library's default one: the default may allow fewer sources
// than the engine's pool and the legacy voices need together.
#pragma once

#include <cstdint>

namespace bw {

// Sources the context is asked to allow (mono; stereo images use them too).
inline constexpr int32_t kAudioContextSources = 4096;

// Opens the default device, makes a current context allowing
// kAudioContextSources sources and starts freealut without a context of its
// own. True when open (also when it already was). A machine without a sound
// device answers false after one log line; sound then stays off.
bool AudioDevice_Open();
// Releases the context, freealut and the device; nothing when not open.
void AudioDevice_Close();
bool AudioDevice_IsOpen();

}  // namespace bw
