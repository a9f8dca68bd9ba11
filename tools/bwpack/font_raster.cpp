#include "bwpack/font_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <limits>

namespace bw::pack {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int32_t kSheetGap = 1;

class FreeTypeFace {
public:
    ~FreeTypeFace()
    {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

int32_t CeilPixels(FT_Pos value) { return static_cast<int32_t>((value + 63) >> 6); }

struct RenderedGlyph {
    FontGlyph glyph;
    Image cell;
};

uint8_t Coverage(const FT_Bitmap& bitmap, unsigned x, unsigned y)
{
    const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x / 8] & (0x80 >> (x % 8))) != 0 ? 255 : 0;
    return row[x];
}

bool FitsInt16(int64_t value)
{
    return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}

}  // namespace

bool FontRaster_Render(const std::vector<uint8_t>& ttf, Font* font, std::string* reason)
{
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0) {
        *reason = "FreeType did not start";
        return false;
    }
    if (FT_New_Memory_Face(ft.library, ttf.data(), static_cast<FT_Long>(ttf.size()), 0, &ft.face) != 0) {
        *reason = "not a font file FreeType reads";
        return false;
    }
    if (FT_Set_Char_Size(ft.face, 0, static_cast<FT_F26Dot6>(font->size) * 64, kDotsPerInch, kDotsPerInch) != 0) {
        *reason = "the face has no size " + std::to_string(font->size);
        return false;
    }
    font->face = ft.face->family_name != nullptr ? ft.face->family_name : "";
    const int32_t ascent = CeilPixels(ft.face->size->metrics.ascender);
    const int32_t lineHeight = ascent + CeilPixels(-ft.face->size->metrics.descender);
    const FT_Int32 loadFlags = FT_LOAD_RENDER | (font->antialias ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO);

    std::vector<RenderedGlyph> rendered;
    for (int32_t code = font->first; code <= font->last; ++code) {
        if (FT_Get_Char_Index(ft.face, static_cast<FT_ULong>(code)) == 0) continue;
        if (FT_Load_Char(ft.face, static_cast<FT_ULong>(code), loadFlags) != 0) continue;
        const FT_GlyphSlot slot = ft.face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        RenderedGlyph out;
        out.cell = Image(static_cast<int32_t>(bitmap.width), lineHeight);
        for (unsigned y = 0; y < bitmap.rows; ++y) {
            const int32_t cellY = ascent - slot->bitmap_top + static_cast<int32_t>(y);
            if (cellY < 0 || cellY >= lineHeight) continue;
            for (unsigned x = 0; x < bitmap.width; ++x) {
                uint8_t* pixel = &out.cell.rgba[(static_cast<size_t>(cellY) * bitmap.width + x) * 4];
                pixel[0] = pixel[1] = pixel[2] = 255;
                pixel[3] = Coverage(bitmap, x, y);
            }
        }
        const int64_t shift = (slot->advance.x + 32) >> 6;
        if (!FitsInt16(shift) || !FitsInt16(slot->bitmap_left) || !FitsInt16(lineHeight)) {
            *reason = "glyph metrics of size " + std::to_string(font->size) + " do not fit the glyph record";
            return false;
        }
        out.glyph.code = static_cast<uint16_t>(code);
        out.glyph.width = static_cast<int16_t>(bitmap.width);
        out.glyph.height = static_cast<int16_t>(lineHeight);
        out.glyph.shift = static_cast<int16_t>(shift);
        out.glyph.offset = static_cast<int16_t>(slot->bitmap_left);
        rendered.push_back(std::move(out));
    }

    // Rows of glyphs in code order, about as wide as the sheet is tall.
    int64_t area = 0;
    int32_t widest = 1;
    for (const RenderedGlyph& glyph : rendered) {
        area += static_cast<int64_t>(glyph.cell.width + kSheetGap) * (lineHeight + kSheetGap);
        widest = std::max(widest, glyph.cell.width + kSheetGap);
    }
    const int32_t sheetWidth = std::max(widest, static_cast<int32_t>(std::ceil(std::sqrt(static_cast<double>(area)))));
    int32_t x = 0, y = 0;
    for (RenderedGlyph& glyph : rendered) {
        if (x + glyph.cell.width + kSheetGap > sheetWidth) {
            x = 0;
            y += lineHeight + kSheetGap;
        }
        glyph.glyph.x = static_cast<int16_t>(x);
        glyph.glyph.y = static_cast<int16_t>(y);
        x += glyph.cell.width + kSheetGap;
    }
    const int32_t sheetHeight = rendered.empty() ? 1 : y + lineHeight;
    if (!FitsInt16(sheetWidth) || !FitsInt16(sheetHeight)) {
        *reason = "glyph sheet too large";
        return false;
    }
    font->sheet = Image(sheetWidth, sheetHeight);
    font->glyphs.clear();
    for (const RenderedGlyph& glyph : rendered) {
        font->sheet.Blit(glyph.cell, glyph.glyph.x, glyph.glyph.y);
        font->glyphs.push_back(glyph.glyph);
    }
    return true;
}

}  // namespace bw::pack
