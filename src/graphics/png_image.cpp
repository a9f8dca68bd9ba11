#include "graphics/png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "graphics/texture_records.h"
#include "host/atomic_file.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"

namespace bw {

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position) {
        png_error(png, "read past the end of the data");
    }
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

// libpng reports through longjmp; the messages go to the console instead of
// stderr, which is the one place that always exists.
void ReportError(png_structp png, png_const_charp message)
{
    Console().Printf("libpng: %s\n", message);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Asks libpng for 8-bit B, G, R, A whatever the file holds.
void RequestBgra(png_structp png, png_infop info)
{
    const int colourType = png_get_color_type(png, info);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);  // palette to RGB, low-depth grey to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !hasTrns) {
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Everything that must outlive a longjmp lives here, outside the frame of
// the function that calls setjmp.
struct DecodeState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint32_t* pixels = nullptr;
    png_bytep* rows = nullptr;
};

bool Decode(DecodeState& state, MemoryReader& reader, int32_t& width, int32_t& height)
{
    if (setjmp(png_jmpbuf(state.png)) != 0) {
        return false;
    }
    png_set_read_fn(state.png, &reader, &ReadFromMemory);
    png_set_user_limits(state.png, kMaxTextureSide, kMaxTextureSide);
    png_read_info(state.png, state.info);
    RequestBgra(state.png, state.info);
    const png_uint_32 w = png_get_image_width(state.png, state.info);
    const png_uint_32 h = png_get_image_height(state.png, state.info);
    if (w < 1 || h < 1 || png_get_rowbytes(state.png, state.info) != size_t{w} * 4) {
        return false;
    }
    state.pixels = static_cast<uint32_t*>(BW_ALLOC(size_t{w} * h * 4, false));
    state.rows = static_cast<png_bytep*>(BW_ALLOC(sizeof(png_bytep) * h, false));
    for (png_uint_32 y = 0; y < h; ++y) {
        state.rows[y] = reinterpret_cast<png_bytep>(state.pixels + size_t{y} * w);
    }
    png_read_image(state.png, state.rows);
    png_read_end(state.png, nullptr);
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

}  // namespace

uint32_t* PNG_LoadImage(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t flag)
{
    (void)flag;
    *w = -1;
    *h = -1;
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        Console().Printf("Not a PNG\n");
        Console().Printf("ReadPNG :: a PNG error occured\n");
        return nullptr;
    }
    DecodeState state;
    MemoryReader reader{data, size, 0};
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &ReportError, &IgnoreWarning);
    if (state.png != nullptr) {
        state.info = png_create_info_struct(state.png);
    }
    int32_t width = -1;
    int32_t height = -1;
    const bool decoded = state.info != nullptr && Decode(state, reader, width, height);
    png_destroy_read_struct(&state.png, &state.info, nullptr);
    MemoryManager_Free(state.rows);
    if (!decoded) {
        MemoryManager_Free(state.pixels);
        Console().Printf("ReadPNG :: a PNG error occured\n");
        return nullptr;
    }
    *w = width;
    *h = height;
    return state.pixels;
}

void PNG_FreeImage(uint32_t* pixels)
{
    MemoryManager_Free(pixels);
}

namespace {

struct WriteState {
    AtomicFileWriter* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
};

void WriteToFile(png_structp png, png_bytep data, png_size_t count)
{
    if (!static_cast<AtomicFileWriter*>(png_get_io_ptr(png))->Write(data, count)) {
        png_error(png, "write failed");
    }
}

// The writer's commit flushes once the image is whole.
void FlushNothing(png_structp) {}

// Each stage has its own error trap so the console says where it failed.
bool WriteStages(WriteState& state, const uint8_t* pixels, int32_t w, int32_t h)
{
    if (setjmp(png_jmpbuf(state.png)) != 0) {
        Console().Printf("[write_png_file] Error during init_io\n");
        return false;
    }
    png_set_write_fn(state.png, state.file, &WriteToFile, &FlushNothing);
    if (setjmp(png_jmpbuf(state.png)) != 0) {
        Console().Printf("[write_png_file] Error during writing header\n");
        return false;
    }
    png_set_IHDR(state.png, state.info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(state.png, state.info);
    if (setjmp(png_jmpbuf(state.png)) != 0) {
        Console().Printf("[write_png_file] Error during writing bytes");
        return false;
    }
    for (int32_t y = 0; y < h; ++y) {
        state.rows[y] = const_cast<png_bytep>(pixels + static_cast<size_t>(y) * static_cast<size_t>(w) * 4);
    }
    png_write_image(state.png, state.rows);
    if (setjmp(png_jmpbuf(state.png)) != 0) {
        Console().Printf("[write_png_file] Error during end of write");
        return false;
    }
    png_write_end(state.png, nullptr);
    return true;
}

}  // namespace

bool write_png_file(const char* fileName, const uint8_t* pixels, int32_t w, int32_t h)
{
    char path[2048];
    if (fileName == nullptr || pixels == nullptr || w < 1 || h < 1 || !LoadSave_PathWrite(path, sizeof(path), fileName)) {
        return false;
    }
    // A game's first file may be a screenshot: its save area must exist by
    // then, as it does for every other file the game writes.
    if (const char* saveFolder = GetSaveDirectory(); saveFolder != nullptr) {
        DirectoryCreate(saveFolder);
    }
    AtomicFileWriter file(path);
    WriteState state;
    state.file = &file;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &ReportError, &IgnoreWarning);
    bool written = false;
    if (state.png == nullptr) {
        Console().Printf("[write_png_file] png_create_write_struct failed\n");
    } else if ((state.info = png_create_info_struct(state.png)) == nullptr) {
        Console().Printf("[write_png_file] png_create_info_struct failed\n");
    } else {
        state.rows = static_cast<png_bytep*>(BW_ALLOC(sizeof(png_bytep) * static_cast<size_t>(h), false));
        written = WriteStages(state, pixels, w, h);
    }
    png_destroy_write_struct(&state.png, &state.info);
    MemoryManager_Free(state.rows);
    // A file that could not be finished must not pass for a good one, nor
    // take the place of the one there before.
    if (written && file.Commit()) {
        return true;
    }
    // The saving built-ins answer nothing: the log is the one trace of a
    // full disk or a folder that cannot be written.
    if (!file.Error().empty()) {
        LoadSave_LogWriteFailure(path, file.Error().c_str());
    }
    return false;
}

bool write_png_file_argb(const char* fileName, std::vector<uint32_t> pixels, int32_t w, int32_t h)
{
    if (w < 1 || h < 1 || pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) {
        return false;
    }
    // B, G, R, A bytes in memory; the writer wants R, G, B, A.
    auto* bytes = reinterpret_cast<uint8_t*>(pixels.data());
    Bitmap_SwapRedBlue(bytes, w, h);
    return write_png_file(fileName, bytes, w, h);
}

void Bitmap_SwapRedBlue(uint8_t* pixels, int32_t w, int32_t h)
{
    if (pixels == nullptr || w < 1 || h < 1) {
        return;
    }
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* pixel = pixels + i * 4;
        const uint8_t red = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = red;
    }
}

}  // namespace bw
