// The keyboard, joystick and mouse passes of the game step: events raised
// from the step's input state on the instances of the objects that have them.
#pragma once

namespace bw {

// Key down (5, key), press (9, key) and release (10, key) for keys 8..255,
// then each kind once more for "any key" (1) or "no key" (0).
void Run_HandleKeyboard();
// The two joysticks' directions and first eight buttons (mouse events 16..43).
void Run_HandleJoystick();
// Buttons over instances and globally, enter and leave, the wheel.
void Run_HandleMouse();

}  // namespace bw
