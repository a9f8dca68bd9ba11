// What is drawn over or instead of the game image: the shown virtual keys
// and the start-up splash.
#include <gtest/gtest.h>

#include <vector>

#include "draw_fixture.h"
#include "graphics/graphics_3d.h"
#include "graphics/main_window.h"
#include "graphics/render_state.h"
#include "graphics/splash.h"
#include "graphics/virtual_keys_draw.h"
#include "host/window.h"
#include "world/input_virtual_keys.h"

namespace bw {
namespace {

class FrameOverlaysTest : public DrawTest {
protected:
    void TearDown() override
    {
        IO_VirtualKey_ClearAll();
        DrawTest::TearDown();
    }

    static void PlaceKey(int32_t index, uint16_t flags, int32_t x, int32_t y, int32_t w, int32_t h)
    {
        VirtualKey* key = IO_VirtualKey_Get(index);
        ASSERT_NE(key, nullptr);
        *key = VirtualKey{flags, static_cast<uint16_t>(index), x, y, x + w, y + h, w, h, 0, 0, 'A', 0};
    }
};

TEST_F(FrameOverlaysTest, ShownVirtualKeysAreWhiteQuadsAtHalfDepth)
{
    PlaceKey(3, kVirtualKeyActive | kVirtualKeyShown, 10, 20, 20, 20);
    PlaceKey(5, kVirtualKeyActive, 0, 0, 8, 8);  // active but hidden
    IO_VirtualKeys_Draw();
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].type, PrimitiveTriangleList);
    const std::vector<Vertex2DTex> vertices = batches[0].As<Vertex2DTex>();
    ASSERT_EQ(vertices.size(), 6u);
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const Vertex2DTex& v : vertices) {
        EXPECT_EQ(v.colour, 0xFFFFFFFFu);
        EXPECT_EQ(v.z, 0.5f);
        left = std::min(left, v.x), top = std::min(top, v.y);
        right = std::max(right, v.x), bottom = std::max(bottom, v.y);
    }
    EXPECT_EQ(left, 10.0f);
    EXPECT_EQ(top, 20.0f);
    EXPECT_EQ(right, 30.0f);
    EXPECT_EQ(bottom, 40.0f);
}

TEST_F(FrameOverlaysTest, ShownVirtualKeysLeaveThreeDModeAsTheGameSetIt)
{
    GR_3D_Set(true);
    GR_3D_SetPerspective(false);
    PlaceKey(0, kVirtualKeyActive | kVirtualKeyShown, 0, 0, 8, 8);
    IO_VirtualKeys_Draw();
    EXPECT_EQ(Drawn().size(), 1u) << "the keys are drawn before 3D mode comes back";
    EXPECT_TRUE(GR_3D_IsOn());
    EXPECT_FALSE(GR_3D_GetPerspective());
    EXPECT_TRUE(GR_3D_GetHidden());
    GR_3D_Set(false);
}

TEST_F(FrameOverlaysTest, NoShownKeyDrawsNothing)
{
    PlaceKey(0, kVirtualKeyActive, 0, 0, 8, 8);
    IO_VirtualKeys_Draw();
    EXPECT_TRUE(Drawn().empty());
    EXPECT_TRUE(device->Find("SetTransform").empty());
}

TEST_F(FrameOverlaysTest, SplashCoversTheWindowWithTheWholeImage)
{
    ASSERT_TRUE(MainWindow_Create(80, 48, 0, nullptr));
    Splash_DrawImage();
    int32_t width = 0, height = 0;
    HostWindow_GetClientSize(width, height);
    const std::vector<Vertex2DTex> vertices = DrawnTextured();
    ASSERT_EQ(vertices.size(), 6u);
    for (const Vertex2DTex& v : vertices) {
        EXPECT_EQ(v.colour, 0xFFFFFFFFu);
        EXPECT_TRUE(v.x == 0.0f || v.x == static_cast<float>(width)) << v.x;
        EXPECT_TRUE(v.y == 0.0f || v.y == static_cast<float>(height)) << v.y;
        EXPECT_EQ(v.u, v.x == 0.0f ? 0.0f : 1.0f);
        EXPECT_EQ(v.v, v.y == 0.0f ? 0.0f : 1.0f);
    }
    MainWindow_Destroy();
}

}  // namespace
}  // namespace bw
