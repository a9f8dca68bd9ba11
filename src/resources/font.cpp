#include "resources/font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/draw_2d.h"
#include "graphics/draw_textured.h"
#include "graphics/system_font.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "platform/string_utf8.h"
#include "platform/package_view.h"
#include "resources/sprite.h"

namespace bw {

namespace {

constexpr uint32_t kRecordWords = 11;
constexpr uint32_t kGlyphBytes = 14;
// A run-time font's glyph image is this wide; rows of glyphs go down.
constexpr int32_t kRasterPageWidth = 512;
// Pixel sizes beyond this would only make images no texture can hold.
constexpr int32_t kRasterMaxPixels = 256;

int16_t ToI16(int64_t value)
{
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

uint8_t AlphaByteRound(float alpha)
{
    const float scaled = alpha * 255.0f;
    if (std::isnan(scaled)) {
        return 0;
    }
    return static_cast<uint8_t>(std::clamp(std::nearbyint(scaled), 0.0f, 255.0f));
}

int32_t Length16(const char16_t* line)
{
    int32_t n = 0;
    while (line != nullptr && line[n] != 0) {
        ++n;
    }
    return n;
}

// Point size to the pixel em height a screen of 96 pixels per inch shows.
int32_t PointsToPixels(int32_t points)
{
    const int64_t pixels = (int64_t{std::abs(std::clamp(points, -65536, 65536))} * 96 + 36) / 72;
    return static_cast<int32_t>(std::clamp<int64_t>(pixels, 1, kRasterMaxPixels));
}

}  // namespace

// The colours of a line: one colour everywhere, or a gradient across the
// line's width (top c1 -> c2, bottom c4 -> c3). Places along the line are
// unscaled pixels from its start: a scale stretches or mirrors the line and
// its gradient alike, so c1 stays at the start whichever way it runs.
struct CFontBW::LineColours {
    bool gradient = false;
    uint32_t c1 = 0, c2 = 0, c3 = 0, c4 = 0;
    uint8_t alphaByte = 255;
    float lineWidth = 0.0f;  // unscaled pixels, for the gradient's share

    void At(float fromLeft, float fromRight, uint32_t out[4]) const
    {
        if (!gradient) {
            out[0] = out[1] = out[2] = out[3] = GR_ColourWithAlpha(c1, alphaByte);
            return;
        }
        const float tl = lineWidth > 0.0f ? std::clamp(fromLeft / lineWidth, 0.0f, 1.0f) : 0.0f;
        const float tr = lineWidth > 0.0f ? std::clamp(fromRight / lineWidth, 0.0f, 1.0f) : 0.0f;
        out[0] = GR_ColourWithAlpha(GR_MergeColour(c1, c2, tl), alphaByte);
        out[1] = GR_ColourWithAlpha(GR_MergeColour(c1, c2, tr), alphaByte);
        out[2] = GR_ColourWithAlpha(GR_MergeColour(c4, c3, tr), alphaByte);
        out[3] = GR_ColourWithAlpha(GR_MergeColour(c4, c3, tl), alphaByte);
    }
};

CFontBW::~CFontBW()
{
    Clear();
}

bool CFontBW::LoadFromChunk(const PackageView& package, uint32_t recordOffset, uint64_t limit)
{
    Clear();
    uint32_t words[kRecordWords];
    if (uint64_t{recordOffset} + sizeof(words) > limit) {
        return false;
    }
    for (uint32_t i = 0; i < kRecordWords; ++i) {
        if (!package.ReadU32(uint64_t{recordOffset} + 4 * i, words[i])) {
            return false;
        }
    }
    const char* name = package.String(words[0]);
    const char* face = package.String(words[1]);
    const uint32_t count = words[10];
    if (name == nullptr || face == nullptr || uint64_t{recordOffset} + 44 + uint64_t{count} * 4 > limit) {
        return false;
    }
    int16_t pageSize[2] = {0, 0};
    if (words[7] != 0 && (!package.Contains(words[7], sizeof(TexturePageEntry)) ||
                          !package.ReadI16(uint64_t{words[7]} + 4, pageSize[0]) ||
                          !package.ReadI16(uint64_t{words[7]} + 6, pageSize[1]))) {
        return false;
    }
    std::vector<FontGlyph> glyphs;
    glyphs.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t glyphOffset = 0;
        package.ReadU32(uint64_t{recordOffset} + 44 + uint64_t{i} * 4, glyphOffset);
        int16_t fields[7];
        if (glyphOffset == 0 || !package.Contains(glyphOffset, kGlyphBytes)) {
            return false;
        }
        for (uint32_t f = 0; f < 7; ++f) {
            package.ReadI16(uint64_t{glyphOffset} + 2 * f, fields[f]);
        }
        glyphs.push_back(FontGlyph{static_cast<uint16_t>(fields[0]), fields[1], fields[2], fields[3], fields[4],
                                   fields[5], fields[6]});
    }
    m_name = name;
    m_faceName = face;
    m_size = static_cast<int32_t>(words[2]);
    m_bold = words[3] != 0;
    m_italic = words[4] != 0;
    const uint32_t range = words[5];
    m_first = static_cast<int32_t>(range & 0xFFFF);
    if (((range >> 16) & 0xFF) != 0) {
        m_charset = static_cast<int32_t>((range >> 16) & 0xFF);
    }
    if ((range >> 24) != 0) {
        m_antialias = static_cast<int32_t>(range >> 24) - 1;
    }
    m_last = static_cast<int32_t>(words[6]);
    m_pageEntryOffset = words[7];
    m_pageWidth = pageSize[0];
    m_pageHeight = pageSize[1];
    std::memcpy(&m_xscale, &words[8], 4);
    std::memcpy(&m_yscale, &words[9], 4);
    // Lookups search by code, so the order is made sure of rather than trusted.
    std::stable_sort(glyphs.begin(), glyphs.end(),
                     [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    m_glyphs = std::move(glyphs);
    for (const FontGlyph& glyph : m_glyphs) {
        m_height = std::max<int32_t>(m_height, glyph.height);
    }
    return true;
}

void CFontBW::ConstructDebug(const std::vector<FontGlyph>& glyphs, int32_t first, int32_t last, int32_t texture)
{
    Clear();
    m_name = "debug";
    m_faceName = "debug";
    m_size = 10;
    m_antialias = 3;
    m_first = first;
    m_last = last;
    m_glyphs = glyphs;
    std::stable_sort(m_glyphs.begin(), m_glyphs.end(),
                     [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    for (const FontGlyph& glyph : m_glyphs) {
        m_height = std::max<int32_t>(m_height, glyph.height);
    }
    m_texture = texture;
    m_ownsTexture = false;
}

void CFontBW::CreateFromSystem(const char* face, int32_t size, bool bold, bool italic, int32_t first,
                               int32_t last)
{
    Clear();
    m_faceName = face != nullptr ? face : "";
    m_size = size;
    m_bold = bold;
    m_italic = italic;
    m_first = std::max(first, 0);
    m_last = std::min(last, 255);
    m_charset = 0;
    m_antialias = 3;
    Rasterise();
    InitTexture();
}

// Rows of glyph cells, each as wide as the glyph's advance, on an image
// kRasterPageWidth wide.
void CFontBW::Rasterise()
{
    if (m_faceName.empty() || m_first > m_last) {
        return;
    }
    TFont font;
    font.SetName(m_faceName.c_str());
    font.SetSize(-PointsToPixels(m_size));
    font.SetStyle((m_bold ? FontBold : 0u) | (m_italic ? FontItalic : 0u));
    const FontFace* face = font.GetHandle();
    if (face == nullptr) {
        return;
    }
    std::vector<bw::FontGlyph> cells;
    int32_t penX = 0, penY = 0, rowHeight = 0;
    for (int32_t code = m_first; code <= m_last; ++code) {
        bw::FontGlyph cell = face->Render(static_cast<uint32_t>(code));
        if (cell.width <= 0 || cell.height <= 0 || cell.width > kRasterPageWidth) {
            continue;
        }
        if (penX + cell.width > kRasterPageWidth) {
            penX = 0;
            penY += rowHeight;
            rowHeight = 0;
        }
        if (penY + cell.height > INT16_MAX) {
            break;  // glyph positions are 16-bit
        }
        m_glyphs.push_back(FontGlyph{static_cast<uint16_t>(code), ToI16(penX), ToI16(penY), ToI16(cell.width),
                                     ToI16(cell.height), ToI16(cell.width), 0});
        rowHeight = std::max(rowHeight, cell.height);
        m_height = std::max(m_height, cell.height);
        penX += cell.width;
        cells.push_back(std::move(cell));
    }
    if (m_glyphs.empty()) {
        return;
    }
    m_pageWidth = kRasterPageWidth;
    m_pageHeight = penY + rowHeight;
    m_glyphImage.assign(static_cast<size_t>(m_pageWidth) * static_cast<size_t>(m_pageHeight), 0);
    for (size_t g = 0; g < m_glyphs.size(); ++g) {
        const FontGlyph& glyph = m_glyphs[g];
        for (int32_t y = 0; y < glyph.height; ++y) {
            std::memcpy(&m_glyphImage[static_cast<size_t>(glyph.y + y) * kRasterPageWidth + glyph.x],
                        &cells[g].alpha[static_cast<size_t>(y) * static_cast<size_t>(glyph.width)],
                        static_cast<size_t>(glyph.width));
        }
    }
}

void CFontBW::CreateFromSprite(int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    Clear();
    m_sprite = sprite;
    CSprite* source = Sprite_Get(sprite);
    if (source == nullptr) {
        return;
    }
    const int32_t frames = source->frameCount, spriteWidth = source->width, spriteHeight = source->height;
    std::vector<uint16_t> codes;
    const char* cursor = map != nullptr ? map : "";
    while (*cursor != '\0' && static_cast<int32_t>(codes.size()) < frames) {
        codes.push_back(UTF8_GetChar(&cursor));
    }
    int16_t widestShift = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        const auto frame = static_cast<int32_t>(i);
        int32_t left = 0, right = spriteWidth;
        int32_t top = 0, bottom = 0;
        if (proportional && !source->GetFrameBox(frame, &left, &top, &right, &bottom)) {
            left = 0;
            right = spriteWidth;
        }
        const int16_t shift = ToI16(int64_t{right} - left + separation);
        widestShift = std::max(widestShift, shift);
        m_glyphs.push_back(
            FontGlyph{codes[i], 0, 0, ToI16(frame), ToI16(spriteHeight), shift, ToI16(-int64_t{left})});
    }
    if (std::find(codes.begin(), codes.end(), uint16_t{' '}) == codes.end()) {
        m_glyphs.push_back(FontGlyph{' ', 0, 0, 0, ToI16(spriteHeight), widestShift, 0});
    }
    std::stable_sort(m_glyphs.begin(), m_glyphs.end(),
                     [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    m_height = spriteHeight;
    m_first = m_glyphs.front().code;
    m_last = m_first + static_cast<int32_t>(m_glyphs.size());
}

const CFontBW::FontGlyph* CFontBW::FindGlyph(uint32_t code) const
{
    auto it = std::lower_bound(m_glyphs.begin(), m_glyphs.end(), code,
                               [](const FontGlyph& glyph, uint32_t c) { return glyph.code < c; });
    return it != m_glyphs.end() && it->code == code ? &*it : nullptr;
}

int32_t CFontBW::CharShift(uint32_t code) const
{
    if (m_glyphs.empty()) {
        return 0;
    }
    const FontGlyph* glyph = FindGlyph(code);
    return glyph != nullptr ? glyph->shift : m_glyphs.front().shift;
}

int32_t CFontBW::TextWidth(const char16_t* line) const
{
    int64_t width = 0;
    for (int32_t i = 0, n = Length16(line); i < n; ++i) {
        width += CharShift(line[i]);
    }
    return static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

const TexturePageEntry* CFontBW::PageEntry() const
{
    return m_pageEntryOffset != 0 ? TPAG_FindByOffset(m_pageEntryOffset) : nullptr;
}

// Glyph quads along the pen's direction (c, -s); glyph heights run along
// (s, c). A package font's glyphs reach half a pixel past their rectangle on
// the screen and on the texture alike (its sheet keeps a free texel around
// every glyph). Fonts without a page entry are packed without gaps, so their
// quads cover the rectangle exactly, texel for pixel.
void CFontBW::DrawLine(float x, float y, const char16_t* line, float xscale, float yscale, float angle,
                       const LineColours& colours) const
{
    const TexturePageEntry* entry = PageEntry();
    const TextureSlot* slot = Texture_GetSlot(entry != nullptr ? entry->textureId : m_texture);
    if (slot == nullptr || slot->record == nullptr) {
        return;
    }
    const float margin = entry != nullptr ? 0.5f : 0.0f;
    const float pageX = entry != nullptr ? static_cast<float>(entry->sourceX) : 0.0f;
    const float pageY = entry != nullptr ? static_cast<float>(entry->sourceY) : 0.0f;
    float s = 0.0f, c = 1.0f;
    if (std::fabs(angle) >= 0.001f) {
        const float a = angle * 0.017453292f;
        s = static_cast<float>(std::sin(static_cast<double>(a)));
        c = static_cast<float>(std::cos(static_cast<double>(a)));
    }
    auto at = [&](float along, float down) { return QuadCorner{x + along * c + down * s, y - along * s + down * c}; };
    float pen = 0.0f;          // distance along the line from (x, y)
    float unscaledPen = 0.0f;  // the same before the scale, for the colours
    for (int32_t i = 0, n = Length16(line); i < n; ++i) {
        const FontGlyph* glyph = FindGlyph(line[i]);
        if (glyph == nullptr) {
            continue;
        }
        const float unscaledLeft = unscaledPen + static_cast<float>(glyph->offset);
        const float glyphLeft = pen + static_cast<float>(glyph->offset) * xscale;
        const float glyphRight = glyphLeft + static_cast<float>(glyph->width) * xscale;
        const float glyphBottom = static_cast<float>(glyph->height) * yscale;
        const QuadCorner corners[4] = {at(glyphLeft - margin, -margin), at(glyphRight + margin, -margin),
                                       at(glyphRight + margin, glyphBottom + margin),
                                       at(glyphLeft - margin, glyphBottom + margin)};
        const float u0 = pageX + static_cast<float>(glyph->x);
        const float v0 = pageY + static_cast<float>(glyph->y);
        uint32_t vertexColours[4];
        colours.At(unscaledLeft, unscaledLeft + static_cast<float>(glyph->width), vertexColours);
        GR_EmitQuad(slot->record, corners, (u0 - margin) * slot->uScale, (v0 - margin) * slot->vScale,
                    (u0 + static_cast<float>(glyph->width) + margin) * slot->uScale,
                    (v0 + static_cast<float>(glyph->height) + margin) * slot->vScale, vertexColours);
        pen += static_cast<float>(glyph->shift) * xscale;
        unscaledPen += static_cast<float>(glyph->shift);
    }
}

void CFontBW::DrawSpriteLine(float x, float y, const char16_t* line, uint32_t colour, float alpha) const
{
    CSprite* sprite = Sprite_Get(m_sprite);
    if (sprite == nullptr) {
        return;  // the sprite was deleted: nothing to draw from
    }
    for (int32_t i = 0, n = Length16(line); i < n; ++i) {
        const FontGlyph* glyph = FindGlyph(line[i]);
        if (glyph == nullptr) {
            continue;
        }
        if (glyph->code != ' ') {
            sprite->Draw(glyph->width, x + static_cast<float>(glyph->offset) * m_xscale, y, m_xscale, m_yscale, 0.0f,
                         colour, alpha);
        }
        x += static_cast<float>(glyph->shift) * m_xscale;
    }
}

void CFontBW::DrawText(float x, float y, const char16_t* line, uint32_t colour, float alpha) const
{
    DrawTextTransformed(x, y, line, m_xscale, m_yscale, 0.0f, colour, alpha);
}

void CFontBW::DrawTextColour(float x, float y, const char16_t* line, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, float alpha) const
{
    DrawTextTransformedColour(x, y, line, m_xscale, m_yscale, 0.0f, c1, c2, c3, c4, alpha);
}

void CFontBW::DrawTextTransformed(float x, float y, const char16_t* line, float xscale, float yscale, float angle,
                                  uint32_t colour, float alpha) const
{
    if (m_sprite >= 0) {
        DrawSpriteLine(x, y, line, colour, alpha);
        return;
    }
    LineColours colours;
    colours.c1 = colour;
    colours.alphaByte = AlphaByteRound(alpha);
    DrawLine(x, y, line, xscale, yscale, angle, colours);
}

void CFontBW::DrawTextTransformedColour(float x, float y, const char16_t* line, float xscale, float yscale,
                                        float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                                        float alpha) const
{
    if (m_sprite >= 0) {
        DrawSpriteLine(x, y, line, c1, alpha);
        return;
    }
    LineColours colours;
    colours.gradient = true;
    colours.c1 = c1;
    colours.c2 = c2;
    colours.c3 = c3;
    colours.c4 = c4;
    colours.alphaByte = AlphaByteRound(alpha);
    colours.lineWidth = static_cast<float>(TextWidth(line));
    DrawLine(x, y, line, xscale, yscale, angle, colours);
}

void CFontBW::InitTexture()
{
    FreeTexture();
    if (m_sprite < 0 && !m_faceName.empty() && !m_glyphImage.empty()) {
        m_texture = Texture_CreateFromAlpha8(m_pageWidth, m_pageHeight, m_glyphImage.data());
        m_ownsTexture = m_texture >= 0;
    }
}

void CFontBW::FreeTexture()
{
    if (m_ownsTexture && m_texture >= 0) {
        Texture_Free(m_texture);
    }
    m_texture = -1;
    m_ownsTexture = false;
}

void CFontBW::Clear()
{
    FreeTexture();
    m_name.clear();
    m_faceName.clear();
    m_size = 0;
    m_bold = m_italic = false;
    m_charset = m_antialias = 0;
    m_first = m_last = 0;
    m_sprite = -1;
    m_pageWidth = m_pageHeight = m_height = 0;
    m_glyphImage.clear();
    m_pageEntryOffset = 0;
    m_glyphs.clear();
    m_xscale = m_yscale = 1.0f;
}

}  // namespace bw
