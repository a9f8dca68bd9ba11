// A read-only text of any length in a scrolling pane of a form, as a
// multi-line read-only edit control shows it: lines broken at CR, LF and
// CR LF, wrapped at the pane's width, and only the rows in view drawn.
// ImGui's draw lists index their vertices with 16 bits, some 16,000 glyphs
// in one go; a long text drawn whole would end the program.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bw {

class HostTextView {
public:
    explicit HostTextView(std::string text);

    const std::string& Text() const { return m_text; }
    void SetText(std::string text);

    // Inside a frame: the pane, as wide as the space left and `height` high
    // (0 fills the rest, a negative height leaves that much below it). Page
    // Up and Page Down, the Up and Down arrows, and Ctrl+Home and Ctrl+End
    // (while no text field has the keyboard) scroll it.
    void Draw(const char* id, float height, bool border);

private:
    // One wrapped row: byte offsets into the text.
    struct Row {
        size_t begin;
        size_t end;
    };
    // What the rows were wrapped for; glyphs added to the font may change
    // the widths.
    struct WrapKey {
        const void* font = nullptr;
        float fontSize = 0.0f;
        int glyphCount = 0;
        float width = -1.0f;
        bool operator==(const WrapKey&) const = default;
    };

    void Wrap(float width);
    void ScrollByKeys(float rowHeight) const;

    std::string m_text;
    std::vector<Row> m_rows;
    WrapKey m_wrappedFor;
};

}  // namespace bw
