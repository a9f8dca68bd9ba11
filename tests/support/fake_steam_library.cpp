// A stand-in for the platform's client library, built under its file name
// for the Steam wrapper's tests and implementing our own declarations of it.
// Besides the library's exports it has FakeSteam_* controls: the logged-on
// and start-up answers, callbacks to post, scripted outcomes for the next
// call of a kind, leaderboards, entries and persona names, cloud files, and
// a log of every request. Built a second time without one export
// (FAKE_STEAM_WITHOUT_SCREENSHOTS).
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "online/steam/steam_api.h"

using namespace bw::steam;

namespace {

struct Delivery {
    int32_t callbackId;
    std::vector<uint8_t> data;
    bool ioFailure = false;
    CallHandle call = 0;  // 0: a callback for every record of the id
};

struct Board {
    BoardHandle handle;
    std::vector<LeaderboardEntry_t> entries;
};

struct Fake {
    bool initAnswer = true;
    bool loggedOn = true;
    uint32_t appId = 1234;
    std::vector<std::pair<CCallbackBase*, int32_t>> callbacks;
    std::vector<std::pair<CCallbackBase*, CallHandle>> callResults;
    std::vector<Delivery> deliveries;
    std::map<std::string, std::deque<std::string>> outcomes;
    std::map<std::string, Board> boards;
    std::map<uint64_t, std::string> personas;
    std::map<std::string, std::string> files;
    std::map<std::string, int32_t> stats;
    std::string log;
    CallHandle nextCall = 1;
    int32_t leftRegistered = -1;
};
Fake g_fake;

// The scripted outcome of the next call of a kind: "ok" unless told.
std::string Next(const char* kind)
{
    std::deque<std::string>& queue = g_fake.outcomes[kind];
    if (queue.empty()) return "ok";
    std::string outcome = queue.front();
    queue.pop_front();
    return outcome;
}

void Log(const std::string& line)
{
    g_fake.log += line + "\n";
}

template <class R>
CallHandle Answer(const R& result, bool ioFailure)
{
    Delivery delivery{R::kCallbackId, std::vector<uint8_t>(sizeof(R)), ioFailure, g_fake.nextCall++};
    std::memcpy(delivery.data.data(), &result, sizeof(R));
    g_fake.deliveries.push_back(std::move(delivery));
    return g_fake.deliveries.back().call;
}

const char* BoardNameOf(BoardHandle handle)
{
    for (const auto& [name, board] : g_fake.boards) {
        if (board.handle == handle) return name.c_str();
    }
    return nullptr;
}

#define SLOT(n) \
    void Unused##n() override {}

class FakeClient final : public ISteamClient {
public:
    void SetWarningMessageHook(WarningHook hook) override { hook(0, "warning hook set\n"); }
} g_client;

class FakeUser final : public ISteamUser {
public:
    SLOT(0)
    bool LoggedOn() override { return g_fake.loggedOn; }
    uint64_t GetSteamId() override { return 76561197960265729ull; }
} g_user;

class FakeUtils final : public ISteamUtils {
public:
    SLOT(0) SLOT(1) SLOT(2) SLOT(3) SLOT(4) SLOT(5) SLOT(6) SLOT(7) SLOT(8)
    uint32_t GetAppId() override { return g_fake.appId; }
    SLOT(10) SLOT(11) SLOT(12) SLOT(13) SLOT(14) SLOT(15) SLOT(16)
    bool IsOverlayEnabled() override { return true; }
} g_utils;

class FakeUserStats final : public ISteamUserStats {
public:
    bool RequestCurrentStats() override
    {
        Log("requestStats");
        return true;
    }
    bool GetStatFloat(const char* name, float* out) override
    {
        auto stat = g_fake.stats.find(name);
        if (stat == g_fake.stats.end()) return false;
        *out = static_cast<float>(stat->second);
        return true;
    }
    bool GetStatInt(const char* name, int32_t* out) override
    {
        auto stat = g_fake.stats.find(name);
        if (stat == g_fake.stats.end()) return false;
        *out = stat->second;
        return true;
    }
    bool SetStatFloat(const char* name, float value) override { return Set(name, static_cast<int32_t>(value)); }
    bool SetStatInt(const char* name, int32_t value) override { return Set(name, value); }
    bool UpdateAvgRateStat(const char* name, float count, double) override
    {
        return Set(name, static_cast<int32_t>(count));
    }
    bool GetAchievement(const char* name, bool* achieved) override
    {
        *achieved = g_fake.stats.count(name) != 0;
        return true;
    }
    bool SetAchievement(const char* name) override { return Set(name, 1); }
    bool ClearAchievement(const char* name) override { return Set(name, 0); }
    SLOT(9)
    bool StoreStats() override
    {
        Log("store");
        return Next("store") == "ok";
    }
    SLOT(11) SLOT(12) SLOT(13) SLOT(14) SLOT(15) SLOT(16) SLOT(17) SLOT(18) SLOT(19) SLOT(20)
    bool ResetAllStats(bool) override
    {
        g_fake.stats.clear();
        return true;
    }
    CallHandle FindOrCreateLeaderboard(const char* name, int32_t, int32_t) override
    {
        Log(std::string("findOrCreate ") + name);
        return Find(name, true);
    }
    CallHandle FindLeaderboard(const char* name) override
    {
        Log(std::string("find ") + name);
        return Find(name, false);
    }
    const char* GetLeaderboardName(BoardHandle board) override { return BoardNameOf(board); }
    SLOT(25) SLOT(26) SLOT(27)
    CallHandle DownloadEntries(BoardHandle board, int32_t type, int32_t start, int32_t end) override
    {
        Log("download " + std::string(BoardNameOf(board)) + " " + std::to_string(type) + " " +
            std::to_string(start) + " " + std::to_string(end));
        const std::string outcome = Next("download");
        int32_t count = 0;
        for (const auto& [name, found] : g_fake.boards) {
            if (found.handle == board) count = static_cast<int32_t>(found.entries.size());
        }
        return Answer(LeaderboardScoresDownloaded_t{board, board, count, {}}, outcome == "io");
    }
    SLOT(29)
    bool GetDownloadedEntry(EntriesHandle entries, int32_t index, LeaderboardEntry_t* out, int32_t*,
                            int32_t) override
    {
        for (const auto& [name, board] : g_fake.boards) {
            if (board.handle == entries && index >= 0 && size_t(index) < board.entries.size()) {
                *out = board.entries[size_t(index)];
                return true;
            }
        }
        return false;
    }
    CallHandle UploadScore(BoardHandle board, int32_t, int32_t score, const int32_t*, int32_t) override
    {
        Log("upload " + std::string(BoardNameOf(board)) + " " + std::to_string(score));
        const std::string outcome = Next("upload");
        LeaderboardScoreUploaded_t result{};
        result.success = outcome == "ok";
        result.board = board;
        result.score = score;
        return Answer(result, outcome == "io");
    }

private:
    static bool Set(const char* name, int32_t value)
    {
        if (Next("set") != "ok") return false;
        g_fake.stats[name] = value;
        return true;
    }
    static CallHandle Find(const char* name, bool create)
    {
        const std::string outcome = Next("find");
        if (outcome == "none") return 0;
        auto board = g_fake.boards.find(name);
        if (board == g_fake.boards.end() && create) {
            board = g_fake.boards.emplace(name, Board{100 + g_fake.boards.size(), {}}).first;
        }
        const bool found = board != g_fake.boards.end();
        return Answer(LeaderboardFindResult_t{found ? board->second.handle : 0, found, {}}, outcome == "io");
    }
} g_userStats;

class FakeFriends final : public ISteamFriends {
public:
    const char* GetPersonaName() override { return "Fake \"Player\""; }
    SLOT(1) SLOT(2) SLOT(3) SLOT(4) SLOT(5) SLOT(6)
    const char* GetFriendPersonaName(uint64_t user) override
    {
        auto persona = g_fake.personas.find(user);
        return persona != g_fake.personas.end() ? persona->second.c_str() : "";
    }
    SLOT(8) SLOT(9) SLOT(10) SLOT(11) SLOT(12) SLOT(13) SLOT(14) SLOT(15) SLOT(16) SLOT(17) SLOT(18) SLOT(19)
    SLOT(20)
    void ActivateOverlay(const char* dialog) override { Log(std::string("overlay ") + dialog); }
} g_friends;

class FakeRemoteStorage final : public ISteamRemoteStorage {
public:
    bool FileWrite(const char* name, const void* data, int32_t size) override
    {
        Log(std::string("write ") + name + " " + std::to_string(size));
        g_fake.files[name].assign(static_cast<const char*>(data), size_t(size));
        return true;
    }
    int32_t FileRead(const char* name, void* buffer, int32_t size) override
    {
        const std::string& file = g_fake.files[name];
        const size_t count = std::min(file.size(), size_t(size));
        std::memcpy(buffer, file.data(), count);
        return static_cast<int32_t>(count);
    }
    bool FileForget(const char*) override { return true; }
    bool FileDelete(const char* name) override { return g_fake.files.erase(name) != 0; }
    CallHandle FileShare(const char* name) override
    {
        Log(std::string("share ") + name);
        const std::string outcome = Next("share");
        return Answer(RemoteStorageFileShareResult_t{outcome == "ok" ? 1 : 2, {}}, outcome == "io");
    }
    bool SetSyncPlatforms(const char*, int32_t) override { return true; }
    SLOT(6) SLOT(7) SLOT(8) SLOT(9)
    bool FileExists(const char* name) override { return g_fake.files.count(name) != 0; }
    bool FilePersisted(const char* name) override { return FileExists(name); }
    int32_t GetFileSize(const char* name) override
    {
        auto file = g_fake.files.find(name);
        return file != g_fake.files.end() ? static_cast<int32_t>(file->second.size()) : 0;
    }
    SLOT(13) SLOT(14) SLOT(15) SLOT(16)
    bool GetQuota(int32_t* total, int32_t* available) override
    {
        *total = 1000;
        *available = 600;
        return true;
    }
    bool IsCloudEnabledForAccount() override { return true; }
    bool IsCloudEnabledForApp() override { return true; }
    SLOT(20) SLOT(21) SLOT(22) SLOT(23) SLOT(24) SLOT(25) SLOT(26)
    CallHandle PublishWorkshopFile(const char* file, const char* preview, uint32_t, const char* title, const char*,
                                   int32_t, const void*, int32_t) override
    {
        Log(std::string("publish ") + file + " [" + preview + "] " + title);
        return Answer(RemoteStoragePublishFileResult_t{Next("publish") == "ok" ? 1 : 2, {}}, false);
    }
} g_remoteStorage;

// The partial library lacks the screenshots interface altogether.
#ifndef FAKE_STEAM_WITHOUT_SCREENSHOTS
class FakeScreenshots final : public ISteamScreenshots {
public:
    SLOT(0)
    uint32_t AddScreenshot(const char*, const char*, int32_t width, int32_t height) override
    {
        Log("screenshot " + std::to_string(width) + "x" + std::to_string(height));
        return 7;
    }
    SLOT(2)
    void HookScreenshots(bool hook) override { Log(hook ? "hook screenshots" : "unhook screenshots"); }
} g_screenshots;
#endif

#undef SLOT

}  // namespace

extern "C" {

bool SteamAPI_Init()
{
    return g_fake.initAnswer;
}

// Callbacks go to every record of their id; an answer to the record that
// waits for its call, which then stops being registered.
void SteamAPI_RunCallbacks()
{
    std::vector<Delivery> deliveries = std::move(g_fake.deliveries);
    g_fake.deliveries.clear();
    for (Delivery& delivery : deliveries) {
        if (delivery.call == 0) {
            const auto callbacks = g_fake.callbacks;
            for (const auto& [record, id] : callbacks) {
                if (id == delivery.callbackId) record->Run(delivery.data.data());
            }
            continue;
        }
        for (auto waiting = g_fake.callResults.begin(); waiting != g_fake.callResults.end(); ++waiting) {
            if (waiting->second != delivery.call) continue;
            CCallbackBase* record = waiting->first;
            g_fake.callResults.erase(waiting);
            record->flags &= ~CCallbackBase::kRegistered;
            record->Run(delivery.data.data(), delivery.ioFailure, delivery.call);
            break;
        }
    }
}

void SteamAPI_Shutdown()
{
    g_fake.leftRegistered = static_cast<int32_t>(g_fake.callbacks.size() + g_fake.callResults.size());
}

void SteamAPI_RegisterCallback(CCallbackBase* record, int32_t callbackId)
{
    record->flags |= CCallbackBase::kRegistered;
    g_fake.callbacks.emplace_back(record, callbackId);
}

void SteamAPI_UnregisterCallback(CCallbackBase* record)
{
    record->flags &= ~CCallbackBase::kRegistered;
    std::erase_if(g_fake.callbacks, [record](const auto& entry) { return entry.first == record; });
}

void SteamAPI_RegisterCallResult(CCallbackBase* record, CallHandle call)
{
    record->flags |= CCallbackBase::kRegistered;
    g_fake.callResults.emplace_back(record, call);
}

void SteamAPI_UnregisterCallResult(CCallbackBase* record, CallHandle call)
{
    record->flags &= ~CCallbackBase::kRegistered;
    std::erase_if(g_fake.callResults,
                  [record, call](const auto& entry) { return entry.first == record && entry.second == call; });
}

ISteamClient* SteamClient() { return &g_client; }
ISteamFriends* SteamFriends() { return &g_friends; }
ISteamRemoteStorage* SteamRemoteStorage() { return &g_remoteStorage; }
#ifndef FAKE_STEAM_WITHOUT_SCREENSHOTS
ISteamScreenshots* SteamScreenshots() { return &g_screenshots; }
#endif
ISteamUser* SteamUser() { return &g_user; }
ISteamUserStats* SteamUserStats() { return &g_userStats; }
ISteamUtils* SteamUtils() { return &g_utils; }

// ---- Controls of the tests ----

void FakeSteam_Reset()
{
    g_fake = Fake{};
}
void FakeSteam_SetInitAnswer(bool answer) { g_fake.initAnswer = answer; }
void FakeSteam_SetLoggedOn(bool loggedOn) { g_fake.loggedOn = loggedOn; }
// Posts a callback for the next RunCallbacks.
void FakeSteam_Post(int32_t callbackId, const void* data, int32_t size)
{
    Delivery delivery{callbackId, std::vector<uint8_t>(size_t(size))};
    std::memcpy(delivery.data.data(), data, size_t(size));
    g_fake.deliveries.push_back(std::move(delivery));
}
// The outcome of the next call of a kind ("store", "set", "find", "upload",
// "download", "share", "publish"): "io", "refuse", "none" (no request) ...
void FakeSteam_Script(const char* kind, const char* outcome) { g_fake.outcomes[kind].push_back(outcome); }
// A board with count entries; user i (from 1) has score 10 * i and rank i.
void FakeSteam_SeedBoard(const char* name, int32_t count)
{
    Board board{100 + g_fake.boards.size(), {}};
    for (int32_t i = 1; i <= count; ++i) board.entries.push_back({uint64_t(i), i, 10 * i, {}});
    g_fake.boards[name] = std::move(board);
}
void FakeSteam_SetPersona(uint64_t user, const char* name) { g_fake.personas[user] = name; }
void FakeSteam_PutFile(const char* name, const char* text) { g_fake.files[name] = text; }
const char* FakeSteam_Log() { return g_fake.log.c_str(); }
void FakeSteam_ClearLog() { g_fake.log.clear(); }
// Records registered when the wrapper shut down (-1: it has not).
int32_t FakeSteam_LeftRegistered() { return g_fake.leftRegistered; }

}  // extern "C"
