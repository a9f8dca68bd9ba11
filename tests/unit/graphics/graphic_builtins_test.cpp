// The "Graphic.." group: its built-in table, and what its drawers record.
#include "graphics/graphic_builtins.h"
#include "resources/graphic_builtins_resources.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "unit/library/library_test_support.h"
#include "world/run_loop.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::ScriptValue;

// The order compiled packages were built against: name and argument count.
constexpr const char* kExpectedTable = R"(
display_get_width 0 display_get_height 0 display_get_colordepth 0 display_get_frequency 0
display_get_orientation 0 display_set_size 2 display_set_colordepth 1 display_set_frequency 1 display_set_all 4
display_test_all 4 display_reset 2 display_mouse_get_x 0 display_mouse_get_y 0 display_mouse_set 2
draw_enable_drawevent 1 window_set_visible 1 window_get_visible 0 window_set_fullscreen 1 window_get_fullscreen 0
window_set_showborder 1 window_get_showborder 0 window_set_showicons 1 window_get_showicons 0
window_set_stayontop 1 window_get_stayontop 0 window_set_sizeable 1 window_get_sizeable 0 window_set_caption 1
window_get_caption 0 window_set_cursor 1 window_get_cursor 0 window_set_color 1 window_get_color 0
window_set_position 2 window_set_size 2 window_set_rectangle 4 window_center 0 window_default 0 window_get_x 0
window_get_y 0 window_get_width 0 window_get_height 0 window_mouse_get_x 0 window_mouse_get_y 0
window_mouse_set 2 window_view_mouse_get_x 1 window_view_mouse_get_y 1 window_view_mouse_set 3
window_views_mouse_get_x 0 window_views_mouse_get_y 0 window_views_mouse_set 2 screen_save 1
screen_save_part 5 draw_getpixel 2 draw_set_color 1 draw_set_alpha 1 draw_get_color 0 draw_get_alpha 0
make_color 3 make_color_rgb 3 make_color_hsv 3 color_get_red 1 color_get_green 1 color_get_blue 1
color_get_hue 1 color_get_saturation 1 color_get_value 1 merge_color 3 draw_set_blend_mode 1
draw_set_blend_mode_ext 2 draw_set_color_write_enable 4 draw_set_alpha_test 1 draw_set_alpha_test_ref_value 1
draw_get_alpha_test 0 draw_get_alpha_test_ref_value 0 draw_clear 1 draw_clear_alpha 2 draw_point 2
draw_line 4 draw_line_width 5 draw_rectangle 5 draw_roundrect 5 draw_triangle 7 draw_circle 4 draw_ellipse 5
draw_arrow 5 draw_button 5 draw_healthbar 11 draw_path 4 draw_point_color 3 draw_line_color 6
draw_line_width_color 7 draw_rectangle_color 9 draw_roundrect_color 7 draw_triangle_color 10
draw_circle_color 6 draw_ellipse_color 7 draw_set_circle_precision 1 draw_primitive_begin 1
draw_primitive_begin_texture 2 draw_primitive_end 0 draw_vertex 2 draw_vertex_color 4 draw_vertex_texture 4
draw_vertex_texture_color 6 sprite_get_texture 2 background_get_texture 1 texture_exists 1
texture_set_interpolation 1 texture_set_blending 1 texture_set_repeat 1 texture_get_width 1
texture_get_height 1 texture_preload 1 texture_set_priority 2 draw_set_font 1 draw_set_halign 1
draw_set_valign 1 string_width 1 string_height 1 string_width_ext 3 string_height_ext 3 draw_text 3
draw_text_ext 5 draw_text_transformed 6 draw_text_ext_transformed 8 draw_text_color 8
draw_text_transformed_color 11 draw_text_ext_color 10 draw_text_ext_transformed_color 13 draw_self 0
draw_sprite 4 draw_sprite_ext 9 draw_sprite_pos 11 draw_sprite_stretched 6 draw_sprite_stretched_ext 8
draw_sprite_part 8 draw_sprite_part_ext 12 draw_sprite_general 16 draw_sprite_tiled 4 draw_sprite_tiled_ext 8
draw_background 3 draw_background_ext 8 draw_background_stretched 5 draw_background_stretched_ext 7
draw_background_part 7 draw_background_part_ext 11 draw_background_general 15 draw_background_tiled 3
draw_background_tiled_ext 7 tile_get_x 1 tile_get_y 1 tile_get_left 1 tile_get_top 1 tile_get_width 1
tile_get_height 1 tile_get_depth 1 tile_get_visible 1 tile_get_xscale 1 tile_get_yscale 1 tile_get_blend 1
tile_get_alpha 1 tile_get_background 1 tile_set_visible 2 tile_set_background 2 tile_set_region 5
tile_set_position 3 tile_set_depth 2 tile_set_scale 3 tile_set_blend 2 tile_set_alpha 2 tile_add 8 tile_find 3
tile_exists 1 tile_delete 1 tile_delete_at 3 tile_layer_hide 1 tile_layer_show 1 tile_layer_delete 1
tile_layer_shift 3 tile_layer_find 3 tile_layer_delete_at 3 tile_layer_depth 2 surface_create 2 surface_free 1
surface_exists 1 surface_get_width 1 surface_get_height 1 surface_get_texture 1 surface_set_target 1
surface_reset_target 0 draw_surface 3 draw_surface_ext 8 draw_surface_stretched 5 draw_surface_stretched_ext 7
draw_surface_part 7 draw_surface_part_ext 11 draw_surface_general 15 draw_surface_tiled 3
draw_surface_tiled_ext 7 surface_save 2 surface_save_part 6 surface_getpixel 3 surface_copy 4
surface_copy_part 8
)";

struct Entry {
    std::string name;
    int32_t argc;
};

std::vector<Entry> ExpectedEntries()
{
    std::istringstream in(kExpectedTable);
    std::vector<Entry> entries;
    Entry entry;
    while (in >> entry.name >> entry.argc) {
        entries.push_back(entry);
    }
    return entries;
}

void RegisterGroupOnce()
{
    int32_t id = -1;
    if (!Code_Function_Find("draw_set_color", &id)) {
        Function_Graphic_Register();
    }
}

TEST(GraphicBuiltinsTable, EntersItsNamesAndCountsInOrder)
{
    Code_Function_Free();
    Function_Graphic_Register();
    const std::vector<Entry> expected = ExpectedEntries();
    ASSERT_EQ(expected.size(), 205u);
    ASSERT_EQ(Code_Function_Count(), 205);
    for (int32_t i = 0; i < Code_Function_Count(); ++i) {
        const char* name = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t argc = -2;
        ASSERT_TRUE(Code_Function_GetInfo(i, &name, &fn, &argc));
        EXPECT_EQ(name, expected[static_cast<size_t>(i)].name) << "entry " << i;
        EXPECT_EQ(argc, expected[static_cast<size_t>(i)].argc) << name;
        EXPECT_NE(fn, nullptr) << name;
    }
}

struct XY {
    float x, y;
};

struct DrawTextCase {
    double real;
    const char* text;
};

TEST(GraphicBuiltinsText, RealsAreDrawnAsWholeNumbersOrWithTwoDecimals)
{
    const DrawTextCase cases[] = {
        {3.0, "3"},
        {2.5, "2.50"},
        {-1.0, "-1"},
        {0.1, "0.10"},
        {-2147483648.0, "-2147483648"},
        {2147483520.0, "2147483520"},  // the largest single below 2^31
        // Whole numbers beyond the 32-bit range would wrap as integers.
        {2147483648.0, "2147483648.00"},
        {3e9, "3000000000.00"},
        {-3e9, "-3000000000.00"},
    };
    for (const DrawTextCase& c : cases) {
        char buffer[kDrawTextCapacity];
        ScriptValue value(c.real);
        EXPECT_STREQ(Value_ToDrawText(value.Get(), buffer, sizeof buffer), c.text) << c.real;
    }
}

TEST(GraphicBuiltinsText, HugeRealsStayInsideTheBuffer)
{
    char buffer[kDrawTextCapacity];
    ScriptValue value(1e300);
    const std::string text = Value_ToDrawText(value.Get(), buffer, sizeof buffer);
    EXPECT_EQ(text.substr(0, 4), "1000");
    EXPECT_EQ(text.substr(text.size() - 3), ".00");
}

TEST(GraphicBuiltinsText, StringsAreDrawnUnchanged)
{
    char buffer[kDrawTextCapacity];
    ScriptValue value("a#b");
    EXPECT_STREQ(Value_ToDrawText(value.Get(), buffer, sizeof buffer), "a#b");
}

class GraphicBuiltinsDrawing : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        ASSERT_TRUE(GR_PushRenderTarget());
        RegisterGroupOnce();
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(true);
    }
    void TearDown() override
    {
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(false);
        Run_ResetLoopState();
        DrawTest::TearDown();
    }
    static std::string LastError()
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }
};

TEST_F(GraphicBuiltinsDrawing, ShapesUseTheDrawingColourAndAlpha)
{
    CallBuiltin("draw_set_color", {255.0});  // red
    CallBuiltin("draw_set_alpha", {0.5});
    CallBuiltin("draw_rectangle", {0.0, 0.0, 10.0, 10.0, 0.0});
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<Vertex2DTex> vertices = batches[0].As<Vertex2DTex>();
    ASSERT_FALSE(vertices.empty());
    for (const Vertex2DTex& vertex : vertices) {
        EXPECT_EQ(vertex.colour, 0x7FFF0000u);
    }
}

TEST_F(GraphicBuiltinsDrawing, DrawGetColorDropsTheAlpha)
{
    CallBuiltin("draw_set_color", {0x123456});
    CallBuiltin("draw_set_alpha", {0.5});
    EXPECT_EQ(CallBuiltin("draw_get_color", {}).Real(), 0x123456);
}

TEST_F(GraphicBuiltinsDrawing, DrawClearIsOpaqueAndDrawClearAlphaIsNot)
{
    CallBuiltin("draw_clear", {0x0000FF});
    CallBuiltin("draw_clear_alpha", {0x0000FF, 0.0});
    const std::vector<const RecordedCall*> clears = device->Find("Clear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0]->args[1], 0xFFFF0000u);
    EXPECT_EQ(clears[1]->args[1], 0x00FF0000u);
}

// The top-left corner of what was drawn.
XY TopLeft(const std::vector<Vertex2DTex>& vertices)
{
    XY corner{vertices.at(0).x, vertices.at(0).y};
    for (const Vertex2DTex& v : vertices) {
        corner.x = std::min(corner.x, v.x);
        corner.y = std::min(corner.y, v.y);
    }
    return corner;
}

TEST_F(GraphicBuiltinsDrawing, DrawSurfaceLandsOnWholePixelsButTheExtFormDoesNot)
{
    const double id = CallBuiltin("surface_create", {100.0, 50.0}).Real();
    ASSERT_GE(id, 0.0);
    CallBuiltin("draw_surface", {id, 10.7, 3.2});
    const XY plain = TopLeft(DrawnTextured());
    EXPECT_FLOAT_EQ(plain.x, 10.0f);
    EXPECT_FLOAT_EQ(plain.y, 3.0f);
    CallBuiltin("draw_surface_ext", {id, 10.7, 3.2, 1.0, 1.0, 0.0, 0xFFFFFF, 1.0});
    const XY ext = TopLeft(DrawnTextured());
    EXPECT_FLOAT_EQ(ext.x, 10.7f);
    EXPECT_FLOAT_EQ(ext.y, 3.2f);
}

TEST_F(GraphicBuiltinsDrawing, SurfaceMisuseIsReportedAndDoesNothing)
{
    const double id = CallBuiltin("surface_create", {8.0, 8.0}).Real();
    const struct {
        const char* name;
        std::vector<ScriptValue> args;
        const char* error;  // "" for none
        double result = 0.0;
    } cases[] = {
        // Not 0, which names the surface made above.
        {"surface_create", {0.0, 10.0}, "Invalid surface dimensions", -1.0},
        {"surface_create", {10.0, -3.0}, "Invalid surface dimensions", -1.0},
        {"draw_surface", {7.0, 0.0, 0.0}, "Trying to use non-existing surface."},
        {"draw_surface", {-1.0, 0.0, 0.0}, "Trying to use non-existing surface."},
        {"surface_getpixel", {7.0, 0.0, 0.0}, ""},
        {"surface_copy", {id, 0.0, 0.0, 5.0}, "Trying to use non-existing surface."},
        {"surface_save", {id, ""}, "Trying to save surface to empty image file name."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Code_Error_ResetState();
        EXPECT_EQ(CallBuiltin(c.name, c.args).Real(), c.result);
        if (*c.error == '\0') {
            EXPECT_EQ(LastError(), "");
        } else {
            EXPECT_NE(LastError().find(c.error), std::string::npos);
        }
        EXPECT_TRUE(Drawn().empty());
        EXPECT_TRUE(device->Find("CopyRect").empty());
    }
    EXPECT_FALSE(Surface_Exists(1));
}

TEST_F(GraphicBuiltinsDrawing, PrimitivesTakeTheirVerticesInOrder)
{
    CallBuiltin("draw_primitive_begin", {4.0});  // triangle list
    CallBuiltin("draw_vertex", {1.0, 2.0});
    CallBuiltin("draw_vertex_color", {3.0, 4.0, 0x00FF00, 1.0});
    CallBuiltin("draw_vertex", {5.0, 6.0});
    CallBuiltin("draw_primitive_end", {});
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<Vertex2DTex> v = batches[0].As<Vertex2DTex>();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_FLOAT_EQ(v[0].x, 1.0f);
    EXPECT_FLOAT_EQ(v[1].y, 4.0f);
    EXPECT_EQ(v[1].colour, 0xFF00FF00u);
    EXPECT_FLOAT_EQ(v[2].x, 5.0f);
}

TEST_F(GraphicBuiltinsDrawing, EmptyTextDrawsNothing)
{
    CallBuiltin("draw_text", {0.0, 0.0, ""});
    EXPECT_TRUE(Drawn().empty());
}

TEST_F(GraphicBuiltinsDrawing, DrawEnableDrawEventTakesOnlyOneReal)
{
    CallBuiltin("draw_enable_drawevent", {0.0});
    EXPECT_FALSE(Run_DrawEvents());
    CallBuiltin("draw_enable_drawevent", {0.5});
    EXPECT_TRUE(Run_DrawEvents());
    CallBuiltin("draw_enable_drawevent", {"no"});
    EXPECT_NE(LastError().find("Illegal argument type"), std::string::npos);
    EXPECT_TRUE(Run_DrawEvents());
    Code_Error_ResetState();
    CallBuiltin("draw_enable_drawevent", {0.0, 0.0});
    EXPECT_NE(LastError().find("Illegal argument count"), std::string::npos);
    EXPECT_TRUE(Run_DrawEvents());
}

// The outline argument is a boolean like every flag: true from 0.5.
TEST_F(GraphicBuiltinsDrawing, OutlineArgumentsAreBooleans)
{
    struct Case {
        double flag;
        bool outlined;
    };
    const Case cases[] = {{0.0, false}, {0.4, false}, {0.5, true}, {0.7, true}, {1.0, true}, {1.2, true}, {2.0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        CallBuiltin("draw_rectangle", {20.0, 20.0, 30.0, 30.0, c.flag});
        CallBuiltin("draw_circle", {50.0, 50.0, 8.0, c.flag});
        for (const DrawnBatch& batch : Drawn()) {
            const bool lines = batch.type == PrimitiveLineStrip || batch.type == PrimitivePointList;
            EXPECT_EQ(lines, c.outlined) << "primitive " << batch.type;
        }
    }
}

}  // namespace
}  // namespace bw
