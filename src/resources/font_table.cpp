#include "resources/font_table.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/string_utf8.h"
#include "platform/package_view.h"
#include "resources/font.h"
#include "resources/sprite.h"

namespace bw {

namespace {

constexpr uint32_t kCharacterMapBytes = 512;
constexpr int32_t kCharacterMapSize = 256;

struct FontTable {
    std::vector<std::unique_ptr<CFontBW>> fonts;
    std::vector<std::string> names;
    // The character of each index 0..255 for sprite fonts; without the
    // package's table each index stands for itself.
    std::array<uint16_t, kCharacterMapSize> characterMap{};
};
FontTable g_fonts;

void ResetCharacterMap()
{
    for (int32_t i = 0; i < kCharacterMapSize; ++i) {
        g_fonts.characterMap[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
    }
}

bool InRange(int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < g_fonts.fonts.size();
}

int32_t Append(std::unique_ptr<CFontBW> font)
{
    const auto index = static_cast<int32_t>(g_fonts.fonts.size());
    g_fonts.fonts.push_back(std::move(font));
    g_fonts.names.push_back("__newfont" + std::to_string(index));
    return index;
}

// The UTF-8 map of the characters first, first + 1, ... for each frame of
// the sprite, cut at the end of the 256-entry table.
std::string CharacterMapFrom(int32_t sprite, int32_t first)
{
    std::string map;
    const int32_t from = std::clamp(first, 0, kCharacterMapSize);
    const CSprite* source = Sprite_Get(sprite);
    const int32_t frames = source != nullptr ? source->frameCount : 0;
    const auto to = static_cast<int32_t>(std::min<int64_t>(int64_t{from} + frames, kCharacterMapSize));
    for (int32_t i = from; i < to; ++i) {
        UTF8_PutChar(map, g_fonts.characterMap[static_cast<size_t>(i)]);
    }
    return map;
}

}  // namespace

bool Font_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Font_ClearTable();
    const uint64_t end = uint64_t{offset} + length;
    std::vector<uint32_t> list;
    if (!package.ReadPointerList(offset, end, list)) {
        return false;
    }
    // The character map fills the chunk's last 512 bytes, after the list.
    const uint64_t listEnd = uint64_t{offset} + 4 + uint64_t{list.size()} * 4;
    if (end >= listEnd + kCharacterMapBytes && package.Contains(end - kCharacterMapBytes, kCharacterMapBytes)) {
        for (uint32_t i = 0; i < kCharacterMapSize; ++i) {
            int16_t code = 0;
            package.ReadI16(end - kCharacterMapBytes + 2 * i, code);
            g_fonts.characterMap[i] = static_cast<uint16_t>(code);
        }
    }
    for (uint32_t recordOffset : list) {
        if (recordOffset == 0) {
            g_fonts.fonts.push_back(nullptr);
            g_fonts.names.emplace_back();
            continue;
        }
        auto font = std::make_unique<CFontBW>();
        if (recordOffset < offset || !font->LoadFromChunk(package, recordOffset, end)) {
            Font_ClearTable();
            return false;
        }
        g_fonts.names.emplace_back(font->GetName());
        g_fonts.fonts.push_back(std::move(font));
    }
    return true;
}

void Font_ClearTable()
{
    g_fonts.fonts.clear();
    g_fonts.names.clear();
    ResetCharacterMap();
}

void Font_InitTextures()
{
    for (auto& font : g_fonts.fonts) {
        if (font != nullptr) {
            font->InitTexture();
        }
    }
}

void Font_FreeTextures()
{
    for (auto& font : g_fonts.fonts) {
        if (font != nullptr) {
            font->FreeTexture();
        }
    }
}

void Font_FreeAll()
{
    Font_FreeTextures();
    Font_ClearTable();
}

int32_t Font_Count()
{
    return static_cast<int32_t>(g_fonts.fonts.size());
}

bool Font_Exists(int32_t index)
{
    return Font_Get(index) != nullptr;
}

CFontBW* Font_Get(int32_t index)
{
    return InRange(index) ? g_fonts.fonts[static_cast<size_t>(index)].get() : nullptr;
}

const char* Font_GetName(int32_t index)
{
    return Font_Exists(index) ? g_fonts.names[static_cast<size_t>(index)].c_str() : "<undefined>";
}

int32_t Font_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < g_fonts.fonts.size(); ++i) {
        if (g_fonts.fonts[i] != nullptr && g_fonts.names[i] == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t Font_Add(const char* face, int32_t size, bool bold, bool italic, int32_t first, int32_t last)
{
    auto font = std::make_unique<CFontBW>();
    font->CreateFromSystem(face, size, bold, italic, first, last);
    return Append(std::move(font));
}

int32_t Font_AddSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation)
{
    return Font_AddSpriteExt(sprite, CharacterMapFrom(sprite, first).c_str(), proportional, separation);
}

int32_t Font_AddSpriteExt(int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    auto font = std::make_unique<CFontBW>();
    font->CreateFromSprite(sprite, map, proportional, separation);
    return Append(std::move(font));
}

bool Font_Replace(int32_t index, const char* face, int32_t size, bool bold, bool italic, int32_t first,
                  int32_t last)
{
    CFontBW* font = Font_Get(index);
    if (font == nullptr) {
        return false;
    }
    font->CreateFromSystem(face, size, bold, italic, first, last);
    return true;
}

bool Font_ReplaceSprite(int32_t index, int32_t sprite, int32_t first, bool proportional, int32_t separation)
{
    return Font_ReplaceSpriteExt(index, sprite, CharacterMapFrom(sprite, first).c_str(), proportional, separation);
}

bool Font_ReplaceSpriteExt(int32_t index, int32_t sprite, const char* map, bool proportional, int32_t separation)
{
    CFontBW* font = Font_Get(index);
    if (font == nullptr) {
        return false;
    }
    font->CreateFromSprite(sprite, map, proportional, separation);
    return true;
}

bool Font_Delete(int32_t index)
{
    if (!Font_Exists(index)) {
        return false;
    }
    g_fonts.fonts[static_cast<size_t>(index)].reset();
    g_fonts.names[static_cast<size_t>(index)].clear();
    return true;
}

}  // namespace bw
