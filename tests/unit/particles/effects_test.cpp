// The built-in effects: their particles, the time scale that keeps them
// lasting the same real time, and a firework drawn for real.
#include "particles/effects.h"

#include <algorithm>

#include "particles/particle_system.h"
#include "unit/graphics/gl_golden_fixture.h"
#include "unit/particles/particle_fixture.h"
#include "world/game_state.h"
#include "world/room.h"

namespace bw::test {
namespace {

class EffectTest : public ParticleTest {
protected:
    void SetUp() override
    {
        ParticleTest::SetUp();
        room.speed = 30;
        Display_State().fps = 30;
        Room_SetCurrent(&room, 0);
    }
    void TearDown() override
    {
        Room_SetCurrent(nullptr, -1);
        Display_State().fps = 0;
        ParticleTest::TearDown();
    }

    static const std::vector<Particle>& Above() { return ParticlesOf(Effect_AboveSystem()); }

    CRoom room;
};

TEST_F(EffectTest, TimeScaleFollowsRoomSpeedAndFrameRate)
{
    struct Case {
        int32_t speed, fps;
        double scale;
    };
    for (const Case& c : {Case{30, 30, 1}, Case{60, 60, 0.5}, Case{60, 20, 1}, Case{60, 45, 30.0 / 45},
                          Case{60, 55, 0.5}}) {
        room.speed = c.speed;
        Display_State().fps = c.fps;
        EXPECT_DOUBLE_EQ(Effect_GetTimeScale(), c.scale) << c.speed << " " << c.fps;
    }
}

TEST_F(EffectTest, SmallExplosionAtFullSizeIsTwentyParticlesAndOneBlackPuff)
{
    Effect_Create(false, EffectExplosion, 10, 20, 0, 0x00FF00);
    ASSERT_EQ(Above().size(), 21u);
    for (size_t i = 0; i < 20; ++i) {
        EXPECT_GE(Above()[i].life, 10);
        EXPECT_LE(Above()[i].life, 14);
        EXPECT_EQ(Above()[i].colour, 0x00FF00u);
    }
    EXPECT_EQ(Above()[20].life, 15);
    EXPECT_EQ(Above()[20].colour, 0u);
    EXPECT_EQ(ParticleSystem_Get(Effect_AboveSystem())->depth, -100000.0f);
    EXPECT_EQ(ParticleSystem_Get(Effect_BelowSystem())->depth, 100000.0f);
}

TEST_F(EffectTest, AtHalfScaleLivesDoubleAndSpeedsHalve)
{
    room.speed = 60;
    Display_State().fps = 60;
    Effect_Create(true, EffectExplosion, 0, 0, 0, 0);
    const std::vector<Particle>& below = ParticlesOf(Effect_BelowSystem());
    ASSERT_EQ(below.size(), 21u);
    for (size_t i = 0; i < 20; ++i) {
        EXPECT_GE(below[i].life, 20);
        EXPECT_LE(below[i].life, 29);
        EXPECT_EQ(below[i].speed, 1.0f);
    }
    EXPECT_EQ(below[20].life, 30);
    EXPECT_TRUE(Above().empty());
}

TEST_F(EffectTest, SizesOtherThanSmallAndLargeAreMedium)
{
    for (const int32_t size : {1, 3, -1}) {
        Effect_Clear();
        Effect_Create(false, EffectFirework, 0, 0, size, 0);
        EXPECT_EQ(Above().size(), 150u) << size;
    }
    Effect_Clear();
    Effect_Create(false, EffectSmoke, 0, 0, 2, 0);
    EXPECT_EQ(Above().size(), 16u);
}

TEST_F(EffectTest, KindsOutsideTheTableMakeNothing)
{
    Effect_Create(false, 12, 0, 0, 1, 0);
    Effect_Create(false, -1, 0, 0, 1, 0);
    EXPECT_TRUE(Above().empty());
}

TEST_F(EffectTest, SmallStarKeepsItsMinimumSizeAndShrinks)
{
    Effect_Create(false, EffectStar, 0, 0, 0, 0xFFFFFF);
    ASSERT_EQ(Above().size(), 1u);
    EXPECT_EQ(Above()[0].size, 0.4f);
    ParticleSystem_Update(Effect_AboveSystem());
    EXPECT_FLOAT_EQ(Above()[0].size, 0.38f);
}

TEST_F(EffectTest, RainAndSnowFallFromAboveTheWholeRoom)
{
    room.width = 1000;
    Effect_Create(false, EffectRain, 5000, 5000, 2, 0);
    Effect_Create(false, EffectSnow, 5000, 5000, 2, 0);
    ASSERT_EQ(Above().size(), 16u);
    for (const Particle& drop : Above()) {
        EXPECT_GE(drop.x, -60.0f);
        EXPECT_LT(drop.x, 1200.0f);
        EXPECT_GE(drop.y, -30.0f);
        EXPECT_LT(drop.y, -10.0f);
    }
    EXPECT_EQ(Above()[0].life, 96);  // 0.2 x room height 480
}

TEST_F(EffectTest, ClearEmptiesBothSystemsAndTheSystemsComeBackAfterDestroyAll)
{
    Effect_Create(true, EffectRing, 0, 0, 1, 0);
    Effect_Create(false, EffectCloud, 0, 0, 1, 0);
    Effect_Clear();
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_BelowSystem()), 0);
    EXPECT_TRUE(Above().empty());
    Particle_Init();
    Effect_Create(false, EffectSpark, 0, 0, 1, 0);
    EXPECT_EQ(Above().size(), 1u);
}

// A medium firework a few steps after it went off, on the GL back end.
class FireworkGolden : public GoldenScreenTest<96, 96> {
protected:
    void SetUp() override
    {
        GoldenScreenTest::SetUp();
        Particle_Init();
        Particle_InitShapes();
        Random_SetSeed(1234);
        Room_SetCurrent(&room, 0);
    }
    void TearDown() override
    {
        Room_SetCurrent(nullptr, -1);
        Particle_Fini();
        GoldenScreenTest::TearDown();
    }
    CRoom room;
};

TEST_F(FireworkGolden, MediumFireworkAfterFiveSteps)
{
    Effect_Create(false, EffectFirework, 48, 40, 1, 0x40C0FF);
    for (int step = 0; step < 5; ++step) {
        ParticleSystem_UpdateAll();
    }
    ParticleSystem_Draw(Effect_AboveSystem());
    ExpectGolden("particles_firework.png", 40);
}

}  // namespace
}  // namespace bw::test
