// The room table and the room order: look-ups, room_add, room_duplicate,
// room_assign, preparing the creation code, and "next" and "previous".
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/code_unit.h"
#include "unit/world/room_fixture.h"

namespace bw::test {
namespace {

class RoomTableTest : public RoomTest {
protected:
    static void Order(std::vector<int32_t> order) { Room_Order() = std::move(order); }

    // Two rooms named "a" and "b" with one instance entry each.
    static void LoadTwoRooms(const std::string& codeA = "", const std::string& codeB = "")
    {
        RoomImage image;
        TestRoom a;
        a.name = "a";
        a.instances = {Placed(0, 300001, codeA)};
        TestRoom b;
        b.name = "b";
        b.width = 999;
        b.instances = {Placed(0, 300002, codeB)};
        image.Add(a);
        image.Add(b);
        image.Finish();
        ASSERT_TRUE(image.Load());
    }
};

TEST_F(RoomTableTest, NextAndPreviousFollowTheOrder)
{
    EXPECT_EQ(Room_First(), -1);  // an empty order
    EXPECT_EQ(Room_Last(), -1);
    struct Case {
        std::vector<int32_t> order;
        int32_t room;
        int32_t previous;
        int32_t next;
    };
    const Case cases[] = {
        {{4, 2, 7}, 4, -1, 2},     // first room
        {{4, 2, 7}, 2, 4, 7},      // middle room
        {{4, 2, 7}, 7, 2, -1},     // last room
        {{4, 2, 7}, 9, -1, -1},    // not in the order
        {{4}, 4, -1, -1},          // fewer than two entries
        {{}, 0, -1, -1},
        {{3, 5, 3, 6}, 3, 5, 6},   // previous: first place from the second on; next: last place
    };
    for (const Case& c : cases) {
        Order(c.order);
        EXPECT_EQ(Room_Previous(c.room), c.previous) << c.room;
        EXPECT_EQ(Room_Next(c.room), c.next) << c.room;
    }
    Order({4, 2, 7});
    EXPECT_EQ(Room_First(), 4);
    EXPECT_EQ(Room_Last(), 7);
}

TEST_F(RoomTableTest, LookupsOutsideTheTableFindNothing)
{
    LoadTwoRooms();
    EXPECT_EQ(Room_Find("b"), 1);
    EXPECT_EQ(Room_Find("B"), -1);
    EXPECT_EQ(Room_Find(nullptr), -1);
    EXPECT_EQ(Room_Get(2), nullptr);
    EXPECT_EQ(Room_Get(-1), nullptr);
    EXPECT_STREQ(Room_GetName(-1), "<undefined>");
    EXPECT_STREQ(Room_GetName(1), "b");
}

TEST_F(RoomTableTest, AddedAndDuplicatedRoomsGetNewNamesAtTheEnd)
{
    LoadTwoRooms();
    const int32_t added = Room_Add();
    EXPECT_EQ(added, 2);
    EXPECT_STREQ(Room_GetName(added), "__newroom2");
    ASSERT_NE(Room_Get(added)->record, nullptr);
    EXPECT_EQ(Room_Get(added)->speed, 30);

    const int32_t copy = Room_Duplicate(1);
    EXPECT_EQ(copy, 3);
    EXPECT_STREQ(Room_GetName(copy), "__newroom3");
    EXPECT_EQ(Room_Get(copy)->width, 999);
    EXPECT_EQ(Room_Find("__newroom3"), 3);
    EXPECT_EQ(Room_Duplicate(17), -1);
    EXPECT_TRUE(Room_Order().empty());
}

TEST_F(RoomTableTest, AssignReplacesAndDeletesTheOldRoom)
{
    LoadTwoRooms();
    const std::weak_ptr<RoomRecord> oldRecord = Room_Get(0)->record;
    ASSERT_TRUE(Room_Assign(0, 1));
    EXPECT_TRUE(oldRecord.expired());
    EXPECT_STREQ(Room_GetName(0), "a");
    EXPECT_EQ(Room_Get(0)->width, 999);
    EXPECT_FALSE(Room_Assign(0, 5));
    EXPECT_FALSE(Room_Assign(5, 0));
    ASSERT_TRUE(Room_Assign(1, 1));  // to itself: kept
    EXPECT_EQ(Room_Get(1)->width, 999);
    EXPECT_EQ(Room_Get(1)->record->instances.size(), 1u);
}

TEST_F(RoomTableTest, AssignKeepsARoomPlayingWholeAndTheNewOneMakesTheSourcesInstancesWhenEntered)
{
    AddObject(0);
    LoadTwoRooms();
    CRoom playing;
    playing.CreateInstances(Room_Get(0), true);
    ASSERT_TRUE(Room_Assign(0, 1));
    ASSERT_NE(playing.record, nullptr);
    EXPECT_EQ(playing.record->instances.at(0).id, 300001);
    EXPECT_EQ(Room_Get(0)->activeInstances.Count(), 0);
    EXPECT_EQ(Instance_Find(300002), nullptr);
    CRoom entered;
    entered.CreateInstances(Room_Get(0), true);
    ASSERT_EQ(entered.activeInstances.Count(), 1);
    EXPECT_EQ(entered.activeInstances.First()->i_id, 300002);
}

TEST_F(RoomTableTest, PrepareCompilesRoomAndInstanceCodeUnderTheirNames)
{
    TestRoom plan;
    plan.name = "rm";
    plan.code = "a = 1";
    plan.instances = {Placed(0, 300001), Placed(0, 300002, "b = 2")};
    ASSERT_NE(LoadOne(plan), nullptr);
    ASSERT_TRUE(Room_Prepare());
    const CRoom* room = Room_Get(0);
    EXPECT_TRUE(room->code->compiled);
    EXPECT_EQ(room->code->name, "Room.rm");
    EXPECT_EQ(room->record->instances[0].code, nullptr);
    EXPECT_EQ(room->record->instances[1].code->name, "Instance.rm.1");
}

TEST_F(RoomTableTest, PrepareAnswersTheLastCompileAttempted)
{
    struct Case {
        const char* codeA;
        const char* codeB;
        bool prepared;
    };
    const Case cases[] = {
        {"x = = ;", "y = 2", true},   // a later room compiled after the failure
        {"x = 1", "y = = ;", false},  // the failure came last
        {"x = = ;", "", false},       // nothing was compiled after it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codeA << " / " << c.codeB);
        Code_Error_ResetState();
        LoadTwoRooms(c.codeA, c.codeB);
        EXPECT_EQ(Room_Prepare(), c.prepared);
        ASSERT_NE(Code_Error_LastText(), nullptr);
        EXPECT_NE(std::string(Code_Error_LastText()).find("COMPILATION ERROR in room script\n"), std::string::npos);
    }
    // The room after a failing instance code is still prepared.
    LoadTwoRooms("x = = ;", "y = 2");
    Room_Prepare();
    EXPECT_TRUE(Room_Get(1)->record->instances[0].code->compiled);
}

TEST_F(RoomTableTest, PrepareStopsAtARoomWhoseOwnCodeFails)
{
    RoomImage image;
    TestRoom bad;
    bad.code = "= 1";
    TestRoom good;
    good.code = "z = 1";
    image.Add(bad);
    image.Add(good);
    image.Finish();
    ASSERT_TRUE(image.Load());
    EXPECT_FALSE(Room_Prepare());
    EXPECT_FALSE(Room_Get(1)->code->compiled);
}

TEST_F(RoomTableTest, FreeingAtTheEndLeavesNoRoomsOrderOrCurrentRoom)
{
    LoadTwoRooms();
    Order({0, 1});
    Run_FreeRoomsAtEnd();
    EXPECT_EQ(Room_Count(), 0);
    EXPECT_EQ(Room_First(), -1);
    EXPECT_EQ(Room_Current(), nullptr);
}

}  // namespace
}  // namespace bw::test
