#include "library/motion_builtins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "platform/random.h"
#include "resources/path.h"
#include "unit/library/instance_call.h"
#include "world/mp_grid.h"
#include "world/mp_step.h"
#include "world/path_lookups.h"

namespace bw {
namespace {

using test::ScriptValue;

constexpr int32_t kMoverObject = 0;
constexpr int32_t kWallObject = 1;
constexpr int32_t kSmallSprite = 0;  // 8 x 8
constexpr int32_t kRoomSprite = 1;   // as large as the room
constexpr int32_t kWideSprite = 2;   // wider than the room

SpriteInfo Box(int32_t width, int32_t height)
{
    SpriteInfo box;
    box.frameCount = 1;
    box.width = width;
    box.height = height;
    box.bboxRight = width - 1;
    box.bboxBottom = height - 1;
    return box;
}

class MotionBuiltinsTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("mp_grid_create", &id)) {
            Function_Motion_Register();
        }
        Path_Init();
        Path_RegisterLookups();
        Code_Error_SetNoErrorsSwitch(true);
        test::FakeSprites()[kSmallSprite] = Box(8, 8);
        test::FakeSprites()[kRoomSprite] = Box(room.width, room.height);
        test::FakeSprites()[kWideSprite] = Box(room.width + 100, 8);
        AddObject(kMoverObject, kSmallSprite);
        AddObject(kWallObject, kSmallSprite);
        self = AddInstance(kMoverObject);
        other = AddInstance(kWallObject);
        other->SetPosition(-1000, -1000);
        MP_PotentialSettings(30, 10, 3, true);
    }
    void TearDown() override
    {
        CGrid_FreeAll();
        Path_ClearTable();
        World_PathLookups() = PathLookups{};
        Code_Error_SetNoErrorsSwitch(false);
        EventWorldTest::TearDown();
    }

    ScriptValue Call(const char* name, const std::vector<ScriptValue>& args)
    {
        return test::CallFor(self, other, name, args);
    }
    double Real(const char* name, const std::vector<ScriptValue>& args) { return Call(name, args).Real(); }

    CInstance* AddWall(float x, float y, int32_t sprite = kSmallSprite)
    {
        CInstance* wall = AddInstance(kWallObject);
        wall->i_solid = 1;
        wall->SetSpriteIndex(sprite);
        wall->SetPosition(x, y);
        return wall;
    }

    CInstance* self = nullptr;
    CInstance* other = nullptr;
};

// ---- placing ----

TEST_F(MotionBuiltinsTest, MoveRandomKeepsTheBoxInsideTheRoomOnTheSnapGrid)
{
    Random_SetSeed(5);
    for (int i = 0; i < 50; ++i) {
        Call("move_random", {16, 16});
        EXPECT_EQ(std::fmod(self->i_x, 16.0f), 0) << self->i_x;
        EXPECT_EQ(std::fmod(self->i_y, 16.0f), 0) << self->i_y;
        EXPECT_TRUE(self->i_x >= 0 && self->i_x + 8 <= room.width) << self->i_x;
        EXPECT_TRUE(self->i_y >= 0 && self->i_y + 8 <= room.height) << self->i_y;
    }
}

TEST_F(MotionBuiltinsTest, MoveRandomInAFullRoomStaysPut)
{
    AddWall(0, 0, kRoomSprite);
    self->SetPosition(33, 44);
    Call("move_random", {0.0, 0.0});
    EXPECT_EQ(self->i_x, 33);
    EXPECT_EQ(self->i_y, 44);
}

TEST_F(MotionBuiltinsTest, MoveRandomOfAnInstanceWiderThanTheRoomKeepsItsLeftEdge)
{
    self->SetSpriteIndex(kWideSprite);
    Random_SetSeed(9);
    for (int i = 0; i < 20; ++i) {
        self->SetPosition(300, 0);
        Call("move_random", {0.0, 0.0});
        EXPECT_EQ(self->i_x, 0);
        EXPECT_TRUE(self->i_y >= 0 && self->i_y + 8 <= room.height) << self->i_y;
    }
}

TEST_F(MotionBuiltinsTest, PlaceSnappedAllowsAThousandthOfSlack)
{
    struct Case { float x; double hsnap; double expected; };
    const Case cases[] = {
        {64.0005f, 32, 1}, {64.002f, 32, 0}, {63.9995f, 32, 1}, {17.3f, 0, 1}, {17.3f, -8, 1}, {48, 32, 0},
    };
    for (const Case& c : cases) {
        self->SetPosition(c.x, 0);
        EXPECT_EQ(Real("place_snapped", {c.hsnap, 0.0}), c.expected) << c.x << " / " << c.hsnap;
    }
    self->SetPosition(64, 5);
    EXPECT_EQ(Real("place_snapped", {32, 5}), 1);
    EXPECT_EQ(Real("place_snapped", {32, 4}), 0);
}

TEST_F(MotionBuiltinsTest, PlaceTestsAskAtThePlaceWithoutMoving)
{
    CInstance* wall = AddWall(40, 0);
    EXPECT_EQ(Real("place_free", {36, 0.0}), 0);
    EXPECT_EQ(Real("place_free", {30, 0.0}), 1);
    wall->i_solid = 0;
    EXPECT_EQ(Real("place_free", {36, 0.0}), 1);
    EXPECT_EQ(Real("place_empty", {36, 0.0}), 0);
    other->SetPosition(100, 100);
    EXPECT_EQ(Real("place_meeting", {96, 96, -2}), 1);
    EXPECT_EQ(Real("place_meeting", {36, 0.0, -2}), 0);
    EXPECT_EQ(Real("place_meeting", {36, 0.0, kWallObject}), 1);
    EXPECT_EQ(self->i_x, 0);
}

// ---- moving ----

TEST_F(MotionBuiltinsTest, MoveWrapComesBackInPastTheMargin)
{
    struct Case { float x; double margin; float expected; };
    const Case cases[] = {{-10, 0, 630}, {650, 0, 10}, {-10, 20, -10}, {-30, 20, 650}, {670, 20, -10}, {320, 0, 320}};
    for (const Case& c : cases) {
        self->SetPosition(c.x, -50);
        Call("move_wrap", {1, 0.0, c.margin});
        EXPECT_EQ(self->i_x, c.expected) << c.x << " margin " << c.margin;
        EXPECT_EQ(self->i_y, -50);
    }
    Call("move_wrap", {0.0, 1, 0.0});
    EXPECT_EQ(self->i_y, 430);
}

TEST_F(MotionBuiltinsTest, MoveContactStopsAtTheWallAndMovesOutFromInside)
{
    AddWall(40, 0);
    Call("move_contact", {0.0});
    EXPECT_EQ(self->i_x, 32);
    self->SetPosition(36, 0);
    Call("move_contact", {180});
    EXPECT_EQ(self->i_x, 32);
}

TEST_F(MotionBuiltinsTest, MotionSetAndAddChangeTheVector)
{
    Call("motion_set", {90, 3});
    EXPECT_EQ(self->i_direction, 90);
    EXPECT_EQ(self->i_speed, 3);
    Call("motion_add", {0.0, 4});
    EXPECT_NEAR(self->i_speed, 5, 1e-5);
    EXPECT_NEAR(self->i_hspeed, 4, 1e-5);
    EXPECT_NEAR(self->i_vspeed, -3, 1e-5);
}

// ---- distances ----

TEST_F(MotionBuiltinsTest, DistanceToPointIsMeasuredFromTheBox)
{
    self->SetPosition(10, 10);  // box 10..17
    for (const auto& [x, y, expected] : {std::tuple{12, 15, 0}, std::tuple{20, 10, 3}, std::tuple{20, 21, 5}, std::tuple{4, 2, 10}}) {
        EXPECT_EQ(Real("distance_to_point", {x * 1.0, y * 1.0}), expected) << x << "," << y;
    }
}

TEST_F(MotionBuiltinsTest, DistanceToObjectTakesTheNearestLiveInstanceButNeverSelf)
{
    self->SetPosition(0, 0);
    other->SetPosition(30, 0);         // 23 to the right of self's box 0..7
    CInstance* near = AddWall(0, 20);  // 13 below it
    CInstance* marked = AddWall(9, 0);
    marked->i_marked = 1;
    struct Case { double selector; double expected; };
    const Case cases[] = {
        {-4, 1000000}, {-1, 1000000}, {-2, 23}, {-3, 13}, {kWallObject, 13},
        {kMoverObject, 1000000},  // only self
        {7, 1000000}, {static_cast<double>(marked->i_id), 1000000}, {static_cast<double>(other->i_id), 23},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Real("distance_to_object", {c.selector}), c.expected) << c.selector;
    }
    near->i_deactivated = 1;
    EXPECT_EQ(Real("distance_to_object", {-3}), 23);
}

// ---- paths ----

TEST_F(MotionBuiltinsTest, PathStartOnAnEmptyPathLeavesSelfWithoutOne)
{
    const double empty = Path_Add();
    Call("path_start", {empty, -2, 0.0, 1});
    EXPECT_EQ(self->i_pathindex, -1);
    const int32_t line = Path_Add();
    const double lineId = line;
    Path_Get(line)->AddPoint(0, 0, 100);
    Path_Get(line)->AddPoint(50, 0, 100);
    Call("path_start", {lineId, 2, 0.0, 1});
    EXPECT_EQ(self->i_pathindex, line);
    Call("path_end", {});
    EXPECT_EQ(self->i_pathindex, -1);
}

TEST_F(MotionBuiltinsTest, PlanningIntoAMissingPathReportsAndPlansNothing)
{
    struct Case { const char* name; std::vector<ScriptValue> args; };
    const Case cases[] = {
        {"mp_linear_path", {3, 40, 0.0, 4, 0.0}}, {"mp_linear_path_object", {3, 40, 0.0, 4, 0.0}},
        {"mp_potential_path", {0.0, 40, 0.0, 4, 2, 0.0}}, {"mp_grid_path", {0.0, 0.0, 1, 1, 5, 5, 0.0}},
    };
    for (const Case& c : cases) {
        Code_Error_ResetState();
        EXPECT_EQ(Real(c.name, c.args), 0) << c.name;
        EXPECT_NE(LastError().find("Trying to assign to a non-existing path."), std::string::npos) << c.name;
    }
}

TEST_F(MotionBuiltinsTest, LinearPathBecomesAnOpenStraightPath)
{
    const int32_t path = Path_Add();
    const double pathId = path;
    ASSERT_EQ(Real("mp_linear_path", {pathId, 10, 0.0, 4, 0.0}), 1);
    const CPath* written = Path_Get(path);
    ASSERT_EQ(written->GetNumber(), 4);
    EXPECT_EQ(written->GetKind(), kPathKindStraight);
    EXPECT_FALSE(written->GetClosed());
    EXPECT_EQ(written->GetPoint(3).x, 10);
    EXPECT_EQ(written->GetPoint(3).speed, 100);
    EXPECT_EQ(written->GetLength(), 10);
    EXPECT_EQ(self->i_x, 0);
}

TEST_F(MotionBuiltinsTest, PotentialPathObjectFormAvoidsOnlyThatObject)
{
    AddWall(20, 0);
    const int32_t path = Path_Add();
    const double pathId = path;
    EXPECT_EQ(Real("mp_potential_path_object", {pathId, 60, 0.0, 4, 1, kWallObject}), 0);
    EXPECT_EQ(Real("mp_potential_path_object", {pathId, 60, 0.0, 4, 1, 7}), 1);
    EXPECT_EQ(Path_Get(path)->GetPoint(Path_Get(path)->GetNumber() - 1).x, 60);
}

TEST_F(MotionBuiltinsTest, StepBuiltinsMoveSelfTowardsTheGoal)
{
    EXPECT_EQ(Real("mp_linear_step", {10, 0.0, 4, 0.0}), 0);
    EXPECT_EQ(self->i_x, 4);
    EXPECT_EQ(Real("mp_potential_step", {10, 0.0, 4, 0.0}), 0);
    EXPECT_EQ(self->i_x, 8);
    EXPECT_EQ(Real("mp_linear_step_object", {10, 0.0, 4, kWallObject}), 1);
    EXPECT_EQ(self->i_x, 10);
    AddWall(20, 6);  // in the way of the look-ahead, a little below
    EXPECT_EQ(Real("mp_potential_step_object", {30, 0.0, 4, kWallObject}), 0);
    EXPECT_NE(self->i_y, 0);  // round the wall
}

TEST_F(MotionBuiltinsTest, PotentialSettingsAreRaisedToOne)
{
    Call("mp_potential_settings", {0.0, 0.0, 0.0, 0.0});
    const MP_PotentialSettingsRecord& set = MP_PotentialSettingsCurrent();
    EXPECT_TRUE(set.maxrot == 1 && set.rotstep == 1 && set.ahead == 1 && !set.onspot);
}

// ---- grids ----

TEST_F(MotionBuiltinsTest, GridBuiltinsPlanAroundInstancesIntoAPath)
{
    const double grid = Real("mp_grid_create", {0.0, 0.0, 6, 3, 10, 10});
    ASSERT_EQ(grid, 0);
    AddWall(20, 0);   // blocks column 2, row 0
    AddWall(20, 10);  // and row 1
    CInstance* gone = AddWall(40, 20);
    gone->i_marked = 1;
    Call("mp_grid_add_instances", {grid, kWallObject, 0.0});
    const CGrid* cells = CGrid_Get(0);
    EXPECT_EQ(cells->GetCell(2, 0), kGridCellBlocked);
    EXPECT_EQ(cells->GetCell(2, 1), kGridCellBlocked);
    EXPECT_EQ(cells->GetCell(4, 2), kGridCellFree);

    const int32_t path = Path_Add();
    const double pathId = path;
    ASSERT_EQ(Real("mp_grid_path", {grid, pathId, 5, 5, 55, 5, 0.0}), 1);
    const CPath* written = Path_Get(path);
    EXPECT_FALSE(written->GetClosed());
    EXPECT_EQ(written->GetPoint(0).x, 5);
    EXPECT_EQ(written->GetPoint(written->GetNumber() - 1).x, 55);
    EXPECT_EQ(written->GetNumber(), 10);  // down two, across five, up two

    Call("mp_grid_add_rectangle", {grid, 0.0, 20, 59, 29});
    EXPECT_EQ(Real("mp_grid_path", {grid, pathId, 5, 5, 55, 5, 1}), 0);
    EXPECT_EQ(Path_Get(path)->GetNumber(), 10);  // a failed search leaves the path
    Call("mp_grid_clear_cell", {grid, 2, 1});
    Call("mp_grid_clear_rectangle", {grid, 0.0, 20, 59, 29});
    EXPECT_EQ(Real("mp_grid_path", {grid, pathId, 5, 5, 55, 5, 0.0}), 1);
    EXPECT_EQ(Path_Get(path)->GetNumber(), 8);
}

TEST_F(MotionBuiltinsTest, GridCreationRefusesSizesThatMakeNoGrid)
{
    for (double width : {-4.0, 1e12}) EXPECT_EQ(Real("mp_grid_create", {0.0, 0.0, width, 4, 10, 10}), -1);
    EXPECT_EQ(Real("mp_grid_create", {0.0, 0.0, 4, 4, 0.0, 10}), -1);
    EXPECT_EQ(Real("mp_grid_create", {0.0, 0.0, 4, 4, 10, 10}), 0);
    Call("mp_grid_destroy", {0.0});
    Call("mp_grid_add_cell", {0.0, 1, 1});  // a destroyed grid is ignored
    EXPECT_EQ(Real("mp_grid_create", {0.0, 0.0, 4, 4, 10, 10}), 0);
}

TEST_F(MotionBuiltinsTest, GridAddInstancesTakesSelfOtherAndAll)
{
    const double grid = Real("mp_grid_create", {0.0, 0.0, 10, 10, 10, 10});
    self->SetPosition(0, 0);
    other->SetPosition(90, 90);
    Call("mp_grid_add_instances", {grid, -1, 0.0});
    Call("mp_grid_add_instances", {grid, -2, 0.0});
    const CGrid* cells = CGrid_Get(0);
    EXPECT_EQ(cells->GetCell(0, 0), kGridCellBlocked);
    EXPECT_EQ(cells->GetCell(9, 9), kGridCellBlocked);
    Call("mp_grid_clear_all", {grid});
    AddWall(50, 50);
    Call("mp_grid_add_instances", {grid, -3, 1});
    EXPECT_EQ(cells->GetCell(0, 0), kGridCellBlocked);
    EXPECT_EQ(cells->GetCell(5, 5), kGridCellBlocked);
    EXPECT_EQ(cells->GetCell(9, 9), kGridCellBlocked);
    EXPECT_EQ(cells->GetCell(3, 3), kGridCellFree);
}

}  // namespace
}  // namespace bw
