#include "online/http/achievement_cache.h"

#include <cstring>

#include "platform/files.h"
#include "platform/memory.h"

namespace bw {

namespace {

// The desktop service's prefix for its files.
constexpr const char* kCacheFile = "playerachievementcache.dat";

struct AchievementCache {
    // The entry being posted, when there is one, is the first.
    std::deque<AchievementCacheEntry> entries;
    bool posting = false;
    AchievementPostState state = AchievementPostState::Idle;
    int32_t wait = 0;
    bool enabled = false;
};
AchievementCache& Cache()
{
    static AchievementCache cache;
    return cache;
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t GetU32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

void Append(uint32_t kind, const char* name, uint32_t value)
{
    if (Cache().entries.size() > kAchievementMaxPending) return;
    Cache().entries.push_back({kind, name != nullptr ? name : "", value});
}

// The desktop service takes no posts and never answers, so a post stays in
// progress; other services answer through AchievementCache_SetState.
void Post(const AchievementCacheEntry&) {}

void RemoveCurrent()
{
    Cache().entries.pop_front();
    Cache().posting = false;
    AchievementCache_Save();
}

void WaitBeforeRetry()
{
    Cache().wait = kAchievementRetrySteps;
    Cache().state = AchievementPostState::Waiting;
}

}  // namespace

std::vector<AchievementCacheEntry> AchievementCache_Parse(std::span<const uint8_t> bytes)
{
    std::vector<AchievementCacheEntry> entries;
    size_t at = 0;
    while (bytes.size() - at >= 4) {
        const uint32_t kind = GetU32(bytes.data() + at);
        const uint8_t* name = bytes.data() + at + 4;
        const size_t room = bytes.size() - at - 4;
        const auto* end = static_cast<const uint8_t*>(std::memchr(name, 0, room));
        if (end == nullptr) break;
        const size_t nameLength = static_cast<size_t>(end - name);
        if (room - nameLength - 1 < 4) break;
        entries.push_back({kind, std::string(reinterpret_cast<const char*>(name), nameLength), GetU32(end + 1)});
        at += 4 + nameLength + 1 + 4;
    }
    return entries;
}

std::vector<uint8_t> AchievementCache_Serialise(std::span<const AchievementCacheEntry> entries)
{
    std::vector<uint8_t> out;
    for (const AchievementCacheEntry& entry : entries) {
        PutU32(out, entry.kind);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(0);
        PutU32(out, entry.value);
    }
    return out;
}

void AchievementCache_Add(uint32_t kind, const char* name, uint32_t value)
{
    Append(kind, name, value);
    AchievementCache_Save();
}

void AchievementCache_Load()
{
    if (!Cache().entries.empty()) return;
    size_t size = 0;
    uint8_t* data = LoadSave_ReadSaveFile(kCacheFile, &size);
    if (data == nullptr) return;
    // One save after all are in, not one per entry as they are added.
    for (const AchievementCacheEntry& entry : AchievementCache_Parse({data, size})) {
        Append(entry.kind, entry.name.c_str(), entry.value);
    }
    MemoryManager_Free(data);
    AchievementCache_Save();
}

void AchievementCache_Save()
{
    // An empty list leaves no empty file behind, but still empties a file
    // whose entries have all been posted.
    if (Cache().entries.empty() && !LoadSave_SaveExists(kCacheFile)) return;
    const std::vector<AchievementCacheEntry> entries(Cache().entries.begin(), Cache().entries.end());
    const std::vector<uint8_t> bytes = AchievementCache_Serialise(entries);
    LoadSave_WriteSaveFile(kCacheFile, bytes.data(), bytes.size());
}

void AchievementCache_Update()
{
    AchievementCache& cache = Cache();
    if (!cache.enabled || cache.entries.empty()) return;
    switch (cache.state) {
    case AchievementPostState::Idle: {
        const AchievementCacheEntry& entry = cache.entries.front();
        cache.posting = true;
        cache.state = AchievementPostState::Posting;
        if (entry.kind >= 1 && entry.kind <= 4) {
            Post(entry);
        } else {
            RemoveCurrent();
            WaitBeforeRetry();
        }
        break;
    }
    case AchievementPostState::Posting:
        break;
    case AchievementPostState::Posted:
        if (cache.posting) RemoveCurrent();
        cache.state = AchievementPostState::Idle;
        break;
    case AchievementPostState::Failed:
        WaitBeforeRetry();
        if (cache.posting) {
            cache.entries.push_back(std::move(cache.entries.front()));
            cache.entries.pop_front();
            cache.posting = false;
            AchievementCache_Save();
        }
        break;
    case AchievementPostState::Waiting:
        if (cache.wait > 0) --cache.wait;
        if (cache.wait == 0) cache.state = AchievementPostState::Idle;
        break;
    }
}

void AchievementCache_SetState(AchievementPostState state)
{
    Cache().state = state;
}

void AchievementCache_SetEnabled(bool enabled)
{
    Cache().enabled = enabled;
}

bool AchievementCache_Enabled()
{
    return Cache().enabled;
}

const std::deque<AchievementCacheEntry>& AchievementCache_Entries()
{
    return Cache().entries;
}

AchievementPostState AchievementCache_State()
{
    return Cache().state;
}

void AchievementCache_Clear()
{
    AchievementCache& cache = Cache();
    cache.entries.clear();
    cache.posting = false;
    cache.state = AchievementPostState::Idle;
    cache.wait = 0;
}

}  // namespace bw
