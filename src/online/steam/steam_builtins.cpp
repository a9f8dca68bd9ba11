#include "online/steam/steam_builtins.h"

#include <optional>
#include <string>

#include "script/arguments.h"
#include "online/steam/steam_client.h"
#include "online/steam/steam_leaderboards.h"
#include "online/steam/steam_overlay.h"
#include "online/steam/steam_stats.h"
#include "online/steam/steam_storage.h"

namespace bw {

namespace {

// The default result (-1), then the argument check and the wrapper's state:
// true when the operation may run.
bool Ready(Value* result, int32_t argc, const Value* args, std::string_view kinds)
{
    Value_SetReal(*result, -1);
    return Arguments_Check(argc, args, kinds) && Steam_IsInitialised();
}

// A string without text whose real part is the default.
void SetText(Value* result, const char* text)
{
    Result_SetString(result, text);
    result->real = -1;
}

const char* Text(const Value& value)
{
    return Value_String(value) != nullptr ? Value_String(value) : "";
}

// A built-in whose result is the operation's real.
#define STEAM_BUILTIN(fn, kinds, call)                                    \
    BW_BUILTIN(fn)                                                        \
    {                                                                     \
        if (Ready(result, argc, args, kinds)) Value_SetReal(*result, call); \
    }

STEAM_BUILTIN(SteamActivateOverlay, "r", Steam_ActivateOverlay(Arg_Trunc(args[0])))
STEAM_BUILTIN(SteamIsOverlayEnabled, "", Steam_IsOverlayEnabled())
STEAM_BUILTIN(SteamIsOverlayActivated, "", Steam_IsOverlayActivated())
STEAM_BUILTIN(SteamIsCloudEnabledForApp, "", Steam_IsCloudEnabledForApp())
STEAM_BUILTIN(SteamIsCloudEnabledForAccount, "", Steam_IsCloudEnabledForAccount())
STEAM_BUILTIN(SteamFilePersisted, "s", Steam_FilePersisted(Text(args[0])))
STEAM_BUILTIN(SteamGetQuotaTotal, "", Steam_GetQuotaTotal())
STEAM_BUILTIN(SteamGetQuotaFree, "", Steam_GetQuotaFree())
STEAM_BUILTIN(SteamFileWrite, "ssr", Steam_FileWrite(Text(args[0]), Text(args[1]), Arg_Round(args[2])))
STEAM_BUILTIN(SteamFileWriteFile, "ss", Steam_FileWriteFile(Text(args[0]), Text(args[1])))
STEAM_BUILTIN(SteamFileDelete, "s", Steam_FileDelete(Text(args[0])))
STEAM_BUILTIN(SteamFileExists, "s", Steam_FileExists(Text(args[0])))
STEAM_BUILTIN(SteamFileSize, "s", Steam_FileSize(Text(args[0])))
STEAM_BUILTIN(SteamFileShare, "s", Steam_FileShare(Text(args[0])))
STEAM_BUILTIN(SteamPublishWorkshopFile, "ssss",
              Steam_PublishWorkshopFile(Text(args[0]), Text(args[1]), Text(args[2]), Text(args[3])))
STEAM_BUILTIN(SteamIsScreenshotRequested, "", Steam_IsScreenshotRequested())
STEAM_BUILTIN(SteamSendScreenshot, "srr", Steam_SendScreenshot(Text(args[0]), Arg_Round(args[1]), Arg_Round(args[2])))
STEAM_BUILTIN(SteamIsUserLoggedOn, "", Steam_IsUserLoggedOn())
STEAM_BUILTIN(SteamGetUserSteamId, "", Steam_GetUserSteamId())
STEAM_BUILTIN(SteamSetAchievement, "s", Steam_SetAchievement(Text(args[0])))
STEAM_BUILTIN(SteamGetAchievement, "s", Steam_GetAchievement(Text(args[0])))
STEAM_BUILTIN(SteamClearAchievement, "s", Steam_ClearAchievement(Text(args[0])))
STEAM_BUILTIN(SteamSetStatInt, "sr", Steam_SetStatInt(Text(args[0]), Arg_Round(args[1])))
STEAM_BUILTIN(SteamSetStatFloat, "sr", Steam_SetStatFloat(Text(args[0]), args[1].real))
STEAM_BUILTIN(SteamSetStatAvgRate, "srr", Steam_SetStatAvgRate(Text(args[0]), args[1].real, args[2].real))
STEAM_BUILTIN(SteamGetStatInt, "s", Steam_GetStatInt(Text(args[0])))
STEAM_BUILTIN(SteamGetStatFloat, "s", Steam_GetStatFloat(Text(args[0])))
STEAM_BUILTIN(SteamGetStatAvgRate, "s", Steam_GetStatAvgRate(Text(args[0])))
STEAM_BUILTIN(SteamStatsReady, "", Steam_StatsReady())
STEAM_BUILTIN(SteamCreateLeaderboard, "srr",
              Steam_CreateLeaderboard(Text(args[0]), Arg_Round(args[1]), Arg_Round(args[2])))
STEAM_BUILTIN(SteamUploadScore, "sr", Steam_UploadScore(Text(args[0]), Arg_Round(args[1])))
STEAM_BUILTIN(SteamDownloadScoresAroundUser, "srr",
              Steam_DownloadScoresAroundUser(Text(args[0]), Arg_Round(args[1]), Arg_Round(args[2])))
STEAM_BUILTIN(SteamDownloadScores, "srr",
              Steam_DownloadScores(Text(args[0]), Arg_Round(args[1]), Arg_Round(args[2])))
STEAM_BUILTIN(SteamDownloadFriendsScores, "s", Steam_DownloadFriendsScores(Text(args[0])))

#undef STEAM_BUILTIN

BW_BUILTIN(SteamInitialised)
{
    Result_SetBool(result, Steam_IsInitialised());
}

// The two resets report their default whatever they did.
BW_BUILTIN(SteamResetAllStats)
{
    if (Ready(result, argc, args, "")) Steam_ResetAllStats();
}

BW_BUILTIN(SteamResetAllStatsAchievements)
{
    if (Ready(result, argc, args, "")) Steam_ResetAllStatsAchievements();
}

BW_BUILTIN(SteamGetPersonaName)
{
    const bool ready = Ready(result, argc, args, "");
    SetText(result, ready ? Steam_GetPersonaName() : nullptr);
}

BW_BUILTIN(SteamFileRead)
{
    const bool ready = Ready(result, argc, args, "s");
    const std::optional<std::string> text = ready ? Steam_FileRead(Text(args[0])) : std::nullopt;
    SetText(result, text ? text->c_str() : nullptr);
}

constexpr BuiltinRegistration kSteamBuiltins[] = {
    {"steam_activate_overlay", &SteamActivateOverlay, 1},
    {"steam_is_overlay_enabled", &SteamIsOverlayEnabled, 0},
    {"steam_is_overlay_activated", &SteamIsOverlayActivated, 0},
    {"steam_get_persona_name", &SteamGetPersonaName, 0},
    {"steam_initialised", &SteamInitialised, 0},
    {"steam_is_cloud_enabled_for_app", &SteamIsCloudEnabledForApp, 0},
    {"steam_is_cloud_enabled_for_account", &SteamIsCloudEnabledForAccount, 0},
    {"steam_file_persisted", &SteamFilePersisted, 1},
    {"steam_get_quota_total", &SteamGetQuotaTotal, 0},
    {"steam_get_quota_free", &SteamGetQuotaFree, 0},
    {"steam_file_write", &SteamFileWrite, 3},
    {"steam_file_write_file", &SteamFileWriteFile, 2},
    {"steam_file_read", &SteamFileRead, 1},
    {"steam_file_delete", &SteamFileDelete, 1},
    {"steam_file_exists", &SteamFileExists, 1},
    {"steam_file_size", &SteamFileSize, 1},
    {"steam_file_share", &SteamFileShare, 1},
    {"steam_publish_workshop_file", &SteamPublishWorkshopFile, 4},
    {"steam_is_screenshot_requested", &SteamIsScreenshotRequested, 0},
    {"steam_send_screenshot", &SteamSendScreenshot, 3},
    {"steam_is_user_logged_on", &SteamIsUserLoggedOn, 0},
    {"steam_get_user_steam_id", &SteamGetUserSteamId, 0},
    {"steam_set_achievement", &SteamSetAchievement, 1},
    {"steam_get_achievement", &SteamGetAchievement, 1},
    {"steam_clear_achievement", &SteamClearAchievement, 1},
    {"steam_set_stat_int", &SteamSetStatInt, 2},
    {"steam_set_stat_float", &SteamSetStatFloat, 2},
    {"steam_set_stat_avg_rate", &SteamSetStatAvgRate, 3},
    {"steam_get_stat_int", &SteamGetStatInt, 1},
    {"steam_get_stat_float", &SteamGetStatFloat, 1},
    {"steam_get_stat_avg_rate", &SteamGetStatAvgRate, 1},
    {"steam_reset_all_stats", &SteamResetAllStats, 0},
    {"steam_reset_all_stats_achievements", &SteamResetAllStatsAchievements, 0},
    {"steam_stats_ready", &SteamStatsReady, 0},
    {"steam_create_leaderboard", &SteamCreateLeaderboard, 3},
    {"steam_upload_score", &SteamUploadScore, 2},
    {"steam_download_scores_around_user", &SteamDownloadScoresAroundUser, 3},
    {"steam_download_scores", &SteamDownloadScores, 3},
    {"steam_download_friends_scores", &SteamDownloadFriendsScores, 1},
};

}  // namespace

void Function_Steam_Register()
{
    Steam_Init();
    Builtins_Register(kSteamBuiltins);
}

}  // namespace bw
