// Places every image of a package (sprite frames, backgrounds, font sheets)
// on texture pages. Pages are powers of two in each direction, at most
// kMaxPageSize, so the runner's texture is exactly the page and texel
// coordinates need no rescaling. Images keep one empty pixel to their right
// and below, so filtering never samples a neighbour.
#pragma once

#include <cstdint>
#include <vector>

#include "bwpack/image.h"

namespace bw::pack {

constexpr int32_t kMaxPageSize = 4096;

struct Placement {
    int32_t page = 0;
    int32_t x = 0, y = 0;
};

struct PackedPages {
    std::vector<Image> pages;
    std::vector<Placement> placements;  // one per image, in the order given
};

// Throws BuildError when an image does not fit on a page of the largest size.
PackedPages TexturePacker_Pack(const std::vector<const Image*>& images);

}  // namespace bw::pack
