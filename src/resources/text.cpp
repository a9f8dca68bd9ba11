#include "resources/text.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphics/builtin_images.h"
#include "graphics/draw_2d.h"
#include "graphics/overlay.h"
#include "platform/real_to_int.h"
#include "graphics/textures.h"
#include "platform/string_utf8.h"
#include "platform/string_list.h"
#include "resources/font.h"
#include "resources/font_table.h"

namespace bw {

namespace {

// The wrap width that stands for "no wrapping".
constexpr int32_t kNoWrapWidth = 10000000;
constexpr char16_t kCarriageReturn = 13;
constexpr char16_t kLineFeed = 10;
constexpr char16_t kSpace = 32;
constexpr int32_t kDebugFirst = 32;
constexpr int32_t kDebugLast = 136;
// The profiler bar of plain text drawing; the coloured forms are not timed.
constexpr uint32_t kTextProfilerColour = 0xFFFF00;

struct TextState {
    int32_t currentFont = -1;
    int32_t halign = 0;
    int32_t valign = 0;
    std::unique_ptr<CFontBW> defaultFont;
    int32_t defaultTexture = -1;
};
TextState g_text;

int32_t Clamp32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t StoredAlign(int32_t align)
{
    return align >= 0 && align <= 2 ? align : 0;
}

// No-wrap mode: a carriage return or a line feed ends a line, so CR LF
// leaves an empty line between the two texts.
void SplitNoWrap(TStringList* lines, int32_t n)
{
    char16_t* buffer = lines->Text();
    int32_t i = 0;
    while (i < n) {
        const int32_t start = i;
        while (i < n && buffer[i] != kCarriageReturn && buffer[i] != kLineFeed) {
            ++i;
        }
        buffer[i] = 0;
        lines->Add(static_cast<size_t>(start));
        ++i;
    }
}

// Wrap mode: only a carriage return ends a line; a line breaks at the last
// space that fits, keeping the spaces that follow a break at the start of
// the next line.
void SplitWrap(TStringList* lines, int32_t n, int32_t maxWidth, const CFontBW& font)
{
    char16_t* buffer = lines->Text();
    int32_t s = 0;
    int32_t i = 0;
    while (i < n) {
        while (i < n && buffer[i] == kSpace) {
            ++i;
        }
        int64_t width = 0;
        while (i < n && width < maxWidth && buffer[i] != kCarriageReturn) {
            width += font.CharShift(buffer[i]);
            ++i;
        }
        if (width > maxWidth) {
            --i;
        }
        if (i < n && buffer[i] == kCarriageReturn) {
            buffer[i] = 0;
            lines->Add(static_cast<size_t>(s));
        } else if (i == s) {
            return;  // not even one character fits on an empty line
        } else {
            if (i < n && buffer[i] != kSpace) {
                while (i > s && buffer[i] != kSpace) {
                    --i;
                }
            }
            if (i > s) {
                while (i > s && buffer[i - 1] == kSpace) {
                    --i;
                }
            } else {
                // No space to break at: the word stands on a line of its own.
                while (i < n && buffer[i] != kSpace) {
                    ++i;
                }
            }
            if (i > s) {
                buffer[i] = 0;
                lines->Add(static_cast<size_t>(s));
            }
        }
        ++i;
        s = i;
    }
}

struct SplitText {
    CFontBW* font;
    TStringList lines;
    int32_t separation;
};

void Prepare(SplitText& split, const char* text, int32_t separation, int32_t maxWidth)
{
    split.font = GR_Text_SelectFont();
    GR_Text_Split(text, maxWidth, &split.lines);
    split.separation = separation < 0 ? split.font->GetHeight() : separation;
}

uint32_t DrawingColour()
{
    return GR_GetColour() & 0xFFFFFFu;
}

struct Colours {
    uint32_t c1, c2, c3, c4;
    float alpha;
};

void DrawLines(float x, float y, const char* text, int32_t separation, int32_t maxWidth, const Colours* colours)
{
    SplitText split;
    Prepare(split, text, separation, maxWidth);
    const int32_t n = split.lines.Count();
    const int64_t block = int64_t{n} * split.separation;
    if (g_text.valign == 1) {
        y -= static_cast<float>(Clamp32(block / 2));
    } else if (g_text.valign == 2) {
        y -= static_cast<float>(Clamp32(block));
    }
    for (int32_t k = 0; k < n; ++k, y += static_cast<float>(split.separation)) {
        const char16_t* line = split.lines.Line(k);
        if (line[0] == 0) {
            continue;
        }
        float dx = 0.0f;
        if (g_text.halign == 1) {
            dx = static_cast<float>(-(split.font->TextWidth(line) / 2));
        } else if (g_text.halign == 2) {
            dx = static_cast<float>(-split.font->TextWidth(line));
        }
        if (colours == nullptr) {
            split.font->DrawText(x + dx, y, line, DrawingColour(), GR_GetAlpha());
        } else {
            split.font->DrawTextColour(x + dx, y, line, colours->c1, colours->c2, colours->c3, colours->c4,
                                       colours->alpha);
        }
    }
}

void DrawLinesTransformed(float x, float y, const char* text, int32_t separation, int32_t maxWidth, float xscale,
                          float yscale, float angle, const Colours* colours)
{
    SplitText split;
    Prepare(split, text, separation, maxWidth);
    const int32_t n = split.lines.Count();
    const float a = angle * 3.1415927f / 180.0f;
    const auto s = static_cast<float>(std::sin(static_cast<double>(a)));
    const auto c = static_cast<float>(std::cos(static_cast<double>(a)));
    const float sep = static_cast<float>(split.separation);
    const float dx = s * yscale * sep;
    const float dy = c * yscale * sep;
    const float count = static_cast<float>(n);
    if (g_text.valign == 1) {
        y -= static_cast<float>(GR_RoundToInt32(count * dy * 0.5f));
        x -= static_cast<float>(GR_RoundToInt32(count * dx * 0.5f));
    } else if (g_text.valign == 2) {
        y -= static_cast<float>(GR_RoundToInt32(count * dy));
        x -= static_cast<float>(GR_RoundToInt32(count * dx));
    }
    // The plain form truncates the centring offset, the colour form rounds it.
    auto toInt = [colours](float v) { return colours == nullptr ? GR_TruncToInt32(v) : GR_RoundToInt32(v); };
    for (int32_t k = 0; k < n; ++k, x += dx, y += dy) {
        const char16_t* line = split.lines.Line(k);
        if (line[0] == 0) {
            continue;
        }
        const float width = static_cast<float>(split.font->TextWidth(line));
        int32_t o = 0;
        if (g_text.halign == 1) {
            o = toInt(width * xscale * -0.5f);
        } else if (g_text.halign == 2) {
            o = -toInt(width * xscale);
        }
        const float ox = x + static_cast<float>(o) * c;
        const float oy = y - static_cast<float>(o) * s;
        if (colours == nullptr) {
            split.font->DrawTextTransformed(ox, oy, line, xscale, yscale, angle, DrawingColour(), GR_GetAlpha());
        } else {
            split.font->DrawTextTransformedColour(ox, oy, line, xscale, yscale, angle, colours->c1, colours->c2,
                                                  colours->c3, colours->c4, colours->alpha);
        }
    }
}

}  // namespace

void GR_Text_SetFont(int32_t font)
{
    if (Font_Exists(font)) {
        g_text.currentFont = font;
        return;
    }
    GR_Text_InitDefaultFont();
    g_text.currentFont = -1;
}

int32_t GR_Text_GetFont()
{
    return g_text.currentFont;
}

void GR_Text_SetHAlign(int32_t align)
{
    g_text.halign = StoredAlign(align);
}

void GR_Text_SetVAlign(int32_t align)
{
    g_text.valign = StoredAlign(align);
}

int32_t GR_Text_GetHAlign()
{
    return g_text.halign;
}

int32_t GR_Text_GetVAlign()
{
    return g_text.valign;
}

void GR_Text_InitDefaultFont()
{
    if (g_text.defaultFont != nullptr) {
        return;
    }
    TextureRecord* record = EmbeddedImage_CreateTexture(kBuiltinOverlayFont);
    g_text.defaultTexture =
        record != nullptr ? Texture_CreateFromRecord(record, kOverlayFontWidth, kOverlayFontHeight) : -1;
    const OverlayFontTable& table = EmbeddedImage_OverlayFont();
    std::vector<CFontBW::FontGlyph> glyphs;
    for (int32_t code = kDebugFirst; code <= kDebugLast; ++code) {
        CFontBW::FontGlyph glyph;
        glyph.code = static_cast<uint16_t>(code);
        // The space has no rectangle on the sheet, only its advance.
        if (code >= kOverlayFirstGlyph) {
            const OverlayGlyph& rect = table.glyphs[code - kOverlayFirstGlyph];
            glyph.x = rect.x;
            glyph.y = rect.y;
            glyph.width = rect.width;
            glyph.height = rect.height;
        }
        glyph.shift = static_cast<int16_t>(table.advance[code]);
        glyphs.push_back(glyph);
    }
    g_text.defaultFont = std::make_unique<CFontBW>();
    g_text.defaultFont->ConstructDebug(glyphs, kDebugFirst, kDebugLast, g_text.defaultTexture);
}

CFontBW* GR_Text_SelectFont()
{
    CFontBW* font = Font_Get(g_text.currentFont);
    if (font == nullptr) {
        GR_Text_InitDefaultFont();
        font = g_text.defaultFont.get();
    }
    return font;
}

void GR_Text_Split(const char* text, int32_t maxWidth, TStringList* lines)
{
    if (text == nullptr) {
        return;
    }
    if (maxWidth < 0) {
        maxWidth = kNoWrapWidth;
    }
    lines->Clear();
    std::string converted(text);
    const int32_t n = ShowMessage_ConvertText(converted);
    if (n < 1) {
        return;
    }
    std::u16string buffer(static_cast<size_t>(n), u'\0');
    const char* cursor = converted.c_str();
    for (char16_t& unit : buffer) {
        unit = UTF8_GetChar(&cursor);
    }
    lines->SetText(std::move(buffer));
    if (maxWidth == kNoWrapWidth) {
        SplitNoWrap(lines, n);
    } else {
        SplitWrap(lines, n, maxWidth, *GR_Text_SelectFont());
    }
}

int32_t GR_Text_Width(const char* text, int32_t separation, int32_t maxWidth)
{
    (void)separation;
    SplitText split;
    Prepare(split, text, -1, maxWidth);
    int32_t widest = 1;
    for (int32_t k = 0; k < split.lines.Count(); ++k) {
        widest = std::max(widest, split.font->TextWidth(split.lines.Line(k)));
    }
    return widest;
}

int32_t GR_Text_Height(const char* text, int32_t separation, int32_t maxWidth)
{
    SplitText split;
    Prepare(split, text, separation, maxWidth);
    const int32_t n = split.lines.Count();
    if (n == 0) {
        return 1;
    }
    return Clamp32(int64_t{split.font->GetHeight()} + int64_t{n - 1} * split.separation);
}

void GR_Text_Draw(float x, float y, const char* text, int32_t separation, int32_t maxWidth)
{
    Profiler_Begin(kTextProfilerColour, "Text");
    DrawLines(x, y, text, separation, maxWidth, nullptr);
    Profiler_End();
}

void GR_Text_DrawColour(float x, float y, const char* text, int32_t separation, int32_t maxWidth, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    const Colours colours{c1, c2, c3, c4, alpha};
    DrawLines(x, y, text, separation, maxWidth, &colours);
}

void GR_Text_DrawTransformed(float x, float y, const char* text, int32_t separation, int32_t maxWidth, float xscale,
                             float yscale, float angle)
{
    Profiler_Begin(kTextProfilerColour, "Text");
    DrawLinesTransformed(x, y, text, separation, maxWidth, xscale, yscale, angle, nullptr);
    Profiler_End();
}

void GR_Text_DrawTransformedColour(float x, float y, const char* text, int32_t separation, int32_t maxWidth,
                                   float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                                   uint32_t c4, float alpha)
{
    const Colours colours{c1, c2, c3, c4, alpha};
    DrawLinesTransformed(x, y, text, separation, maxWidth, xscale, yscale, angle, &colours);
}

void GR_Text_Shutdown()
{
    g_text.defaultFont.reset();
    if (g_text.defaultTexture >= 0) {
        Texture_Free(g_text.defaultTexture);
        g_text.defaultTexture = -1;
    }
}

}  // namespace bw
