#include "graphics/builtin_images.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/system_font.h"
#include "graphics/texture_records.h"

namespace bw {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// An image under construction, 0xAARRGGBB.
struct Canvas {
    int32_t width, height;
    std::vector<uint32_t> pixels;
    Canvas(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}
};

// The "RAW " form: magic, width, height, kind 0, then R, G, B, A bytes.
std::vector<uint8_t> ToRaw(const Canvas& canvas)
{
    const uint32_t header[4] = {kRawTextureMagic, static_cast<uint32_t>(canvas.width),
                                static_cast<uint32_t>(canvas.height), 0};
    std::vector<uint8_t> raw(sizeof(header) + canvas.pixels.size() * 4);
    std::memcpy(raw.data(), header, sizeof(header));
    uint8_t* out = raw.data() + sizeof(header);
    for (uint32_t pixel : canvas.pixels) {
        *out++ = static_cast<uint8_t>(pixel >> 16);
        *out++ = static_cast<uint8_t>(pixel >> 8);
        *out++ = static_cast<uint8_t>(pixel);
        *out++ = static_cast<uint8_t>(pixel >> 24);
    }
    return raw;
}

uint32_t WhiteWithAlpha(double coverage)
{
    const double held = std::clamp(coverage, 0.0, 1.0);
    return static_cast<uint32_t>(std::lround(held * 255.0)) << 24 | 0xFFFFFFu;
}

// Deterministic value noise in 0..1 on a lattice of `cell` pixels.
double Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double Noise(double x, double y, double cell, uint32_t seed)
{
    const double fx = x / cell, fy = y / cell;
    const auto ix = static_cast<int32_t>(std::floor(fx)), iy = static_cast<int32_t>(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double top = Hash(ix, iy, seed) * (1 - sx) + Hash(ix + 1, iy, seed) * sx;
    const double bottom = Hash(ix, iy + 1, seed) * (1 - sx) + Hash(ix + 1, iy + 1, seed) * sx;
    return top * (1 - sy) + bottom * sy;
}

// 1 inside distance `edge`, 0 beyond it, a one-pixel ramp between.
double Inside(double distance, double edge)
{
    return std::clamp(edge - distance + 0.5, 0.0, 1.0);
}

// Distance from (x, y) to the segment from the centre along angle a, length l.
double RayDistance(double x, double y, double a, double l)
{
    const double ux = std::cos(a), uy = std::sin(a);
    const double t = std::clamp(x * ux + y * uy, 0.0, l);
    return std::hypot(x - t * ux, y - t * uy);
}

using ShapeFunction = std::function<double(double x, double y, double r, double angle)>;

// Coverage of each particle shape in pixel coordinates about the centre.
const ShapeFunction kShapes[14] = {
    // pixel
    [](double, double, double r, double) { return Inside(r, 2.0); },
    // disk
    [](double, double, double r, double) { return Inside(r, 30.0); },
    // square
    [](double x, double y, double, double) { return Inside(std::max(std::fabs(x), std::fabs(y)), 28.0); },
    // line
    [](double x, double y, double, double) { return Inside(std::fabs(y), 2.0) * std::clamp((31.5 - std::fabs(x)) / 8.0, 0.0, 1.0); },
    // star: five points, the radius swinging between 12 and 30
    [](double, double, double r, double angle) {
        const double sector = std::fmod(angle + kTwoPi / 4 + kTwoPi, kTwoPi / 5) / (kTwoPi / 5);
        return Inside(r, 12.0 + 18.0 * std::fabs(1.0 - 2.0 * sector));
    },
    // circle
    [](double, double, double r, double) { return Inside(std::fabs(r - 28.0), 1.5); },
    // ring
    [](double, double, double r, double) { return std::exp(-std::pow((r - 22.0) / 5.0, 2.0)); },
    // sphere
    [](double, double, double r, double) { return 1.0 - std::pow(std::min(r / 30.0, 1.0), 2.0); },
    // flare: a bright core fading out, with four thin rays
    [](double x, double y, double r, double) {
        const double core = 1.0 / (1.0 + std::pow(r / 5.0, 2.0));
        const double rays = std::max(Inside(std::fabs(x), 0.5), Inside(std::fabs(y), 0.5)) * (1.0 - r / 32.0);
        return std::max(core, rays) * Inside(r, 31.0);
    },
    // spark: a small core with a cross and shorter diagonals
    [](double x, double y, double r, double) {
        double cover = Inside(r, 3.0);
        for (int i = 0; i < 8; ++i) {
            const double length = i % 2 == 0 ? 30.0 : 16.0;
            cover = std::max(cover, Inside(RayDistance(x, y, i * kTwoPi / 8, length), 1.0) * (1.0 - r / 32.0));
        }
        return cover;
    },
    // explosion: a ragged bright ball
    [](double x, double y, double r, double) {
        const double edge = 20.0 + 10.0 * Noise(x + 32, y + 32, 8.0, 1);
        return Inside(r, edge) * (0.6 + 0.4 * Noise(x + 32, y + 32, 4.0, 2));
    },
    // cloud: overlapping soft blobs
    [](double x, double y, double, double) {
        static const double kBlobs[5][3] = {{-12, 4, 12}, {10, 6, 13}, {0, -6, 14}, {-2, 12, 10}, {16, -4, 9}};
        double cover = 0.0;
        for (const auto& b : kBlobs) {
            cover = std::max(cover, 1.0 - std::pow(std::min(std::hypot(x - b[0], y - b[1]) / b[2], 1.0), 2.0));
        }
        return cover;
    },
    // smoke: a soft puff with a turbulent texture
    [](double x, double y, double r, double) {
        return (1.0 - std::min(r / 30.0, 1.0)) * (0.4 + 0.6 * Noise(x + 32, y + 32, 6.0, 3));
    },
    // snow: six arms, each with two pairs of branches
    [](double x, double y, double, double) {
        double cover = 0.0;
        for (int arm = 0; arm < 6; ++arm) {
            const double a = arm * kTwoPi / 6;
            cover = std::max(cover, Inside(RayDistance(x, y, a, 28.0), 1.2));
            for (double at : {12.0, 20.0}) {
                const double bx = x - at * std::cos(a), by = y - at * std::sin(a);
                for (double turn : {kTwoPi / 8, -kTwoPi / 8}) {
                    cover = std::max(cover, Inside(RayDistance(bx, by, a + turn, 8.0), 1.0));
                }
            }
        }
        return cover;
    },
};

Canvas ParticleShape(int32_t shape)
{
    Canvas canvas(kParticleShapeSize, kParticleShapeSize);
    const double centre = (kParticleShapeSize - 1) / 2.0;
    for (int32_t py = 0; py < canvas.height; ++py) {
        for (int32_t px = 0; px < canvas.width; ++px) {
            const double x = px - centre, y = py - centre;
            const double cover = kShapes[shape](x, y, std::hypot(x, y), std::atan2(y, x));
            canvas.pixels[static_cast<size_t>(py) * canvas.width + static_cast<size_t>(px)] = WhiteWithAlpha(cover);
        }
    }
    return canvas;
}

// A deep blue field with soft concentric rings about a bright core.
Canvas Splash()
{
    Canvas canvas(256, 128);
    for (int32_t y = 0; y < canvas.height; ++y) {
        for (int32_t x = 0; x < canvas.width; ++x) {
            const double r = std::hypot(x - 127.5, (y - 63.5) * 1.6) / 128.0;
            const double rings = 0.5 + 0.5 * std::cos(r * 40.0);
            const double glow = std::exp(-r * 4.0);
            const auto channel = [&](double base, double ringAmount, double glowAmount) {
                return static_cast<uint32_t>(std::clamp(base + ringAmount * rings * (1.0 - r) + glowAmount * glow, 0.0,
                                                        255.0));
            };
            canvas.pixels[static_cast<size_t>(y) * canvas.width + static_cast<size_t>(x)] =
                0xFF000000u | channel(16, 20, 120) << 16 | channel(24, 40, 160) << 8 | channel(64, 60, 190);
        }
    }
    return canvas;
}

// Unicode of the Windows-1252 codes 0x80 to 0x9F (0 where the code is unused).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

uint32_t CodePointOf(int32_t code)
{
    return code >= 0x80 && code < 0xA0 ? kCp1252High[code - 0x80] : static_cast<uint32_t>(code);
}

// The overlay font: glyphs of a small system sans-serif packed into rows.
Canvas OverlayFontSheet(OverlayFontTable& table)
{
    Canvas canvas(kOverlayFontWidth, kOverlayFontHeight);
    std::unique_ptr<FontFace> face = FontFace::Open("DejaVu Sans", -11, 0);
    if (face == nullptr) {
        return Canvas(0, 0);
    }
    int32_t penX = 0, penY = 0;
    for (int32_t code = 0; code < 256; ++code) {
        const uint32_t codePoint = CodePointOf(code);
        const FontGlyph glyph = codePoint >= 32 ? face->Render(codePoint) : FontGlyph{};
        table.advance[code] = static_cast<uint8_t>(std::min(glyph.width, 255));
        if (code < kOverlayFirstGlyph || code > kOverlayLastGlyph || glyph.width == 0) {
            continue;
        }
        if (penX + glyph.width > canvas.width) {
            penX = 0;
            penY += glyph.height;
        }
        if (penY + glyph.height > canvas.height) {
            break;  // the sheet is full; later glyphs stay without a rectangle
        }
        table.glyphs[code - kOverlayFirstGlyph] = OverlayGlyph{static_cast<int16_t>(penX), static_cast<int16_t>(penY),
                                                               static_cast<int16_t>(glyph.width),
                                                               static_cast<int16_t>(glyph.height)};
        for (int32_t y = 0; y < glyph.height; ++y) {
            for (int32_t x = 0; x < glyph.width; ++x) {
                const uint8_t alpha = glyph.alpha[static_cast<size_t>(y) * glyph.width + static_cast<size_t>(x)];
                canvas.pixels[static_cast<size_t>(penY + y) * canvas.width + static_cast<size_t>(penX + x)] =
                    static_cast<uint32_t>(alpha) << 24 | 0xFFFFFFu;
            }
        }
        penX += glyph.width;
    }
    return canvas;
}

struct BuiltinTable {
    std::vector<uint8_t> bytes;
    OverlayFontTable font{};
};

BuiltinTable MakeTable()
{
    BuiltinTable table;
    std::vector<std::vector<uint8_t>> images(kBuiltinImageCount);
    for (int32_t shape = 0; shape < 14; ++shape) {
        images[static_cast<size_t>(shape + 1)] = ToRaw(ParticleShape(shape));
    }
    const Canvas font = OverlayFontSheet(table.font);
    if (!font.pixels.empty()) {
        images[kBuiltinOverlayFont] = ToRaw(font);
    }
    images[kBuiltinSplash] = ToRaw(Splash());
    std::vector<uint32_t> header = {static_cast<uint32_t>(kBuiltinImageCount)};
    uint32_t offset = 4 + 8 * kBuiltinImageCount;
    for (const auto& image : images) {
        header.push_back(static_cast<uint32_t>(image.size()));
        header.push_back(image.empty() ? 0 : offset);
        offset += static_cast<uint32_t>(image.size());
    }
    table.bytes.resize(header.size() * 4);
    std::memcpy(table.bytes.data(), header.data(), table.bytes.size());
    for (const auto& image : images) {
        table.bytes.insert(table.bytes.end(), image.begin(), image.end());
    }
    return table;
}

const BuiltinTable& Table()
{
    static const BuiltinTable table = MakeTable();
    return table;
}

uint32_t TableWord(size_t at)
{
    uint32_t word = 0;
    std::memcpy(&word, Table().bytes.data() + at, 4);
    return word;
}

}  // namespace

const uint8_t* EmbeddedImage_Table(size_t* size)
{
    *size = Table().bytes.size();
    return Table().bytes.data();
}

uint32_t EmbeddedImage_GetSize(int32_t index)
{
    return index >= 0 && index < kBuiltinImageCount ? TableWord(4 + 8 * static_cast<size_t>(index)) : 0;
}

const uint8_t* EmbeddedImage_GetData(int32_t index)
{
    if (EmbeddedImage_GetSize(index) == 0) {
        return nullptr;
    }
    return Table().bytes.data() + TableWord(8 + 8 * static_cast<size_t>(index));
}

TextureRecord* EmbeddedImage_CreateTexture(int32_t index)
{
    TextureInfo info{};
    return GR_Texture_LoadFromMemory(EmbeddedImage_GetData(index), EmbeddedImage_GetSize(index), &info,
                                     TextureFormatA8R8G8B8);
}

const OverlayFontTable& EmbeddedImage_OverlayFont()
{
    return Table().font;
}

}  // namespace bw
