// ds_map: game code's dictionary, keyed by reals or strings. Entries sit in
// buckets chosen by the CRC-32 register of the key (the bytes of a string,
// the 8 bytes of a real), each bucket in insertion order. Games see that
// order through iteration and ds_map_write, so it must stay exactly so.
//
// Two keys are the same key when they hash alike AND are alike: strings with
// the same bytes, or non-strings of the same kind with the same 8 bytes of
// real (so 0 and -0 are different keys, and so are "1" and 1).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "library/ds.h"
#include "script/value.h"

namespace bw {

struct MapEntry {
    uint32_t hash;
    Value key;
    Value value;
};

// A map stores what its entries need, not a table of every bucket: the
// buckets are cut into a power-of-two number of runs of neighbouring buckets,
// and each run keeps its entries in one array in iteration order. The runs
// double as the map fills, until each run is one bucket; a lookup walks one
// run as it would walk one bucket. An empty map is one empty run.
class CDS_Map {
public:
    explicit CDS_Map(uint32_t bucketCount);
    ~CDS_Map();  // clears the map, destroying what it owns
    CDS_Map(const CDS_Map&) = delete;
    CDS_Map& operator=(const CDS_Map&) = delete;

    uint32_t m_mask;      // an entry's bucket is hash & mask
    uint32_t m_runShift;  // a bucket's run is bucket >> runShift
    int32_t m_count = 0;
    std::vector<std::vector<MapEntry>> m_runs;  // never empty
    OwnedStructures m_owned;
};

inline constexpr uint32_t kDSMapDefaultBuckets = 4096;
// Bucket counts asked for by callers are kept between 1 and this.
inline constexpr uint32_t kDSMapMaxBuckets = 65536;

DataStructurePool<CDS_Map>& DS_MapPool();

uint32_t DS_Map_HashKey(const Value& key);

// The stored value of key, or null.
Value* DS_Map_Find(CDS_Map* map, const Value& key);
// Adds copies of key and value at the end of their bucket; false (nothing
// added) when the key is present.
bool DS_Map_Add(CDS_Map* map, const Value& key, const Value& value);
// True when the key was present (its value replaced); else adds, false.
bool DS_Map_Replace(CDS_Map* map, const Value& key, const Value& value);
void DS_Map_Delete(CDS_Map* map, const Value& key);
bool DS_Map_Exists(CDS_Map* map, const Value& key);
int32_t DS_Map_Size(const CDS_Map* map);
bool DS_Map_Empty(const CDS_Map* map);

// Iteration by key: buckets upward, each in insertion order. FindNext and
// FindPrevious find the entry of the key itself, as lookups do, and give the
// key after / before it. Null when there is none.
const Value* DS_Map_FindFirst(const CDS_Map* map);
const Value* DS_Map_FindLast(const CDS_Map* map);
const Value* DS_Map_FindNext(const CDS_Map* map, const Value& key);
const Value* DS_Map_FindPrevious(const CDS_Map* map, const Value& key);

// dest := the entries of source in its order, owning nothing.
void DS_Map_Copy(CDS_Map* dest, const CDS_Map* source);
// Destroys the structures the values own, then frees every entry.
void DS_Map_Clear(CDS_Map* map);
// Frees every entry without destroying owned structures (a map about to be
// refilled from its text form).
void DS_Map_FreeEntries(CDS_Map* map);
// Visits the entries in iteration order.
template <typename Visit>
void DS_Map_ForEach(const CDS_Map* map, Visit&& visit)
{
    for (const std::vector<MapEntry>& run : map->m_runs) {
        for (const MapEntry& entry : run) {
            visit(entry);
        }
    }
}

// ---- entries for other subsystems ----

// A new empty map of 4096 buckets; the sized form takes the bucket count.
int32_t DS_Map_Create();
int32_t DS_Map_CreateSized(int64_t bucketCount);

struct DSMapPair {
    const char* key;
    double real;
    const char* text;  // the value is this text when present, else the real
};
// A new map holding the pairs under string keys; a repeated key keeps its
// first value. Asynchronous results reach game code this way.
int32_t DS_Map_CreateWithPairs(std::span<const DSMapPair> pairs);

// One pair into a live map (the id is not checked: the caller made the map).
void DS_Map_AddReal(int32_t map, const char* key, double real);
void DS_Map_AddString(int32_t map, const char* key, const char* text);
void DS_Map_AddRealKeyReal(int32_t map, double key, double real);
void DS_Map_AddRealKeyString(int32_t map, double key, const char* text);
// As ds_map_add: an invalid id is reported.
void DS_Map_AddRealChecked(int32_t map, const char* key, double real);
void DS_Map_AddStringChecked(int32_t map, const char* key, const char* text);

}  // namespace bw
