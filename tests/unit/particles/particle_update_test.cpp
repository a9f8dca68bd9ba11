// One step of a system: ageing and spawning, motion, the region objects,
// size, colour and alpha over the life, and the emitters.
#include <cmath>

#include "particles/particle_system.h"
#include "unit/particles/particle_fixture.h"

namespace bw::test {
namespace {

int32_t TypeLiving(int32_t steps)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetLife(type, steps, steps);
    return type;
}

TEST_F(ParticleTest, ALifeOneParticleDiesAtTheNextUpdate)
{
    const int32_t system = SystemWith(TypeLiving(1), 5);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 5);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 0);
}

TEST_F(ParticleTest, DeathAndStepSpawnIntoTheSameSystem)
{
    const int32_t child = TypeLiving(50);
    const int32_t parent = TypeLiving(2);
    ParticleType_SetStep(parent, 2, child);
    ParticleType_SetDeath(parent, 3, child);
    const int32_t system = SystemWith(parent, 1, 10, 20);
    ParticleSystem_Update(system);  // age 1: two children
    ParticleSystem_Update(system);  // age 2: dies, three children
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 5);
    for (const Particle& particle : ParticlesOf(system)) {
        EXPECT_EQ(particle.type, child);
        EXPECT_EQ(particle.x, 10.0f);
    }
}

TEST_F(ParticleTest, NegativeStepNumberSpawnsWithAChanceOfOneIn)
{
    const int32_t type = TypeLiving(1000000);
    ParticleType_SetStep(type, -4, TypeLiving(10));
    const int32_t system = SystemWith(type, 1000);
    ParticleSystem_Update(system);
    EXPECT_NEAR(ParticleSystem_ParticleCount(system) - 1000, 250, 60);
}

TEST_F(ParticleTest, NegativeDeathNumberSpawnsWithTheSameChanceAsASteps)
{
    const int32_t type = TypeLiving(1);
    ParticleType_SetDeath(type, -1, TypeLiving(10));  // a chance of 1 in 1
    const int32_t system = SystemWith(type, 3);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 3);
}

// A type that spawns itself would otherwise keep the ageing walk going
// for as long as memory lasts.
TEST_F(ParticleTest, OnlyParticlesThereBeforeTheStepSpawn)
{
    const int32_t type = TypeLiving(100);
    ParticleType_SetStep(type, 1, type);
    const int32_t system = SystemWith(type, 3);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 6);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 12);
}

TEST_F(ParticleTest, SpawnersOfMissingTypesAreSkipped)
{
    const int32_t type = TypeLiving(1);
    ParticleType_SetDeath(type, 4, 99);
    const int32_t system = SystemWith(type, 2);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 0);
    EXPECT_EQ(ParticleConsoleText(), "");
}

TEST_F(ParticleTest, WithoutGravityOrAttractorsOnlyIncrementsChangeTheMotion)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetSpeed(type, 2, 2, 0.5f, 3);
    ParticleType_SetDirection(type, 90, 90, 10, 45);
    const int32_t system = SystemWith(type, 1);
    ParticleSystem_Update(system);
    ParticleSystem_Update(system);
    const Particle& particle = ParticlesOf(system)[0];
    EXPECT_EQ(particle.speed, 3.0f);
    EXPECT_EQ(particle.direction, 110.0f);
    // The wiggles moved it elsewhere than the stored motion alone would.
    const double unwiggledX = 2.5 * std::cos(100 * kParticleRadiansPerDegree) + 3 * std::cos(110 * kParticleRadiansPerDegree);
    EXPECT_GT(std::fabs(particle.x - unwiggledX), 0.01);
}

TEST_F(ParticleTest, GravityBendsTheMotion)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetSpeed(type, 1, 1, 0, 0);
    ParticleType_SetGravity(type, 1, 270);
    const int32_t system = SystemWith(type, 1);
    ParticleSystem_Update(system);
    const Particle& particle = ParticlesOf(system)[0];
    EXPECT_NEAR(particle.speed, std::sqrt(2.0), 1e-5);
    EXPECT_NEAR(particle.direction, 315, 1e-4);
    EXPECT_NEAR(particle.x, 1, 1e-5);
    EXPECT_NEAR(particle.y, 1, 1e-5);
}

TEST_F(ParticleTest, AttractorsPullWithinTheirDistance)
{
    const int32_t system = SystemWith(ParticleType_Create(), 1);
    const int32_t far = ParticleRegion_Create(ParticleRegionKind::Attractor, system);
    ParticleAttractor* attractor = ParticleAttractor_Get(system, far);
    attractor->x = 100;
    attractor->force = 2;
    attractor->distance = 50;
    ParticleSystem_Get(system)->particles[0].direction = 33;
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].speed, 0.0f);  // out of reach: stays at rest, keeps its direction
    EXPECT_EQ(ParticlesOf(system)[0].direction, 33.0f);

    attractor->distance = 200;
    attractor->kind = ForceLinear;
    ParticleSystem_Update(system);
    EXPECT_NEAR(ParticlesOf(system)[0].speed, 2 * 0.5, 1e-5);
    EXPECT_EQ(ParticlesOf(system)[0].direction, 0.0f);

    attractor->additive = false;  // moves this step only
    const float x = ParticlesOf(system)[0].x;
    ParticleSystem_Get(system)->particles[0].speed = 0;
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].speed, 0.0f);
    EXPECT_GT(ParticlesOf(system)[0].x, x);
}

TEST_F(ParticleTest, DeflectorsBounceAndSlow)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetSpeed(type, 4, 4, 0, 0);
    const int32_t system = SystemWith(type, 1);
    const int32_t index = ParticleRegion_Create(ParticleRegionKind::Deflector, system);
    ParticleDeflector* wall = ParticleDeflector_Get(system, index);
    *wall = ParticleDeflector{true, 2, 10, -5, 5, DeflectHorizontal, 1};
    ParticleSystem_Update(system);
    const Particle& particle = ParticlesOf(system)[0];
    EXPECT_EQ(particle.x, -4.0f);
    EXPECT_EQ(particle.direction, 180.0f);
    EXPECT_EQ(particle.speed, 3.0f);
    ParticleSystem_Update(system);  // on in the new direction
    EXPECT_EQ(ParticlesOf(system)[0].x, -7.0f);
}

TEST_F(ParticleTest, ChangersTurnParticlesIntoTheirTargetType)
{
    const int32_t from = ParticleType_Create();
    const int32_t to = TypeLiving(7);
    ParticleType_SetColour1(to, 0x0000FF);
    const int32_t system = SystemWith(from, 2);
    const int32_t index = ParticleRegion_Create(ParticleRegionKind::Changer, system);
    *ParticleChanger_Get(system, index) = ParticleChanger{true, -1, 1, -1, 1, RegionRectangle, from, 99, ChangeAll};
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].type, from);  // no type 99: nothing to change into
    ParticleChanger_Get(system, index)->typeTo = to;
    ParticleChanger_Get(system, index)->kind = ChangeShape;
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].type, to);
    EXPECT_EQ(ParticlesOf(system)[0].colour, 0x0000FFu);
    EXPECT_EQ(ParticlesOf(system)[0].life, 100);  // a shape change keeps the life
}

// A box from (0, 0) to (100, 100) filled corner to corner: the ellipse takes
// the middle and leaves the corners.
TEST_F(ParticleTest, AnEllipseDestroyerKeepsTheCornersOfItsBox)
{
    const int32_t type = ParticleType_Create();
    const int32_t system = ParticleSystem_Create();
    for (float x : {2.0f, 50.0f, 98.0f}) {
        for (float y : {2.0f, 50.0f, 98.0f}) {
            ParticleSystem_CreateParticles(system, x, y, type, 1);
        }
    }
    const int32_t index = ParticleRegion_Create(ParticleRegionKind::Destroyer, system);
    *ParticleDestroyer_Get(system, index) = ParticleDestroyer{true, 0, 100, 0, 100, RegionEllipse};
    ParticleSystem_Update(system);
    ASSERT_EQ(ParticleSystem_ParticleCount(system), 4);
    for (const Particle& particle : ParticlesOf(system)) {
        EXPECT_NE(particle.x, 50.0f);
        EXPECT_NE(particle.y, 50.0f);
    }
}

TEST_F(ParticleTest, SizeColourAndAlphaFollowTheLife)
{
    const int32_t type = TypeLiving(4);
    ParticleType_SetSize(type, 1, 1, -0.75f, 0);
    ParticleType_SetColour2(type, 0x000000, 0x0000FF);
    ParticleType_SetAlpha3(type, 1, 0.5f, 0);
    const int32_t system = SystemWith(type, 2);
    ParticleSystem_Get(system)->particles[1].life = 8;  // born in the same step, twice as long-lived
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].size, 0.25f);
    EXPECT_EQ(ParticlesOf(system)[0].colour, 0x000040u);  // a quarter of the way (64 is even)
    EXPECT_EQ(ParticlesOf(system)[0].alpha, 0.75f);
    EXPECT_EQ(ParticlesOf(system)[1].colour, 0x000020u);
    EXPECT_EQ(ParticlesOf(system)[1].alpha, 0.875f);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].size, 0.0f);
    EXPECT_EQ(ParticlesOf(system)[0].alpha, 0.5f);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticlesOf(system)[0].alpha, 0.25f);
}

TEST_F(ParticleTest, ALineEmitterPlacesEveryParticleOnItsDiagonal)
{
    const int32_t type = ParticleType_Create();
    const int32_t system = ParticleSystem_Create();
    const int32_t emitter = ParticleRegion_Create(ParticleRegionKind::Emitter, system);
    ParticleEmitter_SetRegion(system, emitter, 0, 100, 0, 50, RegionLine, DistributionGaussian);
    ParticleEmitter_Burst(system, emitter, type, 200);
    ASSERT_EQ(ParticleSystem_ParticleCount(system), 200);
    for (const Particle& particle : ParticlesOf(system)) {
        EXPECT_NEAR(particle.y, particle.x / 2, 1e-4);
        EXPECT_GE(particle.x, 0.0f);
        EXPECT_LT(particle.x, 100.0f);
    }
}

TEST_F(ParticleTest, EmitterShapesKeepParticlesInside)
{
    const int32_t type = ParticleType_Create();
    const int32_t system = ParticleSystem_Create();
    const int32_t emitter = ParticleRegion_Create(ParticleRegionKind::Emitter, system);
    for (const int32_t shape : {RegionEllipse, RegionDiamond}) {
        ParticleSystem_ClearParticles(system);
        ParticleEmitter_SetRegion(system, emitter, -10, 10, -10, 10, shape, DistributionInvGaussian);
        ParticleEmitter_Burst(system, emitter, type, 300);
        ASSERT_EQ(ParticleSystem_ParticleCount(system), 300);
        for (const Particle& particle : ParticlesOf(system)) {
            const double nx = particle.x / 10.0, ny = particle.y / 10.0;
            EXPECT_LE(shape == RegionEllipse ? nx * nx + ny * ny : std::fabs(nx) + std::fabs(ny), 1.0 + 1e-6);
        }
    }
}

TEST_F(ParticleTest, StreamsEmitEveryUpdateAndNeedAType)
{
    const int32_t type = TypeLiving(10);
    const int32_t system = ParticleSystem_Create();
    const int32_t emitter = ParticleRegion_Create(ParticleRegionKind::Emitter, system);
    ParticleEmitter_Stream(system, emitter, type, 3);
    ParticleSystem_Update(system);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 6);
    ParticleEmitter_Burst(system, emitter, 42, 5);
    EXPECT_EQ(ParticleConsoleText(), "part_particles_create :: particle type does not exist!\n");
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 6);
}

TEST_F(ParticleTest, UpdateAllSkipsSystemsWithoutAutomaticUpdate)
{
    const int32_t type = TypeLiving(1);
    const int32_t manual = SystemWith(type, 2);
    const int32_t automatic = SystemWith(type, 2);
    ParticleSystem_SetAutomaticUpdate(manual, false);
    ParticleSystem_UpdateAll();
    EXPECT_EQ(ParticleSystem_ParticleCount(manual), 2);
    EXPECT_EQ(ParticleSystem_ParticleCount(automatic), 0);
}

}  // namespace
}  // namespace bw::test
