#include <gtest/gtest.h>

#include <AL/al.h>

#include <string>

#include "app/registration.h"
#include "audio/audio_engine.h"
#include "audio/audio_engine_state.h"
#include "audio/audio_stream.h"
#include "audio/audio_sounds.h"
#include "unit/audio/audio_test_support.h"

namespace bw {
namespace {

using test::AudioEngineScope;
using test::ConsoleTap;
using test::Heard;
using test::OggSine;
using test::SineWave;
using test::SoundChunks;

TEST(AudioFind, ExactRecordNamesComeFirstThenTheFileNameBeforeItsDot)
{
    const std::vector<uint8_t> wave = SineWave(440, 0.5, 0.01);
    SoundChunks chunks({{"snd_a", "shotgun.wav"}, {"snd_b", "shot.wav"}, {"shotgun", "boom.ogg"}}, {wave});
    ASSERT_TRUE(chunks.LoadSounds());
    struct Case {
        const char* name;
        int32_t id;
    };
    for (const Case& c : {Case{"shot", 1}, Case{"shotgun", 2}, Case{"snd_a", 0}, Case{"boom", 2},
                          Case{"sho", -1}, Case{"shot.wav", -1}, Case{"", -1}}) {
        EXPECT_EQ(Audio_Find(c.name), c.id) << c.name;
    }
    Audio_FreeSounds();
}

// A package without sounds must not find the sounds of one read before:
// their names pointed into that package's image.
TEST(AudioLoad, TheTablesEmptiedBeforeAPackageIsReadHoldNoSound)
{
    SoundChunks chunks({{"snd", "a.wav"}}, {});
    ASSERT_TRUE(chunks.LoadSounds());
    ASSERT_EQ(Audio_SoundCount(), 1);
    Registration_ClearTables();
    EXPECT_EQ(Audio_SoundCount(), 0);
}

TEST(AudioLoad, ARecordOutsideThePackageFailsTheLoad)
{
    SoundChunks chunks({{"snd", "a.wav"}}, {});
    test::SetU32(chunks.Bytes(), 4, static_cast<uint32_t>(chunks.Bytes().size()) - 8);
    ConsoleTap tap;
    EXPECT_FALSE(chunks.LoadSounds());
    EXPECT_NE(Heard().find("Error on load\nSOND: sound 0: the record lies outside the package\n"),
              std::string::npos);
    EXPECT_EQ(Audio_SoundCount(), 0);
}

TEST(AudioLoad, DamagedImagesPlayNothingAndSayWhy)
{
    std::vector<uint8_t> badWave = SineWave(440, 0.5, 0.01);
    test::SetU32(badWave, 40, 1u << 30);  // the data chunk claims a gigabyte
    SoundChunks chunks({{"missing", "missing.wav", 0, 1.0f, 5},
                        {"cut", "cut.wav", 0, 1.0f, 1},
                        {"bad", "bad.wav", 0, 1.0f, 0},
                        {"good", "good.wav", 0, 1.0f, 2}},
                       {badWave, SineWave(440, 0.5, 0.01), SineWave(440, 0.5, 0.01)});
    // Entry 1 claims more bytes than the package holds.
    uint32_t cutEntry = 0;
    ASSERT_TRUE(chunks.View().ReadU32(chunks.AudoOffset() + 8, cutEntry));
    test::SetU32(chunks.Bytes(), cutEntry, 0x7FFFFFF0u);
    ConsoleTap tap;
    AudioEngineScope engine(chunks);
    EXPECT_NE(Heard().find("sound 0 (missing.wav) plays nothing: its audio entry is not in the package"),
              std::string::npos);
    EXPECT_NE(Heard().find("sound 1 (cut.wav) plays nothing: its audio entry runs past the end of the package"),
              std::string::npos);
    EXPECT_NE(Heard().find("sound 2 (bad.wav) plays nothing: a WAVE chunk runs past the end"), std::string::npos);
    for (int32_t id = 0; id < 3; ++id) {
        EXPECT_EQ(Audio_GetSound(id)->buffer, 0u) << id;
    }
    EXPECT_NE(Audio_GetSound(3)->buffer, 0u);
    // The play itself is real and silent.
    EXPECT_GE(Audio_PlaySoundSimple(2, 1.0, 0), kAudioVoiceIdBase);
}

TEST(AudioOgg, OggImagesAreDecodedWholeOrStreamedWhenMarkedAsMusic)
{
    const std::vector<uint8_t> ogg = OggSine(440, 0.5, 1.5);
    SoundChunks chunks({{"effect", "effect.ogg", 0, 1.0f, 0}, {"music", "music.ogg", 1, 1.0f, 0}}, {ogg});
    AudioEngineScope engine(chunks);
    const AudioSound* effect = Audio_GetSound(0);
    ASSERT_NE(effect->buffer, 0u);
    EXPECT_NEAR(Audio_SoundLength(0), 1.5f, 0.01f);

    const AudioSound* music = Audio_GetSound(1);
    EXPECT_EQ(music->buffer, 0u);
    ASSERT_TRUE(music->streams);
    EXPECT_EQ(Audio_GetType(1), 1);
    const int32_t voice = Audio_PlaySoundSimple(1, 1.0, 1);
    ASSERT_GE(voice, kAudioVoiceIdBase);
    EXPECT_TRUE(Audio_IsPlaying(voice));
    ALuint source = 0;
    for (const auto& record : Audio_State().voices) {
        if (record->voiceId == voice) {
            source = Audio_VoiceSource(*record);
        }
    }
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    EXPECT_GT(queued, 1);  // a few short buffers, not the whole sound
    ALint looping = AL_TRUE;
    alGetSourcei(source, AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_FALSE);  // the stream loops itself
    Audio_StopSound(voice);
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    EXPECT_EQ(queued, 0);
}

TEST(AudioOgg, ALoopingStreamStartsAgainAtItsEnd)
{
    // Shorter than one stream buffer: a loop fills every buffer by starting
    // over, a single play queues the one buffer the sound fills.
    const std::vector<uint8_t> ogg = OggSine(440, 0.5, 0.05);
    SoundChunks chunks({{"blip", "blip.ogg", 1, 1.0f, 0}}, {ogg});
    AudioEngineScope engine(chunks);
    for (const bool loop : {true, false}) {
        ALuint source = 0;
        alGenSources(1, &source);
        {
            CAudioStream stream;
            const char* why = nullptr;
            ASSERT_TRUE(stream.Open(ogg.data(), ogg.size(), &why));
            stream.Attach(source, loop);
            ALint queued = 0;
            alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
            EXPECT_EQ(queued, loop ? 4 : 1) << (loop ? "loop" : "once");
        }
        alDeleteSources(1, &source);
    }
    const char* why = nullptr;
    CAudioStream damaged;
    EXPECT_FALSE(damaged.Open(ogg.data(), 40, &why));
    EXPECT_STREQ(why, "not a readable Ogg Vorbis stream");
}

}  // namespace
}  // namespace bw
