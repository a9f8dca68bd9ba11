// The graphics built-ins as game code sees them: argument conversions,
// counts and results, run through the compiler and the tree interpreter.
#include <gtest/gtest.h>

#include <string>

#include "bwl_harness.h"
#include "graphics/draw_2d.h"
#include "graphics/graphic_builtins.h"
#include "resources/graphic_builtins_resources.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace bw::test {
namespace {

class GraphicBuiltinsBwl : public BwlTest {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("draw_set_color", &id)) {
            Function_Graphic_Register();
        }
        GR_Draw2D_Reset();
    }
    void TearDown() override
    {
        GR_Draw2D_Reset();
        BwlTest::TearDown();
    }
    static std::string LastReport()
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }
};

struct EvalCase {
    const char* expression;
    const char* result;
};

TEST_F(GraphicBuiltinsBwl, ColourArithmetic)
{
    const EvalCase cases[] = {
        // Parts are truncated and not limited: red spills into green.
        {"make_color_rgb(300, 0, 0)", "300"},
        {"make_color(1.9, 2.9, 0)", "513"},
        {"make_color_rgb(0, 0, 255)", "16711680"},
        // Division and remainder keep the sign of the colour.
        {"color_get_red(-1)", "-1"},
        {"color_get_green(-256)", "-1"},
        {"color_get_red(258)", "2"},
        {"color_get_green(65280)", "255"},
        {"color_get_blue(16711680)", "255"},
        // Each channel is the nearest integer, ties to even.
        {"merge_color(0, 255, 0.5)", "128"},
        {"merge_color(255, 0, 0)", "255"},
        {"color_get_value(make_color_hsv(0, 0, 200))", "200"},
    };
    for (const EvalCase& c : cases) {
        EXPECT_EQ(Eval(c.expression), c.result) << c.expression;
    }
}

TEST_F(GraphicBuiltinsBwl, DrawingColourKeepsItsAlphaApart)
{
    EXPECT_EQ(Run("draw_set_color(255); draw_set_alpha(0.5); print(draw_get_color(), draw_get_alpha())"),
              "255 0.50\n");
}

TEST_F(GraphicBuiltinsBwl, AlphaTestTakesItsFlagOnlyAboveOneHalf)
{
    EXPECT_EQ(Run("draw_set_alpha_test(0.5); print(draw_get_alpha_test()); draw_set_alpha_test(0.51); "
                  "print(draw_get_alpha_test())"),
              "0\n1\n");
}

TEST_F(GraphicBuiltinsBwl, WrongArgumentCountIsACompileError)
{
    const char* programs[] = {"draw_set_color()", "draw_rectangle(0, 0, 10, 10)", "draw_text(0, 0, 1, 2)",
                              "surface_reset_target(1)", "draw_sprite(0, 0, 0)"};
    for (const char* program : programs) {
        EXPECT_NE(Run(program).find("Wrong number of arguments to function or script."), std::string::npos)
            << program;
    }
}

TEST_F(GraphicBuiltinsBwl, BadArgumentsAndMissingResourcesAreReported)
{
    const struct {
        const char* program;
        const char* report;
    } cases[] = {
        {"draw_enable_drawevent(\"yes\")", "Illegal argument type"},
        {"screen_save_part(\"\", 0, 0, 10, 10)", "Trying to save screen to empty image file name."},
        {"draw_path(12, 0, 0, false)", "Trying to drawn non-existing path."},
        {"print(background_get_texture(12))", "Trying to get texture from non-existing background."},
        {"print(sprite_get_texture(12, -1))", "Trying to get texture from non-existing sprite."},
    };
    for (const auto& c : cases) {
        Code_Error_ResetState();
        Run(c.program);
        EXPECT_NE(LastReport().find(c.report), std::string::npos) << c.program;
    }
    EXPECT_EQ(Run("print(sprite_get_texture(12, -1))"), "0\n");
}

TEST_F(GraphicBuiltinsBwl, TexturesThatDoNotExistAnswerNeutrally)
{
    EXPECT_EQ(Eval("texture_exists(-1)"), "0");
    EXPECT_EQ(Eval("texture_get_width(-1)"), "1");
}

}  // namespace
}  // namespace bw::test
