#include "world/mp_step.h"

#include <gtest/gtest.h>

#include <cmath>

#include "unit/world/world_fixture.h"
#include "world/variable_access.h"

namespace bw {
namespace {

constexpr int32_t kMoverObject = 0;
constexpr int32_t kWallObject = 1;
constexpr int32_t kOtherObject = 2;
constexpr int32_t kMoverSprite = 0;  // 8 x 8
constexpr int32_t kWallSprite = 1;   // 8 x 8
constexpr int32_t kBlockSprite = 2;  // 100 x 100

SpriteInfo Box(int32_t size)
{
    SpriteInfo box;
    box.frameCount = 1;
    box.width = size;
    box.height = size;
    box.bboxRight = size - 1;
    box.bboxBottom = size - 1;
    return box;
}

class StepPlannerTest : public test::WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        test::FakeSprites()[kMoverSprite] = Box(8);
        test::FakeSprites()[kWallSprite] = Box(8);
        test::FakeSprites()[kBlockSprite] = Box(100);
        AddObject(kMoverObject, kMoverSprite);
        AddObject(kWallObject, kWallSprite);
        AddObject(kOtherObject, kWallSprite);
        mover = AddInstance(kMoverObject);
        MP_PotentialSettings(30, 10, 3, true);
    }

    CInstance* AddWall(float x, float y, bool solid = true, int32_t object = kWallObject)
    {
        CInstance* wall = AddInstance(object);
        wall->i_solid = solid ? 1 : 0;
        wall->SetPosition(x, y);
        return wall;
    }

    // One solid block around the mover's place: nothing near is free.
    void WallIn()
    {
        AddWall(60, 60)->SetSpriteIndex(kBlockSprite);
        mover->SetPosition(100, 100);
    }

    void Place(float x, float y, float direction)
    {
        mover->SetPosition(x, y);
        mover->SetDirection(direction);
    }

    CInstance* mover = nullptr;
};

// ---- directions ----

TEST_F(StepPlannerTest, DirectionRunsCounterClockwiseWithYDown)
{
    struct Case {
        float x2, y2, expected;
    };
    const Case cases[] = {
        {10, 0, 0}, {0, 10, 270}, {0, -10, 90}, {-10, 0, 180}, {0, 0, 0}, {10, 10, 315}, {-10, -10, 135},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(MP_Direction(0, 0, c.x2, c.y2), c.expected, 1e-4) << c.x2 << "," << c.y2;
    }
}

TEST_F(StepPlannerTest, AngleDifferenceIsTheShorterWayRound)
{
    struct Case {
        float a, b, expected;
    };
    const Case cases[] = {
        {350, 10, 20}, {-30, 30, 60}, {720, 0, 0}, {0, 180, 180}, {90, -450, 180}, {1e30f, 1e30f, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(MP_AngleDifference(c.a, c.b), c.expected, 1e-3) << c.a << " vs " << c.b;
    }
}

TEST_F(StepPlannerTest, PotentialSettingsAreRaisedToOne)
{
    MP_PotentialSettings(0, -5, NAN, false);
    const MP_PotentialSettingsRecord& settings = MP_PotentialSettingsCurrent();
    EXPECT_EQ(settings.maxrot, 1);
    EXPECT_EQ(settings.rotstep, 1);
    EXPECT_EQ(settings.ahead, 1);
    EXPECT_FALSE(settings.onspot);
}

// ---- free places ----

TEST_F(StepPlannerTest, FreeDependsOnTheObjectAndCheckAll)
{
    AddWall(20, 0, false);
    struct Case {
        int32_t obj;
        bool checkall;
        bool free;
    };
    const Case cases[] = {
        {kSelectorAll, false, true},  // the wall is not solid
        {kSelectorAll, true, false},
        {kWallObject, false, false},  // an object always counts, solid or not
        {kOtherObject, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MP_PlaceFree(mover, 18, 0, c.obj, c.checkall), c.free) << c.obj << " " << c.checkall;
    }
}

// ---- linear stepping ----

TEST_F(StepPlannerTest, LinearStepWalksStraightAndArrivesExactly)
{
    Place(0, 0, 90);
    EXPECT_FALSE(MP_LinearStep(mover, 10, 0, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 4);
    EXPECT_EQ(mover->i_y, 0);
    EXPECT_EQ(mover->i_direction, 0);
    EXPECT_FALSE(MP_LinearStep(mover, 10, 0, 4, kSelectorAll, false));
    EXPECT_TRUE(MP_LinearStep(mover, 10, 0, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 10);
    EXPECT_TRUE(MP_LinearStep(mover, 10, 0, 4, kSelectorAll, false));
    EXPECT_FALSE(MP_LinearStep(nullptr, 10, 0, 4, kSelectorAll, false));
}

TEST_F(StepPlannerTest, LinearStepShortOfAWallNeitherMovesNorArrives)
{
    AddWall(12, 0);
    Place(0, 0, 0);
    EXPECT_FALSE(MP_LinearStep(mover, 40, 0, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(MP_LinearStep(mover, 40, 0, 4, kSelectorAll, false));
        EXPECT_EQ(mover->i_x, 4);
    }
    // Another object's instances do not stand in the way.
    EXPECT_FALSE(MP_LinearStep(mover, 40, 0, 4, kOtherObject, true));
    EXPECT_EQ(mover->i_x, 8);
}

// ---- potential-field stepping ----

TEST_F(StepPlannerTest, PotentialStepGoesStraightAtAGoalAheadAndTurnsByAtMostMaxrotOtherwise)
{
    Place(100, 100, 0);
    EXPECT_FALSE(MP_PotentialStep(mover, 200, 100, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 104);
    EXPECT_EQ(mover->i_y, 100);
    EXPECT_EQ(mover->i_direction, 0);
    Place(100, 100, 180);
    EXPECT_FALSE(MP_PotentialStep(mover, 200, 100, 4, kSelectorAll, false));
    EXPECT_NEAR(mover->i_direction, 210, 1e-3);
    EXPECT_NEAR(mover->i_x, 100 - 4 * std::cos(30 * M_PI / 180), 1e-4);
    EXPECT_NEAR(mover->i_y, 102, 1e-4);
    // Turning a little each step, it comes round and gets there.
    bool arrived = false;
    for (int i = 0; i < 100 && !arrived; ++i) {
        arrived = MP_PotentialStep(mover, 200, 100, 4, kSelectorAll, false);
    }
    EXPECT_TRUE(arrived);
}

TEST_F(StepPlannerTest, PotentialStepLooksAheadAroundAWall)
{
    AddWall(112, 104);  // three steps ahead, a little below the straight line
    Place(100, 100, 0);
    EXPECT_FALSE(MP_PotentialStep(mover, 200, 100, 4, kSelectorAll, false));
    EXPECT_NE(mover->i_direction, 0);
    EXPECT_NE(mover->i_y, 100);
}

TEST_F(StepPlannerTest, PotentialStepWithNoFreeDirectionTurnsOnTheSpotWhenAllowed)
{
    WallIn();
    mover->SetDirection(0);
    EXPECT_FALSE(MP_PotentialStep(mover, 300, 100, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 100);
    EXPECT_EQ(mover->i_direction, 30);
    MP_PotentialSettings(30, 10, 3, false);
    EXPECT_FALSE(MP_PotentialStep(mover, 300, 100, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_direction, 30);
}

TEST_F(StepPlannerTest, PotentialStepWithinReachMovesOnlyOntoAFreeGoal)
{
    AddWall(109, 100);
    Place(100, 100, 0);
    EXPECT_TRUE(MP_PotentialStep(mover, 102, 100, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 100);
    EXPECT_TRUE(MP_PotentialStep(mover, 98, 100, 4, kSelectorAll, false));
    EXPECT_EQ(mover->i_x, 98);
    EXPECT_EQ(mover->i_direction, 180);
}

// ---- path forms ----

TEST_F(StepPlannerTest, LinearPathRecordsEveryStepOrWhatWasWalkedAndPutsTheInstanceBack)
{
    Place(0, 0, 45);
    MP_Route route;
    ASSERT_TRUE(MP_LinearPath(mover, route, 10, 0, 4, kSelectorAll, false));
    ASSERT_EQ(route.size(), 4u);
    const float xs[] = {0, 4, 8, 10};
    for (size_t i = 0; i < route.size(); ++i) {
        EXPECT_EQ(route[i].x, xs[i]);
        EXPECT_EQ(route[i].y, 0);
    }
    EXPECT_EQ(mover->i_x, 0);
    EXPECT_EQ(mover->i_direction, 45);
    AddWall(12, 0);  // into a wall: fails with the steps taken
    EXPECT_FALSE(MP_LinearPath(mover, route, 40, 0, 4, kSelectorAll, false));
    ASSERT_EQ(route.size(), 2u);
    EXPECT_EQ(route[1].x, 4);
    EXPECT_EQ(mover->i_x, 0);
}

TEST_F(StepPlannerTest, PathFormsRefuseStepSizesAndFactorsThatCannotPlan)
{
    MP_Route route{{5, 5}};
    EXPECT_FALSE(MP_LinearPath(mover, route, 40, 0, 0, kSelectorAll, false));
    EXPECT_FALSE(MP_LinearPath(mover, route, 40, 0, NAN, kSelectorAll, false));
    EXPECT_FALSE(MP_PotentialPath(mover, route, 40, 0, 4, 0.99f, kSelectorAll, false));
    EXPECT_FALSE(MP_PotentialPath(mover, route, 40, 0, -1, 2, kSelectorAll, false));
    EXPECT_FALSE(MP_PotentialPath(nullptr, route, 40, 0, 4, 2, kSelectorAll, false));
    // Not a number would never compare as arrived or as stuck.
    EXPECT_FALSE(MP_LinearPath(mover, route, NAN, 0, 4, kSelectorAll, false));
    EXPECT_FALSE(MP_PotentialPath(mover, route, 40, INFINITY, 4, 2, kSelectorAll, false));
    ASSERT_EQ(route.size(), 1u);
    EXPECT_EQ(route[0].x, 5);
}

TEST_F(StepPlannerTest, PotentialPathAcrossOpenGroundEndsAtTheGoal)
{
    Place(100, 100, 0);
    MP_Route route;
    ASSERT_TRUE(MP_PotentialPath(mover, route, 160, 100, 4, 1.5f, kSelectorAll, false));
    EXPECT_EQ(route.front().x, 100);
    EXPECT_EQ(route.back().x, 160);
    EXPECT_EQ(route.back().y, 100);
    EXPECT_EQ(route.size(), 16u);  // the start, 14 steps of 4 and the goal
    EXPECT_EQ(mover->i_x, 100);
    EXPECT_EQ(mover->i_direction, 0);
}

TEST_F(StepPlannerTest, PotentialPathWithFactorOneFailsWhenADetourIsNeeded)
{
    for (float y = 84; y < 124; y += 8) {
        AddWall(130, y);
    }
    Place(100, 100, 0);
    MP_Route route;
    EXPECT_FALSE(MP_PotentialPath(mover, route, 160, 100, 4, 1.0f, kSelectorAll, false));
    ASSERT_TRUE(MP_PotentialPath(mover, route, 160, 100, 4, 3.0f, kSelectorAll, false));
    EXPECT_EQ(route.back().x, 160);
    EXPECT_EQ(mover->i_x, 100);
}

TEST_F(StepPlannerTest, PotentialPathOfAnInstanceThatCannotMoveGivesUp)
{
    WallIn();
    for (bool onspot : {true, false}) {
        MP_PotentialSettings(30, 10, 3, onspot);
        mover->SetDirection(0);
        MP_Route route;
        EXPECT_FALSE(MP_PotentialPath(mover, route, 400, 100, 4, 1e30f, kSelectorAll, false));
        EXPECT_EQ(route.size(), 13u);  // the start and a whole turn of twelve 30-degree turns
        EXPECT_EQ(mover->i_x, 100);
        EXPECT_EQ(mover->i_direction, 0);
    }
}

TEST_F(StepPlannerTest, PotentialPathGoingRoundATrapWithoutLimitGivesUp)
{
    // A pocket open at the bottom, the goal beyond its top: the walk keeps
    // moving inside it and its allowance has no end.
    for (float x = 84; x <= 116; x += 8) {
        AddWall(x, 80);
    }
    for (float y = 88; y <= 128; y += 8) {
        AddWall(84, y);
        AddWall(116, y);
    }
    Place(100, 110, 90);
    MP_Route route;
    EXPECT_FALSE(MP_PotentialPath(mover, route, 100, 0, 1, INFINITY, kSelectorAll, false));
    EXPECT_GT(route.size(), 13u);  // it moved: no stop in place ended it
    EXPECT_EQ(mover->i_y, 110);
}

}  // namespace
}  // namespace bw
