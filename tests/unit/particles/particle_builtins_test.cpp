// The "Particle.." built-ins as game code calls them.
#include "particles/particle_builtins.h"

#include "particles/effects.h"
#include "script/function_table.h"
#include "unit/library/library_test_support.h"
#include "unit/particles/particle_fixture.h"

namespace bw::test {
namespace {

class ParticleBuiltinsTest : public ParticleTest {
protected:
    static void SetUpTestSuite()
    {
        int32_t id = -1;
        if (!Code_Function_Find("part_type_create", &id)) {
            Function_Particle_Register();
        }
    }
};

TEST_F(ParticleBuiltinsTest, TheGroupIsRegisteredInTableOrderWithFixedCounts)
{
    int32_t first = -1;
    int32_t last = -1;
    ASSERT_TRUE(Code_Function_Find("part_type_create", &first));
    ASSERT_TRUE(Code_Function_Find("effect_clear", &last));
    EXPECT_EQ(last - first, 81);
    const char* name = nullptr;
    BuiltinFunctionProc fn = nullptr;
    int32_t argc = -1;
    ASSERT_TRUE(Code_Function_GetInfo(first + 47, &name, &fn, &argc));
    EXPECT_STREQ(name, "part_emitter_region");
    EXPECT_EQ(argc, 8);
}

TEST_F(ParticleBuiltinsTest, SpriteFlagsAreTrueFromHalf)
{
    const double type = CallBuiltin("part_type_create", {}).Real();
    CallBuiltin("part_type_sprite", {type, 3.0, 0.5, 0.49, 1.0});
    const ParticleType& set = *ParticleType_Get(static_cast<int32_t>(type));
    EXPECT_EQ(set.sprite, 3);
    EXPECT_TRUE(set.animate);
    EXPECT_FALSE(set.stretch);
    EXPECT_TRUE(set.randomImage);
}

TEST_F(ParticleBuiltinsTest, IdsAndCountsComeBackAsReals)
{
    EXPECT_EQ(CallBuiltin("part_system_create", {}).Real(), 0.0);
    CallBuiltin("part_system_destroy", {0.0});
    EXPECT_EQ(CallBuiltin("part_system_exists", {0.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("part_system_create", {}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("part_emitter_create", {5.0}).Real(), -1.0);
    const double type = CallBuiltin("part_type_create", {}).Real();
    CallBuiltin("part_particles_create", {0.0, 1.0, 2.0, type, 2.6});  // count to the nearest: 3
    EXPECT_EQ(CallBuiltin("part_particles_count", {0.0}).Real(), 3.0);
    CallBuiltin("part_system_destroy", {0.0});
    EXPECT_EQ(CallBuiltin("part_particles_count", {0.0}).Real(), 0.0);
}

TEST_F(ParticleBuiltinsTest, RegionBuiltinsSetTheirObjects)
{
    const double system = CallBuiltin("part_system_create", {}).Real();
    const double changer = CallBuiltin("part_changer_create", {system}).Real();
    CallBuiltin("part_changer_region", {system, changer, 1.0, 2.0, 3.0, 4.0, 1.0});
    CallBuiltin("part_changer_types", {system, changer, 5.0, 6.0});
    CallBuiltin("part_changer_kind", {system, changer, 2.0});
    const ParticleChanger& set = *ParticleChanger_Get(0, 0);
    EXPECT_EQ(set.yMax, 4.0f);
    EXPECT_EQ(set.shape, RegionEllipse);
    EXPECT_EQ(set.typeTo, 6);
    EXPECT_EQ(set.kind, ChangeMotion);
    EXPECT_EQ(CallBuiltin("part_changer_exists", {system, changer}).Real(), 1.0);
    CallBuiltin("part_changer_destroy", {system, changer});
    EXPECT_EQ(CallBuiltin("part_changer_exists", {system, changer}).Real(), 0.0);

    const double attractor = CallBuiltin("part_attractor_create", {system}).Real();
    CallBuiltin("part_attractor_force", {system, attractor, 1.5, 40.0, 2.0, 0.0});
    EXPECT_FALSE(ParticleAttractor_Get(0, 0)->additive);
    EXPECT_EQ(ParticleAttractor_Get(0, 0)->kind, ForceQuadratic);
}

TEST_F(ParticleBuiltinsTest, EffectsGoToTheirSystems)
{
    CallBuiltin("effect_create_below", {static_cast<double>(EffectRing), 1.0, 2.0, 1.0, 255.0});
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_BelowSystem()), 1);
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_AboveSystem()), 0);
    CallBuiltin("effect_clear", {});
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_BelowSystem()), 0);
}

}  // namespace
}  // namespace bw::test
