// The "3D.." group. Integers (primitive types, texture and model ids, light
// numbers, colours, steps) are the nearest integer, flags are true from 0.5,
// coordinates and sizes reach the back ends in single precision.
#include "graphics/d3d_builtins.h"

#include "graphics/graphic_builtins_args.h"
#include "graphics/graphics_3d.h"
#include "graphics/model_3d.h"
#include "graphics/primitives_3d.h"
#include "graphics/render_state.h"
#include "graphics/surfaces.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "script/error_report.h"

namespace bw {

namespace {

// The argument conversions of this group, short because every row uses them.
#define F(i) Arg_Float(args[i])
#define I(i) Arg_Int(args[i])

// d3d_model_load and d3d_model_save: a name that is not a string gives -1.
void ModelFile(Value* result, const Value* args, bool (*operation)(int32_t, const char*))
{
    const char* name = Arg_Text(args[1]);
    if (name == nullptr) {
        result->real = -1.0;
        return;
    }
    Result_SetBool(result, operation(I(0), name));
}

BW_BUILTIN(EnableAlphaBlend)
{
    if (argc != 1) {
        Code_Error_Runtime("Illegal argument count", false);
        return;
    }
    if (Arg_IsString(args[0])) {
        Code_Error_Runtime("Illegal argument type: true/false expected", false);
        return;
    }
    GR_RenderStateCache().Set(ES_AlphaBlendEnable, static_cast<uint32_t>(I(0)));
}

BW_BUILTIN(DrawTextureFlush)
{
    GR_VB_Flush();
    GR_Texture_Flush();
}

BW_BUILTIN(D3DStart)
{
    result->real = GR_3D_Set(true) ? 1.0 : 0.0;
}

BW_BUILTIN(D3DEnd)
{
    result->real = GR_3D_Set(false) ? 1.0 : 0.0;
}

BW_BUILTIN(D3DSetPerspective)
{
    GR_3D_SetPerspective(Arg_Flag(args[0]));
}

BW_BUILTIN(D3DSetHidden)
{
    GR_3D_SetHidden(Arg_Flag(args[0]));
}

BW_BUILTIN(D3DSetDepth)
{
    GR_3D_SetDepth(F(0));
}

BW_BUILTIN(D3DSetLighting)
{
    GR_3D_SetLighting(Arg_Flag(args[0]));
}

BW_BUILTIN(D3DSetShading)
{
    GR_3D_SetShading(Arg_Flag(args[0]));
}

BW_BUILTIN(D3DSetFog)
{
    GR_3D_SetFog(Arg_Flag(args[0]), Arg_Colour(args[1]), static_cast<float>(Arg_TruncInt(args[2])),
                 static_cast<float>(Arg_TruncInt(args[3])));
}

BW_BUILTIN(D3DSetCulling)
{
    GR_SetCulling(Arg_Flag(args[0]));
}

BW_BUILTIN(D3DSetZWriteEnable)
{
    GR_3D_SetZWriteEnable(Arg_Flag(args[0]));
}

BW_BUILTIN(D3DPrimitiveBegin)
{
    GR_3D_PrimitiveBegin(I(0), -1);
}

BW_BUILTIN(D3DPrimitiveBeginTexture)
{
    GR_3D_PrimitiveBegin(I(0), I(1));
}

BW_BUILTIN(D3DPrimitiveEnd)
{
    GR_3D_PrimitiveEnd();
}

BW_BUILTIN(D3DVertex)
{
    GR_3D_Vertex(F(0), F(1), F(2));
}

BW_BUILTIN(D3DVertexColour)
{
    GR_3D_VertexColour(F(0), F(1), F(2), Arg_Colour(args[3]), F(4));
}

BW_BUILTIN(D3DVertexTexture)
{
    GR_3D_VertexTexture(F(0), F(1), F(2), F(3), F(4));
}

BW_BUILTIN(D3DVertexTextureColour)
{
    GR_3D_VertexTextureColour(F(0), F(1), F(2), F(3), F(4), Arg_Colour(args[5]), F(6));
}

BW_BUILTIN(D3DVertexNormal)
{
    GR_3D_VertexNormal(F(0), F(1), F(2), F(3), F(4), F(5));
}

BW_BUILTIN(D3DVertexNormalColour)
{
    GR_3D_VertexNormalColour(F(0), F(1), F(2), F(3), F(4), F(5), Arg_Colour(args[6]), F(7));
}

BW_BUILTIN(D3DVertexNormalTexture)
{
    GR_3D_VertexNormalTexture(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7));
}

BW_BUILTIN(D3DVertexNormalTextureColour)
{
    GR_3D_VertexNormalTextureColour(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), Arg_Colour(args[8]), F(9));
}

BW_BUILTIN(D3DDrawBlock)
{
    GR_3D_DrawBlock(F(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7), F(8));
}

BW_BUILTIN(D3DDrawCylinder)
{
    GR_3D_DrawCylinder(F(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7), F(8), Arg_Flag(args[9]), I(10));
}

BW_BUILTIN(D3DDrawCone)
{
    GR_3D_DrawCone(F(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7), F(8), Arg_Flag(args[9]), I(10));
}

BW_BUILTIN(D3DDrawEllipsoid)
{
    GR_3D_DrawEllipsoid(F(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7), F(8), I(9));
}

BW_BUILTIN(D3DDrawWall)
{
    GR_3D_DrawWall(F(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7), F(8));
}

BW_BUILTIN(D3DDrawFloor)
{
    GR_3D_DrawFloor(F(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7), F(8));
}

BW_BUILTIN(D3DSetProjection)
{
    GR_3D_SetProjection(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}

BW_BUILTIN(D3DSetProjectionExt)
{
    GR_3D_SetProjectionExt(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), F(10), F(11), F(12));
}

BW_BUILTIN(D3DSetProjectionOrtho)
{
    GR_3D_SetProjectionOrtho(F(0), F(1), F(2), F(3), F(4));
}

BW_BUILTIN(D3DSetProjectionPerspective)
{
    GR_3D_SetProjectionPerspective(F(0), F(1), F(2), F(3), F(4));
}

BW_BUILTIN(D3DTransformSetIdentity)
{
    GR_3D_TransformIdentity();
}

BW_BUILTIN(D3DTransformSetTranslation)
{
    GR_3D_TransformSetTranslation(F(0), F(1), F(2));
}

BW_BUILTIN(D3DTransformSetScaling)
{
    GR_3D_TransformSetScaling(F(0), F(1), F(2));
}

BW_BUILTIN(D3DTransformSetRotationX)
{
    GR_3D_TransformSetRotationX(F(0));
}

BW_BUILTIN(D3DTransformSetRotationY)
{
    GR_3D_TransformSetRotationY(F(0));
}

BW_BUILTIN(D3DTransformSetRotationZ)
{
    GR_3D_TransformSetRotationZ(F(0));
}

BW_BUILTIN(D3DTransformSetRotationAxis)
{
    GR_3D_TransformSetRotationAxis(F(0), F(1), F(2), F(3));
}

BW_BUILTIN(D3DTransformAddTranslation)
{
    GR_3D_TransformAddTranslation(F(0), F(1), F(2));
}

BW_BUILTIN(D3DTransformAddScaling)
{
    GR_3D_TransformAddScaling(F(0), F(1), F(2));
}

BW_BUILTIN(D3DTransformAddRotationX)
{
    GR_3D_TransformAddRotationX(F(0));
}

BW_BUILTIN(D3DTransformAddRotationY)
{
    GR_3D_TransformAddRotationY(F(0));
}

BW_BUILTIN(D3DTransformAddRotationZ)
{
    GR_3D_TransformAddRotationZ(F(0));
}

BW_BUILTIN(D3DTransformAddRotationAxis)
{
    GR_3D_TransformAddRotationAxis(F(0), F(1), F(2), F(3));
}

BW_BUILTIN(D3DTransformStackClear)
{
    GR_3D_TransformStackClear();
}

BW_BUILTIN(D3DTransformStackEmpty)
{
    Result_SetBool(result, GR_3D_TransformStackEmpty());
}

BW_BUILTIN(D3DTransformStackPush)
{
    Result_SetBool(result, GR_3D_TransformPush());
}

BW_BUILTIN(D3DTransformStackPop)
{
    Result_SetBool(result, GR_3D_TransformStackPop());
}

BW_BUILTIN(D3DTransformStackTop)
{
    Result_SetBool(result, GR_3D_TransformStackTop());
}

BW_BUILTIN(D3DTransformStackDiscard)
{
    Result_SetBool(result, GR_3D_TransformStackDiscard());
}

BW_BUILTIN(D3DLightDefineAmbient)
{
    GR_D3D_SetAmbient(Arg_Colour(args[0]));
}

BW_BUILTIN(D3DLightDefineDirection)
{
    GR_D3D_DefineDirLight(I(0), F(1), F(2), F(3), Arg_Colour(args[4]));
}

BW_BUILTIN(D3DLightDefinePoint)
{
    GR_D3D_DefinePointLight(I(0), F(1), F(2), F(3), F(4), Arg_Colour(args[5]));
}

BW_BUILTIN(D3DLightEnable)
{
    GR_D3D_EnableLight(I(0), Arg_Flag(args[1]));
}

BW_BUILTIN(D3DModelCreate)
{
    result->real = Model_Create();
}

BW_BUILTIN(D3DModelDestroy)
{
    Model_Destroy(I(0));
}

BW_BUILTIN(D3DModelClear)
{
    Model_Clear(I(0));
}

BW_BUILTIN(D3DModelLoad)
{
    ModelFile(result, args, &Model_LoadByIndex);
}

BW_BUILTIN(D3DModelSave)
{
    ModelFile(result, args, &Model_SaveByIndex);
}

BW_BUILTIN(D3DModelDraw)
{
    Model_DrawByIndex(I(0), F(1), F(2), F(3), I(4));
}

BW_BUILTIN(D3DModelPrimitiveBegin)
{
    Model_PrimitiveBegin(I(0), I(1));
}

BW_BUILTIN(D3DModelPrimitiveEnd)
{
    Model_PrimitiveEnd(I(0));
}

BW_BUILTIN(D3DModelVertex)
{
    Model_Vertex(I(0), F(1), F(2), F(3));
}

BW_BUILTIN(D3DModelVertexColour)
{
    Model_VertexColour(I(0), F(1), F(2), F(3), I(4), F(5));
}

BW_BUILTIN(D3DModelVertexTexture)
{
    Model_VertexTexture(I(0), F(1), F(2), F(3), F(4), F(5));
}

BW_BUILTIN(D3DModelVertexTextureColour)
{
    Model_VertexTextureColour(I(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7));
}

BW_BUILTIN(D3DModelVertexNormal)
{
    Model_VertexNormal(I(0), F(1), F(2), F(3), F(4), F(5), F(6));
}

BW_BUILTIN(D3DModelVertexNormalColour)
{
    Model_VertexNormalColour(I(0), F(1), F(2), F(3), F(4), F(5), F(6), I(7), F(8));
}

BW_BUILTIN(D3DModelVertexNormalTexture)
{
    Model_VertexNormalTexture(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}

BW_BUILTIN(D3DModelVertexNormalTextureColour)
{
    Model_VertexNormalTextureColour(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), I(9), F(10));
}

BW_BUILTIN(D3DModelBlock)
{
    Model_Block(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}

BW_BUILTIN(D3DModelCylinder)
{
    Model_Cylinder(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), Arg_Flag(args[9]), I(10));
}

BW_BUILTIN(D3DModelCone)
{
    Model_Cone(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), Arg_Flag(args[9]), I(10));
}

BW_BUILTIN(D3DModelEllipsoid)
{
    Model_Ellipsoid(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), I(9));
}

BW_BUILTIN(D3DModelWall)
{
    Model_Wall(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}

BW_BUILTIN(D3DModelFloor)
{
    Model_Floor(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}
#undef F
#undef I

// The group's order, with the three drawing switches last.
constexpr BuiltinRegistration kD3DBuiltins[] = {
    {"d3d_start", &D3DStart, 0},
    {"d3d_end", &D3DEnd, 0},
    {"d3d_set_perspective", &D3DSetPerspective, 1},
    {"d3d_set_hidden", &D3DSetHidden, 1},
    {"d3d_set_depth", &D3DSetDepth, 1},
    {"d3d_set_lighting", &D3DSetLighting, 1},
    {"d3d_set_shading", &D3DSetShading, 1},
    {"d3d_set_fog", &D3DSetFog, 4},
    {"d3d_set_culling", &D3DSetCulling, 1},
    {"d3d_set_zwriteenable", &D3DSetZWriteEnable, 1},
    {"d3d_primitive_begin", &D3DPrimitiveBegin, 1},
    {"d3d_primitive_begin_texture", &D3DPrimitiveBeginTexture, 2},
    {"d3d_primitive_end", &D3DPrimitiveEnd, 0},
    {"d3d_vertex", &D3DVertex, 3},
    {"d3d_vertex_color", &D3DVertexColour, 5},
    {"d3d_vertex_texture", &D3DVertexTexture, 5},
    {"d3d_vertex_texture_color", &D3DVertexTextureColour, 7},
    {"d3d_vertex_normal", &D3DVertexNormal, 6},
    {"d3d_vertex_normal_color", &D3DVertexNormalColour, 8},
    {"d3d_vertex_normal_texture", &D3DVertexNormalTexture, 8},
    {"d3d_vertex_normal_texture_color", &D3DVertexNormalTextureColour, 10},
    {"d3d_draw_block", &D3DDrawBlock, 9},
    {"d3d_draw_cylinder", &D3DDrawCylinder, 11},
    {"d3d_draw_cone", &D3DDrawCone, 11},
    {"d3d_draw_ellipsoid", &D3DDrawEllipsoid, 10},
    {"d3d_draw_wall", &D3DDrawWall, 9},
    {"d3d_draw_floor", &D3DDrawFloor, 9},
    {"d3d_set_projection", &D3DSetProjection, 9},
    {"d3d_set_projection_ext", &D3DSetProjectionExt, 13},
    {"d3d_set_projection_ortho", &D3DSetProjectionOrtho, 5},
    {"d3d_set_projection_perspective", &D3DSetProjectionPerspective, 5},
    {"d3d_transform_set_identity", &D3DTransformSetIdentity, 0},
    {"d3d_transform_set_translation", &D3DTransformSetTranslation, 3},
    {"d3d_transform_set_scaling", &D3DTransformSetScaling, 3},
    {"d3d_transform_set_rotation_x", &D3DTransformSetRotationX, 1},
    {"d3d_transform_set_rotation_y", &D3DTransformSetRotationY, 1},
    {"d3d_transform_set_rotation_z", &D3DTransformSetRotationZ, 1},
    {"d3d_transform_set_rotation_axis", &D3DTransformSetRotationAxis, 4},
    {"d3d_transform_add_translation", &D3DTransformAddTranslation, 3},
    {"d3d_transform_add_scaling", &D3DTransformAddScaling, 3},
    {"d3d_transform_add_rotation_x", &D3DTransformAddRotationX, 1},
    {"d3d_transform_add_rotation_y", &D3DTransformAddRotationY, 1},
    {"d3d_transform_add_rotation_z", &D3DTransformAddRotationZ, 1},
    {"d3d_transform_add_rotation_axis", &D3DTransformAddRotationAxis, 4},
    {"d3d_transform_stack_clear", &D3DTransformStackClear, 0},
    {"d3d_transform_stack_empty", &D3DTransformStackEmpty, 0},
    {"d3d_transform_stack_push", &D3DTransformStackPush, 0},
    {"d3d_transform_stack_pop", &D3DTransformStackPop, 0},
    {"d3d_transform_stack_top", &D3DTransformStackTop, 0},
    {"d3d_transform_stack_discard", &D3DTransformStackDiscard, 0},
    {"d3d_light_define_ambient", &D3DLightDefineAmbient, 1},
    {"d3d_light_define_direction", &D3DLightDefineDirection, 5},
    {"d3d_light_define_point", &D3DLightDefinePoint, 6},
    {"d3d_light_enable", &D3DLightEnable, 2},
    {"d3d_model_create", &D3DModelCreate, 0},
    {"d3d_model_destroy", &D3DModelDestroy, 1},
    {"d3d_model_clear", &D3DModelClear, 1},
    {"d3d_model_load", &D3DModelLoad, 2},
    {"d3d_model_save", &D3DModelSave, 2},
    {"d3d_model_draw", &D3DModelDraw, 5},
    {"d3d_model_primitive_begin", &D3DModelPrimitiveBegin, 2},
    {"d3d_model_primitive_end", &D3DModelPrimitiveEnd, 1},
    {"d3d_model_vertex", &D3DModelVertex, 4},
    {"d3d_model_vertex_color", &D3DModelVertexColour, 6},
    {"d3d_model_vertex_texture", &D3DModelVertexTexture, 6},
    {"d3d_model_vertex_texture_color", &D3DModelVertexTextureColour, 8},
    {"d3d_model_vertex_normal", &D3DModelVertexNormal, 7},
    {"d3d_model_vertex_normal_color", &D3DModelVertexNormalColour, 9},
    {"d3d_model_vertex_normal_texture", &D3DModelVertexNormalTexture, 9},
    {"d3d_model_vertex_normal_texture_color", &D3DModelVertexNormalTextureColour, 11},
    {"d3d_model_block", &D3DModelBlock, 9},
    {"d3d_model_cylinder", &D3DModelCylinder, 11},
    {"d3d_model_cone", &D3DModelCone, 11},
    {"d3d_model_ellipsoid", &D3DModelEllipsoid, 10},
    {"d3d_model_wall", &D3DModelWall, 9},
    {"d3d_model_floor", &D3DModelFloor, 9},
    {"Vask_EnableAlphaBlend", &EnableAlphaBlend, 1},
    {"draw_enable_alphablend", &EnableAlphaBlend, 1},
    {"draw_texture_flush", &DrawTextureFlush, 0},
};

}  // namespace

void Function_D3D_Register()
{
    Builtins_Register(kD3DBuiltins);
}

}  // namespace bw
