#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "world/instance_list.h"
#include "world_fixture.h"

namespace bw::test {
namespace {

using InstanceTest = WorldTest;

std::vector<int32_t> ActiveIds(const CRoom& room)
{
    std::vector<int32_t> ids;
    for (const CInstance* at = room.activeInstances.First(); at != nullptr; at = at->i_next) {
        ids.push_back(at->i_id);
    }
    return ids;
}

TEST_F(InstanceTest, NewInstanceHasTheCreationDefaultsAndThePassCounter)
{
    AddObject(0, -1, 7);
    EventPassStamp = 41;
    CInstance* instance = AddInstance(0);
    EventPassStamp = 0;
    EXPECT_EQ(instance->i_createstamp, 41u);
    for (int32_t alarm = 0; alarm < kInstanceAlarmCount; ++alarm) {
        EXPECT_EQ(instance->GetAlarm(alarm), -1);
    }
    EXPECT_EQ(instance->i_gravitydir, 270.0f);
    EXPECT_EQ(instance->i_imagespeed, 1.0f);
    EXPECT_EQ(instance->i_imageblend, 16777215);
    EXPECT_EQ(instance->i_depth, 7.0f);
    EXPECT_EQ(instance->i_visible, 1);
    EXPECT_EQ(instance->i_pathindex, -1);
    EXPECT_EQ(instance->i_timelineindex, -1);
    EXPECT_EQ(instance->i_bboxdirty, 1);
    EXPECT_NE(instance->i_vars, nullptr);
}

TEST_F(InstanceTest, EqualDepthGoesAfterEarlierInstancesAndListStaysAscending)
{
    AddObject(0, -1, 5);
    AddObject(1, -1, -3);
    AddObject(2, -1, 9);
    const int32_t a = AddInstance(0)->i_id;
    const int32_t b = AddInstance(1)->i_id;
    const int32_t c = AddInstance(0)->i_id;
    const int32_t d = AddInstance(2)->i_id;
    EXPECT_EQ(ActiveIds(room), (std::vector<int32_t>{b, a, c, d}));
}

// The depth index must place exactly where a walk from the head would: a
// model placed by that walk follows a run of insertions, moves to the
// other list and back, and re-placements, over repeated depths, -0 beside
// +0 and NaN.
TEST_F(InstanceTest, PlacingByDepthMatchesAWalkFromTheHeadThroughEveryChange)
{
    AddObject(0);
    const float depths[] = {0.0f, 5.0f, -0.0f, std::numeric_limits<float>::quiet_NaN(), -3.0f, 2.0f};
    InstanceList aside;  // appended: outside the depth order
    std::vector<std::pair<CInstance*, float>> model;
    std::vector<CInstance*> all;
    uint32_t random = 12345;
    const auto next = [&random](uint32_t below) {
        random = random * 1103515245u + 12345u;
        return (random >> 16) % below;
    };
    for (int step = 0; step < 400; ++step) {
        const uint32_t choice = next(4);
        CInstance* instance = nullptr;
        if (choice == 0 || all.empty()) {
            all.push_back(new CInstance(0.0f, 0.0f, kInstanceIdFirst + step, 0, false));
            instance = all.back();
        } else {
            instance = all[next(static_cast<uint32_t>(all.size()))];
        }
        std::erase_if(model, [instance](const auto& placed) { return placed.first == instance; });
        if (choice == 3) {
            aside.Append(instance);
        } else {
            instance->i_depth = depths[next(std::size(depths))];
            room.activeInstances.InsertByDepth(instance);
            const auto deeper = std::find_if(model.begin(), model.end(), [instance](const auto& placed) {
                return placed.second > instance->i_depth;
            });
            model.insert(deeper, {instance, instance->i_depth});
        }
        std::vector<CInstance*> expected;
        for (const auto& placed : model) {
            expected.push_back(placed.first);
        }
        std::vector<CInstance*> listed;
        for (CInstance* at = room.activeInstances.First(); at != nullptr; at = at->i_next) {
            listed.push_back(at);
        }
        ASSERT_EQ(listed, expected) << "step " << step;
        ASSERT_EQ(room.activeInstances.Count(), static_cast<int32_t>(expected.size()));
    }
    for (CInstance* instance : all) {
        if (!aside.Remove(instance)) {
            room.activeInstances.Remove(instance);
        }
    }
}

TEST_F(InstanceTest, SetObjectMinusOneStoresObjectZeroAndAMissingObjectLeavesOwnValues)
{
    AddObject(0, 3);
    CInstance* instance = AddInstance(0);
    instance->SetObject(-1, true);
    EXPECT_EQ(instance->i_objindex, 0);
    EXPECT_EQ(instance->i_spriteindex, 3);
    CInstance orphan(4.0f, 5.0f, kInstanceIdFirst + 50, 77, true);
    EXPECT_EQ(orphan.i_object, nullptr);
    EXPECT_EQ(orphan.i_objindex, 77);
    EXPECT_EQ(orphan.i_spriteindex, -1);
    EXPECT_EQ(orphan.i_x, 4.0f);
}

TEST_F(InstanceTest, ImageIndexResetsOnlyWhenItsWholePartNamesNoFrame)
{
    struct Case {
        float imageIndex;
        int32_t frames;  // 0: the sprite does not exist
        float expected;
    };
    const Case cases[] = {
        {5.7f, 5, 0.0f}, {5.7f, 6, 5.7f}, {4.99f, 5, 4.99f}, {0.5f, 0, 0.0f}, {-0.5f, 1, -0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.imageIndex << " with " << c.frames << " frames");
        FakeSprites().clear();
        if (c.frames > 0) {
            FakeSprites()[4].frameCount = c.frames;
        }
        Object_FreeAll();
        AddObject(0);
        AddObject(1, 4);
        CInstance instance(0.0f, 0.0f, kInstanceIdFirst, 0, false);
        instance.i_imageindex = c.imageIndex;
        instance.SetObject(1, false);
        EXPECT_EQ(instance.i_imageindex, c.expected);
        instance.i_imageindex = c.imageIndex;
        instance.SetSpriteIndex(4);
        EXPECT_EQ(instance.i_imageindex, c.expected);
    }
}

TEST_F(InstanceTest, ChangingObjectTwiceLeavesTheListsOfTheFirstObject)
{
    CObject* first = AddObject(0);
    CObject* second = AddObject(1, -1, 20);
    CObject* third = AddObject(2, -1, -20);
    CInstance* mover = AddInstance(0);
    CInstance* other = AddInstance(0);

    mover->ChangeObject(1);
    mover->ChangeObject(2);
    EXPECT_EQ(mover->i_prevobject, first);
    EXPECT_EQ(first->instances.Count(), 2) << "lists change only when the queue is applied";

    Run_ApplyObjectChanges();
    EXPECT_EQ(first->instances.Count(), 1);
    EXPECT_EQ(second->instances.Count(), 0);
    EXPECT_EQ(third->instances.Count(), 1);
    EXPECT_EQ(mover->i_prevobject, nullptr);
    EXPECT_EQ(ActiveIds(room), (std::vector<int32_t>{mover->i_id, other->i_id})) << "re-sorted by its new depth";
}

TEST_F(InstanceTest, DescendantListsFollowTheParentChain)
{
    CObject* parent = AddObject(0);
    CObject* child = AddObject(1);
    child->parent = 0;
    child->parentObject = parent;
    CInstance* instance = AddInstance(1);
    EXPECT_EQ(parent->descendantInstances.Count(), 1);
    EXPECT_EQ(parent->instances.Count(), 0);
    instance->FreeLinks();
    EXPECT_EQ(parent->descendantInstances.Count(), 0);
    EXPECT_EQ(child->instances.Count(), 0);
}

TEST_F(InstanceTest, DepthChangeIsQueuedOnceAndAppliedByReinsertion)
{
    AddObject(0);
    CInstance* a = AddInstance(0);
    CInstance* b = AddInstance(0);
    a->SetDepth(10.0f);
    a->SetDepth(10.0f);
    b->SetDepth(0.0f);
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 1);
    Run_ApplyPendingInserts();
    EXPECT_EQ(ActiveIds(room), (std::vector<int32_t>{b->i_id, a->i_id}));
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 0);
}

TEST_F(InstanceTest, AlarmIndexesOutsideTheTwelveReadMinusOneAndWriteNothing)
{
    AddObject(0);
    CInstance* instance = AddInstance(0);
    for (const int32_t index : {-1, -2147483647 - 1, 12, 1000}) {
        instance->SetAlarm(index, 55);
        EXPECT_EQ(instance->GetAlarm(index), -1) << index;
    }
    for (int32_t alarm = 0; alarm < kInstanceAlarmCount; ++alarm) {
        EXPECT_EQ(instance->GetAlarm(alarm), -1) << alarm;
    }
}

TEST_F(InstanceTest, CopyKeepsOwnStampLinksAndCreatedFlagButTakesTheRest)
{
    AddObject(0, 2);
    CInstance* source = AddInstance(0);
    source->i_x = 12.0f;
    source->SetAlarm(3, 9);
    source->i_created = 1;
    const Value seven = Real(7.0);
    source->i_vars->SetVar(100001, -1, &seven);
    CInstance* copy = AddInstance(0);
    copy->i_createstamp = 99;
    copy->CopyFrom(*source, true);
    EXPECT_EQ(copy->i_id, source->i_id);
    EXPECT_EQ(copy->i_x, 12.0f);
    EXPECT_EQ(copy->GetAlarm(3), 9);
    EXPECT_EQ(copy->i_created, 0);
    EXPECT_EQ(copy->i_createstamp, 99u);
    EXPECT_EQ(copy->i_list, &room.activeInstances);
    Value read;
    EXPECT_TRUE(copy->i_vars->GetVar(100001, -1, &read));
    EXPECT_EQ(read.real, 7.0);
}

TEST_F(InstanceTest, FreedInstanceLeavesThePendingQueues)
{
    AddObject(0);
    AddObject(1);
    CInstance* instance = AddInstance(0);
    instance->ChangeObject(1);
    InstanceHash_Remove(instance->i_id, instance);
    room.activeInstances.Remove(instance);
    EXPECT_EQ(Instance_ObjectChangeQueue().Count(), 0);
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 0);
}

// ---- the id table ----

TEST_F(InstanceTest, IdsSharingABucketAreFoundAndRemovingADuplicateUnhashesThatInstanceOnly)
{
    AddObject(0);
    CInstance* first = AddInstance(0, 100000);
    CInstance* neighbour = AddInstance(0, 100512);  // the same bucket
    EXPECT_EQ(Instance_Find(100000), first);
    EXPECT_EQ(Instance_Find(100512), neighbour);
    EXPECT_EQ(Instance_Find(100001), nullptr);
    CInstance* second = AddInstance(0, 100000);
    CInstance* third = AddInstance(0, 100000);
    EXPECT_TRUE(InstanceHash_Remove(100000, second));
    EXPECT_EQ(Instance_Find(100000), first);
    EXPECT_TRUE(InstanceHash_Remove(100000, first));
    EXPECT_EQ(Instance_Find(100000), third);
    EXPECT_EQ(Instance_Find(100512), neighbour);
    EXPECT_FALSE(InstanceHash_Remove(100000, second)) << "already gone";
    EXPECT_FALSE(InstanceHash_Remove(100001, third)) << "absent id";
    EXPECT_EQ(Instance_Table().Count(), 2);
}

TEST_F(InstanceTest, SetIdWithRehashMovesTheTableEntry)
{
    AddObject(0);
    CInstance* instance = AddInstance(0, 100005);
    instance->SetId(200000, true);
    EXPECT_EQ(Instance_Find(100005), nullptr);
    EXPECT_EQ(Instance_Find(200000), instance);
}

// ---- motion setters the variables rely on ----

TEST_F(InstanceTest, MotionSettersKeepBothFormsConsistent)
{
    AddObject(0);
    CInstance* instance = AddInstance(0);
    instance->SetSpeed(1.0f);
    instance->SetDirection(90.0f);
    EXPECT_EQ(instance->i_hspeed, 0.0f);
    EXPECT_EQ(instance->i_vspeed, -1.0f);
    instance->SetDirection(-90.0f);
    EXPECT_EQ(instance->i_direction, 270.0f);
    instance->SetDirection(720.0f);
    EXPECT_EQ(instance->i_direction, 0.0f);
    instance->SetHSpeed(0.0f);
    instance->SetVSpeed(3.0f);
    EXPECT_EQ(instance->i_direction, 270.0f);
    EXPECT_EQ(instance->i_speed, 3.0f);
    instance->SetVSpeed(0.0f);
    instance->SetHSpeed(-2.0f);
    EXPECT_EQ(instance->i_direction, 180.0f);
}

TEST_F(InstanceTest, HugeDirectionIsReducedInsteadOfLoopingForever)
{
    AddObject(0);
    CInstance* instance = AddInstance(0);
    instance->SetDirection(3.0e38f);
    EXPECT_GE(instance->i_direction, 0.0f);
    EXPECT_LT(instance->i_direction, 360.0f);
}

TEST_F(InstanceTest, WithoutAMaskSpriteTheBoxLiesFarOutsideTheRoom)
{
    AddObject(0);
    CInstance* instance = AddInstance(0);
    instance->SetPosition(100.0f, 100.0f);
    EXPECT_EQ(instance->GetBBox().left, -100000);
    EXPECT_EQ(instance->GetBBox().bottom, -100000);
}

}  // namespace
}  // namespace bw::test
