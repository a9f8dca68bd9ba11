// The back ends of the window built-ins (size, position, full screen,
// caption, colour, cursor), the table through which room drawing tells the
// window how each view maps the room onto the screen, and the mapping of
// window mouse positions back into the room.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// Full-screen and size changes take effect at the next frame tick: they
// raise the frame tick's display reset request, which a device reset serves.
void Window_SetFullscreen(bool on);
bool Window_GetFullscreen();
void Window_SetSize(int32_t w, int32_t h);
void Window_SetRectangle(int32_t x, int32_t y, int32_t w, int32_t h);
void Window_SetPosition(int32_t x, int32_t y);
void Window_Center();
int32_t Window_GetX();
int32_t Window_GetY();
int32_t Window_GetWidth();
int32_t Window_GetHeight();
bool Window_SizeChanged();
void Window_ClearSizeChanged();

// The caption changes only when the room's caption mode is 2 or 3, or when forced.
void Window_SetCaptionMode(int32_t mode);
void Window_SetCaption(const char* utf8, bool force);
const std::string& Window_GetCaption();
// colour: 0x00BBGGRR.
void Window_SetColour(uint32_t colour);
uint32_t Window_GetColour();
void Window_SetCursor(int32_t cursor);
int32_t Window_GetCursor();

inline constexpr int32_t kViewMappingCount = 32;
void Window_SetViewMapping(int32_t index, float xport, float yport, float wport, float hport, float xview, float yview,
                           float wview, float hview, float angle, float extra);
void Window_ClearViewMapping(int32_t index);
void Window_ResetViewMappings();
int32_t Window_ViewMappingsInUse();
// The window-to-buffer scale the display code keeps per axis (1 unless set).
void Window_SetBufferScale(float x, float y);

// Window position to room position through one view mapping; false (and
// nothing written) when that mapping is free or has an empty port.
bool Window_ViewMouse(int32_t index, int32_t windowX, int32_t windowY, int32_t& x, int32_t& y);
void Window_MouseToRoom(int32_t windowX, int32_t windowY, int32_t& x, int32_t& y);
bool Window_RoomToScreen(int32_t index, float x, float y, float& screenX, float& screenY);
int32_t Window_MouseGetX();
int32_t Window_MouseGetY();
void Window_MouseSet(int32_t x, int32_t y);
int32_t Window_ViewMouseGetX(int32_t index);
int32_t Window_ViewMouseGetY(int32_t index);

}  // namespace bw
