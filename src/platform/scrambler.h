// The seeded byte substitution that older stored scripts and extension data
// were scrambled with. A seed yields a permutation of the byte values (0 always
// maps to itself) and its inverse; unscrambling looks bytes up in the inverse.
#pragma once

#include <cstdint>

namespace bw {

struct ScramblerTables {
    uint8_t forward[256];  // scrambling: byte -> forward[byte]
    uint8_t inverse[256];  // unscrambling: inverse[forward[b]] == b
};

ScramblerTables Scrambler_BuildTable(int32_t seed);

}  // namespace bw
