#include "online/steam/steam_leaderboards.h"

#include <algorithm>
#include <cstdio>
#include <list>
#include <memory>
#include <vector>

#include "library/ds_map.h"
#include "online/dialogs/async_requests.h"
#include "online/steam/steam_client.h"
#include "platform/console.h"

namespace bw {

namespace {

using steam::BoardHandle;
using steam::CallHandle;
using steam::LeaderboardEntry_t;
using steam::LeaderboardFindResult_t;
using steam::LeaderboardScoresDownloaded_t;
using steam::LeaderboardScoreUploaded_t;

constexpr int32_t kSteamEvent = 69;
// A failed request waits a step before it is sent again, then each time
// about twice as long, at most 64 steps, so a server that keeps failing is
// not asked every step.
constexpr int32_t kLongestRetryShift = 6;

std::string BoardName(const char* name)
{
    return std::string(name != nullptr ? name : "").substr(0, kLeaderboardNameBytes);
}

// The back-off of one request that is sent again until it succeeds.
struct Retry {
    int32_t failures = 0;
    int32_t stepsLeft = -1;  // -1: not waiting

    // Counted from the update of the step that failed, so the first retry
    // goes out in the next step.
    void Schedule()
    {
        stepsLeft = 2 << std::min(failures, kLongestRetryShift - 1);
        ++failures;
    }
    // True once, at the step update that ends the wait.
    bool Due()
    {
        if (stepsLeft < 0 || --stepsLeft > 0) return false;
        stepsLeft = -1;
        return true;
    }
};

// ---- The board table and the waiting list ------------------------------------

struct LeaderboardSlot {
    std::string name;
    BoardHandle board = 0;
    bool found = false;
    bool createRequested = false;
};
// Grows as boards are named: every board's answer finds its slot.
std::vector<LeaderboardSlot> g_boards;

LeaderboardSlot* FindSlot(const std::string& name)
{
    auto slot = std::find_if(g_boards.begin(), g_boards.end(),
                             [&name](const LeaderboardSlot& s) { return s.name == name; });
    return slot != g_boards.end() ? &*slot : nullptr;
}

struct LeaderboardRequest {
    std::string board;
    bool isUpload = false;
    int32_t type = 0;
    int32_t score = 0;
    int32_t start = 0;
    int32_t end = 0;
    int32_t requestId = -1;  // downloads: the request whose event brings the entries
};
// Newest first.
std::list<LeaderboardRequest> g_waiting;

// ---- Download results ----------------------------------------------------------

struct DownloadedEntry {
    std::string name;
    int32_t score;
    int32_t rank;
};

class SteamScoresRequest final : public CAsyncRequest {
public:
    void Fail()
    {
        m_httpStatus = -1;
        status = kAsyncFinished;
    }
    void Deliver(std::string boardName, std::vector<DownloadedEntry> entries)
    {
        m_httpStatus = 1;
        m_boardName = std::move(boardName);
        m_entries = std::move(entries);
        status = kAsyncFinished;
    }

    int32_t Complete(int32_t* asyncMap) override
    {
        if (m_httpStatus < 0) {
            const DSMapPair pairs[] = {{"id", double(Id()), nullptr},
                                       {"status", -1, nullptr},
                                       {"lb_name", 0, nullptr},
                                       {"num_entries", 0, nullptr},
                                       {"entries", 0, nullptr}};
            *asyncMap = DS_Map_CreateWithPairs(pairs);
            return kSteamEvent;
        }
        const std::string text = EntriesText();
        const DSMapPair pairs[] = {{"id", double(Id()), nullptr},
                                   {"status", 0, nullptr},
                                   {"lb_name", 0, m_boardName.c_str()},
                                   {"num_entries", double(m_entries.size()), nullptr},
                                   {"entries", 0, text.c_str()}};
        *asyncMap = DS_Map_CreateWithPairs(pairs);
        return kSteamEvent;
    }

private:
    std::string EntriesText() const
    {
        std::string text = "{\n\"entries\": [\n";
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const DownloadedEntry& entry = m_entries[i];
            text += "{ \"name\":\"" + Steam_EscapeJsonText(entry.name.c_str()) + "\" , \"score\":" +
                    std::to_string(entry.score) + " , \"rank\":" + std::to_string(entry.rank) + " }";
            text += i + 1 < m_entries.size() ? ",\n" : "\n";
        }
        return text + "]}";
    }

    int32_t m_httpStatus = 0;
    std::string m_boardName;
    std::vector<DownloadedEntry> m_entries;
};

SteamScoresRequest* ScoresRequest(int32_t id)
{
    return dynamic_cast<SteamScoresRequest*>(AsyncRequest_Find(id));
}

// ---- Requests in flight ----------------------------------------------------------

// The handlers of requests in flight, owned here so that shut-down can
// unregister every one; a handler whose request is done releases itself.
template <class T>
class InFlight {
public:
    T& Add(std::unique_ptr<T> handler)
    {
        m_handlers.push_back(std::move(handler));
        return *m_handlers.back();
    }
    void Release(const T* handler)
    {
        std::erase_if(m_handlers, [handler](const std::unique_ptr<T>& h) { return h.get() == handler; });
    }
    void Clear() { m_handlers.clear(); }
    // Visits a snapshot: a visit may release its handler.
    template <class Fn>
    void ForEach(Fn visit)
    {
        std::vector<T*> handlers;
        for (const std::unique_ptr<T>& h : m_handlers) handlers.push_back(h.get());
        for (T* h : handlers) visit(*h);
    }

private:
    std::vector<std::unique_ptr<T>> m_handlers;
};

void SendWaitingRequests();
void DropWaitingRequests(const std::string& name);

class CLeaderboardFindHandler {
public:
    CLeaderboardFindHandler(std::string name, bool create, int32_t sort, int32_t display)
        : m_name(std::move(name)), m_create(create), m_sort(sort), m_display(display)
    {
    }
    void Send();
    void RetryIfDue()
    {
        if (m_retry.Due()) Send();
    }

private:
    void Steam_OnLeaderboardFound(LeaderboardFindResult_t* result, bool ioFailure);

    std::string m_name;
    CCallResult<CLeaderboardFindHandler, LeaderboardFindResult_t> m_call;
    bool m_create;
    int32_t m_sort;
    int32_t m_display;
    Retry m_retry;
};
InFlight<CLeaderboardFindHandler> g_finds;

class CLeaderboardDownloadHandler {
public:
    explicit CLeaderboardDownloadHandler(int32_t requestId) : m_requestId(requestId) {}
    void Send(BoardHandle board, int32_t type, int32_t start, int32_t end);

private:
    void Steam_StoreDownloadedScores(LeaderboardScoresDownloaded_t* result, bool ioFailure);

    int32_t m_requestId;
    CCallResult<CLeaderboardDownloadHandler, LeaderboardScoresDownloaded_t> m_call;
};
InFlight<CLeaderboardDownloadHandler> g_downloads;

class CLeaderboardUploadHandler {
public:
    CLeaderboardUploadHandler(BoardHandle board, int32_t score) : m_board(board), m_score(score) {}
    void Send();
    void RetryIfDue()
    {
        if (m_retry.Due()) Send();
    }

private:
    void Steam_OnScoreUploaded(LeaderboardScoreUploaded_t* result, bool ioFailure);

    BoardHandle m_board;
    int32_t m_score;
    CCallResult<CLeaderboardUploadHandler, LeaderboardScoreUploaded_t> m_call;
    Retry m_retry;
};
InFlight<CLeaderboardUploadHandler> g_uploads;

const char* NameOfBoard(BoardHandle board)
{
    steam::ISteamUserStats* stats = Steam_UserStats();
    const char* name = stats != nullptr ? stats->GetLeaderboardName(board) : nullptr;
    return name != nullptr ? name : "";
}

void CLeaderboardFindHandler::Send()
{
    steam::ISteamUserStats* stats = Steam_UserStats();
    const CallHandle call = stats == nullptr ? 0
                            : m_create      ? stats->FindOrCreateLeaderboard(m_name.c_str(), m_sort, m_display)
                                            : stats->FindLeaderboard(m_name.c_str());
    // A request that did not go out is tried again like one that failed.
    if (call == 0) return m_retry.Schedule();
    m_call.Set(call, this, &CLeaderboardFindHandler::Steam_OnLeaderboardFound);
}

void CLeaderboardFindHandler::Steam_OnLeaderboardFound(LeaderboardFindResult_t* result, bool ioFailure)
{
    LeaderboardSlot* slot = FindSlot(m_name);
    if (slot == nullptr) {
        Console().Printf("ERROR: failed to find entry for leaderboard: %s\n", m_name.c_str());
    } else if (ioFailure) {
        Console().Printf("IO Error finding leaderboard \"%s\" - retrying\n", m_name.c_str());
        return m_retry.Schedule();
    } else if (result->found == 0) {
        Console().Printf("Failed to find leaderboard \"%s\"\n", m_name.c_str());
        DropWaitingRequests(m_name);
        g_boards.erase(g_boards.begin() + (slot - g_boards.data()));
    } else {
        Console().Printf("found leaderboard: %s\n", m_name.c_str());
        slot->board = result->board;
        slot->found = true;
        SendWaitingRequests();
    }
    g_finds.Release(this);
}

void CLeaderboardUploadHandler::Send()
{
    steam::ISteamUserStats* stats = Steam_UserStats();
    const CallHandle call = stats != nullptr ? stats->UploadScore(m_board, steam::kUploadKeepBest, m_score, nullptr, 0)
                                             : 0;
    if (call == 0) return m_retry.Schedule();
    m_call.Set(call, this, &CLeaderboardUploadHandler::Steam_OnScoreUploaded);
}

void CLeaderboardUploadHandler::Steam_OnScoreUploaded(LeaderboardScoreUploaded_t* result, bool ioFailure)
{
    const char* name = NameOfBoard(result->board);
    if (ioFailure || result->success == 0) {
        Console().Printf(ioFailure ? "IO Error uploading score %d to \"%s\"\n" : "Failed to upload score %d to \"%s\"\n",
                         result->score, name);
        Console().Printf("Retrying upload...\n");
        m_board = result->board;
        m_score = result->score;
        return m_retry.Schedule();
    }
    Console().Printf("uploaded score %d to lb %s\n", result->score, name);
    g_uploads.Release(this);
}

void CLeaderboardDownloadHandler::Send(BoardHandle board, int32_t type, int32_t start, int32_t end)
{
    steam::ISteamUserStats* stats = Steam_UserStats();
    const CallHandle call = stats != nullptr ? stats->DownloadEntries(board, type, start, end) : 0;
    if (call != 0) return m_call.Set(call, this, &CLeaderboardDownloadHandler::Steam_StoreDownloadedScores);
    // Nothing will answer: the game hears of the failure at once.
    if (SteamScoresRequest* request = ScoresRequest(m_requestId)) request->Fail();
    g_downloads.Release(this);
}

void CLeaderboardDownloadHandler::Steam_StoreDownloadedScores(LeaderboardScoresDownloaded_t* result, bool ioFailure)
{
    SteamScoresRequest* request = ScoresRequest(m_requestId);
    if (request == nullptr) {
        Console().Printf("ERROR: failed to identify context for leaderboard download result\n");
    } else if (ioFailure) {
        Console().Printf("Download leaderboard scores: IO Failure\n");
        request->Fail();
    } else {
        const int32_t count = std::clamp(result->entryCount, 0, kLeaderboardMaxEntries);
        const std::string name = BoardName(NameOfBoard(result->board));
        Console().Printf("got scores for lb:%s %d entries\n", name.c_str(), count);
        steam::ISteamUserStats* stats = Steam_UserStats();
        steam::ISteamFriends* friends = Steam_Friends();
        std::vector<DownloadedEntry> entries;
        for (int32_t i = 0; i < count && stats != nullptr; ++i) {
            LeaderboardEntry_t entry{};
            stats->GetDownloadedEntry(result->entries, i, &entry, nullptr, 0);
            const char* persona = friends != nullptr ? friends->GetFriendPersonaName(entry.user) : nullptr;
            entries.push_back({persona != nullptr ? persona : "", entry.score, entry.globalRank});
        }
        request->Deliver(name, std::move(entries));
    }
    g_downloads.Release(this);
}

// ---- Finding boards --------------------------------------------------------------

void SendFind(const std::string& name, bool create, int32_t sort, int32_t display)
{
    g_finds.Add(std::make_unique<CLeaderboardFindHandler>(name, create, sort, display)).Send();
}

bool Steam_FindLeaderboard(const std::string& name, BoardHandle* board)
{
    if (const LeaderboardSlot* slot = FindSlot(name)) {
        *board = slot->board;
        return slot->found;
    }
    g_boards.push_back({name});
    SendFind(name, false, 0, 0);
    return false;
}

void Steam_FindOrCreateLeaderboard(const std::string& name, int32_t sort, int32_t display)
{
    LeaderboardSlot* slot = FindSlot(name);
    if (slot == nullptr) {
        g_boards.push_back({name});
        slot = &g_boards.back();
    }
    if (slot->found || slot->createRequested) return;
    slot->createRequested = true;
    SendFind(name, true, sort, display);
}

void Upload(BoardHandle board, int32_t score)
{
    g_uploads.Add(std::make_unique<CLeaderboardUploadHandler>(board, score)).Send();
}

void Download(BoardHandle board, const LeaderboardRequest& request)
{
    g_downloads.Add(std::make_unique<CLeaderboardDownloadHandler>(request.requestId))
        .Send(board, request.type, request.start, request.end);
}

void Steam_ProcessLeaderboardQueue(const LeaderboardRequest& request, BoardHandle board)
{
    const char* name = NameOfBoard(board);
    if (request.isUpload) {
        Console().Printf("Sending queued LB post: %s, %d \n", name, request.score);
        Upload(board, request.score);
    } else {
        Console().Printf("Sending queued LB get: %s, %d, %d, %d, %d \n", name, request.requestId, request.type,
                         request.start, request.end);
        Download(board, request);
    }
}

void SendWaitingRequests()
{
    for (auto request = g_waiting.begin(); request != g_waiting.end();) {
        const LeaderboardSlot* slot = FindSlot(request->board);
        if (slot == nullptr || !slot->found) {
            ++request;
            continue;
        }
        const LeaderboardRequest sending = *request;
        request = g_waiting.erase(request);
        Steam_ProcessLeaderboardQueue(sending, slot->board);
    }
}

void DropWaitingRequests(const std::string& name)
{
    std::erase_if(g_waiting, [&name](const LeaderboardRequest& request) {
        if (request.board != name) return false;
        if (SteamScoresRequest* scores = ScoresRequest(request.requestId)) scores->Fail();
        return true;
    });
}

double DownloadScores(const char* name, int32_t type, int32_t start, int32_t end)
{
    if (!Steam_LoggedOn()) {
        Console().Printf("Download scores failed: must be logged on\n");
        return -1;
    }
    LeaderboardRequest request{BoardName(name), false, type, 0, start, end};
    request.requestId = AsyncRequest_Add(std::make_unique<SteamScoresRequest>())->Id();
    BoardHandle board = 0;
    if (Steam_FindLeaderboard(request.board, &board)) {
        Download(board, request);
    } else {
        g_waiting.push_front(request);
    }
    return request.requestId;
}

}  // namespace

double Steam_CreateLeaderboard(const char* name, int32_t sort, int32_t display)
{
    if (!Steam_LoggedOn()) {
        Console().Printf("Create leaderboard failed: must be logged on\n");
        return 0;
    }
    Steam_FindOrCreateLeaderboard(BoardName(name), sort, display);
    return 1;
}

double Steam_UploadScore(const char* name, int32_t score)
{
    if (!Steam_LoggedOn()) {
        Console().Printf("Upload score failed: must be logged on\n");
        return 0;
    }
    const std::string board = BoardName(name);
    BoardHandle handle = 0;
    if (Steam_FindLeaderboard(board, &handle)) {
        Upload(handle, score);
    } else {
        g_waiting.push_front({board, true, 0, score});
    }
    return 1;
}

double Steam_DownloadScores(const char* name, int32_t start, int32_t end)
{
    return DownloadScores(name, steam::kDownloadGlobal, start, end);
}

double Steam_DownloadScoresAroundUser(const char* name, int32_t start, int32_t end)
{
    return DownloadScores(name, steam::kDownloadAroundUser, start, end);
}

double Steam_DownloadFriendsScores(const char* name)
{
    return DownloadScores(name, steam::kDownloadFriends, 0, 0);
}

void Steam_Leaderboards_Update()
{
    g_finds.ForEach([](CLeaderboardFindHandler& handler) { handler.RetryIfDue(); });
    g_uploads.ForEach([](CLeaderboardUploadHandler& handler) { handler.RetryIfDue(); });
}

void Steam_Leaderboards_Shutdown()
{
    g_waiting.clear();
    g_finds.Clear();
    g_downloads.Clear();
    g_uploads.Clear();
    g_boards.clear();
}

std::string Steam_EscapeJsonText(const char* text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (const char* at = text != nullptr ? text : ""; *at != '\0'; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        switch (byte) {
            case '"': escaped += "\\\""; break;
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            case '\t': escaped += "\\t"; break;
            case '\b': escaped += "\\b"; break;
            case '\f': escaped += "\\f"; break;
            default:
                if (byte < 0x20) {
                    escaped += "\\u00";
                    escaped += kHex[byte >> 4];
                    escaped += kHex[byte & 15];
                } else {
                    escaped += *at;
                }
        }
    }
    return escaped;
}

}  // namespace bw
