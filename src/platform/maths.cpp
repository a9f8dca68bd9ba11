#include "platform/maths.h"

#include <cmath>

namespace bw {

namespace {

// Degrees to radians with pi in single precision, as every angle of the
// program is converted.
constexpr float kDegreesToRadians = 0.01745329238474369f;

Matrix Identity()
{
    Matrix identity{};
    identity.m[0] = identity.m[5] = identity.m[10] = identity.m[15] = 1.0f;
    return identity;
}

// The rotation builders put cosine and sine into an identity at these places:
// m[cosA] = m[cosB] = c, m[minusSin] = -s, m[plusSin] = s.
void BuildAxisRotation(Matrix& out, float degrees, int cosA, int cosB, int minusSin, int plusSin)
{
    const float angle = degrees * kDegreesToRadians;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    out = Identity();
    out.m[cosA] = c;
    out.m[cosB] = c;
    out.m[minusSin] = -s;
    out.m[plusSin] = s;
}

}  // namespace

void Vector3_Subtract(Vector3& out, const Vector3& a, const Vector3& b)
{
    out = {a.x - b.x, a.y - b.y, a.z - b.z};
}

float Vector3_Dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

void Vector3_Normalise(Vector3& v)
{
    Vector3_NormaliseTo(v, v);
}

void Vector3_NormaliseTo(const Vector3& v, Vector3& out)
{
    const float length = std::sqrt(Vector3_Dot(v, v));
    if (length == 0.0f) {
        out = {0.0f, 0.0f, 0.0f};
        return;
    }
    out = {v.x / length, v.y / length, v.z / length};
}

void Vector3_Cross(Vector3& out, const Vector3& a, const Vector3& b)
{
    out = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void Matrix_Multiply(Matrix& out, const Matrix& a, const Matrix& b)
{
    Matrix product;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            product.m[row * 4 + col] = a.m[row * 4] * b.m[col] + a.m[row * 4 + 1] * b.m[4 + col] +
                                       a.m[row * 4 + 2] * b.m[8 + col] + a.m[row * 4 + 3] * b.m[12 + col];
        }
    }
    out = product;
}

void Matrix_Transpose(Matrix& out, const Matrix& m)
{
    Matrix transposed;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            transposed.m[col * 4 + row] = m.m[row * 4 + col];
        }
    }
    out = transposed;
}

void Matrix_BuildRotationX(Matrix& out, float degrees)
{
    BuildAxisRotation(out, degrees, 5, 10, 6, 9);
}

void Matrix_BuildRotationY(Matrix& out, float degrees)
{
    BuildAxisRotation(out, degrees, 0, 10, 8, 2);
}

void Matrix_BuildRotationZ(Matrix& out, float degrees)
{
    BuildAxisRotation(out, degrees, 0, 5, 1, 4);
}

void Matrix_BuildRotationAxis(Matrix& out, const Vector3& axis, float degrees)
{
    Vector3 n;
    Vector3_NormaliseTo(axis, n);
    const float angle = degrees * kDegreesToRadians;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    out = Matrix{};
    out.m[0] = n.x * n.x * t + c;
    out.m[1] = n.x * n.y * t + s * n.z;
    out.m[2] = n.x * n.z * t - s * n.y;
    out.m[4] = n.x * n.y * t - s * n.z;
    out.m[5] = n.y * n.y * t + c;
    out.m[6] = n.y * n.z * t + s * n.x;
    out.m[8] = n.x * n.z * t + s * n.y;
    out.m[9] = n.y * n.z * t - s * n.x;
    out.m[10] = n.z * n.z * t + c;
    out.m[15] = 1.0f;
}

void Matrix_BuildLookAt(Matrix& out, const Vector3& from, const Vector3& to, const Vector3& up)
{
    Vector3 zAxis;
    Vector3_Subtract(zAxis, to, from);
    Vector3_Normalise(zAxis);
    Vector3 upUnit;
    Vector3_NormaliseTo(up, upUnit);
    Vector3 xAxis;
    Vector3_Cross(xAxis, upUnit, zAxis);
    Vector3_Normalise(xAxis);
    Vector3 yAxis;
    Vector3_Cross(yAxis, zAxis, xAxis);
    out.m[0] = xAxis.x;
    out.m[1] = yAxis.x;
    out.m[2] = zAxis.x;
    out.m[3] = 0.0f;
    out.m[4] = xAxis.y;
    out.m[5] = yAxis.y;
    out.m[6] = zAxis.y;
    out.m[7] = 0.0f;
    out.m[8] = xAxis.z;
    out.m[9] = yAxis.z;
    out.m[10] = zAxis.z;
    out.m[11] = 0.0f;
    out.m[12] = -Vector3_Dot(xAxis, from);
    out.m[13] = -Vector3_Dot(yAxis, from);
    out.m[14] = -Vector3_Dot(zAxis, from);
    out.m[15] = 1.0f;
}

void Matrix_BuildPerspectiveFov(Matrix& out, float fovRadians, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovRadians / 2.0f);
    out = Matrix{};
    out.m[0] = yScale / aspect;
    out.m[5] = yScale;
    out.m[10] = zFar / (zFar - zNear);
    out.m[11] = 1.0f;
    out.m[14] = -zNear * zFar / (zFar - zNear);
}

void Matrix_BuildPerspective(Matrix& out, float width, float height, float zNear, float zFar)
{
    out = Matrix{};
    out.m[0] = 2.0f * zNear / width;
    out.m[5] = 2.0f * zNear / height;
    out.m[10] = zFar / (zFar - zNear);
    out.m[11] = 1.0f;
    out.m[14] = -zNear * zFar / (zFar - zNear);
}

void Matrix_BuildOrthoProjection(Matrix& out, float width, float height, float zNear, float zFar)
{
    out = Matrix{};
    out.m[0] = 2.0f / width;
    out.m[5] = 2.0f / height;
    out.m[10] = 1.0f / (zFar - zNear);
    out.m[14] = zNear / (zNear - zFar);
    out.m[15] = 1.0f;
}

}  // namespace bw
