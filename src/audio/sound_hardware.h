// The legacy sound system's OpenAL back end: a buffer and four sources per
// loaded sound, used in turn so four plays of one sound overlap; volume
// fades run once per step; the music operations go to the music player.
// The one object exists in both sound modes: the audio engine uses it as its
// music back end, and it owns the shared device.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_engine.h"

namespace bw {

struct SoundHardwareVoice {
    uint32_t buffer = 0;
    std::array<uint32_t, 4> sources{};
    int32_t nextSource = 0;  // the source the next play uses
    float volume = 1.0f;
    float volumeStep = 0.0f;
    int32_t fadeSteps = 0;
};

class SoundHardware : public IMusicBackEnd {
public:
    // off: every operation does nothing and queries answer false.
    explicit SoundHardware(bool off);
    ~SoundHardware() override;
    SoundHardware(const SoundHardware&) = delete;
    SoundHardware& operator=(const SoundHardware&) = delete;

    // A voice playing the sound file image (WAVE or Ogg Vorbis); null with
    // one log line when the image does not decode or OpenAL has no sources
    // left. The object owns the voice.
    SoundHardwareVoice* Load(const uint8_t* data, size_t size, const char* name);
    void Play(SoundHardwareVoice* voice, bool loop);
    void Stop(SoundHardwareVoice* voice);
    bool Playing(const SoundHardwareVoice* voice) const;
    // Fades the voice to volume over timeMs (one step at least).
    void SetVolume(SoundHardwareVoice* voice, float volume, int32_t timeMs);
    // Takes effect at the next play or fade step.
    void SetMasterVolume(float volume) { m_masterVolume = volume; }
    // Every frame: the music player's update, then one step of every fade.
    void Tick();

    // The music player, as both sound systems reach it.
    void PlayMP3(const char* name, bool loop) override;
    void PlayMIDI(const char* name, bool loop) override;
    void StopMusic() override;
    void PauseMusic() override;
    void ResumeMusic() override;
    bool PlayingMP3() override;
    bool IsCurrentMusic(const char* name) override;
    void SetMusicVolume(float volume, int32_t timeMs) override;
    float MusicVolume() const { return m_musicVolume; }

private:
    void FreeVoices();

    bool m_off;  // "-noaudio", or no sound device: every operation does nothing
    float m_masterVolume = 1.0f;
    std::vector<std::unique_ptr<SoundHardwareVoice>> m_voices;
    std::string m_music;  // the current music file; empty when none
    float m_musicVolume = 1.0f;
    float m_musicStep = 0.0f;
    int32_t m_musicFadeSteps = 0;
};

// Opens the shared OpenAL device (unless noAudio), makes the object and
// creates the engine's sources. A machine without a sound device runs on
// without sound.
void SoundHardware_Create(bool noAudio);
// "-noaudio" as the last SoundHardware_Create was told.
bool SoundHardware_NoAudio();
// Null before SoundHardware_Create and after SoundHardware_Quit.
SoundHardware* SoundHardware_Get();
// Stops and releases everything: the music, the voices, the engine, then
// the device.
void SoundHardware_Quit();

}  // namespace bw
