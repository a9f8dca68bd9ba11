// 8-bit RGBA images: PNG in and out through libpng, cutting strips into
// frames, and what the sprite records derive from alpha (opaque box, masks).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw::pack {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom, R G B A per pixel

    Image() = default;
    Image(int32_t w, int32_t h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
    uint8_t Alpha(int32_t x, int32_t y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
    Image Crop(int32_t left, int32_t top, int32_t w, int32_t h) const;
    void Blit(const Image& source, int32_t left, int32_t top);
};

// Decodes a PNG file of any colour type into RGBA. False with a reason when
// the bytes are not a PNG image libpng accepts.
bool Image_DecodePng(const std::vector<uint8_t>& bytes, Image* image, std::string* reason);
std::vector<uint8_t> Image_EncodePng(const Image& image);

// The smallest box holding every pixel whose alpha is above 0; false when
// there is none.
struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
bool Image_OpaqueBox(const Image& image, Box* box);

// A collision mask as the sprite record stores it: height rows of
// (width + 7) / 8 bytes, bit 0x80 the leftmost pixel, set where alpha > 0.
std::vector<uint8_t> Image_PackMask(const std::vector<const Image*>& frames);

}  // namespace bw::pack
