// The user, the user's stats and achievements for this game: nothing is
// read or changed before Steam has delivered the stats; every change marks
// them changed and the per-step store sends them, at most once a step.
#pragma once

namespace bw {

void Steam_UserStats_Init();
// Frees the callback records and every waiting leaderboard request.
void Steam_UserStats_Shutdown();
// Per step, after the results were pumped.
void Steam_StoreStats();

double Steam_IsUserLoggedOn();
double Steam_GetUserSteamId();
double Steam_StatsReady();
double Steam_SetAchievement(const char* name);
double Steam_ClearAchievement(const char* name);
double Steam_GetAchievement(const char* name);
double Steam_SetStatInt(const char* name, double value);
double Steam_SetStatFloat(const char* name, double value);
double Steam_SetStatAvgRate(const char* name, double count, double length);
double Steam_GetStatInt(const char* name);
double Steam_GetStatFloat(const char* name);
double Steam_GetStatAvgRate(const char* name);
double Steam_ResetAllStats();
double Steam_ResetAllStatsAchievements();

}  // namespace bw
