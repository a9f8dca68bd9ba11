#include "online/steam/steam_stats.h"

#include <memory>

#include "online/steam/steam_client.h"
#include "online/steam/steam_leaderboards.h"
#include "platform/console.h"
#include "platform/real_to_int.h"

namespace bw {

namespace {

using steam::UserAchievementStored_t;
using steam::UserStatsReceived_t;
using steam::UserStatsStored_t;

constexpr int32_t kResultOk = 1;
constexpr int32_t kResultInvalidParameters = 8;

// Results for another game are ignored.
bool ForThisGame(uint64_t gameId)
{
    steam::ISteamUtils* utils = Steam_Utils();
    return utils != nullptr && gameId == static_cast<uint64_t>(utils->GetAppId());
}

class UserStatCallbacks {
public:
    UserStatCallbacks()
    {
        m_stored.Set(this, &UserStatCallbacks::Steam_OnUserStatsStored);
        m_achievementStored.Set(this, &UserStatCallbacks::Steam_OnAchievementStored);
        m_received.Set(this, &UserStatCallbacks::Steam_OnUserStatsReceived);
    }

    bool statsReceived = false;
    bool statsChanged = false;

private:
    void Steam_OnUserStatsStored(UserStatsStored_t* result)
    {
        if (!ForThisGame(result->gameId)) return;
        if (result->result == kResultOk) {
            Console().Printf("StoreStats - success\n");
        } else if (result->result == kResultInvalidParameters) {
            Console().Printf("StoreStats - some failed to validate\n");
        } else {
            Console().Printf("Error storing stats\n");
        }
    }
    void Steam_OnAchievementStored(UserAchievementStored_t* result)
    {
        if (ForThisGame(result->gameId)) Console().Printf("achievement store SUCCESS\n");
    }
    void Steam_OnUserStatsReceived(UserStatsReceived_t* result)
    {
        if (!ForThisGame(result->gameId)) return;
        if (result->result == kResultOk) {
            Console().Printf("Received stats and achievements from Steam\n");
            statsReceived = true;
        } else {
            Console().Printf("RequestStats - failed: %d\n", result->result);
        }
    }

    CCallback<UserStatCallbacks, UserStatsStored_t> m_stored;
    CCallback<UserStatCallbacks, UserAchievementStored_t> m_achievementStored;
    CCallback<UserStatCallbacks, UserStatsReceived_t> m_received;
};
std::unique_ptr<UserStatCallbacks> g_stats;

// The stats interface once stats have arrived, else null.
steam::ISteamUserStats* ReadyStats()
{
    return g_stats != nullptr && g_stats->statsReceived ? Steam_UserStats() : nullptr;
}

double Changed(bool accepted)
{
    if (accepted) g_stats->statsChanged = true;
    return accepted ? 1.0 : 0.0;
}

double Reset(bool achievementsToo)
{
    steam::ISteamUserStats* stats = ReadyStats();
    if (stats == nullptr) return 0.0;
    stats->ResetAllStats(achievementsToo);
    return Changed(true);
}

}  // namespace

void Steam_UserStats_Init()
{
    g_stats = std::make_unique<UserStatCallbacks>();
    if (steam::ISteamUserStats* stats = Steam_UserStats()) stats->RequestCurrentStats();
}

void Steam_UserStats_Shutdown()
{
    g_stats.reset();
    Steam_Leaderboards_Shutdown();
}

void Steam_StoreStats()
{
    steam::ISteamUserStats* stats = ReadyStats();
    if (stats == nullptr || !g_stats->statsChanged) return;
    Console().Printf("StoreStats called\n");
    g_stats->statsChanged = !stats->StoreStats();
}

double Steam_IsUserLoggedOn()
{
    return Steam_LoggedOn() ? 1.0 : 0.0;
}

double Steam_GetUserSteamId()
{
    steam::ISteamUser* user = Steam_User();
    return user != nullptr ? static_cast<double>(user->GetSteamId()) : 0.0;
}

double Steam_StatsReady()
{
    return g_stats != nullptr && g_stats->statsReceived ? 1.0 : 0.0;
}

double Steam_SetAchievement(const char* name)
{
    steam::ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->SetAchievement(name)) : 0.0;
}

double Steam_ClearAchievement(const char* name)
{
    steam::ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->ClearAchievement(name)) : 0.0;
}

double Steam_GetAchievement(const char* name)
{
    steam::ISteamUserStats* stats = ReadyStats();
    bool achieved = false;
    return stats != nullptr && stats->GetAchievement(name, &achieved) && achieved ? 1.0 : 0.0;
}

double Steam_SetStatInt(const char* name, double value)
{
    steam::ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->SetStatInt(name, Real_TruncToInt32(value))) : 0.0;
}

double Steam_SetStatFloat(const char* name, double value)
{
    steam::ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->SetStatFloat(name, Real_ToSingle(value))) : 0.0;
}

double Steam_SetStatAvgRate(const char* name, double count, double length)
{
    steam::ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->UpdateAvgRateStat(name, Real_ToSingle(count), length)) : 0.0;
}

double Steam_GetStatInt(const char* name)
{
    steam::ISteamUserStats* stats = ReadyStats();
    int32_t value = 0;
    return stats != nullptr && stats->GetStatInt(name, &value) ? value : 0.0;
}

double Steam_GetStatFloat(const char* name)
{
    steam::ISteamUserStats* stats = ReadyStats();
    float value = 0;
    return stats != nullptr && stats->GetStatFloat(name, &value) ? value : 0.0;
}

double Steam_GetStatAvgRate(const char* name)
{
    return Steam_GetStatFloat(name);
}

double Steam_ResetAllStats()
{
    return Reset(false);
}

double Steam_ResetAllStatsAchievements()
{
    return Reset(true);
}

}  // namespace bw
