#include "host/dialog_fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <imgui.h>
#include <imgui_freetype.h>
#include <imgui_internal.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>

namespace bw {

namespace {

static_assert(std::is_same_v<ImWchar, unsigned short>, "the glyph ranges are kept as ImGui's 16-bit characters");

constexpr float kPixelSize = 15.0f;
// Files read whole for the whole run: a Japanese and Chinese font alone
// may be tens of megabytes.
constexpr size_t kMaxLoadedFiles = 16;
constexpr std::streamoff kMaxFileBytes = std::streamoff{64} << 20;
constexpr unsigned int kEllipsis = 0x2026;

struct CharSetRelease {
    void operator()(FcCharSet* set) const { FcCharSetDestroy(set); }
};
using CharSetPtr = std::unique_ptr<FcCharSet, CharSetRelease>;

// An installed face and what is known of it.
struct InstalledFace {
    std::string path;
    int index = 0;
    // A copy of its own: fontconfig's may live in a cache file it unmaps.
    CharSetPtr characters;
    enum class State { Unread, Usable, Unusable } state = State::Unread;
    std::vector<unsigned char> bytes;
};

// The installed faces FreeType can draw at any size, the closest to a sans
// font first, each one kept only when it has a character none before it
// has (so the first one that has a character is the one to draw it with).
class FontCatalog {
public:
    static FontCatalog& Get()
    {
        static FontCatalog catalog;
        return catalog;
    }

    // The first face that has the character and can be loaded; -1 when none.
    int FaceFor(unsigned int character)
    {
        for (size_t i = 0; i < m_faces.size(); ++i) {
            if (FcCharSetHasChar(m_faces[i].characters.get(), character) && Load(m_faces[i])) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    const InstalledFace& Face(size_t index) const { return m_faces[index]; }

    ~FontCatalog()
    {
        if (m_library != nullptr) FT_Done_FreeType(m_library);
    }
    FontCatalog(const FontCatalog&) = delete;
    FontCatalog& operator=(const FontCatalog&) = delete;

private:
    FontCatalog()
    {
        if (FT_Init_FreeType(&m_library) != 0) m_library = nullptr;
        // A configuration of our own, handed back once the faces are known:
        // sorting in fontconfig's shared one leaves a block behind.
        FcConfig* config = FcInitLoadConfigAndFonts();
        FcPattern* pattern = config != nullptr ? FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")) : nullptr;
        if (pattern != nullptr) {
            FcConfigSubstitute(config, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result);
            FcPatternDestroy(pattern);
            const CharSetPtr covered(FcCharSetCreate());
            for (int i = 0; sorted != nullptr && covered && i < sorted->nfont; ++i) {
                Consider(sorted->fonts[i], covered.get());
            }
            if (sorted != nullptr) FcFontSetDestroy(sorted);
        }
        if (config != nullptr) FcConfigDestroy(config);
    }

    void Consider(FcPattern* font, FcCharSet* covered)
    {
        FcChar8* path = nullptr;
        FcCharSet* characters = nullptr;
        FcBool outline = FcFalse;
        FcBool colour = FcFalse;
        if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch ||
            FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch ||
            FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || outline == FcFalse) {
            return;
        }
        // Colour faces hold bitmaps, which ImGui's builder does not load.
        if (FcPatternGetBool(font, FC_COLOR, 0, &colour) == FcResultMatch && colour != FcFalse) return;
        if (FcCharSetIsSubset(characters, covered) != FcFalse) return;
        CharSetPtr own(FcCharSetCreate());
        if (!own || FcCharSetMerge(own.get(), characters, nullptr) == FcFalse ||
            FcCharSetMerge(covered, characters, nullptr) == FcFalse) {
            return;
        }
        InstalledFace face;
        face.path = reinterpret_cast<const char*>(path);
        FcPatternGetInteger(font, FC_INDEX, 0, &face.index);
        face.characters = std::move(own);
        m_faces.push_back(std::move(face));
    }

    // Reads the face's file on first use and checks that FreeType opens it
    // as ImGui's builder will, since one face it cannot open fails the
    // whole atlas.
    bool Load(InstalledFace& face)
    {
        if (face.state != InstalledFace::State::Unread) return face.state == InstalledFace::State::Usable;
        face.state = InstalledFace::State::Unusable;
        if (m_loaded >= kMaxLoadedFiles || m_library == nullptr) return false;
        std::ifstream file(face.path, std::ios::binary | std::ios::ate);
        const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : 0;
        if (size <= 0 || size > kMaxFileBytes) return false;
        face.bytes.resize(static_cast<size_t>(size));
        file.seekg(0);
        if (!file.read(reinterpret_cast<char*>(face.bytes.data()), size)) {
            face.bytes = {};
            return false;
        }
        FT_Face opened = nullptr;
        const bool usable =
            FT_New_Memory_Face(m_library, face.bytes.data(), static_cast<FT_Long>(size), face.index, &opened) == 0 &&
            FT_Select_Charmap(opened, FT_ENCODING_UNICODE) == 0 && FT_IS_SCALABLE(opened);
        if (opened != nullptr) FT_Done_Face(opened);
        if (!usable) {
            face.bytes = {};
            return false;
        }
        ++m_loaded;
        face.state = InstalledFace::State::Usable;
        return true;
    }

    std::vector<InstalledFace> m_faces;
    FT_Library m_library = nullptr;
    size_t m_loaded = 0;
};

// ImGui's ranges: pairs of first and last character, then a zero.
std::vector<ImWchar> RangesOf(std::vector<ImWchar> characters)
{
    std::sort(characters.begin(), characters.end());
    std::vector<ImWchar> ranges;
    for (const ImWchar character : characters) {
        if (!ranges.empty() && ranges.back() + 1 == character) {
            ranges.back() = character;
        } else {
            ranges.push_back(character);
            ranges.push_back(character);
        }
    }
    ranges.push_back(0);
    return ranges;
}

}  // namespace

HostDialogFonts::HostDialogFonts()
{
    for (unsigned int character = 0x20; character <= 0xFF; ++character) {
        if (character < 0x7F || character >= 0xA0) Add(character);
    }
    Add(kEllipsis);
    Add(IM_UNICODE_CODEPOINT_INVALID);
}

void HostDialogFonts::Add(unsigned int character)
{
    m_noted.set(character);
    const int face = FontCatalog::Get().FaceFor(character);
    if (face < 0) return;  // drawn as the replacement character
    const size_t slot = static_cast<size_t>(face);
    if (m_byFace.size() <= slot) m_byFace.resize(slot + 1);
    m_byFace[slot].push_back(static_cast<ImWchar>(character));
}

bool HostDialogFonts::Note(std::string_view utf8)
{
    bool added = false;
    const char* next = utf8.data();
    const char* const end = next + utf8.size();
    while (next < end && m_addedByText < kMaxNotedCharacters) {
        unsigned int character = 0;
        // A sequence cut short by the end counts its bytes up to the end.
        const ptrdiff_t length = ImTextCharFromUtf8(&character, next, end);
        next += std::clamp<ptrdiff_t>(length, 1, end - next);
        // Controls are never drawn, and past the plane ImGui draws the
        // replacement character, which every window has.
        if (character < 0x20 || character >= m_noted.size() || m_noted.test(character)) continue;
        Add(character);
        ++m_addedByText;
        added = true;
    }
    return added;
}

void HostDialogFonts::Fill(ImFontAtlas& atlas)
{
    atlas.Clear();
    atlas.FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    m_ranges.clear();
    FontCatalog& catalog = FontCatalog::Get();
    for (size_t face = 0; face < m_byFace.size(); ++face) {
        if (m_byFace[face].empty()) continue;
        const InstalledFace& installed = catalog.Face(face);
        m_ranges.push_back(RangesOf(m_byFace[face]));
        ImFontConfig config;
        config.FontDataOwnedByAtlas = false;
        config.FontNo = installed.index;
        // The first face gives the line's height and baseline; the others
        // add their glyphs to it.
        config.MergeMode = m_ranges.size() > 1;
        atlas.AddFontFromMemoryTTF(const_cast<unsigned char*>(installed.bytes.data()),
                                   static_cast<int>(installed.bytes.size()), kPixelSize, &config,
                                   m_ranges.back().data());
    }
    if (m_ranges.empty() || !atlas.Build()) {
        atlas.Clear();
        atlas.AddFontDefault();
        atlas.Build();
    }
}

}  // namespace bw
