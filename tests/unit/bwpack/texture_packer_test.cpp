#include <gtest/gtest.h>

#include "bwpack/package_writer.h"
#include "bwpack/texture_packer.h"

namespace bw::pack {
namespace {

// An image whose every pixel says which image and where it is.
Image Marked(int32_t width, int32_t height, uint8_t tag)
{
    Image image(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            pixel[0] = tag;
            pixel[1] = static_cast<uint8_t>(x);
            pixel[2] = static_cast<uint8_t>(y);
            pixel[3] = 255;
        }
    }
    return image;
}

bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

TEST(TexturePacker, PlacesEveryImageWhollyOnItsPageWithoutOverlap)
{
    std::vector<Image> images;
    const int32_t sizes[][2] = {{16, 16}, {40, 8}, {7, 33}, {64, 64}, {1, 1}, {30, 12}, {100, 3}, {16, 16}};
    uint8_t tag = 1;
    for (const auto& size : sizes) images.push_back(Marked(size[0], size[1], tag++));
    std::vector<const Image*> pointers;
    for (const Image& image : images) pointers.push_back(&image);

    const PackedPages packed = TexturePacker_Pack(pointers);

    ASSERT_EQ(packed.placements.size(), images.size());
    for (const Image& page : packed.pages) {
        EXPECT_TRUE(IsPowerOfTwo(page.width) && page.width >= 64) << page.width;
        EXPECT_TRUE(IsPowerOfTwo(page.height) && page.height >= 64) << page.height;
    }
    for (size_t i = 0; i < images.size(); ++i) {
        const Placement& a = packed.placements[i];
        const Image& page = packed.pages.at(a.page);
        ASSERT_LE(a.x + images[i].width, page.width);
        ASSERT_LE(a.y + images[i].height, page.height);
        // The page holds the image's pixels exactly where the placement says.
        EXPECT_EQ(page.Crop(a.x, a.y, images[i].width, images[i].height).rgba, images[i].rgba) << "image " << i;
        for (size_t j = i + 1; j < images.size(); ++j) {
            const Placement& b = packed.placements[j];
            // Including the one-pixel gap to the right and below.
            const bool apart = a.page != b.page || a.x + images[i].width + 1 <= b.x || b.x + images[j].width + 1 <= a.x ||
                               a.y + images[i].height + 1 <= b.y || b.y + images[j].height + 1 <= a.y;
            EXPECT_TRUE(apart) << "images " << i << " and " << j << " touch";
        }
    }
}

TEST(TexturePacker, SameInputGivesSameLayout)
{
    const Image a = Marked(10, 20, 1), b = Marked(20, 10, 2);
    const PackedPages first = TexturePacker_Pack({&a, &b});
    const PackedPages second = TexturePacker_Pack({&a, &b});
    ASSERT_EQ(first.pages.size(), second.pages.size());
    EXPECT_EQ(first.pages[0].rgba, second.pages[0].rgba);
}

TEST(TexturePacker, ImageLargerThanAPageIsRefused)
{
    const Image wide(kMaxPageSize + 1, 1);
    try {
        TexturePacker_Pack({&wide});
        FAIL() << "no error";
    } catch (const BuildError& error) {
        EXPECT_STREQ(error.what(), "image of 4097x1 pixels is larger than a texture page (4096)");
    }
}

TEST(TexturePacker, NoImagesGiveNoPages)
{
    EXPECT_TRUE(TexturePacker_Pack({}).pages.empty());
}

}  // namespace
}  // namespace bw::pack
