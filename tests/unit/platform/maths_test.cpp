#include "platform/maths.h"

#include <gtest/gtest.h>

#include <cmath>

namespace bw {
namespace {

constexpr float kTolerance = 1e-6f;

Matrix Identity()
{
    Matrix m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

Matrix Sample()
{
    Matrix m;
    for (int i = 0; i < 16; ++i) {
        m.m[i] = static_cast<float>(i * 7 % 11) - 3.5f;
    }
    return m;
}

// The row vector (v, w) times m.
struct Vector4 {
    float x, y, z, w;
};
Vector4 Transform(const Vector3& v, float w, const Matrix& m)
{
    Vector4 out;
    float* result[4] = {&out.x, &out.y, &out.z, &out.w};
    for (int col = 0; col < 4; ++col) {
        *result[col] = v.x * m.m[col] + v.y * m.m[4 + col] + v.z * m.m[8 + col] + w * m.m[12 + col];
    }
    return out;
}

void ExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

void ExpectMatricesNear(const Matrix& actual, const Matrix& expected)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i], expected.m[i], kTolerance) << "m" << i;
    }
}

TEST(Vector3Maths, DotCrossAndSubtract)
{
    Vector3 out;
    Vector3_Cross(out, {1, 0, 0}, {0, 1, 0});
    ExpectNear(out, {0, 0, 1});
    Vector3_Cross(out, {0, 1, 0}, {1, 0, 0});
    ExpectNear(out, {0, 0, -1});
    EXPECT_FLOAT_EQ(Vector3_Dot({1, 2, 3}, {4, -5, 6}), 12.0f);
    Vector3_Subtract(out, {5, 7, 9}, {1, 2, 3});
    ExpectNear(out, {4, 5, 6});
}

TEST(Vector3Maths, NormaliseGivesUnitLength)
{
    Vector3 v{3, 4, 0};
    Vector3_Normalise(v);
    ExpectNear(v, {0.6f, 0.8f, 0});
    Vector3 out;
    Vector3_NormaliseTo({0, 0, -5}, out);
    ExpectNear(out, {0, 0, -1});
}

TEST(Vector3Maths, NormalisingZeroLeavesZero)
{
    Vector3 v{0, 0, 0};
    Vector3_Normalise(v);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
}

TEST(MatrixMaths, IdentityLeavesAMatrixUnchanged)
{
    const Matrix sample = Sample();
    Matrix out;
    Matrix_Multiply(out, Identity(), sample);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out.m[i], sample.m[i]) << "I*M m" << i;
    }
    Matrix_Multiply(out, sample, Identity());
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out.m[i], sample.m[i]) << "M*I m" << i;
    }
}

TEST(MatrixMaths, MultiplyAppliesTheLeftMatrixFirst)
{
    Matrix scale = Identity();
    scale.m[0] = scale.m[5] = scale.m[10] = 2.0f;
    Matrix translate = Identity();
    translate.m[12] = 10.0f;
    Matrix scaleThenTranslate;
    Matrix_Multiply(scaleThenTranslate, scale, translate);
    const Vector4 p = Transform({1, 2, 3}, 1, scaleThenTranslate);
    EXPECT_FLOAT_EQ(p.x, 12.0f);
    EXPECT_FLOAT_EQ(p.y, 4.0f);
    EXPECT_FLOAT_EQ(p.z, 6.0f);
    EXPECT_FLOAT_EQ(p.w, 1.0f);
}

TEST(MatrixMaths, MultiplyMayWriteOverAnOperand)
{
    const Matrix a = Sample();
    Matrix b;
    Matrix_Transpose(b, a);
    Matrix expected;
    Matrix_Multiply(expected, a, b);
    Matrix inPlace = a;
    Matrix_Multiply(inPlace, inPlace, b);
    ExpectMatricesNear(inPlace, expected);
}

TEST(MatrixMaths, TransposeSwapsRowsAndColumns)
{
    const Matrix m = Sample();
    Matrix t = m;
    Matrix_Transpose(t, t);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(t.m[col * 4 + row], m.m[row * 4 + col]);
        }
    }
}

TEST(MatrixRotation, QuarterTurnsMoveAxesTheOtherWayFromTheUsualRotations)
{
    using Builder = void (*)(Matrix&, float);
    const struct {
        const char* name;
        Builder build;
        Vector3 in, out;
    } cases[] = {
        {"X", Matrix_BuildRotationX, {0, 1, 0}, {0, 0, -1}},
        {"Y", Matrix_BuildRotationY, {0, 0, 1}, {-1, 0, 0}},
        {"Z", Matrix_BuildRotationZ, {1, 0, 0}, {0, -1, 0}},
        {"Z", Matrix_BuildRotationZ, {0, 1, 0}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix m;
        c.build(m, 90.0f);
        const Vector4 p = Transform(c.in, 1, m);
        ExpectNear({p.x, p.y, p.z}, c.out);
        EXPECT_FLOAT_EQ(p.w, 1.0f);
    }
}

TEST(MatrixRotation, ConvertsDegreesWithSinglePrecisionPi)
{
    // Single-precision pi is a little above pi, so a half turn leaves a sine
    // of about -8.74e-8 where double-precision pi would leave 1.2e-16.
    Matrix m;
    Matrix_BuildRotationZ(m, 180.0f);
    EXPECT_NEAR(m.m[4], -8.742278e-8f, 1e-13f);
    EXPECT_NEAR(m.m[1], 8.742278e-8f, 1e-13f);
}

TEST(MatrixRotation, AxisRotationMatchesAxisBuildersWithTheAngleNegated)
{
    using Builder = void (*)(Matrix&, float);
    const struct {
        Builder build;
        Vector3 axis;  // deliberately not of unit length
    } cases[] = {
        {Matrix_BuildRotationX, {3, 0, 0}},
        {Matrix_BuildRotationY, {0, 0.5f, 0}},
        {Matrix_BuildRotationZ, {0, 0, 2}},
    };
    for (const auto& c : cases) {
        for (float degrees : {30.0f, 90.0f, 200.0f}) {
            Matrix expected;
            c.build(expected, -degrees);
            Matrix actual;
            Matrix_BuildRotationAxis(actual, c.axis, degrees);
            ExpectMatricesNear(actual, expected);
        }
    }
}

TEST(MatrixRotation, AxisRotationIsOrthonormalForAnyAxis)
{
    Matrix m;
    Matrix_BuildRotationAxis(m, {1, 2, -2}, 50.0f);
    Matrix t;
    Matrix_Transpose(t, m);
    Matrix product;
    Matrix_Multiply(product, m, t);
    ExpectMatricesNear(product, Identity());
    // The axis itself stays put.
    const Vector4 p = Transform({1, 2, -2}, 0, m);
    ExpectNear({p.x, p.y, p.z}, {1, 2, -2});
}

TEST(MatrixView, LookAtHasOrthonormalAxesAndPutsTheEyeAtTheOrigin)
{
    const Vector3 from{1, 2, 3};
    const Vector3 to{4, -1, 7};
    Matrix m;
    Matrix_BuildLookAt(m, from, to, {0, 1, 0});
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            const float dot = m.m[a * 4] * m.m[b * 4] + m.m[a * 4 + 1] * m.m[b * 4 + 1] + m.m[a * 4 + 2] * m.m[b * 4 + 2];
            EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, kTolerance) << "rows " << a << "," << b;
        }
        EXPECT_EQ(m.m[a * 4 + 3], 0.0f);
    }
    EXPECT_EQ(m.m[15], 1.0f);
    const Vector4 eye = Transform(from, 1, m);
    ExpectNear({eye.x, eye.y, eye.z}, {0, 0, 0});
    // Left-handed: the target lies straight ahead on +z.
    const Vector4 target = Transform(to, 1, m);
    EXPECT_NEAR(target.x, 0.0f, 1e-5f);
    EXPECT_NEAR(target.y, 0.0f, 1e-5f);
    EXPECT_NEAR(target.z, std::sqrt(34.0f), 1e-5f);
}

TEST(MatrixView, LookAtKeepsUpOnTheScreensY)
{
    Matrix m;
    Matrix_BuildLookAt(m, {0, 0, 0}, {0, 0, 10}, {0, 3, 0});
    const Vector4 above = Transform({0, 1, 5}, 1, m);
    ExpectNear({above.x, above.y, above.z}, {0, 1, 5});
    const Vector4 right = Transform({1, 0, 5}, 1, m);
    ExpectNear({right.x, right.y, right.z}, {1, 0, 5});
}

// Depth after the perspective divide: 0 on the near plane, 1 on the far one.
float ProjectedDepth(const Matrix& m, float z)
{
    const Vector4 p = Transform({0, 0, z}, 1, m);
    return p.z / p.w;
}

TEST(MatrixProjection, PerspectiveMapsNearAndFarToZeroAndOne)
{
    Matrix fov;
    Matrix_BuildPerspectiveFov(fov, 1.5707964f, 2.0f, 1.0f, 101.0f);
    EXPECT_NEAR(fov.m[0], 0.5f, kTolerance);
    EXPECT_NEAR(fov.m[5], 1.0f, kTolerance);
    EXPECT_EQ(fov.m[11], 1.0f);
    EXPECT_EQ(fov.m[15], 0.0f);
    EXPECT_NEAR(ProjectedDepth(fov, 1.0f), 0.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(fov, 101.0f), 1.0f, kTolerance);

    Matrix volume;
    Matrix_BuildPerspective(volume, 4.0f, 2.0f, 2.0f, 10.0f);
    // The near plane's right and top edges land on the edges of the screen.
    const Vector4 corner = Transform({2, 1, 2}, 1, volume);
    EXPECT_FLOAT_EQ(corner.x / corner.w, 1.0f);
    EXPECT_FLOAT_EQ(corner.y / corner.w, 1.0f);
    EXPECT_NEAR(ProjectedDepth(volume, 2.0f), 0.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(volume, 10.0f), 1.0f, kTolerance);
}

TEST(MatrixProjection, OrthoWithNegativeHeightTurnsYDownwards)
{
    Matrix m;
    Matrix_BuildOrthoProjection(m, 640.0f, -480.0f, 1.0f, 32000.0f);
    EXPECT_FLOAT_EQ(m.m[0], 2.0f / 640.0f);
    EXPECT_FLOAT_EQ(m.m[5], -2.0f / 480.0f);
    EXPECT_EQ(m.m[15], 1.0f);
    EXPECT_EQ(m.m[11], 0.0f);
    EXPECT_NEAR(ProjectedDepth(m, 1.0f), 0.0f, kTolerance);
    EXPECT_NEAR(ProjectedDepth(m, 32000.0f), 1.0f, kTolerance);
    const Vector4 bottomRight = Transform({320, 240, 1}, 1, m);
    EXPECT_FLOAT_EQ(bottomRight.x, 1.0f);
    EXPECT_FLOAT_EQ(bottomRight.y, -1.0f);
}

}  // namespace
}  // namespace bw
