// The engine's mix as OpenAL writes it to a file with its wave back end
// (the test registration names the back end and the configuration file).
#include <gtest/gtest.h>

#include <AL/al.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_engine.h"
#include "audio/audio_engine_state.h"
#include "audio/music_player.h"
#include "audio/sound_hardware.h"
#include "platform/files.h"
#include "support/scratch_folder.h"
#include "unit/audio/audio_test_support.h"
#include "unit/audio/wave_capture.h"

namespace bw {
namespace {

using test::AudibleSpan;
using test::AudioEngineScope;
using test::CaptureFile;
using test::ReadCapture;
using test::SineWave;
using test::SoundChunks;

float SecondsPlayed(int32_t voiceId)
{
    for (const auto& voice : Audio_State().voices) {
        if (voice->inUse && voice->voiceId == voiceId) {
            float seconds = 0.0f;
            alGetSourcef(Audio_VoiceSource(*voice), AL_SEC_OFFSET, &seconds);
            return seconds;
        }
    }
    return 0.0f;
}

// Waits (in small sleeps, for as long as the machine needs) until the mixer
// has played the voice up to seconds.
void WaitUntilPlayed(int32_t voiceId, float seconds)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (SecondsPlayed(voiceId) < seconds && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GE(SecondsPlayed(voiceId), seconds) << "the mixer did not get that far";
}

TEST(AudioWaveCapture, AToneAtHalfGainIsInTheMixAndAPausedOneAddsNothing)
{
    const std::string path = CaptureFile();
    if (path.empty()) {
        GTEST_SKIP() << "needs ALSOFT_DRIVERS=wave and ALSOFT_CONF (set by the test registration)";
    }
    // A 440 Hz tone of peak 0.8 at a sound gain of 0.5, and a silent sound
    // whose position tells how far the mixer has got.
    SoundChunks chunks({{"tone", "tone.wav", 0, 0.5f, 0}, {"clock", "clock.wav", 0, 1.0f, 1}},
                       {SineWave(440, 0.8, 3.0), SineWave(0, 0.0, 20.0)});
    {
        AudioEngineScope engine(chunks);
        ASSERT_TRUE(Audio_System());
        const int32_t clock = Audio_PlaySoundSimple(1, 1.0, 0);
        const int32_t tone = Audio_PlaySoundSimple(0, 1.0, 0);
        WaitUntilPlayed(tone, 0.5f);
        Audio_PauseSound(tone);
        ASSERT_FALSE(Audio_IsPlaying(tone));
        WaitUntilPlayed(clock, SecondsPlayed(clock) + 0.5f);
    }  // closing the device completes the file

    const std::vector<float> samples = ReadCapture(path);
    const auto [first, last] = AudibleSpan(samples);
    ASSERT_LT(first, last) << "no tone in " << samples.size() << " samples";
    ASSERT_GE(last - first, static_cast<size_t>(test::kCaptureRate * 0.45));

    // Inside the tone: peak 0.8 x 0.5, at 440 Hz.
    const size_t from = first + test::kCaptureRate / 20;
    const size_t to = last - test::kCaptureRate / 20;
    float peak = 0.0f;
    for (size_t i = from; i < to; ++i) {
        peak = std::max(peak, std::fabs(samples[i]));
    }
    EXPECT_NEAR(peak, 0.4f, 0.02f);
    EXPECT_NEAR(test::CrossingHertz(samples, from, to), 440.0, 5.0);

    // Paused: the mixer ran on for half a second without it.
    EXPECT_GE(samples.size() - last, static_cast<size_t>(test::kCaptureRate * 0.4));
}

TEST(AudioWaveCapture, StreamedMusicIsInTheMixWholeAndWithoutAGapAtABufferBoundary)
{
    const std::string path = CaptureFile();
    if (path.empty()) {
        GTEST_SKIP() << "needs ALSOFT_DRIVERS=wave and ALSOFT_CONF (set by the test registration)";
    }
    // Three seconds at 440 Hz: eight two-buffer refills of 16384 samples.
    test::ScratchFolder folder;
    const std::vector<uint8_t> ogg = test::OggSine(440, 0.5, 3.0);
    folder.Write("game/song.ogg", std::string(ogg.begin(), ogg.end()));
    ASSERT_TRUE(Files_SetPackagePath((folder / "game/data.win").c_str()));
    {
        SoundHardware_Create(false);
        SoundHardware* hardware = SoundHardware_Get();
        hardware->PlayMP3("song.mp3", false);
        ASSERT_TRUE(MP3_IsActive());
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (MP3_IsActive() && std::chrono::steady_clock::now() < giveUp) {
            hardware->Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_FALSE(MP3_IsActive()) << "the stream never ended";
        SoundHardware_Quit();  // closing the device completes the file
    }

    const std::vector<float> samples = ReadCapture(path);
    const auto [first, last] = AudibleSpan(samples);
    ASSERT_LT(first, last) << "no music in " << samples.size() << " samples";
    EXPECT_NEAR(static_cast<double>(last - first) / test::kCaptureRate, 3.0, 0.02);
    // A sine of peak 0.5 stays near zero for a sample or two at a crossing; a
    // buffer that came late would leave a run of silence.
    size_t quiet = 0;
    size_t longestQuiet = 0;
    for (size_t i = first; i <= last; ++i) {
        quiet = std::fabs(samples[i]) < 0.01f ? quiet + 1 : 0;
        longestQuiet = std::max(longestQuiet, quiet);
    }
    EXPECT_LE(longestQuiet, 4u);
}

}  // namespace
}  // namespace bw
