#include "bwpack/texture_packer.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "bwpack/package_writer.h"

namespace bw::pack {
namespace {

// The runner makes textures no smaller than this; a page of that size at
// least means the texture and the page always agree.
constexpr int32_t kMinPageSize = 64;

int32_t NextPowerOfTwo(int64_t n)
{
    int32_t size = kMinPageSize;
    while (size < n && size < kMaxPageSize) size *= 2;
    return size;
}

struct Cell {
    int32_t width = 0, height = 0;  // with the gap pixel where there is room
};

Cell Padded(const Image& image)
{
    return {std::min(image.width + 1, kMaxPageSize), std::min(image.height + 1, kMaxPageSize)};
}

}  // namespace

PackedPages TexturePacker_Pack(const std::vector<const Image*>& images)
{
    PackedPages packed;
    packed.placements.resize(images.size());
    if (images.empty()) return packed;

    int64_t area = 0;
    int32_t widest = 0;
    for (const Image* image : images) {
        if (image->width > kMaxPageSize || image->height > kMaxPageSize) {
            throw BuildError("image of " + std::to_string(image->width) + "x" + std::to_string(image->height) +
                             " pixels is larger than a texture page (" + std::to_string(kMaxPageSize) + ")");
        }
        const Cell cell = Padded(*image);
        area += static_cast<int64_t>(cell.width) * cell.height;
        widest = std::max(widest, cell.width);
    }
    // Shelves of a roughly square page: tall images first, so each shelf's
    // first image sets its height.
    const int32_t shelfWidth =
        std::max(NextPowerOfTwo(widest), NextPowerOfTwo(static_cast<int64_t>(std::ceil(std::sqrt(static_cast<double>(area))))));
    std::vector<size_t> order(images.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (images[a]->height != images[b]->height) return images[a]->height > images[b]->height;
        return images[a]->width > images[b]->width;
    });

    struct PageExtent {
        int32_t width = 0, height = 0;
    };
    std::vector<PageExtent> extents(1);
    int32_t x = 0, shelfTop = 0, shelfHeight = 0;
    for (size_t index : order) {
        const Cell cell = Padded(*images[index]);
        if (x + cell.width > shelfWidth) {
            shelfTop += shelfHeight;
            x = 0;
            shelfHeight = 0;
        }
        if (shelfTop + cell.height > kMaxPageSize) {
            extents.emplace_back();
            shelfTop = 0;
            x = 0;
            shelfHeight = 0;
        }
        const int32_t page = static_cast<int32_t>(extents.size() - 1);
        packed.placements[index] = {page, x, shelfTop};
        x += cell.width;
        shelfHeight = std::max(shelfHeight, cell.height);
        extents.back().width = std::max(extents.back().width, x);
        extents.back().height = std::max(extents.back().height, shelfTop + shelfHeight);
    }

    for (const PageExtent& extent : extents) {
        packed.pages.emplace_back(NextPowerOfTwo(extent.width), NextPowerOfTwo(extent.height));
    }
    for (size_t i = 0; i < images.size(); ++i) {
        const Placement& at = packed.placements[i];
        packed.pages[at.page].Blit(*images[i], at.x, at.y);
    }
    return packed;
}

}  // namespace bw::pack
