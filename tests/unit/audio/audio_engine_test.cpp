#include <gtest/gtest.h>

#include <AL/al.h>

#include <string>

#include "audio/audio_emitters.h"
#include "audio/audio_engine.h"
#include "audio/audio_engine_state.h"
#include "unit/audio/audio_test_support.h"

namespace bw {
namespace {

using test::AudioEngineScope;
using test::ConsoleTap;
using test::Heard;
using test::SineWave;
using test::SoundChunks;

SoundChunks TwoSounds()
{
    return SoundChunks({{"snd_beep", "beep.wav", 0, 1.0f, 0}, {"snd_hum", "hum.wav", 0, 0.5f, 1}},
                       {SineWave(440, 0.5, 0.1), SineWave(220, 0.5, 0.25)});
}

const AudioVoice& VoiceOf(int32_t voiceId)
{
    for (const auto& voice : Audio_State().voices) {
        if (voice->inUse && voice->voiceId == voiceId) {
            return *voice;
        }
    }
    ADD_FAILURE() << "no voice " << voiceId;
    return *Audio_State().voices.front();
}

class AudioEngineTest : public ::testing::Test {
protected:
    ConsoleTap tap;
    SoundChunks chunks = TwoSounds();
    AudioEngineScope engine{chunks};
};

TEST_F(AudioEngineTest, OpensOnTheNullDeviceWithTheFullPool)
{
    ASSERT_TRUE(Audio_System());
    EXPECT_EQ(Audio_ChannelCount(), kAudioDefaultChannels);
    EXPECT_NE(Audio_GetSound(0)->buffer, 0u);
    EXPECT_NEAR(Audio_SoundLength(1), 0.25f, 1e-4f);
    EXPECT_EQ(Audio_SoundLength(7), -1.0f);
}

TEST_F(AudioEngineTest, VoiceIdsRiseWithEveryPlayAndDieWithTheirVoice)
{
    const int32_t first = Audio_PlaySoundSimple(0, 1.0, 1);
    const int32_t second = Audio_PlaySoundSimple(1, 1.0, 1);
    EXPECT_GE(first, kAudioVoiceIdBase);
    EXPECT_EQ(second, first + 1);
    EXPECT_TRUE(Audio_IsPlaying(first));
    EXPECT_TRUE(Audio_IsPlaying(0));
    Audio_StopSound(first);
    EXPECT_FALSE(Audio_IsPlaying(first));
    EXPECT_FALSE(Audio_Exists(first));
    EXPECT_TRUE(Audio_Exists(0));
    EXPECT_GT(Audio_PlaySoundSimple(0, 1.0, 0), second);
}

TEST_F(AudioEngineTest, AFullPoolStealsTheFirstVoiceOfTheLowestPriorityBelowThePlay)
{
    std::vector<int32_t> voices;
    for (int32_t i = 0; i < kAudioDefaultChannels; ++i) {
        voices.push_back(Audio_PlaySoundSimple(0, 1.0 + i % 4, 1));  // priorities 1, 2, 3, 4, 1, ...
        ASSERT_GE(voices.back(), kAudioVoiceIdBase);
    }
    // A sound that does not exist takes nothing, whatever its priority.
    EXPECT_EQ(Audio_PlaySoundSimple(9, 100.0, 1), -1);
    EXPECT_TRUE(Audio_IsPlaying(voices[0]));

    const int32_t stealer = Audio_PlaySoundSimple(1, 3.0, 1);
    ASSERT_GE(stealer, kAudioVoiceIdBase);
    EXPECT_FALSE(Audio_IsPlaying(voices[0]));  // stolen: silent at once, though still in use
    EXPECT_TRUE(Audio_IsPlaying(stealer));
    EXPECT_EQ(VoiceOf(stealer).sourceIndex, 0);
    EXPECT_GE(Audio_PlaySoundSimple(1, 3.0, 1), kAudioVoiceIdBase);
    EXPECT_FALSE(Audio_IsPlaying(voices[4]));
    EXPECT_TRUE(Audio_IsPlaying(voices[1]));

    // Nothing plays below priority 1: an equal priority steals nothing.
    EXPECT_EQ(Audio_PlaySoundSimple(0, 1.0, 1), -1);
    EXPECT_TRUE(Audio_IsPlaying(voices[8]));
}

struct FadeCase {
    int32_t timeMs;
    int32_t steps;  // at the default 30 steps a second
};

TEST_F(AudioEngineTest, VoiceFadesReachTheirTargetInWholeSteps)
{
    for (const FadeCase& fade : {FadeCase{0, 1}, FadeCase{20, 1}, FadeCase{100, 3}, FadeCase{1000, 30}}) {
        const int32_t voice = Audio_PlaySoundSimple(0, 1.0, 1);
        Audio_SetSoundGain(voice, 0.0f, fade.timeMs);
        for (int32_t step = 1; step < fade.steps; ++step) {
            Audio_Update();
        }
        EXPECT_GT(Audio_VoiceGain(voice), 0.01f) << fade.timeMs << " ms";
        Audio_Update();
        EXPECT_NEAR(Audio_VoiceGain(voice), 0.0f, 1e-5f) << fade.timeMs << " ms";
        Audio_StopSound(voice);
    }
}

TEST_F(AudioEngineTest, FadesStayWithinZeroAndOne)
{
    const int32_t voice = Audio_PlaySoundSimple(0, 1.0, 1);
    Audio_SetSoundGain(voice, 0.0f, 0);
    Audio_Update();
    Audio_SetSoundGain(voice, 3.0f, 100);  // +1 a step
    Audio_Update();
    EXPECT_EQ(Audio_VoiceGain(voice), 1.0f);
    Audio_Update();
    EXPECT_EQ(Audio_VoiceGain(voice), 1.0f);
    // A sound's own gain fades too and reaches the sources of its voices.
    Audio_SetSoundGain(1, 0.25f, 0);
    const int32_t hum = Audio_PlaySoundSimple(1, 1.0, 1);
    Audio_Update();
    float gain = 0.0f;
    alGetSourcef(Audio_VoiceSource(VoiceOf(hum)), AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.25f);
}

TEST_F(AudioEngineTest, AFreedEmitterComesBackWithItsSettings)
{
    const int32_t emitter = Audio_CreateEmitter();
    ASSERT_GE(emitter, 0);
    Audio_SetEmitterPosition(emitter, 10.0f, 20.0f, 30.0f);
    Audio_SetEmitterFalloff(emitter, 50.0f, 500.0f, 2.0f);
    Audio_SetEmitterGain(emitter, 0.5f);
    Audio_SetEmitterGain(emitter, -1.0f);  // ignored
    Audio_FreeEmitter(emitter);
    EXPECT_FALSE(Audio_EmitterExists(emitter));
    EXPECT_EQ(Audio_PlaySound(emitter, 0, 1, 1.0), -1);
    EXPECT_NE(Heard().find("Audio_PlaySound Attempting to play sound on inactive emitter " +
                           std::to_string(emitter) + "\n"),
              std::string::npos);

    ASSERT_EQ(Audio_CreateEmitter(), emitter);
    EXPECT_TRUE(Audio_EmitterExists(emitter));
    const int32_t voice = Audio_PlaySound(emitter, 0, 1, 1.0);
    ASSERT_GE(voice, kAudioVoiceIdBase);
    Audio_Update();
    const ALuint source = Audio_VoiceSource(VoiceOf(voice));
    float position[3] = {};
    alGetSourcefv(source, AL_POSITION, position);
    float reference = 0.0f;
    float gain = 0.0f;
    alGetSourcef(source, AL_REFERENCE_DISTANCE, &reference);
    alGetSourcef(source, AL_GAIN, &gain);
    EXPECT_EQ(position[0], 10.0f);
    EXPECT_EQ(position[2], 30.0f);
    EXPECT_EQ(reference, 50.0f);
    EXPECT_FLOAT_EQ(gain, 0.5f);

    // Freeing it stops its voices; slots past the used ones hold nothing.
    Audio_FreeEmitter(emitter);
    EXPECT_FALSE(Audio_IsPlaying(voice));
    const int32_t unused = static_cast<int32_t>(Audio_State().emitters.size()) - 1;
    Audio_SetEmitterPosition(unused, 1.0f, 1.0f, 1.0f);
    EXPECT_FALSE(Audio_EmitterExists(unused));
}

TEST_F(AudioEngineTest, AnUnknownFalloffModelIsLoggedAndIgnored)
{
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_INVERSE_DISTANCE);
    Heard().clear();
    Audio_SetFalloffModel(7);
    EXPECT_EQ(Heard(), "Attempting to set audio falloff to unknown model\n");
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_INVERSE_DISTANCE);
    Audio_SetFalloffModel(4);
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_LINEAR_DISTANCE_CLAMPED);
}

TEST_F(AudioEngineTest, ChangingTheChannelCountReleasesEveryVoice)
{
    const int32_t before = Audio_PlaySoundSimple(0, 5.0, 1);
    Audio_SetChannelNum(2);
    EXPECT_EQ(Audio_ChannelCount(), 2);
    EXPECT_FALSE(Audio_Exists(before));
    for (const auto& voice : Audio_State().voices) {
        EXPECT_FALSE(voice->inUse);
    }
    EXPECT_GE(Audio_PlaySoundSimple(0, 1.0, 1), kAudioVoiceIdBase);
    EXPECT_GE(Audio_PlaySoundSimple(0, 1.0, 1), kAudioVoiceIdBase);
    EXPECT_EQ(Audio_PlaySoundSimple(0, 1.0, 1), -1);
    Audio_SetChannelNum(-3);
    EXPECT_EQ(Audio_ChannelCount(), 0);
    EXPECT_EQ(Audio_PlaySoundSimple(0, 9.0, 1), -1);
}

TEST_F(AudioEngineTest, PauseAndResumeActOnEveryVoiceOfASound)
{
    const int32_t a = Audio_PlaySoundSimple(0, 1.0, 1);
    const int32_t b = Audio_PlaySoundSimple(0, 1.0, 1);
    const int32_t other = Audio_PlaySoundSimple(1, 1.0, 1);
    Audio_PauseSound(0);
    EXPECT_FALSE(Audio_IsPlaying(a));
    EXPECT_FALSE(Audio_IsPlaying(b));
    EXPECT_TRUE(Audio_IsPlaying(other));
    Audio_ResumeSound(b);
    EXPECT_TRUE(Audio_IsPlaying(b));
    Audio_PauseAll();
    EXPECT_FALSE(Audio_IsPlaying(1));
    Audio_ResumeAll();
    EXPECT_TRUE(Audio_IsPlaying(a));
    EXPECT_TRUE(Audio_IsPlaying(other));
}

TEST(AudioEngineOff, EveryOperationAnswersItsFailureValue)
{
    SoundChunks chunks = TwoSounds();
    Options().newAudio = true;
    ASSERT_TRUE(chunks.LoadSounds());
    SoundHardware_Create(true);  // "-noaudio"
    EXPECT_FALSE(Audio_System());
    EXPECT_EQ(Audio_PlaySoundSimple(0, 1.0, 0), -1);
    EXPECT_EQ(Audio_CreateEmitter(), -1);
    EXPECT_EQ(Audio_SoundLength(0), -1.0f);
    EXPECT_FALSE(Audio_IsPlaying(0));
    EXPECT_TRUE(Audio_Exists(0));  // the sound itself is still known
    Audio_Update();
    SoundHardware_Quit();
    Options().newAudio = false;
}

}  // namespace
}  // namespace bw
