// The lines of a wrapped text. The list owns one buffer of UTF-16 code units;
// whoever splits the text cuts it into lines in place by writing 0 code units
// and adds the position where each line starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class TStringList {
public:
    // Takes the text to be cut; the lines added so far are dropped. The
    // buffer always ends in a 0 code unit, so every line is terminated.
    void SetText(std::u16string text);
    char16_t* Text() { return m_text.data(); }
    size_t TextLength() const { return m_text.size(); }

    // Appends the line starting at position; a position past the text's
    // terminator is refused (false).
    bool Add(size_t position);

    int32_t Count() const { return static_cast<int32_t>(m_lines.size()); }
    // The line's text up to its 0 code unit; null out of range.
    const char16_t* Line(int32_t index) const;

    // Drops the lines and the buffer.
    void Clear();

private:
    std::u16string m_text;
    std::vector<size_t> m_lines;
};

}  // namespace bw
