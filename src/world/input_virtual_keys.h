// On-screen virtual keys: screen areas (in GUI units) that stand for a key
// or a mouse button. The table is filled from "options.ini" and by the
// platform built-ins; it is emptied at room end.
#pragma once

#include <cstdint>

namespace bw {

class IniFile;

inline constexpr int32_t kVirtualKeyCount = 128;
inline constexpr uint16_t kVirtualKeyActive = 1, kVirtualKeyShown = 2;

struct VirtualKey {
    uint16_t flags = 0;  // 0: a free slot
    uint16_t id = 0;     // its index in the table
    int32_t x = 0;
    int32_t y = 0;
    int32_t right = 0;  // x + w
    int32_t bottom = 0;  // y + h
    int32_t w = 0;
    int32_t h = 0;
    int32_t u = 0;
    int32_t v = 0;
    int32_t key = 0;          // 0: none
    int32_t mouseButton = 0;  // 0: none
};

// The first free entry, null when all are taken.
VirtualKey* IO_VirtualKey_FreeSlot();
// The entry at index, null outside the table.
VirtualKey* IO_VirtualKey_Get(int32_t index);
void IO_VirtualKey_Delete(int32_t index);
void IO_VirtualKey_ClearAll();

// Section "IO_VIRTUAL_BUTTONS" (NUM_BUTTONS, TEXTURE), then one section
// "IO_BUTTON_<i>" per button (X, Y, W, H, U, V, KEY, BUTTON).
void IO_ReadVirtualButtons(IniFile& ini);
// The texture named by the definition, "" when none.
const char* IO_VirtualButtons_Texture();

// A key name of a definition: "VK_..." the constant's value, "MB_..." 0 (a
// mouse button, not a key), otherwise the character's key code.
int32_t IO_KeyFromName(const char* name);
// "MB_..." the constant's value, anything else 0.
int32_t IO_MouseButtonFromName(const char* name);

}  // namespace bw
