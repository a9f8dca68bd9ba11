// TBitmap's BMP reading and BitmapLoader.
#include "graphics/bitmap.h"

#include <gtest/gtest.h>

#include "image_fixtures.h"
#include "platform/stream.h"

namespace bw {
namespace {

bool Load(TBitmap& bitmap, const test::Bytes& file)
{
    CStream stream;
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.Seek(0);
    return bitmap.LoadFromStream(&stream);
}

TEST(TBitmapBmp, TwentyFourBitRowsArePaddedToFourBytesAndTurnedTopFirst)
{
    // Width 10 at 24 bits: 30 bytes of pixels padded to 32. Stored bottom
    // row first.
    test::Bytes rows(64, 0);
    rows[0] = 0xB0;   // bottom row, first pixel, blue
    rows[32] = 0xA1;  // top row, first pixel, blue
    rows[32 + 27] = 0xA2;  // top row, last pixel, blue
    TBitmap bitmap;
    ASSERT_TRUE(Load(bitmap, test::MakeBmp(10, 2, 24, rows)));
    EXPECT_EQ(bitmap.GetFormat(), BitmapFormat24);
    int32_t pitch = 0;
    int32_t height = 0;
    const uint8_t* pixels = bitmap.Lock(0, &pitch, &height);
    EXPECT_EQ(pitch, 32);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(pixels[0], 0xA1);
    EXPECT_EQ(pixels[27], 0xA2);
    EXPECT_EQ(pixels[32], 0xB0);
}

TEST(TBitmapBmp, TopDownBitmapsKeepTheirRowOrder)
{
    test::Bytes rows = {1, 2, 3, 4, 5, 6, 7, 8};
    TBitmap bitmap;
    ASSERT_TRUE(Load(bitmap, test::MakeBmp(1, -2, 32, rows)));
    EXPECT_EQ(bitmap.GetHeight(), 2);
    const uint8_t* pixels = bitmap.Lock(0, nullptr, nullptr);
    EXPECT_EQ(pixels[0], 1);
    EXPECT_EQ(pixels[4], 5);
}

TEST(TBitmapBmp, UnreadableDataLeavesTheBitmapEmpty)
{
    const test::Bytes good = test::MakeBmp(2, 2, 32, test::Bytes(16, 9));
    test::Bytes truncated(good.begin(), good.end() - 1);
    test::Bytes compressed = good;
    compressed[30] = 1;  // RLE8
    test::Bytes notBmp = good;
    notBmp[0] = 'X';
    const test::Bytes cases[] = {truncated, compressed, notBmp, test::MakeBmp(0, 2, 32, {}),
                                 test::MakeBmp(2, INT32_MIN, 32, {}), test::MakeBmp(9000, 1, 32, {})};
    for (const test::Bytes& file : cases) {
        TBitmap bitmap;
        EXPECT_FALSE(Load(bitmap, file));
        EXPECT_EQ(bitmap.GetWidth(), 0);
        EXPECT_EQ(bitmap.Lock(0, nullptr, nullptr), nullptr);
    }
}

TEST(TBitmapBmp, PaletteAndSixteenBitImagesAreReadAsTwentyFourBit)
{
    struct Case {
        const char* name;
        uint16_t bits;
        test::Bytes rows;  // two pixels wide, one row, padded to 4 bytes
        std::vector<uint32_t> palette;
    };
    const Case cases[] = {
        {"8-bit", 8, {1, 0, 0, 0}, {0x00112233u, 0x00445566u}},
        {"4-bit", 4, {0x10, 0, 0, 0}, {0x00112233u, 0x00445566u}},
        {"1-bit", 1, {0x80, 0, 0, 0}, {0x00112233u, 0x00445566u}},
        {"16-bit", 16, {0x00, 0x7C, 0x1F, 0x00}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        ASSERT_TRUE(Load(bitmap, test::MakeBmp(2, 1, c.bits, c.rows, c.palette)));
        EXPECT_EQ(bitmap.GetFormat(), BitmapFormat24);
        const uint8_t* p = bitmap.Lock(0, nullptr, nullptr);
        const std::vector<uint8_t> bytes(p, p + 6);
        if (c.bits == 16) {
            EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 255, 255, 0, 0}));  // red, then blue
        } else {
            EXPECT_EQ(bytes, (std::vector<uint8_t>{0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
        }
    }
}

TEST(TBitmapBmp, PaletteIndicesPastThePaletteShowBlack)
{
    TBitmap bitmap;
    ASSERT_TRUE(Load(bitmap, test::MakeBmp(1, 1, 8, {5, 0, 0, 0}, {0x00FFFFFFu})));
    const uint8_t* p = bitmap.Lock(0, nullptr, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 3), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(TBitmapBmp, MadeBmpReadsBackTopRowFirst)
{
    const uint8_t pixels[3 * 2 * 4] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0, 13, 14, 15, 0, 16, 17, 18, 0};
    const std::vector<uint8_t> file = GR_MakeBMP(pixels, 3, 2, 4);
    EXPECT_EQ(file.size(), 54u + 2 * 12);  // 9 bytes of a row padded to 12
    TBitmap bitmap;
    ASSERT_TRUE(Load(bitmap, file));
    const uint8_t* p = bitmap.Lock(0, nullptr, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 9), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(std::vector<uint8_t>(p + 12, p + 21), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15, 16, 17, 18}));
    EXPECT_TRUE(GR_MakeBMP(pixels, 0, 2, 4).empty());
}

TEST(TBitmap, FormatsFollowBitsPerPixel)
{
    const int32_t table[][2] = {{1, 1}, {4, 2}, {8, 3}, {15, 4}, {16, 5}, {24, 6}, {32, 7}, {12, 7}};
    for (const auto& row : table) {
        EXPECT_EQ(Bitmap_FormatFromBits(row[0]), row[1]) << row[0];
    }
}

TEST(BitmapLoader, GivesOneCopyOfItsPixels)
{
    const uint32_t pixels[2] = {0x11223344u, 0x55667788u};
    auto loader = BitmapLoader_Create(pixels, 2, 1);
    EXPECT_EQ(loader->GetCount(), 1);
    EXPECT_EQ(loader->GetBitmap(1), nullptr);
    std::unique_ptr<TBitmap> bitmap = loader->GetBitmap(0);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetFormat(), BitmapFormat32);
    EXPECT_EQ(bitmap->GetWidth(), 2);
    const uint8_t* bytes = bitmap->Lock(0, nullptr, nullptr);
    uint32_t second = 0;
    std::memcpy(&second, bytes + 4, 4);
    EXPECT_EQ(second, 0x55667788u);
}

}  // namespace
}  // namespace bw
