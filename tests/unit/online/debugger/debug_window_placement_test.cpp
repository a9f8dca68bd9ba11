// Where the debug window opens, as a function of the screen, the game
// window's frame and the form's size: beside the game when it fits there,
// else pushed back onto the screen, and never larger than the screen.
#include "online/debugger/debug_window_placement.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

constexpr int32_t kWide = kDebugFormWidth;
constexpr int32_t kTall = kDebugFormHeight;

// A 640 x 480 game (plus a frame of 2 px) centred on the screen.
DebugScreenRect CentredGame(const DebugScreenRect& screen)
{
    const int32_t width = 644;
    const int32_t height = 484;
    return {screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2, width, height};
}

TEST(DebugWindowPlacementTest, BesideTheGameWhereItFitsElseAsFarRightAsTheScreenAllows)
{
    const struct {
        const char* what;
        DebugScreenRect screen;
        DebugScreenRect game;
        DebugScreenRect expected;
    } kCases[] = {
        {"room beside a centred game", {0, 0, 2560, 1440}, CentredGame({0, 0, 2560, 1440}),
         {958 + 644 + kDebugFormGap, 478, kWide, kTall}},
        {"exactly enough room stays beside", {0, 0, 1000 + kDebugFormGap + kWide, 900}, {0, 100, 1000, 500},
         {1000 + kDebugFormGap, 100, kWide, kTall}},
        {"1920 x 1080: against the right edge", {0, 0, 1920, 1080}, CentredGame({0, 0, 1920, 1080}),
         {1920 - kWide, 298, kWide, kTall}},
        {"1280 x 1024: against the right edge", {0, 0, 1280, 1024}, CentredGame({0, 0, 1280, 1024}),
         {1280 - kWide, 270, kWide, kTall}},
        {"a second screen to the right", {1920, 0, 1280, 1024}, CentredGame({1920, 0, 1280, 1024}),
         {1920 + 1280 - kWide, 270, kWide, kTall}},
        {"a game low on the screen: raised to fit", {0, 0, 1920, 1080}, {100, 900, 644, 484},
         {100 + 644 + kDebugFormGap, 1080 - kTall, kWide, kTall}},
        {"a screen smaller than the form: as large as the screen", {0, 0, 640, 480}, {0, 0, 640, 480},
         {0, 0, 640, 480}},
        {"a game partly off to the left", {0, 0, 1920, 1080}, {-2000, -50, 644, 484}, {0, 0, kWide, kTall}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        const DebugScreenRect form = DebugForm_Placement(c.screen, c.game, kWide, kTall);
        EXPECT_EQ(form, c.expected) << form.x << "," << form.y << " " << form.width << "x" << form.height;
        EXPECT_GE(form.x, c.screen.x);
        EXPECT_GE(form.y, c.screen.y);
        EXPECT_LE(form.x + form.width, c.screen.x + c.screen.width) << "whole on the screen";
        EXPECT_LE(form.y + form.height, c.screen.y + c.screen.height);
    }
}

}  // namespace
}  // namespace bw
