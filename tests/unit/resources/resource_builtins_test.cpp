// The resource built-ins from game code: BWL programs run headless against
// the resource tables, the objects and the rooms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code_fixture.h"
#include "game_folder.h"
#include "graphics/bitmap32.h"
#include "platform/package_loader.h"
#include "resources/background.h"
#include "resources/font_table.h"
#include "resources/graphic_builtins_resources.h"
#include "resources/path.h"
#include "resources/resource_builtins.h"
#include "resources/text.h"
#include "script_chunk.h"
#include "sprite_test_support.h"
#include "world/instance.h"
#include "world/room_table.h"
#include "world/run_room_change.h"

namespace bw::test {
namespace {

class ResourceBuiltinsTest : public ResourceCodeTest {
protected:
    // Built-ins of the code version under test, and record() again.
    void LoadResources() override
    {
        Code_Function_Free();
        Package().codeVersion = CodeVersion();
        Function_Resource_Register();
        AddBuiltin("record", &Record, kBuiltinArgCountAny);
        Sprite_ClearTable();
        Background_ClearTable();
        Path_ClearTable();
        Font_ClearTable();
        Room_ClearTable();
    }
    virtual int32_t CodeVersion() const { return kCodeVersionGen8; }

    void TearDown() override
    {
        Sprite_ClearTable();
        Background_ClearTable();
        Path_ClearTable();
        Font_ClearTable();
        Room_ClearTable();
        Package().codeVersion = kCodeVersionGen8;
        Code_Function_Free();
        ResourceCodeTest::TearDown();
    }

    std::string LastError() const
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }
};

// ---- argument forms by code version -------------------------------------

struct FormCase {
    const char* name;
    int32_t argsFrom800;  // kFunctionArgCountNone: not registered
    int32_t argsBelow800;
};

constexpr int32_t kNone = kFunctionArgCountNone;
constexpr FormCase kForms[] = {
    {"sprite_add", 6, 8},
    {"sprite_replace", 7, 9},
    {"sprite_add_alpha", kNone, 6},
    {"sprite_replace_alpha", kNone, 7},
    {"sprite_create_from_screen", 8, 10},
    {"sprite_create_from_surface", 9, 11},
    {"sprite_add_from_screen", 7, 5},
    {"sprite_add_from_surface", 8, 6},
    {"sprite_add_sprite", 1, kNone},
    {"sprite_save_strip", 2, kNone},
    {"background_add", 3, 4},
    {"background_replace", 4, 5},
    {"background_add_alpha", kNone, 2},
    {"background_create_color", 3, 4},
    {"background_create_gradient", 5, 6},
    {"background_create_from_screen", 6, 7},
    {"background_create_from_surface", 7, 8},
    {"background_replace_background", 2, kNone},
    {"sprite_get_width", 1, 1},
};

class ResourceBuiltinsVersionTest : public ResourceBuiltinsTest, public ::testing::WithParamInterface<int32_t> {
protected:
    int32_t CodeVersion() const override { return GetParam(); }
};

TEST_P(ResourceBuiltinsVersionTest, ArgumentListsFollowTheCodeVersion)
{
    const bool from800 = GetParam() >= kCodeVersionGen8;
    for (const FormCase& form : kForms) {
        int32_t id = -1;
        Code_Function_Find(form.name, &id);
        EXPECT_EQ(Code_Function_GetArgCount(id), from800 ? form.argsFrom800 : form.argsBelow800) << form.name;
    }
    // The compiler holds calls to the registered list.
    const std::string sixArguments = Run("sprite_add(\"none.png\", 1, 0, 0, 0, 0);");
    EXPECT_EQ(sixArguments.find("error:") == std::string::npos, from800) << sixArguments;
}

INSTANTIATE_TEST_SUITE_P(CodeVersions, ResourceBuiltinsVersionTest,
                         ::testing::Values(kCodeVersionGen7, kCodeVersionGen8));

// ---- sprites and backgrounds ---------------------------------------------

class ResourceFileBuiltinsTest : public ResourceBuiltinsTest {
protected:
    GameFolder game{"ResourceBuiltins"};
};

std::vector<uint32_t> PixelsOf(const CBitmap32* bitmap)
{
    if (bitmap == nullptr) {
        return {};
    }
    const uint32_t* pixels = bitmap->Pixels();
    return {pixels, pixels + static_cast<size_t>(bitmap->Width()) * static_cast<size_t>(bitmap->Height())};
}

TEST_F(ResourceFileBuiltinsTest, SavedImagesComeBackWithIdenticalPixels)
{
    const std::string ran = Run(R"(
        g = background_create_gradient(5, 3, $0000FF, $00FF80, 0);
        background_save(g, "gradient.png");
        b = background_add("gradient.png", 0, 0);
        s = sprite_add("gradient.png", 1, 0, 0, 0, 0);
        sprite_save(s, 0, "frame.png");
        t = sprite_add("frame.png", 1, 0, 0, 0, 0);
        sprite_save_strip(t, "strip.png");
        u = sprite_add("strip.png", 1, 0, 0, 0, 0);
        record(g, b, s, t, u);
    )");
    ASSERT_EQ(ran, "0 1 0 1 2\n");
    const std::vector<uint32_t> gradient = PixelsOf(Background_Get(0)->GetBitmap());
    ASSERT_EQ(gradient.size(), 15u);
    EXPECT_NE(gradient.front(), gradient.back());
    EXPECT_EQ(PixelsOf(Background_Get(1)->GetBitmap()), gradient);
    for (int32_t sprite = 0; sprite < 3; ++sprite) {
        EXPECT_EQ(PixelsOf(Sprite_Get(sprite)->GetFrameBitmap(0)), gradient) << sprite;
    }
}

TEST_F(ResourceBuiltinsTest, PackageSpritesAnswerQueriesButMustBeDuplicatedBeforeMerging)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    EXPECT_EQ(Run(R"(sprite_set_offset(0, 3, -2);
                     record(sprite_get_number(0), sprite_get_width(0), sprite_get_height(0), sprite_get_name(0),
                            sprite_get_xoffset(0), sprite_get_yoffset(0));)"),
              "2 4 2 spr_test 3 -2\n");
    Recorded().clear();
    EXPECT_EQ(Run("sprite_merge(0, 0);"), "");
    EXPECT_NE(LastError().find("requires the destination sprite to have been duplicated"), std::string::npos)
        << LastError();
    EXPECT_EQ(Run("sprite_merge(5, 0);"), "");
    EXPECT_NE(LastError().find("Trying to merge to non-existing sprite."), std::string::npos);
    EXPECT_EQ(Run("sprite_merge(0, 5);"), "");
    EXPECT_NE(LastError().find("Trying to merge from non-existing sprite."), std::string::npos);
    EXPECT_EQ(Run("sprite_save(0, 0, \"\");"), "");
    EXPECT_NE(LastError().find("Trying to save sprite bitmap to empty image file name."), std::string::npos);
}

TEST_F(ResourceBuiltinsTest, FailedCapturesMakeNoResource)
{
    // No device: nothing can be read from the screen or a surface.
    EXPECT_EQ(Run(R"(record(sprite_create_from_screen(0, 0, 4, 4, 0, 0, 0, 0),
                            sprite_create_from_surface(0, 0, 0, 4, 4, 0, 0, 0, 0),
                            background_create_from_screen(0, 0, 4, 4, 0, 0));)"),
              "-1 -1 -1\n");
    EXPECT_EQ(Sprite_Count(), 0);
    EXPECT_EQ(Background_Count(), 0);
}

TEST_F(ResourceBuiltinsTest, QueriesOfMissingResourcesGiveMinusOne)
{
    EXPECT_EQ(Run(R"(record(sprite_get_width(3), background_get_height(0), font_get_size(0), path_get_length(0),
                            object_get_depth(7), sprite_exists(0), sprite_get_name(4));)"),
              "-1 -1 -1 -1 -1 0 <undefined>\n");
}

// ---- deleted resources in use ---------------------------------------------

TEST_F(ResourceBuiltinsTest, DeletedSpritesAndFontsAreNoLongerReachedByWhatUsedThem)
{
    Function_Graphic_Register();
    AddBuiltin("record", &Record, kBuiltinArgCountAny);
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    EXPECT_EQ(Run(R"(
        sprite_index = 0;
        f = font_add_sprite(0, 32, 1, 0);
        sprite_delete(0);
        draw_set_font(f);
        record(sprite_exists(0), string_width("ab") >= 0, bbox_right - bbox_left, sprite_width);
        draw_self();
        font_delete(f);
        draw_text(0, 0, "ab");
        record(font_exists(f), string_width("ab") > 0);
    )"),
              "0 1 0 0\n0 1\n");
    // The default font it fell back to was made without a device.
    GR_Text_SetFont(-1);
    GR_Text_Shutdown();
}

// ---- scripts, timelines, objects ------------------------------------------

TEST_F(ResourceBuiltinsTest, ScriptExecutePassesItsValuesAndRestoresTheCount)
{
    const ChunkImage image = ScriptChunk({{"scr_count", "record(argument_count, argument0, argument14); return argument1;"}});
    ASSERT_TRUE(LoadScripts(image));
    ASSERT_TRUE(Script_Prepare()) << Code_Error_PendingMessage();
    EXPECT_EQ(Run(R"(
        record(script_execute(0, "a", "b", 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        record(argument_count);
        script_execute(0, 1);
        script_execute(4);
    )"),
              "15 a 15\nb\n0\n1 1 0\n");
    EXPECT_NE(LastError().find("Trying to execute non-existing script."), std::string::npos);
}

TEST_F(ResourceBuiltinsTest, TimelinesCannotBeMadeByGameCode)
{
    EXPECT_EQ(Run("record(timeline_add(), timeline_exists(0)); timeline_delete(0);"), "-1 0\n");
    EXPECT_NE(LastError().find("Trying to delete non-existing timeline."), std::string::npos);
}

TEST_F(ResourceBuiltinsTest, ParentChainsNeverLoop)
{
    for (int32_t index = 1; index <= 3; ++index) {
        AddObject(index);
    }
    const char* const program = R"(
        object_set_parent(2, 1);
        object_set_parent(3, 2);
        record(object_is_ancestor(3, 1), object_is_ancestor(1, 3), object_is_ancestor(9, 1));
        object_set_parent(1, 3);
        object_set_parent(1, 1);
        object_set_parent(1, 9);
        object_set_parent(3, -1);
        record(object_get_parent(1), object_get_parent(2), object_get_parent(3));
    )";
    EXPECT_EQ(Run(program), "1 0 -1\n-1 1 -1\n");
    EXPECT_NE(LastError().find("Setting a non-existing parent."), std::string::npos);
    EXPECT_EQ(Run("object_set_parent(1, 1);"), "1 0 -1\n-1 1 -1\n");
    EXPECT_NE(LastError().find("Creating a cycle in the parent relation."), std::string::npos);
}

// ---- rooms and assets -------------------------------------------------------

TEST_F(ResourceBuiltinsTest, RoomViewsZeroToSevenAreSetAndEightIsNot)
{
    EXPECT_EQ(Run(R"(
        r = room_add();
        for (n = 0; n <= 8; n += 1) {
            room_set_view(r, n, 1, n, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0);
        }
        record(r);
    )"),
              "0\n");
    const CRoom* room = Room_Get(0);
    ASSERT_NE(room, nullptr);
    for (int32_t n = 0; n < kRoomViewCount; ++n) {
        const RoomView& view = room->views[static_cast<size_t>(n)];
        EXPECT_EQ(view.visible, 1);
        EXPECT_EQ(view.xview, n);
        EXPECT_EQ(view.hborder, 9);
        EXPECT_EQ(view.vspeed, 12);
        EXPECT_EQ(view.object, 0);
    }
}

TEST_F(ResourceBuiltinsTest, InstancesAddedToANewRoomAreMadeWhenItIsEntered)
{
    ASSERT_EQ(Run("r = room_add(); record(r, room_instance_add(r, 10, 20, 0) < room_instance_add(r, 30, 40, 0));"),
              "0 1\n");
    Run_GotoRoom(0);
    const CRoom* entered = Room_Current();
    ASSERT_NE(entered, nullptr);
    std::vector<std::pair<float, float>> places;
    for (CInstance* instance = entered->activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        places.emplace_back(instance->i_x, instance->i_y);
    }
    EXPECT_EQ(places, (std::vector<std::pair<float, float>>{{10.0f, 20.0f}, {30.0f, 40.0f}}));
    Run_EndGame();
    Room_SetCurrent(&room, 0);
}

TEST_F(ResourceBuiltinsTest, AssetNamesAreResourcesOnlyFoundObjectsFirst)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    const std::string ran = Run(R"(
        p = path_add();
        record(asset_get_type("spr_test"), asset_get_type("__newpath0"), asset_get_type("c_red"),
               asset_get_index("__newpath0"), asset_get_index("c_red"), asset_get_index(3));
    )");
    EXPECT_EQ(ran, "1 5 -1 0 -1 -1\n");
    Object_Find(0)->SetName("spr_test");
    EXPECT_EQ(Run("record(asset_get_type(\"spr_test\"));").substr(ran.size()), "0\n");
}

}  // namespace
}  // namespace bw::test
