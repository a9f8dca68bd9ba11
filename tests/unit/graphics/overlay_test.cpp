// The overlay on a clock the test moves: profiler, frame rates, clicks, drawing.
#include "graphics/overlay.h"

#include <set>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "graphics/overlay_hooks.h"
#include "graphics/screen.h"
#include "host/clock.h"
#include "platform/console.h"
#include "platform/package_loader.h"
#include "platform/timer.h"
#include "unit/world/object_test_image.h"
#include "world/event.h"
#include "world/object.h"
#include "world/object_loader.h"

namespace bw {
namespace {

int64_t g_now = 0;
int64_t FakeNow()
{
    return g_now;
}
void NoSleep(int64_t) {}

std::string& Logged()
{
    static std::string lines;
    return lines;
}
void Log(const char* line)
{
    Logged() += line;
}

class Overlay : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        g_now = 1000000;
        previousClock = Host_SetClock(HostClock{&FakeNow, &NoSleep});
        Timer_Init();
        GR_D3D_InitTimerAndFont();  // no present time carried over
        Overlay_Reset();
    }
    void TearDown() override
    {
        Overlay_Reset();
        Host_SetClock(previousClock);
        DrawTest::TearDown();
    }

    // One frame lasting the given microseconds; its rate.
    int32_t Frame(int64_t microseconds)
    {
        Profiler_StartFrame();
        g_now += microseconds;
        Overlay_MeasureFrame();
        return FPS_Statistics().current;
    }

    // The bytes of vertices one frame of the overlay draws.
    size_t DrawnBytes()
    {
        device->ClearCalls();
        Overlay_DrawFrame();
        GR_VB_Flush();
        size_t bytes = 0;
        for (const RecordedCall* draw : device->Find("DrawPrimitive")) bytes += draw->vertices.size();
        return bytes;
    }

    HostClock previousClock{};
};

TEST_F(Overlay, StatisticsStayAtTheirStartValuesForTheFirstHundredFrames)
{
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(Frame(i % 2 == 0 ? 10000 : 40000), i % 2 == 0 ? 100 : 25);
    }
    const FPSStatistics& fps = FPS_Statistics();
    EXPECT_EQ(fps.minimum, 2147483647);
    EXPECT_EQ(fps.maximum, -2147483647 - 1);
    EXPECT_EQ(fps.average, 30);
    EXPECT_EQ(fps.frames, 100);
}

TEST_F(Overlay, StatisticsFollowTheFramesAfterTheWarmUp)
{
    for (int i = 0; i < 100; ++i) {
        Frame(16667);
    }
    struct Step {
        int64_t microseconds;
        int32_t fps, minimum, maximum, average;
    };
    const Step steps[] = {
        {20000, 50, 50, 50, 40},  // (30 + 50) / 2
        {10000, 100, 50, 100, 70},
        {40000, 25, 25, 100, 47},  // whole numbers: (70 + 25) / 2
        {30000, 33, 25, 100, 40},  // 1,000,000 / 30,000 rounded
    };
    for (const Step& step : steps) {
        EXPECT_EQ(Frame(step.microseconds), step.fps);
        EXPECT_EQ(FPS_Statistics().minimum, step.minimum);
        EXPECT_EQ(FPS_Statistics().maximum, step.maximum);
        EXPECT_EQ(FPS_Statistics().average, step.average);
    }
}

TEST_F(Overlay, AFrameOfNoMeasurableLengthHasAFiniteRate)
{
    EXPECT_EQ(Frame(0), 1000000);
}

TEST_F(Overlay, SectionsNestAndCloseInOrder)
{
    Profiler_StartFrame();
    g_now += 10;
    Profiler_Begin(0xFF00FF00u, "Update");
    g_now += 20;
    Profiler_Begin(0xFFFFFF00u, "Text");
    g_now += 5;
    Profiler_End();
    Profiler_End();
    ASSERT_EQ(Profiler_SectionCount(), 3);
    EXPECT_STREQ(Profiler_Section(0).name, "Total");
    EXPECT_EQ(Profiler_Section(1).depth, 1);
    EXPECT_EQ(Profiler_Section(2).depth, 2);
    EXPECT_EQ(Profiler_Section(1).end - Profiler_Section(1).begin, 25);
    EXPECT_EQ(Profiler_Section(2).end - Profiler_Section(2).begin, 5);
}

TEST_F(Overlay, SectionsBeyondTheLimitDoNotCutAnEnclosingOneShort)
{
    Profiler_StartFrame();
    Profiler_Begin(0xFF0000FFu, "Outer");
    const int32_t extra = kProfilerMaxSections + 10;
    for (int32_t i = 0; i < extra; ++i) {
        Profiler_Begin(0xFFFFFFFFu, "Inner");
        Profiler_End();
    }
    EXPECT_EQ(Profiler_SectionCount(), kProfilerMaxSections);
    EXPECT_EQ(Profiler_Section(1).end, 0);  // "Outer" is still open
    g_now += 7;
    Profiler_End();
    EXPECT_EQ(Profiler_Section(1).end - Profiler_Section(1).begin, 7);
}

TEST_F(Overlay, BeginningASectionBeginsTheFrame)
{
    Overlay_DrawFrame();  // leaves no frame begun
    Profiler_Begin(0xFF00FF00u, "Update");
    ASSERT_EQ(Profiler_SectionCount(), 2);
    EXPECT_STREQ(Profiler_Section(0).name, "Total");
}

TEST_F(Overlay, StartsHiddenAndThenDrawsNothingAndLeavesTheStateAlone)
{
    EXPECT_EQ(Overlay_GetFlags(), 0u);
    Profiler_StartFrame();
    device->ClearCalls();
    Overlay_DrawFrame();
    GR_VB_Flush();
    EXPECT_TRUE(device->Calls().empty());
}

TEST_F(Overlay, TheFPSLineDrawsTheBarsAndTheText)
{
    Overlay_Start();
    Overlay_SetFlags(kOverlayFPS);
    Profiler_StartFrame();
    g_now += 20000;
    Overlay_DrawFrame();
    const std::vector<const RecordedCall*> draws = device->Find("DrawPrimitive");
    ASSERT_GE(draws.size(), 2u);  // the bars, then the glyphs
    // One bar ("Total") spanning its share of the budget.
    const std::vector<Vertex2D> bar = DrawnBatch{4, draws[0]->vertices}.As<Vertex2D>();
    ASSERT_EQ(bar.size(), 6u);
    EXPECT_EQ(bar[0].colour, 0xFF000080u);
    EXPECT_FLOAT_EQ(bar[1].x - bar[0].x,
                    20000.0f * (static_cast<float>(GR_GetScreenWidth()) / kProfilerFrameBudget));
}

TEST_F(Overlay, ThePanelIsADarkBandAcrossTheTop)
{
    Overlay_Start();
    Overlay_SetFlags(kOverlayCaption);
    Overlay_DrawFrame();
    const std::vector<const RecordedCall*> draws = device->Find("DrawPrimitive");
    ASSERT_FALSE(draws.empty());
    const std::vector<Vertex2D> band = DrawnBatch{4, draws[0]->vertices}.As<Vertex2D>();
    ASSERT_EQ(band.size(), 6u);
    EXPECT_EQ(band[0].colour, 0xC0000000u);
    EXPECT_FLOAT_EQ(band[2].y - band[0].y, 100.0f);
    EXPECT_FLOAT_EQ(band[1].x - band[0].x, static_cast<float>(GR_GetScreenWidth()));
}

TEST_F(Overlay, ThePanelNamesTheGameWhole)
{
    Overlay_Start();
    Overlay_SetFlags(kOverlayCaption);
    GamePackage& package = Package();
    const GamePackage kept = package;
    package.hasHeader = true;
    auto drawnBytes = [&](const char* name) {
        package.header.displayName = name;
        return DrawnBytes();
    };
    const size_t perLetter = drawnBytes("aa") - drawnBytes("a");
    const std::string name(300, 'a');
    EXPECT_EQ(drawnBytes(name.c_str()) - drawnBytes(""), name.size() * perLetter);
    package = kept;
}

TEST_F(Overlay, ThePanelMarksAGameWhoseObjectsHaveAMarkedEvent)
{
    Overlay_Start();
    Overlay_SetFlags(kOverlayCaption);
    auto drawnWithAlarm = [&](uint32_t numberWord) {
        const test::ObjtImage image({{"o", -1, {{kEventAlarm, numberWord, "x = 1"}}}}, 13);
        EXPECT_TRUE(Object_LoadChunk(image.View(), image.chunkOffset, image.chunkLength, 13));
        const size_t bytes = DrawnBytes();
        Object_FreeAll();
        return bytes;
    };
    // "*" is a glyph; the blank that stands for no mark draws nothing.
    EXPECT_GT(drawnWithAlarm(0x80000000u | 3), drawnWithAlarm(3));
}

TEST_F(Overlay, InstalledItServesTheDevicesCallPoints)
{
    Overlay_Install();
    Profiler_BeginFrame();
    g_now += 20000;
    Overlay_Draw();
    Overlay_SetHooks(OverlayHooks{});
    EXPECT_EQ(FPS_Statistics().frames, 1);
    EXPECT_EQ(FPS_Statistics().current, 50);
}

TEST_F(Overlay, PrintedTextStartsANewLineAtALineFeed)
{
    Overlay_Start();
    Overlay_Printf(0, 10, 0xFF000000u, 0xFFFFFFFFu, "%s", "a\nb");
    std::set<float> tops;
    for (const Vertex2DTex& v : DrawnTextured()) {
        tops.insert(v.y);
    }
    // Each line: its outline copies one pixel up and two down, then the text.
    EXPECT_TRUE(tops.count(10.0f) == 1 && tops.count(9.0f) == 1 && tops.count(12.0f) == 1);
    EXPECT_TRUE(tops.count(24.0f) == 1 && tops.count(23.0f) == 1 && tops.count(26.0f) == 1);
}

TEST_F(Overlay, CloseHidesThePanelAndTheSwitchTogether)
{
    Overlay_SetFlags(kOverlayCaption | kOverlayFPSToggle | kOverlayFPS);
    Overlay_HandleClick(GR_GetScreenWidth() - 50, 88);
    EXPECT_EQ(Overlay_GetFlags(), kOverlayFPS);
}

TEST_F(Overlay, TheOfferedSwitchTurnsTheFPSLineOnAndOff)
{
    Overlay_SetFlags(kOverlayCaption | kOverlayFPSToggle);
    Overlay_HandleClick(20, 15);
    EXPECT_EQ(Overlay_GetFlags() & kOverlayFPS, kOverlayFPS);
    Overlay_HandleClick(20, 15);
    EXPECT_EQ(Overlay_GetFlags() & kOverlayFPS, 0u);
}

TEST_F(Overlay, TheTapSequenceOpensThePanelAndAStrayTapStartsItAgain)
{
    Overlay_SetFlags(0);
    const int32_t cellW = std::max(1, GR_GetScreenWidth() / 10);
    const int32_t cellH = std::max(1, GR_GetScreenHeight() / 10);
    const int32_t cells[][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {9, 9}, {5, 5}};
    auto tap = [&](int32_t column, int32_t row) { Overlay_HandleClick(column * cellW, row * cellH); };
    tap(0, 0);
    tap(9, 0);
    tap(5, 5);  // stray
    for (const auto& cell : cells) {
        EXPECT_EQ(Overlay_GetFlags() & kOverlayCaption, 0u);
        tap(cell[0], cell[1]);
    }
    EXPECT_EQ(Overlay_GetFlags() & kOverlayCaption, kOverlayCaption);
}

TEST_F(Overlay, DumpLogsTheThreeStatistics)
{
    for (int i = 0; i < 101; ++i) {
        Frame(20000);
    }
    Logged().clear();
    Console_SetDebugListener(&Log);
    Overlay_DumpFPS();
    Console_SetDebugListener(nullptr);
    EXPECT_NE(Logged().find("minFPS, maxFPS, avgFPS\n"), std::string::npos);
    EXPECT_NE(Logged().find("50, 50, 40\n"), std::string::npos);
}

}  // namespace
}  // namespace bw
