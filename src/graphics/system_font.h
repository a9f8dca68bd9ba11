// Fonts of the system by face name, size and style, in place of GDI fonts:
// fontconfig picks the file, FreeType draws the glyphs. Sizes keep GDI's
// meaning: a positive size is the cell height (ascent + descent) in
// pixels, a negative one the character (em) height, 0 the default.
// Underline and strike-out are drawn into every glyph cell, as GDI does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bw {

enum FontStyle : uint32_t { FontBold = 1, FontItalic = 2, FontUnderline = 4, FontStrikeOut = 8 };

// One glyph as 8-bit coverage over its advance cell: width = advance,
// height = the font's cell height, the baseline at `ascent`.
struct FontGlyph {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> alpha;
};

// A face opened at one size and style; what a GDI font handle stood for.
class FontFace {
public:
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Null when no font file can be found or opened.
    static std::unique_ptr<FontFace> Open(const char* faceName, int32_t size, uint32_t style);

    int32_t Ascent() const { return m_ascent; }
    int32_t Descent() const { return m_descent; }
    int32_t CellHeight() const { return m_ascent + m_descent; }
    // A code point's cell; an empty glyph when the face cannot draw it.
    FontGlyph Render(uint32_t codePoint) const;

private:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
};

class IQXFont {
public:
    virtual ~IQXFont() = default;
    virtual uint32_t GetTag() const = 0;
    virtual void SetTag(uint32_t tag) = 0;
    virtual std::string GetName() const = 0;
    virtual void SetName(const char* face) = 0;
    virtual int32_t GetSize() const = 0;
    virtual void SetSize(int32_t size) = 0;
    virtual void SetStyle(uint32_t style) = 0;
    virtual uint32_t GetStyle() const = 0;
    virtual void Assign(const IQXFont& other) = 0;
    // The opened face; null when none could be made.
    virtual const FontFace* GetHandle() const = 0;
};

class TFont final : public IQXFont {
public:
    uint32_t GetTag() const override { return m_tag; }
    void SetTag(uint32_t tag) override { m_tag = tag; }
    std::string GetName() const override { return m_name; }
    void SetName(const char* face) override;
    int32_t GetSize() const override { return m_size; }
    void SetSize(int32_t size) override;
    void SetStyle(uint32_t style) override;
    uint32_t GetStyle() const override { return m_style; }
    void Assign(const IQXFont& other) override;
    const FontFace* GetHandle() const override { return m_face.get(); }

private:
    void CreateFace();

    uint32_t m_tag = 0;
    std::string m_name;
    int32_t m_size = 0;
    uint32_t m_style = 0;
    std::unique_ptr<FontFace> m_face;
};

}  // namespace bw
