// Translation of SDL's input and window events into the window handlers:
// keys become Windows virtual-key codes (Shift, Control and Alt each reported
// twice: the generic code, then the left or right one), text becomes UTF-16
// units (none while the left Alt is held: that is a shortcut; Backspace,
// Tab, Enter and Escape also arrive as characters, and Ctrl+A to Ctrl+Z as
// 1 to 26), mouse
// buttons and positions are in client pixels. Pure: it reads only the event
// and the state it keeps itself, so tests can feed it made-up events.
#pragma once

#include <SDL_events.h>

#include <cstdint>
#include <string>

#include "host/window.h"

namespace bw {

// Windows virtual-key codes with a name in this code.
inline constexpr int32_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
                         kVkMenu = 0x12, kVkEscape = 0x1B, kVkLShift = 0xA0, kVkRShift = 0xA1, kVkLControl = 0xA2,
                         kVkRControl = 0xA3, kVkLMenu = 0xA4, kVkRMenu = 0xA5;

// 0 for a key with no virtual-key code.
int32_t Keys_VirtualKey(const SDL_Keysym& keysym);
uint32_t Keys_Modifiers(uint16_t sdlModifiers);

struct WindowEventState {
    uint16_t modifiers = 0;    // SDL modifier bits of the last key event (text has none of its own)
    uint32_t buttons = 0;      // wheel bits of the mouse buttons held
    int32_t mouseX = 0;
    int32_t mouseY = 0;
};

void Window_TranslateEvent(const SDL_Event& event, const WindowHandlers& handlers, WindowEventState& state);

// UTF-8 text to UTF-16 units; malformed bytes become U+FFFD.
std::u16string Keys_Utf8ToUtf16(const char* text);

}  // namespace bw
