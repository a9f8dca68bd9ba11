// Parses arbitrary bytes as a model file, then checks that what the parsed
// commands write reads back as the same commands in kind and colour: a model
// saved after loading a damaged file must load again unchanged.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/model_3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<bw::ModelCommand> first;
    if (!bw::Model_ParseText(std::string_view(reinterpret_cast<const char*>(data), size), first)) {
        return 0;
    }
    std::vector<bw::ModelCommand> second;
    if (!bw::Model_ParseText(bw::Model_WriteText(first), second)) __builtin_trap();
    if (second.size() != first.size()) __builtin_trap();
    for (size_t i = 0; i < first.size(); ++i) {
        if (second[i].kind != first[i].kind || second[i].colour != first[i].colour) __builtin_trap();
    }
    return 0;
}
