// The per-pixel tests of placed sprites on hand-drawn masks.
#include <gtest/gtest.h>

#include <string>

#include "resources/sprite.h"
#include "sprite_test_support.h"

namespace bw::test {
namespace {

// A 4 x 4 sprite with one solid pixel at (1, 2).
std::unique_ptr<CSprite> Dot()
{
    return SpriteFromPicture({"....", "....", ".#..", "...."});
}

SpritePlacement Placed(int32_t x, int32_t y, float xscale = 1.0f, float yscale = 1.0f, float angle = 0.0f)
{
    SpritePlacement placed;
    placed.x = x;
    placed.y = y;
    placed.xscale = xscale;
    placed.yscale = yscale;
    placed.angle = angle;
    // Wide enough for every case here; the tests scan only the overlap.
    placed.left = x - 20;
    placed.top = y - 20;
    placed.right = x + 20;
    placed.bottom = y + 20;
    return placed;
}

SpritePlacement WithBox(SpritePlacement placed, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    placed.left = left;
    placed.top = top;
    placed.right = right;
    placed.bottom = bottom;
    return placed;
}

TEST(SpriteCollision, PointHitsOnlyTheSolidPixelAndFollowsAOnePixelShift)
{
    const auto sprite = Dot();
    ASSERT_TRUE(sprite->hasMasks);
    struct Case {
        int32_t spriteX, px, py;
        bool hit;
    };
    const Case cases[] = {
        {10, 11, 12, true}, {10, 12, 12, false}, {10, 10, 12, false}, {10, 11, 11, false},
        {11, 12, 12, true}, {11, 11, 12, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sprite->CollidePoint(Placed(c.spriteX, 10), c.px, c.py), c.hit)
            << "sprite at " << c.spriteX << ", point " << c.px << "," << c.py;
    }
    // Outside the frame a sprite with masks is never hit.
    const auto full = SpriteFromPicture({"##", "##"});
    EXPECT_TRUE(full->CollidePoint(Placed(0, 0), 1, 1));
    EXPECT_FALSE(full->CollidePoint(Placed(0, 0), 2, 1));
    EXPECT_FALSE(full->CollidePoint(Placed(0, 0), -1, 0));
}

TEST(SpriteCollision, ScaleTwoFloorsForPointsAndRoundsHalfToEvenForSprites)
{
    const auto corner = SpriteFromPicture({"#.", ".."});
    // Room pixel 1 maps to frame pixel 0.5: floored to 0 for a point.
    EXPECT_TRUE(corner->CollidePoint(Placed(0, 0, 2.0f, 2.0f), 1, 1));
    EXPECT_FALSE(corner->CollidePoint(Placed(0, 0, 2.0f, 2.0f), 2, 0));
    // Against a one-pixel sprite at room pixel 1: 0.5 rounds to 0 (ties to
    // even), so the scaled corner is solid there; at room pixel 3, 1.5
    // rounds to 2, outside the 2 x 2 frame.
    const auto pixel = SpriteFromPicture({"#"});
    const SpritePlacement scaled = Placed(0, 0, 2.0f, 2.0f);
    EXPECT_TRUE(corner->CollideSprite(scaled, *pixel, WithBox(Placed(1, 1), 1, 1, 1, 1)));
    EXPECT_FALSE(corner->CollideSprite(scaled, *pixel, WithBox(Placed(3, 0), 3, 0, 3, 0)));
}

TEST(SpriteCollision, RotationByNinetyDegreesTurnsARowIntoAColumn)
{
    // Solid at the right end of a 4 x 1 row; turned counter-clockwise by 90
    // degrees (y pointing down) it lies 3 pixels above the origin.
    const auto bar = SpriteFromPicture({"...#"});
    const SpritePlacement turned = Placed(10, 10, 1.0f, 1.0f, 90.0f);
    EXPECT_TRUE(bar->CollidePoint(turned, 10, 7));
    EXPECT_FALSE(bar->CollidePoint(turned, 13, 10));
    EXPECT_TRUE(bar->CollideRectangle(turned, 9, 6, 11, 7));
    EXPECT_FALSE(bar->CollideRectangle(turned, 11, 0, 20, 20));
}

TEST(SpriteCollision, RectangleAndEllipseFindTheSolidPixelInTheirArea)
{
    const auto sprite = Dot();
    const SpritePlacement placed = Placed(10, 10);
    struct Case {
        int32_t left, top, right, bottom;
        bool rectangle, ellipse;
    };
    const Case cases[] = {
        {11, 12, 11, 12, true, true},     // the pixel itself
        {0, 0, 10, 30, false, false},     // left of it
        {5, 6, 17, 18, true, true},       // centred on it
        {11, 12, 30, 40, true, false},    // in the rectangle's corner, outside the ellipse
        // One pixel across: radii of 0 must not divide by zero.
        {11, 0, 11, 30, true, true},
        {0, 12, 30, 12, true, true},
        {11, 11, 12, 30, true, true},
        {12, 0, 12, 30, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top) + " " + std::to_string(c.right) + "," +
                     std::to_string(c.bottom));
        EXPECT_EQ(sprite->CollideRectangle(placed, c.left, c.top, c.right, c.bottom), c.rectangle);
        EXPECT_EQ(sprite->CollideEllipse(placed, c.left, c.top, c.right, c.bottom), c.ellipse);
    }
}

TEST(SpriteCollision, LineGivesTheSameAnswerFromEitherEnd)
{
    const auto sprite = Dot();
    const SpritePlacement placed = Placed(10, 10);
    struct Case {
        int32_t x1, y1, x2, y2;
        bool hit;
    };
    const Case cases[] = {
        {5, 6, 17, 18, true},   // diagonal through the pixel, walked by columns
        {9, 6, 13, 18, true},   // steep, walked by rows
        {5, 7, 17, 19, false},  // one row lower
        {11, 0, 11, 30, true},  // vertical
        {0, 12, 30, 12, true},  // horizontal
        {0, 13, 30, 13, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sprite->CollideLine(placed, c.x1, c.y1, c.x2, c.y2), c.hit)
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
        EXPECT_EQ(sprite->CollideLine(placed, c.x2, c.y2, c.x1, c.y1), c.hit)
            << c.x2 << "," << c.y2 << " -> " << c.x1 << "," << c.y1;
    }
}

TEST(SpriteCollision, SpritesMeetWhereTheirMasksOverlap)
{
    const auto a = SpriteFromPicture({"##..", "##.."});
    const auto b = SpriteFromPicture({"..##", "..##"});
    struct Case {
        int32_t bx;
        bool hit;
    };
    // b's solid columns sit at bx + 2 and bx + 3; a's at 10 and 11.
    const Case cases[] = {{10, false}, {9, true}, {8, true}, {7, true}, {6, false}, {5, false}};
    for (const Case& c : cases) {
        const SpritePlacement pa = WithBox(Placed(10, 10), 10, 10, 13, 11);
        const SpritePlacement pb = WithBox(Placed(c.bx, 10), c.bx, 10, c.bx + 3, 11);
        EXPECT_EQ(a->CollideSprite(pa, *b, pb), c.hit) << "b at " << c.bx;
        EXPECT_EQ(b->CollideSprite(pb, *a, pa), c.hit) << "b at " << c.bx << ", asked the other way";
    }
}

TEST(SpriteCollision, SpriteWithoutMasksLeavesTheAnswerToTheBoxes)
{
    const auto plain = SpriteFromPicture({"....", "...."}, 1, false);
    ASSERT_FALSE(plain->hasMasks);
    const SpritePlacement placed = Placed(0, 0);
    EXPECT_TRUE(plain->CollidePoint(placed, 100, 100));
    EXPECT_TRUE(plain->CollideRectangle(placed, 0, 0, 1, 1));
    EXPECT_TRUE(plain->CollideEllipse(placed, 0, 0, 5, 5));
    EXPECT_TRUE(plain->CollideLine(placed, 0, 0, 3, 1));
}

TEST(SpriteCollision, ZeroOrVanishingScaleCollidesWithNothing)
{
    const auto full = SpriteFromPicture({"##", "##"});
    const SpritePlacement flat = Placed(0, 0, 0.0f, 1.0f);
    EXPECT_FALSE(full->CollidePoint(flat, 0, 0));
    EXPECT_FALSE(full->CollideRectangle(flat, -5, -5, 5, 5));
    EXPECT_FALSE(full->CollideEllipse(flat, -5, -5, 5, 5));
    EXPECT_FALSE(full->CollideLine(flat, -5, -4, 5, 5));
    EXPECT_FALSE(full->CollideSprite(flat, *full, Placed(0, 0)));
    EXPECT_FALSE(full->CollideSprite(Placed(0, 0), *full, Placed(0, 0, 1.0f, 0.0f)));
    // A tiny scale maps room pixels far outside the frame.
    const SpritePlacement tiny = Placed(0, 0, 1.0e-30f, 1.0e-30f);
    EXPECT_FALSE(full->CollidePoint(tiny, 5, 5));
    EXPECT_FALSE(full->CollideRectangle(tiny, 1, 1, 3, 3));
}

TEST(SpriteCollision, EachFrameUsesItsOwnMaskAndNegativeFramesCountFromTheEnd)
{
    // Two frames of 2 x 1: frame 0 solid on the left, frame 1 on the right.
    const auto sprite = SpriteFromPicture({"#..#"}, 2);
    ASSERT_EQ(sprite->frameCount, 2);
    SpritePlacement placed = Placed(0, 0);
    placed.frame = 0;
    EXPECT_TRUE(sprite->CollidePoint(placed, 0, 0));
    EXPECT_FALSE(sprite->CollidePoint(placed, 1, 0));
    placed.frame = -1;
    EXPECT_FALSE(sprite->CollidePoint(placed, 0, 0));
    EXPECT_TRUE(sprite->CollidePoint(placed, 1, 0));
}

}  // namespace
}  // namespace bw::test
