// Reads arbitrary bytes as a game's text file: the first byte picks how many
// reads run, the next bytes pick them, the rest is the file. Every read of
// a number that starts before the end must move on, or a game reading the
// numbers of a file would stop at one word for good.
#include <algorithm>
#include <cstdint>

#include "library/game_files.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const size_t reads = std::min<size_t>(data[0], size - 1);
    const uint8_t* picks = data + 1;
    bw::MemoryFile* file = bw::LoadSave_OpenMemory(picks + reads, size - 1 - reads);
    for (size_t i = 0; i < reads; ++i) {
        switch (picks[i] % 4) {
        case 0: {
            const bool ended = bw::LoadSave_Eof(file);
            const int32_t before = bw::LoadSave_Tell(file);
            double value = 0;
            bw::LoadSave_ReadReal(file, &value);
            if (!ended && bw::LoadSave_Tell(file) == before) __builtin_trap();
            break;
        }
        case 1: bw::LoadSave_ReadChar(file); break;
        case 2: bw::TextReader_ReadString(file); break;
        default: bw::TextReader_ReadLine(file, 64); break;
        }
    }
    bw::LoadSave_Close(file);
    return 0;
}
