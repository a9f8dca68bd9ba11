// The keyboard as the system sees it (outside the window's event stream),
// and the plain joysticks. Keys are Windows virtual-key codes, as the
// window's events give them; joystick axes come as unsigned positions
// 0..65534 with the centre at 32767 and the hat as a point-of-view angle in
// hundredths of a degree, the form the runner's joystick code was written for.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace bw {

// Held now by the keyboard of the focused window (SDL's keyboard state).
// Shift, Control and Alt also answer for their generic codes.
bool HostKeyboard_IsKeyDown(int32_t virtualKey);
// The lock state as SDL tracks it. Setting it changes only SDL's view (and so
// what the keys' translation sees): the system's own lock light stays as it is.
bool HostKeyboard_NumLock();
void HostKeyboard_SetNumLock(bool on);

// Point of view when the hat is centred (beyond any angle).
inline constexpr uint32_t kJoystickPovCentred = 65535;
inline constexpr int32_t kJoystickAxisCount = 6;  // x, y, z, r, u, v

struct HostJoystickState {
    std::array<uint32_t, kJoystickAxisCount> axes{};  // 0..65534, 32767 centred (and for a missing axis)
    uint32_t buttons = 0;                             // bit n: button n + 1
    uint32_t pov = kJoystickPovCentred;               // hundredths of a degree clockwise from up
};

struct HostJoystickInfo {
    std::string name;
    int32_t axes = 0;
    int32_t buttons = 0;
    bool hasHat = false;
};

// Starts the joystick and game controller support once; false when SDL
// cannot. Devices are read in the background, without the window's focus.
bool HostControllers_Start();
// Closes every device opened through this layer.
void HostControllers_Stop();
// Reads the devices' newest state (needed when no event pump runs).
void HostControllers_Update();

// index: the joystick's place among the attached joysticks (0 the first).
bool HostJoystick_Read(int32_t index, HostJoystickState& state);
bool HostJoystick_Info(int32_t index, HostJoystickInfo& info);

}  // namespace bw
