// The "Gamepad.." group: the sixteen gamepad_ built-ins over the device
// records that the input update polls each step (world/gamepad.h).
#pragma once

namespace bw {

void Function_Gamepad_Register();

}  // namespace bw
