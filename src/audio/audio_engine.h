// The audio engine: a fixed pool of OpenAL sources shared by every play,
// voice ids handed out from 200000, priority stealing when the pool is full,
// emitters placed around one listener, and gain fades run once per step.
// Ids below kAudioVoiceIdBase name sounds (audio_sounds.h), ids from it
// name voices (one per play).
#pragma once

#include <cstdint>

namespace bw {

inline constexpr int32_t kAudioVoiceIdBase = 200000;
inline constexpr int32_t kAudioDefaultChannels = 128;

// What the engine asks of the legacy system's music player.
class IMusicBackEnd {
public:
    virtual ~IMusicBackEnd() = default;
    // The file becomes the current music (see IsCurrentMusic).
    virtual void PlayMP3(const char* name, bool loop) = 0;
    virtual void PlayMIDI(const char* name, bool loop) = 0;
    virtual void StopMusic() = 0;
    virtual void PauseMusic() = 0;
    virtual void ResumeMusic() = 0;
    virtual bool PlayingMP3() = 0;
    // True when name is the music the player was last given.
    virtual bool IsCurrentMusic(const char* name) = 0;
    virtual void SetMusicVolume(float gain, int32_t timeMs) = 0;
};

// Game steps a fade of timeMs takes at the current room's speed (30 without
// a room): at least one.
int32_t Audio_FadeSteps(int32_t timeMs);

// Keeps the music back end (may be null); the engine is on when the options
// ask for it, noAudio is false and the shared OpenAL device is open. Makes
// the listener and the source pool.
void Audio_CreateSources(IMusicBackEnd* music, bool noAudio);
// Stops every voice, deletes the sources, streams and buffers; the engine
// is off until sources are created again.
void Audio_Shutdown();
void Audio_Update();
void Audio_ClearEmitterVoiceLists();

bool Audio_System();
int32_t Audio_ChannelCount();

int32_t Audio_PlaySoundSimple(int32_t sound, double priority, int32_t loop);
int32_t Audio_PlaySoundAt(int32_t sound, float x, float y, float z, float falloffReference, float falloffMaximum,
                          float falloffFactor, int32_t loop, double priority);
int32_t Audio_PlaySound(int32_t emitter, int32_t sound, int32_t loop, double priority);

void Audio_StopSound(int32_t id);
void Audio_PauseSound(int32_t id);
void Audio_ResumeSound(int32_t id);
void Audio_StopAll();
void Audio_PauseAll();
void Audio_ResumeAll();

bool Audio_IsPlaying(int32_t id);
bool Audio_Exists(int32_t id);
int32_t Audio_GetType(int32_t sound);
float Audio_SoundLength(int32_t id);

void Audio_SetSoundGain(int32_t id, float gain, int32_t timeMs);
void Audio_SetSoundPitch(int32_t id, float pitch);
void Audio_SetMasterGain(double gain);
void Audio_SetChannelNum(int32_t count);
void Audio_SetFalloffModel(int32_t model);

// The gain a voice's fade has reached (for tests and the benchmark); -1 for
// an id that is not a voice in use.
float Audio_VoiceGain(int32_t voiceId);

void Audio_PlayMusic(int32_t sound, bool loop);
void Audio_StopMusic();
void Audio_PauseMusic();
void Audio_ResumeMusic();
bool Audio_MusicIsPlaying();
void Audio_SetMusicGain(float gain, int32_t timeMs);

}  // namespace bw
