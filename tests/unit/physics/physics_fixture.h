// The physics layer over the run-test world: the current room gets a world
// of scale 0.1 and update speed 60, and instances get bodies from fixtures
// made here.
#pragma once

#include "physics/physics_builtins.h"
#include "physics/physics_fixture.h"
#include "physics/physics_joint.h"
#include "physics/physics_object.h"
#include "physics/physics_world.h"
#include "unit/world/run_fixture.h"

namespace bw::test {

class PhysicsTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        Physics_InstallHooks();
        room.speed = 60;
        room.physicsWorld = new PhysicsWorld(kScale, 60);
    }

    PhysicsWorld& World() { return *room.physicsWorld; }

    // A box of half extents in pixels, dynamic with density 1 unless given.
    static PhysicsFixture& Box(float halfWidth, float halfHeight, float density = 1.0f)
    {
        PhysicsFixture& fixture = Physics_Fixture_Create();
        Physics_Fixture_SetBoxShape(fixture, halfWidth * kScale, halfHeight * kScale);
        fixture.density = density;
        return fixture;
    }

    CInstance* BodyAt(int32_t objectIndex, float x, float y, const PhysicsFixture& fixture)
    {
        CInstance* instance = AddInstance(objectIndex);
        instance->i_x = x;
        instance->i_y = y;
        EXPECT_TRUE(PhysicsWorld_BindFixture(World(), fixture, *instance));
        return instance;
    }

    void Steps(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i) {
            Run_DoAStep();
        }
    }

    static constexpr float kScale = 0.1f;
};

}  // namespace bw::test
