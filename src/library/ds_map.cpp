#include "library/ds_map.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/crc32.h"

namespace bw {

namespace {

bool IsStringKey(const Value& key)
{
    return Value_Kind(key) == kValueString;
}

const char* KeyText(const Value& key)
{
    return key.ptr != nullptr ? Value_String(key) : "";
}

// Identity of keys within a hash: equal bytes of what was hashed.
bool SameKey(const Value& a, const Value& b)
{
    if (IsStringKey(a) || IsStringKey(b)) {
        return IsStringKey(a) && IsStringKey(b) && std::strcmp(KeyText(a), KeyText(b)) == 0;
    }
    return Value_Kind(a) == Value_Kind(b) && std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
}

void FreeEntry(MapEntry& entry)
{
    Value_Free(entry.key);
    Value_Free(entry.value);
}

// The runs double whenever there are fewer than this many for each entry, so
// that runs hold as few entries as the buckets of a whole table do while a
// map is under a quarter of its bucket count: lookups walk no further.
constexpr size_t kRunsPerEntry = 4;

uint32_t BucketOf(const CDS_Map* map, uint32_t hash)
{
    return hash & map->m_mask;
}

size_t RunOf(const CDS_Map* map, uint32_t hash)
{
    return BucketOf(map, hash) >> map->m_runShift;
}

// The shift that makes all buckets one run.
uint32_t OneRunShift(const CDS_Map* map)
{
    return static_cast<uint32_t>(std::bit_width(map->m_mask));
}

// Splits every run in two. Dealing out the entries in iteration order keeps
// each new run in that order.
void DoubleTheRuns(CDS_Map* map)
{
    std::vector<std::vector<MapEntry>> runs(map->m_runs.size() * 2);
    --map->m_runShift;
    for (const std::vector<MapEntry>& run : map->m_runs) {
        for (const MapEntry& entry : run) {
            runs[RunOf(map, entry.hash)].push_back(entry);
        }
    }
    map->m_runs = std::move(runs);
}

void AppendEntry(CDS_Map* map, uint32_t hash, const Value& key, const Value& value)
{
    MapEntry entry{hash, Value{}, Value{}};
    DS_StorePlain(entry.key, key);
    Value_Copy(entry.value, value);
    // The end of its bucket: after every entry of its run whose bucket is
    // not past its own.
    std::vector<MapEntry>& run = map->m_runs[RunOf(map, hash)];
    const auto entryLiesAfter = [map](uint32_t bucket, const MapEntry& e) { return bucket < BucketOf(map, e.hash); };
    run.insert(std::upper_bound(run.begin(), run.end(), BucketOf(map, hash), entryLiesAfter), entry);
    ++map->m_count;
    map->m_owned.Adopt(value);
    if (map->m_runShift > 0 && static_cast<size_t>(map->m_count) * kRunsPerEntry > map->m_runs.size()) {
        DoubleTheRuns(map);
    }
}

// Position of an entry in iteration order.
struct Place {
    size_t run;
    size_t index;
};

// The entry stored under key. Lookups, adds and walks by key all find it by
// this one identity, so a walk that goes on from a key reaches the entry
// after that key's own: the zeros, whose reals are equal, are two keys, and
// a NaN key is found though it equals nothing.
bool FindPlace(const CDS_Map* map, const Value& key, Place* place)
{
    const uint32_t hash = DS_Map_HashKey(key);
    const size_t r = RunOf(map, hash);
    const std::vector<MapEntry>& run = map->m_runs[r];
    for (size_t i = 0; i < run.size(); ++i) {
        if (run[i].hash == hash && SameKey(run[i].key, key)) {
            *place = {r, i};
            return true;
        }
    }
    return false;
}

MapEntry* FindEntry(CDS_Map* map, const Value& key)
{
    Place place{};
    return FindPlace(map, key, &place) ? &map->m_runs[place.run][place.index] : nullptr;
}

}  // namespace

CDS_Map::CDS_Map(uint32_t bucketCount)
    : m_mask(std::clamp<uint32_t>(bucketCount, 1, kDSMapMaxBuckets) - 1),
      m_runShift(OneRunShift(this)),
      m_runs(1)
{
}

CDS_Map::~CDS_Map()
{
    DS_Map_Clear(this);
}

DataStructurePool<CDS_Map>& DS_MapPool()
{
    // Never destroyed by static finalisers; see the pools in ds.cpp.
    static DataStructurePool<CDS_Map>& pool = *new DataStructurePool<CDS_Map>;
    return pool;
}

uint32_t DS_Map_HashKey(const Value& key)
{
    if (IsStringKey(key)) {
        return CRC32_String(Value_String(key));
    }
    uint8_t bytes[sizeof key.real];
    std::memcpy(bytes, &key.real, sizeof bytes);
    return CRC32_Bytes(bytes, sizeof bytes);
}

Value* DS_Map_Find(CDS_Map* map, const Value& key)
{
    MapEntry* entry = FindEntry(map, key);
    return entry != nullptr ? &entry->value : nullptr;
}

bool DS_Map_Add(CDS_Map* map, const Value& key, const Value& value)
{
    if (FindEntry(map, key) != nullptr) {
        return false;
    }
    AppendEntry(map, DS_Map_HashKey(key), key, value);
    return true;
}

bool DS_Map_Replace(CDS_Map* map, const Value& key, const Value& value)
{
    if (MapEntry* entry = FindEntry(map, key)) {
        Value_Copy(entry->value, value);
        map->m_owned.Adopt(value);
        return true;
    }
    AppendEntry(map, DS_Map_HashKey(key), key, value);
    return false;
}

void DS_Map_Delete(CDS_Map* map, const Value& key)
{
    Place place{};
    if (!FindPlace(map, key, &place)) {
        return;
    }
    std::vector<MapEntry>& run = map->m_runs[place.run];
    FreeEntry(run[place.index]);
    run.erase(run.begin() + static_cast<std::ptrdiff_t>(place.index));
    --map->m_count;
}

bool DS_Map_Exists(CDS_Map* map, const Value& key)
{
    return FindEntry(map, key) != nullptr;
}

int32_t DS_Map_Size(const CDS_Map* map)
{
    return map->m_count;
}

bool DS_Map_Empty(const CDS_Map* map)
{
    return map->m_count == 0;
}

const Value* DS_Map_FindFirst(const CDS_Map* map)
{
    for (const std::vector<MapEntry>& run : map->m_runs) {
        if (!run.empty()) {
            return &run.front().key;
        }
    }
    return nullptr;
}

const Value* DS_Map_FindLast(const CDS_Map* map)
{
    for (auto run = map->m_runs.rbegin(); run != map->m_runs.rend(); ++run) {
        if (!run->empty()) {
            return &run->back().key;
        }
    }
    return nullptr;
}

const Value* DS_Map_FindNext(const CDS_Map* map, const Value& key)
{
    Place place{};
    if (!FindPlace(map, key, &place)) {
        return nullptr;
    }
    if (place.index + 1 < map->m_runs[place.run].size()) {
        return &map->m_runs[place.run][place.index + 1].key;
    }
    for (size_t r = place.run + 1; r < map->m_runs.size(); ++r) {
        if (!map->m_runs[r].empty()) {
            return &map->m_runs[r].front().key;
        }
    }
    return nullptr;
}

const Value* DS_Map_FindPrevious(const CDS_Map* map, const Value& key)
{
    Place place{};
    if (!FindPlace(map, key, &place)) {
        return nullptr;
    }
    if (place.index > 0) {
        return &map->m_runs[place.run][place.index - 1].key;
    }
    for (size_t r = place.run; r-- > 0;) {
        if (!map->m_runs[r].empty()) {
            return &map->m_runs[r].back().key;
        }
    }
    return nullptr;
}

void DS_Map_Copy(CDS_Map* dest, const CDS_Map* source)
{
    if (dest == source) {
        return;
    }
    DS_Map_Clear(dest);
    DS_Map_ForEach(source, [dest](const MapEntry& entry) {
        Value plain = entry.value;  // a view: only the kind word differs
        plain.kind &= kValueKindMask;
        DS_Map_Add(dest, entry.key, plain);
    });
}

void DS_Map_Clear(CDS_Map* map)
{
    DS_Map_ForEach(map, [map](const MapEntry& entry) { DS_DestroyOwned(entry.value, map->m_owned, map); });
    DS_Map_FreeEntries(map);
}

void DS_Map_FreeEntries(CDS_Map* map)
{
    for (std::vector<MapEntry>& run : map->m_runs) {
        for (MapEntry& entry : run) {
            FreeEntry(entry);
        }
    }
    // Back to one empty run: an emptied map gives its memory back.
    map->m_runs = std::vector<std::vector<MapEntry>>(1);
    map->m_runShift = OneRunShift(map);
    map->m_count = 0;
    map->m_owned.Forget();
}

// ---- entries for other subsystems ----

int32_t DS_Map_Create()
{
    return DS_Map_CreateSized(kDSMapDefaultBuckets);
}

int32_t DS_Map_CreateSized(int64_t bucketCount)
{
    const auto count = static_cast<uint32_t>(std::clamp<int64_t>(bucketCount, 1, kDSMapMaxBuckets));
    return DS_MapPool().Add(std::make_unique<CDS_Map>(count));
}

namespace {

void AddPair(int32_t mapId, const Value& key, const Value& value)
{
    if (CDS_Map* map = DS_MapPool().Get(mapId)) {
        DS_Map_Add(map, key, value);
    }
}

Value MakeText(const char* text)
{
    Value value{};
    Value_SetString(value, text);
    return value;
}

Value MakeReal(double real)
{
    Value value{};
    value.real = real;
    return value;
}

// Adds the pair and frees the temporary values.
void AddTemporaryPair(int32_t mapId, Value key, Value value)
{
    AddPair(mapId, key, value);
    Value_Free(key);
    Value_Free(value);
}

}  // namespace

int32_t DS_Map_CreateWithPairs(std::span<const DSMapPair> pairs)
{
    const int32_t id = DS_Map_Create();
    for (const DSMapPair& pair : pairs) {
        AddTemporaryPair(id, MakeText(pair.key), pair.text != nullptr ? MakeText(pair.text) : MakeReal(pair.real));
    }
    return id;
}

void DS_Map_AddReal(int32_t map, const char* key, double real)
{
    AddTemporaryPair(map, MakeText(key), MakeReal(real));
}

void DS_Map_AddString(int32_t map, const char* key, const char* text)
{
    AddTemporaryPair(map, MakeText(key), MakeText(text));
}

void DS_Map_AddRealKeyReal(int32_t map, double key, double real)
{
    AddTemporaryPair(map, MakeReal(key), MakeReal(real));
}

void DS_Map_AddRealKeyString(int32_t map, double key, const char* text)
{
    AddTemporaryPair(map, MakeReal(key), MakeText(text));
}

void DS_Map_AddRealChecked(int32_t map, const char* key, double real)
{
    if (DS_MapPool().Get(map) == nullptr) {
        DS_ReportMissing();
        return;
    }
    DS_Map_AddReal(map, key, real);
}

void DS_Map_AddStringChecked(int32_t map, const char* key, const char* text)
{
    if (DS_MapPool().Get(map) == nullptr) {
        DS_ReportMissing();
        return;
    }
    DS_Map_AddString(map, key, text);
}

}  // namespace bw
