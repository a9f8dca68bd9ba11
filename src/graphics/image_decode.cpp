#include "graphics/image_decode.h"

#include <cstring>

#include "graphics/gif_image.h"
#include "graphics/jpeg_image.h"
#include "graphics/png_image.h"

namespace bw {

uint32_t* Image_Decode(const uint8_t* data, size_t size, int32_t* w, int32_t* h)
{
    static constexpr uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
    static constexpr uint8_t kJpeg[2] = {0xFF, 0xD8};
    if (data == nullptr) {
        return nullptr;
    }
    if (size >= 4 && std::memcmp(data, kPng, 4) == 0) {
        return PNG_LoadImage(data, size, w, h, 0);
    }
    if (size >= 2 && std::memcmp(data, kJpeg, 2) == 0) {
        return Image_DecodeJPEG(data, size, w, h, 0);
    }
    if (size >= 4 && std::memcmp(data, "GIF8", 4) == 0) {
        return Image_DecodeGIF(data, size, w, h, 0);
    }
    return nullptr;
}

}  // namespace bw
