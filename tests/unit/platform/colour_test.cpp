#include "platform/colour.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace bw {
namespace {

using Triple = std::array<int, 3>;
Triple Of(const uint8_t bytes[3]) { return {bytes[0], bytes[1], bytes[2]}; }

TEST(ColourPacking, BytesAndPackedFormsAgree)
{
    uint8_t bytes[3];
    ColourBytes_Set(bytes, 0x11, 0x22, 0x33);
    EXPECT_EQ(Of(bytes), (Triple{0x33, 0x22, 0x11}));
    EXPECT_EQ(ColourBytes_ToInt(bytes), 0x332211);
    Colour_Make(bytes, 0x11, 0x22, 0x33);
    EXPECT_EQ(Of(bytes), (Triple{0x11, 0x22, 0x33}));
    uint8_t swapped[3];
    ColourBytes_Swap(swapped, bytes);
    EXPECT_EQ(Of(swapped), (Triple{0x33, 0x22, 0x11}));
    ColourBytes_Swap(bytes, bytes);
    EXPECT_EQ(Of(bytes), (Triple{0x33, 0x22, 0x11})) << "in place";
    EXPECT_EQ(Colour_Make(0x11, 0x22, 0x33), 0x332211u);
    EXPECT_EQ(Colour_Make(0x1FF, -1, 0x100), 0x00FFFFu) << "only the low byte of each channel counts";
    EXPECT_EQ(Colour_MakeHSV(0, 0x1FF, 0x1FF), Colour_MakeHSV(0, 255, 255));
}

TEST(ColourHSV, ReadsHueSaturationAndValueOfKnownColours)
{
    const struct { Colour colour; int hue, saturation, value; } cases[] = {
        {0x0000FF, 0, 255, 255},    // red
        {0x00FF00, 85, 255, 255},   // green: 120 degrees
        {0xFF0000, 170, 255, 255},  // blue: 240 degrees
        {0xFF00FF, 213, 255, 255},  // magenta: 300 degrees
        {0x808080, 0, 0, 128},      {0x000000, 0, 0, 0}, {0xFFFFFF, 0, 0, 255},
        {0x000080, 0, 255, 128},    // dark red
        {0x8080FF, 0, 127, 255},    // pale red: saturation 127/255 exactly
    };
    for (const auto& c : cases) {
        uint8_t hsv[3];
        Colour_GetHSV(hsv, c.colour);
        EXPECT_EQ(Of(hsv), (Triple{c.hue, c.saturation, c.value})) << std::hex << c.colour;
    }
}

TEST(ColourHSV, MakesKnownColoursFromIntegersAndBytesAlike)
{
    const struct { int hue, saturation, value; Colour expected; } cases[] = {
        {0, 255, 255, 0x0000FF},  {85, 255, 255, 0x00FF00}, {170, 255, 255, 0xFF0000},
        {255, 255, 255, 0x0000FF},  // 360 degrees wraps to 0
        {0, 0, 128, 0x808080},    {0, 255, 0, 0x000000},
        {42, 0, 200, 0xC8C8C8},     // no saturation: hue ignored
        {43, 255, 255, 0x00FFFC},   // 60.7 degrees, just past yellow: red is 255 * (1 - 1/85)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hue << "," << c.saturation << "," << c.value);
        const uint8_t hsv[3] = {uint8_t(c.hue), uint8_t(c.saturation), uint8_t(c.value)};
        EXPECT_EQ(Colour_MakeHSV(c.hue, c.saturation, c.value), c.expected);
        EXPECT_EQ(Colour_MakeHSV(hsv), c.expected);
    }
}

// Half a hue step is 0.71 degrees and a saturated channel moves 255/60 per
// degree, so a round trip may miss by up to 3 on the middle channel; greys come back exactly.
TEST(ColourHSV, RoundTripStaysCloseOverAGridOfColours)
{
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const Colour colour = Colour_Make(r, g, b);
                uint8_t hsv[3];
                Colour_GetHSV(hsv, colour);
                const Colour back = Colour_MakeHSV(hsv);
                const int allowed = (r == g && g == b) ? 0 : 3;
                for (int shift = 0; shift < 24; shift += 8)
                    EXPECT_LE(std::abs(int((colour >> shift) & 0xFF) - int((back >> shift) & 0xFF)), allowed)
                        << std::hex << colour << " -> " << back;
            }
}

TEST(ColourMerge, MixesEachChannelToTheNearestEvenOnTies)
{
    const struct { Colour c1, c2; float amount; Colour expected; } cases[] = {
        {0x000000, 0x0000FF, 0.5f, 0x000080},   // 127.5 -> 128
        {0x000000, 0x000001, 0.5f, 0x000000},   // 0.5 -> 0
        {0x000000, 0x000003, 0.5f, 0x000002},   // 1.5 -> 2
        {0x102030, 0x302010, 0.0f, 0x102030},   {0x102030, 0x302010, 1.0f, 0x302010},
        {0xFF0000, 0x00FF00, 0.25f, 0xBF4000},  // blue 191.25 -> 191, green 63.75 -> 64
        {0x000000, 0x0000FF, 2.0f, 0x0000FE},   // 510 keeps its low byte
        {0x0000FF, 0x000000, 2.0f, 0x000001},   // -255 keeps its low byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.c1 << " " << c.c2 << " " << c.amount);
        EXPECT_EQ(Colour_Merge(c.c1, c.c2, c.amount), c.expected);
        uint8_t bgr[3];
        Colour_MergeBytes(bgr, c.c1, c.c2, c.amount);
        EXPECT_EQ(Of(bgr), (Triple{int(c.expected >> 16), int(c.expected >> 8 & 0xFF), int(c.expected & 0xFF)}));
    }
}

TEST(ColourMerge, UnrepresentableAmountsGiveZeroChannels)
{
    for (float amount : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f})
        EXPECT_EQ(Colour_Merge(0x010101, 0x0202FF, amount), 0x000000u) << amount;
}

}  // namespace
}  // namespace bw
