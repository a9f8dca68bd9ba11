// Reads arbitrary bytes as a high-score file, then checks that the table it
// leaves saves and reads back to the very same bytes: whatever a damaged
// file did, the next save must be a sound file.
#include <cstdint>
#include <vector>

#include "online/dialogs/high_score.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bw::HighScore_Init();
    bw::HighScore_Parse(data, size);
    const std::vector<uint8_t> saved = bw::HighScore_Serialise();
    bw::HighScore_Init();
    bw::HighScore_Parse(saved.data(), saved.size());
    if (bw::HighScore_Serialise() != saved) __builtin_trap();
    return 0;
}
