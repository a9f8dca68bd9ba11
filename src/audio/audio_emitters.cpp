#include "audio/audio_emitters.h"

#include <AL/al.h>

#include <algorithm>

#include "audio/audio_engine_state.h"
#include "audio/audio_sounds.h"
#include "platform/console.h"

namespace bw {
namespace {

constexpr size_t kEmitterTableGrowth = 8;

// The emitter of that id when the engine is on and its slot holds a record.
AudioEmitter* SettableEmitter(int32_t emitter)
{
    return Audio_State().on ? Audio_GetEmitter(emitter) : nullptr;
}

// Calls act on every voice of the emitter's list that still plays on a
// source of its own.
template <typename Action>
void ForEachLiveVoice(const AudioEmitter& emitter, Action act)
{
    AudioEngineState& state = Audio_State();
    for (const int32_t index : emitter.voices) {
        if (index >= 0 && Audio_VoiceIsLive(*state.voices[static_cast<size_t>(index)])) {
            act(*state.voices[static_cast<size_t>(index)]);
        }
    }
}

}  // namespace

AudioEmitter* Audio_GetEmitter(int32_t emitter)
{
    const std::vector<std::unique_ptr<AudioEmitter>>& emitters = Audio_State().emitters;
    return emitter >= 0 && static_cast<size_t>(emitter) < emitters.size()
               ? emitters[static_cast<size_t>(emitter)].get()
               : nullptr;
}

void Audio_ClearEmitterVoiceLists()
{
    for (const std::unique_ptr<AudioEmitter>& emitter : Audio_State().emitters) {
        if (emitter != nullptr) {
            emitter->voices.clear();
        }
    }
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        voice->emitter = -1;
    }
}

int32_t Audio_CreateEmitter()
{
    AudioEngineState& state = Audio_State();
    if (!state.on) {
        return -1;
    }
    for (size_t id = 0; id < state.emitters.size(); ++id) {
        std::unique_ptr<AudioEmitter>& slot = state.emitters[id];
        if (slot == nullptr) {
            slot = std::make_unique<AudioEmitter>();
            return static_cast<int32_t>(id);
        }
        if (!slot->inUse) {
            slot->inUse = true;
            return static_cast<int32_t>(id);
        }
    }
    const size_t id = state.emitters.size();
    state.emitters.resize(id + kEmitterTableGrowth);
    state.emitters[id] = std::make_unique<AudioEmitter>();
    return static_cast<int32_t>(id);
}

void Audio_FreeEmitter(int32_t id)
{
    AudioEmitter* emitter = SettableEmitter(id);
    if (emitter == nullptr) {
        return;
    }
    ForEachLiveVoice(*emitter, [](AudioVoice& voice) { Audio_StopVoice(voice, voice.voiceId); });
    emitter->inUse = false;
}

bool Audio_EmitterExists(int32_t id)
{
    const AudioEmitter* emitter = Audio_GetEmitter(id);
    return emitter != nullptr && emitter->inUse;
}

void Audio_SetEmitterPosition(int32_t id, float x, float y, float z)
{
    if (AudioEmitter* emitter = SettableEmitter(id)) {
        emitter->position = {x, y, z};
    }
}

void Audio_SetEmitterVelocity(int32_t id, float x, float y, float z)
{
    if (AudioEmitter* emitter = SettableEmitter(id)) {
        emitter->velocity = {x, y, z};
    }
}

void Audio_SetEmitterFalloff(int32_t id, float referenceDistance, float maximumDistance, float factor)
{
    AudioEmitter* emitter = SettableEmitter(id);
    if (emitter == nullptr) {
        return;
    }
    emitter->falloffReference = referenceDistance;
    emitter->falloffMaximum = maximumDistance;
    emitter->falloffFactor = factor;
    ForEachLiveVoice(*emitter, [&](AudioVoice& voice) {
        const int32_t sourceState = Audio_VoiceSourceState(voice);
        if (alGetError() != AL_NO_ERROR) {
            Console().Printf("Error getting source state\n");
        }
        if (sourceState == AL_STOPPED) {
            return;
        }
        const ALuint source = Audio_VoiceSource(voice);
        alSourcef(source, AL_MAX_DISTANCE, maximumDistance);
        alSourcef(source, AL_REFERENCE_DISTANCE, referenceDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, factor);
        if (alGetError() != AL_NO_ERROR) {
            Console().Printf("Error updating emitter\n");
        }
    });
}

void Audio_SetEmitterGain(int32_t id, float gain)
{
    AudioEmitter* emitter = SettableEmitter(id);
    if (emitter != nullptr && gain >= 0.0f) {
        emitter->gain = gain;
    }
}

void Audio_SetEmitterPitch(int32_t id, float pitch)
{
    AudioEmitter* emitter = SettableEmitter(id);
    if (emitter == nullptr || !(pitch >= 0.0f)) {
        return;
    }
    emitter->pitch = pitch;
    ForEachLiveVoice(*emitter, [&](AudioVoice& voice) {
        const AudioSound* sound = Audio_GetSound(voice.sound);
        const float soundPitch = sound != nullptr ? sound->pitch : 1.0f;
        alSourcef(Audio_VoiceSource(voice), AL_PITCH, soundPitch * pitch);
    });
}

void Audio_SetListenerPosition(float x, float y, float z)
{
    if (AudioListener* listener = Audio_State().listener.get()) {
        listener->position = {x, y, z};
    }
}

void Audio_SetListenerVelocity(float x, float y, float z)
{
    if (AudioListener* listener = Audio_State().listener.get()) {
        listener->velocity = {x, y, z};
    }
}

void Audio_SetListenerOrientation(float lookX, float lookY, float lookZ, float upX, float upY, float upZ)
{
    if (AudioListener* listener = Audio_State().listener.get()) {
        listener->orientation = {lookX, lookY, lookZ, upX, upY, upZ};
    }
}

}  // namespace bw
