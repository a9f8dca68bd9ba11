// Leaderboards named by text: a table of boards by name, a find (or
// find-or-create) request the first time a board is named, uploads and
// downloads for a board not known yet kept waiting until it is found, and
// downloaded scores handed to game code in the Steam event (69) as a text
// of entries. Find and upload requests that fail are sent again, each time
// after a longer wait.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// Names are kept and compared on their first 128 bytes.
inline constexpr size_t kLeaderboardNameBytes = 128;
// At most this many entries of one download reach game code.
inline constexpr int32_t kLeaderboardMaxEntries = 100;

double Steam_CreateLeaderboard(const char* name, int32_t sort, int32_t display);
double Steam_UploadScore(const char* name, int32_t score);
// Each returns the id of the request whose event 69 brings the entries, or
// -1 when the user is not logged on.
double Steam_DownloadScores(const char* name, int32_t start, int32_t end);
double Steam_DownloadScoresAroundUser(const char* name, int32_t start, int32_t end);
double Steam_DownloadFriendsScores(const char* name);

// Sends the retries whose wait is over; per step.
void Steam_Leaderboards_Update();
// Frees every waiting request and request in flight, and forgets the boards.
void Steam_Leaderboards_Shutdown();

// A persona name made safe for the entries text: '"' and '\' are escaped,
// and control characters written as JSON escapes.
std::string Steam_EscapeJsonText(const char* text);

}  // namespace bw
