// The overlay's text: glyph quads of the built-in font sheet straight into
// the vertex batch, no allocation per frame.
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/builtin_images.h"
#include "graphics/device/device.h"
#include "graphics/overlay.h"
#include "graphics/screen.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

constexpr float kGlyphDepth = 0.7f;
constexpr size_t kFormattedCapacity = 1024;

uint32_t VertexColour(uint32_t colour)
{
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

bool HasGlyph(uint8_t code)
{
    return code >= kOverlayFirstGlyph && code <= kOverlayLastGlyph && code != ' ';
}

void WriteGlyph(Vertex2DTex* out, const OverlayGlyph& glyph, float x, float y, uint32_t colour)
{
    const float u0 = static_cast<float>(glyph.x) / static_cast<float>(kOverlayFontWidth);
    const float v0 = static_cast<float>(glyph.y) / static_cast<float>(kOverlayFontHeight);
    const float u1 = static_cast<float>(glyph.x + glyph.width) / static_cast<float>(kOverlayFontWidth);
    const float v1 = static_cast<float>(glyph.y + glyph.height) / static_cast<float>(kOverlayFontHeight);
    const float x1 = x + static_cast<float>(glyph.width);
    const float y1 = y + static_cast<float>(glyph.height);
    const Vertex2DTex corners[4] = {
        {x, y, kGlyphDepth, colour, u0, v0},
        {x1, y, kGlyphDepth, colour, u1, v0},
        {x1, y1, kGlyphDepth, colour, u1, v1},
        {x, y1, kGlyphDepth, colour, u0, v1},
    };
    const int order[6] = {0, 1, 2, 2, 3, 0};
    for (int i = 0; i < 6; ++i) {
        out[i] = corners[order[i]];
    }
}

// Draws up to length bytes of text at (x, y).
void DrawRun(float x, float y, uint32_t colour, const char* text, size_t length)
{
    if (length == 0) {
        return;
    }
    const OverlayFontTable& font = EmbeddedImage_OverlayFont();
    const int32_t reserved = static_cast<int32_t>(length) * 6;
    auto* out = reinterpret_cast<Vertex2DTex*>(
        GR_VB_AllocVerts(PrimitiveTriangleList, Overlay_FontTexture(), sizeof(Vertex2DTex), reserved));
    if (out == nullptr) {
        return;
    }
    const uint32_t vertexColour = VertexColour(colour);
    int32_t written = 0;
    float penX = x;
    for (size_t i = 0; i < length; ++i) {
        const auto code = static_cast<uint8_t>(text[i]);
        if (HasGlyph(code)) {
            WriteGlyph(out + written, font.glyphs[code - kOverlayFirstGlyph], penX, y, vertexColour);
            written += 6;
        }
        penX += static_cast<float>(font.advance[code]);
    }
    GR_VB_Unreserve(reserved - written);
}

float RunWidth(const char* text, size_t length)
{
    const OverlayFontTable& font = EmbeddedImage_OverlayFont();
    float width = 0.0f;
    for (size_t i = 0; i < length; ++i) {
        width += static_cast<float>(font.advance[static_cast<uint8_t>(text[i])]);
    }
    return width;
}

void DrawOutlinedRun(float x, float y, uint32_t outline, uint32_t colour, const char* text, size_t length)
{
    DrawRun(x - 1.0f, y, outline, text, length);
    DrawRun(x + 1.0f, y, outline, text, length);
    DrawRun(x, y - 1.0f, outline, text, length);
    DrawRun(x, y + 2.0f, outline, text, length);
    DrawRun(x, y, colour, text, length);
}

// The end of the longest piece of [start, end) that fits width, cut after a
// space; a word longer than the line is cut where the line ends (at least
// one character, so the wrap always advances).
size_t WrapEnd(const char* text, size_t start, size_t end, float width)
{
    size_t lastSpace = start;
    float used = 0.0f;
    for (size_t i = start; i < end; ++i) {
        used += RunWidth(text + i, 1);
        if (used > width) {
            if (lastSpace > start) {
                return lastSpace;
            }
            return i > start ? i : start + 1;
        }
        if (text[i] == ' ') {
            lastSpace = i + 1;
        }
    }
    return end;
}

}  // namespace

float Overlay_TextWidth(const char* text)
{
    return text != nullptr ? RunWidth(text, std::strlen(text)) : 0.0f;
}

void Overlay_DrawText(float x, float y, uint32_t colour, const char* text)
{
    if (text != nullptr) {
        DrawRun(x, y, colour, text, std::strlen(text));
    }
}

void Overlay_DrawTextOutlined(float x, float y, uint32_t outline, uint32_t colour, const char* format, ...)
{
    char text[kFormattedCapacity];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    DrawOutlinedRun(x, y, outline, colour, text, std::strlen(text));
}

void Overlay_DrawTextCentred(float y, uint32_t outline, uint32_t colour, const char* text)
{
    if (text == nullptr) {
        return;
    }
    const float x = (static_cast<float>(GR_GetScreenWidth()) - Overlay_TextWidth(text)) / 2.0f;
    DrawOutlinedRun(x, y, outline, colour, text, std::strlen(text));
}

void Overlay_Printf(int32_t x, int32_t y, uint32_t outline, uint32_t colour, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Overlay_VPrintf(x, y, outline, colour, format, args);
    va_end(args);
}

void Overlay_VPrintf(int32_t x, int32_t y, uint32_t outline, uint32_t colour, const char* format, va_list args)
{
    char text[kFormattedCapacity];
    std::vsnprintf(text, sizeof text, format, args);
    const float screenWidth = static_cast<float>(GR_GetScreenWidth());
    const bool centred = x == kOverlayCentred;
    const float left = centred ? 0.0f : static_cast<float>(x);
    const size_t length = std::strlen(text);
    float lineY = static_cast<float>(y);
    size_t start = 0;
    while (start < length) {
        const char* feed = static_cast<const char*>(std::memchr(text + start, '\n', length - start));
        const size_t lineEnd = feed != nullptr ? static_cast<size_t>(feed - text) : length;
        const size_t end = WrapEnd(text, start, lineEnd, screenWidth - left);
        const size_t pieceLength = end - start;
        const float pieceX = centred ? (screenWidth - RunWidth(text + start, pieceLength)) / 2.0f : left;
        DrawOutlinedRun(pieceX, lineY, outline, colour, text + start, pieceLength);
        lineY += static_cast<float>(kOverlayLineHeight);
        start = end < length && (text[end] == '\n') ? end + 1 : end;
    }
}

}  // namespace bw
