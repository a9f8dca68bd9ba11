// Script colours are packed 0x00BBGGRR (red in the low byte). These routines
// move between that packing, byte triples and hue/saturation/value on a
// 0..255 scale, and blend colours. Game code compares their results, so the
// single-precision formulas and their rounding are part of the behaviour.
#pragma once

#include <cstdint>

namespace bw {

using Colour = uint32_t;

// Byte triples are three bytes in memory order: {blue, green, red} when taken
// from a colour, {hue, saturation, value} for HSV. Integer arguments keep
// only their low 8 bits.
void ColourBytes_Set(uint8_t out[3], int r, int g, int b);  // out = {b, g, r}
void Colour_Make(uint8_t out[3], int r, int g, int b);      // out = {r, g, b}
Colour Colour_Make(int r, int g, int b);                    // r | g << 8 | b << 16
void ColourBytes_Swap(uint8_t out[3], const uint8_t in[3]);  // out may be in
int32_t ColourBytes_ToInt(const uint8_t bytes[3]);          // bytes[0] is the top byte

// value holds red in bits 16..23, green in 8..15, blue in 0..7.
void Colour_RGBToHSV(uint8_t hsvOut[3], uint32_t value);
void Colour_HSVToRGB(uint8_t bgrOut[3], const uint8_t hsv[3]);
void Colour_GetHSV(uint8_t hsvOut[3], Colour colour);
Colour Colour_MakeHSV(const uint8_t hsv[3]);
Colour Colour_MakeHSV(int hue, int saturation, int value);

// Per channel: nearest integer (ties to even) of (1 - amount) * c1 + c2 *
// amount, kept to its low 8 bits. bgrOut = {blue, green, red}.
void Colour_MergeBytes(uint8_t bgrOut[3], Colour colour1, Colour colour2, float amount);
Colour Colour_Merge(Colour colour1, Colour colour2, float amount);

}  // namespace bw
