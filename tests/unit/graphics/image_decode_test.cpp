// PNG, JPEG and GIF decoding from memory, on files the libraries' own encoders wrote.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/gif_image.h"
#include "graphics/image_decode.h"
#include "graphics/jpeg_image.h"
#include "graphics/png_image.h"
#include "image_fixtures.h"
#include "platform/memory.h"

namespace bw {
namespace {

struct Decoded {
    int32_t w = 0, h = 0;
    std::vector<uint32_t> pixels;
    bool ok = false;
};

template <typename Decoder>
Decoded Decode(Decoder decoder, const test::Bytes& file)
{
    Decoded d;
    uint32_t* pixels = decoder(file.data(), file.size(), &d.w, &d.h, 0);
    d.ok = pixels != nullptr;
    if (d.ok) {
        d.pixels.assign(pixels, pixels + static_cast<size_t>(d.w) * static_cast<size_t>(d.h));
    }
    MemoryManager_Free(pixels);
    return d;
}

TEST(PngDecode, EveryColourTypeBecomesEightBitBgra)
{
    struct Case {
        const char* name;
        test::PngLayout layout;
        std::vector<uint32_t> expected;
    };
    test::PngLayout rgb{2, 1, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 0, 128, 255}, {}, {}};
    test::PngLayout rgba{2, 1, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4, 250, 251, 252, 0}, {}, {}};
    test::PngLayout palette{3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2}, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}},
                          {0, 128}};
    test::PngLayout grey{2, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 200}, {}, {}};
    test::PngLayout greyAlpha{1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {90, 60}, {}, {}};
    test::PngLayout deep{1, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF}, {}, {}};
    const Case cases[] = {
        {"rgb", rgb, {0xFFFF0000u, 0xFF0080FFu}},
        {"rgba", rgba, {0x04010203u, 0x00FAFBFCu}},
        {"palette with tRNS", palette, {0x000A141Eu, 0x8028323Cu, 0xFF46505Au}},
        {"grey", grey, {0xFF000000u, 0xFFC8C8C8u}},
        {"grey and alpha", greyAlpha, {0x3C5A5A5Au}},
        {"16-bit", deep, {0xFF12ABFFu}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = Decode(&PNG_LoadImage, test::EncodePng(c.layout));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.w, c.layout.width);
        EXPECT_EQ(d.h, c.layout.height);
        EXPECT_EQ(d.pixels, c.expected);
    }
}

TEST(PngDecode, EachCallDecodesItsOwnImage)
{
    const test::Bytes red = test::EncodePng({1, 1, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0}, {}, {}});
    const test::Bytes blue = test::EncodePng({2, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 255, 0, 0, 255}, {}, {}});
    int32_t w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    uint32_t* first = PNG_LoadImage(red.data(), red.size(), &w1, &h1, 0);
    uint32_t* second = PNG_LoadImage(blue.data(), blue.size(), &w2, &h2, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first[0], 0xFFFF0000u);
    EXPECT_EQ(w2, 2);
    EXPECT_EQ(second[1], 0xFF0000FFu);
    PNG_FreeImage(first);
    PNG_FreeImage(second);
}

TEST(PngDecode, DamagedDataGivesNullAndMinusOneSizes)
{
    test::Bytes truncated = test::EncodePng({4, 4, PNG_COLOR_TYPE_RGB, 8, test::Bytes(48, 7), {}, {}});
    truncated.resize(truncated.size() / 2);
    const test::Bytes cases[] = {{}, {'n', 'o', 't', ' ', 'p', 'n', 'g', '!'}, truncated};
    for (const test::Bytes& file : cases) {
        int32_t w = 0, h = 0;
        EXPECT_EQ(PNG_LoadImage(file.data(), file.size(), &w, &h, 0), nullptr);
        EXPECT_EQ(w, -1);
        EXPECT_EQ(h, -1);
    }
}

TEST(JpegDecode, GreyImagesComeOutOpaqueGrey)
{
    const test::Bytes grey(8 * 8, 0x80);
    const Decoded d = Decode(&Image_DecodeJPEG, test::EncodeGreyJpeg(8, 8, grey));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.w, 8);
    EXPECT_EQ(d.h, 8);
    for (uint32_t pixel : d.pixels) {
        EXPECT_EQ(pixel >> 24, 0xFFu);
        EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 0x80, 1);
        EXPECT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF);
        EXPECT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF);
    }
}

TEST(JpegDecode, DamagedDataFailsInsteadOfEndingTheProgram)
{
    test::Bytes file = test::EncodeGreyJpeg(16, 16, test::Bytes(256, 40));
    test::Bytes truncated(file.begin(), file.begin() + 20);
    test::Bytes noImage = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_FALSE(Decode(&Image_DecodeJPEG, truncated).ok);
    EXPECT_FALSE(Decode(&Image_DecodeJPEG, noImage).ok);
}

TEST(GifDecode, TransparentIndexAndSubFrameGiveAlphaZero)
{
    test::GifLayout layout;
    layout.screenWidth = 4;
    layout.screenHeight = 3;
    layout.globalMap = {{255, 0, 0}, {0, 255, 0}};
    layout.left = 1;
    layout.top = 1;
    layout.width = 2;
    layout.height = 2;
    layout.indices = {0, 1, 1, 0};
    layout.transparent = 1;
    const Decoded d = Decode(&Image_DecodeGIF, test::EncodeGif(layout));
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.w, 4);
    ASSERT_EQ(d.h, 3);
    const std::vector<uint32_t> expected = {
        0, 0,           0, 0,  //
        0, 0xFFFF0000u, 0, 0,  //
        0, 0,           0xFFFF0000u, 0};
    EXPECT_EQ(d.pixels, expected);
}

TEST(GifDecode, FrameWithoutGlobalMapUsesItsLocalMap)
{
    test::GifLayout layout;
    layout.localMap = {{1, 2, 3}, {9, 9, 9}};
    layout.indices = {0};
    const Decoded d = Decode(&Image_DecodeGIF, test::EncodeGif(layout));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, std::vector<uint32_t>{0xFF010203u});
}

TEST(GifDecode, DamagedDataGivesNull)
{
    test::GifLayout layout;
    layout.globalMap = {{1, 2, 3}, {4, 5, 6}};
    layout.indices = {0};
    test::Bytes file = test::EncodeGif(layout);
    file.resize(file.size() - 6);
    EXPECT_FALSE(Decode(&Image_DecodeGIF, file).ok);
    EXPECT_FALSE(Decode(&Image_DecodeGIF, test::Bytes{'G', 'I', 'F', '8', '9', 'a'}).ok);
}

TEST(ImageDecode, PicksTheDecoderBySignature)
{
    const test::Bytes png = test::EncodePng({1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}, {}, {}});
    test::GifLayout layout;
    layout.globalMap = {{4, 5, 6}, {0, 0, 0}};
    layout.indices = {0};
    const test::Bytes gif = test::EncodeGif(layout);
    const test::Bytes jpeg = test::EncodeGreyJpeg(1, 1, {0});
    const test::Bytes other = {'B', 'M', 0, 0};
    for (const test::Bytes* file : {&png, &gif, &jpeg}) {
        int32_t w = 0, h = 0;
        uint32_t* pixels = Image_Decode(file->data(), file->size(), &w, &h);
        EXPECT_NE(pixels, nullptr);
        EXPECT_EQ(w, 1);
        MemoryManager_Free(pixels);
    }
    int32_t w = 0, h = 0;
    EXPECT_EQ(Image_Decode(other.data(), other.size(), &w, &h), nullptr);
}

}  // namespace
}  // namespace bw
