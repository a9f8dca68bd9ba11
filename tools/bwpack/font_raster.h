// Rasterises the glyphs of a TrueType face with FreeType into one sheet per
// font: white pixels whose alpha is the glyph's coverage. Every glyph cell is
// one line high (ascent + descent) with the glyph on the baseline, because
// the runner draws each glyph rectangle from the top of the line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bwpack/project.h"

namespace bw::pack {

// Fills font.face, font.sheet and font.glyphs from the TTF bytes, for the
// codes font.first .. font.last that the face has. Sizes are points at 96
// dots per inch. False with a reason when FreeType rejects the face.
bool FontRaster_Render(const std::vector<uint8_t>& ttf, Font* font, std::string* reason);

}  // namespace bw::pack
