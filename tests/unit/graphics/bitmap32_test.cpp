// CBitmap32: construction, editing, the stream form and PNG saving.
#include "graphics/bitmap32.h"

#include <gtest/gtest.h>

#include "graphics/bitmap.h"
#include "graphics/png_image.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/stream.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // script colours are 0x00BBGGRR

std::unique_ptr<CBitmap32> FromPixels(int32_t w, int32_t h, const std::vector<uint32_t>& pixels)
{
    auto bitmap = std::make_unique<CBitmap32>(w, h, 0);
    std::copy(pixels.begin(), pixels.end(), bitmap->Pixels());
    return bitmap;
}

std::vector<uint32_t> PixelsOf(const CBitmap32& bitmap)
{
    return std::vector<uint32_t>(bitmap.Pixels(),
                                 bitmap.Pixels() + static_cast<size_t>(bitmap.Width()) * bitmap.Height());
}

TEST(Bitmap32, ConstructorFillsWithTheOpaqueColourAndAtLeastOnePixel)
{
    const CBitmap32 bitmap(0, 0, kRed);
    EXPECT_TRUE(bitmap.IsValid());
    EXPECT_EQ(bitmap.Width(), 1);
    EXPECT_EQ(bitmap.Height(), 1);
    EXPECT_EQ(bitmap.Pixels()[0], 0xFFFF0000u);
}

TEST(Bitmap32, SubImageIsValidOnlyForRectanglesInside)
{
    auto source = FromPixels(3, 2, {1, 2, 3, 4, 5, 6});
    auto inside = CBitmap32::CreateSubImage(*source, 1, 0, 2, 2);
    ASSERT_TRUE(inside->IsValid());
    EXPECT_EQ(PixelsOf(*inside), (std::vector<uint32_t>{2, 3, 5, 6}));
    const int32_t outside[][4] = {{2, 0, 2, 1}, {0, 1, 1, 2}, {-1, 0, 1, 1}, {0, -1, 1, 1}, {0, 0, 0, 1}, {0, 0, 1, -1}};
    for (const auto& r : outside) {
        EXPECT_FALSE(CBitmap32::CreateSubImage(*source, r[0], r[1], r[2], r[3])->IsValid());
    }
}

TEST(Bitmap32, RemoveBackgroundClearsTheKeyColourAndBleedsNeighbours)
{
    // Bottom-left is red: every pure-red pixel goes transparent and takes
    // the colour of an opaque neighbour.
    auto keyed = FromPixels(2, 2, {0xFFFF0000u, 0xFF0000FFu, 0xFFFF0000u, 0xFFFF0000u});
    keyed->RemoveBackground();
    // Bottom-right finds the blue pixel above it; bottom-left has no opaque
    // neighbour and keeps the key colour.
    EXPECT_EQ(PixelsOf(*keyed), (std::vector<uint32_t>{0x000000FFu, 0xFF0000FFu, 0x00FF0000u, 0x000000FFu}));
}

TEST(Bitmap32, SmoothEdgesTakes32AlphaPerTransparentNeighbour)
{
    auto bitmap = FromPixels(3, 1, {0x00000000u, 0xFF112233u, 0x00000000u});
    bitmap->SmoothEdges();
    EXPECT_EQ(bitmap->Pixels()[1], 0xBF112233u);
}

TEST(Bitmap32, OpaqueBoundsCoversPixelsWithAlpha)
{
    auto bitmap = FromPixels(4, 3, {0, 0, 0, 0, 0, 0x01000000u, 0xFF000000u, 0, 0, 0, 0, 0});
    const BitmapBox box = bitmap->OpaqueBounds();
    EXPECT_EQ((std::vector<int32_t>{box.left, box.top, box.right, box.bottom}), (std::vector<int32_t>{1, 1, 2, 1}));
    const BitmapBox none = FromPixels(4, 3, std::vector<uint32_t>(12, 0))->OpaqueBounds();
    EXPECT_EQ((std::vector<int32_t>{none.left, none.top, none.right, none.bottom}), (std::vector<int32_t>{3, 2, 0, 0}));
}

TEST(Bitmap32, ResizeIsNearestNeighbour)
{
    auto bitmap = FromPixels(2, 2, {1, 2, 3, 4});
    bitmap->Resize(4, 1);
    EXPECT_EQ(PixelsOf(*bitmap), (std::vector<uint32_t>{1, 1, 2, 2}));
}

TEST(Bitmap32, AlphaFromBitmapTakesTheSmallerOfAlphaAndGrey)
{
    auto bitmap = FromPixels(2, 1, {0xFF123456u, 0x10123456u});
    auto mask = FromPixels(2, 1, {0xFF303030u, 0xFFFFFFFFu});
    bitmap->AlphaFromBitmap(*mask);
    EXPECT_EQ(PixelsOf(*bitmap), (std::vector<uint32_t>{0x30123456u, 0x10123456u}));
}

TEST(Bitmap32, GradientsBlendFromTheFirstColourTowardsTheSecond)
{
    auto horizontal = CBitmap32::CreateGradient(4, 1, 0x000000, 0x0000FF, 0);
    EXPECT_EQ(PixelsOf(*horizontal), (std::vector<uint32_t>{0xFF000000u, 0xFF400000u, 0xFF800000u, 0xFFBF0000u}));
    auto doubleVertical = CBitmap32::CreateGradient(1, 4, 0x000000, 0xFF0000, 5);
    EXPECT_EQ(PixelsOf(*doubleVertical), (std::vector<uint32_t>{0xFF000000u, 0xFF000080u, 0xFF000080u, 0xFF000000u}));
    auto ellipse = CBitmap32::CreateGradient(5, 5, 0x000000, 0x00FF00, 3);
    EXPECT_EQ(ellipse->Pixels()[0], 0xFF000000u);   // corner: outside every ring
    EXPECT_EQ(ellipse->Pixels()[12], 0xFF00CC00u);  // centre: the innermost ring, 2 / 2.5 of the way
}

TEST(Bitmap32, StreamRoundTripWritesVersion540)
{
    auto bitmap = FromPixels(2, 2, {1, 2, 3, 0xFFFFFFFFu});
    CStream stream;
    ASSERT_TRUE(bitmap->WriteToStream(&stream));
    stream.Seek(0);
    EXPECT_EQ(stream.ReadInteger(), 540);
    stream.Seek(0);
    auto read = CBitmap32::CreateFromStream(&stream);
    ASSERT_TRUE(read->IsValid());
    EXPECT_EQ(PixelsOf(*read), PixelsOf(*bitmap));
}

TEST(Bitmap32, StreamVersion800IsReadAndBadBlocksAreRefused)
{
    auto streamOf = [](int32_t version, int32_t w, int32_t h, int32_t pixelBytes) {
        auto stream = std::make_unique<CStream>();
        stream->WriteInteger(version);
        stream->WriteInteger(w);
        stream->WriteInteger(h);
        stream->WriteInteger(pixelBytes);
        for (int32_t i = 0; i < pixelBytes; ++i) {
            const uint8_t byte = static_cast<uint8_t>(i);
            stream->WriteBuffer(&byte, 1);
        }
        stream->Seek(0);
        return stream;
    };
    auto good = CBitmap32::CreateFromStream(streamOf(800, 1, 2, 8).get());
    ASSERT_TRUE(good->IsValid());
    EXPECT_EQ(PixelsOf(*good), (std::vector<uint32_t>{0x03020100u, 0x07060504u}));
    EXPECT_FALSE(CBitmap32::CreateFromStream(streamOf(800, 2, 2, 8).get())->IsValid());
    EXPECT_FALSE(CBitmap32::CreateFromStream(streamOf(800, -1, -2, 8).get())->IsValid());
    EXPECT_FALSE(CBitmap32::CreateFromStream(streamOf(700, 1, 2, 8).get())->IsValid());
}

TEST(Bitmap32, TBitmapConversionsKeepThePixels)
{
    auto bitmap = FromPixels(2, 1, {0x80112233u, 0xFF445566u});
    std::unique_ptr<TBitmap> rgba = bitmap->ToTBitmap32();
    const uint8_t* bytes = rgba->Lock(0, nullptr, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 8), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x80, 0x44, 0x55, 0x66, 0xFF}));
    std::unique_ptr<TBitmap> bgr = bitmap->ToTBitmap24();
    auto back = CBitmap32::CreateFromTBitmap(bgr.get(), false, false);
    EXPECT_EQ(PixelsOf(*back), (std::vector<uint32_t>{0xFF112233u, 0xFF445566u}));
}

TEST(Bitmap32, DownscaleAveragesTwoByTwoBlocks)
{
    const uint32_t source[4] = {0x04000000u, 0x00080000u, 0x00000C00u, 0x00000010u};
    uint32_t out = 0;
    Bitmap_Downscale(1, 1, &out, 2, 2, source);
    EXPECT_EQ(out, 0x01020304u);
}

class PngSaving : public ::testing::Test {
protected:
    PngSaving() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        m_root.Write("data/PngGame/.keep", "");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("PngGame", false));
    }
    test::ScratchFolder m_root;
    test::ScopedEnv m_data;
};

TEST_F(PngSaving, SavedPngReadsBackTheSamePixels)
{
    auto bitmap = FromPixels(3, 2, {0xFF102030u, 0x00405060u, 0x80708090u, 0xFFFFFFFFu, 0x01000000u, 0xFEABCDEFu});
    ASSERT_TRUE(bitmap->SavePNG("shot.png"));
    size_t size = 0;
    uint8_t* file = LoadSave_ReadSaveFile("shot.png", &size);
    ASSERT_NE(file, nullptr);
    int32_t w = 0, h = 0;
    uint32_t* pixels = PNG_LoadImage(file, size, &w, &h, 0);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(std::vector<uint32_t>(pixels, pixels + 6), PixelsOf(*bitmap));
    PNG_FreeImage(pixels);
    MemoryManager_Free(file);
}

TEST_F(PngSaving, AGamesFirstScreenshotMakesItsSaveArea)
{
    ASSERT_TRUE(Files_SetSaveFolderName("FreshGame", false));
    const uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_TRUE(write_png_file("shot.png", pixel, 1, 1));
    EXPECT_TRUE(LoadSave_SaveExists("shot.png"));
}

TEST_F(PngSaving, UnwritableNamesFail)
{
    const uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_FALSE(write_png_file("missing_folder/x.png", pixel, 1, 1));
    EXPECT_FALSE(write_png_file("x.png", pixel, 0, 1));
}

}  // namespace
}  // namespace bw
