// The keyboard, mouse and joystick built-ins of the "Interaction.." group:
// queries over the step's input state, key remapping, clearing and waiting,
// keys sent by game code, the system's view of the keyboard and the two
// plain joysticks. The group's dialog and window built-ins register with
// their own modules.
#pragma once

#include <cstdint>

namespace bw {

void Function_Input_Register();

// A mouse-button test of one device (flag: held, pressed or released this
// step). Button -1 asks "any of the three", 0 "none of them", 1..3 that
// button.
bool Input_CheckMouseButton(int32_t button, int32_t device, bool (*flag)(int32_t, int32_t));

}  // namespace bw
