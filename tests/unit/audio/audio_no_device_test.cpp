// A machine without a sound device (the test registration names a back end
// OpenAL does not have): sound is off, said once, and nothing fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/audio_emitters.h"
#include "audio/audio_engine.h"
#include "unit/audio/audio_test_support.h"

namespace bw {
namespace {

TEST(AudioNoDevice, TheGameRunsOnWithoutSound)
{
    const char* drivers = std::getenv("ALSOFT_DRIVERS");
    if (drivers == nullptr || std::strcmp(drivers, "no_such_driver") != 0) {
        GTEST_SKIP() << "needs ALSOFT_DRIVERS=no_such_driver (set by the test registration)";
    }
    test::SoundChunks chunks({{"snd", "snd.wav"}}, {test::SineWave(440, 0.5, 0.01)});
    {
        const test::ConsoleTap tap;
        test::AudioEngineScope engine(chunks);
        EXPECT_FALSE(Audio_System());
        EXPECT_EQ(Audio_PlaySoundSimple(0, 1.0, 0), -1);
        EXPECT_EQ(Audio_CreateEmitter(), -1);
        Audio_Update();
    }
    EXPECT_EQ(test::Heard(), "Audio_Load()\nAudio_WAVs()\nAudio: no sound device, the game runs without sound\n");
}

}  // namespace
}  // namespace bw
