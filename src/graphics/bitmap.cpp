#include "graphics/bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/stream.h"

namespace bw {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint32_t ReadU32(const uint8_t* bytes)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes, 4);
    return value;
}

int32_t ReadI32(const uint8_t* bytes)
{
    int32_t value = 0;
    std::memcpy(&value, bytes, 4);
    return value;
}

uint16_t ReadU16(const uint8_t* bytes)
{
    uint16_t value = 0;
    std::memcpy(&value, bytes, 2);
    return value;
}

void WriteU32(uint8_t* bytes, uint32_t value)
{
    std::memcpy(bytes, &value, 4);
}

int32_t BitsOfFormat(int32_t format)
{
    static constexpr int32_t kBits[] = {32, 1, 4, 8, 16, 16, 24, 32};
    return format >= 1 && format <= 7 ? kBits[format] : 32;
}

bool SideAcceptable(int32_t side)
{
    return side >= 1 && side <= TBitmap::kMaxSide;
}

}  // namespace

int32_t Bitmap_FormatFromBits(int32_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return BitmapFormat1;
    case 4: return BitmapFormat4;
    case 8: return BitmapFormat8;
    case 15: return BitmapFormat15;
    case 16: return BitmapFormat16;
    case 24: return BitmapFormat24;
    default: return BitmapFormat32;
    }
}

int32_t Bitmap_Pitch(int32_t format, int32_t width)
{
    const int64_t bits = int64_t{std::max(width, 0)} * BitsOfFormat(format);
    return static_cast<int32_t>((bits + 31) / 32 * 4);
}

bool TBitmap::LoadFromStream(CStream* stream)
{
    FreeBits();
    m_width = 0;
    m_height = 0;
    if (stream == nullptr || stream->GetSize() < 2 || stream->GetData()[0] != 'B' || stream->GetData()[1] != 'M') {
        return false;
    }
    return ReadBMP(stream->GetData(), static_cast<size_t>(stream->GetSize()));
}

bool TBitmap::ReadBMP(const uint8_t* data, size_t size)
{
    if (size < kFileHeaderSize + kInfoHeaderSize) {
        return false;
    }
    const uint8_t* info = data + kFileHeaderSize;
    const uint32_t pixelOffset = ReadU32(data + 10);
    const uint32_t infoSize = ReadU32(info);
    const int32_t width = ReadI32(info + 4);
    const int32_t storedHeight = ReadI32(info + 8);
    const int32_t bits = ReadU16(info + 14);
    const uint32_t compression = ReadU32(info + 16);
    // A negative height marks rows stored top first; they are kept as they are.
    const bool topDown = storedHeight < 0;
    const int32_t height = topDown ? (storedHeight == INT32_MIN ? 0 : -storedHeight) : storedHeight;
    // Only uncompressed rows (or 32-bit fields, whose bytes are the same) are read.
    const bool plain = compression == 0 || (compression == 3 && bits == 32);
    const int32_t fileFormat = Bitmap_FormatFromBits(bits);
    if (!plain || infoSize < kInfoHeaderSize || !SideAcceptable(width) || !SideAcceptable(height) ||
        BitsOfFormat(fileFormat) != bits) {
        return false;
    }
    const size_t filePitch = static_cast<size_t>(Bitmap_Pitch(fileFormat, width));
    const size_t rows = static_cast<size_t>(height);
    if (pixelOffset > size || filePitch * rows > size - pixelOffset) {
        return false;
    }
    // Palette and 16-bit images become 24-bit rows as they are read.
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        const uint32_t colours = ReadU32(info + 32);
        const size_t count = colours == 0 || colours > (1u << bits) ? (1u << bits) : colours;
        const size_t paletteStart = kFileHeaderSize + size_t{infoSize};
        if (paletteStart > size || count * 4 > size - paletteStart) {
            return false;
        }
        palette.resize(count);
        std::memcpy(palette.data(), data + paletteStart, count * 4);
    }
    m_width = width;
    m_height = height;
    m_format = bits <= 16 ? BitmapFormat24 : fileFormat;
    const size_t pitch = static_cast<size_t>(GetPitch());
    m_pixels.assign(pitch * rows, 0);
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* source = data + pixelOffset + (topDown ? y : rows - 1 - y) * filePitch;
        uint8_t* target = m_pixels.data() + y * pitch;
        if (bits > 16) {
            std::memcpy(target, source, pitch);
            continue;
        }
        for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
            uint32_t colour = 0;  // 0x00RRGGBB
            if (bits == 16) {
                const uint32_t v = ReadU16(source + x * 2);
                const auto widen = [](uint32_t five) { return (five * 255 + 15) / 31; };
                colour = widen((v >> 10) & 31) << 16 | widen((v >> 5) & 31) << 8 | widen(v & 31);
            } else {
                const size_t bit = x * static_cast<size_t>(bits);
                const uint32_t index = (source[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                colour = index < palette.size() ? palette[index] : 0;  // stray indices show black
            }
            target[x * 3] = static_cast<uint8_t>(colour);
            target[x * 3 + 1] = static_cast<uint8_t>(colour >> 8);
            target[x * 3 + 2] = static_cast<uint8_t>(colour >> 16);
        }
    }
    return true;
}

void TBitmap::SetWidth(int32_t width)
{
    FreeBits();
    m_width = std::clamp(width, 0, kMaxSide);
}

void TBitmap::SetHeight(int32_t height)
{
    FreeBits();
    m_height = std::clamp(height, 0, kMaxSide);
}

void TBitmap::SetFormat(int32_t format)
{
    FreeBits();
    m_format = format >= BitmapFormat1 && format <= BitmapFormat32 ? format : BitmapFormat32;
}

uint8_t* TBitmap::Lock(uint32_t flags, int32_t* pitch, int32_t* height)
{
    (void)flags;
    if (m_width < 1 || m_height < 1) {
        return nullptr;
    }
    if (m_pixels.empty()) {
        m_pixels.assign(static_cast<size_t>(GetPitch()) * static_cast<size_t>(m_height), 0);
    }
    if (pitch != nullptr) {
        *pitch = GetPitch();
    }
    if (height != nullptr) {
        *height = m_height;
    }
    return m_pixels.data();
}

void TBitmap::Assign(IBitmap* other)
{
    if (other == nullptr || other == this) {
        return;
    }
    SetFormat(other->GetFormat());
    SetWidth(other->GetWidth());
    SetHeight(other->GetHeight());
    int32_t sourcePitch = 0;
    const uint8_t* source = other->Lock(0, &sourcePitch, nullptr);
    uint8_t* target = Lock(0, nullptr, nullptr);
    if (source == nullptr || target == nullptr) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(std::min(sourcePitch, GetPitch()));
    for (int32_t y = 0; y < m_height; ++y) {
        std::memcpy(target + static_cast<size_t>(y) * static_cast<size_t>(GetPitch()),
                    source + static_cast<size_t>(y) * static_cast<size_t>(sourcePitch), rowBytes);
    }
    other->Unlock();
}

void TBitmap::FreeBits()
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
}

bool TBitmap::AttachDIB(const uint8_t* block, size_t size)
{
    if (block == nullptr || size < kInfoHeaderSize) {
        return false;
    }
    const int32_t width = ReadI32(block + 4);
    const int32_t height = ReadI32(block + 8);
    if (!SideAcceptable(width) || !SideAcceptable(height) ||
        size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height) > size - kInfoHeaderSize) {
        return false;
    }
    m_format = BitmapFormat32;
    m_width = width;
    m_height = height;
    m_pixels.assign(block + kInfoHeaderSize,
                    block + kInfoHeaderSize + size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height));
    return true;
}

std::unique_ptr<TBitmap> TBitmap_Create()
{
    return std::make_unique<TBitmap>();
}

std::vector<uint8_t> GR_MakeBMP(const uint8_t* pixels, int32_t w, int32_t h, int32_t bytesPerPixel)
{
    if (pixels == nullptr || !SideAcceptable(w) || !SideAcceptable(h) || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return {};
    }
    const size_t pitch = static_cast<size_t>(Bitmap_Pitch(BitmapFormat24, w));
    const size_t imageSize = pitch * static_cast<size_t>(h);
    const size_t dataOffset = kFileHeaderSize + kInfoHeaderSize;
    std::vector<uint8_t> file(dataOffset + imageSize, 0);
    file[0] = 'B';
    file[1] = 'M';
    WriteU32(&file[2], static_cast<uint32_t>(file.size()));
    WriteU32(&file[10], static_cast<uint32_t>(dataOffset));
    uint8_t* info = &file[kFileHeaderSize];
    WriteU32(info, kInfoHeaderSize);
    WriteU32(info + 4, static_cast<uint32_t>(w));
    WriteU32(info + 8, static_cast<uint32_t>(h));
    info[12] = 1;   // planes
    info[14] = 24;  // bits per pixel
    WriteU32(info + 20, static_cast<uint32_t>(imageSize));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* source = pixels + static_cast<size_t>(y) * static_cast<size_t>(w) * static_cast<size_t>(bytesPerPixel);
        uint8_t* row = &file[dataOffset + static_cast<size_t>(h - 1 - y) * pitch];
        for (int32_t x = 0; x < w; ++x) {
            std::memcpy(row + static_cast<size_t>(x) * 3, source + static_cast<size_t>(x) * static_cast<size_t>(bytesPerPixel), 3);
        }
    }
    return file;
}

BitmapLoader::BitmapLoader(const uint32_t* bits, int32_t width, int32_t height)
{
    const size_t w = static_cast<size_t>(std::clamp(width, 0, TBitmap::kMaxSide));
    const size_t h = static_cast<size_t>(std::clamp(height, 0, TBitmap::kMaxSide));
    m_block.assign(kInfoHeaderSize + w * h * 4, 0);
    WriteU32(m_block.data(), kInfoHeaderSize);
    WriteU32(m_block.data() + 4, static_cast<uint32_t>(w));
    WriteU32(m_block.data() + 8, static_cast<uint32_t>(h));
    m_block[12] = 1;   // planes
    m_block[14] = 32;  // bits per pixel
    if (bits != nullptr) {
        std::memcpy(m_block.data() + kInfoHeaderSize, bits, w * h * 4);
    }
}

std::unique_ptr<TBitmap> BitmapLoader::GetBitmap(int32_t index) const
{
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    auto bitmap = TBitmap_Create();
    if (!bitmap->AttachDIB(m_block.data(), m_block.size())) {
        return nullptr;
    }
    return bitmap;
}

std::unique_ptr<BitmapLoader> BitmapLoader_Create(const uint32_t* bits, int32_t width, int32_t height)
{
    return std::make_unique<BitmapLoader>(bits, width, height);
}

}  // namespace bw
