// Our own declarations of what the wrapper uses of the platform's client
// library: the interfaces its accessors return (operations in the order of
// each interface's table, unused positions held by placeholder slots), the
// result structures (only the fields we read, padded to the size the
// library hands over) and the callback records the library calls back
// through. The fake library of the tests implements the same declarations.
//
// The records and interfaces are laid out by the C++ ABI: no virtual
// destructors (they would take table slots), no data before the fields the
// library reads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw::steam {

using CallHandle = uint64_t;  // 0: no request went out
using BoardHandle = uint64_t;
using EntriesHandle = uint64_t;

// ---- Callback records ------------------------------------------------------

class CCallbackBase {
public:
    CCallbackBase() = default;
    CCallbackBase(const CCallbackBase&) = delete;
    CCallbackBase& operator=(const CCallbackBase&) = delete;

    virtual void Run(void* result, bool ioFailure, CallHandle call) = 0;
    virtual void Run(void* result) = 0;
    virtual int32_t GetCallbackSizeBytes() = 0;

    static constexpr uint8_t kRegistered = 0x01;  // set by the library
    uint8_t flags = 0;
    int32_t callbackId = 0;

protected:
    ~CCallbackBase() = default;
};

// ---- Result structures -----------------------------------------------------

struct UserStatsReceived_t {
    static constexpr int32_t kCallbackId = 1101;
    uint64_t gameId;
    int32_t result;
    uint8_t reserved[12];
};
struct UserStatsStored_t {
    static constexpr int32_t kCallbackId = 1102;
    uint64_t gameId;
    int32_t result;
    uint8_t reserved[4];
};
struct UserAchievementStored_t {
    static constexpr int32_t kCallbackId = 1103;
    uint64_t gameId;
    uint8_t reserved[144];
};
struct LeaderboardFindResult_t {
    static constexpr int32_t kCallbackId = 1104;
    BoardHandle board;
    uint8_t found;
    uint8_t reserved[7];
};
struct LeaderboardScoresDownloaded_t {
    static constexpr int32_t kCallbackId = 1105;
    BoardHandle board;
    EntriesHandle entries;
    int32_t entryCount;
    uint8_t reserved[4];
};
struct LeaderboardScoreUploaded_t {
    static constexpr int32_t kCallbackId = 1106;
    uint8_t success;
    BoardHandle board;
    int32_t score;
    uint8_t reserved[12];
};
struct RemoteStorageFileShareResult_t {
    static constexpr int32_t kCallbackId = 1307;
    int32_t result;
    uint8_t reserved[12];
};
struct RemoteStoragePublishFileResult_t {
    static constexpr int32_t kCallbackId = 1309;
    int32_t result;
    uint8_t reserved[12];
};
struct GameOverlayActivated_t {
    static constexpr int32_t kCallbackId = 331;
    uint8_t active;
};
struct ScreenshotRequested_t {
    static constexpr int32_t kCallbackId = 2302;
    uint8_t unused;
};

static_assert(sizeof(UserStatsReceived_t) == 24 && sizeof(UserStatsStored_t) == 16 &&
              sizeof(UserAchievementStored_t) == 152 && sizeof(LeaderboardFindResult_t) == 16 &&
              sizeof(LeaderboardScoresDownloaded_t) == 24 && sizeof(LeaderboardScoreUploaded_t) == 32 &&
              sizeof(RemoteStorageFileShareResult_t) == 16 && sizeof(RemoteStoragePublishFileResult_t) == 16 &&
              sizeof(GameOverlayActivated_t) == 1 && sizeof(ScreenshotRequested_t) == 1);
static_assert(offsetof(LeaderboardScoreUploaded_t, board) == 8 && offsetof(LeaderboardScoreUploaded_t, score) == 16);

// One downloaded leaderboard entry as the stats interface writes it.
struct LeaderboardEntry_t {
    uint64_t user;
    int32_t globalRank;
    int32_t score;
    uint8_t reserved[16];
};
static_assert(sizeof(LeaderboardEntry_t) == 32);

// Download request types.
inline constexpr int32_t kDownloadGlobal = 0;
inline constexpr int32_t kDownloadAroundUser = 1;
inline constexpr int32_t kDownloadFriends = 2;
// The upload method the wrapper always sends: keep the user's best score.
inline constexpr int32_t kUploadKeepBest = 1;

// ---- Interfaces --------------------------------------------------------------
// Slot functions are named Unused<position>; they are never called.

using WarningHook = void (*)(int32_t severity, const char* text);

class ISteamClient {
public:
    virtual void SetWarningMessageHook(WarningHook hook) = 0;  // 0
protected:
    ~ISteamClient() = default;
};

class ISteamUser {
public:
    virtual void Unused0() = 0;
    virtual bool LoggedOn() = 0;          // 1
    virtual uint64_t GetSteamId() = 0;    // 2
protected:
    ~ISteamUser() = default;
};

class ISteamUtils {
public:
    virtual void Unused0() = 0;
    virtual void Unused1() = 0;
    virtual void Unused2() = 0;
    virtual void Unused3() = 0;
    virtual void Unused4() = 0;
    virtual void Unused5() = 0;
    virtual void Unused6() = 0;
    virtual void Unused7() = 0;
    virtual void Unused8() = 0;
    virtual uint32_t GetAppId() = 0;  // 9
    virtual void Unused10() = 0;
    virtual void Unused11() = 0;
    virtual void Unused12() = 0;
    virtual void Unused13() = 0;
    virtual void Unused14() = 0;
    virtual void Unused15() = 0;
    virtual void Unused16() = 0;
    virtual bool IsOverlayEnabled() = 0;  // 17
protected:
    ~ISteamUtils() = default;
};

class ISteamUserStats {
public:
    virtual bool RequestCurrentStats() = 0;                                             // 0
    virtual bool GetStatFloat(const char* name, float* out) = 0;                        // 1
    virtual bool GetStatInt(const char* name, int32_t* out) = 0;                        // 2
    virtual bool SetStatFloat(const char* name, float value) = 0;                       // 3
    virtual bool SetStatInt(const char* name, int32_t value) = 0;                       // 4
    virtual bool UpdateAvgRateStat(const char* name, float count, double length) = 0;   // 5
    virtual bool GetAchievement(const char* name, bool* achieved) = 0;                  // 6
    virtual bool SetAchievement(const char* name) = 0;                                  // 7
    virtual bool ClearAchievement(const char* name) = 0;                                // 8
    virtual void Unused9() = 0;
    virtual bool StoreStats() = 0;                                                      // 10
    virtual void Unused11() = 0;
    virtual void Unused12() = 0;
    virtual void Unused13() = 0;
    virtual void Unused14() = 0;
    virtual void Unused15() = 0;
    virtual void Unused16() = 0;
    virtual void Unused17() = 0;
    virtual void Unused18() = 0;
    virtual void Unused19() = 0;
    virtual void Unused20() = 0;
    virtual bool ResetAllStats(bool achievementsToo) = 0;                               // 21
    virtual CallHandle FindOrCreateLeaderboard(const char* name, int32_t sort, int32_t display) = 0;  // 22
    virtual CallHandle FindLeaderboard(const char* name) = 0;                           // 23
    virtual const char* GetLeaderboardName(BoardHandle board) = 0;                      // 24
    virtual void Unused25() = 0;
    virtual void Unused26() = 0;
    virtual void Unused27() = 0;
    virtual CallHandle DownloadEntries(BoardHandle board, int32_t type, int32_t start, int32_t end) = 0;  // 28
    virtual void Unused29() = 0;
    virtual bool GetDownloadedEntry(EntriesHandle entries, int32_t index, LeaderboardEntry_t* out,
                                    int32_t* details, int32_t detailsMax) = 0;  // 30
    virtual CallHandle UploadScore(BoardHandle board, int32_t method, int32_t score, const int32_t* details,
                                   int32_t detailsCount) = 0;  // 31
protected:
    ~ISteamUserStats() = default;
};

class ISteamFriends {
public:
    virtual const char* GetPersonaName() = 0;  // 0
    virtual void Unused1() = 0;
    virtual void Unused2() = 0;
    virtual void Unused3() = 0;
    virtual void Unused4() = 0;
    virtual void Unused5() = 0;
    virtual void Unused6() = 0;
    virtual const char* GetFriendPersonaName(uint64_t user) = 0;  // 7
    virtual void Unused8() = 0;
    virtual void Unused9() = 0;
    virtual void Unused10() = 0;
    virtual void Unused11() = 0;
    virtual void Unused12() = 0;
    virtual void Unused13() = 0;
    virtual void Unused14() = 0;
    virtual void Unused15() = 0;
    virtual void Unused16() = 0;
    virtual void Unused17() = 0;
    virtual void Unused18() = 0;
    virtual void Unused19() = 0;
    virtual void Unused20() = 0;
    virtual void ActivateOverlay(const char* dialog) = 0;  // 21
protected:
    ~ISteamFriends() = default;
};

class ISteamRemoteStorage {
public:
    virtual bool FileWrite(const char* name, const void* data, int32_t size) = 0;  // 0
    virtual int32_t FileRead(const char* name, void* buffer, int32_t size) = 0;    // 1
    virtual bool FileForget(const char* name) = 0;                                // 2
    virtual bool FileDelete(const char* name) = 0;                                // 3
    virtual CallHandle FileShare(const char* name) = 0;                           // 4
    virtual bool SetSyncPlatforms(const char* name, int32_t platforms) = 0;       // 5
    virtual void Unused6() = 0;
    virtual void Unused7() = 0;
    virtual void Unused8() = 0;
    virtual void Unused9() = 0;
    virtual bool FileExists(const char* name) = 0;     // 10
    virtual bool FilePersisted(const char* name) = 0;  // 11
    virtual int32_t GetFileSize(const char* name) = 0; // 12
    virtual void Unused13() = 0;
    virtual void Unused14() = 0;
    virtual void Unused15() = 0;
    virtual void Unused16() = 0;
    virtual bool GetQuota(int32_t* total, int32_t* available) = 0;  // 17
    virtual bool IsCloudEnabledForAccount() = 0;                    // 18
    virtual bool IsCloudEnabledForApp() = 0;                        // 19
    virtual void Unused20() = 0;
    virtual void Unused21() = 0;
    virtual void Unused22() = 0;
    virtual void Unused23() = 0;
    virtual void Unused24() = 0;
    virtual void Unused25() = 0;
    virtual void Unused26() = 0;
    virtual CallHandle PublishWorkshopFile(const char* file, const char* preview, uint32_t appId, const char* title,
                                           const char* description, int32_t visibility, const void* tags,
                                           int32_t fileType) = 0;  // 27
protected:
    ~ISteamRemoteStorage() = default;
};

class ISteamScreenshots {
public:
    virtual void Unused0() = 0;
    virtual uint32_t AddScreenshot(const char* path, const char* thumbnail, int32_t width, int32_t height) = 0;  // 1
    virtual void Unused2() = 0;
    virtual void HookScreenshots(bool hook) = 0;  // 3
protected:
    ~ISteamScreenshots() = default;
};

// ---- Exports -----------------------------------------------------------------

extern "C" {
using InitFn = bool (*)();
using RunCallbacksFn = void (*)();
using ShutdownFn = void (*)();
using RegisterCallbackFn = void (*)(CCallbackBase* record, int32_t callbackId);
using UnregisterCallbackFn = void (*)(CCallbackBase* record);
using RegisterCallResultFn = void (*)(CCallbackBase* record, CallHandle call);
using UnregisterCallResultFn = void (*)(CCallbackBase* record, CallHandle call);
using ClientFn = ISteamClient* (*)();
using FriendsFn = ISteamFriends* (*)();
using RemoteStorageFn = ISteamRemoteStorage* (*)();
using ScreenshotsFn = ISteamScreenshots* (*)();
using UserFn = ISteamUser* (*)();
using UserStatsFn = ISteamUserStats* (*)();
using UtilsFn = ISteamUtils* (*)();
}

}  // namespace bw::steam
