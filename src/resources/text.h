// Text drawing: the current font and alignment, cutting a script text into
// lines (with '#' as a line break and optional word wrap), measuring, and the
// four drawing forms. The glyphs are drawn by the font (resources/font.h).
//
// Conventions of every entry point: a null text draws nothing and measures
// 1; a negative max width means no wrapping; a negative separation means the
// active font's height. Colours are script colours 0x00BBGGRR, alpha 0..1,
// angles degrees counter-clockwise.
#pragma once

#include <cstdint>

namespace bw {

class CFontBW;
class TStringList;

// ---- State ------------------------------------------------------------------
// The current font is kept only when that font exists; otherwise it becomes
// -1, the default text font ("debug").
void GR_Text_SetFont(int32_t font);
int32_t GR_Text_GetFont();
// 0 left / top, 1 centre / middle, 2 right / bottom; anything else stores 0.
void GR_Text_SetHAlign(int32_t align);
void GR_Text_SetVAlign(int32_t align);
int32_t GR_Text_GetHAlign();
int32_t GR_Text_GetVAlign();

// Makes the default text font when it does not exist yet.
void GR_Text_InitDefaultFont();
// The font the next text operation uses: the current font when it exists,
// else the default text font. Every text operation selects first.
CFontBW* GR_Text_SelectFont();

// Cuts text into lines with the active font's advances (no-wrap mode needs
// no font). The list owns the UTF-16 buffer the lines point into.
void GR_Text_Split(const char* text, int32_t maxWidth, TStringList* lines);

// ---- Measuring --------------------------------------------------------------
// The widest line, at least 1; the separation is not used.
int32_t GR_Text_Width(const char* text, int32_t separation, int32_t maxWidth);
// 1 without lines, else font height + (lines - 1) x separation.
int32_t GR_Text_Height(const char* text, int32_t separation, int32_t maxWidth);

// ---- Drawing ----------------------------------------------------------------
// With the drawing colour and alpha (graphics/draw_2d.h).
void GR_Text_Draw(float x, float y, const char* text, int32_t separation, int32_t maxWidth);
void GR_Text_DrawTransformed(float x, float y, const char* text, int32_t separation, int32_t maxWidth, float xscale,
                             float yscale, float angle);
// Corner colours of each line: c1 top-left, c2 top-right, c3 bottom-right,
// c4 bottom-left.
void GR_Text_DrawColour(float x, float y, const char* text, int32_t separation, int32_t maxWidth, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void GR_Text_DrawTransformedColour(float x, float y, const char* text, int32_t separation, int32_t maxWidth,
                                   float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                                   uint32_t c4, float alpha);

// Deletes the default text font (game end); the next use makes it again.
// The current font and the alignments are left as they are.
void GR_Text_Shutdown();

}  // namespace bw
