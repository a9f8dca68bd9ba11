// Game controllers read in the form the runner's gamepad code expects of a
// pad: a 16-bit button word in the bit order of the classic pad interface,
// 8-bit triggers and signed 16-bit sticks with up positive, and two
// rumble motors with 16-bit speeds.
#pragma once

#include <cstdint>

namespace bw {

// Bits of the button word.
inline constexpr uint16_t kPadDpadUp = 0x0001, kPadDpadDown = 0x0002, kPadDpadLeft = 0x0004,
                          kPadDpadRight = 0x0008, kPadStart = 0x0010, kPadBack = 0x0020, kPadLeftThumb = 0x0040,
                          kPadRightThumb = 0x0080, kPadLeftShoulder = 0x0100, kPadRightShoulder = 0x0200,
                          kPadA = 0x1000, kPadB = 0x2000, kPadX = 0x4000, kPadY = 0x8000;

struct HostPadState {
    uint16_t buttons = 0;
    uint8_t leftTrigger = 0;  // 0..255
    uint8_t rightTrigger = 0;
    int16_t thumbLX = 0;
    int16_t thumbLY = 0;  // up positive
    int16_t thumbRX = 0;
    int16_t thumbRY = 0;
};

// Kinds of pad, numbered as the runner's descriptions are.
enum class HostPadKind : int32_t {
    Unknown = 0,
    Gamepad = 1,
    Wheel = 2,
    ArcadeStick = 3,
    FlightStick = 4,
    DancePad = 5,
    Guitar = 6,
    DrumKit = 8,
};

// pad: the controller's place among the attached game controllers (0..3).
// False when there is no such controller.
bool HostGamepad_Read(int32_t pad, HostPadState& state);
HostPadKind HostGamepad_Kind(int32_t pad);
// Motor speeds 0..65535 (left the low-frequency motor); they hold until the
// next call, which comes every step while the pad is connected.
void HostGamepad_SetVibration(int32_t pad, uint16_t left, uint16_t right);
// Closes the controllers opened here (HostControllers_Stop).
void HostGamepad_CloseAll();

}  // namespace bw
