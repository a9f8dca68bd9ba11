// The fonts the ImGui windows draw their text with: the system's sans font,
// and for each character it lacks the closest installed font that has it,
// as fontconfig finds them. A window's atlas holds the glyphs of the
// characters it has shown (every script at once would be megabytes of
// texture); new characters are noted as a frame draws them, and the atlas
// is filled again before the next frame.
#pragma once

#include <bitset>
#include <cstddef>
#include <string_view>
#include <vector>

struct ImFontAtlas;

namespace bw {

class HostDialogFonts {
public:
    // Notes the characters every window needs: printable Latin-1, the
    // ellipsis and the replacement character.
    HostDialogFonts();

    // Notes the characters of a drawn text; true when one was new, so the
    // atlas must be filled again. Past kMaxNotedCharacters new ones are no
    // longer noted (a character no font has counts as noted).
    bool Note(std::string_view utf8);

    // Clears the atlas and gives it the fonts and glyphs of every noted
    // character, built; ImGui's own font when no system font can be used.
    void Fill(ImFontAtlas& atlas);

    // Characters noted beyond the ones every window starts with, at most.
    static constexpr size_t kMaxNotedCharacters = 4096;

private:
    void Add(unsigned int character);

    // ImGui draws the Basic Multilingual Plane only.
    std::bitset<0x10000> m_noted;
    size_t m_addedByText = 0;
    // By installed face, the characters that face draws for this window.
    std::vector<std::vector<unsigned short>> m_byFace;
    // Glyph ranges handed to the atlas, which keeps pointers into them.
    std::vector<std::vector<unsigned short>> m_ranges;
};

}  // namespace bw
