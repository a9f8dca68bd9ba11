// Single-precision vectors and 4x4 matrices for the device transforms. The
// layout is the device's: row-major, for row vectors (a point is a row
// multiplied on the left, the translation sits in m[12..14]), and transforms
// compose as current * new. All arithmetic stays in float so results are the
// same on every machine.
#pragma once

namespace bw {

struct Vector3 {
    float x;
    float y;
    float z;
};

struct Matrix {
    float m[16];
};

void Vector3_Subtract(Vector3& out, const Vector3& a, const Vector3& b);
float Vector3_Dot(const Vector3& a, const Vector3& b);
// A zero-length vector stays zero rather than turning into NaNs.
void Vector3_Normalise(Vector3& v);
void Vector3_NormaliseTo(const Vector3& v, Vector3& out);
void Vector3_Cross(Vector3& out, const Vector3& a, const Vector3& b);

// out may be a or b.
void Matrix_Multiply(Matrix& out, const Matrix& a, const Matrix& b);
void Matrix_Transpose(Matrix& out, const Matrix& m);

// Angles in degrees. The X/Y/Z builders are the transposes of the usual
// left-handed rotations: a positive angle turns the other way from
// Matrix_BuildRotationAxis about the same axis.
void Matrix_BuildRotationX(Matrix& out, float degrees);
void Matrix_BuildRotationY(Matrix& out, float degrees);
void Matrix_BuildRotationZ(Matrix& out, float degrees);
void Matrix_BuildRotationAxis(Matrix& out, const Vector3& axis, float degrees);

// Left-handed view and projections.
void Matrix_BuildLookAt(Matrix& out, const Vector3& from, const Vector3& to, const Vector3& up);
void Matrix_BuildPerspectiveFov(Matrix& out, float fovRadians, float aspect, float zNear, float zFar);
void Matrix_BuildPerspective(Matrix& out, float width, float height, float zNear, float zFar);
void Matrix_BuildOrthoProjection(Matrix& out, float width, float height, float zNear, float zFar);

}  // namespace bw
