#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/arrays.h"
#include "platform/hash.h"
#include "platform/linked_list.h"
#include "platform/memory.h"
#include "platform/string_list.h"

namespace bw {
namespace {

// ---- Hash -------------------------------------------------------------------

std::vector<std::pair<uint32_t, int>> WalkOf(const Hash<int>& hash)
{
    std::vector<std::pair<uint32_t, int>> walk;
    for (const auto& node : hash) {
        walk.emplace_back(node.key, node.value);
    }
    return walk;
}

TEST(HashTest, WalkGoesBucketByBucketInInsertionOrder)
{
    Hash<int> hash(4);
    const uint32_t keys[] = {5, 1, 4, 9, 0, 13, 2};
    for (int i = 0; i < 7; ++i) {
        hash.Insert(keys[i], i);
    }
    const std::vector<std::pair<uint32_t, int>> expected = {
        {4, 2}, {0, 4}, {5, 0}, {1, 1}, {9, 3}, {13, 5}, {2, 6}};
    EXPECT_EQ(WalkOf(hash), expected);
    EXPECT_EQ(hash.Count(), 7);
    EXPECT_EQ(hash.Mask(), 3u);
}

TEST(HashTest, FindGivesTheFirstNodeWithTheKey)
{
    Hash<int> hash(8);
    hash.Insert(3, 10);
    hash.Insert(11, 20);
    hash.Insert(3, 30);
    ASSERT_NE(hash.Find(3), nullptr);
    EXPECT_EQ(*hash.Find(3), 10);
    EXPECT_EQ(*hash.Find(11), 20);
    EXPECT_EQ(hash.Find(19), nullptr);  // same bucket, no such key
    EXPECT_EQ(hash.Find(4), nullptr);   // empty bucket
}

TEST(HashTest, DeleteUnlinksOnlyTheFirstMatch)
{
    Hash<int> hash(8);
    hash.Insert(3, 10);
    hash.Insert(11, 20);
    hash.Insert(3, 30);

    EXPECT_EQ(hash.Delete(3), std::optional<int>(10));
    EXPECT_EQ(*hash.Find(3), 30);
    EXPECT_EQ(hash.Count(), 2);
    const std::vector<std::pair<uint32_t, int>> expected = {{11, 20}, {3, 30}};
    EXPECT_EQ(WalkOf(hash), expected);

    EXPECT_EQ(hash.Delete(19), std::nullopt);
    EXPECT_EQ(hash.Count(), 2);
}

TEST(HashTest, ClearReleasesFromTheLastBucketToTheFirst)
{
    Hash<int> hash(4);
    for (uint32_t key : {0u, 1u, 5u, 3u, 4u}) {
        hash.Insert(key, static_cast<int>(key));
    }
    std::vector<int> released;
    std::vector<int32_t> countsSeen;
    hash.Clear([&](int value) {
        released.push_back(value);
        countsSeen.push_back(hash.Count());
    });
    EXPECT_EQ(released, (std::vector<int>{3, 1, 5, 0, 4}));
    EXPECT_EQ(countsSeen, (std::vector<int32_t>{4, 3, 2, 1, 0}));
    EXPECT_EQ(hash.begin(), hash.end());
    hash.Insert(2, 7);  // the buckets stay usable
    EXPECT_EQ(*hash.Find(2), 7);
}

TEST(HashTest, BucketCountThatIsNoPowerOfTwoKeepsKeysInRange)
{
    Hash<int> hash(6);  // mask 5
    hash.Insert(7, 1);
    hash.Insert(2, 2);
    hash.Insert(0xFFFFFFFFu, 3);
    const std::vector<std::pair<uint32_t, int>> expected = {{2, 2}, {7, 1}, {0xFFFFFFFFu, 3}};
    EXPECT_EQ(WalkOf(hash), expected);
    EXPECT_EQ(*hash.Find(0xFFFFFFFFu), 3);
}

TEST(HashTest, ZeroBucketsCountAsOne)
{
    Hash<int> hash(0);
    EXPECT_EQ(hash.Mask(), 0u);
    hash.Insert(12345, 1);
    EXPECT_EQ(*hash.Find(12345), 1);
}

// ---- Array templates ----------------------------------------------------------

struct Tracked {
    explicit Tracked(int id, std::vector<int>& destroyed) : id(id), destroyed(destroyed) {}
    ~Tracked() { destroyed.push_back(id); }
    int id;
    std::vector<int>& destroyed;
};

class OwnedArrayTest : public testing::Test {
protected:
    void Fill(int count)
    {
        m_array.SetLength(count);
        for (int i = 0; i < count; ++i) {
            m_array.Set(i, std::make_unique<Tracked>(i, m_destroyed));
        }
    }
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (int i = 0; i < m_array.Length(); ++i) {
            const Tracked* item = m_array.Get(i);
            ids.push_back(item != nullptr ? item->id : -1);
        }
        return ids;
    }

    std::vector<int> m_destroyed;  // outlives m_array
    cARRAY_CLASS<Tracked> m_array;
};

TEST_F(OwnedArrayTest, GrowingAddsEmptySlots)
{
    Fill(2);
    m_array.SetLength(4);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1, -1, -1}));
    EXPECT_TRUE(m_destroyed.empty());
}

TEST_F(OwnedArrayTest, ShrinkingDeletesTheObjectsOfDroppedSlotsOnly)
{
    Fill(4);
    m_array.SetLength(2);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1}));
    EXPECT_EQ(m_destroyed.size(), 2u);
    EXPECT_NE(std::find(m_destroyed.begin(), m_destroyed.end(), 2), m_destroyed.end());
    EXPECT_NE(std::find(m_destroyed.begin(), m_destroyed.end(), 3), m_destroyed.end());

    m_array.SetLength(-5);  // a negative length empties the array
    EXPECT_EQ(m_array.Length(), 0);
    EXPECT_EQ(m_destroyed.size(), 4u);
}

TEST_F(OwnedArrayTest, SetDeletesTheObjectItReplaces)
{
    Fill(2);
    m_array.Set(1, std::make_unique<Tracked>(9, m_destroyed));
    EXPECT_EQ(Ids(), (std::vector<int>{0, 9}));
    EXPECT_EQ(m_destroyed, std::vector<int>{1});
}

TEST_F(OwnedArrayTest, IndicesOutOfRangeTouchNoSlot)
{
    Fill(2);
    m_array.Set(2, std::make_unique<Tracked>(9, m_destroyed));  // not kept: deleted at once
    m_array.RemoveAt(-1);
    m_array.RemoveAt(2);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1}));
    EXPECT_EQ(m_destroyed, std::vector<int>{9});
    EXPECT_EQ(m_array.Get(2), nullptr);
    EXPECT_EQ(m_array.Get(-1), nullptr);
}

TEST_F(OwnedArrayTest, RemoveAtDeletesAndMovesTheLaterItemsDown)
{
    Fill(4);
    m_array.RemoveAt(1);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 2, 3, -1}));
    EXPECT_EQ(m_destroyed, std::vector<int>{1});
}

TEST(UnownedArrayTest, DroppingAndRemovingLeaveTheObjectsAlone)
{
    std::vector<int> destroyed;
    Tracked first(0, destroyed);
    Tracked second(1, destroyed);
    {
        cARRAY_CLASS_NO_DELETE<Tracked> array;
        array.SetLength(2);
        array.Set(0, &first);
        array.Set(1, &second);
        array.RemoveAt(0);
        EXPECT_EQ(array.Get(0), &second);
        EXPECT_EQ(array.Get(1), nullptr);
        array.SetLength(0);
    }
    EXPECT_TRUE(destroyed.empty());
}

struct Record {
    int32_t a;
    double b;
};

TEST(StructureArrayTest, NewSlotsAreZeroedEvenAfterShrinking)
{
    cARRAY_STRUCTURE<Record> array;
    array.SetLength(3);
    for (int i = 0; i < 3; ++i) {
        array[i] = Record{i + 1, 0.5};
    }
    array.SetLength(1);
    array.SetLength(3);
    EXPECT_EQ(array[0].a, 1);
    EXPECT_EQ(array[1].a, 0);
    EXPECT_EQ(array[1].b, 0.0);
    EXPECT_EQ(array[2].a, 0);
}

TEST(StructureArrayTest, RemoveAtMovesTheLaterRecordsDownAndZeroesTheLast)
{
    cARRAY_STRUCTURE<int32_t> times;
    times.SetLength(4);
    for (int i = 0; i < 4; ++i) {
        times[i] = (i + 1) * 10;
    }
    times.RemoveAt(0);
    ASSERT_EQ(times.Length(), 4);
    EXPECT_EQ(times[0], 20);
    EXPECT_EQ(times[1], 30);
    EXPECT_EQ(times[2], 40);
    EXPECT_EQ(times[3], 0);
}

TEST(MemoryArrayTest, DroppedAndRemovedBlocksGoBackToTheMemoryManager)
{
    const uint32_t blocksBefore = MemoryManager_Counters().blocksInUse;
    cARRAY_MEMORY<char> array;
    array.SetLength(3);
    for (int i = 0; i < 3; ++i) {
        array.Set(i, MemoryBlockPtr<char>(static_cast<char*>(BW_ALLOC(16, true))));
    }
    EXPECT_EQ(MemoryManager_Counters().blocksInUse - blocksBefore, 3u);
    array.RemoveAt(0);
    EXPECT_EQ(MemoryManager_Counters().blocksInUse - blocksBefore, 2u);
    array.SetLength(0);
    EXPECT_EQ(MemoryManager_Counters().blocksInUse, blocksBefore);
}

// ---- SLinkedList ------------------------------------------------------------------

struct ListRemovalCase {
    const char* name;
    int removed;
    std::vector<int> forward;
};

class LinkedListRemovalTest : public testing::TestWithParam<ListRemovalCase> {};

TEST_P(LinkedListRemovalTest, RemovalKeepsBothWalkOrders)
{
    SLinkedList<int> list;
    for (int item : {1, 2, 3}) {
        list.Append(item);
    }
    EXPECT_TRUE(list.Remove(GetParam().removed));

    const std::vector<int> forward(list.begin(), list.end());
    const std::vector<int> backward(list.rbegin(), list.rend());
    EXPECT_EQ(forward, GetParam().forward);
    EXPECT_EQ(backward, std::vector<int>(GetParam().forward.rbegin(), GetParam().forward.rend()));
    EXPECT_EQ(list.Count(), 2);
}

INSTANTIATE_TEST_SUITE_P(Positions, LinkedListRemovalTest,
                         testing::Values(ListRemovalCase{"Head", 1, {2, 3}}, ListRemovalCase{"Middle", 2, {1, 3}},
                                         ListRemovalCase{"Tail", 3, {1, 2}}),
                         [](const testing::TestParamInfo<ListRemovalCase>& info) { return info.param.name; });

TEST(LinkedListTest, RemoveUnlinksOnlyTheFirstNodeHoldingTheItemIfAny)
{
    SLinkedList<int> list;
    for (int item : {7, 8, 7}) {
        list.Append(item);
    }
    EXPECT_TRUE(list.Remove(7));
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{8, 7}));
    EXPECT_FALSE(list.Remove(9));
    EXPECT_EQ(list.Count(), 2);
}

// ---- TStringList ------------------------------------------------------------------

TEST(StringListTest, LinesPointIntoTheTextCutInPlace)
{
    TStringList lines;
    lines.SetText(u"one two\nthree");
    lines.Text()[7] = 0;
    EXPECT_TRUE(lines.Add(0));
    EXPECT_TRUE(lines.Add(8));
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(std::u16string(lines.Line(0)), u"one two");
    EXPECT_EQ(std::u16string(lines.Line(1)), u"three");
    EXPECT_EQ(lines.Line(2), nullptr);
    EXPECT_EQ(lines.Line(-1), nullptr);
}

TEST(StringListTest, PositionPastTheTerminatorIsRefused)
{
    TStringList lines;
    lines.SetText(u"ab");
    EXPECT_TRUE(lines.Add(2));  // the empty line at the terminator
    EXPECT_FALSE(lines.Add(3));
    EXPECT_EQ(lines.Count(), 1);
}

TEST(StringListTest, NewTextAndClearDropTheLines)
{
    TStringList lines;
    lines.SetText(u"first");
    lines.Add(0);
    lines.SetText(u"second");
    EXPECT_EQ(lines.Count(), 0);
    lines.Add(0);
    EXPECT_EQ(std::u16string(lines.Line(0)), u"second");
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(lines.TextLength(), 0u);
}

}  // namespace
}  // namespace bw
