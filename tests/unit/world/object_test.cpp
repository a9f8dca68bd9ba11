#include <gtest/gtest.h>

#include <functional>

#include "object_test_world.h"
#include "world/instance_table.h"

namespace bw::test {
namespace {

using ObjectLoadTest = ObjectWorldTest;
using ObjectTableTest = ObjectWorldTest;
using ObjectListsTest = ObjectWorldTest;

std::vector<int32_t> Listed(int32_t type, int32_t number)
{
    const auto view = Object_EventList(type, number);
    return std::vector<int32_t>(view.begin(), view.end());
}

std::vector<std::pair<int32_t, int32_t>> Pairs()
{
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (const ObjectPair& pair : Object_CollisionPairs()) {
        pairs.emplace_back(pair.lower, pair.higher);
    }
    return pairs;
}

// ---- the OBJT reader ----

TEST_F(ObjectLoadTest, PhysicsFieldsFollowThePackageFormat)
{
    const std::vector<ObjectSpec> objects = {
        {"body", -1, {{kEventStep, 0, "note(1)"}}, {{1.0f, 2.0f}, {3.0f, 4.0f}}},
    };
    struct Case {
        uint32_t format;
        uint8_t enabled;
        size_t vertices;
        float friction;
        uint8_t awake;
        uint8_t kinematic;
    };
    const Case cases[] = {
        {5, 0, 0, 0.2f, 1, 0},    // no physics block at all
        {8, 1, 2, 0.2f, 1, 0},    // block without the body fields: their defaults
        {9, 1, 2, 0.5f, 0, 1},    // the body fields as written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ASSERT_TRUE(Load(objects, c.format)) << ConsoleLines();
        const CObject* object = Object_Find(0);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->physics.enabled, c.enabled);
        EXPECT_EQ(object->physics.vertices.size(), c.vertices);
        EXPECT_EQ(object->physics.friction, c.friction);
        EXPECT_EQ(object->physics.awake, c.awake);
        EXPECT_EQ(object->physics.kinematic, c.kinematic);
        // The event section follows wherever the block ends.
        EXPECT_NE(object->GetEvent(kEventStep, 0), nullptr);
        if (c.vertices == 2) {
            EXPECT_EQ(object->physics.vertices[1].x, 3.0f);
            EXPECT_EQ(object->physics.vertices[1].y, 4.0f);
            EXPECT_EQ(object->physics.restitution, 0.25f);
            EXPECT_EQ(object->physics.group, 3);
        }
    }
}

TEST_F(ObjectLoadTest, RecordFieldsAndParentsAreRead)
{
    ASSERT_TRUE(Load({{"parent"}, {"child", 0}}));
    EXPECT_EQ(Object_Count(), 2);
    EXPECT_STREQ(Object_Name(1), "child");
    EXPECT_EQ(Object_FindByName("parent"), 0);
    EXPECT_EQ(Object_FindByName("nobody"), -1);
    EXPECT_STREQ(Object_Name(7), "<undefined>");
    const CObject* child = Object_Find(1);
    EXPECT_EQ(child->parentObject, Object_Find(0));
    EXPECT_EQ(child->flags, kObjectFlagVisible);
    EXPECT_EQ(child->sprite, -1);
}

TEST_F(ObjectLoadTest, TopBitOfAnEventNumberIsAMarkerNotPartOfTheNumber)
{
    ASSERT_TRUE(Load({{"marked", -1, {{kEventAlarm, 0x80000003u, "note(3)"}, {kEventAlarm, 4, "note(4)"}}}}));
    const CObject* object = Object_Find(0);
    ASSERT_NE(object->GetEvent(kEventAlarm, 3), nullptr);
    EXPECT_NE(object->GetEvent(kEventAlarm, 4), nullptr);
    EXPECT_TRUE(Object_MarkedEventLoaded());
    // Number 3's array holds slots 0..4; beyond it and in the gaps: none.
    EXPECT_EQ(object->GetEvent(kEventAlarm, 0), nullptr);
    EXPECT_EQ(object->GetEvent(kEventAlarm, 9), nullptr);
    // The mark belongs to the chunk read last.
    ASSERT_TRUE(Load({{"plain", -1, {{kEventAlarm, 3, "note(3)"}}}}));
    EXPECT_FALSE(Object_MarkedEventLoaded());
}

TEST_F(ObjectLoadTest, MalformedRecordsAreRefusedWithTheirReason)
{
    const std::vector<ObjectSpec> objects = {
        {"ok"},
        {"bad", -1, {{kEventStep, 0, "note(0)"}}, {{1.0f, 1.0f}}},
    };
    struct Case {
        const char* label;  // the word spoiled in object 1
        uint32_t value;
        const char* reason;
    };
    const Case cases[] = {
        {"name", 0x7FFFFFF0u, "its name lies outside the package"},
        {"vertexCount", 0xFFFFFFFFu, "its -1 physics vertices do not fit the package"},
        {"vertexCount", 0x10000000u, "physics vertices do not fit the package"},
        {"typeCount", 13, "it lists 13 event types, more than 12"},
        {"typeCount", 0x40000000u, "its event section runs past the end of the package"},
        {"number", 256, "event (3, 256) has a number above 255"},
        {"number", 0x80000100u, "event (3, 256) has a number above 255"},
        {"actionOffset", 0x40000000u, "its action lies outside the package"},
        {"text", 0x7FFFFFF0u, "its action lies outside the package"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label) + " " + c.reason);
        image = std::make_unique<ObjtImage>(objects, 13);
        image->Patch(image->At(1, c.label), c.value);
        ConsoleLines().clear();
        EXPECT_FALSE(LoadImage());
        EXPECT_NE(ConsoleLines().find("Error on load\nOBJT: object 1: "), std::string::npos) << ConsoleLines();
        EXPECT_NE(ConsoleLines().find(c.reason), std::string::npos) << ConsoleLines();
        EXPECT_EQ(Object_Table().Count(), 0);
    }
}

// Collision events are numbered by the other object, so games with hundreds
// of objects have them far above the other events' numbers.
TEST_F(ObjectLoadTest, CollisionEventsRunToTheObjectCount)
{
    constexpr int32_t kObjects = 301;
    std::vector<ObjectSpec> objects;
    for (int32_t i = 0; i < kObjects; ++i) {
        objects.emplace_back("o" + std::to_string(i));
    }
    objects[0].events = {{kEventCollision, kObjects - 1, "note()"}};
    ASSERT_TRUE(Load(objects)) << ConsoleLines();
    EXPECT_TRUE(Object_Find(0)->HasEvent(kEventCollision, kObjects - 1));

    objects[0].events = {{kEventCollision, kObjects, "note()"}};
    ConsoleLines().clear();
    EXPECT_FALSE(Load(objects));
    EXPECT_NE(ConsoleLines().find("event (4, 301) has a number above 300"), std::string::npos) << ConsoleLines();
}

TEST_F(ObjectLoadTest, TruncatedChunkOrRecordIsRefused)
{
    image = std::make_unique<ObjtImage>(std::vector<ObjectSpec>{{"cut", -1, {{kEventDraw, 0, "note()"}}}}, 13);
    // The list claims more records than the chunk holds.
    image->Patch(image->chunkOffset, 1000);
    EXPECT_FALSE(LoadImage());
    // A record that starts a word before the end of the package.
    image = std::make_unique<ObjtImage>(std::vector<ObjectSpec>{{"cut"}}, 13);
    image->Patch(image->chunkOffset + 4, image->Here() - 4);
    EXPECT_FALSE(LoadImage());
    EXPECT_NE(ConsoleLines().find("the record runs past the end of the package"), std::string::npos);
}

TEST_F(ObjectLoadTest, EmptySlotsLeaveIndicesAbsentButCounted)
{
    image = std::make_unique<ObjtImage>(std::vector<ObjectSpec>{{"a"}, {"b"}, {"c"}}, 13);
    image->Patch(image->chunkOffset + 4 + 4 * 2, 0);
    ASSERT_TRUE(LoadImage());
    EXPECT_EQ(Object_Count(), 3);
    EXPECT_FALSE(Object_Exists(2));
    EXPECT_TRUE(Object_Exists(1));
}

TEST_F(ObjectLoadTest, CompileFailureStopsPreparationWithItsMessage)
{
    EXPECT_FALSE(Load({{"broken", -1, {{kEventCreate, 0, "x = = ;"}}}}));
    ASSERT_NE(Code_Error_LastText(), nullptr);
    EXPECT_NE(std::string(Code_Error_LastText()).find("COMPILATION ERROR in code action\n"), std::string::npos);
}

// ---- the table ----

TEST_F(ObjectTableTest, AddedObjectTakesTheNextIndexAndItsName)
{
    std::vector<ObjectSpec> ten;
    for (int i = 0; i < 10; ++i) {
        ten.push_back({"o" + std::to_string(i)});
    }
    ASSERT_TRUE(Load(ten));
    EXPECT_EQ(Object_Add(), 10);
    EXPECT_STREQ(Object_Name(10), "__newobject10");
    EXPECT_EQ(Object_Count(), 11);
    EXPECT_EQ(Object_Find(10)->flags, kObjectFlagVisible);
}

TEST_F(ObjectTableTest, ParentLoopInThePackageEndsEveryWalk)
{
    ASSERT_TRUE(Load({{"a", 1}, {"b", 0, {{kEventStep, 0, "note()"}}}}));
    EXPECT_FALSE(Object_Find(0)->IsChildOf(5));
    EXPECT_EQ(Object_Find(0)->FindEvent(kEventDraw, 0), nullptr);
    Object_BuildEventLists();
    EXPECT_EQ(Listed(kEventStep, 0), (std::vector<int32_t>{0, 1}));
    // Joining and leaving the lists walks the loop too.
    room.activeInstances.Remove(AddInstance(0));
    EXPECT_EQ(Object_Find(0)->descendantInstances.Count(), 0);
    EXPECT_EQ(Object_Find(1)->descendantInstances.Count(), 0);
}

TEST_F(ObjectTableTest, ParentChainAnswersIsChildOfAndADeletedObjectLeavesNothingPointingAtIt)
{
    ASSERT_TRUE(Load({{"root"}, {"middle", 0}, {"leaf", 1}}));
    EXPECT_TRUE(Object_Find(2)->IsChildOf(0));
    EXPECT_TRUE(Object_Find(2)->IsChildOf(1));
    EXPECT_FALSE(Object_Find(2)->IsChildOf(2));
    EXPECT_FALSE(Object_Find(0)->IsChildOf(1));
    CInstance* ofMiddle = AddInstance(1);
    CInstance* ofLeaf = AddInstance(2);
    ASSERT_TRUE(Object_Delete(1));
    EXPECT_FALSE(Object_Delete(1));
    EXPECT_EQ(ofMiddle->i_object, nullptr);
    EXPECT_EQ(Object_Find(2)->parentObject, nullptr);
    const auto& rootList = Object_Find(0)->descendantInstances;
    EXPECT_EQ(rootList.Count(), 0);
    EXPECT_EQ(Object_Find(2)->descendantInstances.Count(), 1);
    EXPECT_EQ(Object_Count(), 3);
    // Destroying both afterwards touches only live records (ASan watches).
    room.activeInstances.Remove(ofMiddle);
    room.activeInstances.Remove(ofLeaf);
    EXPECT_EQ(Object_Find(2)->descendantInstances.Count(), 0);
}

// FindEvent keeps its answers; every change that can alter one is seen.
TEST_F(ObjectTableTest, KeptEventAnswersFollowTheTableTheEventsAndTheParents)
{
    ASSERT_TRUE(Load({{"root", -1, {{kEventStep, 0, "note()"}}}, {"child", 0}, {"orphan", 3}}));
    int32_t owner = -1;
    EXPECT_EQ(Object_Find(1)->FindEvent(kEventStep, 0, &owner), Object_Find(0)->GetEvent(kEventStep, 0));
    EXPECT_EQ(owner, 0);
    EXPECT_EQ(Object_Find(2)->FindEvent(kEventStep, 0), nullptr);
    EXPECT_FALSE(Object_AnyHasEvent(kEventDraw, 64));
    // The orphan's parent index comes to exist and gains events.
    ASSERT_EQ(Object_Add(), 3);
    for (const int32_t type : {kEventStep, kEventDraw}) {
        auto event = std::make_unique<CEvent>();
        event->text = "";
        Object_Find(3)->SetEvent(type, type == kEventDraw ? 64 : 0, std::move(event));
    }
    EXPECT_EQ(Object_Find(2)->FindEvent(kEventStep, 0, &owner), Object_Find(3)->GetEvent(kEventStep, 0));
    EXPECT_EQ(owner, 3);
    EXPECT_TRUE(Object_AnyHasEvent(kEventDraw, 64));
    EXPECT_NE(Object_Find(1)->FindEvent(kEventStep, 0), nullptr);
    Object_Find(1)->SetParent(-1);
    EXPECT_EQ(Object_Find(1)->FindEvent(kEventStep, 0), nullptr);
    ASSERT_TRUE(Object_Delete(3));
    EXPECT_EQ(Object_Find(2)->FindEvent(kEventStep, 0), nullptr);
    EXPECT_FALSE(Object_AnyHasEvent(kEventDraw, 64));
}

// A deactivated instance has left its object's list but still names the
// object: deleting the object must not leave it pointing at freed memory.
TEST_F(ObjectTableTest, DeletingAnObjectReachesItsDeactivatedInstances)
{
    ASSERT_TRUE(Load({{"sleeper"}}));
    CInstance* instance = AddInstance(0);
    instance->i_deactivated = 1;
    room.ReactivateInstances();
    ASSERT_EQ(room.deactivatedInstances.First(), instance);
    ASSERT_TRUE(Object_Delete(0));
    EXPECT_EQ(instance->i_object, nullptr);
    instance->i_deactivated = 0;
    room.ReactivateInstances();
    EXPECT_EQ(room.activeInstances.First(), instance);
}

// Room and constant code run with a scratch instance that no room lists but
// that names object 0; that code may delete the object. The scratch goes
// when its code ends (ASan watches), and the object only after that.
TEST_F(ObjectTableTest, DeletedObjectOutlivesTheScratchInstanceOfTheCodeThatDeletedIt)
{
    ASSERT_TRUE(Load({{"first"}}));
    CInstance scratch(0.0f, 0.0f, 0, 0, false);
    ASSERT_EQ(scratch.i_object, Object_Find(0));
    ASSERT_TRUE(Object_Delete(0));
    EXPECT_FALSE(Object_Exists(0));
    scratch.FreeLinks();
    Object_FreeDeleted();
}

TEST_F(ObjectTableTest, NewParentTakesOverTheDescendantInstances)
{
    ASSERT_TRUE(Load({{"old"}, {"new"}, {"child", 0}}));
    CInstance* instance = AddInstance(2);
    ASSERT_EQ(Object_Find(0)->descendantInstances.Count(), 1);
    Object_Find(2)->SetParent(1);
    EXPECT_EQ(Object_Find(0)->descendantInstances.Count(), 0);
    EXPECT_EQ(Object_Find(1)->descendantInstances.Count(), 1);
    room.activeInstances.Remove(instance);
    EXPECT_EQ(Object_Find(1)->descendantInstances.Count(), 0);
}

// ---- per-event lists and collision pairs ----

TEST_F(ObjectListsTest, ChildIsListedUnderItsParentsStep)
{
    ASSERT_TRUE(Load({{"parent", -1, {{kEventStep, 1, "note()"}}}, {"other"}, {"child", 0}}));
    Object_BuildEventLists();
    EXPECT_EQ(Listed(kEventStep, 1), (std::vector<int32_t>{0, 2}));
    EXPECT_TRUE(Listed(kEventStep, 0).empty());
}

TEST_F(ObjectListsTest, ListedNumbersStopAtEachTypesBound)
{
    struct Case {
        int32_t type;
        uint32_t number;
        bool listed;
    };
    const Case cases[] = {
        {kEventKeyPress, 128, true}, {kEventKeyPress, 129, false}, {kEventKeyPress, 200, false},
        {kEventAlarm, 12, true},     {kEventAlarm, 13, false},     {kEventStep, 16, true},
        {kEventDraw, 0, true},       {kEventDraw, 1, false},       {11, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.number));
        ASSERT_TRUE(Load({{"keys", -1, {{c.type, c.number, "note()"}}}}));
        Object_BuildEventLists();
        bool anywhere = false;
        for (int32_t number = 0; number < kEventNumberCount; ++number) {
            anywhere = anywhere || !Listed(c.type, number).empty();
        }
        EXPECT_EQ(anywhere, c.listed);
    }
}

TEST_F(ObjectListsTest, CollisionWithAParentCoversItsChildrenAndMutualCollisionsGiveOnePair)
{
    ASSERT_TRUE(Load({{"hunter", -1, {{kEventCollision, 1, "note()"}}},
                      {"prey", -1, {{kEventCollision, 0, "note()"}}},
                      {"young prey", 1}}));
    Object_BuildEventLists();
    EXPECT_EQ(Pairs(), (std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {0, 2}}));
    EXPECT_EQ(Object_Find(0)->FindEvent(kEventCollision, 2), Object_Find(0)->GetEvent(kEventCollision, 1));
}

TEST_F(ObjectListsTest, WalkInProgressSurvivesRebuildsAndFree)
{
    ASSERT_TRUE(Load({{"parent", -1, {{kEventStep, 0, "note()"}}}, {"child", 0}}));
    Object_BuildEventLists();
    std::vector<int32_t> walked;
    for (const int32_t index : Object_EventList(kEventStep, 0)) {
        walked.push_back(index);
        // What game code may do in the middle of a pass.
        Object_Find(1)->SetParent(-1);
        Object_BuildEventLists();
        Object_Delete(0);
        ObjectLists_Free();
    }
    EXPECT_EQ(walked, (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(Listed(kEventStep, 0).empty());
}

}  // namespace
}  // namespace bw::test
