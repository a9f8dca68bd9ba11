// An instance's bounding box, its per-step motion and its collision tests:
// the boxes decide, and the sprite's precise tests are asked only when the
// caller wants precision and the mask sprite is precise.
#include "world/instance_collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "unit/world/world_fixture.h"

namespace bw::test {
namespace {

constexpr int32_t kSprite = 0;
constexpr int32_t kPreciseSprite = 1;
constexpr int32_t kEmptySprite = 2;

// What the precise tests were asked, and what they answer.
struct PreciseCall {
    char shape;
    int32_t sprite;
    SpritePlacement placed;
    int32_t a, b, c, d;
};
std::vector<PreciseCall>& Calls()
{
    static std::vector<PreciseCall> calls;
    return calls;
}
bool g_answer = false;

bool FakeSprite(int32_t sprite, const SpritePlacement& placed, int32_t other, const SpritePlacement&)
{
    Calls().push_back({'s', sprite, placed, other, 0, 0, 0});
    return g_answer;
}
bool FakePoint(int32_t sprite, const SpritePlacement& placed, int32_t px, int32_t py)
{
    Calls().push_back({'p', sprite, placed, px, py, 0, 0});
    return g_answer;
}
template <char kShape>
bool FakeArea(int32_t sprite, const SpritePlacement& placed, int32_t a, int32_t b, int32_t c, int32_t d)
{
    Calls().push_back({kShape, sprite, placed, a, b, c, d});
    return g_answer;
}

class InstanceCollisionTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        Calls().clear();
        g_answer = false;
        // 32 x 32, box 0..31, origin 16, 16.
        SpriteInfo block;
        block.frameCount = 1;
        block.width = block.height = 32;
        block.xorigin = block.yorigin = 16;
        block.bboxRight = block.bboxBottom = 31;
        FakeSprites()[kSprite] = block;
        block.precise = true;
        FakeSprites()[kPreciseSprite] = block;
        block.frameCount = 0;
        FakeSprites()[kEmptySprite] = block;
        World_ResourceLookups().spriteCollision =
            SpriteCollisionTests{&FakeSprite, &FakePoint, &FakeArea<'r'>, &FakeArea<'e'>, &FakeArea<'l'>};
        AddObject(0, kSprite);
        AddObject(1, kPreciseSprite);
    }

    // An instance of object (0 plain, 1 precise) at (x, y): box x-16..x+15.
    CInstance* At(int32_t object, float x, float y)
    {
        CInstance* instance = AddInstance(object);
        instance->SetPosition(x, y);
        return instance;
    }
};

// ---- bounding box ----

TEST_F(InstanceCollisionTest, BoxFollowsOriginScaleRotationAndMirror)
{
    struct Case {
        float xscale, yscale, angle;
        InstanceBBox box;
    };
    const Case cases[] = {
        {1.0f, 1.0f, 0.0f, {84, 84, 115, 115}},
        {2.0f, 1.0f, 0.0f, {68, 84, 131, 115}},
        {0.5f, 0.5f, 0.0f, {92, 92, 107, 107}},
        // A mirrored box is two pixels wider than its mirror image.
        {-1.0f, 1.0f, 0.0f, {83, 84, 116, 115}},
        {1.0f, -1.0f, 0.0f, {84, 83, 115, 116}},
        // Turned by 90 degrees the box spans x - 16 .. x + 15 and y - 15 .. y + 16.
        {1.0f, 1.0f, 90.0f, {84, 85, 115, 116}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.xscale << " " << c.yscale << " " << c.angle);
        CInstance* instance = At(0, 100.0f, 100.0f);
        instance->SetImageXScale(c.xscale);
        instance->SetImageYScale(c.yscale);
        instance->SetImageAngle(c.angle);
        const InstanceBBox box = instance->GetBBox();
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.top, c.box.top);
        EXPECT_EQ(box.right, c.box.right);
        EXPECT_EQ(box.bottom, c.box.bottom);
    }
}

TEST_F(InstanceCollisionTest, HugeAndMissingCoordinatesGiveBoundedBoxes)
{
    for (float x : {3.0e38f, -3.0e38f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
        CInstance* instance = At(0, x, 0.0f);
        const InstanceBBox box = instance->GetBBox();
        EXPECT_LE(std::abs(box.left), 1 << 30) << x;
        EXPECT_LE(std::abs(box.right), 1 << 30) << x;
        EXPECT_FALSE(instance->CollisionPoint(0.0f, 0.0f, true)) << x;
        EXPECT_FALSE(instance->CollisionInstance(*At(0, 0.0f, 0.0f), false)) << x;
    }
}

TEST(InstanceRoundCoordinate, RoundsHalfToEvenAndHoldsTheRange)
{
    EXPECT_EQ(Instance_RoundCoordinate(10.5f), 10);
    EXPECT_EQ(Instance_RoundCoordinate(11.5f), 12);
    EXPECT_EQ(Instance_RoundCoordinate(-0.5f), 0);
    EXPECT_EQ(Instance_RoundCoordinate(1.0e20f), 1 << 30);
    EXPECT_EQ(Instance_RoundCoordinate(-1.0e20f), -(1 << 30));
    EXPECT_EQ(Instance_RoundCoordinate(std::numeric_limits<float>::quiet_NaN()), -(1 << 30));
}

// ---- per-step motion ----

TEST_F(InstanceCollisionTest, FrictionStopsAtRestAndNeverReverses)
{
    struct Case {
        float speed, friction, expected;
    };
    const Case cases[] = {{0.2f, 0.3f, 0.0f}, {-0.2f, 0.3f, 0.0f}, {2.0f, 0.5f, 1.5f}, {-2.0f, 0.5f, -1.5f},
                          {2.0f, 0.0f, 2.0f}};
    for (const Case& c : cases) {
        CInstance* instance = At(0, 0.0f, 0.0f);
        instance->SetSpeed(c.speed);
        instance->i_friction = c.friction;
        instance->ApplyFrictionGravity();
        EXPECT_EQ(instance->i_speed, c.expected) << c.speed << " - " << c.friction;
        EXPECT_EQ(instance->i_hspeed, c.expected) << c.speed << " - " << c.friction;
    }
}

TEST_F(InstanceCollisionTest, GravityAddsItsVectorAfterFriction)
{
    CInstance* instance = At(0, 0.0f, 0.0f);
    instance->SetHSpeed(2.0f);
    instance->i_friction = 1.0f;
    instance->i_gravity = 0.5f;
    instance->i_gravitydir = 270.0f;  // down
    instance->ApplyFrictionGravity();
    EXPECT_FLOAT_EQ(instance->i_hspeed, 1.0f);
    EXPECT_FLOAT_EQ(instance->i_vspeed, 0.5f);
    EXPECT_FLOAT_EQ(instance->i_speed, std::sqrt(1.25f));
}

TEST_F(InstanceCollisionTest, AddedMotionGivesASnappedDirectionAndSpeed)
{
    CInstance* instance = At(0, 0.0f, 0.0f);
    instance->AddMotion(90.0f, 3.0f);
    EXPECT_NEAR(instance->i_hspeed, 0.0f, 1.0e-6f);
    EXPECT_EQ(instance->i_vspeed, -3.0f);
    EXPECT_EQ(instance->i_direction, 90.0f);
    EXPECT_EQ(instance->i_speed, 3.0f);
    instance->AddMotion(180.0f, 4.0f);
    EXPECT_FLOAT_EQ(instance->i_hspeed, -4.0f);
    EXPECT_EQ(instance->i_speed, 5.0f);
}

// ---- collision tests ----

TEST_F(InstanceCollisionTest, PointInsideTheInclusiveBox)
{
    CInstance* instance = At(0, 100.0f, 100.0f);
    struct Case {
        float x, y;
        bool hit;
    };
    const Case cases[] = {{84.0f, 84.0f, true},  {115.0f, 115.0f, true},  {115.9f, 100.0f, true},
                          {116.0f, 100.0f, false}, {83.9f, 100.0f, false}, {100.0f, 116.0f, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(instance->CollisionPoint(c.x, c.y, false), c.hit) << c.x << "," << c.y;
    }
    EXPECT_TRUE(Calls().empty());
}

TEST_F(InstanceCollisionTest, PreciseTestIsAskedOnlyForPrecisionOnAPreciseSprite)
{
    CInstance* plain = At(0, 100.0f, 100.0f);
    CInstance* precise = At(1, 100.5f, 101.5f);
    g_answer = false;
    EXPECT_TRUE(plain->CollisionPoint(100.0f, 100.0f, true));
    EXPECT_TRUE(precise->CollisionPoint(100.0f, 100.0f, false));
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(precise->CollisionPoint(100.4f, 100.6f, true));
    ASSERT_EQ(Calls().size(), 1u);
    const PreciseCall& call = Calls()[0];
    EXPECT_EQ(call.sprite, kPreciseSprite);
    EXPECT_EQ(call.a, 100);
    EXPECT_EQ(call.b, 101);
    // The position is rounded half to even.
    EXPECT_EQ(call.placed.x, 100);
    EXPECT_EQ(call.placed.y, 102);
    EXPECT_EQ(call.placed.left, precise->i_bbox.left);
}

TEST_F(InstanceCollisionTest, MaskIndexChoosesTheSpriteThatCollides)
{
    CInstance* instance = At(0, 100.0f, 100.0f);
    instance->SetMaskIndex(kPreciseSprite);
    instance->i_imageindex = 2.7f;
    EXPECT_FALSE(instance->CollisionRectangle(90.0f, 90.0f, 91.0f, 91.0f, true));
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].sprite, kPreciseSprite);
    EXPECT_EQ(Calls()[0].placed.frame, 2);
}

TEST_F(InstanceCollisionTest, NoSpriteEmptySpriteZeroScaleAndTheDeadNeverCollide)
{
    CInstance* noSprite = At(0, -100000.0f, -100000.0f);
    noSprite->SetSpriteIndex(-1);
    EXPECT_FALSE(noSprite->CollisionPoint(-100000.0f, -100000.0f, false));
    CInstance* empty = At(0, 0.0f, 0.0f);
    empty->SetSpriteIndex(kEmptySprite);
    EXPECT_FALSE(empty->CollisionPoint(0.0f, 0.0f, false));
    CInstance* flat = At(0, 0.0f, 0.0f);
    flat->SetImageXScale(0.0f);
    EXPECT_FALSE(flat->CollisionPoint(0.0f, 0.0f, false));
    EXPECT_FALSE(flat->CollisionRectangle(-50.0f, -50.0f, 50.0f, 50.0f, false));
    CInstance* marked = At(0, 0.0f, 0.0f);
    marked->i_marked = 1;
    EXPECT_FALSE(marked->CollisionPoint(0.0f, 0.0f, false));
    CInstance* other = At(0, 0.0f, 0.0f);
    EXPECT_FALSE(other->CollisionInstance(*marked, false));
    EXPECT_FALSE(other->CollisionInstance(*flat, false));
    EXPECT_FALSE(other->CollisionInstance(*other, false));
}

TEST_F(InstanceCollisionTest, RectangleMeetsTheBoxFromAnyCorner)
{
    CInstance* instance = At(0, 100.0f, 100.0f);
    struct Case {
        float x1, y1, x2, y2;
        bool hit;
    };
    const Case cases[] = {{0.0f, 0.0f, 84.0f, 84.0f, true},     {84.0f, 84.0f, 0.0f, 0.0f, true},
                          {0.0f, 0.0f, 83.9f, 200.0f, false},   {116.0f, 0.0f, 200.0f, 200.0f, false},
                          {115.5f, 115.5f, 300.0f, 300.0f, true}, {0.0f, 116.0f, 300.0f, 300.0f, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(instance->CollisionRectangle(c.x1, c.y1, c.x2, c.y2, false), c.hit)
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

TEST_F(InstanceCollisionTest, EllipseNeedsACornerInsideUnlessItsCentreLinesUp)
{
    CInstance* instance = At(0, 100.0f, 100.0f);  // box 84..115
    // The ellipse's rectangle touches the box's corner, but its curve
    // passes outside it.
    EXPECT_FALSE(instance->CollisionEllipse(40.0f, 40.0f, 86.0f, 86.0f, false));
    EXPECT_TRUE(instance->CollisionEllipse(60.0f, 60.0f, 100.0f, 100.0f, false));
    // Centre at x = 100, inside left..right: the box test alone decides.
    EXPECT_TRUE(instance->CollisionEllipse(90.0f, 0.0f, 110.0f, 84.0f, false));
}

TEST_F(InstanceCollisionTest, NarrowEllipseIsTestedAsItsRectangle)
{
    CInstance* instance = At(1, 100.0f, 100.0f);
    g_answer = true;
    EXPECT_TRUE(instance->CollisionEllipse(100.0f, 0.0f, 101.0f, 200.0f, true));
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].shape, 'r');
    Calls().clear();
    EXPECT_TRUE(instance->CollisionEllipse(90.0f, 90.0f, 110.0f, 110.0f, true));
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].shape, 'e');
}

TEST(RectEllipseContains, HalvesAsIntegersAndHasNoRadiusUnderTwoPixels)
{
    EXPECT_TRUE(Rect_EllipseContains({0, 0, 10, 10}, 5, 0));
    EXPECT_TRUE(Rect_EllipseContains({0, 0, 10, 10}, 10, 5));
    EXPECT_FALSE(Rect_EllipseContains({0, 0, 10, 10}, 10, 10));
    EXPECT_FALSE(Rect_EllipseContains({0, 0, 1, 10}, 0, 5));
}

TEST_F(InstanceCollisionTest, LineIsCutToTheBoxBeforeThePreciseTest)
{
    CInstance* instance = At(1, 100.0f, 100.0f);  // box 84..115
    struct Case {
        float x1, y1, x2, y2;
        bool hit;
    };
    const Case cases[] = {
        {0.0f, 100.0f, 200.0f, 100.0f, true},  {200.0f, 100.0f, 0.0f, 100.0f, true},
        {0.0f, 0.0f, 200.0f, 60.0f, false},    {0.0f, 160.0f, 200.0f, 260.0f, false},
        {0.0f, 0.0f, 200.0f, 200.0f, true},    {100.0f, 0.0f, 100.0f, 300.0f, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(instance->CollisionLine(c.x1, c.y1, c.x2, c.y2, false), c.hit)
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
    g_answer = true;
    EXPECT_TRUE(instance->CollisionLine(200.0f, 200.0f, 0.0f, 0.0f, true));
    ASSERT_EQ(Calls().size(), 1u);
    // Ordered by x and cut at left = 84 and right + 1 = 116.
    EXPECT_EQ(Calls()[0].a, 84);
    EXPECT_EQ(Calls()[0].b, 84);
    EXPECT_EQ(Calls()[0].c, 116);
    EXPECT_EQ(Calls()[0].d, 116);
}

TEST_F(InstanceCollisionTest, InstancesMeetWhenTheirBoxesOverlap)
{
    CInstance* a = At(0, 100.0f, 100.0f);  // 84..115
    struct Case {
        float x;
        bool hit;
    };
    const Case cases[] = {{131.0f, true}, {132.0f, false}, {69.0f, true}, {68.0f, false}};
    for (const Case& c : cases) {
        CInstance* b = At(0, c.x, 100.0f);
        EXPECT_EQ(a->CollisionInstance(*b, false), c.hit) << c.x;
        EXPECT_EQ(b->CollisionInstance(*a, false), c.hit) << c.x;
    }
    EXPECT_TRUE(Calls().empty());
}

TEST_F(InstanceCollisionTest, InstancesArePreciseWhenEitherSpriteIs)
{
    CInstance* plain = At(0, 100.0f, 100.0f);
    CInstance* precise = At(1, 110.0f, 100.0f);
    EXPECT_TRUE(plain->CollisionInstance(*At(0, 110.0f, 100.0f), true));
    EXPECT_TRUE(Calls().empty());
    g_answer = false;
    EXPECT_FALSE(plain->CollisionInstance(*precise, true));
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].sprite, kSprite);
    EXPECT_EQ(Calls()[0].a, kPreciseSprite);
    EXPECT_TRUE(plain->CollisionInstance(*precise, false));
}

}  // namespace
}  // namespace bw::test
