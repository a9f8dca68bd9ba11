// The keyboard, mouse and joystick built-ins of the "Interaction.." group:
// queries over the step's input state, key remapping, clearing and waiting,
// keys sent by game code, the system's view of the keyboard and the two
// plain joysticks. The group's dialog and window built-ins register with
// their own modules.
#pragma once

namespace bw {

void Function_Input_Register();

}  // namespace bw
