// Achievement and score posts that could not reach the platform service
// yet: kept in a list on disk and offered to the service one at a time,
// once per game step, waiting 600 steps after a failure. The desktop
// service accepts nothing, so what is loaded stays and is written back.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

namespace bw {

// Kinds 1 and 4 carry an integer, 2 and 3 the bits of a float.
struct AchievementCacheEntry {
    uint32_t kind = 0;
    std::string name;
    uint32_t value = 0;
};

enum class AchievementPostState { Idle = 0, Posting = 1, Posted = 2, Failed = 3, Waiting = 4 };

inline constexpr int32_t kAchievementRetrySteps = 600;
inline constexpr size_t kAchievementMaxPending = 2048;

// The file's entries in order: kind (u32 LE), name and a zero byte, value
// (u32 LE). Reading stops at the first entry that is not whole.
std::vector<AchievementCacheEntry> AchievementCache_Parse(std::span<const uint8_t> bytes);
std::vector<uint8_t> AchievementCache_Serialise(std::span<const AchievementCacheEntry> entries);

// Appends an entry and saves; ignored while more than 2048 are pending.
void AchievementCache_Add(uint32_t kind, const char* name, uint32_t value);
// Into an empty list, from the save area; a missing file does nothing.
void AchievementCache_Load();
void AchievementCache_Save();
// Once per game step.
void AchievementCache_Update();
// The service's answer for the entry being posted.
void AchievementCache_SetState(AchievementPostState state);
void AchievementCache_SetEnabled(bool enabled);
bool AchievementCache_Enabled();

const std::deque<AchievementCacheEntry>& AchievementCache_Entries();
AchievementPostState AchievementCache_State();
// Empties the list and forgets the post in progress (game end, tests).
void AchievementCache_Clear();

}  // namespace bw
