// The physics benchmark: 1,000 dynamic boxes falling into a pile on a static
// floor, run through the runner's game step (bodies bound to instances, the
// contact records and collision events, the write-back to instances), and
// the same world stepped by a plain Box2D loop. The two step in turns, each
// step timed on its own, so that a noisy neighbour slows both alike; only
// the ratio means anything on a shared machine.
//   physics_bench [steps] [collision event code]
// The collision events run "// hit" unless other code is given (for
// example "n = phy_collision_points" to include the script engine's cost).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <box2d/box2d.h>

#include "physics/physics_builtins.h"
#include "physics/physics_fixture.h"
#include "physics/physics_object.h"
#include "physics/physics_world.h"
#include "script/error_report.h"
#include "unit/world/object_test_image.h"
#include "world/builtin_variables.h"
#include "world/event.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object_lists.h"
#include "world/object_loader.h"
#include "world/room.h"
#include "world/run_step.h"
#include "world/script_access.h"
#include "world/variable_access.h"

namespace bw {
namespace {

constexpr int32_t kColumns = 20;
constexpr int32_t kRows = 50;  // 1,000 boxes
constexpr float kScale = 0.1f;
constexpr float kHalfBox = 5.0f;  // pixels
constexpr int32_t kIterations = 10;
constexpr float kStep = 1.0f / 60.0f;

// Where box i starts, in pixels: columns a little wider than a box, rows
// stacked upward from above the floor.
b2Vec2 BoxPosition(int32_t i)
{
    return b2Vec2(100.0f + (i % kColumns) * 12.0f + (i / kColumns % 2) * 3.0f, 380.0f - (i / kColumns) * 12.0f);
}
const b2Vec2 kFloorCentre(220.0f, 420.0f);
const b2Vec2 kFloorHalf(400.0f, 10.0f);

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::unique_ptr<b2World> PlainWorld()
{
    auto plain = std::make_unique<b2World>(b2Vec2(0.0f, 10.0f));
    b2World& world = *plain;
    world.SetAllowSleeping(true);
    b2BodyDef floorDef;
    floorDef.position = kScale * kFloorCentre;
    b2PolygonShape floorShape;
    floorShape.SetAsBox(kScale * kFloorHalf.x, kScale * kFloorHalf.y);
    world.CreateBody(&floorDef)->CreateFixture(&floorShape, 0.0f);
    b2PolygonShape boxShape;
    boxShape.SetAsBox(kScale * kHalfBox, kScale * kHalfBox);
    for (int32_t i = 0; i < kColumns * kRows; ++i) {
        b2BodyDef def;
        def.type = b2_dynamicBody;
        def.position = kScale * BoxPosition(i);
        b2FixtureDef fixture;
        fixture.shape = &boxShape;
        fixture.density = 1.0f;
        fixture.friction = 0.2f;
        world.CreateBody(&def)->CreateFixture(&fixture);
    }
    return plain;
}

void SetUpRunnerRoom(const char* eventCode)
{
    Variable_Init();
    Variable_Global_Init();
    World_RegisterScriptAccess();
    Code_Error_SetShowErrors(false);
    Physics_InstallHooks();
    // Boxes collide with boxes and the floor; each collision event runs.
    static const test::ObjtImage image({test::ObjectSpec("box", -1, {{kEventCollision, 0, eventCode},
                                                                   {kEventCollision, 1, eventCode}}),
                                        test::ObjectSpec("floor")},
                                       13);
    if (!Object_LoadChunk(image.View(), image.chunkOffset, image.chunkLength, 13) || !Object_Prepare()) {
        std::fprintf(stderr, "physics_bench: the objects did not load\n");
        std::exit(1);
    }
    Object_BuildEventLists();
    // Never destroyed: its instances live in tables torn down at exit.
    auto* room = new CRoom();
    room->speed = 60;
    room->physicsWorld = new PhysicsWorld(kScale, 60);
    Room_SetCurrent(room, 0);
    PhysicsFixture& floor = Physics_Fixture_Create();
    Physics_Fixture_SetBoxShape(floor, kScale * kFloorHalf.x, kScale * kFloorHalf.y);
    PhysicsFixture& box = Physics_Fixture_Create();
    Physics_Fixture_SetBoxShape(box, kScale * kHalfBox, kScale * kHalfBox);
    box.density = 1.0f;
    const auto place = [room](int32_t object, b2Vec2 at, const PhysicsFixture& fixture) {
        CInstance* instance = room->AddInstance(at.x, at.y, object);
        PhysicsWorld_BindFixture(*room->physicsWorld, fixture, *instance);
    };
    place(1, kFloorCentre, floor);
    for (int32_t i = 0; i < kColumns * kRows; ++i) {
        place(0, BoxPosition(i), box);
    }
}

}  // namespace
}  // namespace bw

int main(int argc, char** argv)
{
    const int32_t steps = argc > 1 ? std::atoi(argv[1]) : 600;
    const std::unique_ptr<b2World> plainWorld = bw::PlainWorld();
    bw::SetUpRunnerRoom(argc > 2 ? argv[2] : "// hit");
    double plain = 0.0;
    double runner = 0.0;
    for (int32_t i = 0; i < steps; ++i) {
        bw::Clock::time_point start = bw::Clock::now();
        plainWorld->Step(bw::kStep, bw::kIterations, bw::kIterations);
        plain += bw::Seconds(start);
        start = bw::Clock::now();
        bw::Run_DoAStep();
        runner += bw::Seconds(start);
    }
    std::printf("%d boxes, %d steps: runner %.3f s, plain Box2D %.3f s, ratio %.3f\n", bw::kColumns * bw::kRows, steps,
                runner, plain, runner / plain);
    return 0;
}
