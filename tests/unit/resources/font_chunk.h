// FONT chunks for the font and text tests, written field by field, and a
// fixed-advance test font: every glyph 8 x 12 on its own cell of a 128 x 96
// sheet, advancing 10, except 'i' (6 wide, advancing 7).
#pragma once

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "unit/resources/chunk_image.h"

namespace bw::test {

struct GlyphSpec {
    uint16_t code;
    int16_t x, y, width, height, shift, offset;
};

struct FontSpec {
    std::string name = "fnt_test";
    std::string face = "Test Sans";
    uint32_t size = 12;
    uint32_t bold = 0;
    uint32_t italic = 0;
    uint32_t range = 32;
    uint32_t last = 127;
    float xscale = 1.0f;
    float yscale = 1.0f;
    bool withPageEntry = false;  // a TPAG entry on the sheet (see FontImage)
    std::vector<GlyphSpec> glyphs;
};

// A font without glyphs; the empty name stands for an empty slot.
inline FontSpec NamedFont(std::string name)
{
    FontSpec font;
    font.name = std::move(name);
    return font;
}

inline std::vector<GlyphSpec> FixedAdvanceGlyphs()
{
    std::vector<GlyphSpec> glyphs;
    for (uint16_t code = 32; code < 127; ++code) {
        const auto x = static_cast<int16_t>((code % 16) * 8);
        const auto y = static_cast<int16_t>((code / 16 - 2) * 12);
        glyphs.push_back(code == 'i' ? GlyphSpec{code, x, y, 6, 12, 7, 0} : GlyphSpec{code, x, y, 8, 12, 10, 0});
    }
    return glyphs;
}

// A package image holding a TPAG chunk of one entry (the sheet at (16, 32)
// of the texture textureId) and a FONT chunk of the fonts given, slot by
// slot (a font without glyphs and without a name stands for an empty slot).
class FontImage {
public:
    FontImage(const std::vector<FontSpec>& fonts, int16_t textureId, bool withMap = true,
              const std::array<uint16_t, 256>* map = nullptr)
    {
        std::vector<uint32_t> names, faces;
        for (const FontSpec& font : fonts) {
            names.push_back(font.name.empty() ? 0 : m_image.Text(font.name.c_str()));
            faces.push_back(m_image.Text(font.face.c_str()));
        }
        tpagOffset = m_image.Here();
        const uint32_t tpagList = m_image.List(1);
        m_image.Slot(tpagList, 0);
        entryOffset = m_image.Here();
        I16s({16, 32, 128, 96, 0, 0, 128, 96, 128, 96, textureId});
        tpagLength = m_image.Here() - tpagOffset;

        fontOffset = m_image.Here();
        const uint32_t list = m_image.List(static_cast<uint32_t>(fonts.size()));
        for (size_t i = 0; i < fonts.size(); ++i) {
            const FontSpec& font = fonts[i];
            if (font.name.empty()) {
                continue;
            }
            m_image.Slot(list, static_cast<uint32_t>(i));
            const uint32_t record = m_image.Here();
            for (uint32_t word : {names[i], faces[i], font.size, font.bold, font.italic, font.range, font.last,
                                  font.withPageEntry ? entryOffset : 0u, Bits(font.xscale), Bits(font.yscale),
                                  static_cast<uint32_t>(font.glyphs.size())}) {
                m_image.U32(word);
            }
            m_image.Zeros(font.glyphs.size() * 4);
            for (size_t g = 0; g < font.glyphs.size(); ++g) {
                m_image.PatchU32(record + 44 + static_cast<uint32_t>(g) * 4, m_image.Here());
                const GlyphSpec& s = font.glyphs[g];
                I16s({static_cast<int16_t>(s.code), s.x, s.y, s.width, s.height, s.shift, s.offset});
            }
        }
        if (withMap) {
            for (uint32_t i = 0; i < 256; i += 2) {
                const uint32_t low = map != nullptr ? (*map)[i] : i;
                const uint32_t high = map != nullptr ? (*map)[i + 1] : i + 1;
                m_image.U32(low | high << 16);
            }
        }
        fontLength = m_image.Here() - fontOffset;
    }

    PackageView View() const { return m_image.View(); }
    ChunkImage& Image() { return m_image; }

    uint32_t tpagOffset = 0, tpagLength = 0;
    uint32_t entryOffset = 0;
    uint32_t fontOffset = 0, fontLength = 0;

private:
    static uint32_t Bits(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return bits;
    }
    // Little-endian 16-bit fields, padded to whole words.
    void I16s(std::initializer_list<int16_t> values)
    {
        std::vector<int16_t> fields(values);
        if (fields.size() % 2 != 0) {
            fields.push_back(0);
        }
        for (size_t i = 0; i < fields.size(); i += 2) {
            m_image.U32(static_cast<uint16_t>(fields[i]) | static_cast<uint32_t>(static_cast<uint16_t>(fields[i + 1])) << 16);
        }
    }

    ChunkImage m_image;
};

}  // namespace bw::test
