#include "bwpack/image.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace bw::pack {

Image Image::Crop(int32_t left, int32_t top, int32_t w, int32_t h) const
{
    Image part(w, h);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = &rgba[(static_cast<size_t>(top + y) * width + left) * 4];
        std::memcpy(&part.rgba[static_cast<size_t>(y) * w * 4], from, static_cast<size_t>(w) * 4);
    }
    return part;
}

void Image::Blit(const Image& source, int32_t left, int32_t top)
{
    if (source.rgba.empty()) return;
    for (int32_t y = 0; y < source.height; ++y) {
        std::memcpy(&rgba[(static_cast<size_t>(top + y) * width + left) * 4],
                    &source.rgba[static_cast<size_t>(y) * source.width * 4],
                    static_cast<size_t>(source.width) * 4);
    }
}

bool Image_DecodePng(const std::vector<uint8_t>& bytes, Image* image, std::string* reason)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        *reason = png.message;
        return false;
    }
    // Frames, pages and masks are sized in 32-bit ints; larger images than
    // this are no texture anyone can draw.
    if (png.width > 16384 || png.height > 16384) {
        png_image_free(&png);
        *reason = "image larger than 16384 pixels";
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    Image decoded(static_cast<int32_t>(png.width), static_cast<int32_t>(png.height));
    if (!png_image_finish_read(&png, nullptr, decoded.rgba.data(), 0, nullptr)) {
        *reason = png.message;
        png_image_free(&png);
        return false;
    }
    *image = std::move(decoded);
    return true;
}

std::vector<uint8_t> Image_EncodePng(const Image& image)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, image.rgba.data(), 0, nullptr)) {
        return {};
    }
    std::vector<uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgba.data(), 0, nullptr)) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

bool Image_OpaqueBox(const Image& image, Box* box)
{
    bool any = false;
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            if (image.Alpha(x, y) == 0) continue;
            if (!any) {
                *box = {x, y, x, y};
                any = true;
            }
            box->left = std::min(box->left, x);
            box->right = std::max(box->right, x);
            box->top = std::min(box->top, y);
            box->bottom = std::max(box->bottom, y);
        }
    }
    return any;
}

std::vector<uint8_t> Image_PackMask(const std::vector<const Image*>& frames)
{
    const int32_t width = frames.front()->width;
    const int32_t height = frames.front()->height;
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    std::vector<uint8_t> mask(rowBytes * height, 0);
    for (const Image* frame : frames) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                if (frame->Alpha(x, y) != 0) mask[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return mask;
}

}  // namespace bw::pack
