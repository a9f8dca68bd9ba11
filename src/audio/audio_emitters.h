// Emitters (positions that voices play from) and the one listener of the
// audio engine. Setters only store what Audio_Update applies each frame,
// except falloff and pitch, which reach playing voices at once.
#pragma once

#include <cstdint>

namespace bw {

// An emitter id, or -1 when the engine is off. A freed emitter's id comes
// back with its old settings.
int32_t Audio_CreateEmitter();
void Audio_FreeEmitter(int32_t emitter);
bool Audio_EmitterExists(int32_t emitter);
void Audio_SetEmitterPosition(int32_t emitter, float x, float y, float z);
void Audio_SetEmitterVelocity(int32_t emitter, float x, float y, float z);
void Audio_SetEmitterFalloff(int32_t emitter, float referenceDistance, float maximumDistance, float factor);
void Audio_SetEmitterGain(int32_t emitter, float gain);
void Audio_SetEmitterPitch(int32_t emitter, float pitch);

void Audio_SetListenerPosition(float x, float y, float z);
void Audio_SetListenerVelocity(float x, float y, float z);
void Audio_SetListenerOrientation(float lookX, float lookY, float lookZ, float upX, float upY, float upZ);

}  // namespace bw
