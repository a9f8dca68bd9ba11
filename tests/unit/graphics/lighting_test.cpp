// The fixed lights on the OpenGL back end (headless): white quads drawn into
// a surface with lighting on, their pixels read back.
#include "gl_golden_fixture.h"
#include "graphics/device/gl/gl_shader.h"
#include "graphics/graphics_3d.h"
#include "graphics/primitives_3d.h"
#include "graphics/surfaces.h"

namespace bw {
namespace {

// Script colours, 0x00BBGGRR, as surface_getpixel gives them.
constexpr uint32_t kBlack = 0x000000u;
constexpr uint32_t kWhite = 0xFFFFFFu;
constexpr uint32_t kRed = 0x0000FFu;
constexpr float kLeft = 0.0f;
constexpr float kRight = 16.0f;

int32_t Red(uint32_t colour)
{
    return static_cast<int32_t>(colour & 0xFF);
}

class Lighting : public test::GoldenScreenTest<32, 16> {
protected:
    void SetUp() override
    {
        GoldenScreenTest::SetUp();
        surface = Surface_Create(32, 16);
        ASSERT_GE(surface, 0);
        ASSERT_TRUE(Surface_SetTarget(surface));
        GR_Clear(kBlack);
        GR_SetColour(kWhite);
        GR_3D_SetLighting(true);
        GR_D3D_SetAmbient(kBlack);
    }

    void TearDown() override
    {
        GR_3D_TransformIdentity();
        Surface_FreeAll();
        GoldenScreenTest::TearDown();
    }

    // A 16 x 16 quad at x, facing along the normal, in the drawing colour
    // or, when given, in its own.
    void Quad(float x, float nx, float ny, float nz, uint32_t colour = kWhite)
    {
        GR_3D_PrimitiveBegin(PrimitiveTriangleFan, -1);
        GR_3D_VertexNormalColour(x, 0, 0, nx, ny, nz, colour, 1.0f);
        GR_3D_VertexNormalColour(x + 16, 0, 0, nx, ny, nz, colour, 1.0f);
        GR_3D_VertexNormalColour(x + 16, 16, 0, nx, ny, nz, colour, 1.0f);
        GR_3D_VertexNormalColour(x, 16, 0, nx, ny, nz, colour, 1.0f);
        GR_3D_PrimitiveEnd();
    }

    // A quad facing +z, the side a light travelling along -z shines on.
    void LitSideQuad(float x) { Quad(x, 0, 0, 1); }

    uint32_t Left() { return Surface_GetPixel(surface, 8, 8); }
    uint32_t Right() { return Surface_GetPixel(surface, 24, 8); }

    int32_t surface = -1;
};

// Lights, ambient colour and material are device state read when the batch
// is drawn; a change must not reach what was drawn before it.
TEST_F(Lighting, EachChangeReachesOnlyWhatIsDrawnAfterIt)
{
    GR_D3D_DefineDirLight(1, 0, 0, -1, kRed);
    GR_D3D_EnableLight(1, true);
    LitSideQuad(kLeft);
    GR_D3D_EnableLight(1, false);
    LitSideQuad(kRight);
    EXPECT_EQ(Left(), kRed) << "switched off after drawing";
    EXPECT_EQ(Right(), kBlack);

    GR_D3D_EnableLight(1, true);
    LitSideQuad(kLeft);
    GR_D3D_DefineDirLight(1, 0, 0, 1, kRed);
    LitSideQuad(kRight);
    EXPECT_EQ(Left(), kRed) << "turned round after drawing";
    EXPECT_EQ(Right(), kBlack);

    GR_D3D_EnableLight(1, false);
    GR_D3D_DefinePointLight(2, 8, 8, 8, 100, kRed);
    GR_D3D_EnableLight(2, true);
    LitSideQuad(kLeft);
    GR_D3D_DefinePointLight(2, 8, 8, 8, 1, kRed);
    LitSideQuad(kRight);
    EXPECT_GT(Red(Left()), 0) << "point light shortened after drawing";
    EXPECT_EQ(Right(), kBlack);

    GR_D3D_EnableLight(2, false);
    LitSideQuad(kLeft);
    GR_D3D_SetAmbient(kWhite);
    LitSideQuad(kRight);
    EXPECT_EQ(Left(), kBlack) << "ambient raised after drawing";
    EXPECT_EQ(Right(), kWhite);
}

TEST_F(Lighting, ADirectionalLightShinesOnTheFacesTurnedAgainstItsTravel)
{
    // Numbers wrap at eight lights: 9 and 1 are the same light.
    GR_D3D_DefineDirLight(9, 0, 0, -1, kRed);
    GR_D3D_EnableLight(1, true);
    Quad(kLeft, 0, 0, -1);
    LitSideQuad(kRight);
    EXPECT_EQ(Left(), kBlack);
    EXPECT_EQ(Right(), kRed);

    GR_D3D_EnableLight(9, false);
    LitSideQuad(kLeft);
    EXPECT_EQ(Left(), kBlack) << "light 9 is light 1";

    // Lit by the cosine of the angle: N . -Direction = 0.8.
    GR_D3D_DefineDirLight(1, 0, -0.6f, -0.8f, kWhite);
    GR_D3D_EnableLight(1, true);
    LitSideQuad(kLeft);
    EXPECT_NEAR(Red(Left()), 204, 1);
}

TEST_F(Lighting, WithoutAnEnabledLightOnlyTheAmbientColourLightsEitherSide)
{
    GR_D3D_DefineDirLight(1, 0, 0, -1, kRed);
    GR_D3D_SetAmbient(0x404040);
    Quad(kLeft, 0, 0, -1);
    LitSideQuad(kRight);
    EXPECT_EQ(Left(), 0x404040u);
    EXPECT_EQ(Right(), 0x404040u);

    GR_D3D_SetAmbient(kWhite);
    Quad(kLeft, 0, 0, -1);
    LitSideQuad(kRight);
    EXPECT_EQ(Left(), kWhite);
    EXPECT_EQ(Right(), kWhite);
}

// The vertex colour takes the place of the material's diffuse colour; the
// ambient colour meets the (white) material instead.
TEST_F(Lighting, TheVertexColourIsWhatTheLightsShineOn)
{
    GR_D3D_DefineDirLight(1, 0, 0, -1, kWhite);
    GR_D3D_EnableLight(1, true);
    Quad(kLeft, 0, 0, 1, 0x3264C8);  // red 200, green 100, blue 50
    GR_D3D_EnableLight(1, false);
    GR_D3D_SetAmbient(0x404040);
    Quad(kRight, 0, 0, 1, kRed);
    EXPECT_EQ(Left(), 0x3264C8u);
    EXPECT_EQ(Right(), 0x404040u);
}

TEST_F(Lighting, APointLightFadesWithDistanceAndEndsAtItsRange)
{
    // Straight above the quad's centre, 8 away: every corner is 13.86 away
    // and sees it at cos = 8 / 13.86, attenuated by 1 / (1 + d / range).
    GR_D3D_DefinePointLight(0, 8, 8, 8, 100, kWhite);
    GR_D3D_EnableLight(0, true);
    LitSideQuad(kLeft);
    EXPECT_NEAR(Red(Left()), 129, 2);

    GR_D3D_DefinePointLight(0, 8, 8, 8, 13, kWhite);
    LitSideQuad(kLeft);
    EXPECT_EQ(Left(), kBlack);
}

// Normals go through the inverse transpose of the world transform and are
// not made unit length again: a world scaled by 2 halves the light.
TEST_F(Lighting, AScaledWorldScalesTheLightInverselyAsTheDeviceDoes)
{
    GR_D3D_DefineDirLight(1, 0, 0, -1, kWhite);
    GR_D3D_EnableLight(1, true);
    GR_3D_TransformSetScaling(2, 2, 2);
    LitSideQuad(kLeft);
    EXPECT_NEAR(Red(Left()), 128, 1);
}

// Whatever shear and scaling the world has, the normal matrix transposed
// times the world's 3 x 3 is the identity; a world that flattens everything
// gives no normals rather than infinities.
TEST(GlNormalMatrix, IsTheInverseTransposeOfTheWorlds3x3)
{
    const Matrix sheared{{2, 1, 0, 0, 0, 3, 1, 0, 1, 0, 4, 0, 5, 6, 7, 1}};
    float normal[9];
    GlNormalMatrix(sheared, normal);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) {
                sum += normal[k * 3 + i] * sheared.m[k * 4 + j];
            }
            EXPECT_NEAR(sum, i == j ? 1.0f : 0.0f, 1e-6f) << i << ", " << j;
        }
    }

    const Matrix flat{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
    GlNormalMatrix(flat, normal);
    for (float value : normal) {
        EXPECT_EQ(value, 0.0f);
    }
}

}  // namespace
}  // namespace bw
