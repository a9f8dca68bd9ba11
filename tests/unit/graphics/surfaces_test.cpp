// Surfaces on the recording device: the table, targets, drawing, reading and saving.
#include "graphics/surfaces.h"

#include <cmath>

#include "draw_fixture.h"
#include "graphics/png_image.h"
#include "host/atomic_file.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

class Surfaces : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        // The frame's own entry at the bottom of the stack, as during a frame.
        ASSERT_TRUE(GR_PushRenderTarget());
        baseDepth = GR_RenderTargetDepth();
    }
    int32_t baseDepth = 0;
};

TEST_F(Surfaces, IdsAreReusedAfterFree)
{
    const int32_t a = Surface_Create(100, 50);
    const int32_t b = Surface_Create(8, 8);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    EXPECT_EQ(Surface_Width(a), 100);
    EXPECT_EQ(Surface_Height(a), 50);
    Surface_Free(a);
    EXPECT_FALSE(Surface_Exists(a));
    EXPECT_EQ(Surface_Width(a), -1);
    EXPECT_EQ(Surface_Create(4, 4), a);
}

TEST_F(Surfaces, FailedCreationLeavesTheSlotFree)
{
    device->textureCreationsLeft = 0;
    EXPECT_EQ(Surface_Create(16, 16), -1);
    device->textureCreationsLeft = -1;
    EXPECT_EQ(Surface_Create(16, 16), 0);
}

TEST_F(Surfaces, DrawingCoversTheRequestedSizeWithTheWholeTexture)
{
    const int32_t id = Surface_Create(100, 50);
    Surface_Draw(id, 10, 3);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[2].x, 110.0f);
    EXPECT_FLOAT_EQ(v[2].y, 53.0f);
    EXPECT_FLOAT_EQ(v[2].u, 1.0f);  // render targets are made at their exact size
    EXPECT_FLOAT_EQ(v[2].v, 1.0f);
}

TEST_F(Surfaces, SettingTheCurrentTargetAgainPushesNothing)
{
    const int32_t id = Surface_Create(16, 16);
    ASSERT_TRUE(Surface_SetTarget(id));
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth + 1);
    EXPECT_TRUE(Surface_SetTarget(id));
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth + 1);
    EXPECT_EQ(Surface_GetCurrent(), id);
}

TEST_F(Surfaces, SettingAnotherSurfaceResetsTheFirst)
{
    const int32_t a = Surface_Create(16, 16);
    const int32_t b = Surface_Create(32, 32);
    ASSERT_TRUE(Surface_SetTarget(a));
    ASSERT_TRUE(Surface_SetTarget(b));
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth + 1);
    EXPECT_EQ(device->GetRenderTarget(), Texture_Get(Surface_GetTexture(b))->texture);
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth);
    EXPECT_EQ(Surface_GetCurrent(), -1);
}

TEST_F(Surfaces, TargetGetsItsOwnViewAndResetRestoresTheOldOne)
{
    GR_SetViewport(1, 2, 300, 200);
    GR_SetViewProjection(5, 6, 300, 200, 0);
    const int32_t id = Surface_Create(40, 30);
    ASSERT_TRUE(Surface_SetTarget(id));
    int32_t vp[4];
    GR_GetViewport(vp[0], vp[1], vp[2], vp[3]);
    EXPECT_EQ((std::vector<int32_t>(vp, vp + 4)), (std::vector<int32_t>{0, 0, 40, 30}));
    ASSERT_TRUE(Surface_ResetTarget());
    GR_GetViewport(vp[0], vp[1], vp[2], vp[3]);
    EXPECT_EQ((std::vector<int32_t>(vp, vp + 4)), (std::vector<int32_t>{1, 2, 300, 200}));
    float x, y, w, h, angle;
    GR_GetViewProjection(x, y, w, h, angle);
    EXPECT_FLOAT_EQ(x, 5.0f);
    EXPECT_FLOAT_EQ(w, 300.0f);
}

TEST_F(Surfaces, ResetWithNoSurfaceCurrentLeavesTheFramesTargetAlone)
{
    EXPECT_FALSE(Surface_ResetTarget());
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth);
    const int32_t id = Surface_Create(16, 16);
    ASSERT_TRUE(Surface_SetTarget(id));
    EXPECT_TRUE(Surface_ResetTarget());
    EXPECT_FALSE(Surface_ResetTarget());
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth);
}

TEST_F(Surfaces, FreeingTheCurrentTargetRestoresTheScreenFirst)
{
    const DeviceTextureId screen = device->GetRenderTarget();
    const int32_t id = Surface_Create(16, 16);
    ASSERT_TRUE(Surface_SetTarget(id));
    Surface_Free(id);
    EXPECT_EQ(Surface_GetCurrent(), -1);
    EXPECT_EQ(GR_RenderTargetDepth(), baseDepth);
    EXPECT_EQ(device->GetRenderTarget(), screen);
}

TEST_F(Surfaces, TextureFlushEndsEverySurfaceButKeepsTheirTextures)
{
    const int32_t id = Surface_Create(16, 16);
    const int32_t texture = Surface_GetTexture(id);
    const size_t live = device->LiveTextures();
    GR_Texture_Flush();
    EXPECT_FALSE(Surface_Exists(id));
    EXPECT_TRUE(Texture_Exists(texture));
    EXPECT_EQ(device->LiveTextures(), live);
}

TEST_F(Surfaces, StretchedDrawingNeedsAPositiveSize)
{
    const int32_t id = Surface_Create(20, 10);
    Surface_DrawStretched(id, 0, 0, 0, 5, 0xFFFFFF, 1);
    Surface_DrawStretched(id, 0, 0, NAN, 5, 0xFFFFFF, 1);
    EXPECT_TRUE(DrawnTextured().empty());
    Surface_DrawStretched(id, 0, 0, 40, 5, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[2].x, 40.0f);
    EXPECT_FLOAT_EQ(v[2].y, 5.0f);
}

TEST_F(Surfaces, ReadsAreCutToTheSurface)
{
    const int32_t id = Surface_Create(4, 4);
    ASSERT_TRUE(Surface_SetTarget(id));
    GR_D3D_Clear(0x0000FF, 1.0f, 0, kClearTarget);
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_EQ(Surface_GetPixel(id, 1, 1), 0x0000FFu);
    EXPECT_EQ(Surface_GetPixel(id, 4, 0), 0u);
    int32_t w = 10, h = 10;
    EXPECT_EQ(Surface_ReadRect(id, -2, 1, &w, &h).size(), 12u);
    EXPECT_EQ(w, 4);  // 10 from -2 covers the whole width
    EXPECT_EQ(h, 3);
    w = 5;
    h = 5;
    EXPECT_TRUE(Surface_ReadRect(id + 1, 0, 0, &w, &h).empty());
}

class SurfaceSaving : public Surfaces {
protected:
    SurfaceSaving() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        m_root.Write("data/SurfaceGame/.keep", "");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("SurfaceGame", false));
    }
    test::ScratchFolder m_root;
    test::ScopedEnv m_data;
};

TEST_F(SurfaceSaving, SavedPartIsClippedToTheSurface)
{
    const int32_t id = Surface_Create(4, 3);
    ASSERT_TRUE(Surface_SetTarget(id));
    GR_D3D_Clear(0x00FF00, 1.0f, 0, kClearTarget);
    ASSERT_TRUE(Surface_ResetTarget());
    ASSERT_TRUE(Surface_SavePart(id, "part.png", 2, 1, 10, 10));
    EXPECT_FALSE(Surface_SavePart(id, "none.png", 4, 0, 2, 2));
    size_t size = 0;
    uint8_t* file = LoadSave_ReadSaveFile("part.png", &size);
    ASSERT_NE(file, nullptr);
    int32_t w = 0, h = 0;
    uint32_t* pixels = PNG_LoadImage(file, size, &w, &h, 0);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(pixels[3] & 0xFFFFFFu, 0x00FF00u);
    PNG_FreeImage(pixels);
    MemoryManager_Free(file);
}

// The saving built-ins answer nothing: a full disk must reach the log, with
// the file and the reason, and leave the old image as it was.
TEST_F(SurfaceSaving, ASaveThatDoesNotFitIsLoggedAndKeepsTheOldImage)
{
    static std::string heard;
    heard.clear();
    Console_SetDebugListener([](const char* line) { heard += line; });
    const std::string path = m_root.Write("data/SurfaceGame/shot.png", "old image");
    const int32_t id = Surface_Create(16, 16);
    HostFs_SimulateSpaceLeft(8);
    EXPECT_FALSE(Surface_Save(id, "shot.png"));
    HostFs_SimulateSpaceLeft(-1);
    Console_SetDebugListener(nullptr);
    EXPECT_NE(heard.find("ERROR!!! :: Failed to write file: " + path + " (write: No space left on device)\n"),
              std::string::npos)
        << heard;
    EXPECT_EQ(test::ScratchFolder::Read(path), "old image");
}

}  // namespace
}  // namespace bw
