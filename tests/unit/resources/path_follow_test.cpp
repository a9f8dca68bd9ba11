// Instances following paths: starting one, each step's move, and what
// happens at the end of the path for each end action.
#include <gtest/gtest.h>

#include <string>

#include "resources/path.h"
#include "world/instance.h"

namespace bw::test {
namespace {

constexpr int32_t kStop = 0;
constexpr int32_t kRestart = 1;
constexpr int32_t kContinue = 2;
constexpr int32_t kReverse = 3;

class PathFollowing : public ::testing::Test {
protected:
    void SetUp() override
    {
        Path_Init();
        Path_RegisterLookups();
        // A straight line 100 pixels long, from (0, 0) to the right.
        line = Path_Add();
        Path_Get(line)->SetClosed(false);
        Path_Get(line)->AddPoint(0, 0, 100);
        Path_Get(line)->AddPoint(100, 0, 100);
    }
    void TearDown() override { Path_ClearTable(); }

    // Steps until the end is reported (at most limit steps); the number of
    // steps taken, or -1 when the end never came.
    int32_t StepsToEnd(int32_t limit = 100)
    {
        for (int32_t step = 1; step <= limit; ++step) {
            if (instance.PathStep()) {
                return step;
            }
        }
        return -1;
    }

    int32_t line = -1;
    CInstance instance{50, 50, 100001, -1, false};
};

TEST_F(PathFollowing, StartPlacesTheInstanceAndTheFirstStepMovesItAlong)
{
    struct Case {
        const char* what;
        float speed;
        bool relative;
        float position, x, xStart, xAfterStep, y;  // the line is level: y stays at the start's
    };
    for (const Case& c : {Case{"absolute: onto the path's start", 10, false, 0, 0, 0, 10, 0},
                          Case{"relative: where the instance is", 10, true, 0, 50, 50, 60, 50},
                          // The start is always where the path's first point lies.
                          Case{"absolute backwards: at the end", -10, false, 1, 100, 0, 90, 0},
                          Case{"relative backwards: the end where the instance is", -10, true, 1, 50, -50, 40, 50}}) {
        SCOPED_TRACE(c.what);
        CInstance walker{50, 50, 100002, -1, false};
        walker.StartPath(line, c.speed, 1, 0, c.relative, kStop);
        EXPECT_EQ(walker.i_pathindex, line);
        EXPECT_EQ(walker.i_pathposition, c.position);
        EXPECT_EQ(walker.i_pathpositionprevious, c.position);
        EXPECT_EQ(walker.i_x, c.x);
        EXPECT_EQ(walker.i_y, c.y);
        EXPECT_EQ(walker.i_pathxstart, c.xStart);
        EXPECT_EQ(walker.i_pathystart, c.y);
        walker.PathStep();
        EXPECT_EQ(walker.i_x, c.xAfterStep);
        EXPECT_EQ(walker.i_y, c.y);
    }
}

TEST_F(PathFollowing, PathsThatCannotBeFollowedLeaveTheInstanceOnNone)
{
    const int32_t empty = Path_Add();
    for (int32_t path : {-1, 99, empty}) {
        instance.StartPath(line, 10, 1, 0, false, kStop);
        instance.StartPath(path, 10, 1, 0, false, kStop);
        EXPECT_EQ(instance.i_pathindex, -1) << path;
        EXPECT_FALSE(instance.PathStep());
    }
}

TEST_F(PathFollowing, NegativeScaleStoresTheStartButFollowsNothing)
{
    instance.StartPath(line, -7, -2, 0, false, kStop);
    EXPECT_EQ(instance.i_pathindex, -1);
    EXPECT_EQ(instance.i_pathspeed, -7.0f);
    EXPECT_EQ(instance.i_pathposition, 1.0f);
    EXPECT_EQ(instance.i_pathscale, -2.0f);
    EXPECT_EQ(instance.i_x, 50.0f);
}

TEST_F(PathFollowing, StepLeavesTheDirectionOfTheMoveWithSpeedZero)
{
    instance.StartPath(line, 10, 1, 0, true, kStop);
    instance.SetSpeed(3);
    instance.SetDirection(90);
    instance.PathStep();
    EXPECT_EQ(instance.i_direction, 0.0f);
    EXPECT_EQ(instance.i_speed, 0.0f);
    EXPECT_EQ(instance.i_hspeed, 0.0f);
    EXPECT_EQ(instance.i_vspeed, 0.0f);
}

TEST_F(PathFollowing, ScaleAndSpeedFactorSetThePace)
{
    Path_Get(line)->ChangePoint(0, 0, 0, 50);
    Path_Get(line)->ChangePoint(1, 100, 0, 50);
    instance.StartPath(line, 10, 2, 0, false, kStop);
    instance.PathStep();
    // Half speed along a path twice as large: 2.5% of its length, 5 pixels.
    EXPECT_FLOAT_EQ(instance.i_pathposition, 0.025f);
    EXPECT_FLOAT_EQ(instance.i_x, 5.0f);
}

TEST_F(PathFollowing, OrientationTurnsThePathCounterClockwise)
{
    instance.StartPath(line, 10, 1, 90, true, kStop);
    instance.PathStep();
    EXPECT_NEAR(instance.i_x, 50.0f, 1e-4f);
    EXPECT_NEAR(instance.i_y, 40.0f, 1e-4f);
}

struct EndCase {
    const char* name;
    int32_t action;
    float speed;
    float position;  // after the step that reached the end
    float x;
    float speedAfter;
    bool stillOnPath;
};

class PathEndActions : public PathFollowing, public ::testing::WithParamInterface<EndCase> {};

TEST_P(PathEndActions, EndOfThePathIsHandledByTheEndAction)
{
    const EndCase& c = GetParam();
    instance.StartPath(line, c.speed, 1, 0, false, c.action);
    EXPECT_EQ(StepsToEnd(), 4);
    EXPECT_NEAR(instance.i_pathposition, c.position, 1e-5f);
    EXPECT_NEAR(instance.i_x, c.x, 1e-3f);
    EXPECT_EQ(instance.i_pathspeed, c.speedAfter);
    EXPECT_EQ(instance.i_pathindex >= 0, c.stillOnPath);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, PathEndActions,
    ::testing::Values(EndCase{"StopAtTheEnd", kStop, 30, 1.0f, 100.0f, 30, false},
                      // Running backwards, the instance stops at the start it ran into.
                      EndCase{"StopAtTheStartRunningBackwards", kStop, -30, 0.0f, 0.0f, -30, false},
                      EndCase{"RestartFromTheStart", kRestart, 30, 0.2f, 20.0f, 30, true},
                      EndCase{"RestartFromTheEndRunningBackwards", kRestart, -30, 0.8f, 80.0f, -30, true},
                      EndCase{"ContinueFromTheEnd", kContinue, 30, 0.2f, 120.0f, 30, true},
                      EndCase{"ContinueBackwardsBeforeTheStart", kContinue, -30, 0.8f, -20.0f, -30, true},
                      EndCase{"ReverseAtTheEnd", kReverse, 30, 0.8f, 80.0f, -30, true},
                      EndCase{"ReverseAtTheStart", kReverse, -30, 0.2f, 20.0f, 30, true},
                      EndCase{"UnknownActionStops", 9, 30, 1.0f, 100.0f, 30, false}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST_F(PathFollowing, ReverseTurnsBackByTheOvershoot)
{
    instance.StartPath(line, 4, 1, 0, false, kReverse);
    instance.i_pathposition = 0.98f;
    EXPECT_TRUE(instance.PathStep());
    EXPECT_NEAR(instance.i_pathposition, 0.98f, 1e-6f);
    EXPECT_EQ(instance.i_pathspeed, -4.0f);
}

TEST_F(PathFollowing, StandingStillAtAnEndReportsNoEnd)
{
    instance.StartPath(line, 0, 1, 0, false, kStop);
    EXPECT_FALSE(instance.PathStep());
    EXPECT_EQ(instance.i_pathindex, line);
}

TEST_F(PathFollowing, DeletedPathStopsTheStepsQuietly)
{
    instance.StartPath(line, 10, 1, 0, false, kStop);
    Path_Delete(line);
    EXPECT_FALSE(instance.PathStep());
    EXPECT_EQ(instance.i_x, 0.0f);
}

}  // namespace
}  // namespace bw::test
