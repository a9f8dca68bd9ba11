// Sprite frames drawn on the recording device: through the sprite's own page
// entries, around its origin, and skipped when they cannot reach the view.
#include <gtest/gtest.h>

#include "graphics/graphics_3d.h"
#include "graphics/transforms.h"
#include "resources/sprite.h"
#include "sprite_test_support.h"
#include "unit/graphics/draw_fixture.h"

namespace bw::test {
namespace {

class SpriteDrawTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        GR_SetViewProjection(0.0f, 0.0f, 64.0f, 64.0f, 0.0f);
        // Two frames of 4 x 2 with the origin at (1, 1).
        sprite = SpriteFromPicture({"########", "########"}, 2, true, 1, 1);
    }

    std::unique_ptr<CSprite> sprite;
};

TEST_F(SpriteDrawTest, FrameIsPlacedAroundTheOrigin)
{
    ASSERT_NE(sprite->GetPageEntry(0), nullptr);
    sprite->Draw(0, 10.0f, 20.0f, 1.0f, 1.0f, 0.0f, 0xFFFFFF, 1.0f);
    sprite->DrawSimple(1, 10.0f, 20.0f);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 12u);
    for (size_t quad : {0u, 6u}) {
        EXPECT_FLOAT_EQ(v[quad].x, 9.0f);
        EXPECT_FLOAT_EQ(v[quad].y, 19.0f);
        EXPECT_FLOAT_EQ(v[quad + 2].x, 13.0f);
        EXPECT_FLOAT_EQ(v[quad + 2].y, 21.0f);
    }
}

TEST_F(SpriteDrawTest, FramesFarOutsideTheViewAreSkipped)
{
    // The radius (ceil of sqrt(3^2 + 1^2) = 4) scaled by 2 reaches 8 pixels.
    sprite->Draw(0, 71.0f, 10.0f, 2.0f, 2.0f, 0.0f, 0xFFFFFF, 1.0f);
    EXPECT_EQ(DrawnTextured().size(), 6u);
    sprite->Draw(0, 73.0f, 10.0f, 2.0f, 2.0f, 0.0f, 0xFFFFFF, 1.0f);
    sprite->DrawSimple(0, -5.0f, 10.0f);
    EXPECT_TRUE(DrawnTextured().empty());
}

TEST_F(SpriteDrawTest, AProjectionGameCodeSetsIsNotCulledAgainstTheOldView)
{
    GR_3D_SetProjectionOrtho(200.0f, 0.0f, 64.0f, 64.0f, 0.0f);
    sprite->Draw(0, 210.0f, 10.0f, 1.0f, 1.0f, 0.0f, 0xFFFFFF, 1.0f);
    EXPECT_EQ(DrawnTextured().size(), 6u);
    // The next room view brings culling back.
    GR_SetViewProjection(0.0f, 0.0f, 64.0f, 64.0f, 0.0f);
    sprite->Draw(0, 210.0f, 10.0f, 1.0f, 1.0f, 0.0f, 0xFFFFFF, 1.0f);
    EXPECT_TRUE(DrawnTextured().empty());
}

TEST_F(SpriteDrawTest, StretchedNeedsAPositiveSize)
{
    sprite->DrawStretched(0, 0.0f, 0.0f, 8.0f, 6.0f, 0xFFFFFF, 1.0f);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[2].x, 8.0f);
    EXPECT_FLOAT_EQ(v[2].y, 6.0f);
    sprite->DrawStretched(0, 0.0f, 0.0f, 0.0f, 6.0f, 0xFFFFFF, 1.0f);
    EXPECT_TRUE(DrawnTextured().empty());
}

TEST_F(SpriteDrawTest, EmptySpriteDrawsNothing)
{
    CSprite empty;
    empty.Draw(0, 10.0f, 10.0f, 1.0f, 1.0f, 0.0f, 0xFFFFFF, 1.0f);
    empty.DrawSimple(3, 10.0f, 10.0f);
    empty.DrawPart(0, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0xFFFFFF, 1.0f);
    EXPECT_TRUE(DrawnTextured().empty());
    EXPECT_EQ(empty.GetFrameTexture(0), -1);
}

}  // namespace
}  // namespace bw::test
