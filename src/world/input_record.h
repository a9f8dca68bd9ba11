// The per-step input state that game code and the event passes read, and its
// form in the "-record" / "-playback" file: one frame of 2939 bytes per
// step, no header, little-endian. A played-back file comes from outside:
// every frame is decoded into well-formed state (flags 0 or 1, the text
// ended within its 1025 units), never trusted as it is.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace bw {

inline constexpr int32_t kInputKeyCount = 256;
inline constexpr int32_t kMouseDeviceCount = 5;
inline constexpr int32_t kMouseButtonCount = 3;  // 1 left, 2 right, 3 middle
inline constexpr int32_t kMouseFlagCount = kMouseDeviceCount * kMouseButtonCount;
// keyboard_string holds at most this many UTF-16 units (plus its end mark in
// the file).
inline constexpr int32_t kKeyboardStringMax = 1024;
inline constexpr size_t kInputFrameSize = 2939;

using KeyFlags = std::array<uint8_t, kInputKeyCount>;
using MouseFlags = std::array<uint8_t, kMouseFlagCount>;
using MouseDeviceValues = std::array<int32_t, kMouseDeviceCount>;
using MouseDeviceFlags = std::array<uint8_t, kMouseDeviceCount>;

struct InputFrame {
    char16_t lastChar = 0;
    std::u16string text;  // keyboard_string, at most kKeyboardStringMax units
    int32_t lastKey = 0;
    int32_t key = 0;
    KeyFlags keyDown{};
    KeyFlags keyReleased{};
    KeyFlags keyPressed{};
    MouseDeviceValues mouseLastButton{};
    MouseDeviceValues mouseButton{};
    MouseFlags mouseDown{};  // index (button - 1) + 3 x device
    MouseFlags mouseReleased{};
    MouseFlags mousePressed{};
    MouseDeviceFlags wheelUp{};
    MouseDeviceFlags wheelDown{};
    int32_t cursorX = 0;  // the pointer on the desktop
    int32_t cursorY = 0;
    int32_t mouseX = 0;  // window client pixels, device 0
    int32_t mouseY = 0;

    bool operator==(const InputFrame&) const = default;
};

inline int32_t Input_MouseFlagIndex(int32_t button, int32_t device)
{
    return (button - 1) + kMouseButtonCount * device;
}

void InputFrame_Encode(const InputFrame& frame, std::span<uint8_t, kInputFrameSize> bytes);
InputFrame InputFrame_Decode(std::span<const uint8_t, kInputFrameSize> bytes);

}  // namespace bw
