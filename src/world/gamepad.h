// Up to four game controllers, polled once per step by the input update and
// held in device records that the gamepad built-ins read: buttons as values
// 0..1 (triggers included) with a per-pad threshold, sticks as values -1..1
// with a per-pad dead zone, and the two rumble motors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

inline constexpr int32_t kGamepadCount = 4;
inline constexpr int32_t kGamepadButtonCount = 16;
inline constexpr int32_t kGamepadAxisCount = 4;

// Bits of a button or axis code given by game code (below 32768).
inline constexpr int32_t kGamepadCodeOther = 0x1000;      // button: an axis read as a button; axis: a button
inline constexpr int32_t kGamepadCodeNegative = 0x2000;   // axis read as a button: its negative half
inline constexpr int32_t kGamepadCodeAxisMarks = 0x7000;  // removed to find the axis
inline constexpr int32_t kGamepadCodeNegate = 0x8000;     // axis: negated

class CGamepad {
public:
    CGamepad();

    int32_t ButtonCount() const;  // 0 when not connected
    int32_t AxisCount() const;
    bool ButtonCheck(int32_t code) const;
    bool ButtonPressed(int32_t code) const;
    bool ButtonReleased(int32_t code) const;
    float ButtonValue(int32_t code) const;
    float AxisValue(int32_t code) const;
    // Each clamped to 0..1; sent to the pad at the next poll.
    void SetVibration(float left, float right);

    // A poll's values: the current ones become the previous.
    void SetValues(const std::vector<float>& buttons, const std::vector<float>& axes);
    // Not connected: every value 0, the description emptied.
    void Disconnect();

    bool connected = false;
    float buttonThreshold = 0.5f;
    float axisDeadzone = 0.0f;
    float vibrationLeft = 0.0f;
    float vibrationRight = 0.0f;
    std::string description;

private:
    // The value now and at the previous poll of the code read as a button;
    // false for a code that names nothing.
    bool ButtonPair(int32_t code, float& now, float& before) const;

    std::vector<float> m_buttons;
    std::vector<float> m_previousButtons;
    std::vector<float> m_axes;
    std::vector<float> m_previousAxes;
};

// gp_* constants (32769 on) to button slots and axis codes; smaller codes
// stay as they are.
int32_t IO_GamepadMapButton(int32_t code);
int32_t IO_GamepadMapAxis(int32_t code);

// Start-up: the controller support, four records, one poll. Only the first
// call does anything until IO_Gamepad_Free.
void IO_Gamepad_Init();
void IO_Gamepad_Free();
bool IO_Gamepad_Supported();
// Once per run, when there is no controller support.
void IO_Gamepad_Warn();
int32_t IO_GamepadCount();
// The record of a device, null outside 0 .. count - 1.
CGamepad* IO_GamepadDevices(int32_t device);
// Each step (from IO_Update).
void IO_Gamepads_Update();

}  // namespace bw
