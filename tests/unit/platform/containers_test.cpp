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

using Walk = std::vector<std::pair<uint32_t, int>>;

Walk WalkOf(const Hash<int>& hash)
{
    Walk walk;
    for (const auto& node : hash) walk.emplace_back(node.key, node.value);
    return walk;
}

// Game code sees this order (ds_map iteration, first-match name searches).
TEST(HashTest, WalkGoesBucketByBucketInInsertionOrder)
{
    // keys are inserted with their index as value
    const struct { uint32_t buckets; std::vector<uint32_t> keys; uint32_t mask; Walk walk; } cases[] = {
        {4, {5, 1, 4, 9, 0, 13, 2}, 3, {{4, 2}, {0, 4}, {5, 0}, {1, 1}, {9, 3}, {13, 5}, {2, 6}}},
        {6, {7, 2, 0xFFFFFFFFu}, 5, {{2, 1}, {7, 0}, {0xFFFFFFFFu, 2}}},  // no power of two: keys stay in range
        {0, {12345, 1}, 0, {{12345, 0}, {1, 1}}},                          // zero buckets count as one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buckets);
        Hash<int> hash(c.buckets);
        for (size_t i = 0; i < c.keys.size(); ++i) hash.Insert(c.keys[i], static_cast<int>(i));
        EXPECT_EQ(hash.Mask(), c.mask);
        EXPECT_EQ(hash.Count(), static_cast<int32_t>(c.keys.size()));
        EXPECT_EQ(WalkOf(hash), c.walk);
    }
}

TEST(HashTest, FindAndDeleteTakeTheFirstNodeWithTheKey)
{
    Hash<int> hash(8);
    hash.Insert(3, 10);
    hash.Insert(11, 20);
    hash.Insert(3, 30);
    EXPECT_EQ(*hash.Find(3), 10);
    EXPECT_EQ(hash.Find(19), nullptr);  // same bucket, no such key
    EXPECT_EQ(hash.Find(4), nullptr);   // empty bucket
    EXPECT_EQ(hash.Delete(3), std::optional<int>(10));
    EXPECT_EQ(*hash.Find(3), 30);
    EXPECT_EQ(WalkOf(hash), (Walk{{11, 20}, {3, 30}}));
    EXPECT_EQ(hash.Delete(19), std::nullopt);
    EXPECT_EQ(hash.Count(), 2);
}

TEST(HashTest, DeleteByKeyAndValueTakesThatNodeAndKeepsTheOthersInOrder)
{
    Hash<int> hash(8);
    hash.Insert(3, 10);
    hash.Insert(3, 30);
    hash.Insert(11, 30);
    hash.Insert(3, 50);
    EXPECT_TRUE(hash.Delete(3, 30));
    EXPECT_EQ(WalkOf(hash), (Walk{{3, 10}, {11, 30}, {3, 50}}));
    EXPECT_FALSE(hash.Delete(3, 30));
    EXPECT_FALSE(hash.Delete(11, 10));
    EXPECT_EQ(hash.Count(), 3);
}

TEST(HashTest, ClearReleasesFromTheLastBucketToTheFirst)
{
    Hash<int> hash(4);
    for (uint32_t key : {0u, 1u, 5u, 3u, 4u}) hash.Insert(key, static_cast<int>(key));
    std::vector<std::pair<int, int32_t>> released;  // value, count left when released
    hash.Clear([&](int value) { released.emplace_back(value, hash.Count()); });
    EXPECT_EQ(released, (std::vector<std::pair<int, int32_t>>{{3, 4}, {1, 3}, {5, 2}, {0, 1}, {4, 0}}));
    EXPECT_EQ(hash.begin(), hash.end());
    hash.Insert(2, 7);  // the buckets stay usable
    EXPECT_EQ(*hash.Find(2), 7);
}

struct Tracked {
    Tracked(int id, std::vector<int>* destroyed) : id(id), destroyed(destroyed) {}
    int id;
    std::vector<int>* destroyed;
    ~Tracked() { destroyed->push_back(id); }
};

// Four owned objects 0..3; Ids() shows -1 for an empty slot.
class OwnedArrayTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_array.SetLength(4);
        for (int i = 0; i < 4; ++i) m_array.Set(i, Make(i));
    }
    std::unique_ptr<Tracked> Make(int id) { return std::make_unique<Tracked>(id, &m_destroyed); }
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (int i = 0; i < m_array.Length(); ++i) ids.push_back(m_array.Get(i) ? m_array.Get(i)->id : -1);
        return ids;
    }

    std::vector<int> m_destroyed;  // outlives m_array
    cARRAY_CLASS<Tracked> m_array;
};

TEST_F(OwnedArrayTest, SetLengthAddsEmptySlotsAndDeletesTheObjectsOfDroppedOnes)
{
    m_array.SetLength(2);
    std::sort(m_destroyed.begin(), m_destroyed.end());
    EXPECT_EQ(m_destroyed, (std::vector<int>{2, 3}));
    m_array.SetLength(3);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1, -1}));
    m_array.SetLength(-5);  // a negative length empties the array
    EXPECT_EQ(m_array.Length(), 0);
    EXPECT_EQ(m_destroyed.size(), 4u);
}

TEST_F(OwnedArrayTest, SetAndRemoveAtDeleteWhatTheyDropAndTouchNoSlotOutOfRange)
{
    m_array.Set(1, Make(9));
    m_array.Set(4, Make(8));  // not kept: deleted at once
    m_array.RemoveAt(-1);
    m_array.RemoveAt(4);
    m_array.RemoveAt(0);  // later items move down, the last slot empties
    EXPECT_EQ(Ids(), (std::vector<int>{9, 2, 3, -1}));
    EXPECT_EQ(m_destroyed, (std::vector<int>{1, 8, 0}));
    EXPECT_EQ(m_array.Get(4), nullptr);
    EXPECT_EQ(m_array.Get(-1), nullptr);
}

TEST(UnownedArrayTest, DroppingAndRemovingLeaveTheObjectsAlone)
{
    std::vector<int> destroyed;
    Tracked first{0, &destroyed};
    Tracked second{1, &destroyed};
    cARRAY_CLASS_NO_DELETE<Tracked> array;
    array.SetLength(2);
    array.Set(0, &first);
    array.Set(1, &second);
    array.RemoveAt(0);
    EXPECT_EQ(array.Get(0), &second);
    EXPECT_EQ(array.Get(1), nullptr);
    array.SetLength(0);
    EXPECT_TRUE(destroyed.empty());
}

TEST(StructureArrayTest, SlotsFreedByRemovalOrShrinkingComeBackZeroed)
{
    cARRAY_STRUCTURE<int32_t> array;
    array.SetLength(4);
    for (int i = 0; i < 4; ++i) array[i] = (i + 1) * 10;
    array.RemoveAt(0);  // later records move down
    EXPECT_EQ(array[2], 40);
    EXPECT_EQ(array[3], 0);
    array.SetLength(1);
    array.SetLength(3);
    EXPECT_EQ(array[0], 20);
    EXPECT_EQ(array[1], 0);
    EXPECT_EQ(array[2], 0);
}

TEST(MemoryArrayTest, DroppedAndRemovedBlocksGoBackToTheMemoryManager)
{
    const uint32_t blocksBefore = MemoryManager_Counters().blocksInUse;
    cARRAY_MEMORY<char> array;
    array.SetLength(3);
    for (int i = 0; i < 3; ++i) array.Set(i, MemoryBlockPtr<char>(static_cast<char*>(BW_ALLOC(16, true))));
    EXPECT_EQ(MemoryManager_Counters().blocksInUse - blocksBefore, 3u);
    array.RemoveAt(0);
    EXPECT_EQ(MemoryManager_Counters().blocksInUse - blocksBefore, 2u);
    array.SetLength(0);
    EXPECT_EQ(MemoryManager_Counters().blocksInUse, blocksBefore);
}

// Event passes walk from the head and drawing from the tail.
TEST(LinkedListTest, RemoveUnlinksTheFirstMatchAndKeepsBothWalkOrders)
{
    SLinkedList<int> list;
    for (int item : {7, 8, 7, 9}) list.Append(item);
    EXPECT_TRUE(list.Remove(7));  // the head
    EXPECT_TRUE(list.Remove(9));  // the tail
    EXPECT_FALSE(list.Remove(5));
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{8, 7}));
    EXPECT_EQ(std::vector<int>(list.rbegin(), list.rend()), (std::vector<int>{7, 8}));
    EXPECT_EQ(list.Count(), 2);
}

TEST(StringListTest, LinesPointIntoTheTextCutInPlaceAndNeverPastIt)
{
    TStringList lines;
    lines.SetText(u"one two\nthree");
    lines.Text()[7] = 0;
    EXPECT_TRUE(lines.Add(0));
    EXPECT_TRUE(lines.Add(8));
    EXPECT_TRUE(lines.Add(13));   // the empty line at the terminator
    EXPECT_FALSE(lines.Add(14));  // past it
    ASSERT_EQ(lines.Count(), 3);
    EXPECT_EQ(std::u16string(lines.Line(0)), u"one two");
    EXPECT_EQ(std::u16string(lines.Line(1)), u"three");
    EXPECT_EQ(std::u16string(lines.Line(2)), u"");
    EXPECT_EQ(lines.Line(3), nullptr);
    EXPECT_EQ(lines.Line(-1), nullptr);
}

// Positions kept from an earlier, longer text would point past the new one.
TEST(StringListTest, NewTextAndClearDropTheLines)
{
    TStringList lines;
    lines.SetText(u"first line");
    lines.Add(6);
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
