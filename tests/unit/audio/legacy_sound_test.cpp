// The legacy sound system on OpenAL's null back end: the CSound table, the
// four sources of a voice, fades, and its built-ins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <AL/al.h>

#include <string>

#include "audio/audio_builtins.h"
#include "audio/legacy_sounds.h"
#include "audio/sound_hardware.h"
#include "platform/files.h"
#include "script/error_report.h"
#include "support/scratch_folder.h"
#include "unit/audio/audio_test_support.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::RegisterSoundBuiltins;
using test::LegacySoundScope;
using test::SineWave;
using test::SoundChunks;

class LegacySoundTest : public ::testing::Test {
protected:
    LegacySoundTest()
    {
        RegisterSoundBuiltins();
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(true);
    }
    ~LegacySoundTest() override
    {
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(false);
    }

    static std::string LastError()
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }

    SoundChunks chunks{{{"snd_beep", "beep.wav", 0, 1.0f, 0}, {"snd_broken", "broken.wav", 0, 1.0f, 1}},
                       {SineWave(440, 0.5, 2.0), {'R', 'I', 'F', 'F'}}};
    LegacySoundScope scope{chunks};
};

float SecondsPlayed(ALuint source)
{
    float seconds = 0.0f;
    alGetSourcef(source, AL_SEC_OFFSET, &seconds);
    return seconds;
}

TEST_F(LegacySoundTest, AFifthPlayRestartsTheOldestOfTheFourSources)
{
    SoundHardware* hardware = SoundHardware_Get();
    const std::vector<uint8_t> image = SineWave(440, 0.5, 2.0);
    SoundHardwareVoice* voice = hardware->Load(image.data(), image.size(), "beep.wav");
    ASSERT_NE(voice, nullptr);
    for (int32_t play = 0; play < 4; ++play) {
        EXPECT_EQ(voice->nextSource, play);
        hardware->Play(voice, false);
    }
    EXPECT_EQ(voice->nextSource, 0);
    EXPECT_TRUE(hardware->Playing(voice));
    alSourcef(voice->sources[0], AL_SEC_OFFSET, 1.0f);
    alSourcef(voice->sources[1], AL_SEC_OFFSET, 1.0f);
    hardware->Play(voice, false);
    EXPECT_EQ(voice->nextSource, 1);
    EXPECT_LT(SecondsPlayed(voice->sources[0]), 0.9f);  // from the start again
    EXPECT_GE(SecondsPlayed(voice->sources[1]), 1.0f);  // untouched
    hardware->Stop(voice);
    EXPECT_FALSE(hardware->Playing(voice));
}

TEST_F(LegacySoundTest, AFadeOfOneSecondAtRoomSpeed30TakesThirtySteps)
{
    SoundHardware* hardware = SoundHardware_Get();
    const std::vector<uint8_t> image = SineWave(440, 0.5, 0.1);
    SoundHardwareVoice* voice = hardware->Load(image.data(), image.size(), "beep.wav");
    ASSERT_NE(voice, nullptr);
    hardware->SetVolume(voice, 0.0f, 1000);
    EXPECT_EQ(voice->fadeSteps, 30);
    for (int32_t step = 0; step < 29; ++step) {
        hardware->Tick();
    }
    EXPECT_NEAR(voice->volume, 1.0f / 30.0f, 1e-5f);
    hardware->Tick();
    EXPECT_EQ(voice->volume, 0.0f);
    EXPECT_EQ(voice->fadeSteps, 0);
}

TEST_F(LegacySoundTest, WhenOpenAlRunsOutOfSourcesASoundGetsNoVoice)
{
    SoundHardware* hardware = SoundHardware_Get();
    const std::vector<uint8_t> image = SineWave(440, 0.5, 0.001);
    test::ConsoleTap tap;
    int32_t loaded = 0;
    SoundHardwareVoice* voice = nullptr;
    while (loaded < 5000 && (voice = hardware->Load(image.data(), image.size(), "many.wav")) != nullptr) {
        for (const uint32_t source : voice->sources) {
            ASSERT_TRUE(alIsSource(source));
        }
        ++loaded;
    }
    EXPECT_EQ(voice, nullptr);
    EXPECT_GT(loaded, 500);
    EXPECT_NE(test::Heard().find("many.wav plays nothing: no OpenAL sources left"), std::string::npos);
    hardware->Play(voice, false);  // nothing
    EXPECT_FALSE(hardware->Playing(voice));
}

TEST_F(LegacySoundTest, PlaysAndQueriesFollowTheVoiceAndAnUndecodableSoundPlaysNothing)
{
    CallBuiltin("sound_play", {0.0});
    EXPECT_EQ(CallBuiltin("sound_isplaying", {0.0}).Real(), 1.0);
    CallBuiltin("sound_stop", {0.0});
    EXPECT_EQ(CallBuiltin("sound_isplaying", {0.0}).Real(), 0.0);

    {
        test::ConsoleTap tap;
        CallBuiltin("sound_play", {1.0});
        CallBuiltin("sound_play", {1.0});
        EXPECT_EQ(test::Heard().find("broken.wav plays nothing"), test::Heard().rfind("broken.wav plays nothing"))
            << "reported once: " << test::Heard();
        EXPECT_NE(test::Heard().find("broken.wav plays nothing"), std::string::npos);
    }
    EXPECT_EQ(CallBuiltin("sound_isplaying", {1.0}).Real(), 0.0);
    EXPECT_EQ(Sound_Get(1)->kind, 3);  // the music path from now on
    EXPECT_EQ(LastError(), "");
}

TEST_F(LegacySoundTest, MissingSoundsReportOnlyWhereTheRowsSaySo)
{
    CallBuiltin("sound_play", {7.0});
    EXPECT_THAT(LastError(), testing::HasSubstr("Sound does not exist."));
    Code_Error_ResetState();
    EXPECT_EQ(CallBuiltin("sound_isplaying", {7.0}).Real(), 0.0);
    EXPECT_EQ(LastError(), "");

    // With the audio engine on, the legacy rows do nothing at all.
    Options().newAudio = true;
    CallBuiltin("sound_play", {7.0});
    Options().newAudio = false;
    EXPECT_EQ(LastError(), "");
}

TEST_F(LegacySoundTest, AddedSoundsAreNamedByIdAndADeletedOneIsUndefined)
{
    test::ScratchFolder folder;
    const std::vector<uint8_t> image = SineWave(440, 0.5, 0.1);
    folder.Write("game/one.wav", std::string(image.begin(), image.end()));
    ASSERT_TRUE(Files_SetPackagePath((folder / "game/data.win").c_str()));

    const double first = CallBuiltin("sound_add", {"one.wav", 0.0, 1.0}).Real();
    const double second = CallBuiltin("sound_add", {"one.wav", 0.0, 0.0}).Real();
    EXPECT_EQ(first, 2.0);
    EXPECT_EQ(second, 3.0);
    EXPECT_EQ(Sound_GetName(2), "__newsound2");
    EXPECT_EQ(CallBuiltin("sound_get_name", {3.0}).Text(), "__newsound3");
    EXPECT_EQ(Sound_Find("__newsound3"), 3);
    EXPECT_EQ(CallBuiltin("sound_get_preload", {2.0}).Real(), 1.0);
    EXPECT_EQ(Sound_Get(2)->extension, ".wav");
    EXPECT_EQ(CallBuiltin("sound_add", {"missing.wav", 0.0, 0.0}).Real(), -1.0);
    EXPECT_EQ(CallBuiltin("sound_replace", {3.0, "missing.wav", 0.0, 0.0}).Real(), 0.0);

    EXPECT_EQ(CallBuiltin("sound_delete", {2.0}).Real(), 1.0);
    EXPECT_EQ(Sound_GetName(2), "<undefined>");
    EXPECT_EQ(CallBuiltin("sound_exists", {2.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("sound_get_kind", {2.0}).Real(), -1.0);
    CallBuiltin("sound_delete", {2.0});
    EXPECT_THAT(LastError(), testing::HasSubstr("Trying to delete non-existing sound."));
}

TEST_F(LegacySoundTest, TheSoundGroupRegistersTheLegacyRowsAheadOfTheEngineRows)
{
    const auto id = [](const char* name) {
        int32_t found = -1;
        EXPECT_TRUE(Code_Function_Find(name, &found)) << name;
        return found;
    };
    const int32_t first = id("sound_play");
    EXPECT_EQ(id("sound_3d_set_sound_cone"), first + 22);
    EXPECT_EQ(id("cd_init"), first + 23);
    EXPECT_EQ(id("MCI_command"), first + 41);
    EXPECT_EQ(id("audio_listener_position"), first + 42);
}

}  // namespace
}  // namespace bw
