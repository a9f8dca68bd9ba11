// Debug drawing of a world through the program's own primitives, on the
// OpenGL back end (headless), against tests/golden/physics_debug_stack.png.
#include "graphics/draw_2d.h"
#include "physics/physics_debug_draw.h"
#include "physics/physics_world.h"
#include "unit/graphics/gl_golden_fixture.h"

namespace bw::test {
namespace {

using PhysicsDebugDrawTest = GoldenScreenTest<96, 64>;

TEST(PhysicsDebugColour, ComponentsOfOneStayInsideAByte)
{
    EXPECT_EQ(Physics_DebugColour(1.0f, 1.0f, 1.0f), GR_MakeColour(255, 255, 255));
    EXPECT_EQ(Physics_DebugColour(0.5f, 0.0f, 0.25f), GR_MakeColour(128, 0, 64));
}

TEST_F(PhysicsDebugDrawTest, AStackOfBoxesOnTheFloorWithTheirCentresOfMass)
{
    PhysicsWorld world(0.1f, 60);
    b2PolygonShape shape;
    b2BodyDef floor;
    floor.position.Set(4.8f, 6.0f);
    shape.SetAsBox(4.0f, 0.3f);
    world.World().CreateBody(&floor)->CreateFixture(&shape, 0.0f);
    shape.SetAsBox(0.6f, 0.6f);
    for (int32_t i = 0; i < 4; ++i) {
        b2BodyDef box;
        box.type = b2_dynamicBody;
        box.position.Set(4.8f + 0.2f * static_cast<float>(i % 2), 5.0f - 1.2f * static_cast<float>(i));
        box.angle = 0.1f * static_cast<float>(i);
        world.World().CreateBody(&box)->CreateFixture(&shape, 1.0f);
    }
    PhysicsWorld_DrawDebug(world, kDebugShapes | kDebugComs | kDebugObb);
    ExpectGolden("physics_debug_stack.png", 40);
}

}  // namespace
}  // namespace bw::test
