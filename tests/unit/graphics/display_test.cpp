#include "graphics/display.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

DisplayMode Mode(int16_t w, int16_t h, uint8_t bits, uint8_t hz)
{
    return DisplayMode{w, h, bits, hz, 0, 0};
}

TEST(DisplayModes, TheSmallestModeThatHoldsTheGameIsChosen)
{
    const std::vector<DisplayMode> modes = {Mode(1024, 768, 32, 60), Mode(800, 600, 16, 60),
                                            Mode(800, 600, 32, 60), Mode(640, 480, 32, 60)};
    const DisplayMode* mode = GR_Display_FindModeIn(modes, 800, 600);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 800);
    EXPECT_EQ(mode->bitsPerPixel, 16);  // the first that improved; an equal one does not
}

TEST(DisplayModes, ARequestLargerThanEveryModeTakesTheClosestArea)
{
    const std::vector<DisplayMode> modes = {Mode(640, 480, 32, 60), Mode(1280, 1024, 16, 60),
                                            Mode(1280, 1024, 32, 75), Mode(1280, 1024, 32, 59),
                                            Mode(1024, 768, 32, 60)};
    const DisplayMode* mode = GR_Display_FindModeIn(modes, 4000, 3000);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 1280);
    EXPECT_EQ(mode->bitsPerPixel, 32);
    EXPECT_EQ(mode->refreshRate, 59);
}

TEST(DisplayModes, NoModesGiveNoChoice)
{
    EXPECT_EQ(GR_Display_FindModeIn({}, 640, 480), nullptr);
}

TEST(DisplayModes, AnEmptyRequestDoesNotDivideByZero)
{
    const std::vector<DisplayMode> modes = {Mode(640, 480, 32, 60)};
    EXPECT_EQ(GR_Display_FindModeIn(modes, 0, 100000), &modes[0]);
    EXPECT_EQ(GR_Display_FindModeIn(modes, -5, 100000), &modes[0]);
}

}  // namespace
}  // namespace bw
