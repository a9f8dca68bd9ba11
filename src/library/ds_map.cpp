#include "library/ds_map.h"

#include <algorithm>
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

void AppendEntry(CDS_Map* map, uint32_t hash, const Value& key, const Value& value)
{
    MapEntry entry{hash, Value{}, Value{}};
    DS_StorePlain(entry.key, key);
    Value_Copy(entry.value, value);
    map->m_buckets[hash & map->m_mask].push_back(entry);
    ++map->m_count;
    map->m_owned.Adopt(value);
}

// Position of an entry in iteration order.
struct Place {
    size_t bucket;
    size_t index;
};

// The entry stored under key. Lookups, adds and walks by key all find it by
// this one identity, so a walk that goes on from a key reaches the entry
// after that key's own: the zeros, whose reals are equal, are two keys, and
// a NaN key is found though it equals nothing.
bool FindPlace(const CDS_Map* map, const Value& key, Place* place)
{
    const uint32_t hash = DS_Map_HashKey(key);
    const size_t b = hash & map->m_mask;
    const std::vector<MapEntry>& bucket = map->m_buckets[b];
    for (size_t i = 0; i < bucket.size(); ++i) {
        if (bucket[i].hash == hash && SameKey(bucket[i].key, key)) {
            *place = {b, i};
            return true;
        }
    }
    return false;
}

MapEntry* FindEntry(CDS_Map* map, const Value& key)
{
    Place place{};
    return FindPlace(map, key, &place) ? &map->m_buckets[place.bucket][place.index] : nullptr;
}

}  // namespace

CDS_Map::CDS_Map(uint32_t bucketCount)
    : m_mask(std::clamp<uint32_t>(bucketCount, 1, kDSMapMaxBuckets) - 1),
      m_buckets(static_cast<size_t>(m_mask) + 1)
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
    std::vector<MapEntry>& bucket = map->m_buckets[place.bucket];
    FreeEntry(bucket[place.index]);
    bucket.erase(bucket.begin() + static_cast<std::ptrdiff_t>(place.index));
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
    for (const std::vector<MapEntry>& bucket : map->m_buckets) {
        if (!bucket.empty()) {
            return &bucket.front().key;
        }
    }
    return nullptr;
}

const Value* DS_Map_FindLast(const CDS_Map* map)
{
    for (auto bucket = map->m_buckets.rbegin(); bucket != map->m_buckets.rend(); ++bucket) {
        if (!bucket->empty()) {
            return &bucket->back().key;
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
    if (place.index + 1 < map->m_buckets[place.bucket].size()) {
        return &map->m_buckets[place.bucket][place.index + 1].key;
    }
    for (size_t b = place.bucket + 1; b < map->m_buckets.size(); ++b) {
        if (!map->m_buckets[b].empty()) {
            return &map->m_buckets[b].front().key;
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
        return &map->m_buckets[place.bucket][place.index - 1].key;
    }
    for (size_t b = place.bucket; b-- > 0;) {
        if (!map->m_buckets[b].empty()) {
            return &map->m_buckets[b].back().key;
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
    for (std::vector<MapEntry>& bucket : map->m_buckets) {
        for (MapEntry& entry : bucket) {
            DS_DestroyOwned(entry.value, map->m_owned, map);
        }
    }
    DS_Map_FreeEntries(map);
}

void DS_Map_FreeEntries(CDS_Map* map)
{
    for (std::vector<MapEntry>& bucket : map->m_buckets) {
        for (MapEntry& entry : bucket) {
            FreeEntry(entry);
        }
        bucket.clear();
    }
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
