// Types, systems and region objects: their defaults, ids and the creation of
// particles.
#include "particles/particle_system.h"
#include "unit/particles/particle_fixture.h"

namespace bw::test {
namespace {

TEST_F(ParticleTest, NewTypeMakesWhiteOpaqueStillPixelsOfSizeOneLivingHundredSteps)
{
    const int32_t system = SystemWith(ParticleType_Create(), 3);
    ASSERT_EQ(ParticleSystem_ParticleCount(system), 3);
    for (const Particle& particle : ParticlesOf(system)) {
        EXPECT_EQ(particle.life, 100);
        EXPECT_EQ(particle.size, 1.0f);
        EXPECT_EQ(particle.colour, 0xFFFFFFu);
        EXPECT_EQ(particle.alpha, 1.0f);
        EXPECT_EQ(particle.speed, 0.0f);
        EXPECT_EQ(particle.direction, 0.0f);
        EXPECT_EQ(particle.startImage, 0);
        EXPECT_LT(particle.seed, 100000);
    }
    EXPECT_EQ(ParticleType_Get(0)->shape, ParticleShapePixel);
    EXPECT_EQ(ParticleType_Get(0)->sprite, -1);
    EXPECT_EQ(ParticleType_Get(0)->gravityDirection, 270.0f);
}

TEST_F(ParticleTest, ClearRestoresDefaultsButKeepsTheAdditiveFlag)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetBlend(type, true);
    ParticleType_SetLife(type, 5, 9);
    ParticleType_SetColourRGB(type, std::array<int32_t, 6>{1, 2, 3, 4, 5, 6}.data());
    ParticleType_Clear(type);
    const ParticleType& cleared = *ParticleType_Get(type);
    EXPECT_TRUE(cleared.additive);
    EXPECT_EQ(cleared.lifeMin, 100);
    EXPECT_EQ(cleared.colourMode, ParticleColourOne);
    EXPECT_EQ(cleared.colour[0], 0xFFFFFF);
    EXPECT_EQ(cleared.colour[5], 6);  // colours 4 to 6 are not reset
}

TEST_F(ParticleTest, SettersWriteTheirRows)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetAlpha2(type, 1, 0);
    ParticleType_SetSprite(type, 4, false, true, true);
    EXPECT_EQ(ParticleType_Get(type)->alphaMiddle, 0.5f);
    EXPECT_EQ(ParticleType_Get(type)->sprite, 4);
    ParticleType_SetShape(type, ParticleShapeStar);
    EXPECT_EQ(ParticleType_Get(type)->sprite, -1);  // the shape is drawn again
    EXPECT_TRUE(ParticleType_Get(type)->randomImage);
}

TEST_F(ParticleTest, FreedIdsAreReusedAndFullTablesGrowByOne)
{
    EXPECT_EQ(ParticleType_Create(), 0);
    EXPECT_EQ(ParticleType_Create(), 1);
    ParticleType_SetBlend(0, true);
    ParticleType_Destroy(0);
    EXPECT_FALSE(ParticleType_Exists(0));
    EXPECT_EQ(ParticleType_Create(), 0);
    EXPECT_FALSE(ParticleType_Get(0)->additive);  // a new type in every respect
    EXPECT_EQ(ParticleType_Create(), 2);
    EXPECT_EQ(ParticleType_TableLength(), 3);

    EXPECT_EQ(ParticleSystem_Create(), 0);
    ParticleSystem_SetDepth(0, 7);
    ParticleSystem_Destroy(0);
    EXPECT_EQ(ParticleSystem_ParticleCount(0), 0);
    EXPECT_EQ(ParticleSystem_Create(), 0);
    EXPECT_EQ(ParticleSystem_Get(0)->depth, 0.0f);
}

TEST_F(ParticleTest, RegionObjectsTakeTheLowestFreeIndexAndAreClearedOnCreate)
{
    const int32_t system = ParticleSystem_Create();
    EXPECT_EQ(ParticleRegion_Create(ParticleRegionKind::Attractor, system), 0);
    EXPECT_EQ(ParticleRegion_Create(ParticleRegionKind::Attractor, system), 1);
    ParticleAttractor_Get(system, 0)->force = 3;
    ParticleRegion_Destroy(ParticleRegionKind::Attractor, system, 0);
    EXPECT_FALSE(ParticleRegion_Exists(ParticleRegionKind::Attractor, system, 0));
    EXPECT_EQ(ParticleRegion_Create(ParticleRegionKind::Attractor, system), 0);
    EXPECT_EQ(ParticleAttractor_Get(system, 0)->force, 0.0f);
    EXPECT_TRUE(ParticleAttractor_Get(system, 0)->additive);

    EXPECT_EQ(ParticleRegion_Create(ParticleRegionKind::Changer, system), 0);
    EXPECT_EQ(ParticleChanger_Get(system, 0)->typeTo, -1);
    ParticleRegion_DestroyAll(ParticleRegionKind::Changer, system);
    EXPECT_TRUE(ParticleSystem_Get(system)->changers.empty());
    EXPECT_EQ(ParticleRegion_Create(ParticleRegionKind::Emitter, system + 1), -1);
    EXPECT_EQ(ParticleEmitter_Get(system, 5), nullptr);
}

TEST_F(ParticleTest, SystemClearDropsParticlesAndRegionsAndRestoresDefaults)
{
    const int32_t system = SystemWith(ParticleType_Create(), 4);
    ParticleRegion_Create(ParticleRegionKind::Emitter, system);
    ParticleSystem_SetAutomaticDraw(system, false);
    ParticleSystem_Clear(system);
    const ParticleSystem& cleared = *ParticleSystem_Get(system);
    EXPECT_TRUE(cleared.particles.empty());
    EXPECT_TRUE(cleared.emitters.empty());
    EXPECT_TRUE(cleared.automaticDraw);
    EXPECT_TRUE(cleared.drawOldToNew);
}

TEST_F(ParticleTest, RangedRandomWithMaxNotAboveMinIsMin)
{
    for (int32_t distribution = 0; distribution < 3; ++distribution) {
        EXPECT_EQ(Particle_RandomInRange(5, 2, distribution), 5.0f);
        EXPECT_EQ(Particle_RandomInRange(5, 5, distribution), 5.0f);
    }
}

// Ten bins over [0, 10): linear is flat, gaussian heaps in the middle,
// inverse gaussian at both ends.
TEST_F(ParticleTest, DistributionsShapeTheirHistograms)
{
    const auto histogram = [](int32_t distribution) {
        std::array<int, 10> bins{};
        for (int i = 0; i < 20000; ++i) {
            const float value = Particle_RandomInRange(0, 10, distribution);
            EXPECT_GE(value, 0.0f);
            EXPECT_LT(value, 10.0f);
            ++bins[static_cast<size_t>(std::min(9, static_cast<int>(value)))];
        }
        return bins;
    };
    const auto linear = histogram(DistributionLinear);
    for (const int bin : linear) {
        EXPECT_NEAR(bin, 2000, 300);
    }
    const auto gaussian = histogram(DistributionGaussian);
    EXPECT_GT(gaussian[4] + gaussian[5], 5 * (gaussian[0] + gaussian[9]));
    const auto inverse = histogram(DistributionInvGaussian);
    EXPECT_GT(inverse[0] + inverse[9], 5 * (inverse[4] + inverse[5]));
}

TEST_F(ParticleTest, InitialColourFollowsTheMode)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetColourRGB(type, std::array<int32_t, 6>{10, 10, 20, 20, 30, 31}.data());
    const int32_t system = SystemWith(type, 5);
    for (const Particle& particle : ParticlesOf(system)) {
        EXPECT_EQ(particle.colour, 10u | 20u << 8 | 30u << 16);
    }
    ParticleType_SetColour3(type, 0x0000FF, 0x00FF00, 0xFF0000);
    ParticleSystem_CreateParticlesColour(system, 0, 0, type, 0x123456, 1);
    EXPECT_EQ(ParticlesOf(system).back().colour, 0x123456u);
}

TEST_F(ParticleTest, CreationNeedsASystemAndATypeAndAPositiveNumber)
{
    const int32_t type = ParticleType_Create();
    const int32_t system = ParticleSystem_Create();
    ParticleSystem_CreateParticles(system, 0, 0, type, 0);
    ParticleSystem_CreateParticles(system, 0, 0, type, -3);
    EXPECT_EQ(ParticleConsoleText(), "");
    ParticleSystem_CreateParticles(system + 1, 0, 0, type, 1);
    ParticleSystem_CreateParticlesColour(system, 0, 0, type + 1, 0, 1);
    EXPECT_EQ(ParticleConsoleText(),
              "part_particles_create :: particle system does not exist!\n"
              "part_particles_create :: particle type does not exist!\n");
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 0);
}

TEST_F(ParticleTest, DestroyingATypeRemovesItsParticles)
{
    const int32_t kept = ParticleType_Create();
    const int32_t gone = ParticleType_Create();
    const int32_t system = SystemWith(kept, 2);
    ParticleSystem_CreateParticles(system, 0, 0, gone, 3);
    ParticleType_Destroy(gone);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 2);
    ParticleSystem_Update(system);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 2);
}

TEST_F(ParticleTest, ASystemStopsGrowingAtItsCap)
{
    const int32_t system = SystemWith(ParticleType_Create(), kMaxParticlesPerSystem - 2);
    ParticleSystem_CreateParticles(system, 0, 0, 0, 10);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), kMaxParticlesPerSystem);
}

}  // namespace
}  // namespace bw::test
