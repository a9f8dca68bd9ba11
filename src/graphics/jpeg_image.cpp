#include "graphics/jpeg_image.h"

// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>

#include "graphics/texture_records.h"
#include "platform/console.h"
#include "platform/memory.h"

namespace bw {

namespace {

// libjpeg's own error handler ends the process; ours jumps back to the
// decoder, which then fails cleanly.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void ExitToDecoder(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    Console().Printf("JPEG: %s\n", message);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

struct DecodeState {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    uint32_t* pixels = nullptr;
    uint8_t* row = nullptr;
};

uint32_t PackCmyk(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[3]) << 24 | static_cast<uint32_t>(bytes[0]) << 16 |
           static_cast<uint32_t>(bytes[1]) << 8 | bytes[2];
}

bool Decode(DecodeState& state, const uint8_t* data, size_t size, int32_t& width, int32_t& height)
{
    if (setjmp(state.errors.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&state.info);
    jpeg_mem_src(&state.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&state.info, TRUE);
    const bool cmyk = state.info.jpeg_color_space == JCS_CMYK || state.info.jpeg_color_space == JCS_YCCK;
    // B, G, R, 0xFF bytes are 0xAARRGGBB pixels as they lie in memory.
    state.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    if (state.info.image_width < 1 || state.info.image_height < 1 || state.info.image_width > kMaxTextureSide ||
        state.info.image_height > kMaxTextureSide) {
        return false;
    }
    jpeg_start_decompress(&state.info);
    const JDIMENSION w = state.info.output_width;
    const JDIMENSION h = state.info.output_height;
    if (state.info.output_components != 4 || w < 1 || h < 1 || w > kMaxTextureSide || h > kMaxTextureSide) {
        return false;
    }
    state.pixels = static_cast<uint32_t*>(BW_ALLOC(size_t{w} * h * 4, false));
    state.row = static_cast<uint8_t*>(BW_ALLOC(size_t{w} * 4, false));
    while (state.info.output_scanline < h) {
        uint32_t* out = state.pixels + size_t{state.info.output_scanline} * w;
        JSAMPROW rows[1] = {cmyk ? state.row : reinterpret_cast<JSAMPROW>(out)};
        if (jpeg_read_scanlines(&state.info, rows, 1) != 1) {
            return false;
        }
        for (JDIMENSION x = 0; cmyk && x < w; ++x) {
            out[x] = PackCmyk(state.row + size_t{x} * 4);
        }
    }
    jpeg_finish_decompress(&state.info);
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

}  // namespace

uint32_t* Image_DecodeJPEG(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t ignored)
{
    (void)ignored;
    if (data == nullptr || size == 0) {
        return nullptr;
    }
    DecodeState state;
    state.info.err = jpeg_std_error(&state.errors.base);
    state.errors.base.error_exit = &ExitToDecoder;
    state.errors.base.emit_message = &IgnoreMessage;
    int32_t width = 0;
    int32_t height = 0;
    const bool decoded = Decode(state, data, size, width, height);
    jpeg_destroy_decompress(&state.info);
    MemoryManager_Free(state.row);
    if (!decoded) {
        MemoryManager_Free(state.pixels);
        return nullptr;
    }
    *w = width;
    *h = height;
    return state.pixels;
}

}  // namespace bw
