#include "platform/scrambler.h"

#include <utility>

namespace bw {

namespace {

constexpr int kShuffleRounds = 10000;

// The remainder in 0..divisor-1 for any sign of the value. The swap index
// must never be negative: very negative seeds keep the running sum below zero
// for the first rounds, and a C remainder there would index before the table.
int64_t PositiveModulo(int64_t value, int64_t divisor)
{
    const int64_t remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}

}  // namespace

ScramblerTables Scrambler_BuildTable(int32_t seed)
{
    int64_t a = seed / 250;
    int64_t b = seed % 250 + 6;
    if (a < 0) {
        a += 256;
    }
    if (b < 0) {
        b += 256;
    }

    ScramblerTables tables;
    for (int i = 0; i < 256; ++i) {
        tables.forward[i] = static_cast<uint8_t>(i);
        tables.inverse[i] = static_cast<uint8_t>(i);
    }

    // Swaps only ever touch entries 1..255, so 0 stays fixed.
    int64_t sum = a + b;
    for (int round = 0; round < kShuffleRounds; ++round) {
        const int64_t k = PositiveModulo(sum, 254);
        std::swap(tables.forward[k + 1], tables.forward[k + 2]);
        sum += b;
    }
    for (int i = 1; i < 256; ++i) {
        tables.inverse[tables.forward[i]] = static_cast<uint8_t>(i);
    }
    return tables;
}

}  // namespace bw
