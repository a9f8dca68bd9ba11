// The sprite, background and tile built-ins, called through the group's table.
#include <gmock/gmock.h>

#include <initializer_list>
#include <string>

#include "resources/graphic_builtins_resources.h"
#include "resources/resource_builtins.h"
#include "graphics/texture_pages.h"
#include "room_draw_fixture.h"
#include "script/error_report.h"

namespace bw::test {
namespace {

class SpriteBuiltinsTest : public RoomDrawTest {
protected:
    void SetUp() override
    {
        RoomDrawTest::SetUp();
        Code_Error_SetNoErrorsSwitch(true);
        self = Place(-1, 0.0f, 0.0f);
    }

    void TearDown() override
    {
        Code_Error_SetNoErrorsSwitch(false);
        RoomDrawTest::TearDown();
    }

    double Call(const char* name, std::initializer_list<double> reals)
    {
        std::vector<Value> args;
        for (double real : reals) {
            args.push_back(Real(real));
        }
        for (const auto& table : {GraphicBuiltins_SpritesToTiles(), ResourceBuiltins_Sprites(true),
                                  ResourceBuiltins_Backgrounds(true)}) {
            for (const BuiltinRegistration& entry : table) {
                if (std::string(entry.name) == name) {
                    EXPECT_EQ(entry.argc, static_cast<int32_t>(args.size())) << name;
                    Value result = Real(0.0);
                    entry.fn(&result, self, self, static_cast<int32_t>(args.size()), args.data());
                    return result.real;
                }
            }
        }
        ADD_FAILURE() << name << " is not in the table";
        return 0.0;
    }

    static std::string LastError()
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }

    // The width of each quad drawn so far.
    std::vector<float> DrawnWidths()
    {
        GR_VB_Flush();
        std::vector<float> widths;
        for (const RecordedCall* call : device->Draws()) {
            std::vector<Vertex2DTex> vertices(call->vertices.size() / sizeof(Vertex2DTex));
            std::memcpy(vertices.data(), call->vertices.data(), vertices.size() * sizeof(Vertex2DTex));
            const size_t perQuad = call->args[0] == PrimitiveTriangleFan ? 4 : 6;
            for (size_t first = 0; first + perQuad <= vertices.size(); first += perQuad) {
                float low = vertices[first].x, high = vertices[first].x;
                for (size_t i = first; i < first + perQuad; ++i) {
                    low = std::min(low, vertices[i].x);
                    high = std::max(high, vertices[i].x);
                }
                widths.push_back(high - low);
            }
        }
        device->ClearCalls();
        return widths;
    }

    // The device texture the last draw used.
    DeviceTextureId DrawnTexture()
    {
        GR_VB_Flush();
        DeviceTextureId texture = 0;
        for (const RecordedCall* call : device->Find("SetTexture")) {
            if (call->args[0] == 0) {
                texture = call->args[1];
            }
        }
        device->ClearCalls();
        return texture;
    }

    static DeviceTextureId FrameTexture(int32_t sprite, int32_t frame)
    {
        const TexturePageEntry* entry = Sprite_Get(sprite)->GetPageEntry(frame);
        return entry != nullptr ? Texture_Get(entry->textureId)->texture : 0;
    }

    // A strip of `frames` frames of 4 x 4.
    static int32_t MakeStrip(int32_t frames)
    {
        const int32_t index = Sprite_CreateFromSurface();
        std::vector<uint32_t> pixels(static_cast<size_t>(4 * frames * 4), 0xFFFFFFFFu);
        EXPECT_TRUE(Sprite_Get(index)->LoadFromBitmap(pixels.data(), 4 * frames, 4, frames, false, false, false, 0, 0,
                                                      true));
        return index;
    }

    CInstance* self = nullptr;
};

TEST_F(SpriteBuiltinsTest, SpriteIdsAreTruncatedWhileBackgroundIdsAreRounded)
{
    const int32_t narrow = MakeSprite(2, 2);  // index 1 (0 is the marker)
    MakeSprite(6, 6);
    MakeBackground(3, 3);
    MakeBackground(5, 5);
    ASSERT_EQ(narrow, 1);

    Call("draw_sprite", {1.7, 0, 10, 10});
    Call("draw_background", {0.7, 10, 10});

    EXPECT_EQ(DrawnWidths(), (std::vector<float>{2.0f, 5.0f}));
}

TEST_F(SpriteBuiltinsTest, MissingResourcesAreReportedAndDrawNothing)
{
    const struct {
        const char* name;
        std::initializer_list<double> args;
        const char* message;
    } cases[] = {
        {"draw_sprite", {9, 0, 0, 0}, "Trying to draw non-existing sprite."},
        {"draw_sprite_ext", {-1, 0, 0, 0, 1, 1, 0, 0, 1}, "Trying to draw non-existing sprite."},
        {"draw_self", {}, "Trying to draw non-existing sprite."},
        {"draw_background", {4, 0, 0}, "Trying to draw non-existing background."},
        {"draw_background_tiled_ext", {4, 0, 0, 1, 1, 0, 1}, "Trying to draw non-existing background."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Code_Error_ResetState();
        Call(c.name, c.args);
        EXPECT_THAT(LastError(), ::testing::HasSubstr(c.message));
        EXPECT_TRUE(DrawnWidths().empty());
    }
}

// -1 is what a refused or failed surface_create answers: a capture from it
// makes nothing, where the screen beside it can be read.
TEST_F(SpriteBuiltinsTest, CapturesFromSurfaceMinusOneMakeNothing)
{
    ASSERT_GE(Call("sprite_create_from_screen", {0, 0, 4, 4, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(Call("sprite_create_from_surface", {-1, 0, 0, 4, 4, 0, 0, 0, 0}), -1.0);
    EXPECT_EQ(Call("background_create_from_surface", {-1, 0, 0, 4, 4, 0, 0}), -1.0);
}

TEST_F(SpriteBuiltinsTest, ANegativeSubimageIsTheCallersFrameExceptForDrawSpritePos)
{
    const int32_t strip = MakeStrip(4);
    self->i_imageindex = 1.7f;

    Call("draw_sprite", {static_cast<double>(strip), -1, 0, 0});
    EXPECT_EQ(DrawnTexture(), FrameTexture(strip, 1));
    Call("draw_sprite_ext", {static_cast<double>(strip), 2.9, 0, 0, 1, 1, 0, 0xFFFFFF, 1});
    EXPECT_EQ(DrawnTexture(), FrameTexture(strip, 2));
    Call("draw_sprite_pos", {static_cast<double>(strip), -1.5, 0, 0, 4, 0, 4, 4, 0, 4, 1});
    EXPECT_EQ(DrawnTexture(), FrameTexture(strip, 3));  // -1, counted from the end
}

TEST_F(SpriteBuiltinsTest, DrawSelfDrawsTheCallersSpriteWithItsImageSettings)
{
    const int32_t strip = MakeStrip(2);
    self->i_spriteindex = strip;
    self->i_imageindex = 1.2f;
    self->i_imagescalex = 3.0f;

    Call("draw_self", {});

    EXPECT_EQ(DrawnTexture(), FrameTexture(strip, 1));
    Call("draw_self", {});
    EXPECT_EQ(DrawnWidths(), std::vector<float>{12.0f});
}

TEST_F(SpriteBuiltinsTest, TiledDrawersCoverTheRoom)
{
    room.width = 40;
    room.height = 8;
    const int32_t sprite = MakeSprite(4, 4);
    const int32_t background = MakeBackground(8, 8);

    // Copies reach the room's far edges (and no further than one period).
    Call("draw_sprite_tiled", {static_cast<double>(sprite), 0, 0, 0});
    std::vector<float> lefts = DrawnLefts();
    ASSERT_FALSE(lefts.empty());
    EXPECT_GE(*std::max_element(lefts.begin(), lefts.end()), 36.0f);
    EXPECT_LT(*std::max_element(lefts.begin(), lefts.end()), 44.0f);
    Call("draw_background_tiled_ext", {static_cast<double>(background), 0, 0, 2, 2, 0xFFFFFF, 1});
    lefts = DrawnLefts();
    ASSERT_FALSE(lefts.empty());
    EXPECT_GE(*std::max_element(lefts.begin(), lefts.end()), 24.0f);
    EXPECT_LT(*std::max_element(lefts.begin(), lefts.end()), 56.0f);
}

TEST_F(SpriteBuiltinsTest, TileAddMakesATileTheGettersRead)
{
    const int32_t background = MakeBackground(32, 32);
    const double id = Call("tile_add", {static_cast<double>(background), 1, 2, 3, 4, 5.5, 6.5, 7.5});
    ASSERT_GE(id, 0.0);

    const struct {
        const char* getter;
        double expected;
    } fields[] = {
        {"tile_get_x", 5.5},      {"tile_get_y", 6.5},         {"tile_get_left", 1},
        {"tile_get_top", 2},      {"tile_get_width", 3},       {"tile_get_height", 4},
        {"tile_get_depth", 7.5},  {"tile_get_visible", 1},     {"tile_get_xscale", 1},
        {"tile_get_yscale", 1},   {"tile_get_blend", 0xFFFFFF}, {"tile_get_alpha", 1},
        {"tile_get_background", static_cast<double>(background)},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(Call(field.getter, {id}), field.expected) << field.getter;
        EXPECT_EQ(Call(field.getter, {id + 1}), 0.0) << field.getter;
    }
    EXPECT_EQ(Call("tile_exists", {id}), 1.0);
    EXPECT_EQ(Call("tile_exists", {id + 1}), 0.0);
    EXPECT_EQ(LastError(), "");
    Call("tile_delete", {id});
    EXPECT_EQ(Call("tile_exists", {id}), 0.0);
}

TEST_F(SpriteBuiltinsTest, TileAddWithAMissingBackgroundMakesNothing)
{
    EXPECT_EQ(Call("tile_add", {3, 0, 0, 8, 8, 0, 0, 0}), -1.0);
    EXPECT_THAT(LastError(), ::testing::HasSubstr("Background does not exist."));
    EXPECT_EQ(room.TileCount(), 0);
}

TEST_F(SpriteBuiltinsTest, TileSettersChangeTheTileAndReportAMissingOne)
{
    const int32_t background = MakeBackground(32, 32);
    const double id = Call("tile_add", {static_cast<double>(background), 0, 0, 8, 8, 0, 0, 0});

    Call("tile_set_position", {id, 10, 20});
    Call("tile_set_region", {id, 1, 2, 3, 4});
    Call("tile_set_scale", {id, 2, 3});
    Call("tile_set_blend", {id, 0x00FF00});
    Call("tile_set_alpha", {id, 0.25});
    Call("tile_set_depth", {id, -5});
    Call("tile_set_visible", {id, 0.4});
    Call("tile_set_background", {id, 99});  // not checked

    const RoomTile& tile = *room.TileAt(0);
    EXPECT_EQ(tile.x, 10.0f);
    EXPECT_EQ(tile.y, 20.0f);
    EXPECT_EQ(tile.left, 1);
    EXPECT_EQ(tile.height, 4);
    EXPECT_EQ(tile.xscale, 2.0f);
    EXPECT_EQ(tile.yscale, 3.0f);
    EXPECT_EQ(tile.blend, 0x00FF00u);
    EXPECT_EQ(tile.alpha, 0.25f);
    EXPECT_EQ(tile.depth, -5.0f);
    EXPECT_EQ(tile.visible, 0);
    EXPECT_EQ(tile.background, 99);
    EXPECT_EQ(LastError(), "");

    for (const char* setter : {"tile_set_visible", "tile_set_depth", "tile_set_blend", "tile_set_alpha"}) {
        Code_Error_ResetState();
        Call(setter, {id + 1, 1});
        EXPECT_THAT(LastError(), ::testing::HasSubstr("Tile does not exist.")) << setter;
    }
    Code_Error_ResetState();
    Call("tile_delete", {id + 1});
    EXPECT_THAT(LastError(), ::testing::HasSubstr("Tile does not exist."));
    EXPECT_EQ(room.TileCount(), 1);
}

TEST_F(SpriteBuiltinsTest, TilesAreFoundAndDeletedByPositionAndLayer)
{
    const int32_t background = MakeBackground(32, 32);
    const double back = Call("tile_add", {static_cast<double>(background), 0, 0, 10, 10, 0, 0, 5});
    const double front = Call("tile_add", {static_cast<double>(background), 0, 0, 10, 10, 0, 0, -5});
    const double other = Call("tile_add", {static_cast<double>(background), 0, 0, 10, 10, 20, 0, 5});

    EXPECT_EQ(Call("tile_find", {5, 5, 0}), back);
    EXPECT_EQ(Call("tile_find", {5, 5, 1}), front);
    EXPECT_EQ(Call("tile_find", {15, 5, 0}), -1.0);
    EXPECT_EQ(Call("tile_layer_find", {5, 25, 5}), other);
    EXPECT_EQ(Call("tile_layer_find", {-5, 25, 5}), -1.0);

    Call("tile_layer_shift", {5, 100, 0});
    EXPECT_EQ(Call("tile_get_x", {other}), 120.0);
    Call("tile_layer_hide", {5});
    EXPECT_EQ(Call("tile_get_visible", {back}), 0.0);
    Call("tile_layer_show", {5});
    EXPECT_EQ(Call("tile_get_visible", {back}), 1.0);
    Call("tile_layer_depth", {5, 7});
    EXPECT_EQ(Call("tile_get_depth", {back}), 7.0);

    Call("tile_delete_at", {105, 5, 0});
    EXPECT_EQ(Call("tile_exists", {back}), 0.0);
    Call("tile_layer_delete_at", {7, 125, 5});
    EXPECT_EQ(Call("tile_exists", {other}), 0.0);
    Call("tile_layer_delete", {-5});
    EXPECT_EQ(room.TileCount(), 0);
}

}  // namespace
}  // namespace bw::test
