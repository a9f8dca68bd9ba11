// The test disc played through the built-ins and heard in the mix that
// OpenAL's wave back end writes (the test registration names the back end
// and the configuration file).
#include <gtest/gtest.h>

#include <AL/al.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "audio/sound_hardware.h"
#include "unit/audio/cd_test_support.h"
#include "unit/audio/wave_capture.h"

namespace bw {
namespace {

using test::Cd;
using test::kCaptureRate;
using test::PlayUntil;

// A silent sound on a source of its own: its position tells how far the
// mixer has got.
class MixerClock {
public:
    MixerClock()
    {
        const std::vector<int16_t> silence(static_cast<size_t>(kCaptureRate) * 30, 0);
        alGenBuffers(1, &m_buffer);
        alBufferData(m_buffer, AL_FORMAT_MONO16, silence.data(), static_cast<ALsizei>(silence.size() * 2),
                     kCaptureRate);
        alGenSources(1, &m_source);
        alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
        alSourcePlay(m_source);
    }
    ~MixerClock()
    {
        alDeleteSources(1, &m_source);
        alDeleteBuffers(1, &m_buffer);
    }
    MixerClock(const MixerClock&) = delete;
    MixerClock& operator=(const MixerClock&) = delete;

    float Seconds() const
    {
        float seconds = 0.0f;
        alGetSourcef(m_source, AL_SEC_OFFSET, &seconds);
        return seconds;
    }

private:
    ALuint m_buffer = 0;
    ALuint m_source = 0;
};

// The mix while play runs against the test disc.
std::vector<float> CaptureDisc(const std::function<void(const MixerClock&)>& play)
{
    const test::ScopedEnv env("BW_CD_DEVICE", test::TestDisc().c_str());
    test::RegisterSoundBuiltins();
    SoundHardware_Create(false);
    {
        const MixerClock clock;
        Cd("cd_init");
        play(clock);
    }
    SoundHardware_Quit();  // closing the device completes the file
    return test::ReadCapture(test::CaptureFile());
}

// Seconds of samples that are not silence.
double AudibleSeconds(const std::vector<float>& samples)
{
    const auto audible = std::count_if(samples.begin(), samples.end(), [](float s) { return std::fabs(s) > 0.01f; });
    return static_cast<double>(audible) / kCaptureRate;
}

// The first sample of the longest run of silence in [from, to), and its length.
std::pair<size_t, size_t> LongestQuiet(const std::vector<float>& samples, size_t from, size_t to)
{
    size_t run = 0;
    std::pair<size_t, size_t> longest{from, 0};
    for (size_t i = from; i < to; ++i) {
        run = std::fabs(samples[i]) <= 0.01f ? run + 1 : 0;
        if (run > longest.second) {
            longest = {i + 1 - run, run};
        }
    }
    return longest;
}

TEST(CdWaveCapture, ATrackIsHeardAloneAndNothingWhilePaused)
{
    if (test::CaptureFile().empty()) {
        GTEST_SKIP() << "needs ALSOFT_DRIVERS=wave and ALSOFT_CONF (set by the test registration)";
    }
    const std::vector<float> samples = CaptureDisc([](const MixerClock& clock) {
        Cd("cd_play", {2.0, 2.0});
        ASSERT_TRUE(PlayUntil([] { return Cd("cd_track_position") >= 1000.0; }));
        Cd("cd_pause");
        const float pausedAt = clock.Seconds();
        ASSERT_TRUE(PlayUntil([&] { return clock.Seconds() >= pausedAt + 0.5f; }));
        EXPECT_EQ(Cd("cd_paused"), 1.0);
        Cd("cd_resume");
        ASSERT_TRUE(PlayUntil([] { return Cd("cd_playing") == 0.0; }));
    });

    const auto [first, last] = test::AudibleSpan(samples);
    ASSERT_LT(first, last) << "no sound in " << samples.size() << " samples";
    // Track 2 whole (two seconds at 880 Hz), with the pause as one silence.
    EXPECT_NEAR(AudibleSeconds(samples), 2.0, 0.1);
    const auto [pause, quiet] = LongestQuiet(samples, first, last);
    EXPECT_GE(quiet, static_cast<size_t>(kCaptureRate * 0.45));
    EXPECT_NEAR(test::CrossingHertz(samples, first, pause), 880.0, 5.0);
    EXPECT_NEAR(test::CrossingHertz(samples, pause + quiet, last), 880.0, 5.0);
}

TEST(CdWaveCapture, APlayToTheEndSkipsTheDataTrack)
{
    if (test::CaptureFile().empty()) {
        GTEST_SKIP() << "needs ALSOFT_DRIVERS=wave and ALSOFT_CONF (set by the test registration)";
    }
    const std::vector<float> samples = CaptureDisc([](const MixerClock&) {
        Cd("cd_play", {2.0, 4.0});
        ASSERT_TRUE(PlayUntil([] { return Cd("cd_playing") == 0.0; }));
    });

    const auto [first, last] = test::AudibleSpan(samples);
    ASSERT_LT(first, last) << "no sound in " << samples.size() << " samples";
    // Two seconds of track 2, then track 4's second; the data track's noise
    // would add 0.4 s.
    EXPECT_NEAR(AudibleSeconds(samples), 3.0, 0.1);
    const size_t second = kCaptureRate;
    EXPECT_NEAR(test::CrossingHertz(samples, first + second / 10, first + second * 19 / 10), 880.0, 5.0);
    EXPECT_NEAR(test::CrossingHertz(samples, last - second * 9 / 10, last), 1320.0, 5.0);
}

}  // namespace
}  // namespace bw
