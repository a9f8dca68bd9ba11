#include "platform/random.h"

namespace bw {

void WELL512_Seed(WELL512State& generator, uint32_t seed)
{
    uint32_t x = seed;
    for (uint32_t& word : generator.state) {
        x = ((x * 214013u + 2531011u) >> 16) & 0x7FFFu;
        word = x;
    }
    generator.index = 0;
    generator.seed = seed;
}

uint32_t WELL512_Next(WELL512State& generator)
{
    uint32_t* s = generator.state;
    uint32_t i = generator.index;
    uint32_t a = s[i];
    uint32_t c = s[(i + 13) & 15];
    const uint32_t b = a ^ c ^ (a << 16) ^ (c << 15);
    c = s[(i + 9) & 15];
    c ^= c >> 11;
    a = s[i] = b ^ c;
    const uint32_t d = a ^ ((a << 5) & 0xDA442D24u);
    i = (i + 15) & 15;
    a = s[i];
    s[i] = a ^ b ^ d ^ (a << 2) ^ (b << 18) ^ (c << 28);
    generator.index = i;
    return s[i];
}

namespace {

WELL512State SeededGenerator(uint32_t seed)
{
    WELL512State generator{};
    WELL512_Seed(generator, seed);
    return generator;
}

// Seeded before anything can draw from it: an all-zero state only ever
// yields zeros, so a game that never seeds would get no randomness at all.
WELL512State g_random = SeededGenerator(0);

}  // namespace

uint32_t Random_SetSeed(uint32_t seed)
{
    WELL512_Seed(g_random, seed);
    return seed;
}

uint32_t Random_GetSeed()
{
    return g_random.seed;
}

uint32_t WELL512_Next()
{
    return WELL512_Next(g_random);
}

int32_t Random_Next31()
{
    return static_cast<int32_t>(WELL512_Next() & 0x7FFFFFFFu);
}

double Random_Real(double x)
{
    // The largest output, 2^32 - 1, scaled by 2^-32 stays below 1, so the
    // result never reaches x.
    return static_cast<double>(WELL512_Next()) * 2.3283064365386963e-10 * x;
}

uint32_t Random_Int(int32_t n)
{
    if (n == 0) {
        return 0;
    }
    // |n| in unsigned arithmetic, so that INT32_MIN gives 2^31.
    const uint32_t range = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    return WELL512_Next() % range;
}

}  // namespace bw
