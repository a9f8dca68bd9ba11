// The game's random numbers: one WELL512a generator (512 bits of state) for
// the whole process, seeded by a small linear congruential fill. Game code
// reproduces its runs from a seed, so the seeding and the step must stay
// exactly as they are.
#pragma once

#include <cstdint>

namespace bw {

struct WELL512State {
    uint32_t state[16];
    uint32_t index;  // 0..15
    uint32_t seed;   // the last seed given
};

// Any generator: fill from a seed, and step.
void WELL512_Seed(WELL512State& generator, uint32_t seed);
uint32_t WELL512_Next(WELL512State& generator);

// The process-wide generator that game code and effects draw from; it starts
// seeded with 0, and start-up seeds it with 0 again.
uint32_t Random_SetSeed(uint32_t seed);  // returns the seed
uint32_t Random_GetSeed();
uint32_t WELL512_Next();
int32_t Random_Next31();  // the next output without its top bit
// A value in [0, x): the next output as a fraction of 2^32, times x.
double Random_Real(double x);
// The next output modulo |n|; 0 for n = 0 (there is no range to draw from).
uint32_t Random_Int(int32_t n);

}  // namespace bw
