// Platform bitmaps: `TBitmap`, a block of pixel rows in one of the device-
// independent bitmap formats (loadable from BMP data), and `BitmapLoader`, a
// source of 32-bit bitmaps made from raw pixels. Rows are kept top first,
// each padded to a multiple of 4 bytes as in BMP files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace bw {

class CStream;

// Pixel formats by bits per pixel: 1 -> 1, 4 -> 2, 8 -> 3, 15 -> 4, 16 -> 5,
// 24 -> 6 (bytes B, G, R), 32 and anything else -> 7 (bytes B, G, R, A).
enum BitmapFormat : int32_t {
    BitmapFormat1 = 1,
    BitmapFormat4 = 2,
    BitmapFormat8 = 3,
    BitmapFormat15 = 4,
    BitmapFormat16 = 5,
    BitmapFormat24 = 6,
    BitmapFormat32 = 7,
};
int32_t Bitmap_FormatFromBits(int32_t bitsPerPixel);
// Bytes per row: the format's bits times the width, rounded up to 4 bytes.
int32_t Bitmap_Pitch(int32_t format, int32_t width);

class IBitmap {
public:
    virtual ~IBitmap() = default;
    virtual bool LoadFromStream(CStream* stream) = 0;
    virtual void SetWidth(int32_t width) = 0;
    virtual int32_t GetWidth() const = 0;
    virtual void SetHeight(int32_t height) = 0;
    virtual int32_t GetHeight() const = 0;
    virtual void SetFormat(int32_t format) = 0;
    virtual int32_t GetFormat() const = 0;
    // The first row; rows follow `pitch` bytes apart. Allocated (zeroed) on
    // first use. Null when the size is not set.
    virtual uint8_t* Lock(uint32_t flags, int32_t* pitch, int32_t* height) = 0;
    virtual void Unlock() = 0;
    virtual void Assign(IBitmap* other) = 0;
    virtual void FreeBits() = 0;
    virtual uint32_t GetReservedWord() const = 0;
    // Takes a 40-byte BITMAPINFOHEADER of a 32-bit image followed by its
    // pixels (rows top first); false when the block is too short for them.
    virtual bool AttachDIB(const uint8_t* block, size_t size) = 0;
};

class TBitmap final : public IBitmap {
public:
    // Largest side accepted from BMP data or a size setter.
    static constexpr int32_t kMaxSide = 8192;

    // A stream that does not hold a readable BMP leaves the bitmap empty.
    // Palette and 16-bit images are read as 24-bit ones.
    bool LoadFromStream(CStream* stream) override;
    void SetWidth(int32_t width) override;
    int32_t GetWidth() const override { return m_width; }
    void SetHeight(int32_t height) override;
    int32_t GetHeight() const override { return m_height; }
    void SetFormat(int32_t format) override;
    int32_t GetFormat() const override { return m_format; }
    int32_t GetPitch() const { return Bitmap_Pitch(m_format, m_width); }
    uint8_t* Lock(uint32_t flags, int32_t* pitch, int32_t* height) override;
    void Unlock() override {}
    void Assign(IBitmap* other) override;
    void FreeBits() override;
    uint32_t GetReservedWord() const override { return 0; }
    bool AttachDIB(const uint8_t* block, size_t size) override;

private:
    bool ReadBMP(const uint8_t* data, size_t size);

    std::vector<uint8_t> m_pixels;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_format = BitmapFormat32;
};

std::unique_ptr<TBitmap> TBitmap_Create();

// A 24-bit bottom-up BMP file of w x h pixels, each taken as blue, green,
// red from the first bytes of its bytesPerPixel (3 or 4) source bytes; rows
// are padded to 4 bytes as readers expect. Empty for a bad size.
std::vector<uint8_t> GR_MakeBMP(const uint8_t* pixels, int32_t w, int32_t h, int32_t bytesPerPixel);

class BitmapLoader {
public:
    // Copies width x height 32-bit pixels.
    BitmapLoader(const uint32_t* bits, int32_t width, int32_t height);
    int32_t GetCount() const { return 1; }
    // A new bitmap holding a copy of the pixels; null for an index past the count.
    std::unique_ptr<TBitmap> GetBitmap(int32_t index) const;

private:
    std::vector<uint8_t> m_block;  // BITMAPINFOHEADER, then the pixels
};

std::unique_ptr<BitmapLoader> BitmapLoader_Create(const uint32_t* bits, int32_t width, int32_t height);

}  // namespace bw
