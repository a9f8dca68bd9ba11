// A font: a table of glyphs over one image. Each glyph names a rectangle of
// the font's image, its advance (shift) and the horizontal displacement of
// its image (offset). The image is the font's texture page entry (package
// fonts), an 8-bit alpha image rasterised at run time (fonts made from a
// system face), or the frames of a sprite (sprite fonts, where a glyph's
// width field holds the frame index). Lines reach the font already split
// and as UTF-16; resources/text.h does the splitting and aligning.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class PackageView;
struct TexturePageEntry;

class CFontBW {
public:
    // One glyph; x, y, width and height are relative to the font's image.
    struct FontGlyph {
        uint16_t code = 0;
        int16_t x = 0, y = 0, width = 0, height = 0;
        int16_t shift = 0;   // horizontal advance
        int16_t offset = 0;  // horizontal displacement of the image
    };
    static_assert(sizeof(FontGlyph) == 14);

    CFontBW() = default;
    virtual ~CFontBW();
    CFontBW(const CFontBW&) = delete;
    CFontBW& operator=(const CFontBW&) = delete;

    // One record of the FONT chunk at recordOffset; every offset and count is
    // checked against limit (the chunk's end). False leaves the font empty.
    bool LoadFromChunk(const PackageView& package, uint32_t recordOffset, uint64_t limit);
    // The built-in "debug" font: glyphs first..last from rectangles on a
    // 256-pixel-wide sheet held by texture (a texture id it does not own).
    void ConstructDebug(const std::vector<FontGlyph>& glyphs, int32_t first, int32_t last, int32_t texture);
    // Declares a font of a system face; its glyphs are rasterised at once
    // (range first..last held to 0..255). Nothing found: an empty font.
    void CreateFromSystem(const char* face, int32_t size, bool bold, bool italic, int32_t first, int32_t last);
    // One glyph per character of the UTF-8 map, for frames 0, 1, ...
    void CreateFromSprite(int32_t sprite, const char* map, bool proportional, int32_t separation);

    const FontGlyph* FindGlyph(uint32_t code) const;
    // The glyph's advance, or the first glyph's when it has none; 0 for a
    // font without glyphs.
    int32_t CharShift(uint32_t code) const;
    int32_t TextWidth(const char16_t* line) const;
    int32_t GetHeight() const { return m_height; }

    // One line at (x, y) with the font's scales; colour 0x00BBGGRR, alpha 0..1.
    void DrawText(float x, float y, const char16_t* line, uint32_t colour, float alpha) const;
    // Top edge c1 -> c2, bottom edge c4 -> c3 across the whole line.
    void DrawTextColour(float x, float y, const char16_t* line, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                        float alpha) const;
    // Scaled and rotated (degrees, counter-clockwise) about (x, y).
    void DrawTextTransformed(float x, float y, const char16_t* line, float xscale, float yscale, float angle,
                             uint32_t colour, float alpha) const;
    void DrawTextTransformedColour(float x, float y, const char16_t* line, float xscale, float yscale, float angle,
                                   uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const;

    // Frees the texture, then makes one from the alpha image for a font of a
    // system face.
    void InitTexture();
    void FreeTexture();
    void Clear();

    const char* GetFaceName() const { return m_faceName.c_str(); }
    int32_t GetSize() const { return m_size; }
    bool GetBold() const { return m_bold; }
    bool GetItalic() const { return m_italic; }
    int32_t GetFirst() const { return m_first; }
    int32_t GetLast() const { return m_last; }
    int32_t GetCharset() const { return m_charset; }
    int32_t GetAntialias() const { return m_antialias; }
    int32_t GetSprite() const { return m_sprite; }
    int32_t GetTexture() const { return m_texture; }
    float GetXScale() const { return m_xscale; }
    float GetYScale() const { return m_yscale; }
    const std::vector<FontGlyph>& Glyphs() const { return m_glyphs; }
    const char* GetName() const { return m_name.c_str(); }
    // The page entry of a package font, once the package's entries are read.
    const TexturePageEntry* PageEntry() const;

private:
    struct LineColours;
    void DrawLine(float x, float y, const char16_t* line, float xscale, float yscale, float angle,
                  const LineColours& colours) const;
    void DrawSpriteLine(float x, float y, const char16_t* line, uint32_t colour, float alpha) const;
    void Rasterise();

    std::string m_name;  // the resource name of a package font
    std::string m_faceName;
    int32_t m_size = 0;
    bool m_bold = false;
    bool m_italic = false;
    int32_t m_charset = 0;
    int32_t m_antialias = 0;
    int32_t m_first = 0;
    int32_t m_last = 0;
    int32_t m_sprite = -1;
    int32_t m_pageWidth = 0;
    int32_t m_pageHeight = 0;
    int32_t m_height = 0;
    std::vector<uint8_t> m_glyphImage;  // m_pageWidth x m_pageHeight alpha bytes
    int32_t m_texture = -1;
    bool m_ownsTexture = false;
    uint32_t m_pageEntryOffset = 0;  // file offset of the package page entry; 0 none
    std::vector<FontGlyph> m_glyphs;  // ascending by code
    float m_xscale = 1.0f;
    float m_yscale = 1.0f;
};

}  // namespace bw
