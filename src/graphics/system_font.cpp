#include "graphics/system_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace bw {

namespace {

// GDI's cell height for size 0.
constexpr int32_t kDefaultCellHeight = 16;
// Sizes beyond this give glyph cells no font needs.
constexpr int32_t kMaxPixelSize = 1024;

// FreeType and fontconfig for the whole run, handed back at exit so that
// nothing they cache is left behind.
struct FontSystem {
    FT_Library library = nullptr;
    FcConfig* config = nullptr;

    FontSystem()
    {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
        }
        config = FcInitLoadConfigAndFonts();
    }
    ~FontSystem()
    {
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
        if (config != nullptr) {
            FcConfigDestroy(config);
        }
        FcFini();
    }
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;
};

FontSystem& Fonts()
{
    static FontSystem fonts;
    return fonts;
}

// The file and face index fontconfig picks for a face name and style.
bool FindFontFile(const char* faceName, uint32_t style, std::string& file, int& index)
{
    FcPattern* pattern = Fonts().config != nullptr ? FcPatternCreate() : nullptr;
    if (pattern == nullptr) {
        return false;
    }
    if (faceName != nullptr && faceName[0] != '\0') {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, (style & FontBold) != 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (style & FontItalic) != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(Fonts().config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(Fonts().config, pattern, &result);
    FcPatternDestroy(pattern);
    FcChar8* path = nullptr;
    const bool found = match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        file = reinterpret_cast<const char*>(path);
        index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    return found;
}

// A horizontal band of full coverage across the cell, rows [top, top + rows).
void FillRows(FontGlyph& glyph, int32_t top, int32_t rows)
{
    for (int32_t y = std::max(top, 0); y < std::min(top + std::max(rows, 1), glyph.height); ++y) {
        std::fill_n(glyph.alpha.begin() + static_cast<ptrdiff_t>(y) * glyph.width, glyph.width, uint8_t{255});
    }
}

}  // namespace

struct FontFace::Impl {
    FT_Face face = nullptr;
    uint32_t style = 0;
    // Rows below the cell's top, and thicknesses, in pixels.
    int32_t underlineTop = 0, underlineRows = 1;
    int32_t strikeTop = 0, strikeRows = 1;
};

FontFace::FontFace(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

FontFace::~FontFace()
{
    FT_Done_Face(m_impl->face);
}

std::unique_ptr<FontFace> FontFace::Open(const char* faceName, int32_t size, uint32_t style)
{
    std::string file;
    int index = 0;
    FT_Library library = Fonts().library;
    FT_Face ftFace = nullptr;
    if (library == nullptr || !FindFontFile(faceName, style, file, index) ||
        FT_New_Face(library, file.c_str(), index, &ftFace) != 0) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->face = ftFace;
    impl->style = style;
    std::unique_ptr<FontFace> face(new FontFace(std::move(impl)));
    if (!FT_IS_SCALABLE(ftFace) || ftFace->units_per_EM == 0) {
        return nullptr;
    }
    // GDI measures a cell by the Windows ascent and descent of the font.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    const double unitsAscent = os2 != nullptr ? os2->usWinAscent : ftFace->ascender;
    const double unitsDescent = os2 != nullptr ? os2->usWinDescent : -ftFace->descender;
    const double unitsCell = std::max(unitsAscent + unitsDescent, 1.0);
    const double cell = size > 0 ? size : (size == 0 ? kDefaultCellHeight : 0);
    const double em = std::min<double>(cell > 0 ? cell * ftFace->units_per_EM / unitsCell : -static_cast<double>(size), kMaxPixelSize);
    if (FT_Set_Char_Size(ftFace, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0)), 72, 72) != 0) {
        return nullptr;
    }
    const double scale = em / ftFace->units_per_EM;
    face->m_ascent = static_cast<int32_t>(std::lround(unitsAscent * scale));
    face->m_descent = static_cast<int32_t>(std::lround(unitsDescent * scale));
    Impl& metrics = *face->m_impl;
    const double lineUnits = std::max<double>(ftFace->underline_thickness, 1.0);
    metrics.underlineRows = std::max(1, static_cast<int32_t>(std::lround(lineUnits * scale)));
    metrics.underlineTop = face->m_ascent - static_cast<int32_t>(std::lround(ftFace->underline_position * scale));
    const double strikeUnits = os2 != nullptr && os2->yStrikeoutSize > 0 ? os2->yStrikeoutSize : lineUnits;
    const double strikePosition = os2 != nullptr && os2->yStrikeoutPosition > 0 ? os2->yStrikeoutPosition
                                                                                 : unitsAscent / 3.0;
    metrics.strikeRows = std::max(1, static_cast<int32_t>(std::lround(strikeUnits * scale)));
    metrics.strikeTop = face->m_ascent - static_cast<int32_t>(std::lround(strikePosition * scale));
    return face;
}

FontGlyph FontFace::Render(uint32_t codePoint) const
{
    FontGlyph glyph;
    FT_Face face = m_impl->face;
    if (FT_Get_Char_Index(face, codePoint) == 0 || FT_Load_Char(face, codePoint, FT_LOAD_RENDER) != 0) {
        return glyph;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.width = static_cast<int32_t>(std::max<FT_Pos>((slot->advance.x + 32) >> 6, 0));
    glyph.height = CellHeight();
    glyph.alpha.assign(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.height), 0);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer != nullptr) {
        const int32_t left = slot->bitmap_left;
        const int32_t top = m_ascent - slot->bitmap_top;
        for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows); ++row) {
            const int32_t y = top + row;
            if (y < 0 || y >= glyph.height) {
                continue;
            }
            // A negative pitch stores the rows bottom first.
            const int32_t sourceRow = bitmap.pitch >= 0 ? row : static_cast<int32_t>(bitmap.rows) - 1 - row;
            const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(sourceRow) * std::abs(bitmap.pitch);
            for (int32_t column = 0; column < static_cast<int32_t>(bitmap.width); ++column) {
                const int32_t x = left + column;
                if (x >= 0 && x < glyph.width) {
                    uint8_t& out = glyph.alpha[static_cast<size_t>(y) * glyph.width + static_cast<size_t>(x)];
                    out = std::max(out, source[column]);
                }
            }
        }
    }
    if ((m_impl->style & FontUnderline) != 0) {
        FillRows(glyph, m_impl->underlineTop, m_impl->underlineRows);
    }
    if ((m_impl->style & FontStrikeOut) != 0) {
        FillRows(glyph, m_impl->strikeTop, m_impl->strikeRows);
    }
    return glyph;
}

void TFont::SetName(const char* face)
{
    m_name = face != nullptr ? face : "";
    CreateFace();
}

void TFont::SetSize(int32_t size)
{
    m_size = size;
    CreateFace();
}

void TFont::SetStyle(uint32_t style)
{
    m_style = style;
    CreateFace();
}

void TFont::Assign(const IQXFont& other)
{
    if (&other == this) {
        return;
    }
    m_tag = other.GetTag();
    m_name = other.GetName();
    m_size = other.GetSize();
    m_style = other.GetStyle();
    CreateFace();
}

void TFont::CreateFace()
{
    m_face = FontFace::Open(m_name.c_str(), m_size, m_style);
}

}  // namespace bw
