#include "platform/maths.h"

#include <gtest/gtest.h>

#include <cmath>

namespace bw {
namespace {

constexpr float kTolerance = 1e-6f;
using Builder = void (*)(Matrix&, float);

Matrix Identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

struct Vector4 { Vector3 xyz; float w; };

// The row vector (v, w) times m.
Vector4 Transform(const Vector3& v, float w, const Matrix& m)
{
    float r[4];
    for (int col = 0; col < 4; ++col)
        r[col] = v.x * m.m[col] + v.y * m.m[4 + col] + v.z * m.m[8 + col] + w * m.m[12 + col];
    return {{r[0], r[1], r[2]}, r[3]};
}

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = kTolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectMatricesNear(const Matrix& actual, const Matrix& expected)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], kTolerance) << "m" << i;
}

TEST(Vector3Maths, NormaliseGivesUnitLengthAndLeavesZeroAsZero)
{
    Vector3 v{3, 4, 0};
    Vector3_Normalise(v);
    ExpectNear(v, {0.6f, 0.8f, 0});
    Vector3_NormaliseTo({0, 0, -5}, v);
    ExpectNear(v, {0, 0, -1});
    v = {0, 0, 0};
    Vector3_Normalise(v);
    ExpectNear(v, {0, 0, 0}, 0.0f);  // not NaN
}

TEST(MatrixMaths, MultiplyAppliesTheLeftMatrixFirst)
{
    Matrix scale = Identity(), translate = Identity(), out;
    scale.m[0] = scale.m[5] = scale.m[10] = 2.0f;
    translate.m[12] = 10.0f;
    Matrix_Multiply(out, scale, translate);
    const Vector4 p = Transform({1, 2, 3}, 1, out);
    ExpectNear(p.xyz, {12, 4, 6}, 0.0f);
    EXPECT_EQ(p.w, 1.0f);
}

TEST(MatrixMaths, MultiplyAndTransposeMayWriteOverAnOperand)
{
    Matrix a;
    for (int i = 0; i < 16; ++i) a.m[i] = static_cast<float>(i * 7 % 11) - 3.5f;
    Matrix t = a, expected, inPlace = a;
    Matrix_Transpose(t, t);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(t.m[i % 4 * 4 + i / 4], a.m[i]);
    Matrix_Multiply(expected, a, t);
    Matrix_Multiply(inPlace, inPlace, t);
    ExpectMatricesNear(inPlace, expected);
}

TEST(MatrixRotation, QuarterTurnsMoveAxesTheOtherWayFromTheUsualRotations)
{
    const struct { Builder build; Vector3 in, out; } cases[] = {
        {Matrix_BuildRotationX, {0, 1, 0}, {0, 0, -1}}, {Matrix_BuildRotationY, {0, 0, 1}, {-1, 0, 0}},
        {Matrix_BuildRotationZ, {1, 0, 0}, {0, -1, 0}}, {Matrix_BuildRotationZ, {0, 1, 0}, {1, 0, 0}}};
    for (const auto& c : cases) {
        Matrix m;
        c.build(m, 90.0f);
        const Vector4 p = Transform(c.in, 1, m);
        ExpectNear(p.xyz, c.out);
        EXPECT_FLOAT_EQ(p.w, 1.0f);
    }
}

TEST(MatrixRotation, ConvertsDegreesWithSinglePrecisionPi)
{
    // Float pi is a little above pi: a half turn leaves a sine of -8.74e-8, not 1.2e-16.
    Matrix m;
    Matrix_BuildRotationZ(m, 180.0f);
    EXPECT_NEAR(m.m[4], -8.742278e-8f, 1e-13f);
    EXPECT_NEAR(m.m[1], 8.742278e-8f, 1e-13f);
}

TEST(MatrixRotation, AxisRotationMatchesAxisBuildersWithTheAngleNegated)
{
    const struct { Builder build; Vector3 axis; } cases[] = {  // axes deliberately not of unit length
        {Matrix_BuildRotationX, {3, 0, 0}}, {Matrix_BuildRotationY, {0, 0.5f, 0}}, {Matrix_BuildRotationZ, {0, 0, 2}}};
    for (const auto& c : cases) {
        for (float degrees : {30.0f, 90.0f, 200.0f}) {
            Matrix expected, actual;
            c.build(expected, -degrees);
            Matrix_BuildRotationAxis(actual, c.axis, degrees);
            ExpectMatricesNear(actual, expected);
        }
    }
}

TEST(MatrixRotation, AxisRotationIsOrthonormalAndKeepsItsAxis)
{
    Matrix m, t, product;
    Matrix_BuildRotationAxis(m, {1, 2, -2}, 50.0f);
    Matrix_Transpose(t, m);
    Matrix_Multiply(product, m, t);
    ExpectMatricesNear(product, Identity());
    ExpectNear(Transform({1, 2, -2}, 0, m).xyz, {1, 2, -2});
}

TEST(MatrixView, LookAtIsOrthonormalPutsTheEyeAtTheOriginAndTheTargetAhead)
{
    const Vector3 from{1, 2, 3}, to{4, -1, 7};
    Matrix m;
    Matrix_BuildLookAt(m, from, to, {0, 1, 0});
    const auto row = [&m](int i) { return Vector3{m.m[i * 4], m.m[i * 4 + 1], m.m[i * 4 + 2]}; };
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b)
            EXPECT_NEAR(Vector3_Dot(row(a), row(b)), a == b ? 1.0f : 0.0f, kTolerance) << "rows " << a << "," << b;
        EXPECT_EQ(m.m[a * 4 + 3], 0.0f);
    }
    EXPECT_EQ(m.m[15], 1.0f);
    ExpectNear(Transform(from, 1, m).xyz, {0, 0, 0});
    ExpectNear(Transform(to, 1, m).xyz, {0, 0, std::sqrt(34.0f)}, 1e-5f);  // left-handed: ahead is +z
    // Looking down +z with up along +y, of any length, changes nothing.
    Matrix_BuildLookAt(m, {0, 0, 0}, {0, 0, 10}, {0, 3, 0});
    ExpectNear(Transform({1, 2, 5}, 1, m).xyz, {1, 2, 5});
}

// Depth after the perspective divide: 0 on the near plane, 1 on the far one.
float ProjectedDepth(const Matrix& m, float z)
{
    const Vector4 p = Transform({0, 0, z}, 1, m);
    return p.xyz.z / p.w;
}

TEST(MatrixProjection, PerspectiveMapsNearAndFarToZeroAndOne)
{
    Matrix fov, volume;
    Matrix_BuildPerspectiveFov(fov, 1.5707964f, 2.0f, 1.0f, 101.0f);
    EXPECT_NEAR(fov.m[0], 0.5f, kTolerance);
    EXPECT_NEAR(fov.m[5], 1.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(fov, 1.0f), 0.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(fov, 101.0f), 1.0f, kTolerance);
    Matrix_BuildPerspective(volume, 4.0f, 2.0f, 2.0f, 10.0f);
    const Vector4 corner = Transform({2, 1, 2}, 1, volume);  // the near plane's top right
    EXPECT_FLOAT_EQ(corner.xyz.x / corner.w, 1.0f);
    EXPECT_FLOAT_EQ(corner.xyz.y / corner.w, 1.0f);
    EXPECT_NEAR(ProjectedDepth(volume, 2.0f), 0.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(volume, 10.0f), 1.0f, kTolerance);
}

TEST(MatrixProjection, OrthoWithNegativeHeightTurnsYDownwards)
{
    Matrix m;
    Matrix_BuildOrthoProjection(m, 640.0f, -480.0f, 1.0f, 32000.0f);
    EXPECT_NEAR(ProjectedDepth(m, 1.0f), 0.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(m, 32000.0f), 1.0f, kTolerance);
    const Vector4 bottomRight = Transform({320, 240, 1}, 1, m);
    EXPECT_FLOAT_EQ(bottomRight.xyz.x, 1.0f);
    EXPECT_FLOAT_EQ(bottomRight.xyz.y, -1.0f);
    EXPECT_EQ(bottomRight.w, 1.0f);
}

}  // namespace
}  // namespace bw
