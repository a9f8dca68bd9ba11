// The "3D.." group: its table, the alpha-blend switch's checks, models saved
// and loaded through game file names, and what the projection setters do to
// sprite culling's view.
#include "graphics/d3d_builtins.h"

#include <bit>
#include <sstream>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "graphics/graphics_3d.h"
#include "graphics/model_3d.h"
#include "graphics/render_state.h"
#include "graphics/surfaces.h"
#include "platform/files.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::ScriptValue;

// The order compiled packages were built against: name and argument count.
constexpr const char* kExpectedTable = R"(
d3d_start 0 d3d_end 0 d3d_set_perspective 1 d3d_set_hidden 1 d3d_set_depth 1 d3d_set_lighting 1
d3d_set_shading 1 d3d_set_fog 4 d3d_set_culling 1 d3d_set_zwriteenable 1 d3d_primitive_begin 1
d3d_primitive_begin_texture 2 d3d_primitive_end 0 d3d_vertex 3 d3d_vertex_color 5 d3d_vertex_texture 5
d3d_vertex_texture_color 7 d3d_vertex_normal 6 d3d_vertex_normal_color 8 d3d_vertex_normal_texture 8
d3d_vertex_normal_texture_color 10 d3d_draw_block 9 d3d_draw_cylinder 11 d3d_draw_cone 11 d3d_draw_ellipsoid 10
d3d_draw_wall 9 d3d_draw_floor 9 d3d_set_projection 9 d3d_set_projection_ext 13 d3d_set_projection_ortho 5
d3d_set_projection_perspective 5 d3d_transform_set_identity 0 d3d_transform_set_translation 3
d3d_transform_set_scaling 3 d3d_transform_set_rotation_x 1 d3d_transform_set_rotation_y 1
d3d_transform_set_rotation_z 1 d3d_transform_set_rotation_axis 4 d3d_transform_add_translation 3
d3d_transform_add_scaling 3 d3d_transform_add_rotation_x 1 d3d_transform_add_rotation_y 1
d3d_transform_add_rotation_z 1 d3d_transform_add_rotation_axis 4 d3d_transform_stack_clear 0
d3d_transform_stack_empty 0 d3d_transform_stack_push 0 d3d_transform_stack_pop 0 d3d_transform_stack_top 0
d3d_transform_stack_discard 0 d3d_light_define_ambient 1 d3d_light_define_direction 5 d3d_light_define_point 6
d3d_light_enable 2 d3d_model_create 0 d3d_model_destroy 1 d3d_model_clear 1 d3d_model_load 2 d3d_model_save 2
d3d_model_draw 5 d3d_model_primitive_begin 2 d3d_model_primitive_end 1 d3d_model_vertex 4
d3d_model_vertex_color 6 d3d_model_vertex_texture 6 d3d_model_vertex_texture_color 8 d3d_model_vertex_normal 7
d3d_model_vertex_normal_color 9 d3d_model_vertex_normal_texture 9 d3d_model_vertex_normal_texture_color 11
d3d_model_block 9 d3d_model_cylinder 11 d3d_model_cone 11 d3d_model_ellipsoid 10 d3d_model_wall 9
d3d_model_floor 9 Vask_EnableAlphaBlend 1 draw_enable_alphablend 1 draw_texture_flush 0
)";

TEST(D3DBuiltinsTable, EntersItsNamesAndCountsInOrder)
{
    Code_Function_Free();
    Function_D3D_Register();
    std::istringstream in(kExpectedTable);
    std::string name;
    int32_t argc = 0;
    int32_t index = 0;
    for (; in >> name >> argc; ++index) {
        const char* registered = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t registeredArgc = -2;
        ASSERT_TRUE(Code_Function_GetInfo(index, &registered, &fn, &registeredArgc)) << name;
        EXPECT_EQ(registered, name) << "entry " << index;
        EXPECT_EQ(registeredArgc, argc) << name;
        EXPECT_NE(fn, nullptr) << name;
    }
    EXPECT_EQ(index, 79);
    EXPECT_EQ(Code_Function_Count(), 79);
    Code_Function_Free();
}

class D3DBuiltinsTest : public DrawTest {
protected:
    D3DBuiltinsTest() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("models", false));
    }
    void SetUp() override
    {
        DrawTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("d3d_start", &id)) {
            Function_D3D_Register();
        }
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(true);
    }
    void TearDown() override
    {
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(false);
        Model_DestroyAll();
        DrawTest::TearDown();
    }
    static std::string LastError()
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }

    test::ScratchFolder m_root;
    test::ScopedEnv m_data;
};

TEST_F(D3DBuiltinsTest, AlphaBlendTakesOneNumber)
{
    RenderStateCache& cache = GR_RenderStateCache();
    for (const char* name : {"draw_enable_alphablend", "Vask_EnableAlphaBlend"}) {
        CallBuiltin(name, {"yes"});
        EXPECT_NE(LastError().find("\nIllegal argument type: true/false expected\n"), std::string::npos) << name;
        Code_Error_ResetState();
        CallBuiltin(name, {0.0, 0.0});
        EXPECT_NE(LastError().find("\nIllegal argument count\n"), std::string::npos) << name;
        Code_Error_ResetState();
        EXPECT_EQ(cache.Pending(ES_AlphaBlendEnable), 1u) << name;
        CallBuiltin(name, {0.0});
        EXPECT_EQ(cache.Pending(ES_AlphaBlendEnable), 0u) << name;
        CallBuiltin(name, {1.0});
    }
}

TEST_F(D3DBuiltinsTest, FogDistancesAreWholeNumbers)
{
    CallBuiltin("d3d_set_fog", {1.0, 255.0, 10.7, -20.9});
    const RenderStateCache& cache = GR_RenderStateCache();
    EXPECT_EQ(cache.Pending(ES_FogEnable), 1u);
    EXPECT_EQ(std::bit_cast<float>(cache.Pending(ES_FogStart)), 10.0f);
    EXPECT_EQ(std::bit_cast<float>(cache.Pending(ES_FogEnd)), -20.0f);
}

TEST_F(D3DBuiltinsTest, ModelsAreSavedToTheSaveAreaAndLoadedBack)
{
    const double id = CallBuiltin("d3d_model_create", {}).Real();
    CallBuiltin("d3d_model_vertex_color", {id, 1.0, 2.0, 3.0, 16777215.0, 0.5});
    CallBuiltin("d3d_model_block", {id, 0.0, 0.0, 0.0, 4.0, 4.0, 4.0, 1.0, 1.0});
    EXPECT_EQ(CallBuiltin("d3d_model_save", {id, "solid.txt"}).Real(), 1.0);
    EXPECT_EQ(test::ScratchFolder::Read(m_root / "data/models/solid.txt").substr(0, 6), "100\n2\n");

    const double other = CallBuiltin("d3d_model_create", {}).Real();
    EXPECT_EQ(CallBuiltin("d3d_model_load", {other, "solid.txt"}).Real(), 1.0);
    const std::vector<ModelCommand>& read = *Model_Commands(static_cast<int32_t>(other));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].colour, 16777215);
    EXPECT_EQ(read[1].kind, ModelBlock);

    // A name that is not a string, and a file that is not there.
    EXPECT_EQ(CallBuiltin("d3d_model_load", {other, 3.0}).Real(), -1.0);
    EXPECT_EQ(CallBuiltin("d3d_model_save", {other, 3.0}).Real(), -1.0);
    EXPECT_EQ(CallBuiltin("d3d_model_load", {other, "missing.txt"}).Real(), 0.0);
    EXPECT_TRUE(Model_Commands(static_cast<int32_t>(other))->empty());
}

TEST_F(D3DBuiltinsTest, AStripWithoutTextureIsDrawnUntextured)
{
    CallBuiltin("d3d_primitive_begin", {5.0});
    for (const double x : {0.0, 1.0, 2.0, 3.0}) {
        CallBuiltin("d3d_vertex", {x, x * x, 0.0});
    }
    CallBuiltin("d3d_primitive_end", {});
    GR_VB_Flush();
    ASSERT_EQ(device->Count("DrawPrimitive"), 1u);
    const std::vector<const RecordedCall*> textures = device->Find("SetTexture");
    ASSERT_FALSE(textures.empty());
    EXPECT_EQ(textures.back()->args[1], 0u);
    EXPECT_EQ(device->Find("DrawPrimitive")[0]->args[0], static_cast<uint32_t>(PrimitiveTriangleStrip));
}

TEST_F(D3DBuiltinsTest, ProjectionSettersMarkTheProjectionAsTheGames)
{
    for (const char* setter : {"d3d_set_projection", "d3d_set_projection_ext", "d3d_set_projection_ortho",
                               "d3d_set_projection_perspective"}) {
        GR_SetViewProjection(0.0f, 0.0f, 64.0f, 64.0f, 0.0f);
        EXPECT_FALSE(GR_HasCustomProjection());
        int32_t id = -1;
        const char* name = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t argc = 0;
        ASSERT_TRUE(Code_Function_Find(setter, &id));
        ASSERT_TRUE(Code_Function_GetInfo(id, &name, &fn, &argc));
        // A camera at (1, 1, 1) looking at (2, 2, 2), or a rectangle from (2, 2).
        std::vector<ScriptValue> args;
        for (int32_t i = 0; i < argc; ++i) {
            args.emplace_back(static_cast<double>(i < 3 ? 1 : 2));
        }
        CallBuiltin(setter, args);
        EXPECT_TRUE(GR_HasCustomProjection()) << setter;
    }
    // A surface target sets a view of its own.
    const int32_t surface = Surface_Create(16, 16);
    ASSERT_TRUE(Surface_SetTarget(surface));
    EXPECT_FALSE(GR_HasCustomProjection());
    Surface_ResetTarget();
}

}  // namespace
}  // namespace bw
