#include "graphics/gif_image.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/texture_records.h"
#include "platform/memory.h"

namespace bw {

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t wanted = count > 0 ? static_cast<size_t>(count) : 0;
    const size_t n = std::min(wanted, reader->size - reader->position);
    std::memcpy(out, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

struct FirstFrame {
    GifImageDesc desc{};
    std::vector<GifByteType> raster;
    int transparent = NO_TRANSPARENT_COLOR;
};

// Reads the extensions in front of the first image, keeping the transparent
// index of its graphic-control block.
bool ReadExtension(GifFileType* gif, FirstFrame& frame)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) {
        return false;
    }
    GraphicsControlBlock control;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
        DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
        frame.transparent = control.TransparentColor;
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) {
            return false;
        }
    }
    return true;
}

// The raster of the image whose descriptor was just read, de-interlaced.
// Frames are bounded like images so a forged size cannot ask for gigabytes.
bool ReadRaster(GifFileType* gif, FirstFrame& frame)
{
    frame.desc = gif->Image;
    const int32_t w = frame.desc.Width;
    const int32_t h = frame.desc.Height;
    if (w < 1 || h < 1 || static_cast<uint32_t>(w) > kMaxTextureSide || static_cast<uint32_t>(h) > kMaxTextureSide) {
        return false;
    }
    frame.raster.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    static constexpr int32_t kPassStart[4] = {0, 4, 2, 1};
    static constexpr int32_t kPassStep[4] = {8, 8, 4, 2};
    const int passes = frame.desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int32_t first = frame.desc.Interlace ? kPassStart[pass] : 0;
        const int32_t step = frame.desc.Interlace ? kPassStep[pass] : 1;
        for (int32_t y = first; y < h; y += step) {
            if (DGifGetLine(gif, frame.raster.data() + static_cast<size_t>(y) * static_cast<size_t>(w), w) != GIF_OK) {
                return false;
            }
        }
    }
    return true;
}

bool ReadFirstFrame(GifFileType* gif, FirstFrame& frame)
{
    GifRecordType record = TERMINATE_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif, &record) != GIF_OK) {
            return false;
        }
        if (record == IMAGE_DESC_RECORD_TYPE) {
            return DGifGetImageDesc(gif) == GIF_OK && ReadRaster(gif, frame);
        }
        if (record == EXTENSION_RECORD_TYPE && !ReadExtension(gif, frame)) {
            return false;
        }
    } while (record != TERMINATE_RECORD_TYPE);
    return false;
}

uint32_t* Render(const FirstFrame& frame, const ColorMapObject* map, int32_t width, int32_t height)
{
    const GifImageDesc& desc = frame.desc;
    if (map == nullptr) {
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(BW_ALLOC(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, true));
    // Only the part of the frame that lies on the screen is drawn.
    const int32_t left = std::max(desc.Left, 0);
    const int32_t top = std::max(desc.Top, 0);
    const auto right = static_cast<int32_t>(std::min<int64_t>(int64_t{desc.Left} + desc.Width, width));
    const auto bottom = static_cast<int32_t>(std::min<int64_t>(int64_t{desc.Top} + desc.Height, height));
    for (int32_t y = top; y < bottom; ++y) {
        const GifByteType* source =
            frame.raster.data() + static_cast<size_t>(y - desc.Top) * static_cast<size_t>(desc.Width);
        for (int32_t x = left; x < right; ++x) {
            const int index = source[x - desc.Left];
            if (index == frame.transparent || index >= map->ColorCount) {
                continue;
            }
            const GifColorType& colour = map->Colors[index];
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                0xFF000000u | static_cast<uint32_t>(colour.Red) << 16 | static_cast<uint32_t>(colour.Green) << 8 |
                colour.Blue;
        }
    }
    return pixels;
}

}  // namespace

uint32_t* Image_DecodeGIF(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t ignored)
{
    (void)ignored;
    if (data == nullptr || size == 0) {
        return nullptr;
    }
    MemoryReader reader{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, &ReadFromMemory, &error);
    if (gif == nullptr) {
        return nullptr;
    }
    uint32_t* pixels = nullptr;
    const int32_t width = gif->SWidth;
    const int32_t height = gif->SHeight;
    FirstFrame frame;
    if (width >= 1 && height >= 1 && static_cast<uint32_t>(width) <= kMaxTextureSide &&
        static_cast<uint32_t>(height) <= kMaxTextureSide && ReadFirstFrame(gif, frame)) {
        pixels = Render(frame, gif->Image.ColorMap != nullptr ? gif->Image.ColorMap : gif->SColorMap, width, height);
    }
    DGifCloseFile(gif, &error);
    if (pixels != nullptr) {
        *w = width;
        *h = height;
    }
    return pixels;
}

}  // namespace bw
