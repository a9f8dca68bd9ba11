#include "platform/colour.h"

#include <algorithm>
#include <cmath>

namespace bw {

namespace {

uint8_t LowByte(int value)
{
    return static_cast<uint8_t>(value & 0xFF);
}

// Truncation toward zero, then clamped to a byte. NaN gives 0.
uint8_t TruncateToByte(float scaled)
{
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= 255.0f) {
        return 255;
    }
    return static_cast<uint8_t>(scaled);
}

float ChannelFraction(uint32_t value, int shift)
{
    return static_cast<float>((value >> shift) & 0xFF) / 255.0f;
}

uint8_t MergeChannel(uint32_t channel1, uint32_t channel2, float amount)
{
    const float mixed = (1.0f - amount) * static_cast<float>(channel1) + static_cast<float>(channel2) * amount;
    const float rounded = std::nearbyint(mixed);
    // Beyond the 32-bit range (or NaN) the processor's conversion gives
    // 0x80000000, whose low byte is 0; give the same without the undefined
    // conversion.
    if (!(std::fabs(rounded) < 2147483648.0f)) {
        return 0;
    }
    return LowByte(static_cast<int>(rounded));
}

}  // namespace

void ColourBytes_Set(uint8_t out[3], int r, int g, int b)
{
    out[0] = LowByte(b);
    out[1] = LowByte(g);
    out[2] = LowByte(r);
}

void Colour_Make(uint8_t out[3], int r, int g, int b)
{
    out[0] = LowByte(r);
    out[1] = LowByte(g);
    out[2] = LowByte(b);
}

Colour Colour_Make(int r, int g, int b)
{
    uint8_t rgb[3];
    Colour_Make(rgb, r, g, b);
    uint8_t bgr[3];
    ColourBytes_Swap(bgr, rgb);
    return static_cast<Colour>(ColourBytes_ToInt(bgr));
}

void ColourBytes_Swap(uint8_t out[3], const uint8_t in[3])
{
    const uint8_t first = in[0];
    out[1] = in[1];
    out[0] = in[2];
    out[2] = first;
}

int32_t ColourBytes_ToInt(const uint8_t bytes[3])
{
    return (bytes[0] * 256 + bytes[1]) * 256 + bytes[2];
}

void Colour_RGBToHSV(uint8_t hsvOut[3], uint32_t value)
{
    const float r = ChannelFraction(value, 16);
    const float g = ChannelFraction(value, 8);
    const float b = ChannelFraction(value, 0);
    const float max = std::max({r, g, b});
    const float min = std::min({r, g, b});
    const float delta = max - min;
    float hue = 0.0f;
    float saturation = 0.0f;
    if (max != 0.0f) {
        saturation = delta / max;
        if (saturation != 0.0f) {
            if (max == r) {
                hue = (g - b) * 60.0f / delta;
            } else if (max == g) {
                hue = (b - r) * 60.0f / delta + 120.0f;
            } else {
                hue = (r - g) * 60.0f / delta + 240.0f;
            }
            if (hue < 0.0f) {
                hue += 360.0f;
            }
        }
    }
    hsvOut[0] = TruncateToByte(hue * 255.0f / 360.0f + 0.5f);
    hsvOut[1] = TruncateToByte(saturation * 255.0f + 0.5f);
    hsvOut[2] = TruncateToByte(max * 255.0f + 0.5f);
}

void Colour_HSVToRGB(uint8_t bgrOut[3], const uint8_t hsv[3])
{
    float hueDegrees = static_cast<float>(hsv[0]) * 360.0f / 255.0f;
    if (hueDegrees >= 360.0f) {
        hueDegrees = 0.0f;
    }
    const float s = static_cast<float>(hsv[1]) / 255.0f;
    const float v = static_cast<float>(hsv[2]) / 255.0f;
    float red = v;
    float green = v;
    float blue = v;
    if (s != 0.0f) {
        const float h = hueDegrees / 60.0f;
        const int sector = static_cast<int>(h);  // h is in [0, 6)
        const float f = h - static_cast<float>(sector);
        const float p = v * (1.0f - s);
        const float q = v * (1.0f - f * s);
        const float t = v * (1.0f - (1.0f - f) * s);
        switch (sector) {
        case 0: red = v; green = t; blue = p; break;
        case 1: red = q; green = v; blue = p; break;
        case 2: red = p; green = v; blue = t; break;
        case 3: red = p; green = q; blue = v; break;
        case 4: red = t; green = p; blue = v; break;
        default: red = v; green = p; blue = q; break;
        }
    }
    bgrOut[0] = TruncateToByte(blue * 255.0f + 0.5f);
    bgrOut[1] = TruncateToByte(green * 255.0f + 0.5f);
    bgrOut[2] = TruncateToByte(red * 255.0f + 0.5f);
}

void Colour_GetHSV(uint8_t hsvOut[3], Colour colour)
{
    const uint32_t red = colour & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = (colour >> 16) & 0xFF;
    Colour_RGBToHSV(hsvOut, (red << 16) | (green << 8) | blue);
}

Colour Colour_MakeHSV(const uint8_t hsv[3])
{
    uint8_t bgr[3];
    Colour_HSVToRGB(bgr, hsv);
    return static_cast<Colour>(ColourBytes_ToInt(bgr));
}

Colour Colour_MakeHSV(int hue, int saturation, int value)
{
    const uint8_t hsv[3] = {LowByte(hue), LowByte(saturation), LowByte(value)};
    return Colour_MakeHSV(hsv);
}

void Colour_MergeBytes(uint8_t bgrOut[3], Colour colour1, Colour colour2, float amount)
{
    bgrOut[0] = MergeChannel((colour1 >> 16) & 0xFF, (colour2 >> 16) & 0xFF, amount);
    bgrOut[1] = MergeChannel((colour1 >> 8) & 0xFF, (colour2 >> 8) & 0xFF, amount);
    bgrOut[2] = MergeChannel(colour1 & 0xFF, colour2 & 0xFF, amount);
}

Colour Colour_Merge(Colour colour1, Colour colour2, float amount)
{
    uint8_t bgr[3];
    Colour_MergeBytes(bgr, colour1, colour2, amount);
    return static_cast<Colour>(ColourBytes_ToInt(bgr));
}

}  // namespace bw
