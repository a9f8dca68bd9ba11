// The engine's records, shared by its modules (audio_engine.cpp: sources,
// voices, plays and the update; audio_emitters.cpp: emitters and the
// listener). Nothing outside src/audio includes this.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/audio_engine.h"
#include "audio/audio_stream.h"

namespace bw {

struct AudioVoice {
    bool loop = false;
    bool inUse = false;
    bool stopping = false;  // its source was taken by a play of higher priority
    int32_t poolIndex = 0;
    int32_t sourceIndex = -1;
    int32_t voiceId = 0;
    int32_t sound = 0;
    float priority = 1.0f;
    float pitch = 1.0f;
    float gain = 1.0f;
    float gainStep = 0.0f;
    int32_t fadeSteps = 0;
    int32_t emitter = -1;
    std::unique_ptr<CAudioStream> stream;  // streamed sounds only
};

struct AudioEmitter {
    std::array<float, 3> position{};
    std::array<float, 3> velocity{};
    bool inUse = true;
    float falloffReference = 100.0f;
    float falloffMaximum = 100000.0f;
    float falloffFactor = 1.0f;
    float gain = 1.0f;
    float pitch = 1.0f;
    std::vector<int32_t> voices;  // voice pool indexes; -1 an empty slot
};

struct AudioListener {
    std::array<float, 3> position{};
    std::array<float, 3> velocity{};
    std::array<float, 6> orientation{0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f};  // look, then up
};

struct AudioEngineState {
    bool on = false;
    IMusicBackEnd* music = nullptr;
    int32_t nextVoiceId = kAudioVoiceIdBase;  // never reset: ids keep rising across games
    int32_t channelCount = kAudioDefaultChannels;
    std::vector<uint32_t> sources;
    std::vector<std::unique_ptr<AudioVoice>> voices;     // grows, never shrinks
    std::vector<std::unique_ptr<AudioEmitter>> emitters;  // grows by 8; null slots not yet handed out
    std::unique_ptr<AudioListener> listener;
};

AudioEngineState& Audio_State();

// The voice is in use, not stopping and holds a source.
bool Audio_VoiceIsLive(const AudioVoice& voice);
// AL_SOURCE_STATE of the voice's source (AL_STOPPED when it has none); a
// stream that ran dry is started again first.
int32_t Audio_VoiceSourceState(AudioVoice& voice);
uint32_t Audio_VoiceSource(const AudioVoice& voice);
// Stops the voice's source (unless it is stopping) and releases the voice.
// logId names it in the error line.
void Audio_StopVoice(AudioVoice& voice, int32_t logId);
// Frees the record for the next play: not in use, off its emitter, stream
// dropped. Its source is left alone.
void Audio_ReleaseVoice(AudioVoice& voice);
AudioEmitter* Audio_GetEmitter(int32_t emitter);

}  // namespace bw
