#include "library/game_builtins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/clock.h"
#include "unit/library/instance_call.h"
#include "world/room_table.h"
#include "world/run_requests.h"
#include "world/variable_list.h"

namespace bw {
namespace {

using test::ScriptValue;

void RegisterGameBuiltins()
{
    int32_t id = -1;
    if (!Code_Function_Find("instance_find", &id)) {
        Function_Game_Register();
    }
}

class GameBuiltinsTest : public test::ShapesWorldTest {
protected:
    void SetUp() override
    {
        ShapesWorldTest::SetUp();
        RegisterGameBuiltins();
        AddObject(0);
        AddObject(1);
        AddChild(2, 0);
    }

    ScriptValue Call(const char* name, const std::vector<ScriptValue>& args)
    {
        return test::CallFor(self, other, name, args);
    }

    static double Id(const CInstance* instance) { return instance->i_id; }

    CInstance* self = nullptr;
    CInstance* other = nullptr;
};

// ---- selectors ----

TEST_F(GameBuiltinsTest, FindExistsAndNumberAnswerEachSelector)
{
    self = AddInstance(0);
    other = AddInstance(1);
    CInstance* child = AddInstance(2);
    CInstance* asleep = AddInstance(1);
    asleep->i_deactivated = 1;
    CInstance* marked = AddInstance(0);
    marked->i_marked = 1;
    const double childId = Id(child);
    struct Case {
        double selector;
        double found;   // instance_find(selector, 0)
        double exists;  // instance_exists(selector)
        double number;  // instance_number(selector)
    };
    const Case cases[] = {
        {-1, Id(self), 1, 1}, {-2, Id(other), 1, 1}, {-3, Id(self), 1, 3}, {-4, -4, 0, 0}, {-7, -4, 0, 0},
        {0, Id(self), 1, 2},
        {0.9, Id(self), 1, 2},  // objects truncated (instance_number rounds)
        {2, childId, 1, 1}, {1, Id(other), 1, 1}, {childId, childId, 1, 1}, {Id(asleep), -4, 0, 0},
        {Id(marked), -4, 0, 0}, {99, -4, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Call("instance_find", {c.selector, 0.0}).Real(), c.found) << c.selector;
        EXPECT_EQ(Call("instance_exists", {c.selector}).Real(), c.exists) << c.selector;
        if (c.selector != 0.9) {
            EXPECT_EQ(Call("instance_number", {c.selector}).Real(), c.number) << c.selector;
        }
    }
}

TEST_F(GameBuiltinsTest, FindPastTheLastInstanceAndSelfOutsideAnInstanceGiveNoone)
{
    EXPECT_EQ(Call("instance_number", {-1.0}).Real(), 0);
    self = AddInstance(0);
    AddInstance(2);
    EXPECT_EQ(Call("instance_find", {0.0, 2.0}).Real(), -4);
    EXPECT_EQ(Call("instance_find", {Id(self), 1.0}).Real(), -4);
    self->i_marked = 1;
    EXPECT_EQ(Call("instance_number", {-1.0}).Real(), 0);
}

TEST_F(GameBuiltinsTest, NearestAndFurthestAnswerIdsOrNoone)
{
    CInstance* near = AddInstance(0);
    near->SetPosition(3.0f, 4.0f);
    CInstance* far = AddInstance(1);
    far->SetPosition(300.0f, 4.0f);
    EXPECT_EQ(Call("instance_nearest", {0.0, 0.0, -3.0}).Real(), near->i_id);
    EXPECT_EQ(Call("instance_furthest", {0.0, 0.0, -3.0}).Real(), far->i_id);
    EXPECT_EQ(Call("instance_nearest", {0.0, 0.0, 1.0}).Real(), far->i_id);
    EXPECT_EQ(Call("instance_nearest", {0.0, 0.0, Id(near)}).Real(), -4);
}

// ---- creating and copying ----

TEST_F(GameBuiltinsTest, CreateRefusesTextArgumentsAndMissingObjects)
{
    struct Case { ScriptValue x, y, object; const char* message; };
    const Case cases[] = {
        {"a", 0.0, 0.0, "instance_create( ) error: Illegal type"},
        {0.0, "b", 0.0, "instance_create( ) error: Illegal type"},
        {0.0, 0.0, "obj", "instance_create( ) error: Illegal type"},
        {0.0, 0.0, 5.0, "Creating instance for non-existing object: 5"},
    };
    for (const Case& c : cases) {
        Code_Error_ResetState();
        EXPECT_EQ(Call("instance_create", {c.x, c.y, c.object}).Real(), -1);
        EXPECT_NE(LastError().find(c.message), std::string::npos) << c.message;
    }
    EXPECT_EQ(room.activeInstances.Count(), 0);
}

TEST_F(GameBuiltinsTest, CreateTruncatesTheObjectAndAnswersTheNewId)
{
    const double id = Call("instance_create", {16.0, 24.0, 1.9}).Real();
    const CInstance* made = Instance_Find(static_cast<int32_t>(id));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->i_objindex, 1);
    EXPECT_EQ(made->i_x, 16.0f);
    EXPECT_EQ(made->i_y, 24.0f);
}

TEST_F(GameBuiltinsTest, CopyGetsANewIdThatFindsIt)
{
    self = AddInstance(0);
    const ScriptValue text("kept");
    self->i_vars->SetVar(kVariableUserIdBase, kValueNoIndex, &text.Get());
    const double id = Call("instance_copy", {0.0}).Real();
    EXPECT_NE(id, self->i_id);
    const CInstance* copy = Instance_Find(static_cast<int32_t>(id));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->i_id, id);
    EXPECT_EQ(Instance_Find(self->i_id), self);
    ScriptValue read;
    EXPECT_TRUE(copy->i_vars->GetVar(kVariableUserIdBase, kValueNoIndex, &read.Get()));
    EXPECT_EQ(read.Text(), "kept");
}

TEST_F(GameBuiltinsTest, CopyReadsItsPerformFlagInSinglePrecision)
{
    SetEvent(Object_Find(0), kEventCreate, 0, "record('made')");
    self = AddInstance(0);
    Call("instance_copy", {0.4999999999});  // 0.5 as a single
    Call("instance_copy", {0.49});
    EXPECT_EQ(test::Recorded(), std::to_string(test::kRoomMadeIdBase + 1) + ":made;");
}

// ---- activation ----

TEST_F(GameBuiltinsTest, RegionArgumentsAreLeftTopWidthHeightInsideNotMe)
{
    self = AddInstance(0);
    self->SetPosition(10.0f, 10.0f);
    CInstance* in = AddInstance(1);
    in->SetPosition(40.0f, 30.0f);
    CInstance* out = AddInstance(1);
    out->SetPosition(40.0f, 31.0f);
    Call("instance_deactivate_region", {0.0, 0.0, 40.0, 30.0, 1.0, 1.0});
    EXPECT_FALSE(self->i_deactivated);
    EXPECT_TRUE(in->i_deactivated);
    EXPECT_FALSE(out->i_deactivated);
    Call("instance_activate_region", {0.0, 0.0, 40.0, 30.0, 0.0});
    EXPECT_TRUE(in->i_deactivated);
    Call("instance_activate_all", {});
    EXPECT_FALSE(in->i_deactivated);
}

// ---- places, positions and collisions ----

// The objects' instances are 16 x 16 blocks; object 3 is hollow (precise,
// without a solid pixel).
class CollisionBuiltinsTest : public GameBuiltinsTest {
protected:
    void SetUp() override
    {
        GameBuiltinsTest::SetUp();
        for (int32_t object : {0, 1, 2}) Object_Find(object)->sprite = test::kBlockSprite;
        AddObject(3, test::kHollowSprite);
    }
};

TEST_F(CollisionBuiltinsTest, QueriesNameSelfOtherAllObjectsIdsAndNoone)
{
    self = At(0, 0.0f, 0.0f);
    other = At(1, 4.0f, 4.0f);
    CInstance* child = At(2, 8.0f, 8.0f);
    struct Case { double selector; double point, pointNotMe, position, meeting, place; };
    // Everything covers (10, 10); self placed at (2, 2) overlaps the others.
    const Case cases[] = {
        {-1, Id(self), -4, Id(self), 1, -4}, {-2, Id(other), Id(other), Id(other), 1, Id(other)},
        {-3, Id(self), Id(other), Id(self), 1, Id(other)}, {0, Id(self), Id(child), Id(self), 1, Id(child)},
        {2, Id(child), Id(child), Id(child), 1, Id(child)},
        {Id(other), Id(other), Id(other), Id(other), 1, Id(other)}, {-4, -4, -4, -4, 0, -4}, {7, -4, -4, -4, 0, -4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Call("collision_point", {10.0, 10.0, c.selector, 0.0, 0.0}).Real(), c.point) << c.selector;
        EXPECT_EQ(Call("collision_point", {10.0, 10.0, c.selector, 0.0, 1.0}).Real(), c.pointNotMe) << c.selector;
        EXPECT_EQ(Call("instance_position", {10.0, 10.0, c.selector}).Real(), c.position) << c.selector;
        EXPECT_EQ(Call("position_meeting", {10.0, 10.0, c.selector}).Real(), c.meeting) << c.selector;
        EXPECT_EQ(Call("instance_place", {2.0, 2.0, c.selector}).Real(), c.place) << c.selector;
    }
    EXPECT_EQ(self->i_x, 0.0f);
}

TEST_F(CollisionBuiltinsTest, ShapeQueriesTakeCornersThenObjectPreciseAndNotMe)
{
    const double block = Id(At(0, 30.0f, 30.0f));
    struct Case { const char* name; std::vector<ScriptValue> args; double expected; };
    const Case cases[] = {
        {"collision_rectangle", {0.0, 0.0, 31, 31, -3, 0.0, 0.0}, block},
        {"collision_rectangle", {0.0, 0.0, 29, 29, -3, 0.0, 0.0}, -4},
        {"collision_ellipse", {0.0, 0.0, 31, 31, -3, 0.0, 0.0}, -4},
        {"collision_ellipse", {20, 20, 50, 50, 0.0, 0.0, 0.0}, block},
        {"collision_line", {0.0, 0.0, 31, 31, -3, 0.0, 0.0}, block},
        {"collision_line", {0.0, 31, 31, 0.0, -3, 0.0, 0.0}, -4},
        // The circle is the ellipse in its bounding square.
        {"collision_circle", {20, 20, 15, -3, 0.0, 0.0}, block}, {"collision_circle", {20, 20, 14, -3, 0.0, 0.0}, -4},
        {"collision_circle", {30, 30, 0.0, -3, 0.0, 0.0}, block}, {"collision_circle", {29, 30, 0.0, -3, 0.0, 0.0}, -4},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Call(cases[i].name, cases[i].args).Real(), cases[i].expected) << "case " << i;
    }
}

TEST_F(CollisionBuiltinsTest, PreciseIsAFlagFromOneHalfUp)
{
    const double hollow = Id(At(3, 0.0f, 0.0f));
    EXPECT_EQ(Call("collision_point", {5.0, 5.0, 3.0, 0.4, 0.0}).Real(), hollow);
    EXPECT_EQ(Call("collision_point", {5.0, 5.0, 3.0, 0.5, 0.0}).Real(), -4);
    EXPECT_EQ(Call("collision_rectangle", {0.0, 0.0, 4.0, 4.0, 3.0, 0.5, 0.0}).Real(), -4);
    EXPECT_EQ(Call("instance_position", {5.0, 5.0, 3.0}).Real(), -4);
}

TEST_F(CollisionBuiltinsTest, PositionEmptyDestroyAndChangeActAtThePoint)
{
    SetEvent(Object_Find(0), kEventDestroy, 0, "record('gone')");
    EXPECT_EQ(Call("position_empty", {5.0, 5.0}).Real(), 1);
    CInstance* first = At(0, 0.0f, 0.0f);
    CInstance* second = At(0, 40.0f, 0.0f);
    EXPECT_EQ(Call("position_empty", {5.0, 5.0}).Real(), 0);

    Call("position_change", {45.0, 5.0, 1.9, 0.0});  // the object is truncated
    EXPECT_EQ(second->i_objindex, 1);
    Call("position_destroy", {5.0, 5.0});
    EXPECT_EQ(test::Recorded(), std::to_string(first->i_id) + ":gone;");
    EXPECT_TRUE(first->i_marked);
    EXPECT_FALSE(second->i_marked);
}

// ---- rooms and the game ----

class RoomOrderBuiltinsTest : public GameBuiltinsTest {
protected:
    void SetUp() override
    {
        GameBuiltinsTest::SetUp();
        for (int32_t i = 0; i < 3; ++i) Room_Add();
        Room_Order() = {2, 0, 1};
    }
    void TearDown() override
    {
        Room_ClearTable();
        Room_Order().clear();
        GameBuiltinsTest::TearDown();
    }
};

TEST_F(RoomOrderBuiltinsTest, PreviousAndNextFollowTheRoomOrder)
{
    struct Case { const char* name; double room, expected; };
    const Case cases[] = {
        {"room_next", 2, 0},   {"room_next", 0, 1},      {"room_next", 1, -1},
        {"room_previous", 1, 0}, {"room_previous", 2, -1}, {"room_previous", 999, -1}, {"room_next", -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Call(c.name, {c.room}).Real(), c.expected) << c.name << " " << c.room;
    }
}

TEST_F(RoomOrderBuiltinsTest, GotoEndAndRestartSetTheRoomRequest)
{
    struct Case { const char* name; std::vector<ScriptValue> args; int32_t request; };
    const Case cases[] = {
        {"room_goto", {1.0}, 1}, {"game_end", {}, kRequestEndGame}, {"game_restart", {}, kRequestRestart},
    };
    for (const Case& c : cases) {
        NewRoomRequest = kRequestNone;
        test::CallFor(nullptr, nullptr, c.name, c.args);
        EXPECT_EQ(NewRoomRequest, c.request) << c.name;
    }
}

// ---- sleep ----

int64_t g_fakeNow = 0;
int64_t g_fakeSlept = 0;

// Each look at the clock moves it on a little, so the timer's final spin
// ends; sleeping moves it by the time slept.
int64_t FakeNow() { return g_fakeNow += 50; }
void FakeSleep(int64_t milliseconds)
{
    g_fakeSlept += milliseconds * 1000;
    g_fakeNow += milliseconds * 1000;
}

class SleepTest : public GameBuiltinsTest {
protected:
    void SetUp() override
    {
        GameBuiltinsTest::SetUp();
        g_fakeNow = 0;
        g_fakeSlept = 0;
        m_previous = Host_SetClock({&FakeNow, &FakeSleep});
    }
    void TearDown() override
    {
        Host_SetClock(m_previous);
        GameBuiltinsTest::TearDown();
    }

    // Microseconds that passed on the fake clock during the call.
    int64_t Waited(double milliseconds)
    {
        const int64_t start = g_fakeNow;
        Call("sleep", {milliseconds});
        return g_fakeNow - start;
    }

    HostClock m_previous{};
};

TEST_F(SleepTest, WaitsTheMillisecondsDownToTheMicrosecond)
{
    const int64_t waited = Waited(7000.0);  // longer than three seconds: the whole time
    EXPECT_GE(waited, 7000000);
    EXPECT_LT(waited, 7100000);
    g_fakeSlept = 0;
    const int64_t brief = Waited(0.5);
    EXPECT_GE(brief, 500);
    EXPECT_LT(brief, 1000);
    EXPECT_EQ(g_fakeSlept, 0);  // too short to hand to the host's sleep
}

TEST_F(SleepTest, NothingForZeroNegativeOrNotANumber)
{
    for (double milliseconds : {0.0, -5.0, std::nan("")}) EXPECT_LT(Waited(milliseconds), 200) << milliseconds;
}

}  // namespace
}  // namespace bw
