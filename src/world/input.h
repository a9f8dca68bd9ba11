// Keyboard and mouse input, double-buffered. The window's handlers write a
// raw copy of the state; once per step, before any event pass, IO_Update
// turns it into the current state that game code and the passes read, so
// that a step sees one constant view and "pressed" and "released" hold for
// exactly one step. The same update writes or reads one frame of the record
// file under "-record" or "-playback". A key map lets game code redirect
// keys. Gamepads: world/gamepad.h; virtual keys: world/input_virtual_keys.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "world/input_record.h"

namespace bw {

// ---- the window's handlers (keys are virtual-key codes) ----
void IO_OnKeyDown(int32_t key, bool repeat);
void IO_OnKeyUp(int32_t key);
void IO_OnChar(char16_t unit);
void IO_OnMouseDown(int32_t button);
void IO_OnMouseUp(int32_t button);
void IO_OnMouseMove(int32_t x, int32_t y);
// Always handled.
bool IO_OnMouseWheel(bool up);
// Routes the host window's key, character and mouse events to the handlers
// above (the window's other handlers stay as they are).
void IO_InstallWindowHandlers();

// ---- lifetime ----
struct InputRecordRequest {
    bool record = false;
    bool playback = false;  // wins when both are asked for
    std::string file;
};
// Start-up: clears the state, the identity key map, and opens the record or
// playback file (one that cannot be opened is logged and the
// game runs without it).
void IO_Init(const InputRecordRequest& request);
void IO_Update();
// Room start and after modal waits: the keyboard and device 0's mouse state.
void IO_Clear();
void IO_Shutdown();
bool IO_IsPlayingBack();
bool IO_IsRecording();

// ---- what game code and the passes read (keys 0..255, buttons 1..3,
// devices 0..4; anything outside reads 0 and is ignored by setters) ----
bool IO_KeyDown(int32_t key);
bool IO_KeyPressed(int32_t key);
bool IO_KeyReleased(int32_t key);
void IO_KeyClear(int32_t key);
int32_t IO_GetKey();
void IO_SetKey(int32_t key);
int32_t IO_GetLastKey();
// Also clears the raw key and last key.
void IO_SetLastKey(int32_t key);
// The last key the handlers saw since the last update: keyboard_wait watches
// it while no step runs.
int32_t IO_PendingLastKey();
char16_t IO_GetLastChar();
void IO_SetLastChar(char16_t unit);
const std::u16string& IO_GetKeyboardString();
// UTF-8 text, at most kKeyboardStringMax units kept; written into the
// current and the raw state so the next update keeps it.
void IO_SetKeyboardString(std::string_view utf8);

int32_t IO_MouseButton(int32_t device);
void IO_SetMouseButton(int32_t button, int32_t device);
int32_t IO_GetMouseLastButton(int32_t device);
void IO_SetMouseLastButton(int32_t button, int32_t device);
// mouse_wait's view: device 0's last button as the handlers saw it, and its
// reset (current and raw) before the wait.
int32_t IO_PendingMouseLastButton();
void IO_ForgetMouseLastButton();
bool IO_MouseButtonDown(int32_t button, int32_t device);
bool IO_MouseButtonPressed(int32_t button, int32_t device);
bool IO_MouseButtonReleased(int32_t button, int32_t device);
bool IO_WheelUp(int32_t device);
bool IO_WheelDown(int32_t device);
void IO_MouseClear(int32_t button, int32_t device);
// Window client position of a device (device 0: the last mouse message).
int32_t IO_MouseWindowX(int32_t device);
int32_t IO_MouseWindowY(int32_t device);
// The same in room coordinates, through the view mappings of the window.
int32_t IO_MouseX(int32_t device);
int32_t IO_MouseY(int32_t device);

int32_t IO_KeyMap(int32_t key);  // codes outside 0..255 stay as they are
void IO_SetKeyMap(int32_t key, int32_t target);
void IO_ResetKeyMap();

// ---- keys sent by game code and the system's view of the keyboard ----
// Queued like the system's own key messages: the next update takes them in.
void IO_InjectKey(int32_t key, bool down);
// Held now, whatever the step's state says (the focused window's keyboard,
// and keys injected by game code).
bool IO_KeyHeldNow(int32_t key);

// The current state as one frame (what "-record" writes).
const InputFrame& IO_CurrentFrame();

// The room mapping of window positions lives with the window, above this
// layer; unset, window and room coordinates are the same.
struct InputHooks {
    void (*windowToRoom)(int32_t windowX, int32_t windowY, int32_t& x, int32_t& y) = nullptr;
};
InputHooks& Input_Hooks();

}  // namespace bw
