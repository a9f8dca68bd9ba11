#include "world/instance_ops_collision.h"

#include <gtest/gtest.h>

#include <string>

#include "unit/world/instance_ops_fixture.h"
#include "world/instance_ops.h"
#include "world/object_lists.h"

namespace bw {
namespace {

// Objects: 0 blocks, 1 solid blocks, 2 child of 0, 3 hollow (precise, no
// solid pixel), 4 solid posts, 5 blocks of another kind.
class CollisionOpsTest : public test::ShapesWorldTest {
protected:
    void SetUp() override
    {
        ShapesWorldTest::SetUp();
        AddObject(0, test::kBlockSprite);
        AddObject(1, test::kBlockSprite)->flags |= kObjectFlagSolid;
        AddChild(2, 0)->sprite = test::kBlockSprite;
        AddObject(3, test::kHollowSprite);
        AddObject(4, test::kPostSprite)->flags |= kObjectFlagSolid;
        AddObject(5, test::kBlockSprite);
    }
};

// ---- finders ----

TEST_F(CollisionOpsTest, PointFinderFollowsEachSelectorSkippingTheDeadAndTheCaller)
{
    CInstance* self = At(0, 0.0f, 0.0f);
    CInstance* solid = At(1, 4.0f, 4.0f);
    CInstance* child = At(2, 8.0f, 8.0f);
    CInstance* asleep = At(0, 8.0f, 8.0f);
    asleep->i_deactivated = 1;
    CInstance* gone = At(0, 8.0f, 8.0f);
    gone->i_marked = 1;
    struct Case {
        int32_t selector;
        bool notMe;
        const CInstance* expected;  // at (10, 10), which all five cover
    };
    const Case cases[] = {
        {kSelectorAll, false, self},  {kSelectorAll, true, solid}, {0, false, self},
        {0, true, child},             {2, false, child},           {1, false, solid},
        {self->i_id, false, self},    {self->i_id, true, nullptr}, {asleep->i_id, false, nullptr},
        {gone->i_id, false, nullptr}, {kSelectorNoone, false, nullptr}, {9, false, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Collision_Point(self, 10.0f, 10.0f, c.selector, false, c.notMe), c.expected)
            << c.selector << " " << c.notMe;
    }
    EXPECT_EQ(Collision_Point(self, 30.0f, 30.0f, kSelectorAll, false, false), nullptr);
}

TEST_F(CollisionOpsTest, EachShapeFinderTestsItsOwnShape)
{
    // The block covers 30..45 both ways; the rectangle (0, 0)-(31, 31)
    // clips its corner, the ellipse inscribed in it and the other diagonal
    // pass it by.
    CInstance* block = At(0, 30.0f, 30.0f);
    EXPECT_EQ(Collision_Rectangle(nullptr, 0.0f, 0.0f, 31.0f, 31.0f, kSelectorAll, false, false), block);
    EXPECT_EQ(Collision_Rectangle(nullptr, 31.0f, 31.0f, 0.0f, 0.0f, kSelectorAll, false, false), block);
    EXPECT_EQ(Collision_Ellipse(nullptr, 0.0f, 0.0f, 31.0f, 31.0f, kSelectorAll, false, false), nullptr);
    EXPECT_EQ(Collision_Ellipse(nullptr, 20.0f, 20.0f, 50.0f, 50.0f, kSelectorAll, false, false), block);
    EXPECT_EQ(Collision_Line(nullptr, 0.0f, 0.0f, 31.0f, 31.0f, kSelectorAll, false, false), block);
    EXPECT_EQ(Collision_Line(nullptr, 0.0f, 31.0f, 31.0f, 0.0f, kSelectorAll, false, false), nullptr);
}

TEST_F(CollisionOpsTest, PreciseTestsAskThePixelsOfAPreciseMask)
{
    CInstance* hollow = At(3, 0.0f, 0.0f);
    EXPECT_EQ(Collision_Point(nullptr, 5.0f, 5.0f, 3, false, false), hollow);
    EXPECT_EQ(Collision_Point(nullptr, 5.0f, 5.0f, 3, true, false), nullptr);
    EXPECT_EQ(Collision_Rectangle(nullptr, 0.0f, 0.0f, 8.0f, 8.0f, 3, true, false), nullptr);
    // Position queries are always precise.
    EXPECT_EQ(Instance_Position(5.0f, 5.0f, 3), nullptr);
    CInstance* block = At(0, 0.0f, 0.0f);
    EXPECT_EQ(Instance_Position(5.0f, 5.0f, kSelectorAll), block);
    EXPECT_TRUE(Position_Meeting(5.0f, 5.0f, 0));
    EXPECT_FALSE(Position_Meeting(16.0f, 5.0f, 0));
}

// ---- places ----

TEST_F(CollisionOpsTest, PlaceFindsWhatSelfWouldMeetThereAndLeavesSelfWhereItWas)
{
    CInstance* self = At(0, 0.0f, 0.0f);
    CInstance* solid = At(1, 40.0f, 0.0f);
    CInstance* child = At(2, 40.0f, 10.0f);
    CInstance* hollow = At(3, 40.0f, 0.0f);
    EXPECT_EQ(Instance_Place(self, 30.0f, 0.0f, kSelectorAll), solid);
    EXPECT_EQ(Instance_Place(self, 30.0f, 0.0f, 0), child);  // self is never found
    EXPECT_EQ(Instance_Place(self, 30.0f, 0.0f, hollow->i_id), nullptr);
    EXPECT_EQ(Instance_Place(self, 0.0f, 0.0f, kSelectorAll), nullptr);
    EXPECT_EQ(Instance_Place(self, 30.0f, 0.0f, kSelectorNoone), nullptr);
    EXPECT_TRUE(Place_Meeting(self, 25.0f, 0.0f, 1));
    EXPECT_FALSE(Place_Meeting(self, 24.0f, 0.0f, 1));
    EXPECT_EQ(self->i_x, 0.0f);
    EXPECT_EQ(self->GetBBox().left, 0);
    EXPECT_EQ(Instance_Place(nullptr, 30.0f, 0.0f, kSelectorAll), nullptr);
}

TEST_F(CollisionOpsTest, FreeCountsOnlySolidInstancesEmptyCountsAll)
{
    CInstance* self = At(0, 0.0f, 0.0f);
    At(0, 40.0f, 0.0f);
    CInstance* solid = At(1, 80.0f, 0.0f);
    struct Case {
        float x;
        bool free, empty;
    };
    const Case cases[] = {{0.0f, true, true}, {30.0f, true, false}, {70.0f, false, false}, {100.0f, true, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(Place_Free(self, c.x, 0.0f), c.free) << c.x;
        EXPECT_EQ(Place_Empty(self, c.x, 0.0f), c.empty) << c.x;
        EXPECT_EQ(Place_FreeOrEmpty(self, c.x, 0.0f, false), c.free) << c.x;
        EXPECT_EQ(Place_FreeOrEmpty(self, c.x, 0.0f, true), c.empty) << c.x;
    }
    solid->i_deactivated = 1;
    EXPECT_TRUE(Place_Free(self, 70.0f, 0.0f));
    solid->i_deactivated = 0;
    solid->i_marked = 1;
    EXPECT_TRUE(Place_Free(self, 70.0f, 0.0f));
}

// ---- positions ----

// make_twin(): a new instance of self's object on self.
void MakeTwinBuiltin(Value*, CInstance* self, CInstance*, int32_t, Value*)
{
    Instance_Create(self->i_objindex, self->i_x, self->i_y);
}

void RegisterMakeTwin()
{
    int32_t id = -1;
    if (!Code_Function_Find("make_twin", &id)) {
        Code_Function_Register("make_twin", &MakeTwinBuiltin, 0);
    }
}

TEST_F(CollisionOpsTest, PositionDestroyRunsEachDestroyEventOnceAtThePoint)
{
    SetEvent(Object_Find(0), kEventDestroy, 0, "record('gone')");
    CInstance* hit = At(0, 0.0f, 0.0f);
    CInstance* before = At(0, 2.0f, 2.0f);
    before->i_destroyed = 1;  // its destroy event has run already
    CInstance* away = At(0, 40.0f, 0.0f);
    At(3, 0.0f, 0.0f);  // hollow: the point meets no pixel of it
    Position_Destroy(5.0f, 5.0f);
    EXPECT_EQ(test::Recorded(), std::to_string(hit->i_id) + ":gone;");
    EXPECT_TRUE(hit->i_marked);
    EXPECT_FALSE(away->i_marked);
    EXPECT_EQ(Instance_Number(3), 1);
}

TEST_F(CollisionOpsTest, PositionDestroyLeavesTheSuccessorsItsEventsMake)
{
    RegisterMakeTwin();
    SetEvent(Object_Find(0), kEventDestroy, 0, "make_twin()");
    CInstance* original = At(0, 0.0f, 0.0f);
    Position_Destroy(5.0f, 5.0f);
    EXPECT_TRUE(original->i_marked);
    EXPECT_EQ(Instance_Number(0), 1);  // the successor, standing on the spot
}

TEST_F(CollisionOpsTest, PositionChangeChangesWhatIsAtThePoint)
{
    SetEvent(Object_Find(1), kEventCreate, 0, "record('made')");
    CInstance* hit = At(0, 0.0f, 0.0f);
    CInstance* away = At(0, 40.0f, 0.0f);
    Position_Change(5.0f, 5.0f, 1, true);
    EXPECT_EQ(hit->i_objindex, 1);
    EXPECT_EQ(away->i_objindex, 0);
    EXPECT_EQ(test::Recorded(), std::to_string(hit->i_id) + ":made;");

    Position_Change(45.0f, 5.0f, 8, true);
    EXPECT_NE(LastError().find("Asking to change into non-existing object: 8"), std::string::npos);
    EXPECT_EQ(away->i_objindex, 0);
}

// ---- contact and bounce ----

TEST_F(CollisionOpsTest, ContactStopsOneUnitShortOfTheFirstSolidInTheWay)
{
    At(4, 50.0f, -24.0f);  // a solid post over x 50..65
    CInstance* self = At(0, 0.0f, 0.0f);
    struct Case {
        float maxDistance;
        float x;
    };
    const Case cases[] = {{-1.0f, 34.0f}, {0.0f, 34.0f}, {10.0f, 10.0f}, {10.4f, 10.0f}, {10.6f, 11.0f}};
    for (const Case& c : cases) {
        self->SetPosition(0.0f, 0.0f);
        Move_Contact(self, 0.0f, c.maxDistance, false);
        EXPECT_EQ(self->i_x, c.x) << c.maxDistance;
        EXPECT_EQ(self->i_y, 0.0f) << c.maxDistance;
    }
}

TEST_F(CollisionOpsTest, ContactAgainstAllStopsAtNonSolidOnesToo)
{
    At(0, 50.0f, 0.0f);
    CInstance* self = At(5, 0.0f, 0.0f);
    Move_Contact(self, 0.0f, -1.0f, true);
    EXPECT_EQ(self->i_x, 34.0f);
    self->SetPosition(0.0f, 0.0f);
    Move_Contact(self, 0.0f, -1.0f, false);  // nothing solid: the full 1000 steps
    EXPECT_EQ(self->i_x, 1000.0f);
}

TEST_F(CollisionOpsTest, ContactFromAPlaceThatIsNotFreeOrWithStepsTooSmallToMoveDoesNotMove)
{
    At(1, 10.0f, 0.0f);
    CInstance* self = At(0, 0.0f, 0.0f);
    Move_Contact(self, 0.0f, 100.0f, false);
    EXPECT_EQ(self->i_x, 0.0f);
    CInstance* far = At(0, 1.0e9f, 0.0f);
    Move_Contact(far, 0.0f, 2.0e9f, false);  // would be two billion steps
    EXPECT_EQ(far->i_x, 1.0e9f);
}

TEST_F(CollisionOpsTest, OutsideStepsUntilFreeOrTheDistanceIsUsed)
{
    At(1, 10.0f, 0.0f);  // solid over x 10..25
    CInstance* self = At(0, 0.0f, 0.0f);
    Move_Outside(self, 180.0f, -1.0f, false);
    EXPECT_EQ(self->i_x, -6.0f);
    EXPECT_NEAR(self->i_y, 0.0f, 1e-5f);

    self->SetPosition(0.0f, 0.0f);
    Move_Outside(self, 180.0f, 3.0f, false);
    EXPECT_EQ(self->i_x, -3.0f);

    self->SetPosition(-10.0f, 0.0f);  // free already
    Move_Outside(self, 0.0f, 100.0f, false);
    EXPECT_EQ(self->i_x, -10.0f);
}

TEST_F(CollisionOpsTest, SimpleBounceTurnsBackEachBlockedAxis)
{
    At(4, 50.0f, -24.0f);  // solid post over x 50..65, y -24..39
    CInstance* self = At(0, 0.0f, 0.0f);
    struct Case {
        float x, y, hspeed, vspeed;
        float expectedH, expectedV;
    };
    const Case cases[] = {
        {32.0f, 0.0f, 4.0f, 2.0f, -4.0f, 2.0f},   // into the post's side
        {10.0f, 0.0f, 4.0f, 2.0f, 4.0f, 2.0f},    // nothing in the way
        {32.0f, -42.0f, 4.0f, 4.0f, -4.0f, -4.0f}, // only the corner: straight back
        {50.0f, 42.0f, 0.0f, -4.0f, 0.0f, 4.0f},  // into the post's foot
    };
    for (const Case& c : cases) {
        self->SetPosition(c.x, c.y);
        self->SetHSpeed(c.hspeed);
        self->SetVSpeed(c.vspeed);
        Move_Bounce(self, false, false);
        EXPECT_EQ(self->i_hspeed, c.expectedH) << c.x << "," << c.y;
        EXPECT_EQ(self->i_vspeed, c.expectedV) << c.x << "," << c.y;
    }
}

TEST_F(CollisionOpsTest, BounceStuckInsideGoesBackToThePreviousPositionFirst)
{
    At(1, 20.0f, 0.0f);
    CInstance* self = At(0, 10.0f, 0.0f);
    self->i_xprevious = 0.0f;
    self->i_yprevious = 0.0f;
    self->SetHSpeed(12.0f);
    Move_Bounce(self, false, false);
    EXPECT_EQ(self->i_x, 0.0f);
    EXPECT_EQ(self->i_hspeed, -12.0f);
}

TEST_F(CollisionOpsTest, AdvancedBounceTurnsBetweenTheNearestFreeDirections)
{
    At(4, 50.0f, -24.0f);
    CInstance* self = At(0, 34.0f, 0.0f);  // touching the post on its left
    self->SetDirection(0.0f);
    self->SetSpeed(4.0f);
    // Free from 90 degrees either way: 90 + (-90) + 180 - 0.
    Move_Bounce(self, true, false);
    EXPECT_FLOAT_EQ(self->i_direction, 180.0f);
    EXPECT_EQ(self->i_x, 34.0f);

    self->SetPosition(0.0f, 0.0f);  // open space: nothing changes
    self->SetDirection(3.0f);
    Move_Bounce(self, true, false);
    EXPECT_FLOAT_EQ(self->i_direction, 3.0f);
}

TEST_F(CollisionOpsTest, AdvancedBounceWithNoFreeDirectionTurnsAtOnce)
{
    CInstance* self = At(0, 0.0f, 0.0f);
    self->SetDirection(0.0f);
    self->SetSpeed(1.0f);
    At(1, 0.0f, 0.0f);  // solid right on top: every direction blocked
    self->i_xprevious = 0.0f;
    self->i_yprevious = 0.0f;
    Move_Bounce(self, true, false);
    // cw ends at -350, ccw fails through 350: (0 + 350) + -350 + 180 - 0.
    EXPECT_FLOAT_EQ(self->i_direction, 180.0f);
}

// ---- the collision event pass ----

class CollisionPassTest : public CollisionOpsTest {
protected:
    void Pass()
    {
        Object_BuildEventLists();
        Run_HandleCollisions();
    }

    void TearDown() override
    {
        ObjectLists_Free();
        CollisionOpsTest::TearDown();
    }

    static std::string Line(const CInstance* self, const CInstance* other)
    {
        return std::to_string(self->i_id) + ":" + std::to_string(other->i_id) + ";";
    }
};

TEST_F(CollisionPassTest, OverlappingInstancesEachGetTheEventOnceWithTheOtherAsOther)
{
    SetEvent(Object_Find(0), kEventCollision, 5, "record(other.id)");
    SetEvent(Object_Find(5), kEventCollision, 0, "record(other.id)");
    CInstance* a = At(0, 0.0f, 0.0f);
    CInstance* b = At(5, 8.0f, 0.0f);
    At(5, 40.0f, 0.0f);  // meets nobody
    Pass();
    EXPECT_EQ(test::Recorded(), Line(a, b) + Line(b, a));
}

TEST_F(CollisionPassTest, OnlyTheSideWithAnEventRunsCode)
{
    SetEvent(Object_Find(0), kEventCollision, 5, "record(other.id)");
    CInstance* a = At(0, 0.0f, 0.0f);
    CInstance* b = At(5, 8.0f, 0.0f);
    Pass();
    EXPECT_EQ(test::Recorded(), Line(a, b));
}

TEST_F(CollisionPassTest, InstancesOfOneObjectMeetOncePerTwo)
{
    SetEvent(Object_Find(0), kEventCollision, 0, "record(other.id)");
    CInstance* a = At(0, 0.0f, 0.0f);
    CInstance* b = At(0, 8.0f, 0.0f);
    CInstance* c = At(0, 20.0f, 0.0f);  // meets b only
    Pass();
    EXPECT_EQ(test::Recorded(), Line(a, b) + Line(b, a) + Line(b, c) + Line(c, b));
}

TEST_F(CollisionPassTest, ChildrenMeetThroughTheirParentsEvent)
{
    SetEvent(Object_Find(5), kEventCollision, 0, "record(other.id)");
    CInstance* block = At(5, 0.0f, 0.0f);
    CInstance* child = At(2, 8.0f, 0.0f);
    Pass();
    EXPECT_EQ(test::Recorded(), Line(block, child));
}

TEST_F(CollisionPassTest, DeadAndSleepingInstancesAndThoseMadeDuringThePassAreLeftOut)
{
    RegisterMakeTwin();
    SetEvent(Object_Find(0), kEventCollision, 5, "record(other.id); make_twin()");
    CInstance* a = At(0, 0.0f, 0.0f);
    CInstance* b = At(5, 8.0f, 0.0f);
    At(5, 4.0f, 0.0f)->i_marked = 1;
    At(5, 4.0f, 0.0f)->i_deactivated = 1;
    Pass();
    // The instance a's event makes sits on a, but is newer than the pass.
    EXPECT_EQ(test::Recorded(), Line(a, b));
}

TEST_F(CollisionPassTest, SolidPartnersGoBackAndStayBackIfTheyMeetAgain)
{
    SetEvent(Object_Find(0), kEventCollision, 1, "record(other.id)");
    CInstance* mover = At(0, 6.0f, 0.0f);
    mover->i_xprevious = 2.0f;
    mover->SetHSpeed(4.0f);
    mover->i_pathpositionprevious = 0.25f;
    mover->i_pathposition = 0.5f;
    CInstance* wall = At(1, 20.0f, 0.0f);
    wall->i_xprevious = 20.0f;
    Pass();
    EXPECT_EQ(test::Recorded(), Line(mover, wall));
    EXPECT_EQ(mover->i_x, 2.0f);  // stepped again to 6, met the wall again
    EXPECT_EQ(mover->i_pathposition, 0.25f);
    EXPECT_EQ(wall->i_x, 20.0f);
}

TEST_F(CollisionPassTest, SolidPartnersTakeTheStepTheEventChoseAndNonSolidOnesStayWhereTheyAre)
{
    struct Case {
        int32_t partner;
        float x;
    };
    for (const Case& c : {Case{1, -2.0f}, Case{5, 6.0f}}) {
        SCOPED_TRACE(c.partner);
        SetEvent(Object_Find(0), kEventCollision, c.partner, "hspeed = -hspeed");
        CInstance* mover = At(0, 6.0f, 0.0f);
        mover->i_xprevious = 2.0f;
        mover->SetHSpeed(4.0f);
        CInstance* partner = At(c.partner, 20.0f, 0.0f);
        partner->i_xprevious = 20.0f;
        Pass();
        EXPECT_EQ(mover->i_x, c.x);
        mover->i_marked = partner->i_marked = 1;
    }
}

}  // namespace
}  // namespace bw
