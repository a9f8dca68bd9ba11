#include "library/ds_text.h"

#include <gtest/gtest.h>

#include <string>

#include "library/ds.h"
#include "library/ds_grid.h"
#include "library/ds_map.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::ScriptValue;

// Stream-form pieces: a kind word and its payload, as the writer lays them out.
const std::string kReal0 = "00000000" "0000000000000000";
const std::string kReal1 = "00000000" "000000000000F03F";

class DSTextTest : public test::LibraryTest {};

TEST_F(DSTextTest, StreamFormsAreByteExact)
{
    CDS_List emptyList;
    EXPECT_EQ(emptyList.WriteToString(), "2D01000000000000");

    CDS_Stack stack;
    stack.Push(ScriptValue(1.0).Get());
    EXPECT_EQ(stack.Write(), "650000000100000000000000000000000000F03F");

    CDS_List list;
    list.Add(ScriptValue("A").Get());
    EXPECT_EQ(list.WriteToString(), "2D010000010000000100000001000000" "41");

    // A queue writes every slot of its capacity, dequeued ones included.
    CDS_Queue queue;
    queue.Enqueue(ScriptValue(1.0).Get());
    queue.Enqueue(ScriptValue(1.0).Get());
    ScriptValue out;
    queue.Dequeue(out.Get());
    std::string expectedQueue = "C9000000" "02000000" "01000000" "10000000" + kReal1 + kReal1;
    for (int i = 0; i < 14; ++i) expectedQueue += kReal0;
    EXPECT_EQ(queue.WriteToString(), expectedQueue);

    // Priorities come before the values.
    CDS_Priority priority;
    priority.Add(ScriptValue("x").Get(), ScriptValue(1.0).Get());
    EXPECT_EQ(priority.WriteToString(), "F5010000" "01000000" + kReal1 + "01000000" "01000000" "78");

    // Column by column.
    CDS_Grid grid(2, 1);
    grid.Cell(1, 0).real = 1.0;
    EXPECT_EQ(grid.WriteToString(), "59020000" "02000000" "01000000" + kReal0 + kReal1);
}

TEST_F(DSTextTest, MapFormIsByteExact)
{
    struct Case { ScriptValue key, value; const char* text; };
    const Case cases[] = {
        {"a", 1.0, "1:61:3FF0"}, {2.0, "hi", "2:40:6869"}, {0.0, 1.0, "0::3FF0"}, {-0.0, 0.0, "0:80:"},
        {"k", "", "3:6B:"},
    };
    for (const Case& c : cases) {
        CDS_Map map(kDSMapDefaultBuckets);
        DS_Map_Add(&map, c.key.Get(), c.value.Get());
        EXPECT_EQ(DS_Map_WriteToString(&map), c.text);
    }
    CDS_Map empty(kDSMapDefaultBuckets);
    EXPECT_EQ(DS_Map_WriteToString(&empty), "");
}

TEST_F(DSTextTest, MapFormReadsBackItsEntries)
{
    CDS_Map map(kDSMapDefaultBuckets);
    DS_Map_ReadFromString(&map, "0::3FF0,2:40:6869,1:6B6579:C00C");
    EXPECT_EQ(DS_Map_Size(&map), 3);
    EXPECT_EQ(DS_Map_Find(&map, ScriptValue(0.0).Get())->real, 1.0);
    EXPECT_EQ(std::string(Value_String(*DS_Map_Find(&map, ScriptValue(2.0).Get()))), "hi");
    EXPECT_EQ(DS_Map_Find(&map, ScriptValue("key").Get())->real, -3.5);

    // Reading empties the map first; a repeated key keeps its first value.
    DS_Map_ReadFromString(&map, "1:61:3FF0,1:61:4000");
    EXPECT_EQ(DS_Map_Size(&map), 1);
    EXPECT_EQ(DS_Map_Find(&map, ScriptValue("a").Get())->real, 1.0);
    DS_Map_ReadFromString(&map, "");
    EXPECT_TRUE(DS_Map_Empty(&map));
}

TEST_F(DSTextTest, MapFormSurvivesAnyText)
{
    const char* texts[] = {"9", ":", ",,,", "1:6", "3:616:62", "0:0102030405060708090A:1", "1", "\xff:zz:",
                           "3::,3::", "2:::::"};
    for (const char* text : texts) {
        CDS_Map map(kDSMapDefaultBuckets);
        DS_Map_ReadFromString(&map, text);
        EXPECT_LE(DS_Map_Size(&map), 2) << text;
        DS_Map_WriteToString(&map);
    }
}

TEST_F(DSTextTest, EveryKindRoundTrips)
{
    ScriptValue array;
    Value_ArraySet(array.Get(), ScriptValue("cell").Get(), 32000 + 1);  // row 1, column 1
    const ScriptValue values[] = {1.5, "text", "", array, -0.0};

    CDS_List list;
    for (const ScriptValue& v : values) list.Add(v.Get());
    CDS_List listBack;
    ASSERT_TRUE(listBack.ReadFromString(list.WriteToString().c_str()));
    EXPECT_EQ(listBack.WriteToString(), list.WriteToString());
    // The empty string reads back as one, still equal to "" (an absent text
    // would compare unequal to it).
    EXPECT_EQ(listBack.Find(ScriptValue("").Get()), 2);
    EXPECT_STREQ(Value_String(*listBack.GetValue(2)), "");

    CDS_Stack stack;
    for (const ScriptValue& v : values) stack.Push(v.Get());
    CDS_Stack stackBack;
    ASSERT_TRUE(stackBack.ReadFromString(stack.Write().c_str()));
    EXPECT_EQ(stackBack.Write(), stack.Write());

    CDS_Queue queue;
    for (const ScriptValue& v : values) queue.Enqueue(v.Get());
    CDS_Queue queueBack;
    ASSERT_TRUE(queueBack.ReadFromString(queue.WriteToString().c_str()));
    EXPECT_EQ(queueBack.WriteToString(), queue.WriteToString());
    EXPECT_EQ(queueBack.Size(), 5);

    CDS_Grid grid(3, 2);
    grid.Cell(2, 1).real = 7;
    Value_SetString(grid.Cell(0, 1), "g");
    CDS_Grid gridBack(1, 1);
    ASSERT_TRUE(gridBack.ReadFromString(grid.WriteToString().c_str()));
    EXPECT_EQ(gridBack.Width(), 3);
    EXPECT_EQ(gridBack.WriteToString(), grid.WriteToString());
}

TEST_F(DSTextTest, PriorityReadReplacesAllEntriesAndGrowsBothArrays)
{
    CDS_Priority source;
    source.Add(ScriptValue("x").Get(), ScriptValue(5.0).Get());
    CDS_Priority target;
    for (int i = 0; i < 20; ++i) target.Add(ScriptValue(i).Get(), ScriptValue(i).Get());
    ASSERT_TRUE(target.ReadFromString(source.WriteToString().c_str()));
    EXPECT_EQ(target.Size(), 1);
    EXPECT_EQ(target.m_values.Capacity(), 1);
    EXPECT_EQ(target.m_priorities.Capacity(), 1);
    target.Add(ScriptValue("y").Get(), ScriptValue(1.0).Get());
    EXPECT_EQ(target.m_values.Capacity(), target.m_priorities.Capacity());
    EXPECT_EQ(std::string(Value_String(*target.FindMin())), "y");
}

TEST_F(DSTextTest, LowerCaseHexIsReadAndOtherPairsSkipped)
{
    CDS_List list;
    list.Add(ScriptValue(1.0).Get());
    ASSERT_TRUE(list.ReadFromString("2d01xx000000000000"));
    EXPECT_TRUE(list.Empty());
}

TEST_F(DSTextTest, TruncatedValuesReadAsZeros)
{
    // Two entries announced, one real present: the second reads as the real 0.
    CDS_List list;
    ASSERT_TRUE(list.ReadFromString(("2D010000" "02000000" + kReal1).c_str()));
    ASSERT_EQ(list.Size(), 2);
    EXPECT_EQ(list.GetValue(0)->real, 1.0);
    EXPECT_EQ(list.GetValue(1)->real, 0.0);
}

TEST_F(DSTextTest, OwnershipNeverComesFromText)
{
    CDS_List list;
    ASSERT_TRUE(list.ReadFromString("2D010000" "01000000" "00000080"));
    ASSERT_EQ(list.Size(), 1);
    EXPECT_EQ(list.GetValue(0)->kind, kValueReal);
    EXPECT_EQ(list.GetValue(0)->real, 0.0);
}

TEST_F(DSTextTest, HostileStreamTextsLeaveTheContainerAlone)
{
    std::string deep = "2D010000" "01000000";
    for (int i = 0; i < 100; ++i) deep += "02000000" "01000000" "01000000";
    const std::string texts[] = {
        "650000000000000000",                          // a stack's form
        "",                                             // nothing at all
        "2D010000" "FFFFFF7F",                          // more entries than bytes
        "2D010000" "FFFFFFFF",                          // a negative count
        "2D010000" "01000000" "01000000" "E8030000" "41",  // a text longer than what follows
        deep,                                           // arrays nested beyond reason
    };
    for (const std::string& text : texts) {
        CDS_List list;
        list.Add(ScriptValue(9.0).Get());
        EXPECT_FALSE(list.ReadFromString(text.c_str())) << text;
        ASSERT_EQ(list.Size(), 1);
        EXPECT_EQ(list.GetValue(0)->real, 9.0);
    }

    const std::string queues[] = {
        "C9000000" "01000000" "02000000" "02000000" + kReal0 + kReal0,  // head after tail
        "C9000000" "03000000" "00000000" "02000000" + kReal0 + kReal0,  // tail past the capacity
        "C9000000" "00000000" "FFFFFFFF" "00000000",                    // a negative head
    };
    for (const std::string& text : queues) {
        CDS_Queue queue;
        queue.Enqueue(ScriptValue(9.0).Get());
        EXPECT_FALSE(queue.ReadFromString(text.c_str())) << text;
        EXPECT_EQ(queue.Size(), 1);
    }

    const std::string grids[] = {
        "59020000" "FFFFFFFF" "01000000",  // a negative width
        "59020000" "FFFF0000" "FFFF0000",  // far more cells than bytes
    };
    for (const std::string& text : grids) {
        CDS_Grid grid(1, 1);
        EXPECT_FALSE(grid.ReadFromString(text.c_str())) << text;
        EXPECT_EQ(grid.Width(), 1);
    }
}

}  // namespace
}  // namespace bw
