// The physics layer over the run-test world: the current room gets a world
// of scale 0.1 and update speed 60, and instances get bodies from fixtures
// made here.
#pragma once

#include "physics/physics_builtins.h"
#include "physics/physics_fixture.h"
#include "physics/physics_joint.h"
#include "physics/physics_object.h"
#include "physics/physics_world.h"
#include <string>
#include <vector>

#include "unit/world/run_fixture.h"

namespace bw::test {

class PhysicsTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        Physics_InstallHooks();
        int32_t id = -1;
        if (!Code_Function_Find("physics_world_create", &id)) {
            Function_Physics_Register();
        }
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

    // A built-in called as game code calls it; the result.
    static double Call(const char* name, std::vector<double> arguments, CInstance* self = nullptr)
    {
        int32_t id = -1;
        EXPECT_TRUE(Code_Function_Find(name, &id)) << name;
        std::vector<Value> values(arguments.size());
        for (size_t i = 0; i < arguments.size(); ++i) {
            Value_SetReal(values[i], arguments[i]);
        }
        Value result;
        Code_Function_CallBuiltin(id, &result, self, self, static_cast<int32_t>(values.size()), values.data());
        return result.real;
    }

    static bool Reported(const char* text) { return ConsoleLines().find(text) != std::string::npos; }

    void Steps(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i) {
            Run_DoAStep();
        }
    }

    static constexpr float kScale = 0.1f;
};

}  // namespace bw::test
