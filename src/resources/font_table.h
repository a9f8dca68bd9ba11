// The global font table: the package's fonts (chunk FONT) and fonts made at
// run time, seen by game code as their index. A deleted font leaves an empty
// slot; run-time fonts are named "__newfont" followed by their index.
#pragma once

#include <cstdint>

namespace bw {

class CFontBW;
class PackageView;

// The FONT chunk at [offset, offset + length): a pointer list of records,
// and in its last 512 bytes the character of each index 0..255 (u16 each)
// that sprite fonts are mapped with. False (and an empty table) for a list
// or record outside the chunk.
bool Font_Load(const PackageView& package, uint32_t offset, uint32_t length);
void Font_ClearTable();
void Font_InitTextures();
void Font_FreeTextures();
void Font_FreeAll();

int32_t Font_Count();
bool Font_Exists(int32_t index);
// Null for an index out of range or an empty slot.
CFontBW* Font_Get(int32_t index);
// "<undefined>" for an index out of range or an empty slot.
const char* Font_GetName(int32_t index);
// The index of the font with exactly that name, -1 when none.
int32_t Font_Find(const char* name);

// Each returns the new font's index (-1 when nothing was made).
int32_t Font_Add(const char* face, int32_t size, bool bold, bool italic, int32_t first, int32_t last);
// The sprite's frames stand for the characters first, first + 1, ... of the
// package's character map (never past its 256th entry).
int32_t Font_AddSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation);
// The sprite's frames stand for the characters of the UTF-8 map, in order.
int32_t Font_AddSpriteExt(int32_t sprite, const char* map, bool proportional, int32_t separation);
// The same, rebuilding an existing slot in place; false when it is empty.
bool Font_Replace(int32_t index, const char* face, int32_t size, bool bold, bool italic, int32_t first,
                  int32_t last);
bool Font_ReplaceSprite(int32_t index, int32_t sprite, int32_t first, bool proportional, int32_t separation);
bool Font_ReplaceSpriteExt(int32_t index, int32_t sprite, const char* map, bool proportional, int32_t separation);
// False for an empty slot or an index out of range.
bool Font_Delete(int32_t index);

}  // namespace bw
