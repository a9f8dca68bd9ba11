#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/audio_builtins.h"
#include "audio/audio_engine.h"
#include "unit/audio/audio_test_support.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::AudioEngineScope;
using test::CallBuiltin;
using test::RegisterSoundBuiltins;
using test::SineWave;
using test::SoundChunks;

// Remembers what the engine hands the music player.
class FakeMusic : public IMusicBackEnd {
public:
    void PlayMP3(const char* name, bool loop) override { Note("mp3 ", name, loop); current = name; }
    void PlayMIDI(const char* name, bool loop) override { Note("midi ", name, loop); }
    void StopMusic() override { calls += "stop;"; }
    void PauseMusic() override { calls += "pause;"; }
    void ResumeMusic() override { calls += "resume;"; }
    bool PlayingMP3() override { return playing; }
    bool IsCurrentMusic(const char* name) override { return current == name; }
    void SetMusicVolume(float gain, int32_t timeMs) override
    {
        calls += "volume " + std::to_string(gain).substr(0, 4) + " " + std::to_string(timeMs) + ";";
    }

    std::string calls;
    std::string current;
    bool playing = false;

private:
    void Note(const char* kind, const char* name, bool loop)
    {
        calls += std::string(kind) + name + (loop ? " loop;" : ";");
    }
};

class AudioBuiltinsTest : public ::testing::Test {
protected:
    AudioBuiltinsTest() { RegisterSoundBuiltins(); }

    SoundChunks chunks{{{"snd_beep", "beep.wav", 0, 1.0f, 0},
                        {"song", "song.mp3", 1, 1.0f, -1},
                        {"tune", "tune.mid", 1, 1.0f, -1}},
                       {SineWave(440, 0.5, 0.5)}};
    AudioEngineScope engine{chunks};
};

TEST_F(AudioBuiltinsTest, PlaysHandOutVoicesThatTheQueriesFollow)
{
    EXPECT_EQ(CallBuiltin("audio_system", {}).Real(), 1.0);
    const double voice = CallBuiltin("audio_play_sound_at", {0.0, 0.0, 0.0, 0.0, 100.0, 300.0, 1.0, 1.0, 10.0}).Real();
    EXPECT_GE(voice, kAudioVoiceIdBase);
    EXPECT_EQ(CallBuiltin("audio_is_playing", {voice}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("audio_exists", {voice}).Real(), 1.0);
    EXPECT_NEAR(CallBuiltin("audio_sound_length", {voice}).Real(), 0.5, 1e-4);
    EXPECT_EQ(CallBuiltin("audio_get_type", {0.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("audio_get_type", {1.0}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("audio_get_type", {5.0}).Real(), -1.0);
    CallBuiltin("audio_stop_sound", {0.0});
    EXPECT_EQ(CallBuiltin("audio_exists", {voice}).Real(), 0.0);

    const double emitter = CallBuiltin("audio_emitter_create", {}).Real();
    EXPECT_EQ(CallBuiltin("audio_emitter_exists", {emitter}).Real(), 1.0);
    // Ids are rounded to the nearest integer, the loop flag counts above 0.
    EXPECT_GE(CallBuiltin("audio_play_sound_on", {emitter + 0.4, 0.2, 0.0, 1.0}).Real(), kAudioVoiceIdBase);
    EXPECT_GE(CallBuiltin("audio_play_sound", {0.0, 1.0, 0.0}).Real(), kAudioVoiceIdBase);
}

TEST_F(AudioBuiltinsTest, SoundExistsAnswersFromTheEngineTable)
{
    EXPECT_EQ(CallBuiltin("sound_exists", {0.0}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("sound_exists", {2.0}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("sound_exists", {3.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("sound_exists", {-1.0}).Real(), 0.0);
}

TEST_F(AudioBuiltinsTest, MusicGoesToTheMusicPlayer)
{
    FakeMusic music;
    Audio_CreateSources(&music, false);
    CallBuiltin("audio_play_music", {1.0, 1.0});
    CallBuiltin("audio_play_music", {2.0, 0.0});
    CallBuiltin("audio_play_music", {0.0, 1.0});  // not a music file: nothing
    CallBuiltin("audio_sound_gain", {1.0, 0.5, 1000.0});
    CallBuiltin("audio_pause_music", {});
    CallBuiltin("audio_resume_music", {});
    CallBuiltin("audio_stop_music", {});
    EXPECT_EQ(music.calls, "mp3 song.mp3 loop;midi tune.mid;volume 0.50 1000;pause;resume;stop;");
    EXPECT_EQ(CallBuiltin("audio_is_playing", {1.0}).Real(), 0.0);
    music.playing = true;
    EXPECT_EQ(CallBuiltin("audio_is_playing", {1.0}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("audio_music_is_playing", {}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("audio_is_playing", {2.0}).Real(), 0.0);  // MIDI never reports playing
    Audio_CreateSources(nullptr, false);
}

}  // namespace
}  // namespace bw
