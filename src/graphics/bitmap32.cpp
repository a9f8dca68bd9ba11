#include "graphics/bitmap32.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/bitmap.h"
#include "graphics/png_image.h"
#include "platform/memory.h"
#include "platform/stream.h"

namespace bw {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

uint32_t* AllocPixels(int32_t w, int32_t h)
{
    return static_cast<uint32_t*>(BW_ALLOC(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, false));
}

// Script colour 0x00BBGGRR to an opaque 0xAARRGGBB pixel.
uint32_t OpaqueFromScript(uint32_t colour)
{
    return kOpaque | (colour & 0xFF) << 16 | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

uint8_t Alpha(uint32_t pixel)
{
    return static_cast<uint8_t>(pixel >> 24);
}

// Per channel round-half-even(c1 x (1 - t) + c2 x t), as an opaque pixel.
uint32_t Blend(uint32_t colour1, uint32_t colour2, double t)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double a = static_cast<double>((colour1 >> shift) & 0xFF);
        const double b = static_cast<double>((colour2 >> shift) & 0xFF);
        const double mixed = std::clamp(std::nearbyint(a * (1.0 - t) + b * t), 0.0, 255.0);
        result |= static_cast<uint32_t>(mixed) << shift;
    }
    return OpaqueFromScript(result);
}

std::unique_ptr<CBitmap32> Invalid()
{
    return std::make_unique<CBitmap32>();
}

}  // namespace

CBitmap32::CBitmap32(int32_t w, int32_t h, uint32_t colour)
{
    const int32_t width = std::max(w, 1);
    const int32_t height = std::max(h, 1);
    Adopt(AllocPixels(width, height), width, height);
    std::fill_n(m_pixels, static_cast<size_t>(width) * static_cast<size_t>(height), OpaqueFromScript(colour));
}

CBitmap32::~CBitmap32()
{
    Free();
}

void CBitmap32::Adopt(uint32_t* pixels, int32_t w, int32_t h)
{
    Free();
    m_pixels = pixels;
    m_width = w;
    m_height = h;
    m_valid = pixels != nullptr;
}

void CBitmap32::Free()
{
    MemoryManager_Free(m_pixels);
    m_pixels = nullptr;
    m_valid = false;
    m_width = 0;
    m_height = 0;
}

uint32_t* CBitmap32::Data(int32_t* byteSize) const
{
    if (byteSize != nullptr) {
        *byteSize = m_valid ? m_width * m_height * 4 : 0;
    }
    return m_pixels;
}

std::unique_ptr<CBitmap32> CBitmap32::CreateCopy(const CBitmap32& source)
{
    auto copy = Invalid();
    copy->Assign(source);
    return copy;
}

std::unique_ptr<CBitmap32> CBitmap32::CreateSubImage(const CBitmap32& source, int32_t x, int32_t y, int32_t w,
                                                     int32_t h)
{
    auto result = Invalid();
    if (!source.m_valid || x < 0 || y < 0 || w < 1 || h < 1 || int64_t{x} + w > source.m_width ||
        int64_t{y} + h > source.m_height) {
        return result;
    }
    result->Adopt(AllocPixels(w, h), w, h);
    for (int32_t row = 0; row < h; ++row) {
        std::memcpy(&result->At(0, row), &source.At(x, y + row), static_cast<size_t>(w) * 4);
    }
    return result;
}

std::unique_ptr<CBitmap32> CBitmap32::CreateFromStream(CStream* stream)
{
    auto result = Invalid();
    if (stream == nullptr) {
        return result;
    }
    const int32_t version = stream->ReadInteger();
    if (version != kStreamVersion && version != kStreamVersionRaw) {
        return result;
    }
    if (version == kStreamVersion && stream->ReadInteger() == 0) {
        return result;
    }
    const int32_t w = stream->ReadInteger();
    const int32_t h = stream->ReadInteger();
    std::unique_ptr<CStream> block = version == kStreamVersion ? stream->ZDecompress() : stream->ReadStream();
    // The block must hold exactly the pixels the size promises.
    if (block == nullptr || w < 1 || h < 1 || int64_t{w} * h * 4 != block->GetSize()) {
        return result;
    }
    result->Adopt(AllocPixels(w, h), w, h);
    std::memcpy(result->m_pixels, block->GetData(), static_cast<size_t>(block->GetSize()));
    return result;
}

bool CBitmap32::WriteToStream(CStream* stream) const
{
    if (stream == nullptr) {
        return false;
    }
    bool written = stream->WriteInteger(kStreamVersion) && stream->WriteInteger(m_valid ? 1 : 0);
    if (written && m_valid) {
        CStream pixels;
        written = stream->WriteInteger(m_width) && stream->WriteInteger(m_height) &&
                  pixels.WriteBuffer(m_pixels, int64_t{m_width} * m_height * 4) && stream->ZCompress(&pixels);
    }
    return written;
}

std::unique_ptr<CBitmap32> CBitmap32::CreateFromTBitmap(IBitmap* bitmap, bool removeBack, bool smooth)
{
    auto result = Invalid();
    const int32_t format = bitmap != nullptr ? bitmap->GetFormat() : 0;
    if (format != BitmapFormat24 && format != BitmapFormat32) {
        return result;
    }
    int32_t pitch = 0;
    const uint8_t* rows = bitmap->Lock(0, &pitch, nullptr);
    const int32_t w = bitmap->GetWidth();
    const int32_t h = bitmap->GetHeight();
    if (rows == nullptr) {
        return result;
    }
    const size_t bytesPerPixel = format == BitmapFormat24 ? 3 : 4;
    result->Adopt(AllocPixels(w, h), w, h);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = rows + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + static_cast<size_t>(x) * bytesPerPixel;
            result->At(x, y) = kOpaque | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
        }
    }
    bitmap->Unlock();
    result->ApplyBackgroundSteps(removeBack, smooth);
    return result;
}

std::unique_ptr<CBitmap32> CBitmap32::CreateFromIBitmap32(IBitmap* bitmap, bool removeBack, bool smooth)
{
    auto result = Invalid();
    if (bitmap == nullptr || bitmap->GetFormat() != BitmapFormat32) {
        return result;
    }
    int32_t pitch = 0;
    const uint8_t* rows = bitmap->Lock(0, &pitch, nullptr);
    const int32_t w = bitmap->GetWidth();
    const int32_t h = bitmap->GetHeight();
    if (rows == nullptr) {
        return result;
    }
    result->Adopt(AllocPixels(w, h), w, h);
    for (int32_t y = 0; y < h; ++y) {
        std::memcpy(&result->At(0, y), rows + static_cast<size_t>(y) * static_cast<size_t>(pitch),
                    static_cast<size_t>(w) * 4);
    }
    bitmap->Unlock();
    result->ApplyBackgroundSteps(removeBack, smooth);
    return result;
}

std::unique_ptr<CBitmap32> CBitmap32::CreateFromImage(IBitmap* bitmap, bool removeBack, bool smooth)
{
    if (bitmap == nullptr || bitmap->GetFormat() == BitmapFormat24 || bitmap->GetFormat() == BitmapFormat32) {
        return CreateFromTBitmap(bitmap, removeBack, smooth);
    }
    TBitmap copy;
    copy.Assign(bitmap);
    return CreateFromTBitmap(&copy, removeBack, smooth);
}

std::unique_ptr<CBitmap32> CBitmap32::CreateFromSource(IBitmap* bitmap, bool removeBack, bool smooth, bool keepAlpha)
{
    return keepAlpha ? CreateFromIBitmap32(bitmap, removeBack, smooth) : CreateFromImage(bitmap, removeBack, smooth);
}

void CBitmap32::ApplyBackgroundSteps(bool removeBack, bool smooth)
{
    if (removeBack) {
        RemoveBackground();
        if (smooth) {
            SmoothEdges();
        }
    }
}

std::unique_ptr<CBitmap32> CBitmap32::CreateGradient(int32_t w, int32_t h, uint32_t colour1, uint32_t colour2,
                                                     int32_t kind)
{
    auto result = std::make_unique<CBitmap32>(w, h, colour1);
    const int32_t width = result->m_width;
    const int32_t height = result->m_height;
    const double halfMin = std::min(width, height) * 0.5;
    for (int32_t y = 0; y < height && kind != 3; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t dx = std::min(x, width - 1 - x);
            const int32_t dy = std::min(y, height - 1 - y);
            double t = 0.0;
            switch (kind) {
            case 0: t = static_cast<double>(x) / width; break;
            case 1: t = static_cast<double>(y) / height; break;
            case 2: t = std::min(dx, dy) / halfMin; break;
            case 4: t = dx / (width * 0.5); break;
            case 5: t = dy / (height * 0.5); break;
            default: return result;
            }
            result->At(x, y) = Blend(colour1, colour2, t);
        }
    }
    if (kind == 3) {
        // Ever smaller ellipses, each in the next colour step, painted over
        // the ones before.
        const double cx = width * 0.5;
        const double cy = height * 0.5;
        for (int32_t ring = 0; ring < halfMin; ++ring) {
            const double rx = (width - 2.0 * ring) / 2.0;
            const double ry = (height - 2.0 * ring) / 2.0;
            const uint32_t colour = Blend(colour1, colour2, ring / halfMin);
            for (int32_t y = ring; y <= height - 1 - ring; ++y) {
                for (int32_t x = ring; x <= width - 1 - ring; ++x) {
                    const double ex = (x + 0.5 - cx) / rx;
                    const double ey = (y + 0.5 - cy) / ry;
                    if (ex * ex + ey * ey <= 1.0) {
                        result->At(x, y) = colour;
                    }
                }
            }
        }
    }
    return result;
}

void CBitmap32::Assign(const CBitmap32& other)
{
    if (&other == this) {
        return;
    }
    if (!other.m_valid) {
        Free();
        return;
    }
    uint32_t* pixels = AllocPixels(other.m_width, other.m_height);
    std::memcpy(pixels, other.m_pixels, static_cast<size_t>(other.m_width) * static_cast<size_t>(other.m_height) * 4);
    Adopt(pixels, other.m_width, other.m_height);
}

void CBitmap32::SetAlpha(uint8_t alpha)
{
    const size_t count = m_valid ? static_cast<size_t>(m_width) * static_cast<size_t>(m_height) : 0;
    for (size_t i = 0; i < count; ++i) {
        m_pixels[i] = (m_pixels[i] & 0x00FFFFFFu) | static_cast<uint32_t>(alpha) << 24;
    }
}

void CBitmap32::AlphaFromBitmap(const CBitmap32& other)
{
    if (!m_valid || !other.m_valid) {
        return;
    }
    const int32_t w = std::min(m_width, other.m_width);
    const int32_t h = std::min(m_height, other.m_height);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t source = other.At(x, y);
            const uint32_t grey = ((source & 0xFF) + ((source >> 8) & 0xFF) + ((source >> 16) & 0xFF)) / 3;
            uint32_t& pixel = At(x, y);
            pixel = (pixel & 0x00FFFFFFu) | std::min<uint32_t>(Alpha(pixel), grey) << 24;
        }
    }
}

void CBitmap32::Resize(int32_t w, int32_t h)
{
    if (!m_valid || w < 1 || h < 1 || (w == m_width && h == m_height)) {
        return;
    }
    uint32_t* pixels = AllocPixels(w, h);
    for (int32_t y = 0; y < h; ++y) {
        const auto sourceY = static_cast<int32_t>(int64_t{m_height} * y / h);
        for (int32_t x = 0; x < w; ++x) {
            const auto sourceX = static_cast<int32_t>(int64_t{m_width} * x / w);
            pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = At(sourceX, sourceY);
        }
    }
    Adopt(pixels, w, h);
}

BitmapBox CBitmap32::OpaqueBounds() const
{
    BitmapBox box{m_width - 1, m_height - 1, 0, 0};
    for (int32_t y = 0; m_valid && y < m_height; ++y) {
        for (int32_t x = 0; x < m_width; ++x) {
            if (Alpha(At(x, y)) > 0) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

void CBitmap32::RemoveBackground()
{
    if (!m_valid) {
        return;
    }
    const uint32_t key = At(0, m_height - 1) & 0x00FFFFFFu;
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    for (size_t i = 0; i < count; ++i) {
        if ((m_pixels[i] & 0x00FFFFFFu) == key) {
            m_pixels[i] = key;
        }
    }
    BleedColours();
}

void CBitmap32::BleedColours()
{
    for (int32_t y = 0; m_valid && y < m_height; ++y) {
        for (int32_t x = 0; x < m_width; ++x) {
            uint32_t& pixel = At(x, y);
            if (Alpha(pixel) != 0) {
                continue;
            }
            const int32_t neighbours[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& n : neighbours) {
                if (n[0] >= 0 && n[0] < m_width && n[1] >= 0 && n[1] < m_height && Alpha(At(n[0], n[1])) != 0) {
                    pixel = At(n[0], n[1]) & 0x00FFFFFFu;
                    break;
                }
            }
        }
    }
}

void CBitmap32::SmoothEdges()
{
    for (int32_t y = 0; m_valid && y < m_height; ++y) {
        for (int32_t x = 0; x < m_width; ++x) {
            if (Alpha(At(x, y)) != 0) {
                continue;
            }
            for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, m_height - 1); ++ny) {
                for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, m_width - 1); ++nx) {
                    uint32_t& pixel = At(nx, ny);
                    if (Alpha(pixel) >= 32) {
                        pixel -= 32u << 24;
                    }
                }
            }
        }
    }
}

std::unique_ptr<TBitmap> CBitmap32::ToTBitmap(int32_t format, int32_t bytesPerPixel,
                                               void (*put)(uint8_t* at, uint32_t pixel)) const
{
    auto bitmap = TBitmap_Create();
    bitmap->SetFormat(format);
    bitmap->SetWidth(m_width);
    bitmap->SetHeight(m_height);
    int32_t pitch = 0;
    uint8_t* rows = m_valid ? bitmap->Lock(0, &pitch, nullptr) : nullptr;
    for (int32_t y = 0; rows != nullptr && y < m_height; ++y) {
        uint8_t* row = rows + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        for (int32_t x = 0; x < m_width; ++x) {
            put(row + static_cast<size_t>(x) * static_cast<size_t>(bytesPerPixel), At(x, y));
        }
    }
    return bitmap;
}

std::unique_ptr<TBitmap> CBitmap32::ToTBitmap24() const
{
    return ToTBitmap(BitmapFormat24, 3, [](uint8_t* p, uint32_t pixel) {
        p[0] = static_cast<uint8_t>(pixel);
        p[1] = static_cast<uint8_t>(pixel >> 8);
        p[2] = static_cast<uint8_t>(pixel >> 16);
    });
}

std::unique_ptr<TBitmap> CBitmap32::ToTBitmap32() const
{
    return ToTBitmap(BitmapFormat32, 4, [](uint8_t* p, uint32_t pixel) {
        p[0] = static_cast<uint8_t>(pixel >> 16);
        p[1] = static_cast<uint8_t>(pixel >> 8);
        p[2] = static_cast<uint8_t>(pixel);
        p[3] = static_cast<uint8_t>(pixel >> 24);
    });
}

bool CBitmap32::SavePNG(const char* fileName) const
{
    if (!m_valid) {
        return false;
    }
    std::unique_ptr<TBitmap> rgba = ToTBitmap32();
    return write_png_file(fileName, rgba->Lock(0, nullptr, nullptr), m_width, m_height);
}

void Bitmap_Downscale(int32_t dstW, int32_t dstH, uint32_t* dst, int32_t srcW, int32_t srcH, const uint32_t* src)
{
    if (dst == nullptr || src == nullptr || dstW < 1 || dstH < 1 || srcW < 1 || srcH < 1) {
        return;
    }
    const int64_t xs = (int64_t{srcW} << 16) / dstW;
    const int64_t ys = (int64_t{srcH} << 16) / dstH;
    for (int32_t y = 0; y < dstH; ++y) {
        const auto sy = static_cast<int32_t>(std::min<int64_t>((y * ys) >> 16, srcH - 1));
        const int32_t sy1 = std::min(sy + 1, srcH - 1);
        for (int32_t x = 0; x < dstW; ++x) {
            const auto sx = static_cast<int32_t>(std::min<int64_t>((x * xs) >> 16, srcW - 1));
            const int32_t sx1 = std::min(sx + 1, srcW - 1);
            // The edge pixels count their own row or column twice.
            const uint32_t quad[4] = {src[static_cast<size_t>(sy) * srcW + sx], src[static_cast<size_t>(sy) * srcW + sx1],
                                      src[static_cast<size_t>(sy1) * srcW + sx], src[static_cast<size_t>(sy1) * srcW + sx1]};
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t sum = 0;
                for (uint32_t p : quad) {
                    sum += (p >> shift) & 0xFF;
                }
                out |= (sum >> 2) << shift;
            }
            dst[static_cast<size_t>(y) * dstW + x] = out;
        }
    }
}

}  // namespace bw
