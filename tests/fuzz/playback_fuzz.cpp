// Reads arbitrary bytes as a "-playback" file, frame by frame, and checks
// that each frame decodes into well-formed state that writes back to bytes
// which decode to the very same state: what the runner keeps of a frame
// must survive a record of it unchanged.
#include <array>
#include <cstdint>
#include <span>

#include "world/input_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (size_t at = 0; at + bw::kInputFrameSize <= size; at += bw::kInputFrameSize) {
        const std::span<const uint8_t, bw::kInputFrameSize> bytes(data + at, bw::kInputFrameSize);
        const bw::InputFrame frame = bw::InputFrame_Decode(bytes);
        if (frame.text.size() > static_cast<size_t>(bw::kKeyboardStringMax)) __builtin_trap();
        for (uint8_t flag : frame.keyDown) {
            if (flag > 1) __builtin_trap();
        }
        std::array<uint8_t, bw::kInputFrameSize> again{};
        bw::InputFrame_Encode(frame, again);
        if (!(bw::InputFrame_Decode(again) == frame)) __builtin_trap();
    }
    return 0;
}
