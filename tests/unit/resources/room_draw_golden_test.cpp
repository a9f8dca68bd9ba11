// Whole rooms drawn on the OpenGL back end (headless), against golden images.
#include <filesystem>

#include "unit/graphics/gl_golden_fixture.h"
#include "graphics/device/gl/gl_device.h"
#include "graphics/game_window.h"
#include "resources/room_draw.h"
#include "graphics/screen.h"
#include "graphics/texture_records.h"
#include "graphics/textures.h"
#include "host/window.h"
#include "unit/graphics/recording_fixture.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "support/png_file.h"
#include "unit/world/world_fixture.h"

namespace bw::test {
namespace {

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 64;
constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;
constexpr uint32_t kDark = 0xFF303040u, kLight = 0xFF8080A0u;

// side x side pixels coloured by quadrant: top left, top right, bottom left, bottom right.
std::vector<uint32_t> Quadrants(int32_t side, const uint32_t (&colours)[4])
{
    std::vector<uint32_t> pixels(static_cast<size_t>(side * side));
    for (int32_t y = 0; y < side; ++y) {
        for (int32_t x = 0; x < side; ++x) {
            pixels[static_cast<size_t>(y * side + x)] = colours[(y * 2 / side) * 2 + x * 2 / side];
        }
    }
    return pixels;
}

class RoomGoldenTest : public WorldTest {
protected:
    static void SetUpTestSuite() { HiddenWindowTestOf<0>::SetUpTestSuite(); }
    static void TearDownTestSuite() { HiddenWindowTestOf<0>::TearDownTestSuite(); }

    void SetUp() override
    {
        WorldTest::SetUp();
        ResetGraphicsEngine();
        GR_SetProjectionReferenceSource(&Room_ProjectionReference);
        Window_SetColour(0x000000);
        ASSERT_TRUE(GR_D3D_Init(kWidth, kHeight, 0));
        Texture_ResetTable();
        Window_ResetViewMappings();
        room.width = kWidth;
        room.height = kHeight;
        room.colour = 0x604020;
        ASSERT_TRUE(GR_D3D_Start_Frame());
    }

    void TearDown() override
    {
        GR_D3D_Finish_Frame(false);
        Sprite_FreeAll();
        Background_FreeAll();
        Texture_FreeAll();
        Window_ResetViewMappings();
        Window_SetBufferScale(1.0f, 1.0f);
        GR_D3D_FreeScreen();
        ResetGraphicsEngine();
        GR_D3D_Shutdown();
        GR_SetProjectionReferenceSource(nullptr);
        WorldTest::TearDown();
    }

    static int32_t MakeSprite(const std::vector<uint32_t>& pixels, int32_t side, int32_t origin)
    {
        const int32_t index = Sprite_CreateFromSurface();
        EXPECT_TRUE(Sprite_Get(index)->LoadFromBitmap(pixels.data(), side, side, 1, false, false, false, origin,
                                                      origin, true));
        return index;
    }

    // Backgrounds are made from image files, as game code makes them.
    static int32_t MakeBackground(const std::vector<uint32_t>& pixels, int32_t side)
    {
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "bw_room_golden_background.png";
        PngImage image{side, side, pixels};
        EXPECT_TRUE(Png_Write(file.string(), image));
        const int32_t index = Background_CreateNew();
        EXPECT_TRUE(Background_Get(index)->LoadFromFile(file.string().c_str(), false, false, true, true));
        std::filesystem::remove(file);
        return index;
    }

    CInstance* Place(float x, float y, int32_t sprite)
    {
        auto* instance = new CInstance(x, y, nextId++, -1, true);
        instance->i_spriteindex = sprite;
        instance->i_visible = 1;
        InstanceHash_Insert(instance->i_id, instance);
        room.activeInstances.InsertByDepth(instance);
        return instance;
    }

    static void ExpectGolden(const char* name, size_t tolerance)
    {
        ExpectGoldenTexture(GR_GetScreenTexture()->texture, kWidth, kHeight, name, tolerance);
    }
};

TEST_F(RoomGoldenTest, ATiledBackgroundAndSpritesThroughTwoViews)
{
    const int32_t checker = MakeBackground(Quadrants(8, {kDark, kLight, kLight, kDark}), 8);
    const int32_t block = MakeSprite(Quadrants(8, {kRed, kGreen, kBlue, kWhite}), 8, 0);
    room.width = 2 * kWidth;
    room.backgrounds[0] = RoomBackground{1, 0, checker, 3, 2, 1, 1};
    Place(10, 10, block);
    Place(44, 40, block);  // half in the left view
    Place(150, 30, block)->i_imagescalex = 2.0f;
    room.viewsEnabled = 1;
    // The left half of the image shows the room's start, the right half a
    // stretch further on, with a strip of the window colour between them.
    room.views[0] = RoomView{1, 0, 0, 46, 64, 0, 0, 46, 64};
    room.views[1] = RoomView{1, 120, 0, 48, 64, 48, 0, 48, 64};

    Room_Draw();

    ExpectGolden("room_two_views.png", 0);
}

TEST_F(RoomGoldenTest, ASpriteTurnedScaledAndBlended)
{
    const int32_t sprite = MakeSprite(Quadrants(16, {kRed, kGreen, kBlue, kWhite}), 16, 8);
    CInstance* instance = Place(48, 32, sprite);
    instance->i_imagescalex = 2.0f;
    instance->i_imagescaley = 1.5f;
    instance->i_imageangle = 30.0f;
    instance->i_imageblend = 0x00FFFF;  // yellow: blue goes black, white turns yellow
    instance->i_imagealpha = 0.75f;

    Room_Draw();

    ExpectGolden("room_sprite_transformed.png", 24);
}

}  // namespace
}  // namespace bw::test
