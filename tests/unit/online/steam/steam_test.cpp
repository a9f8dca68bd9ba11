// The Steam wrapper against the fake client library: start-up and its
// failures, stats and their per-step store, leaderboards with their waiting
// requests and event 69, cloud files and publishing, and the built-ins'
// checks. Every test ends with nothing left registered in the library.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "library/ds_map.h"
#include "online/dialogs/async_requests.h"
#include "online/steam/steam_builtins.h"
#include "online/steam/steam_client.h"
#include "online/steam/steam_leaderboards.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "support/heard_console.h"
#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"
#include "unit/online/steam/fake_steam.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::ScriptValue;

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class SteamTest : public testing::Test {
protected:
    void SetUp() override
    {
        int32_t id = -1;
        if (!Code_Function_Find("steam_initialised", &id)) Function_Steam_Register();
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(true);
    }
    void TearDown() override
    {
        const bool wasRunning = Steam_IsInitialised();
        Steam_Shutdown();
        if (wasRunning) {
            EXPECT_EQ(fake.LeftRegistered(), 0);
        }
        AsyncRequest_FreeAll();
        DS_FreeAll();
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(false);
    }

    void Start(int32_t appId = 1234, const std::string& library = BW_FAKE_STEAM_LIBRARY)
    {
        Steam_Start({appId, folder.Path(), library});
    }
    // Started, with the user's stats delivered.
    void StartWithStats()
    {
        Start();
        fake.Post(steam::UserStatsReceived_t{1234, 1, {}});
        Steam_Update();
        fake.ClearLog();
    }

    // The finished request's map, as its event would show it.
    struct Completed {
        int32_t event;
        int32_t map;
        double Real(const char* key) const { return DS_Map_Find(DS_MapPool().Get(map), ScriptValue(key).Get())->real; }
        std::string Text(const char* key) const
        {
            const char* text = Value_String(*DS_Map_Find(DS_MapPool().Get(map), ScriptValue(key).Get()));
            return text != nullptr ? text : "";
        }
    };
    static Completed Complete(double id)
    {
        CAsyncRequest* request = AsyncRequest_Find(static_cast<int32_t>(id));
        EXPECT_NE(request, nullptr);
        EXPECT_EQ(request->status, kAsyncFinished);
        Completed completed{};
        completed.event = request->Complete(&completed.map);
        return completed;
    }

    const std::string& Logged() const { return heard.Text(); }

    test::HeardConsole heard;
    test::ScratchFolder folder;
    test::FakeSteam fake{BW_FAKE_STEAM_LIBRARY};
};

// ---- Start-up ----------------------------------------------------------------

TEST_F(SteamTest, WithoutAnAppIdNothingIsWrittenOrLoadedAndBuiltinsGiveDefaults)
{
    Start(0);
    EXPECT_FALSE(std::filesystem::exists(folder / "steam_appid.txt"));
    EXPECT_FALSE(Steam_IsLibraryLoaded());
    EXPECT_EQ(Logged(), "");
    EXPECT_EQ(CallBuiltin("steam_initialised", {}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("steam_get_persona_name", {}).Text(), "");
    EXPECT_EQ(CallBuiltin("steam_set_achievement", {"A"}).Real(), -1.0);
}

TEST_F(SteamTest, AnAppIdIsWrittenBesideTheProgramAndTheLibraryStarts)
{
    Start(1234);
    EXPECT_EQ(test::ScratchFolder::Read(folder / "steam_appid.txt"), "1234");
    EXPECT_EQ(Logged(), "steamfile:" + (folder / "steam_appid.txt") + "\nSteam_Init\nwarning hook set\n");
    EXPECT_EQ(CallBuiltin("steam_initialised", {}).Real(), 1.0);
    EXPECT_EQ(fake.Log(), "requestStats\nhook screenshots\n");
    EXPECT_EQ(CallBuiltin("steam_get_persona_name", {}).Text(), "Fake \"Player\"");
}

TEST_F(SteamTest, ANegativeAppIdWritesNoFileButStarts)
{
    Start(-1234);
    EXPECT_FALSE(std::filesystem::exists(folder / "steam_appid.txt"));
    EXPECT_TRUE(Steam_IsInitialised());
}

TEST_F(SteamTest, AMissingLibraryIsLoggedAndTheGameGoesOn)
{
    Start(1234, folder / "libsteam_api.so");
    EXPECT_NE(Logged().find("ERROR: Failed to load libsteam_api.so error "), std::string::npos) << Logged();
    EXPECT_NE(Logged().find("SteamInit failed: Error loading libsteam_api.so\n"), std::string::npos);
    EXPECT_FALSE(Steam_IsInitialised());
    EXPECT_EQ(CallBuiltin("steam_file_exists", {"a"}).Real(), -1.0);
}

TEST_F(SteamTest, AMissingExportIsLoggedAndTheLibraryUnloaded)
{
    Start(1234, BW_FAKE_STEAM_PARTIAL_LIBRARY);
    EXPECT_NE(Logged().find("Steam_Init\nERROR: Failed to find function SteamScreenshots error"), std::string::npos)
        << Logged();
    EXPECT_NE(Logged().find("SteamInit failed: Failed to find steam api functions\n"), std::string::npos);
    EXPECT_EQ(Count(Logged(), "Failed to find function"), 1u);
    EXPECT_FALSE(Steam_IsLibraryLoaded());
}

// ---- Stats -------------------------------------------------------------------------

TEST_F(SteamTest, NothingIsSetBeforeStatsArrive)
{
    Start();
    EXPECT_EQ(CallBuiltin("steam_set_stat_int", {"kills", 3.0}).Real(), 0.0);
    fake.Post(steam::UserStatsReceived_t{999, 1, {}});  // another game's
    Steam_Update();
    EXPECT_EQ(CallBuiltin("steam_stats_ready", {}).Real(), 0.0);
    EXPECT_EQ(Count(fake.Log(), "store"), 0u);
}

TEST_F(SteamTest, ChangesOfOneStepAreStoredOnce)
{
    StartWithStats();
    EXPECT_EQ(CallBuiltin("steam_set_stat_int", {"kills", 2.5}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("steam_set_stat_float", {"time", 3.5}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("steam_set_achievement", {"WIN"}).Real(), 1.0);
    Steam_Update();
    Steam_Update();
    EXPECT_EQ(fake.Log(), "store\n");
    EXPECT_EQ(Count(Logged(), "StoreStats called\n"), 1u);
    EXPECT_EQ(CallBuiltin("steam_get_stat_int", {"kills"}).Real(), 2.0);  // 2.5 rounds to even
}

TEST_F(SteamTest, ARefusedStoreIsAskedAgainEachStep)
{
    StartWithStats();
    fake.Script("store", "refuse");
    fake.Script("store", "refuse");
    CallBuiltin("steam_set_achievement", {"WIN"});
    for (int step = 0; step < 4; ++step) Steam_Update();
    EXPECT_EQ(fake.Log(), "store\nstore\nstore\n");
}

// ---- Leaderboards ----------------------------------------------------------------

TEST_F(SteamTest, DownloadsWaitForOneFindThenGoOutNewestFirst)
{
    Start();
    fake.ClearLog();
    fake.SeedBoard("hall", 3);
    const double global = CallBuiltin("steam_download_scores", {"hall", 1.0, 10.0}).Real();
    const double friends = CallBuiltin("steam_download_friends_scores", {"hall"}).Real();
    EXPECT_EQ(fake.Log(), "find hall\n");
    Steam_Update();
    EXPECT_EQ(fake.Log(), "find hall\ndownload hall 2 0 0\ndownload hall 0 1 10\n");
    EXPECT_NE(Logged().find("Sending queued LB get: hall, " + std::to_string(int(friends)) + ", 2, 0, 0 \n"),
              std::string::npos);
    Steam_Update();
    const Completed completed = Complete(global);
    EXPECT_EQ(completed.event, 69);
    EXPECT_EQ(completed.Real("status"), 0.0);
    EXPECT_EQ(completed.Text("lb_name"), "hall");
    EXPECT_EQ(completed.Real("num_entries"), 3.0);
    EXPECT_EQ(Complete(friends).Real("num_entries"), 3.0);
}

TEST_F(SteamTest, EntriesAreCutToAHundredAndNamesEscaped)
{
    Start();
    fake.SeedBoard("big", 150);
    fake.SetPersona(1, "Ann \"the\" \\best\n");
    const double id = CallBuiltin("steam_download_scores", {"big", 1.0, 150.0}).Real();
    Steam_Update();
    Steam_Update();
    const Completed completed = Complete(id);
    EXPECT_EQ(completed.Real("num_entries"), 100.0);
    const std::string entries = completed.Text("entries");
    EXPECT_EQ(entries.rfind("{\n\"entries\": [\n{ \"name\":\"Ann \\\"the\\\" \\\\best\\n\" , \"score\":10 , \"rank\":1 },\n", 0),
              0u)
        << entries;
    EXPECT_EQ(Count(entries, "{ \"name\""), 100u);
    EXPECT_EQ(entries.substr(entries.size() - 4), "}\n]}");
}

TEST_F(SteamTest, AMissingBoardEndsItsDownloadsWithStatusMinusOne)
{
    Start();
    const double id = CallBuiltin("steam_download_scores_around_user", {"nowhere", -2.0, 2.0}).Real();
    Steam_Update();
    EXPECT_NE(Logged().find("Failed to find leaderboard \"nowhere\"\n"), std::string::npos);
    const Completed completed = Complete(id);
    EXPECT_EQ(completed.event, 69);
    EXPECT_EQ(completed.Real("status"), -1.0);
    EXPECT_EQ(completed.Real("lb_name"), 0.0);
    EXPECT_EQ(completed.Real("num_entries"), 0.0);
    fake.ClearLog();
    CallBuiltin("steam_upload_score", {"nowhere", 5.0});
    EXPECT_EQ(fake.Log(), "find nowhere\n");
}

TEST_F(SteamTest, EveryBoardIsFoundHoweverManyAreNamed)
{
    Start();
    for (int board = 0; board < 40; ++board) {
        const std::string name = "b" + std::to_string(board);
        fake.SeedBoard(name.c_str(), 0);
        CallBuiltin("steam_upload_score", {name.c_str(), double(board)});
    }
    Steam_Update();
    Steam_Update();
    EXPECT_EQ(Count(Logged(), "found leaderboard: "), 40u);
    EXPECT_EQ(Count(Logged(), "uploaded score "), 40u);
}

TEST_F(SteamTest, FailedUploadsAreRetriedLaterEachTime)
{
    Start();
    fake.SeedBoard("hall", 0);
    CallBuiltin("steam_create_leaderboard", {"hall", 1.0, 0.0});
    Steam_Update();
    fake.Script("upload", "io");
    fake.Script("upload", "refuse");
    CallBuiltin("steam_upload_score", {"hall", 7.0});
    std::string uploadsPerStep;
    for (int step = 0; step < 8; ++step) {
        fake.ClearLog();
        Steam_Update();
        uploadsPerStep += std::to_string(Count(fake.Log(), "upload hall 7"));
    }
    EXPECT_EQ(uploadsPerStep, "01000100");
    EXPECT_EQ(Count(Logged(), "Retrying upload...\n"), 2u);
    EXPECT_EQ(Count(Logged(), "uploaded score 7 to lb hall\n"), 1u);
}

TEST_F(SteamTest, NotLoggedOnRefusesLeaderboardRequests)
{
    Start();
    fake.SetLoggedOn(false);
    EXPECT_EQ(CallBuiltin("steam_download_scores", {"hall", 1.0, 2.0}).Real(), -1.0);
    EXPECT_EQ(CallBuiltin("steam_upload_score", {"hall", 1.0}).Real(), 0.0);
    EXPECT_EQ(Logged().substr(Logged().find("Download")),
              "Download scores failed: must be logged on\nUpload score failed: must be logged on\n");
}

// ---- Cloud files and publishing ---------------------------------------------------

TEST_F(SteamTest, CloudFilesAreWrittenNoLongerThanTheirTextAndReadBack)
{
    Start();
    EXPECT_EQ(CallBuiltin("steam_file_read", {"missing"}).Text(), "");
    EXPECT_NE(Logged().find("File read failed: file does not exist\n"), std::string::npos);
    EXPECT_EQ(CallBuiltin("steam_file_write", {"save", "abc", 100.0}).Real(), 1.0);
    EXPECT_EQ(fake.Log().substr(fake.Log().find("write")), "write save 3\n");
    EXPECT_EQ(CallBuiltin("steam_file_read", {"save"}).Text(), "abc");
    EXPECT_EQ(CallBuiltin("steam_file_size", {"save"}).Real(), 3.0);
}

TEST_F(SteamTest, PublishingSharesEachFileThenPublishes)
{
    Start();
    fake.PutFile("level", "data");
    fake.PutFile("shot", "png");
    const struct {
        const char* preview;
        const char* shares;
    } cases[] = {{"", "share level\n"}, {"shot", "share level\nshare shot\n"}};
    for (const auto& c : cases) {
        fake.ClearLog();
        heard.Clear();
        EXPECT_EQ(CallBuiltin("steam_publish_workshop_file", {"level", c.preview, "Title", "About"}).Real(), 1.0);
        EXPECT_EQ(CallBuiltin("steam_publish_workshop_file", {"level", c.preview, "Title", "About"}).Real(), 0.0);
        EXPECT_EQ(fake.Log(), c.shares);
        Steam_Update();
        EXPECT_EQ(fake.Log(), c.shares + std::string("publish level [") + c.preview + "] Title\n");
        Steam_Update();
        EXPECT_NE(Logged().find("Workshop publish already in progress...\n"), std::string::npos);
        EXPECT_NE(Logged().find("workshop publish success\n"), std::string::npos);
    }
}

// ---- Built-in checks ---------------------------------------------------------------

TEST_F(SteamTest, ArgumentsOfTheWrongKindAreReported)
{
    Start();
    EXPECT_EQ(CallBuiltin("steam_upload_score", {"hall", "10"}).Real(), -1.0);
    EXPECT_NE(test::LastError().find("Illegal argument type"), std::string::npos);
    EXPECT_EQ(fake.Log().find("find"), std::string::npos);
}

TEST_F(SteamTest, OverlayKindsOutsideTheSixOpenNothing)
{
    Start();
    EXPECT_EQ(CallBuiltin("steam_activate_overlay", {2.9}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("steam_activate_overlay", {6.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("steam_activate_overlay", {-1.0}).Real(), 0.0);
    EXPECT_EQ(fake.Log().substr(fake.Log().find("overlay")), "overlay Players\n");
}

TEST_F(SteamTest, ScreenshotRequestsAreAnsweredOnceAndMissingFilesRefused)
{
    Start();
    fake.Post(steam::ScreenshotRequested_t{});
    fake.Post(steam::ScreenshotRequested_t{});
    Steam_Update();
    EXPECT_EQ(CallBuiltin("steam_is_screenshot_requested", {}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("steam_is_screenshot_requested", {}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("steam_send_screenshot", {"no_such_shot.png", 64.0, 48.0}).Real(), -1.0);
    EXPECT_NE(Logged().find("steam_send_screenshot: failed to find file no_such_shot.png\n"), std::string::npos);
}

}  // namespace
}  // namespace bw
