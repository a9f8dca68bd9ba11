// The debug window's state: how values show, the watches evaluated and kept
// in order across a save to "Debug.ini" and a reload, the choice of locals
// page, and one frame drawn offscreen and written to
// build/tests/debug_smoke/debug/debug_window.png for a look.
#include "online/debugger/debug_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics/device/recording/recording_device.h"
#include "graphics/overlay.h"
#include "graphics/png_image.h"
#include "graphics/texture_records.h"
#include "graphics/transforms.h"
#include "host/imgui_window.h"
#include "online/debugger/debug_eval.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/memory.h"
#include "support/scratch_folder.h"
#include "unit/online/debugger/game_builtins_fixture.h"
#include "unit/world/instance_ops_fixture.h"
#include "world/input.h"
#include "world/instance_table.h"
#include "world/room.h"
#include "world/run_requests.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {
namespace {

// 1e100 as the real holds it, every digit.
constexpr char k1e100[] =
    "10000000000000000159028911097599180468360808563945281389781327557747838772170381060813469985856815104";

TEST(DebugValueTest, RealsShowWithTheFewestDecimalsThatHoldThemAndEveryDigit)
{
    const struct {
        double value;
        const char* shown;
    } kCases[] = {{0.5, "0.50"},     {1.0 / 3.0, "0.3333333333"}, {3.0, "3"},       {-2.0, "-2"},
                  {0.125, "0.1250"}, {1e-7, "0.00000010"},        {2.5e-9, "0.0000000025"}, {1e15, "1000000000000000"},
                  {-1e-13, "0"},     {1e100, k1e100}};
    for (const auto& c : kCases) {
        EXPECT_EQ(Debug_FormatReal(c.value), c.shown) << c.value;
    }
    EXPECT_EQ(Debug_FormatReal(-std::numeric_limits<double>::max()).size(), 310u) << "a sign and 309 digits";
}

class DebugWindowTest : public test::ShapesWorldTest {
protected:
    void SetUp() override
    {
        ShapesWorldTest::SetUp();
        Code_Error_SetShowErrors(false);
        ASSERT_TRUE(Files_SetSaveFolderName("debug", false));
    }

    test::ScratchFolder m_scratch;
    test::ScopedEnv m_data{"XDG_DATA_HOME", m_scratch.Path().c_str()};
};

TEST_F(DebugWindowTest, WatchesShowTheirValuesAndStayWhenTheyFail)
{
    DebugForm form(false);
    form.AddWatch("1/3");
    form.AddWatch("1+");
    form.AddWatch("");  // nothing to watch: not added
    form.AddWatch("\"x\" + \"y\"");
    form.EvaluateWatches();
    const std::vector<DebugWatchRow>& watches = form.View().watches;
    ASSERT_EQ(watches.size(), 3u);
    EXPECT_EQ(watches[0].value, "0.3333333333");
    EXPECT_EQ(watches[1].value, "Unable to evaluate");
    EXPECT_EQ(watches[2].value, "xy");
    EXPECT_FALSE(Code_Error_Occurred());
}

TEST_F(DebugWindowTest, AWatchWhoseBuiltInRaisesAFatalErrorNeverEndsTheGame)
{
    test::RegisterGameBuiltinsOnce();
    DebugForm form(false);
    form.AddWatch("room_goto(99)");
    for (int step = 0; step < 2; ++step) {
        form.EvaluateWatches();
        EXPECT_EQ(form.View().watches[0].value, "Unable to evaluate");
        EXPECT_FALSE(Code_Error_GameAborted()) << "step " << step;
        EXPECT_EQ(NewRoomRequest, kRequestNone) << "step " << step;
    }
}

TEST_F(DebugWindowTest, SavedStateComesBackInTheSameOrder)
{
    {
        DebugForm form(false);
        for (const char* watch : {"room_speed", "b + 1", "a"}) {
            form.AddWatch(watch);
        }
        form.ChangeWatch(1, "c * 2");
        form.View().pages[kDebugGlobalsPage].visible = true;
        form.View().pages[kDebugGlobalsPage].placement = {10, 20, 310, 220};
        EXPECT_EQ(form.ShowLocals(100042), kDebugFirstLocalsPage);
        IniFile ini(kDebugIniName, false);
        form.SaveState(ini);
    }
    DebugForm reloaded(false);
    IniFile ini(kDebugIniName, false);
    reloaded.LoadState(ini);
    std::vector<std::string> expressions;
    for (const DebugWatchRow& watch : reloaded.View().watches) {
        expressions.push_back(watch.expression);
    }
    EXPECT_EQ(expressions, (std::vector<std::string>{"room_speed", "c * 2", "a"}));
    const DebugFormPage& globals = reloaded.View().pages[kDebugGlobalsPage];
    EXPECT_TRUE(globals.visible);
    EXPECT_EQ(globals.placement.right, 310);
    EXPECT_FALSE(reloaded.View().pages[kDebugInstancesPage].visible);
    EXPECT_TRUE(reloaded.View().pages[kDebugFirstLocalsPage].visible);
    EXPECT_EQ(reloaded.ShowLocals(100042), kDebugFirstLocalsPage) << "the page already showing that instance";
}

TEST_F(DebugWindowTest, TheFrameRateBoxAndItsSavedStateTellWhetherTheLineIsDrawn)
{
    const uint32_t flags = Overlay_GetFlags();
    for (const bool drawn : {true, false}) {
        SCOPED_TRACE(drawn ? "drawn" : "hidden");
        Overlay_SetFlags(drawn ? flags | kOverlayFPS : flags & ~kOverlayFPS);
        DebugForm form(false);
        EXPECT_EQ(form.View().fpsVisible, drawn);
        IniFile ini(kDebugIniName, false);
        form.SaveState(ini);
        EXPECT_STREQ(IniFile(kDebugIniName, false).ReadString("DebugForm", "FPSVisible", ""),
                     drawn ? "true" : "false");
    }
    Overlay_SetFlags(flags | kOverlayFPS);
    DebugForm reloaded(false);
    IniFile ini(kDebugIniName, false);
    reloaded.LoadState(ini);
    EXPECT_EQ(Overlay_GetFlags() & kOverlayFPS, 0u) << "a saved false hides the line";
    EXPECT_FALSE(reloaded.View().fpsVisible);
    Overlay_SetFlags(flags);
}

TEST_F(DebugWindowTest, LocalsUseTheShowingPageThenAFreeOneThenTheLast)
{
    DebugForm form(false);
    for (int32_t i = 0; i < kDebugPageCount - kDebugFirstLocalsPage; ++i) {
        EXPECT_EQ(form.ShowLocals(100000 + i), kDebugFirstLocalsPage + i);
    }
    EXPECT_EQ(form.ShowLocals(100002), kDebugFirstLocalsPage + 2);
    EXPECT_EQ(form.ShowLocals(100099), kDebugPageCount - 1);
}

TEST_F(DebugWindowTest, ALocalsPageIsTitledWithTheWholeObjectName)
{
    CObject* object = AddObject(0);
    object->name = std::string(200, 'o');
    AddInstance(object->index, 100042);
    DebugForm form(false);
    form.Update();
    ASSERT_EQ(form.ShowLocals(100042), kDebugFirstLocalsPage);
    form.Update();
    EXPECT_EQ(form.View().pages[kDebugFirstLocalsPage].title, "Instance Var: " + object->name + " (100042)");
}

TEST_F(DebugWindowTest, PagesShowVariablesAsTheWatchesShowValues)
{
    CInstance* instance = AddInstance(AddObject(0)->index, 100042);
    Value value{};
    const double reals[] = {0.5, 1.0 / 3.0, 1e100};
    for (int32_t i = 0; i < 3; ++i) {
        Value_SetReal(value, reals[i]);
        Variable_GlobalList().SetVar(kVariableUserIdBase + i, -1, &value);
        instance->i_vars->SetVar(kVariableUserIdBase + i, -1, &value);
    }
    Value_SetString(value, "text");
    Variable_GlobalList().SetVar(kVariableUserIdBase + 3, -1, &value);
    instance->i_vars->SetVar(kVariableUserIdBase + 3, -1, &value);
    Value_Free(value);

    DebugForm form(false);
    form.Update();  // the first one loads the saved state
    form.View().pages[kDebugGlobalsPage].visible = true;
    const int32_t locals = form.ShowLocals(100042);
    form.Update();
    auto shownValues = [&form](int32_t page, size_t skipped) {
        std::vector<std::string> values;
        const std::vector<std::vector<std::string>>& rows = form.View().pages[static_cast<size_t>(page)].rows;
        for (size_t row = skipped; row < rows.size(); ++row) {
            values.push_back(rows[row][1]);
        }
        std::sort(values.begin(), values.end());
        return values;
    };
    const std::vector<std::string> expected = {"0.3333333333", "0.50", k1e100, "text"};
    EXPECT_EQ(shownValues(kDebugGlobalsPage, 24), expected) << "after the 24 built-in globals";
    EXPECT_EQ(shownValues(locals, 0), expected);
}

TEST_F(DebugWindowTest, LabelsShowTheLastFramesCountsAndTheFirstInstanceUnderTheMouse)
{
    Device_Set(std::make_unique<RecordingDevice>());
    TextureRecord first(1, 1, 1);
    TextureRecord second(1, 1, 1);
    first.texture = 1;
    second.texture = 2;
    GR_D3D_SetTexture(0, &first);
    GR_ResetTextureSwaps();  // a frame begins that changes texture three times
    for (TextureRecord* texture : {&second, &first, &second}) {
        GR_D3D_SetTexture(0, texture);
    }
    GR_ResetTextureSwaps();  // and the next one is under way
    GR_D3D_SetTexture(0, &first);

    AddObject(0, test::kBlockSprite);
    const auto mouseX = static_cast<float>(IO_MouseX(0));
    const auto mouseY = static_cast<float>(IO_MouseY(0));
    AddInstance(0, 100001)->SetPosition(mouseX + 100, mouseY);  // the block lies beside the mouse
    AddInstance(0, 100002)->SetPosition(mouseX - 4, mouseY - 4);
    AddInstance(0, 100003)->SetPosition(mouseX - 8, mouseY - 8);
    DebugForm form(false);
    form.Update();
    const std::vector<std::string>& labels = form.View().labels;
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Num Tex Swaps: 3"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Num Vertex Batches: 0"), labels.end()) << "no batch drawn";
    EXPECT_NE(std::find(labels.begin(), labels.end(), "mouse id: 100002"), labels.end());

    for (CInstance* instance : {Instance_Find(100002), Instance_Find(100003)}) {
        instance->SetPosition(mouseX + 200, mouseY);
    }
    form.Update();
    EXPECT_NE(std::find(labels.begin(), labels.end(), "mouse id: -1"), labels.end()) << "none holds it";
    Device_Set(nullptr);
}

TEST_F(DebugWindowTest, AFrameShowsLabelsWatchesAndPagesOffscreen)
{
    AddInstance(AddObject(0)->index, 100007);
    DebugForm form(true);
    if (!form.HasWindow()) GTEST_SKIP() << "no window with a GL context here";
    form.Window()->Window().SetCapture(true);
    form.AddWatch("1/3");
    form.AddWatch("1+");
    form.ConsoleOutput("Entering main loop.\n");
    form.Update();  // the first one loads the saved state
    form.View().pages[kDebugInstancesPage].visible = true;
    form.View().pages[kDebugMessagesPage].visible = true;
    for (int frame = 0; frame < 3; ++frame) {
        form.Update();
    }
    const DebugFormView& view = form.View();
    EXPECT_NE(std::find(view.labels.begin(), view.labels.end(), "inst: 1"), view.labels.end());
    ASSERT_EQ(view.pages[kDebugInstancesPage].rows.size(), 1u);
    EXPECT_EQ(view.pages[kDebugInstancesPage].rows[0][0], "100007");

    HostImGuiWindow& window = form.Window()->Window();
    std::vector<uint32_t> pixels = window.CapturedPixels();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(window.Width()) * static_cast<size_t>(window.Height()));
    EXPECT_GT(std::set<uint32_t>(pixels.begin(), pixels.end()).size(), 3u) << "the form drew its text and lists";
    char* here = GetWorkingDirectory();
    test::ScopedEnv data("XDG_DATA_HOME", (std::string(here) + "/debug_smoke").c_str());
    MemoryManager_Free(here);
    ASSERT_TRUE(Files_SetSaveFolderName("debug", false));
    auto* bytes = reinterpret_cast<uint8_t*>(pixels.data());
    Bitmap_SwapRedBlue(bytes, window.Width(), window.Height());
    EXPECT_TRUE(write_png_file("debug_window.png", bytes, window.Width(), window.Height()));
}

}  // namespace
}  // namespace bw
