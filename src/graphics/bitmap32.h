// CBitmap32: the in-memory 32-bit image. Sprite and background frames are
// built, edited and saved with it, captures of the screen and of surfaces
// produce it, and textures are made from it. Pixels are u32 0xAARRGGBB
// (bytes B, G, R, A in memory), rows top first without padding. An invalid
// bitmap holds no pixels and every operation on it does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace bw {

class CStream;
class IBitmap;
class TBitmap;

struct BitmapBox {
    int32_t left, top, right, bottom;
};

class CBitmap32 {
public:
    static constexpr int32_t kStreamVersion = 540;
    static constexpr int32_t kStreamVersionRaw = 800;  // read only

    CBitmap32() = default;
    // w and h at least 1; every pixel the script colour (0x00BBGGRR), opaque.
    CBitmap32(int32_t w, int32_t h, uint32_t colour);
    virtual ~CBitmap32();
    CBitmap32(const CBitmap32&) = delete;
    CBitmap32& operator=(const CBitmap32&) = delete;

    static std::unique_ptr<CBitmap32> CreateCopy(const CBitmap32& source);
    // Invalid unless the rectangle lies wholly inside a valid source.
    static std::unique_ptr<CBitmap32> CreateSubImage(const CBitmap32& source, int32_t x, int32_t y, int32_t w,
                                                     int32_t h);
    // Version 540 (zlib block) or 800 (plain block); anything else, or a
    // block of the wrong size, gives an invalid bitmap.
    static std::unique_ptr<CBitmap32> CreateFromStream(CStream* stream);
    // Formats 6 and 7 (alpha forced opaque); others invalid. Then the
    // background removal and edge smoothing the flags ask for.
    static std::unique_ptr<CBitmap32> CreateFromTBitmap(IBitmap* bitmap, bool removeBack, bool smooth);
    // Format 7 only, its alpha kept.
    static std::unique_ptr<CBitmap32> CreateFromIBitmap32(IBitmap* bitmap, bool removeBack, bool smooth);
    // Formats 6 and 7 as CreateFromTBitmap; others are first copied into a
    // new TBitmap.
    static std::unique_ptr<CBitmap32> CreateFromImage(IBitmap* bitmap, bool removeBack, bool smooth);
    static std::unique_ptr<CBitmap32> CreateFromSource(IBitmap* bitmap, bool removeBack, bool smooth,
                                                       bool keepAlpha);
    // Kinds 0 horizontal, 1 vertical, 2 rectangle, 3 ellipse, 4 double
    // horizontal, 5 double vertical; colours are script colours.
    static std::unique_ptr<CBitmap32> CreateGradient(int32_t w, int32_t h, uint32_t colour1, uint32_t colour2,
                                                     int32_t kind);

    bool IsValid() const { return m_valid; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    // The pixels and their byte size.
    uint32_t* Data(int32_t* byteSize) const;
    uint32_t* Pixels() const { return m_pixels; }

    void Assign(const CBitmap32& other);
    void SetAlpha(uint8_t alpha);
    // Alpha becomes at most the grey level of the other bitmap's pixel.
    void AlphaFromBitmap(const CBitmap32& other);
    // Nearest neighbour.
    void Resize(int32_t w, int32_t h);
    // The box of the pixels with alpha above 0; (width - 1, height - 1, 0, 0)
    // when there are none.
    BitmapBox OpaqueBounds() const;
    // Pixels of the bottom-left pixel's colour become transparent.
    void RemoveBackground();
    // Transparent pixels take the colour of an opaque neighbour.
    void BleedColours();
    void SmoothEdges();
    // Format 6 (B, G, R) and format 7 (R, G, B, A: the PNG writer's order).
    std::unique_ptr<TBitmap> ToTBitmap24() const;
    std::unique_ptr<TBitmap> ToTBitmap32() const;
    bool WriteToStream(CStream* stream) const;
    bool SavePNG(const char* fileName) const;

private:
    // A new bitmap of the format, each pixel written by put.
    std::unique_ptr<TBitmap> ToTBitmap(int32_t format, int32_t bytesPerPixel,
                                       void (*put)(uint8_t* at, uint32_t pixel)) const;
    // Takes over a memory-manager block of w x h pixels.
    void Adopt(uint32_t* pixels, int32_t w, int32_t h);
    void Free();
    uint32_t& At(int32_t x, int32_t y) const
    {
        return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
    }
    void ApplyBackgroundSteps(bool removeBack, bool smooth);

    bool m_valid = false;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t* m_pixels = nullptr;
};

// Halves (or otherwise shrinks) an image with a 2 x 2 box filter; may run in
// place when dst == src and the destination is half the size.
void Bitmap_Downscale(int32_t dstW, int32_t dstH, uint32_t* dst, int32_t srcW, int32_t srcH, const uint32_t* src);

}  // namespace bw
