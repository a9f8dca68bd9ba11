// Compares an image a run saved with its golden copy:
//   image_diff ACTUAL GOLDEN MAX_PIXELS
// Two pixels differ when a channel is more than kChannelSlack apart, so the
// rounding of another GL driver does not count; the images match when at
// most MAX_PIXELS pixels differ. With BW_UPDATE_GOLDEN set, ACTUAL replaces
// GOLDEN instead. Exit codes: 0 match, 1 differ, 2 usage or unreadable.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/png_file.h"

namespace {

constexpr int kChannelSlack = 8;

bool PixelsDiffer(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFFu);
        const int cb = static_cast<int>((b >> shift) & 0xFFu);
        if (std::abs(ca - cb) > kChannelSlack) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: image_diff ACTUAL GOLDEN MAX_PIXELS\n");
        return 2;
    }
    const std::string actualPath = argv[1];
    const std::string goldenPath = argv[2];
    const size_t maxPixels = std::strtoul(argv[3], nullptr, 10);
    if (std::getenv("BW_UPDATE_GOLDEN") != nullptr) {
        std::error_code error;
        std::filesystem::copy_file(actualPath, goldenPath, std::filesystem::copy_options::overwrite_existing, error);
        std::printf("image_diff: %s updated\n", goldenPath.c_str());
        return error ? 2 : 0;
    }
    bw::test::PngImage actual;
    bw::test::PngImage golden;
    if (!bw::test::Png_Read(actualPath, actual) || !bw::test::Png_Read(goldenPath, golden)) {
        std::fprintf(stderr, "image_diff: cannot read %s or %s\n", actualPath.c_str(), goldenPath.c_str());
        return 2;
    }
    if (actual.width != golden.width || actual.height != golden.height) {
        std::fprintf(stderr, "image_diff: %dx%d, golden is %dx%d\n", actual.width, actual.height, golden.width,
                     golden.height);
        return 1;
    }
    size_t differing = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        differing += PixelsDiffer(actual.pixels[i], golden.pixels[i]) ? 1 : 0;
    }
    std::printf("image_diff: %zu of %zu pixels differ (at most %zu allowed)\n", differing, actual.pixels.size(),
                maxPixels);
    return differing <= maxPixels ? 0 : 1;
}
