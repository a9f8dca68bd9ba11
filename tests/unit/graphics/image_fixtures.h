// Small image files written by the image libraries themselves, so the
// decoders are tested against what real encoders produce.
#pragma once

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bw::test {

using Bytes = std::vector<uint8_t>;

struct PngLayout {
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    Bytes rows;                   // packed rows as libpng wants them
    std::vector<png_color> palette;
    Bytes transparency;           // tRNS alphas of a palette image
};

inline void AppendToBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline Bytes EncodePng(const PngLayout& layout)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, &AppendToBytes, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height), layout.bitDepth,
                 layout.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty()) {
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    }
    if (!layout.transparency.empty()) {
        png_set_tRNS(png, info, layout.transparency.data(), static_cast<int>(layout.transparency.size()), nullptr);
    }
    png_write_info(png, info);
    const size_t rowBytes = layout.rows.size() / static_cast<size_t>(layout.height);
    for (int y = 0; y < layout.height; ++y) {
        png_write_row(png, layout.rows.data() + static_cast<size_t>(y) * rowBytes);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

inline Bytes EncodeGreyJpeg(int width, int height, const Bytes& grey)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(grey.data() + static_cast<size_t>(info.next_scanline) * width);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

struct GifLayout {
    int screenWidth = 1;
    int screenHeight = 1;
    std::vector<GifColorType> globalMap;  // empty: none
    int left = 0, top = 0, width = 1, height = 1;
    std::vector<GifColorType> localMap;  // empty: none
    Bytes indices;                       // width x height
    int transparent = NO_TRANSPARENT_COLOR;
};

inline int AppendGifBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

inline ColorMapObject* MakeMap(const std::vector<GifColorType>& colours)
{
    return colours.empty() ? nullptr : GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

inline Bytes EncodeGif(const GifLayout& layout)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, &AppendGifBytes, &error);
    ColorMapObject* global = MakeMap(layout.globalMap);
    ColorMapObject* local = MakeMap(layout.localMap);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, layout.screenWidth, layout.screenHeight, 8, 0, global);
    if (layout.transparent != NO_TRANSPARENT_COLOR) {
        GraphicsControlBlock control{};
        control.TransparentColor = layout.transparent;
        GifByteType block[4];
        const size_t length = EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block);
    }
    EGifPutImageDesc(gif, layout.left, layout.top, layout.width, layout.height, false, local);
    for (int y = 0; y < layout.height; ++y) {
        EGifPutLine(gif, const_cast<GifPixelType*>(layout.indices.data() + static_cast<size_t>(y) * layout.width),
                    layout.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    GifFreeMapObject(local);
    return out;
}

// A BMP file: 14-byte file header, 40-byte info header, the palette
// (0x00RRGGBB entries), then the rows as given.
inline Bytes MakeBmp(int32_t width, int32_t height, uint16_t bits, const Bytes& rows,
                     const std::vector<uint32_t>& palette = {})
{
    const uint32_t pixelOffset = static_cast<uint32_t>(54 + palette.size() * 4);
    Bytes out(pixelOffset, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<uint32_t>(pixelOffset + rows.size()));
    put32(10, pixelOffset);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    out[26] = 1;
    std::memcpy(&out[28], &bits, 2);
    put32(46, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
        put32(54 + i * 4, palette[i]);
    }
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

}  // namespace bw::test
