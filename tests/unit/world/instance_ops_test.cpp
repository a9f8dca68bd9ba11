#include "world/instance_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "unit/world/instance_ops_fixture.h"
#include "world/instance_ops_motion.h"
#include "world/variable_list.h"

namespace bw {
namespace {

class InstanceOpsTest : public test::ShapesWorldTest {
protected:
    void SetUp() override
    {
        ShapesWorldTest::SetUp();
        AddObject(0);
        AddObject(1);
        AddChild(2, 0);
    }
};

// ---- creating, copying, changing, destroying ----

TEST_F(InstanceOpsTest, CreateRunsTheCreateEventWithTheNewInstanceAsSelfAndOther)
{
    SetEvent(Object_Find(0), kEventCreate, 0, "record(other.id, x, y)");
    CInstance* made = Instance_Create(0, 12.0f, 34.0f);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->i_id, test::kRoomMadeIdBase + 1);
    EXPECT_EQ(test::Recorded(), "200001:200001,12,34;");
    EXPECT_TRUE(made->i_created);
    EXPECT_EQ(Instance_Find(made->i_id), made);
    EXPECT_TRUE(room.activeInstances.Contains(made));
}

TEST_F(InstanceOpsTest, CreateForAMissingObjectIsReportedAndMakesNothing)
{
    EXPECT_EQ(Instance_Create(7, 0.0f, 0.0f), nullptr);
    EXPECT_NE(LastError().find("Creating instance for non-existing object: 7"), std::string::npos);
    EXPECT_EQ(room.activeInstances.Count(), 0);
}

TEST_F(InstanceOpsTest, CopyHoldsSelfsVariablesUnderAnIdOfItsOwn)
{
    SetEvent(Object_Find(0), kEventCreate, 0, "record(x)");
    CInstance* self = At(0, 5.0f, 6.0f);
    const Value seven = Real(7.0);
    self->i_vars->SetVar(kVariableUserIdBase, kValueNoIndex, &seven);

    CInstance* copy = Instance_Copy(self, false);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->i_id, self->i_id);
    EXPECT_EQ(Instance_Find(copy->i_id), copy);
    EXPECT_EQ(Instance_Find(self->i_id), self);
    EXPECT_EQ(copy->i_x, 5.0f);
    Value read;
    EXPECT_TRUE(copy->i_vars->GetVar(kVariableUserIdBase, kValueNoIndex, &read));
    EXPECT_EQ(read.real, 7.0);
    EXPECT_EQ(test::Recorded(), "");
    EXPECT_FALSE(copy->i_created);
}

TEST_F(InstanceOpsTest, CopyWithPerformRunsTheCopysCreateEventAndTakesSelfsDepth)
{
    SetEvent(Object_Find(0), kEventCreate, 0, "record(x)");
    CInstance* self = At(0, 5.0f, 6.0f);
    self->i_depth = -10.0f;
    CInstance* copy = Instance_Copy(self, true);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(test::Recorded(), std::to_string(copy->i_id) + ":5;");
    EXPECT_TRUE(copy->i_created);
    EXPECT_TRUE(Instance_DepthChangeQueue().Contains(copy));
}

TEST_F(InstanceOpsTest, DestroyPerformsTheDestroyEventOnce)
{
    SetEvent(Object_Find(0), kEventDestroy, 0, "record('gone')");
    CInstance* instance = At(0, 0.0f, 0.0f);
    Instance_Destroy(instance);
    Instance_Destroy(instance);
    EXPECT_EQ(test::Recorded(), "100000:gone;");
    EXPECT_TRUE(instance->i_marked);
}

TEST_F(InstanceOpsTest, ChangeRunsTheOldDestroyThenTheNewCreateOnlyWithPerformAndSkipsARunDestroy)
{
    SetEvent(Object_Find(0), kEventDestroy, 0, "record('destroy a')");
    SetEvent(Object_Find(1), kEventCreate, 0, "record('create b')");
    CInstance* quiet = At(0, 0.0f, 0.0f);
    Instance_Change(quiet, 1, false);
    EXPECT_EQ(test::Recorded(), "");
    CInstance* instance = At(0, 0.0f, 0.0f);
    Instance_Change(instance, 1, true);
    EXPECT_EQ(test::Recorded(), "100001:destroy a;100001:create b;");
    EXPECT_EQ(instance->i_objindex, 1);
    CInstance* destroyed = At(0, 0.0f, 0.0f);
    destroyed->i_destroyed = 1;
    Instance_Change(destroyed, 1, true);
    EXPECT_EQ(test::Recorded(), "100001:destroy a;100001:create b;100002:create b;");
}

TEST_F(InstanceOpsTest, ChangeIntoItsOwnObjectDoesNothingNotEvenTheEvents)
{
    SetEvent(Object_Find(0), kEventCreate, 0, "record('create')");
    CInstance* instance = At(0, 0.0f, 0.0f);
    Instance_Change(instance, 0, true);
    EXPECT_EQ(test::Recorded(), "");
    EXPECT_EQ(Instance_ObjectChangeQueue().Count(), 0);
}

TEST_F(InstanceOpsTest, MissingObjectsAndSpritesAreReportedWithTheirNumber)
{
    CInstance* instance = At(0, 0.0f, 0.0f);
    Instance_Change(instance, 9, true);
    EXPECT_NE(LastError().find("Asking to change into non-existing object: 9"), std::string::npos);
    EXPECT_EQ(instance->i_objindex, 0);

    Instance_SetSprite(instance, 4);
    EXPECT_NE(LastError().find("Setting instance to non-existing sprite: 4"), std::string::npos);
    EXPECT_EQ(instance->i_spriteindex, -1);

    test::FakeSprites()[4] = SpriteInfo{};
    Instance_SetSprite(instance, 4);
    EXPECT_EQ(instance->i_spriteindex, 4);
}

// ---- finding and counting ----

TEST_F(InstanceOpsTest, FindNthFollowsEachSelector)
{
    CInstance* a = At(0, 0.0f, 0.0f);
    CInstance* b = At(1, 0.0f, 0.0f);
    CInstance* child = At(2, 0.0f, 0.0f);
    CInstance* gone = At(0, 0.0f, 0.0f);
    gone->i_marked = 1;
    struct Case {
        int32_t selector, n;
        const CInstance* expected;
    };
    const Case cases[] = {
        {kSelectorSelf, 0, a},      {kSelectorSelf, 1, nullptr}, {kSelectorOther, 0, b},
        {-3, 0, a},                 {-3, 2, child},              {-3, 3, nullptr},
        {kSelectorNoone, 0, nullptr}, {0, 0, a},                 {0, 1, child},
        {0, 2, nullptr},            {2, 0, child},               {b->i_id, 0, b},
        {b->i_id, 1, nullptr},      {gone->i_id, 0, nullptr},    {5, 0, nullptr},
        {0, -1, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Instance_FindNth(a, b, c.selector, c.n), c.expected) << c.selector << " " << c.n;
    }
}

TEST_F(InstanceOpsTest, NumberCountsLiveInstancesOnlyAndAChangeInThisPassAtOnce)
{
    CInstance* changed = At(0, 0.0f, 0.0f);
    At(2, 0.0f, 0.0f);
    At(1, 0.0f, 0.0f)->i_deactivated = 1;
    CInstance* marked = At(0, 0.0f, 0.0f);
    marked->i_marked = 1;
    struct Case {
        int32_t selector, expected;
    };
    const Case cases[] = {{-3, 2}, {0, 2}, {2, 1}, {1, 0}, {marked->i_id, 0}, {100000, 1}, {kSelectorNoone, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(Instance_Number(c.selector), c.expected) << c.selector;
    }
    Instance_Change(changed, 1, false);
    EXPECT_EQ(Instance_Number(1), 1);
}

TEST_F(InstanceOpsTest, NearestAndFurthestPickByDistanceFirstOfEqualsWinning)
{
    CInstance* near1 = At(0, 10.0f, 0.0f);
    CInstance* near2 = At(0, -10.0f, 0.0f);
    CInstance* far = At(1, 0.0f, 500.0f);
    EXPECT_EQ(Instance_Nearest(0.0f, 0.0f, -3), near1);
    EXPECT_EQ(Instance_Nearest(0.0f, 0.0f, 0), near1);
    EXPECT_EQ(Instance_Furthest(0.0f, 0.0f, -3), far);
    EXPECT_EQ(Instance_Furthest(0.0f, 0.0f, 0), near1);
    near1->i_marked = 1;
    EXPECT_EQ(Instance_Nearest(0.0f, 0.0f, 0), near2);
}

TEST_F(InstanceOpsTest, NearestFindsNothingByIdOrBeyondTenThousandUnits)
{
    CInstance* instance = At(0, 0.0f, 0.0f);
    EXPECT_EQ(Instance_Nearest(0.0f, 0.0f, instance->i_id), nullptr);
    EXPECT_EQ(Instance_Furthest(0.0f, 0.0f, instance->i_id), nullptr);
    EXPECT_EQ(Instance_Nearest(10000.0f, 0.0f, -3), nullptr);
    EXPECT_EQ(Instance_Nearest(9999.0f, 0.0f, -3), instance);
}

// ---- activation ----

TEST_F(InstanceOpsTest, DeactivateAllKeepsSelfWithNotMe)
{
    CInstance* self = At(0, 0.0f, 0.0f);
    CInstance* other = At(1, 0.0f, 0.0f);
    Instance_DeactivateAll(self, true);
    EXPECT_FALSE(self->i_deactivated);
    EXPECT_TRUE(other->i_deactivated);
    EXPECT_TRUE(Room_ActivationQueue().Contains(other));

    Instance_ActivateAll();
    EXPECT_FALSE(other->i_deactivated);
    Instance_DeactivateAll(self, false);
    EXPECT_TRUE(self->i_deactivated);
}

TEST_F(InstanceOpsTest, ObjectActivationFollowsSelectorsAndTheParentChain)
{
    CInstance* self = At(0, 0.0f, 0.0f);
    CInstance* other = At(1, 0.0f, 0.0f);
    CInstance* child = At(2, 0.0f, 0.0f);
    struct Case {
        int32_t selector;
        std::vector<const CInstance*> deactivated;
    };
    const Case cases[] = {
        {kSelectorSelf, {self}},   {kSelectorOther, {other}}, {-3, {self, other, child}},
        {0, {self, child}},        {2, {child}},              {other->i_id, {other}},
        {kSelectorNoone, {}},      {42, {}},
    };
    for (const Case& c : cases) {
        Instance_SetObjectActive(self, other, c.selector, false);
        for (const CInstance* instance : {self, other, child}) {
            const bool expected =
                std::find(c.deactivated.begin(), c.deactivated.end(), instance) != c.deactivated.end();
            EXPECT_EQ(instance->i_deactivated != 0, expected) << c.selector << " " << instance->i_id;
        }
        Instance_SetObjectActive(self, other, c.selector, true);
        EXPECT_EQ(Instance_Number(-3), 3) << c.selector;
    }
}

TEST_F(InstanceOpsTest, RegionDeactivatesWhatTouchesItOrWhatLiesOutside)
{
    CInstance* self = At(0, 50.0f, 50.0f);
    CInstance* inside = At(0, 100.0f, 100.0f);  // on the edge counts as inside
    CInstance* outside = At(1, 101.0f, 50.0f);
    const ActivationRegion touching{0.0f, 0.0f, 100.0f, 100.0f, true};
    Instance_DeactivateRegion(self, touching, true);
    EXPECT_FALSE(self->i_deactivated);
    EXPECT_TRUE(inside->i_deactivated);
    EXPECT_FALSE(outside->i_deactivated);

    Instance_ActivateRegion(touching);
    EXPECT_FALSE(inside->i_deactivated);

    const ActivationRegion beyond{0.0f, 0.0f, 100.0f, 100.0f, false};
    Instance_DeactivateRegion(self, beyond, false);
    EXPECT_FALSE(self->i_deactivated);
    EXPECT_FALSE(inside->i_deactivated);
    EXPECT_TRUE(outside->i_deactivated);
}

TEST_F(InstanceOpsTest, RegionJudgesAnInstanceWithASpriteByItsBoundingBox)
{
    SpriteInfo sprite;
    sprite.width = 20;
    sprite.height = 20;
    sprite.bboxRight = 19;
    sprite.bboxBottom = 19;
    sprite.yorigin = 15;
    test::FakeSprites()[0] = sprite;
    CInstance* overlapping = At(0, 50.0f, 140.0f);  // box 50..69 x 125..144; the point lies below
    overlapping->SetSpriteIndex(0);
    Instance_DeactivateRegion(nullptr, {0.0f, 0.0f, 100.0f, 130.0f, true}, false);
    EXPECT_TRUE(overlapping->i_deactivated);
}

// ---- moves ----

TEST_F(InstanceOpsTest, SnapRoundsToTheGridOnlyOnAxesWithASnap)
{
    CInstance* instance = At(0, 23.0f, 25.0f);
    Move_Snap(instance, 0.0f, 16.0f);
    EXPECT_EQ(instance->i_x, 23.0f);
    EXPECT_EQ(instance->i_y, 32.0f);
    instance->SetPosition(24.0f, 8.0f);
    Move_Snap(instance, 16.0f, 16.0f);  // ties go to the even multiple
    EXPECT_EQ(instance->i_x, 32.0f);
    EXPECT_EQ(instance->i_y, 0.0f);
}

TEST_F(InstanceOpsTest, WrapBringsAnInstanceInOnTheOtherSideBySpriteSize)
{
    SpriteInfo sprite;
    sprite.width = 10;
    sprite.height = 8;
    test::FakeSprites()[0] = sprite;
    room.width = 100;
    room.height = 50;
    CInstance* instance = At(0, -4.0f, 60.0f);
    instance->SetSpriteIndex(0);
    instance->i_imagescalex = 2.0f;
    instance->i_hspeed = -1.0f;
    instance->i_vspeed = 1.0f;
    Move_Wrap(instance, true, false);
    EXPECT_EQ(instance->i_x, 100.0f - 4.0f + 20.0f);
    EXPECT_EQ(instance->i_y, 60.0f);
    Move_Wrap(instance, false, true);
    EXPECT_EQ(instance->i_y, 60.0f - 50.0f - 8.0f);
}

TEST_F(InstanceOpsTest, TowardsPointSetsDirectionToThePointAndTheGivenSpeed)
{
    CInstance* instance = At(0, 10.0f, 10.0f);
    Move_TowardsPoint(instance, 10.0f, 0.0f, 3.0f);
    EXPECT_EQ(instance->i_direction, 90.0f);
    EXPECT_EQ(instance->i_speed, 3.0f);
    EXPECT_NEAR(instance->i_vspeed, -3.0f, 1e-6f);
}

}  // namespace
}  // namespace bw
