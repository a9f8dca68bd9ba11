// Display, window, screen, colour, render-state, shape, primitive and texture
// built-ins of the "Graphic.." group, and the group's registration.
#include "graphics/graphic_builtins.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "graphics/display.h"
#include "graphics/draw_2d.h"
#include "graphics/game_window.h"
#include "graphics/graphic_builtins_args.h"
#include "graphics/png_image.h"
#include "graphics/render_state.h"
#include "graphics/screen.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "platform/colour.h"
#include "platform/options.h"
#include "script/error_report.h"
#include "world/game_state.h"
#include "world/input.h"
#include "world/run_loop.h"

namespace bw {

namespace {

void SetReal(Value* result, double value)
{
    result->real = value;
}

// ---- Display -----------------------------------------------------------------

BW_BUILTIN(DisplayGetWidth)
{
    SetReal(result, GR_Display_GetWidth());
}
BW_BUILTIN(DisplayGetHeight)
{
    SetReal(result, GR_Display_GetHeight());
}
BW_BUILTIN(DisplayGetColorDepth)
{
    SetReal(result, GR_Display_GetColorDepth());
}
BW_BUILTIN(DisplayGetFrequency)
{
    SetReal(result, GR_Display_GetFrequency());
}
// Desktop displays have one orientation.
BW_BUILTIN(DisplayGetOrientation) {}

// A display change invalidates the device's surfaces and targets, so the
// graphics are reset at once rather than at the next frame.
void AfterDisplayChange(Value* result, bool changed)
{
    Result_SetBool(result, changed);
    Graphics::Reset();
}
BW_BUILTIN(DisplaySetSize)
{
    AfterDisplayChange(result, GR_Display_SetSize(Arg_Int(args[0]), Arg_Int(args[1])));
}
BW_BUILTIN(DisplaySetColorDepth)
{
    AfterDisplayChange(result, GR_Display_SetColorDepth(Arg_Int(args[0])));
}
BW_BUILTIN(DisplaySetFrequency)
{
    AfterDisplayChange(result, GR_Display_SetFrequency(Arg_Int(args[0])));
}
BW_BUILTIN(DisplaySetAll)
{
    AfterDisplayChange(result, GR_Display_SetAll(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]),
                                                 Arg_Int(args[3])));
}
BW_BUILTIN(DisplayTestAll)
{
    Result_SetBool(result, GR_Display_TestAll(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3])));
}
// Antialiasing and vsync need a device reset, which the frame tick serves.
BW_BUILTIN(DisplayReset)
{
    GR_D3D_SetAntiAlias(Arg_TruncInt(args[0]) & 255);
    GR_D3D_SetVSync(Arg_TruncInt(args[1]) >= 1);
    Run_RequestDisplayReset();
}
BW_BUILTIN(DisplayMouseGetX)
{
    SetReal(result, GR_Display_MouseGetX());
}
BW_BUILTIN(DisplayMouseGetY)
{
    SetReal(result, GR_Display_MouseGetY());
}
BW_BUILTIN(DisplayMouseSet)
{
    GR_Display_MouseSet(Arg_Int(args[0]), Arg_Int(args[1]));
}

BW_BUILTIN(DrawEnableDrawEvent)
{
    if (argc != 1) {
        Code_Error_Runtime("Illegal argument count", false);
        return;
    }
    if (!Arg_IsReal(args[0])) {
        Code_Error_Runtime("Illegal argument type", false);
        return;
    }
    Run_SetDrawEvents(args[0].real >= 0.5);
}

// ---- Window ------------------------------------------------------------------

// Window decorations and visibility belong to the host's window manager; the
// built-ins that would change them are accepted and do nothing.
BW_BUILTIN(WindowIgnored) {}
BW_BUILTIN(WindowGetFalse) {}
// No built-in hides the window, so it is always visible to game code.
BW_BUILTIN(WindowGetVisible)
{
    Result_SetBool(result, true);
}
BW_BUILTIN(WindowSetFullscreen)
{
    Window_SetFullscreen(Arg_Flag(args[0]));
}
BW_BUILTIN(WindowGetFullscreen)
{
    Result_SetBool(result, Window_GetFullscreen());
}
BW_BUILTIN(WindowSetCaption)
{
    Window_SetCaption(Arg_IsString(args[0]) ? Value_String(args[0]) : nullptr, false);
}
BW_BUILTIN(WindowGetCaption)
{
    Result_SetString(result, Window_GetCaption().c_str());
}
BW_BUILTIN(WindowSetCursor)
{
    // The game's choice outlives a restart: the start of a game shows the
    // cursor from this flag.
    const int cursor = Arg_Int(args[0]);
    Window_SetCursor(cursor);
    Options().showCursor = cursor != -1;
}
BW_BUILTIN(WindowGetCursor)
{
    SetReal(result, Window_GetCursor());
}
BW_BUILTIN(WindowSetColor)
{
    Window_SetColour(Arg_Colour(args[0]));
}
BW_BUILTIN(WindowGetColor)
{
    SetReal(result, Window_GetColour());
}
BW_BUILTIN(WindowSetPosition)
{
    Window_SetPosition(Arg_Int(args[0]), Arg_Int(args[1]));
}
BW_BUILTIN(WindowSetSize)
{
    Window_SetSize(Arg_Int(args[0]), Arg_Int(args[1]));
}
BW_BUILTIN(WindowSetRectangle)
{
    Window_SetRectangle(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]));
}
BW_BUILTIN(WindowCenter)
{
    Window_Center();
}
BW_BUILTIN(WindowGetX)
{
    SetReal(result, Window_GetX());
}
BW_BUILTIN(WindowGetY)
{
    SetReal(result, Window_GetY());
}
BW_BUILTIN(WindowGetWidth)
{
    SetReal(result, Window_GetWidth());
}
BW_BUILTIN(WindowGetHeight)
{
    SetReal(result, Window_GetHeight());
}
BW_BUILTIN(WindowMouseGetX)
{
    SetReal(result, Window_MouseGetX());
}
BW_BUILTIN(WindowMouseGetY)
{
    SetReal(result, Window_MouseGetY());
}
BW_BUILTIN(WindowMouseSet)
{
    Window_MouseSet(Arg_Int(args[0]), Arg_Int(args[1]));
}
BW_BUILTIN(WindowViewMouseGetX)
{
    SetReal(result, Window_ViewMouseGetX(Arg_Int(args[0])));
}
BW_BUILTIN(WindowViewMouseGetY)
{
    SetReal(result, Window_ViewMouseGetY(Arg_Int(args[0])));
}
// Device 0's mouse in the room, through the views.
BW_BUILTIN(WindowViewsMouseGetX)
{
    SetReal(result, IO_MouseX(0));
}
BW_BUILTIN(WindowViewsMouseGetY)
{
    SetReal(result, IO_MouseY(0));
}

// ---- Screen ------------------------------------------------------------------

const char* SaveFileName(const Value& value)
{
    const char* name = Arg_IsString(value) ? Value_String(value) : nullptr;
    if (name == nullptr || name[0] == '\0') {
        Code_Error_Runtime("Trying to save screen to empty image file name.", false);
        return nullptr;
    }
    return name;
}

void SaveScreenRect(const char* name, int32_t x, int32_t y, int32_t w, int32_t h)
{
    std::vector<uint32_t> pixels =
        GR_D3D_ReadScreenRect(GR_GetScreenWidth(), GR_GetScreenHeight(), x, y, w, h);
    if (pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) {
        return;
    }
    uint8_t* bytes = reinterpret_cast<uint8_t*>(pixels.data());
    Bitmap_SwapRedBlue(bytes, w, h);
    write_png_file(name, bytes, w, h);
}

BW_BUILTIN(ScreenSave)
{
    if (const char* name = SaveFileName(args[0])) {
        SaveScreenRect(name, 0, 0, GR_GetScreenWidth(), GR_GetScreenHeight());
    }
}

// Cuts (x, y, w, h) to 0..limit on one axis; the sums are widened so that
// game-sized numbers cannot overflow.
void ClipSpan(int32_t limit, int32_t& start, int32_t& length)
{
    int64_t s = start, n = length;
    if (s < 0) {
        n += s;
        s = 0;
    }
    if (s + n > limit) {
        n = limit - s;
    }
    start = static_cast<int32_t>(s);
    length = static_cast<int32_t>(n < 0 ? 0 : n);
}

BW_BUILTIN(ScreenSavePart)
{
    const char* name = SaveFileName(args[0]);
    if (name == nullptr) {
        return;
    }
    int32_t x = Arg_Int(args[1]), y = Arg_Int(args[2]);
    int32_t w = Arg_Int(args[3]), h = Arg_Int(args[4]);
    ClipSpan(GR_GetScreenWidth(), x, w);
    ClipSpan(GR_GetScreenHeight(), y, h);
    if (w >= 1 && h >= 1) {
        SaveScreenRect(name, x, y, w, h);
    }
}

// Without a view mapping the room lies on the screen pixel for pixel.
BW_BUILTIN(DrawGetPixel)
{
    float x = Arg_Float(args[0]), y = Arg_Float(args[1]);
    float screenX = x, screenY = y;
    if (!Window_RoomToScreen(Display_State().viewCurrent, x, y, screenX, screenY)) {
        screenX = x;
        screenY = y;
    }
    SetReal(result, GR_GetPixel(Real_TruncToInt32(screenX), Real_TruncToInt32(screenY)));
}

// ---- Colour ------------------------------------------------------------------

BW_BUILTIN(DrawSetColor)
{
    GR_SetColour(Arg_Colour(args[0]));
}
BW_BUILTIN(DrawSetAlpha)
{
    GR_SetAlpha(Arg_Float(args[0]));
}
BW_BUILTIN(DrawGetColor)
{
    SetReal(result, GR_GetColour() & 0xFFFFFFu);
}
BW_BUILTIN(DrawGetAlpha)
{
    SetReal(result, GR_GetAlpha());
}
// Parts are not limited: red 300 spills into green, as games expect. The sum
// is formed in 64 bits so no part can overflow it.
BW_BUILTIN(MakeColorRGB)
{
    const int64_t r = Arg_TruncInt(args[0]), g = Arg_TruncInt(args[1]), b = Arg_TruncInt(args[2]);
    SetReal(result, static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(b * 65536 + g * 256 + r))));
}
BW_BUILTIN(MakeColorHSV)
{
    SetReal(result, Colour_MakeHSV(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2])));
}
// Integer division and remainder follow the sign of the colour.
int32_t ColourByte(const Value& value, int32_t divisor)
{
    const int64_t colour = Arg_Int(value);
    return static_cast<int32_t>((colour / divisor) % 256);
}
BW_BUILTIN(ColorGetRed)
{
    SetReal(result, ColourByte(args[0], 1));
}
BW_BUILTIN(ColorGetGreen)
{
    SetReal(result, ColourByte(args[0], 256));
}
BW_BUILTIN(ColorGetBlue)
{
    SetReal(result, ColourByte(args[0], 65536));
}
uint8_t HSVByte(const Value& value, int32_t index)
{
    uint8_t hsv[3];
    Colour_GetHSV(hsv, Arg_Colour(value));
    return hsv[index];
}
BW_BUILTIN(ColorGetHue)
{
    SetReal(result, HSVByte(args[0], 0));
}
BW_BUILTIN(ColorGetSaturation)
{
    SetReal(result, HSVByte(args[0], 1));
}
BW_BUILTIN(ColorGetValue)
{
    SetReal(result, HSVByte(args[0], 2));
}
BW_BUILTIN(MergeColor)
{
    SetReal(result, Colour_Merge(Arg_Colour(args[0]), Arg_Colour(args[1]), Arg_Float(args[2])));
}

// ---- Render state ------------------------------------------------------------

BW_BUILTIN(DrawSetBlendMode)
{
    GR_SetBlendMode(Arg_Int(args[0]));
}
BW_BUILTIN(DrawSetBlendModeExt)
{
    GR_SetBlendModeExt(Arg_Colour(args[0]), Arg_Colour(args[1]));
}
// These two take a flag only above one half.
bool StrictFlag(const Value& value)
{
    return Arg_Real(value) > 0.5;
}
BW_BUILTIN(DrawSetColorWriteEnable)
{
    GR_SetColourWriteEnable(StrictFlag(args[0]), StrictFlag(args[1]), StrictFlag(args[2]), StrictFlag(args[3]));
}
BW_BUILTIN(DrawSetAlphaTest)
{
    GR_SetAlphaTest(StrictFlag(args[0]));
}
BW_BUILTIN(DrawSetAlphaTestRefValue)
{
    GR_SetAlphaTestRefValue(Arg_Colour(args[0]));
}
BW_BUILTIN(DrawGetAlphaTest)
{
    Result_SetBool(result, GR_GetAlphaTest());
}
BW_BUILTIN(DrawGetAlphaTestRefValue)
{
    SetReal(result, GR_GetAlphaTestRefValue());
}

// ---- Shapes ------------------------------------------------------------------

BW_BUILTIN(DrawClear)
{
    GR_Clear(Arg_Colour(args[0]) | 0xFF000000u);
}
BW_BUILTIN(DrawClearAlpha)
{
    GR_ClearAlpha(Arg_Colour(args[0]), Arg_Float(args[1]));
}
BW_BUILTIN(DrawPoint)
{
    GR_DrawPoint(Arg_Float(args[0]), Arg_Float(args[1]));
}
BW_BUILTIN(DrawPointColor)
{
    GR_DrawPointColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Colour(args[2]));
}
BW_BUILTIN(DrawLine)
{
    GR_DrawLine(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]));
}
BW_BUILTIN(DrawLineColor)
{
    GR_DrawLineColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                      Arg_Colour(args[4]), Arg_Colour(args[5]));
}
BW_BUILTIN(DrawLineWidth)
{
    GR_DrawLineWidth(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                     Arg_Float(args[4]));
}
BW_BUILTIN(DrawLineWidthColor)
{
    GR_DrawLineWidthColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                           Arg_Float(args[4]), Arg_Colour(args[5]), Arg_Colour(args[6]));
}
BW_BUILTIN(DrawRectangle)
{
    GR_DrawRectangle(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                     Arg_Outline(args[4]));
}
BW_BUILTIN(DrawRectangleColor)
{
    GR_DrawRectangleColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                           Arg_Colour(args[4]), Arg_Colour(args[5]), Arg_Colour(args[6]), Arg_Colour(args[7]),
                           Arg_Outline(args[8]));
}
constexpr float kRoundRectCorner = 10.0f;
BW_BUILTIN(DrawRoundRect)
{
    GR_DrawRoundRect(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                     kRoundRectCorner, kRoundRectCorner, Arg_Outline(args[4]));
}
BW_BUILTIN(DrawRoundRectColor)
{
    GR_DrawRoundRectColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                           kRoundRectCorner, kRoundRectCorner, Arg_Colour(args[4]), Arg_Colour(args[5]),
                           Arg_Outline(args[6]));
}
BW_BUILTIN(DrawTriangle)
{
    GR_DrawTriangle(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                    Arg_Float(args[4]), Arg_Float(args[5]), Arg_Outline(args[6]));
}
BW_BUILTIN(DrawTriangleColor)
{
    GR_DrawTriangleColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                          Arg_Float(args[4]), Arg_Float(args[5]), Arg_Colour(args[6]), Arg_Colour(args[7]),
                          Arg_Colour(args[8]), Arg_Outline(args[9]));
}
BW_BUILTIN(DrawCircle)
{
    GR_DrawCircle(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Outline(args[3]));
}
BW_BUILTIN(DrawCircleColor)
{
    GR_DrawCircleColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Colour(args[3]),
                        Arg_Colour(args[4]), Arg_Outline(args[5]));
}
BW_BUILTIN(DrawEllipse)
{
    GR_DrawEllipse(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Outline(args[4]));
}
BW_BUILTIN(DrawEllipseColor)
{
    GR_DrawEllipseColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                         Arg_Colour(args[4]), Arg_Colour(args[5]), Arg_Outline(args[6]));
}
BW_BUILTIN(DrawArrow)
{
    GR_DrawArrow(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]));
}
BW_BUILTIN(DrawButton)
{
    GR_DrawButton(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Int(args[4]));
}
BW_BUILTIN(DrawHealthbar)
{
    const uint32_t minColour = Arg_Colour(args[6]), maxColour = Arg_Colour(args[7]);
    GR_DrawHealthbar(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                     Arg_Float(args[4]), Arg_Colour(args[5]), minColour, Colour_Merge(minColour, maxColour, 0.5f),
                     maxColour, Arg_Int(args[8]), Arg_Flag(args[9]), Arg_Flag(args[10]));
}
BW_BUILTIN(DrawSetCirclePrecision)
{
    GR_SetCirclePrecision(Arg_Int(args[0]));
}

// ---- Primitives --------------------------------------------------------------

BW_BUILTIN(DrawPrimitiveBegin)
{
    GR_PrimitiveBegin(Arg_Int(args[0]), -1);
}
BW_BUILTIN(DrawPrimitiveBeginTexture)
{
    GR_PrimitiveBegin(Arg_Int(args[0]), Arg_Int(args[1]));
}
BW_BUILTIN(DrawPrimitiveEnd)
{
    GR_PrimitiveEnd();
}
BW_BUILTIN(DrawVertex)
{
    GR_PrimitiveVertex(Arg_Float(args[0]), Arg_Float(args[1]));
}
BW_BUILTIN(DrawVertexColor)
{
    GR_PrimitiveVertexColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Colour(args[2]), Arg_Float(args[3]));
}
BW_BUILTIN(DrawVertexTexture)
{
    GR_PrimitiveVertexTexture(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]));
}
BW_BUILTIN(DrawVertexTextureColor)
{
    GR_PrimitiveVertexTextureColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                                    Arg_Colour(args[4]), Arg_Float(args[5]));
}

// ---- Textures ----------------------------------------------------------------

BW_BUILTIN(TextureExists)
{
    Result_SetBool(result, Texture_Exists(Arg_Int(args[0])));
}
BW_BUILTIN(TextureSetInterpolation)
{
    GR_SetInterpolation(Arg_Flag(args[0]));
}
BW_BUILTIN(TextureSetBlending)
{
    Texture_SetBlending(Arg_Flag(args[0]));
}
BW_BUILTIN(TextureSetRepeat)
{
    Texture_SetRepeat(Arg_Flag(args[0]));
}
BW_BUILTIN(TextureGetWidth)
{
    SetReal(result, Texture_Width(Arg_Int(args[0])));
}
BW_BUILTIN(TextureGetHeight)
{
    SetReal(result, Texture_Height(Arg_Int(args[0])));
}
BW_BUILTIN(TexturePreload)
{
    Texture_Preload(Arg_Int(args[0]));
}
BW_BUILTIN(TextureSetPriority)
{
    Texture_SetPriority(Arg_Int(args[0]), Arg_Int(args[1]));
}

const BuiltinRegistration kDisplayToShapes[] = {
    {"display_get_width", &DisplayGetWidth, 0},
    {"display_get_height", &DisplayGetHeight, 0},
    {"display_get_colordepth", &DisplayGetColorDepth, 0},
    {"display_get_frequency", &DisplayGetFrequency, 0},
    {"display_get_orientation", &DisplayGetOrientation, 0},
    {"display_set_size", &DisplaySetSize, 2},
    {"display_set_colordepth", &DisplaySetColorDepth, 1},
    {"display_set_frequency", &DisplaySetFrequency, 1},
    {"display_set_all", &DisplaySetAll, 4},
    {"display_test_all", &DisplayTestAll, 4},
    {"display_reset", &DisplayReset, 2},
    {"display_mouse_get_x", &DisplayMouseGetX, 0},
    {"display_mouse_get_y", &DisplayMouseGetY, 0},
    {"display_mouse_set", &DisplayMouseSet, 2},
    {"draw_enable_drawevent", &DrawEnableDrawEvent, 1},
    {"window_set_visible", &WindowIgnored, 1},
    {"window_get_visible", &WindowGetVisible, 0},
    {"window_set_fullscreen", &WindowSetFullscreen, 1},
    {"window_get_fullscreen", &WindowGetFullscreen, 0},
    {"window_set_showborder", &WindowIgnored, 1},
    {"window_get_showborder", &WindowGetFalse, 0},
    {"window_set_showicons", &WindowIgnored, 1},
    {"window_get_showicons", &WindowGetFalse, 0},
    {"window_set_stayontop", &WindowIgnored, 1},
    {"window_get_stayontop", &WindowGetFalse, 0},
    {"window_set_sizeable", &WindowIgnored, 1},
    {"window_get_sizeable", &WindowGetFalse, 0},
    {"window_set_caption", &WindowSetCaption, 1},
    {"window_get_caption", &WindowGetCaption, 0},
    {"window_set_cursor", &WindowSetCursor, 1},
    {"window_get_cursor", &WindowGetCursor, 0},
    {"window_set_color", &WindowSetColor, 1},
    {"window_get_color", &WindowGetColor, 0},
    {"window_set_position", &WindowSetPosition, 2},
    {"window_set_size", &WindowSetSize, 2},
    {"window_set_rectangle", &WindowSetRectangle, 4},
    {"window_center", &WindowCenter, 0},
    {"window_default", &WindowIgnored, 0},
    {"window_get_x", &WindowGetX, 0},
    {"window_get_y", &WindowGetY, 0},
    {"window_get_width", &WindowGetWidth, 0},
    {"window_get_height", &WindowGetHeight, 0},
    {"window_mouse_get_x", &WindowMouseGetX, 0},
    {"window_mouse_get_y", &WindowMouseGetY, 0},
    {"window_mouse_set", &WindowMouseSet, 2},
    {"window_view_mouse_get_x", &WindowViewMouseGetX, 1},
    {"window_view_mouse_get_y", &WindowViewMouseGetY, 1},
    {"window_view_mouse_set", &WindowIgnored, 3},
    {"window_views_mouse_get_x", &WindowViewsMouseGetX, 0},
    {"window_views_mouse_get_y", &WindowViewsMouseGetY, 0},
    {"window_views_mouse_set", &WindowIgnored, 2},
    {"screen_save", &ScreenSave, 1},
    {"screen_save_part", &ScreenSavePart, 5},
    {"draw_getpixel", &DrawGetPixel, 2},
    {"draw_set_color", &DrawSetColor, 1},
    {"draw_set_alpha", &DrawSetAlpha, 1},
    {"draw_get_color", &DrawGetColor, 0},
    {"draw_get_alpha", &DrawGetAlpha, 0},
    {"make_color", &MakeColorRGB, 3},
    {"make_color_rgb", &MakeColorRGB, 3},
    {"make_color_hsv", &MakeColorHSV, 3},
    {"color_get_red", &ColorGetRed, 1},
    {"color_get_green", &ColorGetGreen, 1},
    {"color_get_blue", &ColorGetBlue, 1},
    {"color_get_hue", &ColorGetHue, 1},
    {"color_get_saturation", &ColorGetSaturation, 1},
    {"color_get_value", &ColorGetValue, 1},
    {"merge_color", &MergeColor, 3},
    {"draw_set_blend_mode", &DrawSetBlendMode, 1},
    {"draw_set_blend_mode_ext", &DrawSetBlendModeExt, 2},
    {"draw_set_color_write_enable", &DrawSetColorWriteEnable, 4},
    {"draw_set_alpha_test", &DrawSetAlphaTest, 1},
    {"draw_set_alpha_test_ref_value", &DrawSetAlphaTestRefValue, 1},
    {"draw_get_alpha_test", &DrawGetAlphaTest, 0},
    {"draw_get_alpha_test_ref_value", &DrawGetAlphaTestRefValue, 0},
    {"draw_clear", &DrawClear, 1},
    {"draw_clear_alpha", &DrawClearAlpha, 2},
    {"draw_point", &DrawPoint, 2},
    {"draw_line", &DrawLine, 4},
    {"draw_line_width", &DrawLineWidth, 5},
    {"draw_rectangle", &DrawRectangle, 5},
    {"draw_roundrect", &DrawRoundRect, 5},
    {"draw_triangle", &DrawTriangle, 7},
    {"draw_circle", &DrawCircle, 4},
    {"draw_ellipse", &DrawEllipse, 5},
    {"draw_arrow", &DrawArrow, 5},
    {"draw_button", &DrawButton, 5},
    {"draw_healthbar", &DrawHealthbar, 11},
};

const BuiltinRegistration kShapeColoursToVertices[] = {
    {"draw_point_color", &DrawPointColor, 3},
    {"draw_line_color", &DrawLineColor, 6},
    {"draw_line_width_color", &DrawLineWidthColor, 7},
    {"draw_rectangle_color", &DrawRectangleColor, 9},
    {"draw_roundrect_color", &DrawRoundRectColor, 7},
    {"draw_triangle_color", &DrawTriangleColor, 10},
    {"draw_circle_color", &DrawCircleColor, 6},
    {"draw_ellipse_color", &DrawEllipseColor, 7},
    {"draw_set_circle_precision", &DrawSetCirclePrecision, 1},
    {"draw_primitive_begin", &DrawPrimitiveBegin, 1},
    {"draw_primitive_begin_texture", &DrawPrimitiveBeginTexture, 2},
    {"draw_primitive_end", &DrawPrimitiveEnd, 0},
    {"draw_vertex", &DrawVertex, 2},
    {"draw_vertex_color", &DrawVertexColor, 4},
    {"draw_vertex_texture", &DrawVertexTexture, 4},
    {"draw_vertex_texture_color", &DrawVertexTextureColor, 6},
};

const BuiltinRegistration kTextures[] = {
    {"texture_exists", &TextureExists, 1},
    {"texture_set_interpolation", &TextureSetInterpolation, 1},
    {"texture_set_blending", &TextureSetBlending, 1},
    {"texture_set_repeat", &TextureSetRepeat, 1},
    {"texture_get_width", &TextureGetWidth, 1},
    {"texture_get_height", &TextureGetHeight, 1},
    {"texture_preload", &TexturePreload, 1},
    {"texture_set_priority", &TextureSetPriority, 2},
};

}  // namespace

std::span<const BuiltinRegistration> GraphicBuiltins_DisplayToShapes()
{
    return kDisplayToShapes;
}

std::span<const BuiltinRegistration> GraphicBuiltins_ShapeColoursToVertices()
{
    return kShapeColoursToVertices;
}

std::span<const BuiltinRegistration> GraphicBuiltins_Textures()
{
    return kTextures;
}

const char* Value_ToDrawText(const Value& value, char* buffer, size_t capacity)
{
    if (Arg_IsString(value)) {
        const char* text = Value_String(value);
        return text != nullptr ? text : "";
    }
    if (capacity == 0) {
        return "";
    }
    const double real = Arg_Real(value);
    // A whole number outside the 32-bit range would wrap if printed as an
    // integer, so it keeps the fractional form like any other real.
    const double nearest = std::nearbyint(real);
    const bool whole = static_cast<double>(Real_ToSingle(real)) == nearest && nearest >= -2147483648.0 &&
                       nearest <= 2147483647.0;
    if (whole) {
        std::snprintf(buffer, capacity, "%d", static_cast<int32_t>(nearest));
    } else {
        std::snprintf(buffer, capacity, "%.2f", real);
    }
    return buffer;
}

}  // namespace bw
