#include "platform/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace bw {
namespace {

std::vector<uint32_t> FirstOutputs(uint32_t seed, int count)
{
    WELL512State generator{};
    WELL512_Seed(generator, seed);
    std::vector<uint32_t> outputs;
    for (int n = 0; n < count; ++n) {
        outputs.push_back(WELL512_Next(generator));
    }
    return outputs;
}

TEST(RandomSeed, FillsStateFromTheLinearCongruentialSequence)
{
    WELL512State generator{};
    WELL512_Seed(generator, 0);
    EXPECT_EQ(generator.state[0], 38u);
    EXPECT_EQ(generator.state[1], 162u);
    EXPECT_EQ(generator.state[2], 567u);
    EXPECT_EQ(generator.index, 0u);
    EXPECT_EQ(generator.seed, 0u);
}

// Goldens from a separate few-line Python model of the seeding and the
// WELL512a step (all arithmetic masked to 32 bits), run once by hand.
TEST(RandomSequence, MatchesReferenceOutputsForFixedSeeds)
{
    struct Case {
        uint32_t seed;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {0, {0x27c5f82du, 0x15b1730fu, 0xb48c6b74u, 0x6de81c14u, 0xa6e448cdu, 0x23381ba2u, 0xfd25a10eu, 0x6938bb3du}},
        {12345, {0xd240f5c2u, 0x6fb53c88u, 0xe7913336u, 0x41100c7cu, 0xf628d27bu, 0xc0685223u, 0x6b6ce716u, 0xbb14d01cu}},
        {0xFFFFFFFFu, {0x231cf9d9u, 0x6cd802e6u, 0x08b06007u, 0x96e8d832u, 0x153056e3u, 0xd0bc12aau, 0x515d7070u, 0x3bfc764au}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FirstOutputs(c.seed, 8), c.expected) << "seed " << c.seed;
    }
}

TEST(RandomSequence, GlobalGeneratorFollowsALocalOneSeededAlike)
{
    EXPECT_EQ(Random_SetSeed(777), 777u);
    EXPECT_EQ(Random_GetSeed(), 777u);
    WELL512State local{};
    WELL512_Seed(local, 777);
    // Past 16 draws the index wraps round the state more than once.
    for (int n = 0; n < 40; ++n) {
        ASSERT_EQ(WELL512_Next(), WELL512_Next(local)) << "draw " << n;
    }
}

TEST(RandomSequence, Next31ClearsOnlyTheTopBit)
{
    Random_SetSeed(0);
    const std::vector<uint32_t> raw = FirstOutputs(0, 8);
    for (uint32_t expected : raw) {
        EXPECT_EQ(static_cast<uint32_t>(Random_Next31()), expected & 0x7FFFFFFFu);
    }
}

TEST(RandomReal, ScalesTheOutputAndStaysBelowTheLimit)
{
    Random_SetSeed(0);
    EXPECT_DOUBLE_EQ(Random_Real(10.0), 0x27c5f82du / 4294967296.0 * 10.0);
    Random_SetSeed(99);
    for (int n = 0; n < 100000; ++n) {
        const double r = Random_Real(1.0);
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(RandomInt, IsTheOutputModuloTheMagnitude)
{
    const struct {
        int32_t n;
        uint32_t range;
    } cases[] = {{7, 7}, {-7, 7}, {1, 1}, {INT32_MIN, 0x80000000u}, {INT32_MAX, 0x7FFFFFFFu}};
    for (const auto& c : cases) {
        Random_SetSeed(0);
        EXPECT_EQ(Random_Int(c.n), 0x27c5f82du % c.range) << "n " << c.n;
    }
}

TEST(RandomInt, ZeroRangeGivesZero)
{
    Random_SetSeed(5);
    EXPECT_EQ(Random_Int(0), 0u);
}

}  // namespace
}  // namespace bw
