#include "audio/audio_engine.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cstring>

#include "audio/audio_engine_state.h"
#include "audio/audio_sounds.h"
#include "audio/openal_device.h"
#include "platform/console.h"
#include "platform/options.h"
#include "world/room.h"

namespace bw {
namespace {

// Logs line when OpenAL has an error pending (and clears it).
void LogIfAlError(const char* line)
{
    if (alGetError() != AL_NO_ERROR) {
        Console().Printf("%s", line);
    }
}

bool IsVoiceId(int32_t id)
{
    return id >= kAudioVoiceIdBase;
}

AudioVoice* FindVoice(int32_t voiceId)
{
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        if (voice->inUse && voice->voiceId == voiceId) {
            return voice.get();
        }
    }
    return nullptr;
}

// The voice of that id that still plays: in use and not stopping.
AudioVoice* FindLiveVoice(int32_t voiceId)
{
    AudioVoice* voice = FindVoice(voiceId);
    return voice != nullptr && !voice->stopping ? voice : nullptr;
}

// Calls act on every voice a sound or voice id names: all voices in use and
// not stopping that play the sound, or the one voice.
template <typename Action>
void ForEachVoiceOf(int32_t id, Action act)
{
    if (IsVoiceId(id)) {
        if (AudioVoice* voice = FindLiveVoice(id)) {
            act(*voice, id);
        }
        return;
    }
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        if (voice->inUse && !voice->stopping && voice->sound == id) {
            act(*voice, voice->poolIndex);
        }
    }
}

// A stopped source that still belongs to a voice: its stream ran dry in a
// slow frame and plays on at the next update, as the game never stopped it.
bool HeldByDryStream(size_t index)
{
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        if (voice->inUse && voice->sourceIndex == static_cast<int32_t>(index) && voice->stream != nullptr &&
            voice->stream->RanDry()) {
            return true;
        }
    }
    return false;
}

// A free source index, stealing one from the first-found voice of the
// lowest priority below priority when all are busy; -1 when none.
int32_t PickSource(float priority)
{
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("Error prior to getting sound source %d\n", error);
    }
    AudioEngineState& state = Audio_State();
    for (size_t index = 0; index < state.sources.size(); ++index) {
        ALint sourceState = 0;
        alGetSourcei(state.sources[index], AL_SOURCE_STATE, &sourceState);
        if ((sourceState != AL_STOPPED && sourceState != AL_INITIAL) || HeldByDryStream(index)) {
            continue;
        }
        for (const std::unique_ptr<AudioVoice>& voice : state.voices) {
            if (voice->inUse && voice->sourceIndex == static_cast<int32_t>(index)) {
                Audio_ReleaseVoice(*voice);
            }
        }
        return static_cast<int32_t>(index);
    }
    AudioVoice* lowest = nullptr;
    for (const std::unique_ptr<AudioVoice>& voice : state.voices) {
        if (voice->inUse && !voice->stopping && voice->priority < priority &&
            (lowest == nullptr || voice->priority < lowest->priority)) {
            lowest = voice.get();
        }
    }
    if (lowest == nullptr) {
        return -1;
    }
    lowest->stream.reset();
    alSourceStop(Audio_VoiceSource(*lowest));
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("Error stopping sample %d\n", error);
    }
    lowest->stopping = true;
    const int32_t emitter = lowest->emitter;
    if (AudioEmitter* owner = Audio_GetEmitter(emitter)) {
        std::replace(owner->voices.begin(), owner->voices.end(), lowest->poolIndex, -1);
    }
    lowest->emitter = -1;
    return lowest->sourceIndex;
}

AudioVoice& AllocVoice()
{
    AudioEngineState& state = Audio_State();
    for (const std::unique_ptr<AudioVoice>& voice : state.voices) {
        if (!voice->inUse) {
            Audio_ReleaseVoice(*voice);
            voice->inUse = true;
            return *voice;
        }
    }
    auto voice = std::make_unique<AudioVoice>();
    voice->poolIndex = static_cast<int32_t>(state.voices.size());
    voice->inUse = true;
    state.voices.push_back(std::move(voice));
    return *state.voices.back();
}

// Source and voice for a play of sound; null when the engine is off, the
// sound does not exist (refused before any source is taken) or no source
// is free for this priority.
AudioVoice* BeginPlay(int32_t soundId, double priority, int32_t loop)
{
    AudioEngineState& state = Audio_State();
    if (!state.on || Audio_GetSound(soundId) == nullptr) {
        return nullptr;
    }
    const auto level = static_cast<float>(priority);
    const int32_t source = PickSource(level);
    if (source < 0) {
        return nullptr;
    }
    AudioVoice& voice = AllocVoice();
    voice.voiceId = state.nextVoiceId++;
    voice.priority = level;
    voice.sourceIndex = source;
    voice.sound = soundId;
    voice.loop = loop > 0;
    voice.gain = 1.0f;
    voice.pitch = 1.0f;
    voice.fadeSteps = 0;
    return &voice;
}

// Binds the sound's samples to the voice's source: its buffer, or a stream
// of its image for streamed sounds.
void AttachSamples(AudioVoice& voice, const AudioSound& sound)
{
    const ALuint source = Audio_VoiceSource(voice);
    if (sound.streams) {
        auto stream = std::make_unique<CAudioStream>();
        const char* why = nullptr;
        if (stream->Open(sound.audioData, sound.audioSize, &why)) {
            stream->Attach(source, voice.loop);
            voice.stream = std::move(stream);
            return;
        }
    }
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sound.buffer));
    alSourcei(source, AL_LOOPING, voice.loop ? AL_TRUE : AL_FALSE);
}

void StepFade(float& gain, float step, int32_t& steps)
{
    if (steps > 0) {
        gain = std::clamp(gain + step, 0.0f, 1.0f);
        --steps;
    }
}

float SoundGain(int32_t soundId)
{
    const AudioSound* sound = Audio_GetSound(soundId);
    return sound != nullptr ? sound->gain : 1.0f;
}

void ApplyListener(const AudioListener& listener)
{
    if (alcGetCurrentContext() == nullptr) {
        return;
    }
    alListener3f(AL_POSITION, listener.position[0], listener.position[1], listener.position[2]);
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("Error setting listener position %d\n", error);
    }
    alListener3f(AL_VELOCITY, listener.velocity[0], listener.velocity[1], listener.velocity[2]);
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("Error setting listener velocity %d\n", error);
    }
    alListenerfv(AL_ORIENTATION, listener.orientation.data());
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("Error setting listener orientation %d\n", error);
    }
}

// Sources are made one at a time so that a device allowing fewer than
// asked still leaves a pool of valid names.
void GenerateSources(int32_t count)
{
    AudioEngineState& state = Audio_State();
    state.sources.clear();
    for (int32_t i = 0; i < count; ++i) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
            Console().Printf("Error creating audio sources %d\n", error);
            break;
        }
        state.sources.push_back(source);
    }
    state.channelCount = static_cast<int32_t>(state.sources.size());
}

void DeleteSources()
{
    AudioEngineState& state = Audio_State();
    if (!state.sources.empty()) {
        alDeleteSources(static_cast<ALsizei>(state.sources.size()), state.sources.data());
        state.sources.clear();
    }
}

}  // namespace

// ---- records shared with the emitter module ----------------------------

AudioEngineState& Audio_State()
{
    static AudioEngineState state;
    return state;
}

uint32_t Audio_VoiceSource(const AudioVoice& voice)
{
    const std::vector<uint32_t>& sources = Audio_State().sources;
    return voice.sourceIndex >= 0 && static_cast<size_t>(voice.sourceIndex) < sources.size()
               ? sources[static_cast<size_t>(voice.sourceIndex)]
               : 0;
}

bool Audio_VoiceIsLive(const AudioVoice& voice)
{
    return voice.inUse && !voice.stopping && Audio_VoiceSource(voice) != 0;
}

int32_t Audio_VoiceSourceState(AudioVoice& voice)
{
    // A stream that ran dry in a slow frame starts again before its state is
    // read, so game code that asks about it or pauses it never finds it
    // stopped.
    if (voice.stream != nullptr && voice.stream->RanDry()) {
        voice.stream->Update();
    }
    const ALuint source = Audio_VoiceSource(voice);
    ALint state = AL_STOPPED;
    if (source != 0) {
        alGetSourcei(source, AL_SOURCE_STATE, &state);
    }
    return state;
}

void Audio_ReleaseVoice(AudioVoice& voice)
{
    if (AudioEmitter* emitter = Audio_GetEmitter(voice.emitter)) {
        std::replace(emitter->voices.begin(), emitter->voices.end(), voice.poolIndex, -1);
    }
    voice.emitter = -1;
    voice.stream.reset();
    voice.inUse = false;
    voice.stopping = false;
}

void Audio_StopVoice(AudioVoice& voice, int32_t logId)
{
    if (!voice.stopping && Audio_VoiceSource(voice) != 0) {
        voice.stream.reset();
        alSourceStop(Audio_VoiceSource(voice));
        if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
            Console().Printf("Error stopping sound %d error code %d\n", logId, error);
        }
    }
    Audio_ReleaseVoice(voice);
}

// ---- start, stop, frame --------------------------------------------------

int32_t Audio_FadeSteps(int32_t timeMs)
{
    const CRoom* room = Room_Current();
    const int32_t speed = room != nullptr && room->speed > 0 ? room->speed : 30;
    const int32_t msPerStep = std::max(1, 1000 / speed);
    return std::max(1, timeMs / msPerStep);
}

void Audio_CreateSources(IMusicBackEnd* music, bool noAudio)
{
    AudioEngineState& state = Audio_State();
    state.music = music;
    state.on = Options().newAudio && !noAudio && AudioDevice_IsOpen();
    if (!state.on) {
        return;
    }
    if (state.listener == nullptr) {
        state.listener = std::make_unique<AudioListener>();
    }
    // Created again (a new game in the same run): the old pool goes first.
    Audio_StopAll();
    DeleteSources();
    alGetError();
    GenerateSources(state.channelCount);
    alDistanceModel(AL_INVERSE_DISTANCE);
    *state.listener = AudioListener{};
    ApplyListener(*state.listener);
}

void Audio_Shutdown()
{
    AudioEngineState& state = Audio_State();
    if (state.on) {
        Audio_StopAll();
        DeleteSources();
    }
    Audio_ClearEmitterVoiceLists();
    Audio_FreeSounds();
    state.on = false;
    state.music = nullptr;
}

void Audio_Update()
{
    AudioEngineState& state = Audio_State();
    if (!state.on) {
        return;
    }
    ApplyListener(*state.listener);
    const int32_t soundCount = Audio_SoundCount();
    for (int32_t id = 0; id < soundCount; ++id) {
        if (AudioSound* sound = Audio_GetSound(id)) {
            StepFade(sound->gain, sound->gainStep, sound->fadeSteps);
        }
    }
    for (const std::unique_ptr<AudioVoice>& voice : state.voices) {
        StepFade(voice->gain, voice->gainStep, voice->fadeSteps);
        if (!Audio_VoiceIsLive(*voice)) {
            continue;
        }
        const AudioEmitter* emitter = Audio_GetEmitter(voice->emitter);
        const float emitterGain = emitter != nullptr ? emitter->gain : 1.0f;
        alSourcef(Audio_VoiceSource(*voice), AL_GAIN, voice->gain * SoundGain(voice->sound) * emitterGain);
        if (voice->stream != nullptr) {
            voice->stream->Update();
        }
    }
    for (const std::unique_ptr<AudioEmitter>& emitter : state.emitters) {
        if (emitter == nullptr || !emitter->inUse) {
            continue;
        }
        for (const int32_t index : emitter->voices) {
            if (index < 0) {
                continue;
            }
            AudioVoice& voice = *state.voices[static_cast<size_t>(index)];
            if (!Audio_VoiceIsLive(voice)) {
                continue;
            }
            const int32_t sourceState = Audio_VoiceSourceState(voice);
            LogIfAlError("Error getting source state\n");
            if (sourceState == AL_STOPPED) {
                Audio_ReleaseVoice(voice);
                continue;
            }
            const ALuint source = Audio_VoiceSource(voice);
            alSource3f(source, AL_POSITION, emitter->position[0], emitter->position[1], emitter->position[2]);
            alSource3f(source, AL_VELOCITY, emitter->velocity[0], emitter->velocity[1], emitter->velocity[2]);
            LogIfAlError("Error updating emitter\n");
        }
    }
}

bool Audio_System()
{
    return Audio_State().on;
}

int32_t Audio_ChannelCount()
{
    return Audio_State().channelCount;
}

// ---- plays --------------------------------------------------------------

int32_t Audio_PlaySoundSimple(int32_t sound, double priority, int32_t loop)
{
    if (!Audio_State().on) {
        return -1;
    }
    LogIfAlError("Error before playing sample\n");
    AudioVoice* voice = BeginPlay(sound, priority, loop);
    if (voice == nullptr) {
        return -1;
    }
    const AudioSound& record = *Audio_GetSound(sound);
    const ALuint source = Audio_VoiceSource(*voice);
    alSourcef(source, AL_MAX_DISTANCE, 100000.0f);
    AttachSamples(*voice, record);
    alSourcef(source, AL_GAIN, record.gain);
    alSourcef(source, AL_PITCH, record.pitch);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSourcePlay(source);
    LogIfAlError("Error playing simple sound\n");
    return voice->voiceId;
}

int32_t Audio_PlaySoundAt(int32_t sound, float x, float y, float z, float falloffReference, float falloffMaximum,
                          float falloffFactor, int32_t loop, double priority)
{
    AudioVoice* voice = BeginPlay(sound, priority, loop);
    if (voice == nullptr) {
        return -1;
    }
    LogIfAlError("Error prior to playing sample\n");
    const AudioSound& record = *Audio_GetSound(sound);
    const ALuint source = Audio_VoiceSource(*voice);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(source, AL_GAIN, record.gain);
    AttachSamples(*voice, record);
    alSourcef(source, AL_PITCH, record.pitch);
    LogIfAlError("Error setting sample buffer\n");
    alSourcef(source, AL_MAX_DISTANCE, falloffMaximum);
    LogIfAlError("Error playing sample\n");
    alSourcef(source, AL_REFERENCE_DISTANCE, falloffReference);
    alSourcef(source, AL_ROLLOFF_FACTOR, falloffFactor);
    alSource3f(source, AL_POSITION, x, y, z);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    LogIfAlError("Error updating sample position\n");
    alSourcePlay(source);
    return voice->voiceId;
}

int32_t Audio_PlaySound(int32_t emitterId, int32_t sound, int32_t loop, double priority)
{
    AudioEngineState& state = Audio_State();
    if (!state.on) {
        return -1;
    }
    LogIfAlError("Error prior to playing sample 2\n");
    if (emitterId < 0 || static_cast<size_t>(emitterId) >= state.emitters.size()) {
        return -1;
    }
    AudioEmitter* emitter = Audio_GetEmitter(emitterId);
    if (emitter == nullptr || !emitter->inUse) {
        Console().Printf("Audio_PlaySound Attempting to play sound on inactive emitter %d\n", emitterId);
        return -1;
    }
    AudioVoice* voice = BeginPlay(sound, priority, loop);
    if (voice == nullptr) {
        return -1;
    }
    voice->emitter = emitterId;
    auto slot = std::find_if(emitter->voices.begin(), emitter->voices.end(), [&](int32_t index) {
        return index < 0 || !state.voices[static_cast<size_t>(index)]->inUse;
    });
    if (slot != emitter->voices.end()) {
        *slot = voice->poolIndex;
    } else {
        emitter->voices.push_back(voice->poolIndex);
    }
    LogIfAlError("Error prior to playing sample\n");
    const AudioSound& record = *Audio_GetSound(sound);
    const ALuint source = Audio_VoiceSource(*voice);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(source, AL_MAX_DISTANCE, emitter->falloffMaximum);
    alSourcef(source, AL_GAIN, emitter->gain * record.gain);
    alSourcef(source, AL_PITCH, record.pitch * emitter->pitch);
    AttachSamples(*voice, record);
    LogIfAlError("Error setting sample buffer\n");
    alSourcef(source, AL_REFERENCE_DISTANCE, emitter->falloffReference);
    alSourcef(source, AL_ROLLOFF_FACTOR, emitter->falloffFactor);
    alSource3f(source, AL_POSITION, emitter->position[0], emitter->position[1], emitter->position[2]);
    alSource3f(source, AL_VELOCITY, emitter->velocity[0], emitter->velocity[1], emitter->velocity[2]);
    alSourcePlay(source);
    LogIfAlError("Error playing sample\n");
    return voice->voiceId;
}

// ---- stop, pause, resume ------------------------------------------------

void Audio_StopSound(int32_t id)
{
    if (!Audio_State().on) {
        return;
    }
    ForEachVoiceOf(id, [](AudioVoice& voice, int32_t logId) { Audio_StopVoice(voice, logId); });
}

void Audio_PauseSound(int32_t id)
{
    if (!Audio_State().on) {
        return;
    }
    ForEachVoiceOf(id, [](AudioVoice& voice, int32_t logId) {
        if (Audio_VoiceSourceState(voice) == AL_PLAYING) {
            alSourcePause(Audio_VoiceSource(voice));
            if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
                Console().Printf("Error pausing sound %d error code %d\n", logId, error);
            }
        }
    });
}

void Audio_ResumeSound(int32_t id)
{
    if (!Audio_State().on) {
        return;
    }
    ForEachVoiceOf(id, [](AudioVoice& voice, int32_t logId) {
        if (Audio_VoiceSourceState(voice) == AL_PAUSED) {
            alSourcePlay(Audio_VoiceSource(voice));
            if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
                Console().Printf("Error resuming sound %d error code %d\n", logId, error);
            }
        }
    });
}

void Audio_StopAll()
{
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        if (voice->inUse) {
            Audio_StopVoice(*voice, voice->poolIndex);
        }
    }
}

void Audio_PauseAll()
{
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        if (voice->inUse && !voice->stopping) {
            Audio_PauseSound(voice->voiceId);
        }
    }
}

void Audio_ResumeAll()
{
    for (const std::unique_ptr<AudioVoice>& voice : Audio_State().voices) {
        if (voice->inUse && !voice->stopping) {
            Audio_ResumeSound(voice->voiceId);
        }
    }
}

// ---- queries ------------------------------------------------------------

bool Audio_IsPlaying(int32_t id)
{
    if (!Audio_State().on) {
        return false;
    }
    if (IsVoiceId(id)) {
        AudioVoice* voice = FindLiveVoice(id);
        return voice != nullptr && Audio_VoiceSourceState(*voice) == AL_PLAYING;
    }
    const AudioSound* sound = Audio_GetSound(id);
    if (sound == nullptr) {
        return false;
    }
    if (sound->streamed && Audio_IsMusicFile(*sound)) {
        IMusicBackEnd* music = Audio_State().music;
        return Audio_HasExtension(*sound, ".mp3") && music != nullptr && music->IsCurrentMusic(sound->name) &&
               music->PlayingMP3();
    }
    bool playing = false;
    ForEachVoiceOf(id, [&](AudioVoice& voice, int32_t) {
        playing = playing || Audio_VoiceSourceState(voice) == AL_PLAYING;
    });
    return playing;
}

bool Audio_Exists(int32_t id)
{
    if (IsVoiceId(id)) {
        return Audio_IsPlaying(id);
    }
    return Audio_GetSound(id) != nullptr;
}

int32_t Audio_GetType(int32_t soundId)
{
    const AudioSound* sound = Audio_GetSound(soundId);
    if (sound == nullptr) {
        return -1;
    }
    return sound->streamed ? 1 : 0;
}

float Audio_SoundLength(int32_t id)
{
    if (!Audio_State().on) {
        return -1.0f;
    }
    int32_t soundId = id;
    if (IsVoiceId(id)) {
        const AudioVoice* voice = FindVoice(id);
        soundId = voice != nullptr ? voice->sound : -1;
    }
    const AudioSound* sound = Audio_GetSound(soundId);
    if (sound == nullptr || sound->buffer == 0) {
        return -1.0f;
    }
    ALint size = 0;
    ALint bits = 0;
    ALint channels = 0;
    ALint frequency = 0;
    alGetError();
    alGetBufferi(sound->buffer, AL_SIZE, &size);
    alGetBufferi(sound->buffer, AL_BITS, &bits);
    alGetBufferi(sound->buffer, AL_CHANNELS, &channels);
    alGetBufferi(sound->buffer, AL_FREQUENCY, &frequency);
    if (alGetError() != AL_NO_ERROR || channels <= 0 || bits < 8 || frequency <= 0) {
        return -1.0f;
    }
    const int32_t frames = (size / channels) / (bits / 8);
    return static_cast<float>(frames) / static_cast<float>(frequency);
}

float Audio_VoiceGain(int32_t voiceId)
{
    const AudioVoice* voice = FindVoice(voiceId);
    return voice != nullptr ? voice->gain : -1.0f;
}

// ---- gain, pitch, channels, falloff ---------------------------------------

void Audio_SetSoundGain(int32_t id, float gain, int32_t timeMs)
{
    AudioEngineState& state = Audio_State();
    if (!state.on) {
        return;
    }
    const int32_t steps = Audio_FadeSteps(timeMs);
    if (IsVoiceId(id)) {
        if (AudioVoice* voice = FindLiveVoice(id)) {
            voice->gainStep = (gain - voice->gain) / static_cast<float>(steps);
            voice->fadeSteps = steps;
        }
        return;
    }
    AudioSound* sound = Audio_GetSound(id);
    if (sound == nullptr) {
        return;
    }
    if (sound->streamed && Audio_IsMusicFile(*sound)) {
        if (state.music != nullptr) {
            state.music->SetMusicVolume(gain, timeMs);
        }
        return;
    }
    sound->gainStep = (gain - sound->gain) / static_cast<float>(steps);
    sound->fadeSteps = steps;
}

void Audio_SetSoundPitch(int32_t id, float pitch)
{
    if (!Audio_State().on) {
        return;
    }
    if (IsVoiceId(id)) {
        if (AudioVoice* voice = FindLiveVoice(id)) {
            voice->pitch = pitch;
            if (const ALuint source = Audio_VoiceSource(*voice)) {
                alSourcef(source, AL_PITCH, pitch);
            }
        }
        return;
    }
    AudioSound* sound = Audio_GetSound(id);
    if (sound == nullptr) {
        return;
    }
    if (sound->streamed && Audio_IsMusicFile(*sound)) {
        Console().Printf("Pitch setting for music streams not currently supported\n");
        return;
    }
    sound->pitch = pitch;
}

void Audio_SetMasterGain(double gain)
{
    AudioEngineState& state = Audio_State();
    if (!state.on) {
        return;
    }
    const auto level = static_cast<float>(std::max(gain, 0.0));
    alListenerf(AL_GAIN, level);
    if (state.music != nullptr) {
        state.music->SetMusicVolume(level, 10);
    }
}

void Audio_SetChannelNum(int32_t count)
{
    AudioEngineState& state = Audio_State();
    if (!state.on) {
        return;
    }
    // Every voice lets go of its source first: no voice may keep an index
    // (or a stream) on a source that is about to be deleted.
    Audio_StopAll();
    DeleteSources();
    GenerateSources(std::clamp(count, 0, kAudioContextSources));
}

void Audio_SetFalloffModel(int32_t model)
{
    static constexpr ALenum kModels[] = {AL_NONE,
                                         AL_INVERSE_DISTANCE,
                                         AL_INVERSE_DISTANCE_CLAMPED,
                                         AL_LINEAR_DISTANCE,
                                         AL_LINEAR_DISTANCE_CLAMPED,
                                         AL_EXPONENT_DISTANCE,
                                         AL_EXPONENT_DISTANCE_CLAMPED};
    if (model < 0 || model >= static_cast<int32_t>(std::size(kModels))) {
        Console().Printf("Attempting to set audio falloff to unknown model\n");
        return;
    }
    if (Audio_State().on) {
        alDistanceModel(kModels[model]);
    }
}

// ---- music (needs only the music back end) -------------------------------

void Audio_PlayMusic(int32_t soundId, bool loop)
{
    IMusicBackEnd* music = Audio_State().music;
    const AudioSound* sound = Audio_GetSound(soundId);
    if (music == nullptr || sound == nullptr || sound->name == nullptr) {
        return;
    }
    if (Audio_HasExtension(*sound, ".mp3")) {
        music->PlayMP3(sound->name, loop);
    } else if (Audio_HasExtension(*sound, ".mid") || Audio_HasExtension(*sound, ".midi")) {
        music->PlayMIDI(sound->name, loop);
    }
}

void Audio_StopMusic()
{
    if (IMusicBackEnd* music = Audio_State().music) {
        music->StopMusic();
    }
}

void Audio_PauseMusic()
{
    if (IMusicBackEnd* music = Audio_State().music) {
        music->PauseMusic();
    }
}

void Audio_ResumeMusic()
{
    if (IMusicBackEnd* music = Audio_State().music) {
        music->ResumeMusic();
    }
}

bool Audio_MusicIsPlaying()
{
    IMusicBackEnd* music = Audio_State().music;
    return music != nullptr && music->PlayingMP3();
}

void Audio_SetMusicGain(float gain, int32_t timeMs)
{
    if (IMusicBackEnd* music = Audio_State().music) {
        music->SetMusicVolume(gain, timeMs);
    }
}

}  // namespace bw
