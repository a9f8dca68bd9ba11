#include "library/ds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "library/ds_map.h"
#include "library/json.h"
#include "platform/random.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::ScriptValue;

class DSContainersTest : public test::LibraryTest {
protected:
    void TearDown() override
    {
        DS_SetPrecision(1e-8);
        LibraryTest::TearDown();
    }
};

// The reals of a list's entries, in order (strings as NaN would hide; use Text).
std::vector<double> Reals(const CDS_List& list)
{
    std::vector<double> reals;
    for (int32_t i = 0; i < list.Size(); ++i) reals.push_back(list.GetValue(i)->real);
    return reals;
}

TEST_F(DSContainersTest, CompareValuesUsesSinglePrecisionAndKinds)
{
    struct Case { ScriptValue a, b; int32_t expected; };
    const Case cases[] = {
        {1.0, 1.00000001, 0},
        {16777216.0, 16777217.0, 0},  // one float apart is no difference in single precision
        {1.0, 2.0, -1}, {2.0, 1.0, 1}, {1.0, "1", 1}, {"1", 1.0, 1}, {"abc", "abd", -1}, {"abd", "abc", 1},
        {"abc", "abc", 0},
        {"\xff", "a", 1},  // bytes compare unsigned
        {1e300, 1e300, 1},  // both become infinity: inf - inf is NaN
        {-1e300, 1.0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DS_CompareValues(c.a.Get(), c.b.Get()), c.expected) << c.a.Real() << " vs " << c.b.Real();
    }
    ScriptValue absent;
    Value_SetString(absent.Get(), nullptr);
    EXPECT_EQ(DS_CompareValues(absent.Get(), ScriptValue("a").Get()), 1);
    EXPECT_EQ(DS_CompareValues(ScriptValue("a").Get(), absent.Get()), 1);
}

TEST_F(DSContainersTest, PrecisionIsTheMagnitudeOfTheEpsilon)
{
    DS_SetPrecision(-0.5);
    EXPECT_EQ(DS_GetPrecision(), 0.5);
    EXPECT_EQ(DS_CompareValues(ScriptValue(1.0).Get(), ScriptValue(1.4).Get()), 0);
    EXPECT_EQ(DS_CompareValues(ScriptValue(1.0).Get(), ScriptValue(1.6).Get()), -1);
}

TEST_F(DSContainersTest, CreationReusesTheLowestFreedId)
{
    const int32_t first = DS_List_Create();
    const int32_t second = DS_List_Create();
    const int32_t third = DS_List_Create();
    EXPECT_EQ(std::vector<int32_t>({first, second, third}), std::vector<int32_t>({0, 1, 2}));
    DS_ListPool().Destroy(second);
    DS_ListPool().Destroy(first);
    EXPECT_EQ(DS_List_Create(), 0);
    EXPECT_EQ(DS_List_Create(), 1);
    EXPECT_EQ(DS_List_Create(), 3);
    // Each kind has its own ids.
    EXPECT_EQ(DS_QueuePool().Create(), 0);
}

TEST_F(DSContainersTest, StackPopsInReverseAndEmptyHandsOutNothing)
{
    CDS_Stack stack;
    for (double v : {1.0, 2.0, 3.0}) stack.Push(ScriptValue(v).Get());
    EXPECT_EQ(stack.Top()->real, 3.0);
    ScriptValue out;
    std::vector<double> popped;
    while (stack.Pop(out.Get())) popped.push_back(out.Real());
    EXPECT_EQ(popped, std::vector<double>({3, 2, 1}));
    EXPECT_EQ(stack.Top(), nullptr);
    EXPECT_TRUE(stack.Empty());
}

TEST_F(DSContainersTest, QueueCompactsOnceMoreThanHalfIsSpent)
{
    CDS_Queue queue;
    for (int i = 0; i < 30; ++i) queue.Enqueue(ScriptValue(i).Get());
    ScriptValue out;
    for (int i = 0; i < 16; ++i) queue.Dequeue(out.Get());
    EXPECT_EQ(queue.m_head, 16);  // not yet: head must reach 17
    ASSERT_TRUE(queue.Dequeue(out.Get()));
    EXPECT_EQ(out.Real(), 16.0);
    EXPECT_EQ(queue.m_head, 0);
    EXPECT_EQ(queue.m_tail, 13);
    EXPECT_EQ(queue.Head()->real, 17.0);
    EXPECT_EQ(queue.Tail()->real, 29.0);
    EXPECT_EQ(queue.Size(), 13);
}

TEST_F(DSContainersTest, QueueCopyOfSixteenEntriesKeepsThemAll)
{
    CDS_Queue source;
    for (int i = 0; i < 16; ++i) source.Enqueue(ScriptValue(i).Get());
    CDS_Queue copy;
    copy.Copy(source);
    ScriptValue out;
    for (int i = 0; i < 16; ++i) {
        ASSERT_TRUE(copy.Dequeue(out.Get()));
        EXPECT_EQ(out.Real(), i);
    }
    EXPECT_TRUE(copy.Empty());
}

TEST_F(DSContainersTest, ListPositionsOutsideTheListDoNothing)
{
    CDS_List list;
    list.Add(ScriptValue(1.0).Get());
    list.Insert(1, ScriptValue(2.0).Get());   // at count: appends
    list.Insert(3, ScriptValue(9.0).Get());   // count + 1: nothing
    list.Insert(-1, ScriptValue(9.0).Get());
    list.Insert(0, ScriptValue(0.0).Get());
    list.Replace(3, ScriptValue(9.0).Get());
    list.Delete(3);
    list.Delete(-1);
    EXPECT_EQ(Reals(list), std::vector<double>({0, 1, 2}));
    list.Delete(1);
    EXPECT_EQ(Reals(list), std::vector<double>({0, 2}));
    EXPECT_EQ(list.GetValue(2), nullptr);
    EXPECT_EQ(list.Find(ScriptValue(2.0).Get()), 1);
    EXPECT_EQ(list.Find(ScriptValue(5.0).Get()), -1);
}

TEST_F(DSContainersTest, ListSortAscendingIsStableAndDescendingReversesEqualEntries)
{
    CDS_List list;
    // Entries that compare equal in single precision, told apart by their exact value.
    for (double v : {3.0, 1.0, 2.0, 1.00000001, 2.00000001}) list.Add(ScriptValue(v).Get());
    list.Sort(true);
    EXPECT_EQ(Reals(list), std::vector<double>({1.0, 1.00000001, 2.0, 2.00000001, 3.0}));
    list.Sort(false);
    EXPECT_EQ(Reals(list), std::vector<double>({3.0, 2.00000001, 2.0, 1.00000001, 1.0}));
}

TEST_F(DSContainersTest, ListShuffleIsARepeatablePermutation)
{
    auto shuffled = [](uint32_t seed) {
        Random_SetSeed(seed);
        CDS_List list;
        for (int i = 0; i < 20; ++i) list.Add(ScriptValue(i).Get());
        list.Shuffle();
        return Reals(list);
    };
    const std::vector<double> once = shuffled(42);
    EXPECT_EQ(once, shuffled(42));
    std::vector<double> sorted = once;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 20; ++i) EXPECT_EQ(sorted[static_cast<size_t>(i)], i);
    CDS_List empty;
    empty.Shuffle();
    EXPECT_TRUE(empty.Empty());
}

TEST_F(DSContainersTest, PriorityTiesGoToTheLowestIndexAndDeleteMovesTheLast)
{
    CDS_Priority priority;
    priority.Add(ScriptValue("a").Get(), ScriptValue(2.0).Get());
    priority.Add(ScriptValue("b").Get(), ScriptValue(1.0).Get());
    priority.Add(ScriptValue("c").Get(), ScriptValue(1.0).Get());
    EXPECT_EQ(std::string(Value_String(*priority.FindMin())), "b");
    EXPECT_EQ(std::string(Value_String(*priority.FindMax())), "a");
    ScriptValue out;
    ASSERT_TRUE(priority.DeleteMin(out.Get()));
    EXPECT_EQ(out.Text(), "b");
    EXPECT_EQ(std::string(Value_String(priority.m_values[1])), "c");
    EXPECT_EQ(priority.Size(), 2);

    priority.ChangePriority(ScriptValue("a").Get(), ScriptValue(0.0).Get());
    EXPECT_EQ(priority.FindPriority(ScriptValue("a").Get())->real, 0.0);
    priority.DeleteValue(ScriptValue("a").Get());
    EXPECT_EQ(priority.Size(), 1);
    EXPECT_EQ(priority.FindPriority(ScriptValue("a").Get()), nullptr);
    priority.DeleteValue(ScriptValue("c").Get());
    EXPECT_FALSE(priority.DeleteMax(out.Get()));
}

TEST_F(DSContainersTest, ClearingDestroysOwnedTreesButNotTheirCopies)
{
    const int32_t top = Json_Decode(R"({"list":[{"deep":[1]},[2]],"map":{"x":1}})");
    ASSERT_EQ(top, 0);
    // Depth first: the map 0 owns list 0 (owning map 1 with list 1, and list 2) and map 2.
    EXPECT_NE(DS_MapPool().Get(2), nullptr);
    EXPECT_NE(DS_ListPool().Get(2), nullptr);

    const int32_t copy = DS_Map_Create();
    DS_Map_Copy(DS_MapPool().Get(copy), DS_MapPool().Get(top));
    DS_Map_Clear(DS_MapPool().Get(copy));
    EXPECT_NE(DS_ListPool().Get(0), nullptr) << "a copy owns nothing";

    const int32_t listCopy = DS_List_Create();
    DS_ListPool().Get(listCopy)->Copy(*DS_ListPool().Get(0));
    DS_ListPool().Get(listCopy)->Clear();
    EXPECT_NE(DS_MapPool().Get(1), nullptr) << "a copied list owns nothing";

    DS_MapPool().Destroy(top);
    for (int32_t id : {0, 1, 2}) {
        EXPECT_EQ(DS_MapPool().Get(id), nullptr) << "map " << id;
        EXPECT_EQ(DS_ListPool().Get(id), nullptr) << "list " << id;
    }
    EXPECT_NE(DS_MapPool().Get(copy), nullptr);
}

TEST_F(DSContainersTest, OwnershipOfAnIdNamedTwiceOrOfItselfIsSafe)
{
    // Entries made by hand that name the same list twice and their own list.
    const int32_t owner = DS_List_Create();
    const int32_t owned = DS_List_Create();
    Value flagged{};
    flagged.kind = kValueReal | kValueFlagNestedList;
    flagged.real = owned;
    CDS_List* list = DS_ListPool().Get(owner);
    list->Add(flagged);
    list->Add(flagged);
    flagged.real = owner;
    list->Add(flagged);
    list->Clear();
    EXPECT_EQ(DS_ListPool().Get(owned), nullptr);
    EXPECT_EQ(DS_ListPool().Get(owner), list);
    EXPECT_TRUE(list->Empty());
}

TEST_F(DSContainersTest, EntriesForOtherSubsystems)
{
    const int32_t queue = DS_Queue_Create();
    const DSQueueItem items[] = {{1.5, nullptr}, {0, "event"}};
    DS_Queue_EnqueueValues(queue, items);
    DS_Queue_EnqueueValues(-1, items);
    EXPECT_EQ(DS_Queue_Size(queue), 2);
    EXPECT_EQ(DS_Queue_Size(-5), 0);
    ScriptValue out;
    ASSERT_TRUE(DS_Queue_Dequeue(queue, &out.Get()));
    EXPECT_EQ(out.Real(), 1.5);
    ASSERT_TRUE(DS_Queue_Dequeue(queue, &out.Get()));
    EXPECT_EQ(out.Text(), "event");
    DS_Queue_Clear(queue);
    EXPECT_FALSE(DS_Queue_Dequeue(queue, &out.Get()));

    const int32_t list = DS_List_Create();
    DS_List_AddReal(list, 4);
    DS_List_AddReal(99, 4);
    DS_List_AddString(list, "x");
    EXPECT_EQ(DS_ListPool().Get(list)->Size(), 2);
    EXPECT_EQ(test::LastError(), "");
    DS_List_AddString(99, "x");
    EXPECT_NE(test::LastError().find("Data structure with index does not exist."), std::string::npos);

    const int32_t stack = DS_StackPool().Create();
    DS_Stack_Push(stack, ScriptValue(7.0).Get());
    ASSERT_TRUE(DS_Stack_Pop(stack, &out.Get()));
    EXPECT_EQ(out.Real(), 7.0);
}

}  // namespace
}  // namespace bw
