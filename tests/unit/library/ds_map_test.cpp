#include "library/ds_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::ScriptValue;

// A key as text: "r<real>" or the string.
std::string KeyName(const Value& key)
{
    return Value_Kind(key) == kValueString ? Value_String(key) : "r" + std::to_string(key.real);
}

// The keys of a map in iteration order, as each walk sees them: visiting
// every entry (ds_map_write, json_encode, copies), find_first and find_next,
// and find_last and find_previous read backwards.
struct Walks {
    std::vector<std::string> visited, forward, backward;
};

Walks WalkAllWays(CDS_Map* map)
{
    Walks walks;
    DS_Map_ForEach(map, [&walks](const MapEntry& entry) { walks.visited.push_back(KeyName(entry.key)); });
    for (const Value* key = DS_Map_FindFirst(map); key != nullptr; key = DS_Map_FindNext(map, *key)) {
        walks.forward.push_back(KeyName(*key));
    }
    for (const Value* key = DS_Map_FindLast(map); key != nullptr; key = DS_Map_FindPrevious(map, *key)) {
        walks.backward.insert(walks.backward.begin(), KeyName(*key));
    }
    return walks;
}

class DSMapTest : public test::LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        m_map = DS_MapPool().Get(DS_Map_Create());
    }
    bool Add(const ScriptValue& key, const ScriptValue& value) { return DS_Map_Add(m_map, key.Get(), value.Get()); }
    const Value* Find(const ScriptValue& key) { return DS_Map_Find(m_map, key.Get()); }
    // The keys in iteration order, as text ("r<real>" or the string).
    std::vector<std::string> Keys() const
    {
        return WalkAllWays(m_map).visited;
    }

    CDS_Map* m_map = nullptr;
};

TEST_F(DSMapTest, AddKeepsTheFirstValueAndReplaceAddsAMissingKey)
{
    EXPECT_TRUE(Add("a", 1.0));
    EXPECT_FALSE(Add("a", 2.0));
    EXPECT_EQ(Find("a")->real, 1.0);
    EXPECT_TRUE(DS_Map_Replace(m_map, ScriptValue("a").Get(), ScriptValue(3.0).Get()));
    EXPECT_EQ(Find("a")->real, 3.0);
    EXPECT_FALSE(DS_Map_Replace(m_map, ScriptValue("b").Get(), ScriptValue(4.0).Get()));
    EXPECT_EQ(Find("b")->real, 4.0);
    EXPECT_EQ(DS_Map_Size(m_map), 2);
    DS_Map_Delete(m_map, ScriptValue("a").Get());
    DS_Map_Delete(m_map, ScriptValue("zzz").Get());
    EXPECT_FALSE(DS_Map_Exists(m_map, ScriptValue("a").Get()));
    EXPECT_EQ(DS_Map_Size(m_map), 1);
}

TEST_F(DSMapTest, KeysOfOtherKindsOrOtherZerosAreOtherKeys)
{
    EXPECT_TRUE(Add("1", "string one"));
    EXPECT_TRUE(Add(1.0, "real one"));
    EXPECT_TRUE(Add(0.0, "zero"));
    EXPECT_TRUE(Add(-0.0, "minus zero"));
    EXPECT_EQ(DS_Map_Size(m_map), 4);
    EXPECT_EQ(std::string(Value_String(*Find(-0.0))), "minus zero");
    EXPECT_EQ(std::string(Value_String(*Find("1"))), "string one");
}

TEST_F(DSMapTest, KeysWithTheSameHashStayApart)
{
    const ScriptValue first("plumless");
    const ScriptValue second("buckeroo");
    ASSERT_EQ(DS_Map_HashKey(first.Get()), DS_Map_HashKey(second.Get()));
    EXPECT_TRUE(Add(first, 1.0));
    EXPECT_TRUE(Add(second, 2.0));
    EXPECT_EQ(Find(first)->real, 1.0);
    EXPECT_EQ(Find(second)->real, 2.0);
    EXPECT_EQ(Keys(), std::vector<std::string>({"plumless", "buckeroo"}));
    DS_Map_Delete(m_map, second.Get());
    EXPECT_EQ(Find(first)->real, 1.0);
    EXPECT_EQ(Find(second), nullptr);
}

TEST_F(DSMapTest, IterationFollowsBucketsThenInsertion)
{
    EXPECT_EQ(DS_Map_FindFirst(m_map), nullptr);
    EXPECT_EQ(DS_Map_FindLast(m_map), nullptr);
    // "a" falls in bucket 444, "b" in bucket 6, the real 2 in bucket 262.
    Add("a", 1.0);
    Add(2.0, 1.0);
    Add("b", 1.0);
    EXPECT_EQ(Keys(), std::vector<std::string>({"b", "r2.000000", "a"}));
    EXPECT_EQ(std::string(Value_String(*DS_Map_FindFirst(m_map))), "b");
    EXPECT_EQ(std::string(Value_String(*DS_Map_FindLast(m_map))), "a");
    EXPECT_EQ(DS_Map_FindNext(m_map, ScriptValue("b").Get())->real, 2.0);
    EXPECT_EQ(std::string(Value_String(*DS_Map_FindNext(m_map, ScriptValue(2.0).Get()))), "a");
    EXPECT_EQ(DS_Map_FindNext(m_map, ScriptValue("a").Get()), nullptr);
    EXPECT_EQ(DS_Map_FindPrevious(m_map, ScriptValue("a").Get())->real, 2.0);
    EXPECT_EQ(DS_Map_FindPrevious(m_map, ScriptValue("b").Get()), nullptr);
    EXPECT_EQ(DS_Map_FindNext(m_map, ScriptValue("missing").Get()), nullptr);
}

// Keys in the order a game adds them, each with its bucket among 4096:
// three keys share bucket 9 and three bucket 37, added apart.
struct KeyInBucket {
    const char* key;
    uint32_t bucket;
};
constexpr KeyInBucket kAddedKeys[] = {
    {"item4", 641}, {"item10872", 9}, {"item963", 4095}, {"item8", 3754}, {"item1354", 37},
    {"item4470", 9}, {"item0", 1688}, {"item547", 0}, {"item9", 3644}, {"item14530", 37},
    {"item2", 1972}, {"item5", 535}, {"item11214", 9}, {"item1", 1550}, {"item6", 941},
    {"item8577", 37}, {"item3", 1826}, {"item7", 827}, {"item10", 3741}, {"item11", 3595},
};

// The order every walk must give: bucket by bucket (of bucketCount), and
// within a bucket in the order the keys were added.
std::vector<std::string> BucketsThenAdded(std::vector<KeyInBucket> added, uint32_t bucketCount)
{
    std::stable_sort(added.begin(), added.end(), [bucketCount](const KeyInBucket& a, const KeyInBucket& b) {
        return (a.bucket & (bucketCount - 1)) < (b.bucket & (bucketCount - 1));
    });
    std::vector<std::string> keys;
    for (const KeyInBucket& row : added) keys.push_back(row.key);
    return keys;
}

void ExpectWalksInOrder(CDS_Map* map, const std::vector<KeyInBucket>& added, uint32_t bucketCount)
{
    const std::vector<std::string> expected = BucketsThenAdded(added, bucketCount);
    const Walks walks = WalkAllWays(map);
    EXPECT_EQ(walks.visited, expected);
    EXPECT_EQ(walks.forward, expected);
    EXPECT_EQ(walks.backward, expected);
}

TEST_F(DSMapTest, EveryWalkKeepsTheBucketOrderWhileTheMapFillsAndEmpties)
{
    for (const uint32_t bucketCount : {kDSMapDefaultBuckets, 16u}) {
        SCOPED_TRACE(bucketCount);
        CDS_Map* map = DS_MapPool().Get(DS_Map_CreateSized(bucketCount));
        std::vector<KeyInBucket> added;
        for (const KeyInBucket& row : kAddedKeys) {
            ASSERT_EQ(DS_Map_HashKey(ScriptValue(row.key).Get()) & 4095, row.bucket) << row.key;
            DS_Map_Add(map, ScriptValue(row.key).Get(), ScriptValue(1.0).Get());
            added.push_back(row);
            ExpectWalksInOrder(map, added, bucketCount);
        }
        // A key deleted and added again (the second added) goes to the end
        // of its bucket.
        DS_Map_Delete(map, ScriptValue("item10872").Get());
        DS_Map_Add(map, ScriptValue("item10872").Get(), ScriptValue(2.0).Get());
        std::rotate(added.begin() + 1, added.begin() + 2, added.end());
        ExpectWalksInOrder(map, added, bucketCount);
        EXPECT_EQ(DS_Map_Find(map, ScriptValue("item10872").Get())->real, 2.0);
        // With the middle gone, the walks go from the first bucket to the last.
        for (const KeyInBucket& row : kAddedKeys) {
            if (row.bucket != 0 && row.bucket != 4095) DS_Map_Delete(map, ScriptValue(row.key).Get());
        }
        ExpectWalksInOrder(map, {{"item963", 4095}, {"item547", 0}}, bucketCount);
        // An emptied map fills again in the same order.
        DS_Map_Clear(map);
        ExpectWalksInOrder(map, {}, bucketCount);
        for (const KeyInBucket& row : kAddedKeys) DS_Map_Add(map, ScriptValue(row.key).Get(), ScriptValue(1.0).Get());
        ExpectWalksInOrder(map, {std::begin(kAddedKeys), std::end(kAddedKeys)}, bucketCount);
        EXPECT_EQ(DS_Map_Size(map), 20);
    }
}

TEST_F(DSMapTest, WalkingByKeyGoesOnFromTheKeyItself)
{
    // -0 is a key of its own: with only 0 (bucket 150) and "x" (bucket 2428)
    // in the map it is no key to go on from. A NaN key is found though it
    // equals nothing, so the walk goes on past it.
    Add(0.0, 1.0);
    Add("x", 1.0);
    EXPECT_EQ(DS_Map_FindNext(m_map, ScriptValue(-0.0).Get()), nullptr);
    const ScriptValue nan(std::nan(""));
    Add(nan, 1.0);
    EXPECT_TRUE(DS_Map_FindNext(m_map, nan.Get()) != nullptr || DS_Map_FindPrevious(m_map, nan.Get()) != nullptr);
}

TEST_F(DSMapTest, CreateWithPairsKeepsTheFirstOfARepeatedKey)
{
    const DSMapPair pairs[] = {{"id", 3, nullptr}, {"url", 0, "http://x"}, {"id", 9, nullptr}};
    CDS_Map* map = DS_MapPool().Get(DS_Map_CreateWithPairs(pairs));
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(DS_Map_Size(map), 2);
    EXPECT_EQ(DS_Map_Find(map, ScriptValue("id").Get())->real, 3.0);
    EXPECT_EQ(std::string(Value_String(*DS_Map_Find(map, ScriptValue("url").Get()))), "http://x");
}

TEST_F(DSMapTest, SizedMapsKeepTheirBucketCountInRange)
{
    for (int64_t asked : {int64_t{0}, int64_t{-5}, int64_t{1} << 40, int64_t{3}}) {
        CDS_Map* map = DS_MapPool().Get(DS_Map_CreateSized(asked));
        ASSERT_NE(map, nullptr);
        EXPECT_LT(map->m_mask, kDSMapMaxBuckets);
        for (int i = 0; i < 50; ++i) EXPECT_TRUE(DS_Map_Add(map, ScriptValue(i).Get(), ScriptValue(i).Get()));
        EXPECT_EQ(DS_Map_Find(map, ScriptValue(49.0).Get())->real, 49.0);
    }
}

TEST_F(DSMapTest, CopyOntoItselfKeepsTheEntries)
{
    Add("a", 1.0);
    DS_Map_Copy(m_map, m_map);
    EXPECT_EQ(DS_Map_Size(m_map), 1);
}

}  // namespace
}  // namespace bw
