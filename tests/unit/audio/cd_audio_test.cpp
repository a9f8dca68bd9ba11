// Audio CDs through the built-ins, on a disc image of our own that
// BW_CD_DEVICE names (OpenAL's null back end plays it in real time).
#include <gtest/gtest.h>

#include <string>

#include "audio/cd_time.h"
#include "unit/audio/cd_test_support.h"

namespace bw {
namespace {

using test::Cd;
using test::Mci;
using test::PlayUntil;

// The sound back end with the drive BW_CD_DEVICE names, opened afresh.
class CdDriveTest : public ::testing::Test {
protected:
    explicit CdDriveTest(const std::string& drive) : env("BW_CD_DEVICE", drive.c_str())
    {
        test::RegisterSoundBuiltins();
        SoundHardware_Create(false);
        Cd("cd_init");
    }
    ~CdDriveTest() override { SoundHardware_Quit(); }  // closes the drive

    test::ConsoleTap tap;
    test::ScopedEnv env;
};

class CdDiscTest : public CdDriveTest {
protected:
    CdDiscTest() : CdDriveTest(test::TestDisc()) {}
};

TEST_F(CdDiscTest, TheTableOfContentsAnswersInMilliseconds)
{
    EXPECT_EQ(Cd("cd_present"), 1.0);
    EXPECT_EQ(Cd("cd_number"), 4.0);
    EXPECT_EQ(Cd("cd_length"), 4400.0);
    EXPECT_EQ(Cd("cd_track_length", {1.0}), 1000.0);
    EXPECT_EQ(Cd("cd_track_length", {2.0}), 2000.0);
    EXPECT_EQ(Cd("cd_track_length", {3.0}), 400.0);
    EXPECT_EQ(Cd("cd_track_length", {4.0}), 1000.0);
    EXPECT_EQ(Cd("cd_track_length", {0.0}), 0.0);
    EXPECT_EQ(Cd("cd_track_length", {5.0}), 0.0);
    EXPECT_EQ(Cd("cd_track"), 1.0);
    EXPECT_EQ(Cd("cd_position"), 0.0);
    EXPECT_FALSE(Cd("cd_playing"));
    EXPECT_EQ(Mci("status cdaudio length track 2"), "00:02:00");  // the device is back in tmsf
    EXPECT_EQ(Mci("status cdaudio position"), "01:00:00:00");
    EXPECT_EQ(test::Heard().find("CD audio"), std::string::npos);
}

TEST_F(CdDiscTest, PlayingATrackStopsAtItsEndAndThePositionFollows)
{
    Cd("cd_play", {2.0, 2.0});
    EXPECT_EQ(Cd("cd_playing"), 1.0);
    EXPECT_EQ(Cd("cd_paused"), 0.0);
    EXPECT_EQ(Cd("cd_track"), 2.0);
    ASSERT_TRUE(PlayUntil([] { return Cd("cd_track_position") >= 1000.0; }));
    EXPECT_EQ(Cd("cd_track"), 2.0);

    Cd("cd_pause");
    EXPECT_EQ(Cd("cd_paused"), 1.0);
    EXPECT_EQ(Cd("cd_playing"), 0.0);
    EXPECT_EQ(Cd("cd_track"), 2.0);

    Cd("cd_resume");
    EXPECT_EQ(Cd("cd_playing"), 1.0);
    Cd("cd_resume");  // while playing: the play and its end stay
    ASSERT_TRUE(PlayUntil([] { return Cd("cd_playing") == 0.0; }));
    // At the end of track 2, not in the data track or track 4.
    EXPECT_EQ(Cd("cd_position"), 3000.0);
    EXPECT_EQ(Cd("cd_paused"), 1.0);  // a stopped drive counts as paused
}

TEST_F(CdDiscTest, TrackPositionsMoveThePlayOrTheStoppedDisc)
{
    Cd("cd_play", {2.0, 2.0});
    Cd("cd_set_track_position", {1500.0});  // whole seconds: 2:0:1
    EXPECT_EQ(Cd("cd_playing"), 1.0);
    EXPECT_EQ(Cd("cd_track"), 2.0);
    EXPECT_GE(Cd("cd_track_position"), 1000.0);

    Cd("cd_stop");
    EXPECT_EQ(Cd("cd_playing"), 0.0);
    const double stopped = Cd("cd_position");
    Cd("cd_set_track_position", {61000.0});  // 2:1:1 lies past the disc's end
    EXPECT_EQ(Cd("cd_position"), stopped);
    Cd("cd_set_position", {3500.0});
    EXPECT_EQ(Cd("cd_track"), 4.0);
    EXPECT_EQ(Cd("cd_track_position"), 0.0);
    EXPECT_EQ(Cd("cd_position"), 3493.0);  // whole sectors: 262 of 75 per second
    Cd("cd_set_track_position", {0.0});
    EXPECT_EQ(Cd("cd_position"), 3400.0);
}

TEST_F(CdDiscTest, DataTracksAreNeverPlayed)
{
    Cd("cd_play", {3.0, 3.0});
    EXPECT_EQ(Cd("cd_playing"), 0.0);
    EXPECT_EQ(Mci("play cdaudio from 3 to 4"), "");
    EXPECT_EQ(Mci("status cdaudio mode"), "stopped");

    // From the data track on: the next audio track plays.
    Cd("cd_play", {3.0, 4.0});
    EXPECT_EQ(Cd("cd_playing"), 1.0);
    EXPECT_EQ(Cd("cd_track"), 4.0);
}

TEST_F(CdDiscTest, PlaysOutsideTheDiscFollowTheirRules)
{
    Cd("cd_play", {3.0, 2.0});  // last before first: nothing
    EXPECT_EQ(Cd("cd_playing"), 0.0);
    Cd("cd_play", {0.0, 99.0});  // from track 1 to the end of the disc
    EXPECT_EQ(Cd("cd_playing"), 1.0);
    EXPECT_EQ(Cd("cd_track"), 1.0);
    ASSERT_TRUE(PlayUntil([] { return Cd("cd_track") == 2.0; }));
    EXPECT_EQ(Cd("cd_playing"), 1.0);
    EXPECT_EQ(Mci("play cdaudio from 9"), "");
    EXPECT_EQ(Cd("cd_playing"), 1.0);  // a play off the disc leaves the play alone
    Cd("cd_stop");
    EXPECT_EQ(Mci("status cdaudio mode"), "stopped");
}

TEST_F(CdDiscTest, AnImageHasNoDoor)
{
    Cd("cd_open_door");
    EXPECT_EQ(Cd("cd_present"), 1.0);
    Cd("cd_close_door");
    EXPECT_EQ(Cd("cd_number"), 4.0);
}

class CdNoDriveTest : public CdDriveTest {
protected:
    CdNoDriveTest() : CdDriveTest("/no/such/drive.cue") {}
};

TEST_F(CdNoDriveTest, EveryQueryGivesTheNoDiscAnswerAndTheReasonIsLoggedOnce)
{
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Cd("cd_present"), 0.0);
        EXPECT_EQ(Cd("cd_number"), 0.0);
        EXPECT_EQ(Cd("cd_length"), 0.0);
        EXPECT_EQ(Cd("cd_track_length", {1.0}), 0.0);
        EXPECT_EQ(Cd("cd_position"), 0.0);
        EXPECT_EQ(Cd("cd_track"), 0.0);
        EXPECT_EQ(Cd("cd_track_position"), 0.0);
        EXPECT_EQ(Cd("cd_playing"), 0.0);
        EXPECT_EQ(Cd("cd_paused"), 0.0);
        Cd("cd_play", {1.0, 1.0});
        Cd("cd_open_door");
        EXPECT_EQ(Mci("status cdaudio mode"), "no media");
        EXPECT_EQ(Mci("status cdaudio media present"), "false");
        Cd("cd_init");
    }
    EXPECT_EQ(test::Heard(), "CD audio: no drive or disc image /no/such/drive.cue\n");
}

TEST(CdTime, PositionsAreParsedInTheFormatAndKeptOnTheDisc)
{
    CdToc toc;
    toc.tracks = {{1, 0, 75, true}, {2, 75, 150, true}, {3, 225, 30, false}};
    toc.leadOut = 255;
    struct Case {
        const char* text;
        CdTimeFormat format;
        int32_t sector;  // -1: refused
    };
    const Case cases[] = {
        {"0", CdTimeFormat::Milliseconds, 0},        {"1999", CdTimeFormat::Milliseconds, 149},
        {"3400", CdTimeFormat::Milliseconds, 255},   {"3414", CdTimeFormat::Milliseconds, -1},
        {"99999999999", CdTimeFormat::Milliseconds, -1}, {"", CdTimeFormat::Milliseconds, -1},
        {"-5", CdTimeFormat::Milliseconds, -1},      {"2", CdTimeFormat::Tmsf, 75},
        {"2:0:1", CdTimeFormat::Tmsf, 150},          {"02:00:01:10", CdTimeFormat::Tmsf, 160},
        {"3:0:0:30", CdTimeFormat::Tmsf, 255},       {"3:0:0:31", CdTimeFormat::Tmsf, -1},
        {"4", CdTimeFormat::Tmsf, -1},               {"0", CdTimeFormat::Tmsf, -1},
        {"2::1", CdTimeFormat::Tmsf, -1},            {"2:0:1:", CdTimeFormat::Tmsf, -1},
        {"1:2:3:4:5", CdTimeFormat::Tmsf, -1},       {"1:1000", CdTimeFormat::Tmsf, -1},
        {"1 ", CdTimeFormat::Tmsf, -1},
    };
    for (const Case& c : cases) {
        int32_t sector = -1;
        const bool parsed = CdTime_Parse(c.text, c.format, toc, &sector);
        EXPECT_EQ(parsed ? sector : -1, c.sector) << '"' << c.text << '"';
    }
    EXPECT_EQ(CdTime_Position(160 * 588 + 100, CdTimeFormat::Tmsf, toc), "02:00:01:10");
    EXPECT_EQ(CdTime_Position(255 * 588, CdTimeFormat::Tmsf, toc), "03:00:00:30");
    EXPECT_EQ(CdTime_Position(44100, CdTimeFormat::Milliseconds, toc), "1000");
    toc.tracks.front().firstSector = 30;  // a disc whose first track starts late
    EXPECT_EQ(CdTime_Position(0, CdTimeFormat::Tmsf, toc), "01:00:00:00");
    EXPECT_EQ(CdTime_Length(4530, CdTimeFormat::Tmsf), "01:00:30");
    EXPECT_EQ(CdTime_Length(4530, CdTimeFormat::Milliseconds), "60400");
}

}  // namespace
}  // namespace bw
