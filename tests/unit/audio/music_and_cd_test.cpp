// The music player (Ogg streams and the media player), the MCI emulator and
// the CD operations, against the emulator or a recording fake of MCI.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "audio/cd_audio.h"
#include "audio/mci.h"
#include "audio/music_player.h"
#include "audio/sound_hardware.h"
#include "platform/files.h"
#include "support/scratch_folder.h"
#include "unit/audio/audio_test_support.h"

namespace bw {
namespace {

using test::OggSine;
using test::ScratchFolder;
using test::SilentMp3;

std::string AsText(const std::vector<uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// The sound back end on the null device, over a game folder of music files.
class MusicTest : public ::testing::Test {
protected:
    MusicTest()
    {
        EXPECT_TRUE(Files_SetPackagePath((folder / "game/data.win").c_str()));
        folder.Write("game/Theme.MP3", SilentMp3(0.5));
        SoundHardware_Create(false);
        hardware = SoundHardware_Get();
    }
    ~MusicTest() override { SoundHardware_Quit(); }

    ScratchFolder folder;
    SoundHardware* hardware = nullptr;
};

// Updates the music for about the given time, in small sleeps; false as
// soon as check fails.
template <typename Check>
bool HoldsFor(std::chrono::milliseconds time, Check check)
{
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        SoundHardware_Get()->Tick();
        if (!check()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    return true;
}

TEST_F(MusicTest, AnOggFileBesideTheMusicIsStreamedInsteadOfTheMediaPlayer)
{
    folder.Write("game/theme.ogg", AsText(OggSine(440, 0.5, 1.0)));
    hardware->PlayMP3("Theme.MP3", true);
    EXPECT_EQ(MP3_StreamQueuedBuffers(), 2);
    EXPECT_EQ(MP3_AliasNumber(), 0);
    EXPECT_TRUE(hardware->PlayingMP3());
    EXPECT_TRUE(hardware->IsCurrentMusic("Theme.MP3"));
    hardware->StopMusic();
    EXPECT_FALSE(hardware->PlayingMP3());
    EXPECT_EQ(MP3_StreamQueuedBuffers(), 0);
}

TEST_F(MusicTest, ALoopingStreamKeepsItsQueueFullAndAnEndingOneCloses)
{
    // Far shorter than one buffer: every refill runs through the loop.
    folder.Write("game/loop.ogg", AsText(OggSine(440, 0.5, 0.05)));
    hardware->PlayMP3("loop.mp3", true);
    EXPECT_TRUE(HoldsFor(std::chrono::milliseconds(250), [] { return MP3_StreamQueuedBuffers() == 2; }));

    hardware->PlayMP3("loop.mp3", false);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (MP3_IsActive() && std::chrono::steady_clock::now() < giveUp) {
        hardware->Tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    EXPECT_FALSE(MP3_IsActive());
    EXPECT_FALSE(hardware->PlayingMP3());
}

TEST_F(MusicTest, WithoutAnOggFileTheMediaPlayerPlaysTheMp3AndPausesAndResumes)
{
    hardware->PlayMP3("theme.mp3", false);  // found without regard to case
    EXPECT_EQ(MP3_AliasNumber(), 1);
    EXPECT_TRUE(hardware->PlayingMP3());
    char reply[32] = {};
    EXPECT_EQ(MCI_SendString("status MediaFile1 mode", reply, sizeof reply), 0);
    EXPECT_STREQ(reply, "playing");
    hardware->PauseMusic();
    EXPECT_EQ(MCI_SendString("status MediaFile1 mode", reply, sizeof reply), 0);
    EXPECT_STREQ(reply, "paused");
    EXPECT_FALSE(hardware->PlayingMP3());
    EXPECT_TRUE(MP3_IsActive());
    hardware->ResumeMusic();
    EXPECT_TRUE(hardware->PlayingMP3());
    hardware->StopMusic();
    EXPECT_EQ(MP3_AliasNumber(), 0);
    EXPECT_NE(MCI_SendString("status MediaFile1 mode", reply, sizeof reply), 0);  // closed
}

TEST_F(MusicTest, MidiMusicPlaysTheMp3OfTheSameName)
{
    folder.Write("game/intro.mp3", SilentMp3(0.2));
    hardware->PlayMIDI("intro.midi", false);
    EXPECT_EQ(MP3_AliasNumber(), 1);
    EXPECT_TRUE(hardware->IsCurrentMusic("intro.mp3"));
    EXPECT_TRUE(hardware->PlayingMP3());
}

// ---- a recording fake of MCI -----------------------------------------------

std::vector<std::string>& Sent()
{
    static std::vector<std::string> sent;
    return sent;
}

// A drive with a 12-track disc playing track 3, and a media player that
// accepts everything.
int32_t FakeMci(const char* command, char* reply, size_t replySize)
{
    Sent().emplace_back(command);
    const std::string text = command;
    const char* answer = "";
    if (text == "status cdaudio media present") {
        answer = "true";
    } else if (text == "status cdaudio number of tracks") {
        answer = "12";
    } else if (text == "status cdaudio mode" || text.rfind("status MediaFile", 0) == 0) {
        answer = "playing";
    } else if (text == "status cdaudio position") {
        answer = "03:02:07:10";
    }
    if (reply != nullptr && replySize > 0) {
        std::snprintf(reply, replySize, "%s", answer);
    }
    return 0;
}

class FakeMciTest : public MusicTest {
protected:
    FakeMciTest()
    {
        MCI_SetSender(&FakeMci);
        Sent().clear();
    }
    ~FakeMciTest() override { MCI_SetSender(nullptr); }

    // What was sent, without the presence tests and the device opens.
    static std::vector<std::string> Commands()
    {
        std::vector<std::string> commands;
        for (const std::string& command : Sent()) {
            if (command != "open cdaudio" && command != "status cdaudio media present" &&
                command != "status cdaudio number of tracks" && command != "status cdaudio mode") {
                commands.push_back(command);
            }
        }
        Sent().clear();
        return commands;
    }
};

TEST_F(FakeMciTest, CdOperationsSendTheirCommandSequences)
{
    using Commands_t = std::vector<std::string>;
    CD_Play(3, 2);
    EXPECT_EQ(Commands(), Commands_t{"set cdaudio time format tmsf wait"});
    CD_Play(0, 99);
    EXPECT_EQ(Commands(), (Commands_t{"set cdaudio time format tmsf wait", "play cdaudio from 1"}));
    CD_Play(2, 4);
    EXPECT_EQ(Commands(), (Commands_t{"set cdaudio time format tmsf wait", "play cdaudio from 2 to 5"}));
    EXPECT_EQ(CD_TrackLength(0), 0);
    EXPECT_EQ(Commands(), Commands_t{});
    CD_SetTrackPosition(65000);
    EXPECT_EQ(Commands(), (Commands_t{"set cdaudio time format tmsf wait", "status cdaudio position",
                                      "set cdaudio time format tmsf wait", "play cdaudio from 3:1:5",
                                      "set cdaudio time format tmsf"}));
    EXPECT_EQ(CD_Track(), 3);
    EXPECT_EQ(CD_TrackPosition(), (2 * 60 + 7) * 1000);
    EXPECT_EQ(CD_Number(), 12);
    EXPECT_TRUE(CD_Playing());
    EXPECT_FALSE(CD_Paused());
}

TEST_F(FakeMciTest, TheMediaPlayerSendsItsCommandsAndNumbersAliasesFromOneAfterAStop)
{
    using Commands_t = std::vector<std::string>;
    const std::string path = folder / "game/Theme.MP3";
    hardware->PlayMP3("Theme.MP3", true);
    EXPECT_EQ(Commands(), (Commands_t{"open \"" + path + "\" type mpegvideo alias MediaFile1",
                                      "set MediaFile1 time format milliseconds", "set MediaFile1 seek exactly on",
                                      "play MediaFile1 repeat", "setaudio MediaFile1 volume to 1000"}));
    hardware->StopMusic();
    EXPECT_EQ(Commands(), (Commands_t{"status MediaFile1 mode", "seek MediaFile1 to start", "stop MediaFile1",
                                      "close MediaFile1"}));
    hardware->PlayMP3("Theme.MP3", false);
    EXPECT_EQ(Commands().front(), "open \"" + path + "\" type mpegvideo alias MediaFile1");
}

TEST(MciEmulator, TheDriveHoldsNoDiscAndUnknownCommandsAnswerNothing)
{
    const test::ScopedEnv noDrive("BW_CD_DEVICE", "/no/such/drive");  // whatever drives this machine has
    CD_Init();
    EXPECT_FALSE(CD_Present());
    EXPECT_EQ(CD_Number(), 0);
    EXPECT_EQ(CD_Length(), 0);
    EXPECT_FALSE(CD_Playing());
    char reply[64] = "stale";
    EXPECT_EQ(MCI_SendString("status cdaudio mode", reply, sizeof reply), 0);
    EXPECT_STREQ(reply, "no media");
    EXPECT_NE(MCI_SendString("frobnicate the drive", reply, sizeof reply), 0);
    EXPECT_STREQ(reply, "");
    EXPECT_NE(MCI_SendString("open \"/no/such/file.mp3\" type mpegvideo alias M1", reply, sizeof reply), 0);
    EXPECT_NE(MCI_SendString("\"", reply, sizeof reply), 0);
    MCI_CloseAll();
}

}  // namespace
}  // namespace bw
