#include <gtest/gtest.h>

#include "object_test_world.h"
#include "world/event_names.h"

namespace bw::test {
namespace {

using EventPerformTest = ObjectWorldTest;
using EventNameTest = ObjectWorldTest;

constexpr const char* kRecursionMessage =
    "PerformEvent recursion depth failure - check for infinite loops, check objects for parenting";

// ---- performing ----

TEST_F(EventPerformTest, InheritedEventRunsWithTheParentAsEventObject)
{
    ASSERT_TRUE(Load({{"parent", -1, {{kEventStep, 0, "note(event_object, event_type, event_number)"}}},
                      {"child", 0}}));
    CInstance* instance = AddInstance(1);
    Event_Current().object = 77;
    Event_Perform(instance, instance, kEventStep, 0);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].self, instance->i_id);
    EXPECT_EQ(Notes()[0].args, (std::vector<double>{0, kEventStep, 0}));
    // The enclosing values come back once the event is over.
    EXPECT_EQ(Event_Current().object, 77);
}

TEST_F(EventPerformTest, CollisionEventIsFoundThroughTheOtherObjectsAncestors)
{
    ASSERT_TRUE(Load({{"hunter", -1, {{kEventCollision, 1, "note(event_object, event_number)"}}},
                      {"prey"},
                      {"young prey", 1},
                      {"grandchild", 2}}));
    CInstance* hunter = AddInstance(0);
    CInstance* prey = AddInstance(3);
    PerformEvent(hunter, prey, 0, kEventCollision, 3);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].args, (std::vector<double>{0, 3}));
}

TEST_F(EventPerformTest, NearerAncestorOfTheOtherObjectWins)
{
    ASSERT_TRUE(Load({{"hunter", -1, {{kEventCollision, 1, "note(1)"}, {kEventCollision, 2, "note(2)"}}},
                      {"grandparent"},
                      {"parent", 1},
                      {"prey", 2}}));
    CInstance* hunter = AddInstance(0);
    PerformEvent(hunter, hunter, 0, kEventCollision, 3);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].args, (std::vector<double>{2}));
}

TEST_F(EventPerformTest, ThirtySecondNestedEventRunsAndTheNextIsRefused)
{
    ASSERT_TRUE(Load({{"deep", -1, {{kEventOther, 10, "note(); perform_again();"}}}}));
    CInstance* instance = AddInstance(0);
    Event_Perform(instance, instance, kEventOther, 10);
    EXPECT_EQ(Notes().size(), static_cast<size_t>(kEventDepthLimit));
    ASSERT_NE(Code_Error_LastText(), nullptr);
    EXPECT_NE(std::string(Code_Error_LastText()).find(kRecursionMessage), std::string::npos);
    // The depth is whole again: the next chain also gets all 32 levels
    // (once the stop a fatal error may have asked for is withdrawn).
    Code_Error_ResetState();
    NewRoomRequest = -1;
    Notes().clear();
    Event_Perform(instance, instance, kEventOther, 10);
    EXPECT_EQ(Notes().size(), static_cast<size_t>(kEventDepthLimit));
}

TEST_F(EventPerformTest, NothingRunsWhileARoomChangeIsPending)
{
    ASSERT_TRUE(Load({{"any", -1, {{kEventDraw, 0, "note()"}}}}));
    CInstance* instance = AddInstance(0);
    NewRoomRequest = 3;
    Event_Perform(instance, instance, kEventDraw, 0);
    Event_PerformAll(kEventDraw, 0);
    EXPECT_TRUE(Notes().empty());
    NewRoomRequest = -1;
    Event_PerformAll(kEventDraw, 0);
    EXPECT_EQ(Notes().size(), 1u);
}

TEST_F(EventPerformTest, PerformAllVisitsLiveInstancesByDepth)
{
    ASSERT_TRUE(Load({{"any", -1, {{kEventOther, 4, "note()"}}}}));
    CInstance* deep = AddInstance(0);
    deep->SetDepth(10.0f);
    room.activeInstances.Unlink(deep);
    room.activeInstances.InsertByDepth(deep);
    CInstance* shallow = AddInstance(0);
    shallow->SetDepth(-10.0f);
    room.activeInstances.Unlink(shallow);
    room.activeInstances.InsertByDepth(shallow);
    AddInstance(0)->i_marked = 1;
    AddInstance(0)->i_deactivated = 1;
    Event_PerformAll(kEventOther, 4);
    ASSERT_EQ(Notes().size(), 2u);
    EXPECT_EQ(Notes()[0].self, shallow->i_id);
    EXPECT_EQ(Notes()[1].self, deep->i_id);
}

TEST_F(EventPerformTest, OnlyTheFirstActionOfAListIsTheEventAndAnEmptyListIsNone)
{
    image = std::make_unique<ObjtImage>(std::vector<ObjectSpec>{{"twice", -1, {{kEventCreate, 0, "note(1)"}}},
                                                                {"other", -1, {{kEventCreate, 0, "note(2)"}}},
                                                                {"empty", -1, {{kEventCreate, 0, "note(3)"}}}},
                                        13);
    // Object 0's list names a second action: object 1's record, whose
    // offset fills the word behind its first (a word the runner never reads).
    image->Patch(image->At(0, "actionList"), 2);
    image->Patch(image->At(0, "action"), image->At(1, "action"));
    image->Patch(image->At(2, "actionList"), 0);
    ASSERT_TRUE(LoadImage() && Object_Prepare());
    EXPECT_EQ(Object_Find(2)->GetEvent(kEventCreate, 0), nullptr);
    EXPECT_FALSE(Object_Find(2)->HasEvent(kEventCreate, 0));
    CInstance* instance = AddInstance(0);
    Event_Perform(instance, instance, kEventCreate, 0);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].args, (std::vector<double>{1}));
}

// ---- names ----

TEST_F(EventNameTest, LongAndShortNames)
{
    ASSERT_TRUE(Load({{"wall"}}));
    struct Case {
        int32_t type;
        int32_t number;
        const char* name;
        const char* shortName;
    };
    const Case cases[] = {
        {0, 0, "Create Event", "Create"},
        {1, 0, "Destroy Event", "Destroy"},
        {2, 4, "Alarm Event for alarm 4", "Alarm 4"},
        {3, 0, " Step Event0", "Step"},
        {3, 1, " Step Event1", "BeginStep"},
        {3, 2, " Step Event2", "EndStep"},
        {4, 0, " Step Eventwall", "wall"},
        {4, 9, " Step Event<undefined>", "<undefined>"},
        {5, 37, "Keyboard Event for <Left> Key", "<Left>"},
        {6, 60, "Mouse Event for Mouse Wheel Up", "Mouse Wheel Up"},
        {7, 4, "Other Event: Room Start", "Room Start"},
        {7, 62, "Web Event: HTTP", "HTTP"},
        {8, 0, "Draw Event", "Draw"},
        {9, 65, "Key Press Event for A-key Key", "press A-key"},
        {10, 113, "Key Release Event for F2 Key", "release F2"},
        {11, 0, "<Unknown Event>", "<Unknown Event>"},
        {100000, 5, "<Unknown Event>", "<Unknown Event>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.number));
        EXPECT_EQ(Event_Name(c.type, c.number), c.name);
        EXPECT_EQ(Event_ShortName(c.type, c.number), c.shortName);
    }
}

TEST_F(EventNameTest, KeyNames)
{
    const std::pair<int32_t, const char*> cases[] = {
        {0, "<no key>"},      {1, "<any key>"},    {8, "<Backspace>"}, {13, "<Enter>"},   {27, "<Escape>"},
        {32, "<Space>"},      {33, "<Page Up>"},   {40, "<Down>"},     {46, "<Delete>"},  {48, "0-key"},
        {57, "9-key"},        {90, "Z-key"},       {96, "Keypad-0"},   {105, "Keypad-9"}, {106, "Keypad *"},
        {108, "<unknown>"},   {111, "Keypad /"},   {112, "F1"},        {123, "F12"},      {124, "<unknown>"},
        {200, "<unknown>"},   {-1, "<unknown>"},   {47, "<unknown>"},  {65, "A-key"},
    };
    for (const auto& [key, name] : cases) {
        EXPECT_EQ(Event_KeyName(key), name) << key;
    }
}

TEST_F(EventNameTest, MouseOtherAndAsyncNames)
{
    struct Case {
        const char* (*names)(int32_t);
        int32_t number;
        const char* name;
    };
    const Case cases[] = {
        {&Event_MouseName, 0, "Left Button"},          {&Event_MouseName, 11, "Mouse Leave"},
        {&Event_MouseName, 12, "<unknown>"},           {&Event_MouseName, 16, "Joystick 1 Left"},
        {&Event_MouseName, 20, "<unknown>"},           {&Event_MouseName, 21, "Joystick 1 Button 1"},
        {&Event_MouseName, 28, "Joystick 1 Button 8"}, {&Event_MouseName, 34, "Joystick 2 Down"},
        {&Event_MouseName, 35, "<unknown>"},           {&Event_MouseName, 43, "Joystick 2 Button 8"},
        {&Event_MouseName, 50, "Glob Left Button"},    {&Event_MouseName, 58, "Glob Middle Released"},
        {&Event_MouseName, 61, "Mouse Wheel Down"},    {&Event_OtherName, 0, "Outside Room"},
        {&Event_OtherName, 9, "No More Health"},       {&Event_OtherName, 10, "User Defined 0"},
        {&Event_OtherName, 25, "User Defined 15"},     {&Event_OtherName, 26, "<unknown>"},
        {&Event_OtherName, 30, "Close Button"},        {&Event_OtherName, 47, "Outside View 7"},
        {&Event_OtherName, 50, "Boundary View 0"},     {&Event_OtherName, 58, "<unknown>"},
        {&Event_AsyncName, 60, "Image Loaded"},        {&Event_AsyncName, 63, "Dialog"},
        {&Event_AsyncName, 64, "<unknown>"},           {&Event_AsyncName, 69, "Steam"},
        {&Event_StepSubName, 0, ""},                   {&Event_StepSubName, 3, ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.names(c.number), c.name) << c.number;
    }
}

}  // namespace
}  // namespace bw::test
