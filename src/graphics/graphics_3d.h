// 3D mode (a depth buffer and perspective), the projections game code can
// set, and the world transform built from translations, scalings and
// rotations with a stack to save and restore it. Matrices are row-major for
// row vectors and compose as current x new, so a transformation added later
// applies after those already in place.
#pragma once

namespace bw {

bool GR_3D_Set(bool on);
bool GR_3D_IsOn();
void GR_3D_ClearDepth();
void GR_3D_SetDepth(float depth);
float GR_3D_GetDepth();
bool GR_3D_IsOrthographic();

void GR_3D_SetProjection(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup,
                         float zup);
void GR_3D_SetProjectionExt(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup,
                            float yup, float zup, float angle, float aspect, float znear, float zfar);
void GR_3D_SetProjectionOrtho(float x, float y, float w, float h, float angle);
void GR_3D_SetProjectionPerspective(float x, float y, float w, float h, float angle);

void GR_3D_TransformIdentity();
void GR_3D_TransformSetTranslation(float x, float y, float z);
void GR_3D_TransformAddTranslation(float x, float y, float z);
void GR_3D_TransformSetScaling(float x, float y, float z);
void GR_3D_TransformAddScaling(float x, float y, float z);
void GR_3D_TransformSetRotationX(float angle);
void GR_3D_TransformAddRotationX(float angle);
void GR_3D_TransformSetRotationY(float angle);
void GR_3D_TransformAddRotationY(float angle);
void GR_3D_TransformSetRotationZ(float angle);
void GR_3D_TransformAddRotationZ(float angle);
void GR_3D_TransformSetRotationAxis(float x, float y, float z, float angle);
void GR_3D_TransformAddRotationAxis(float x, float y, float z, float angle);

inline constexpr int kTransformStackSize = 51;
void GR_3D_TransformStackClear();
bool GR_3D_TransformStackEmpty();
bool GR_3D_TransformPush();
bool GR_3D_TransformStackPop();
bool GR_3D_TransformStackTop();
bool GR_3D_TransformStackDiscard();

}  // namespace bw
