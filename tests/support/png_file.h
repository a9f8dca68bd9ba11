// Reading and writing the expected images of golden tests: 8-bit RGBA PNG
// files through libpng, pixels held as 0xAARRGGBB as the device reads them.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bw::test {

struct PngImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top first
};

inline bool Png_Write(const std::string& path, const PngImage& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_BGRA;  // the bytes of 0xAARRGGBB in memory
    return png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

inline bool Png_Read(const std::string& path, PngImage& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        return false;
    }
    png.format = PNG_FORMAT_BGRA;
    image.width = static_cast<int32_t>(png.width);
    image.height = static_cast<int32_t>(png.height);
    image.pixels.assign(static_cast<size_t>(png.width) * png.height, 0);
    if (png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return false;
    }
    return true;
}

}  // namespace bw::test
