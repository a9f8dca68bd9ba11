#include "platform/colour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace bw {
namespace {

struct Hsv {
    int hue, saturation, value;
};

Hsv GetHsv(Colour colour)
{
    uint8_t hsv[3];
    Colour_GetHSV(hsv, colour);
    return {hsv[0], hsv[1], hsv[2]};
}

TEST(ColourPacking, BytesAndPackedFormsAgree)
{
    uint8_t bytes[3];
    ColourBytes_Set(bytes, 0x11, 0x22, 0x33);
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(ColourBytes_ToInt(bytes), 0x332211);

    Colour_Make(bytes, 0x11, 0x22, 0x33);
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(bytes[2], 0x33);
    uint8_t swapped[3];
    ColourBytes_Swap(swapped, bytes);
    EXPECT_EQ(ColourBytes_ToInt(swapped), 0x332211);

    EXPECT_EQ(Colour_Make(0x11, 0x22, 0x33), 0x332211u);
}

TEST(ColourPacking, SwapWorksInPlace)
{
    uint8_t bytes[3] = {1, 2, 3};
    ColourBytes_Swap(bytes, bytes);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 1);
}

TEST(ColourPacking, MakeKeepsOnlyTheLowByteOfEachChannel)
{
    EXPECT_EQ(Colour_Make(0x1FF, -1, 0x100), 0x00FFFFu);
    EXPECT_EQ(Colour_MakeHSV(0, 0x1FF, 0x1FF), Colour_MakeHSV(0, 255, 255));
}

TEST(ColourHSV, ReadsHueSaturationAndValueOfKnownColours)
{
    const struct {
        Colour colour;
        int hue, saturation, value;
    } cases[] = {
        {0x0000FF, 0, 255, 255},    // red
        {0x00FF00, 85, 255, 255},   // green: 120 degrees
        {0xFF0000, 170, 255, 255},  // blue: 240 degrees
        {0xFF00FF, 213, 255, 255},  // magenta: 300 degrees
        {0x808080, 0, 0, 128},      // grey
        {0x000000, 0, 0, 0},
        {0xFFFFFF, 0, 0, 255},
        {0x000080, 0, 255, 128},    // dark red
        {0x8080FF, 0, 127, 255},    // pale red: saturation 127/255 exactly
    };
    for (const auto& c : cases) {
        const Hsv hsv = GetHsv(c.colour);
        EXPECT_EQ(hsv.hue, c.hue) << std::hex << c.colour;
        EXPECT_EQ(hsv.saturation, c.saturation) << std::hex << c.colour;
        EXPECT_EQ(hsv.value, c.value) << std::hex << c.colour;
    }
}

TEST(ColourHSV, MakesKnownColours)
{
    const struct {
        int hue, saturation, value;
        Colour expected;
    } cases[] = {
        {0, 255, 255, 0x0000FF},
        {85, 255, 255, 0x00FF00},
        {170, 255, 255, 0xFF0000},
        {255, 255, 255, 0x0000FF},  // 360 degrees wraps to 0
        {0, 0, 128, 0x808080},
        {42, 0, 200, 0xC8C8C8},     // no saturation: hue ignored
        {0, 255, 0, 0x000000},
        {43, 255, 255, 0x00FFFC},   // 60.7 degrees, just past yellow: red is 255 * (1 - 1/85)
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Colour_MakeHSV(c.hue, c.saturation, c.value), c.expected)
            << c.hue << "," << c.saturation << "," << c.value;
    }
}

TEST(ColourHSV, ByteAndIntegerFormsAgree)
{
    const uint8_t hsv[3] = {30, 200, 150};
    EXPECT_EQ(Colour_MakeHSV(hsv), Colour_MakeHSV(30, 200, 150));
}

int ChannelDistance(Colour a, Colour b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    }
    return worst;
}

// The hue byte has 255 steps for 360 degrees: half a step is 0.71 degrees,
// and a saturated channel moves 255/60 per degree, so a round trip may miss
// by up to 3 on the channel between the largest and the smallest; greys come
// back exactly.
TEST(ColourHSV, RoundTripStaysCloseOverAGridOfColours)
{
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 15) {
            for (int b = 0; b < 256; b += 15) {
                const Colour colour = Colour_Make(r, g, b);
                const Hsv hsv = GetHsv(colour);
                const Colour back = Colour_MakeHSV(hsv.hue, hsv.saturation, hsv.value);
                const int allowed = (r == g && g == b) ? 0 : 3;
                EXPECT_LE(ChannelDistance(colour, back), allowed) << std::hex << colour << " -> " << back;
            }
        }
    }
}

TEST(ColourMerge, MixesEachChannelToTheNearestEvenOnTies)
{
    const struct {
        Colour c1, c2;
        float amount;
        Colour expected;
    } cases[] = {
        {0x000000, 0x0000FF, 0.5f, 0x000080},   // 127.5 -> 128
        {0x000000, 0x000001, 0.5f, 0x000000},   // 0.5 -> 0
        {0x000000, 0x000003, 0.5f, 0x000002},   // 1.5 -> 2
        {0x102030, 0x302010, 0.0f, 0x102030},
        {0x102030, 0x302010, 1.0f, 0x302010},
        {0xFF0000, 0x00FF00, 0.25f, 0xBF4000},  // blue 191.25 -> 191, green 63.75 -> 64
        {0x000000, 0x0000FF, 2.0f, 0x0000FE},   // 510 keeps its low byte
        {0x0000FF, 0x000000, 2.0f, 0x000001},   // -255 keeps its low byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Colour_Merge(c.c1, c.c2, c.amount), c.expected) << std::hex << c.c1 << " " << c.c2 << " " << c.amount;
    }
}

TEST(ColourMerge, UnrepresentableAmountsGiveZeroChannels)
{
    EXPECT_EQ(Colour_Merge(0x000000, 0x0000FF, std::numeric_limits<float>::quiet_NaN()), 0x000000u);
    EXPECT_EQ(Colour_Merge(0x000000, 0x0000FF, std::numeric_limits<float>::infinity()), 0x000000u);
    EXPECT_EQ(Colour_Merge(0x010101, 0x020202, 1e30f), 0x000000u);
}

TEST(ColourMerge, BytesFormHoldsBlueGreenRed)
{
    uint8_t bgr[3];
    Colour_MergeBytes(bgr, 0x000000, 0x3020FF, 1.0f);
    EXPECT_EQ(bgr[0], 0x30);
    EXPECT_EQ(bgr[1], 0x20);
    EXPECT_EQ(bgr[2], 0xFF);
}

}  // namespace
}  // namespace bw
