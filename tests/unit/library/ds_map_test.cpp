#include "library/ds_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::ScriptValue;

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
        std::vector<std::string> keys;
        DS_Map_ForEach(m_map, [&keys](const MapEntry& entry) {
            keys.push_back(Value_Kind(entry.key) == kValueString ? Value_String(entry.key)
                                                                : "r" + std::to_string(entry.key.real));
        });
        return keys;
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
        EXPECT_GE(map->m_buckets.size(), 1u);
        EXPECT_LE(map->m_buckets.size(), kDSMapMaxBuckets);
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
