#include "audio/sound_hardware.h"

#include <AL/al.h>
#include <AL/alut.h>

#include <algorithm>
#include <cstring>

#include "audio/legacy_sounds.h"
#include "audio/music_player.h"
#include "audio/openal_device.h"
#include "audio/sound_image.h"
#include "platform/console.h"

namespace bw {
namespace {

// The current music file name is kept in 255 characters.
constexpr size_t kMusicNameMax = 255;

std::unique_ptr<SoundHardware> g_hardware;
bool g_noAudio = false;

void CheckALError()
{
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("AL Error : %08x(%d)\n", error, error);
    }
    if (const ALenum error = alutGetError(); error != ALUT_ERROR_NO_ERROR) {
        Console().Printf("ALUT Error : %s\n", alutGetErrorString(error));
    }
}

void ApplyGain(const SoundHardwareVoice& voice, float masterVolume, bool playingOnly)
{
    for (const ALuint source : voice.sources) {
        ALint state = AL_PLAYING;
        if (playingOnly) {
            alGetSourcei(source, AL_SOURCE_STATE, &state);
        }
        if (state == AL_PLAYING) {
            alSourcef(source, AL_GAIN, voice.volume * masterVolume);
        }
    }
}

}  // namespace

SoundHardware::SoundHardware(bool off) : m_off(off) {}

SoundHardware::~SoundHardware()
{
    if (!m_off) {
        MP3_ReleaseStream();
        MP3_Quit();
        FreeVoices();
    }
}

void SoundHardware::FreeVoices()
{
    for (const std::unique_ptr<SoundHardwareVoice>& voice : m_voices) {
        alSourceStopv(static_cast<ALsizei>(voice->sources.size()), voice->sources.data());
        alDeleteSources(static_cast<ALsizei>(voice->sources.size()), voice->sources.data());
        alDeleteBuffers(1, &voice->buffer);
    }
    m_voices.clear();
}

SoundHardwareVoice* SoundHardware::Load(const uint8_t* data, size_t size, const char* name)
{
    if (m_off) {
        return nullptr;
    }
    auto voice = std::make_unique<SoundHardwareVoice>();
    const char* why = nullptr;
    voice->buffer = SoundImage_CreateBuffer(data, size, &why);
    if (voice->buffer == 0) {
        Console().Printf("Sound: %s plays nothing: %s\n", name, why);
        return nullptr;
    }
    // Each source is checked: once OpenAL runs out, the sound gets no voice
    // rather than names that are not sources.
    for (ALuint& source : voice->sources) {
        alGetError();
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) {
            source = 0;
            Console().Printf("Sound: %s plays nothing: no OpenAL sources left\n", name);
            for (const ALuint made : voice->sources) {
                if (made != 0) {
                    alDeleteSources(1, &made);
                }
            }
            alDeleteBuffers(1, &voice->buffer);
            return nullptr;
        }
        alSourcei(source, AL_BUFFER, static_cast<ALint>(voice->buffer));
    }
    m_voices.push_back(std::move(voice));
    return m_voices.back().get();
}

void SoundHardware::Play(SoundHardwareVoice* voice, bool loop)
{
    if (m_off || voice == nullptr) {
        return;
    }
    const ALuint source = voice->sources[static_cast<size_t>(voice->nextSource)];
    voice->nextSource = (voice->nextSource + 1) % static_cast<int32_t>(voice->sources.size());
    alSourcef(source, AL_GAIN, voice->volume * m_masterVolume);
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
}

void SoundHardware::Stop(SoundHardwareVoice* voice)
{
    if (!m_off && voice != nullptr) {
        alSourceStopv(static_cast<ALsizei>(voice->sources.size()), voice->sources.data());
    }
}

bool SoundHardware::Playing(const SoundHardwareVoice* voice) const
{
    if (m_off || voice == nullptr) {
        return false;
    }
    return std::any_of(voice->sources.begin(), voice->sources.end(), [](ALuint source) {
        ALint state = 0;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING;
    });
}

void SoundHardware::SetVolume(SoundHardwareVoice* voice, float volume, int32_t timeMs)
{
    if (m_off || voice == nullptr) {
        return;
    }
    const int32_t steps = Audio_FadeSteps(timeMs);
    voice->volumeStep = (volume - voice->volume) / static_cast<float>(steps);
    voice->fadeSteps = steps;
}

void SoundHardware::Tick()
{
    if (m_off) {
        return;
    }
    CheckALError();
    MP3_Update();
    for (const std::unique_ptr<SoundHardwareVoice>& voice : m_voices) {
        if (voice->fadeSteps <= 0) {
            continue;
        }
        voice->volume = std::clamp(voice->volume + voice->volumeStep, 0.0f, 1.0f);
        --voice->fadeSteps;
        ApplyGain(*voice, m_masterVolume, true);
    }
    if (m_musicFadeSteps > 0) {
        --m_musicFadeSteps;
        m_musicVolume += m_musicStep;
        MP3_SetVolume(m_musicVolume);
    }
}

void SoundHardware::PlayMP3(const char* name, bool loop)
{
    if (m_off) {
        return;
    }
    if (!m_music.empty()) {
        StopMusic();
    }
    if (std::strlen(name) > kMusicNameMax) {
        Console().Printf("Music: the file name is too long: %.64s...\n", name);
        return;
    }
    m_music = name;
    MP3_Open(name, loop);
    MP3_SetVolume(m_musicVolume);
}

void SoundHardware::PlayMIDI(const char* name, bool loop)
{
    // MIDI music plays as the MP3 file of the same name.
    std::string mp3 = name;
    const size_t dot = mp3.find_last_of("./\\");
    if (dot != std::string::npos && mp3[dot] == '.') {
        mp3.erase(dot);
    }
    PlayMP3((mp3 + ".mp3").c_str(), loop);
}

void SoundHardware::StopMusic()
{
    if (!m_off) {
        m_music.clear();
        MP3_Stop();
    }
}

void SoundHardware::PauseMusic()
{
    if (!m_off) {
        MP3_Pause();
    }
}

void SoundHardware::ResumeMusic()
{
    if (!m_off) {
        MP3_Resume();
    }
}

bool SoundHardware::PlayingMP3()
{
    return !m_off && MP3_IsPlaying();
}

bool SoundHardware::IsCurrentMusic(const char* name)
{
    return !m_music.empty() && m_music == name;
}

void SoundHardware::SetMusicVolume(float volume, int32_t timeMs)
{
    if (m_off) {
        return;
    }
    const int32_t steps = Audio_FadeSteps(timeMs);
    m_musicStep = (volume - m_musicVolume) / static_cast<float>(steps);
    m_musicFadeSteps = steps;
}

void SoundHardware_Create(bool noAudio)
{
    g_noAudio = noAudio;
    if (!noAudio) {
        AudioDevice_Open();
    }
    Sound_EmptyVoiceTable();
    g_hardware = std::make_unique<SoundHardware>(noAudio || !AudioDevice_IsOpen());
    Audio_CreateSources(g_hardware.get(), noAudio);
}

bool SoundHardware_NoAudio()
{
    return g_noAudio;
}

SoundHardware* SoundHardware_Get()
{
    return g_hardware.get();
}

void SoundHardware_Quit()
{
    Audio_Shutdown();
    Sound_EmptyVoiceTable();
    g_hardware.reset();
    AudioDevice_Close();
}

}  // namespace bw
