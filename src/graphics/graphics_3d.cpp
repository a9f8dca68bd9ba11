#include "graphics/graphics_3d.h"

#include <algorithm>
#include <cmath>

#include "graphics/render_state.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "platform/maths.h"

namespace bw {

namespace {

constexpr float kDegreesToRadians = 3.1415927f / 180.0f;
constexpr float kMaxDepth = 16000.0f;

struct State3D {
    bool on = false;
    float depth = 0.0f;
    bool orthographic = false;
    Matrix stack[kTransformStackSize] = {};
    int top = -1;
};
State3D g_3d;

Matrix World()
{
    Matrix world{};
    GR_D3D_GetMatrix(TransformKind::World, world);
    return world;
}

void SetWorld(const Matrix& world)
{
    GR_D3D_SetMatrix(TransformKind::World, world);
}

void AddToWorld(const Matrix& transform)
{
    Matrix world = World();
    Matrix_Multiply(world, world, transform);
    SetWorld(world);
}

Matrix Scaling(float x, float y, float z)
{
    Matrix m = Matrix_Identity();
    m.m[0] = x;
    m.m[5] = y;
    m.m[10] = z;
    return m;
}

Matrix RotationAxis(float x, float y, float z, float angle)
{
    Matrix m{};
    Matrix_BuildRotationAxis(m, Vector3{x, y, z}, -angle);
    return m;
}

template <void (*Build)(Matrix&, float)>
Matrix Rotation(float angle)
{
    Matrix m{};
    Build(m, angle);
    return m;
}

// A room rectangle shown as a room view of it shows it.
void SetRectangleProjection(float x, float y, float w, float h, float angle, bool perspective)
{
    Matrix view{};
    Matrix projection{};
    GR_BuildRectangleProjection(x, y, w, h, angle, perspective, view, projection);
    GR_D3D_SetMatrix(TransformKind::View, view);
    GR_D3D_SetMatrix(TransformKind::Projection, projection);
    GR_SetCustomProjection();
    g_3d.orthographic = !perspective;
}

}  // namespace

bool GR_3D_Set(bool on)
{
    if (on != g_3d.on) {
        GR_VB_Flush();
        g_3d.on = on;
        // Entering 3D mode switches on perspective and hidden-surface
        // removal; game code may switch either off again.
        GR_3D_SetPerspective(on);
        GR_3D_SetHidden(on);
        if (!on) {
            g_3d.depth = 0.0f;
        }
    }
    return true;
}

bool GR_3D_IsOn()
{
    return g_3d.on;
}

void GR_3D_ClearDepth()
{
    GR_D3D_Clear(0, 1.0f, 0, 2 | 4);
}

void GR_3D_SetDepth(float depth)
{
    // NaN lands on 0 rather than travelling into every vertex.
    g_3d.depth = g_3d.on && !std::isnan(depth) ? std::clamp(depth, -kMaxDepth, kMaxDepth) : 0.0f;
}

float GR_3D_GetDepth()
{
    return g_3d.depth;
}

bool GR_3D_IsOrthographic()
{
    return g_3d.orthographic;
}

void GR_3D_SetProjection(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup,
                         float zup)
{
    Matrix view{};
    Matrix_BuildLookAt(view, Vector3{xfrom, yfrom, zfrom}, Vector3{xto, yto, zto}, Vector3{xup, yup, zup});
    GR_D3D_SetMatrix(TransformKind::View, view);
    GR_SetCustomProjection();
}

void GR_3D_SetProjectionExt(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup,
                            float yup, float zup, float angle, float aspect, float znear, float zfar)
{
    GR_3D_SetProjection(xfrom, yfrom, zfrom, xto, yto, zto, xup, yup, zup);
    Matrix projection{};
    Matrix_BuildPerspectiveFov(projection, angle * kDegreesToRadians, aspect, znear, zfar);
    GR_D3D_SetMatrix(TransformKind::Projection, projection);
    g_3d.orthographic = false;
}

void GR_3D_SetProjectionOrtho(float x, float y, float w, float h, float angle)
{
    SetRectangleProjection(x, y, w, h, angle, false);
}

void GR_3D_SetProjectionPerspective(float x, float y, float w, float h, float angle)
{
    SetRectangleProjection(x, y, w, h, angle, true);
}

void GR_3D_TransformIdentity()
{
    SetWorld(Matrix_Identity());
}

void GR_3D_TransformSetTranslation(float x, float y, float z)
{
    SetWorld(Matrix_Translation(x, y, z));
}

void GR_3D_TransformAddTranslation(float x, float y, float z)
{
    AddToWorld(Matrix_Translation(x, y, z));
}

void GR_3D_TransformSetScaling(float x, float y, float z)
{
    SetWorld(Scaling(x, y, z));
}

void GR_3D_TransformAddScaling(float x, float y, float z)
{
    AddToWorld(Scaling(x, y, z));
}

void GR_3D_TransformSetRotationX(float angle)
{
    SetWorld(Rotation<Matrix_BuildRotationX>(angle));
}

void GR_3D_TransformAddRotationX(float angle)
{
    AddToWorld(Rotation<Matrix_BuildRotationX>(angle));
}

void GR_3D_TransformSetRotationY(float angle)
{
    SetWorld(Rotation<Matrix_BuildRotationY>(angle));
}

void GR_3D_TransformAddRotationY(float angle)
{
    AddToWorld(Rotation<Matrix_BuildRotationY>(angle));
}

void GR_3D_TransformSetRotationZ(float angle)
{
    SetWorld(Rotation<Matrix_BuildRotationZ>(angle));
}

void GR_3D_TransformAddRotationZ(float angle)
{
    AddToWorld(Rotation<Matrix_BuildRotationZ>(angle));
}

void GR_3D_TransformSetRotationAxis(float x, float y, float z, float angle)
{
    SetWorld(RotationAxis(x, y, z, angle));
}

void GR_3D_TransformAddRotationAxis(float x, float y, float z, float angle)
{
    AddToWorld(RotationAxis(x, y, z, angle));
}

void GR_3D_TransformStackClear()
{
    g_3d.top = -1;
}

bool GR_3D_TransformStackEmpty()
{
    return g_3d.top < 0;
}

bool GR_3D_TransformPush()
{
    if (g_3d.top >= kTransformStackSize - 1) {
        return false;
    }
    ++g_3d.top;
    g_3d.stack[g_3d.top] = World();
    return true;
}

bool GR_3D_TransformStackPop()
{
    if (g_3d.top < 0) {
        return false;
    }
    SetWorld(g_3d.stack[g_3d.top]);
    --g_3d.top;
    return true;
}

bool GR_3D_TransformStackTop()
{
    if (g_3d.top < 0) {
        return false;
    }
    SetWorld(g_3d.stack[g_3d.top]);
    return true;
}

bool GR_3D_TransformStackDiscard()
{
    if (g_3d.top < 0) {
        return false;
    }
    --g_3d.top;
    return true;
}

}  // namespace bw
