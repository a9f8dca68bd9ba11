#include "resources/background.h"

#include <string>
#include <utility>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/bitmap32.h"
#include "graphics/draw_2d.h"
#include "graphics/draw_textured.h"
#include "graphics/png_image.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/package_image.h"
#include "script/resource_seams.h"
#include "world/resource_lookups.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;
// A BGND record: name offset, transparent, smooth, preload and the offset of
// the texture page entry.
constexpr uint32_t kRecordWords = 5;
// The entry's full frame width and height are its ninth and tenth i16.
constexpr uint64_t kEntryFrameWidthAt = 16;
constexpr uint64_t kEntryFrameHeightAt = 18;

float Radians(float degrees)
{
    return degrees * kPi / 180.0f;
}

struct BackgroundSlot {
    std::unique_ptr<CBackground> background;
    std::string name;
};

// Never destroyed: backgrounds free textures as they go, and the texture
// table may be gone already when statics are torn down at exit.
std::vector<BackgroundSlot>& Backgrounds()
{
    static auto* backgrounds = new std::vector<BackgroundSlot>();
    return *backgrounds;
}

int32_t AppendSlot(std::unique_ptr<CBackground> background)
{
    std::vector<BackgroundSlot>& backgrounds = Backgrounds();
    const auto index = static_cast<int32_t>(backgrounds.size());
    backgrounds.push_back(BackgroundSlot{std::move(background), "__newbackground" + std::to_string(index)});
    return index;
}

bool SizeLookup(int32_t index, int32_t* width, int32_t* height)
{
    const CBackground* background = Background_Get(index);
    if (background == nullptr) {
        return false;
    }
    *width = background->GetWidth();
    *height = background->GetHeight();
    return true;
}

// The background a file of game code makes, or null when the file is in
// neither area or is not a readable PNG.
std::unique_ptr<CBackground> LoadFile(const char* file, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    char path[kLoadSavePathSize];
    if (file == nullptr || !LoadSave_PathFind(path, sizeof(path), file)) {
        return nullptr;
    }
    auto background = std::make_unique<CBackground>();
    if (!background->LoadFromFile(path, transparent, smooth, preload, keepAlpha)) {
        return nullptr;
    }
    return background;
}

bool ReplaceFromFile(int32_t index, const char* file, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    if (index < 0 || index >= Background_Count()) {
        return false;
    }
    std::unique_ptr<CBackground> loaded = LoadFile(file, transparent, smooth, preload, keepAlpha);
    if (loaded == nullptr) {
        return false;
    }
    Backgrounds()[static_cast<size_t>(index)].background = std::move(loaded);
    return true;
}

int32_t AddFromFile(const char* file, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    std::unique_ptr<CBackground> loaded = LoadFile(file, transparent, smooth, preload, keepAlpha);
    return loaded != nullptr ? AppendSlot(std::move(loaded)) : -1;
}

}  // namespace

CBackground::CBackground() = default;

CBackground::~CBackground()
{
    FreeTexture();
}

void CBackground::Clear()
{
    m_bitmap.reset();
    m_width = 0;
    m_height = 0;
    m_transparent = false;
    m_smooth = false;
    m_preload = false;
    m_entryOffset = 0;
    FreeTexture();
}

bool CBackground::LoadFromChunk(const PackageView& package, uint32_t record, const char** name, const char** error)
{
    Clear();
    uint32_t words[kRecordWords] = {};
    for (uint32_t i = 0; i < kRecordWords; ++i) {
        if (!package.ReadU32(uint64_t{record} + 4 * i, words[i])) {
            *error = "the record lies outside the package";
            return false;
        }
    }
    if (!Wad_PatchString(package, words[0], name)) {
        *error = "the name lies outside the package";
        return false;
    }
    const uint32_t entry = words[4];
    if (entry != 0) {
        // The TPAG chunk usually follows this one, so the entry itself is
        // found later; its size is read from its bytes now.
        int16_t width = 0;
        int16_t height = 0;
        if (!package.Contains(entry, sizeof(TexturePageEntry)) ||
            !package.ReadI16(entry + kEntryFrameWidthAt, width) ||
            !package.ReadI16(entry + kEntryFrameHeightAt, height)) {
            *error = "the texture page entry lies outside the package";
            return false;
        }
        m_width = width;
        m_height = height;
    }
    m_transparent = words[1] != 0;
    m_smooth = words[2] != 0;
    m_preload = words[3] != 0;
    m_entryOffset = entry;
    return true;
}

void CBackground::InitTexture()
{
    FreeTexture();
    if (m_bitmap == nullptr) {
        return;
    }
    m_texture = Texture_CreateFromBitmap(m_bitmap.get());
    if (m_preload) {
        Texture_Preload(m_texture);
    }
}

void CBackground::FreeTexture()
{
    if (m_texture >= 0) {
        Texture_Free(m_texture);
    }
    m_texture = -1;
}

TexturePageEntry* CBackground::GetPageEntry() const
{
    return m_entryOffset != 0 ? TPAG_FindByOffset(m_entryOffset) : nullptr;
}

int32_t CBackground::GetTexture() const
{
    TexturePageEntry* entry = GetPageEntry();
    return entry != nullptr ? TexturePage_Handle(entry) : m_texture;
}

void CBackground::Assign(const CBackground& source)
{
    // Clearing first would throw away the very bitmap to be copied.
    if (&source == this) {
        return;
    }
    Clear();
    m_width = source.m_width;
    m_height = source.m_height;
    m_transparent = source.m_transparent;
    m_smooth = source.m_smooth;
    m_preload = source.m_preload;
    m_entryOffset = source.m_entryOffset;
    if (source.m_bitmap != nullptr) {
        m_bitmap = CBitmap32::CreateCopy(*source.m_bitmap);
    }
    InitTexture();
}

bool CBackground::MakeBitmap()
{
    const TexturePageEntry* entry = GetPageEntry();
    if (m_bitmap != nullptr || entry == nullptr || entry->sourceWidth <= 0 || entry->sourceHeight <= 0) {
        return false;
    }
    const std::vector<uint32_t> pixels = GR_D3D_ReadTextureRect(Texture_Get(entry->textureId), entry->sourceX,
                                                                entry->sourceY, entry->sourceWidth, entry->sourceHeight);
    const size_t count = static_cast<size_t>(entry->sourceWidth) * static_cast<size_t>(entry->sourceHeight);
    if (pixels.size() != count) {
        return false;
    }
    auto bitmap = std::make_unique<CBitmap32>(entry->sourceWidth, entry->sourceHeight, 0);
    std::copy(pixels.begin(), pixels.end(), bitmap->Pixels());
    m_bitmap = std::move(bitmap);
    m_entryOffset = 0;
    InitTexture();
    return true;
}

bool CBackground::CreateFromBitmap(IBitmap* image, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    Clear();
    m_transparent = transparent;
    m_smooth = smooth;
    m_preload = preload;
    m_width = image->GetWidth();
    m_height = image->GetHeight();
    m_bitmap = keepAlpha ? CBitmap32::CreateFromIBitmap32(image, transparent, smooth)
                         : CBitmap32::CreateFromImage(image, transparent, smooth);
    InitTexture();
    return m_bitmap != nullptr && m_bitmap->IsValid();
}

void CBackground::CreateColor(int32_t w, int32_t h, uint32_t colour, bool preload)
{
    Clear();
    m_preload = preload;
    m_bitmap = std::make_unique<CBitmap32>(w, h, colour);
    m_width = m_bitmap->Width();
    m_height = m_bitmap->Height();
    InitTexture();
}

void CBackground::CreateGradient(int32_t w, int32_t h, uint32_t colour1, uint32_t colour2, int32_t kind,
                                 bool preload)
{
    Clear();
    m_preload = preload;
    m_bitmap = CBitmap32::CreateGradient(w, h, colour1, colour2, kind);
    if (m_bitmap != nullptr) {
        m_width = m_bitmap->Width();
        m_height = m_bitmap->Height();
    }
    InitTexture();
}

void CBackground::SetAlphaFromBackground(const CBackground& other)
{
    if (m_bitmap == nullptr || other.m_bitmap == nullptr) {
        Console().Printf("Both bitmaps need to be duplicated first\n");
        return;
    }
    m_bitmap->AlphaFromBitmap(*other.m_bitmap);
    InitTexture();
}

bool CBackground::LoadFromFile(const char* path, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    size_t size = 0;
    uint8_t* data = LoadSave_ReadWholeFile(path, &size);
    if (data == nullptr) {
        return false;
    }
    int32_t w = 0;
    int32_t h = 0;
    uint32_t* pixels = PNG_LoadImage(data, size, &w, &h, 0);
    MemoryManager_Free(data);
    if (pixels == nullptr) {
        return false;
    }
    const std::unique_ptr<BitmapLoader> loader = BitmapLoader_Create(pixels, w, h);
    PNG_FreeImage(pixels);
    const std::unique_ptr<TBitmap> image = loader != nullptr ? loader->GetBitmap(0) : nullptr;
    return image != nullptr && CreateFromBitmap(image.get(), transparent, smooth, preload, keepAlpha);
}

void CBackground::Draw(float x, float y) const
{
    if (TexturePageEntry* entry = GetPageEntry()) {
        GR_TPE_Draw(entry, x, y);
    } else {
        GR_Texture_Draw(m_texture, x, y);
    }
}

void CBackground::DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                          float alpha) const
{
    if (TexturePageEntry* entry = GetPageEntry()) {
        GR_TPE_DrawExt(entry, 0.0f, 0.0f, x, y, xscale, yscale, Radians(angle), colour, alpha);
    } else {
        GR_Texture_DrawExt(m_texture, 0.0f, 0.0f, x, y, xscale, yscale, Radians(angle), colour, alpha);
    }
}

void CBackground::DrawStretched(float x, float y, float w, float h, uint32_t colour, float alpha) const
{
    if (!(w > 0.0f) || !(h > 0.0f) || m_width <= 0 || m_height <= 0) {
        return;
    }
    DrawExt(x, y, w / static_cast<float>(m_width), h / static_cast<float>(m_height), 0.0f, colour, alpha);
}

void CBackground::DrawPart(float left, float top, float w, float h, float x, float y, float xscale, float yscale,
                           uint32_t colour, float alpha) const
{
    if (TexturePageEntry* entry = GetPageEntry()) {
        GR_TPE_DrawPart(entry, left, top, w, h, x, y, xscale, yscale, 0.0f, colour, alpha);
    } else {
        GR_Texture_DrawPart(m_texture, left, top, w, h, x, y, xscale, yscale, 0.0f, colour, alpha);
    }
}

void CBackground::DrawGeneral(float left, float top, float w, float h, float x, float y, float xscale,
                              float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                              float alpha) const
{
    if (TexturePageEntry* entry = GetPageEntry()) {
        GR_TPE_DrawGeneral(entry, left, top, w, h, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4, alpha);
    } else {
        GR_Texture_DrawGeneral(m_texture, left, top, w, h, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4,
                               alpha);
    }
}

void CBackground::DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                            const TileArea& area, uint32_t colour, float alpha) const
{
    if (TexturePageEntry* entry = GetPageEntry()) {
        GR_TPE_DrawTiled(entry, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, area, colour, alpha);
    } else {
        GR_Texture_DrawTiled(m_texture, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, area, colour, alpha);
    }
}

// ---- The table ---------------------------------------------------------

void Background_ClearTable()
{
    Backgrounds().clear();
}

bool Background_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Background_ClearTable();
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("BGND"), offset, length}, records)) {
        Console().Printf("Error on load\nBGND: the background list runs past its chunk\n");
        return false;
    }
    std::vector<BackgroundSlot>& backgrounds = Backgrounds();
    backgrounds.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == 0) {
            continue;
        }
        auto background = std::make_unique<CBackground>();
        const char* name = nullptr;
        const char* error = nullptr;
        if (!background->LoadFromChunk(package, records[i], &name, &error)) {
            Console().Printf("Error on load\nBGND: background %zu: %s\n", i, error);
            Background_ClearTable();
            return false;
        }
        backgrounds[i] = BackgroundSlot{std::move(background), name != nullptr ? name : ""};
    }
    return true;
}

void Background_InitTextures()
{
    for (BackgroundSlot& slot : Backgrounds()) {
        if (slot.background != nullptr) {
            slot.background->InitTexture();
        }
    }
}

void Background_FreeTextures()
{
    for (BackgroundSlot& slot : Backgrounds()) {
        if (slot.background != nullptr) {
            slot.background->FreeTexture();
        }
    }
}

void Background_FreeAll()
{
    Background_ClearTable();
}

int32_t Background_Count()
{
    return static_cast<int32_t>(Backgrounds().size());
}

bool Background_Exists(int32_t index)
{
    return Background_Get(index) != nullptr;
}

CBackground* Background_Get(int32_t index)
{
    return index >= 0 && index < Background_Count() ? Backgrounds()[static_cast<size_t>(index)].background.get()
                                                    : nullptr;
}

const char* Background_GetName(int32_t index)
{
    // An empty slot (a deleted background) has the empty name, as sprites do.
    return index >= 0 && index < Background_Count() ? Backgrounds()[static_cast<size_t>(index)].name.c_str()
                                                    : "<undefined>";
}

int32_t Background_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    const std::vector<BackgroundSlot>& backgrounds = Backgrounds();
    for (size_t i = 0; i < backgrounds.size(); ++i) {
        if (backgrounds[i].background != nullptr && backgrounds[i].name == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t Background_Add(const char* file, bool transparent, bool smooth, bool preload)
{
    return AddFromFile(file, transparent, smooth, preload, !transparent);
}

int32_t Background_AddAlpha(const char* file, bool preload)
{
    return AddFromFile(file, true, false, preload, true);
}

bool Background_Replace(int32_t index, const char* file, bool transparent, bool smooth, bool preload)
{
    return ReplaceFromFile(index, file, transparent, smooth, preload, !transparent);
}

bool Background_ReplaceAlpha(int32_t index, const char* file, bool preload)
{
    return ReplaceFromFile(index, file, true, false, preload, true);
}

bool Background_Delete(int32_t index)
{
    if (!Background_Exists(index)) {
        return false;
    }
    Backgrounds()[static_cast<size_t>(index)] = BackgroundSlot{};
    return true;
}

int32_t Background_Duplicate(int32_t index)
{
    const CBackground* source = Background_Get(index);
    if (source == nullptr) {
        return -1;
    }
    auto copy = std::make_unique<CBackground>();
    copy->Assign(*source);
    copy->MakeBitmap();
    return AppendSlot(std::move(copy));
}

bool Background_Assign(int32_t destination, int32_t source)
{
    const CBackground* from = Background_Get(source);
    if (from == nullptr || destination < 0 || destination >= Background_Count()) {
        return false;
    }
    std::unique_ptr<CBackground>& slot = Backgrounds()[static_cast<size_t>(destination)].background;
    if (slot == nullptr) {
        slot = std::make_unique<CBackground>();
    }
    slot->Assign(*from);
    return true;
}

int32_t Background_CreateNew()
{
    return AppendSlot(std::make_unique<CBackground>());
}

void Background_RegisterLookups()
{
    Resource_SetNameFinder(ResourceKind::Background, &Background_Find);
    World_ResourceLookups().backgroundSize = &SizeLookup;
}

}  // namespace bw
