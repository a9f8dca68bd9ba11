#include "graphics/textures.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/bitmap32.h"
#include "graphics/texture_records.h"
#include "graphics/transforms.h"

namespace bw {

namespace {

// Slot records stay where they are while the array grows, so a slot
// pointer held during a draw stays valid.
std::vector<std::unique_ptr<TextureSlot>> g_slots;

uint16_t ClampSide(int32_t side)
{
    return static_cast<uint16_t>(std::clamp(side, 0, 0xFFFF));
}

// Fills a slot just taken by Texture_Alloc, or gives it back on failure.
int32_t Fill(int32_t id, TextureRecord* record, int32_t w, int32_t h, float allocatedW, float allocatedH)
{
    TextureSlot& slot = *g_slots[static_cast<size_t>(id)];
    if (record == nullptr || allocatedW <= 0.0f || allocatedH <= 0.0f) {
        GR_Texture_Free(record);
        slot = TextureSlot();
        return -1;
    }
    slot.record = record;
    slot.width = ClampSide(w);
    slot.height = ClampSide(h);
    slot.uScale = 1.0f / allocatedW;
    slot.vScale = 1.0f / allocatedH;
    slot.inUse = true;
    return id;
}

int32_t FillFromRecord(int32_t id, TextureRecord* record, int32_t w, int32_t h)
{
    const float allocatedW = record != nullptr ? static_cast<float>(record->Width()) : 0.0f;
    const float allocatedH = record != nullptr ? static_cast<float>(record->Height()) : 0.0f;
    return Fill(id, record, w, h, allocatedW, allocatedH);
}

}  // namespace

int32_t Texture_Alloc()
{
    for (size_t i = 0; i < g_slots.size(); ++i) {
        if (!g_slots[i]->inUse) {
            // Taken at once, so a nested creation cannot pick it too.
            *g_slots[i] = TextureSlot();
            g_slots[i]->inUse = true;
            return static_cast<int32_t>(i);
        }
    }
    g_slots.push_back(std::make_unique<TextureSlot>());
    g_slots.back()->inUse = true;
    return static_cast<int32_t>(g_slots.size() - 1);
}

int32_t Texture_CreateRenderTarget(int32_t w, int32_t h, uint32_t renderTargetFlag)
{
    const int32_t id = Texture_Alloc();
    TextureRecord* record = GR_Texture_Create(w, h, 1, renderTargetFlag, TextureFormatA8R8G8B8);
    return FillFromRecord(id, record, w, h);
}

int32_t Texture_CreateFromRecord(TextureRecord* record, int32_t w, int32_t h)
{
    const int32_t id = Texture_Alloc();
    return FillFromRecord(id, record, w, h);
}

int32_t Texture_CreateFromPixels(int32_t w, int32_t h, const uint8_t* bytes, size_t size)
{
    if (bytes == nullptr || w < 1 || h < 1) {
        return -1;
    }
    const int32_t id = Texture_Alloc();
    TextureInfo info{};
    TextureRecord* record = size == static_cast<size_t>(w) * static_cast<size_t>(h) * 4
                                ? GR_Texture_CreatePow2(reinterpret_cast<const uint32_t*>(bytes), w, h, &info)
                                : GR_Texture_LoadFromMemory(bytes, size, &info, TextureFormatA8R8G8B8);
    return FillFromRecord(id, record, w, h);
}

int32_t Texture_CreateFromPackage(const uint8_t* image, size_t size, int32_t unused, uint32_t flag)
{
    (void)unused;
    (void)flag;
    const int32_t id = Texture_Alloc();
    TextureInfo info{};
    TextureRecord* record = GR_Texture_LoadFromMemory(image, size, &info, TextureFormatA8R8G8B8);
    // Coordinates are texels over the allocated size, which is the image's
    // own size for the power-of-two pages packages hold.
    return FillFromRecord(id, record, static_cast<int32_t>(std::min<uint32_t>(info.width, 0xFFFF)),
                          static_cast<int32_t>(std::min<uint32_t>(info.height, 0xFFFF)));
}

int32_t Texture_CreateFromImage(const uint8_t* image, size_t size)
{
    return Texture_CreateFromPackage(image, size, 0, 0);
}

int32_t Texture_CreateFromBitmap(const CBitmap32* bitmap)
{
    if (bitmap == nullptr || !bitmap->IsValid()) {
        return -1;
    }
    int32_t byteSize = 0;
    const uint32_t* pixels = bitmap->Data(&byteSize);
    return Texture_CreateFromPixels(bitmap->Width(), bitmap->Height(), reinterpret_cast<const uint8_t*>(pixels),
                                    static_cast<size_t>(byteSize));
}

int32_t Texture_CreateFromIBitmap(IBitmap* bitmap, int32_t w, int32_t h)
{
    (void)w;
    (void)h;
    if (bitmap == nullptr) {
        return -1;
    }
    std::unique_ptr<CBitmap32> copy = CBitmap32::CreateFromIBitmap32(bitmap, false, false);
    return Texture_CreateFromBitmap(copy.get());
}

int32_t Texture_CreateFromAlpha8(int32_t w, int32_t h, const uint8_t* alpha)
{
    if (alpha == nullptr || w < 1 || h < 1) {
        return -1;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0x00FFFFFFu | static_cast<uint32_t>(alpha[i]) << 24;
    }
    const int32_t id = Texture_CreateRenderTarget(w, h, 0);
    if (id < 0) {
        return -1;
    }
    if (!GR_Texture_CreateSysMem(Texture_Get(id), 0, w, h, pixels.data())) {
        Texture_Free(id);
        return -1;
    }
    return id;
}

void Texture_Upload(int32_t id, const CBitmap32* bitmap)
{
    TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr || bitmap == nullptr || !bitmap->IsValid()) {
        return;
    }
    // Only what the bitmap holds is read; the rest of the slot keeps its texels.
    const int32_t w = std::min<int32_t>(slot->width, bitmap->Width());
    const int32_t h = std::min<int32_t>(slot->height, bitmap->Height());
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y) {
        std::copy_n(bitmap->Pixels() + static_cast<size_t>(y) * static_cast<size_t>(bitmap->Width()), w,
                    pixels.begin() + static_cast<ptrdiff_t>(y) * w);
    }
    GR_Texture_CreateSysMem(slot->record, 0, w, h, pixels.data());
}

bool Texture_Exists(int32_t id)
{
    return id >= 0 && static_cast<size_t>(id) < g_slots.size() && g_slots[static_cast<size_t>(id)]->inUse;
}

TextureSlot* Texture_GetSlot(int32_t id)
{
    return Texture_Exists(id) ? g_slots[static_cast<size_t>(id)].get() : nullptr;
}

TextureRecord* Texture_Get(int32_t id)
{
    TextureSlot* slot = Texture_GetSlot(id);
    return slot != nullptr ? slot->record : nullptr;
}

float Texture_Width(int32_t id)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    return slot != nullptr ? static_cast<float>(slot->width) * slot->uScale : 1.0f;
}

float Texture_Height(int32_t id)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    return slot != nullptr ? static_cast<float>(slot->height) * slot->vScale : 1.0f;
}

void Texture_Preload(int32_t id)
{
    (void)id;
}

void Texture_SetPriority(int32_t id, int32_t priority)
{
    (void)id;
    (void)priority;
}

void Texture_Bind(int32_t id)
{
    GR_D3D_SetTexture(0, Texture_Get(id));
}

void Texture_Free(int32_t id)
{
    TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    GR_Texture_Free(slot->record);
    *slot = TextureSlot();
}

void Texture_FreeAll()
{
    for (auto& slot : g_slots) {
        if (slot->inUse) {
            GR_Texture_Free(slot->record);
        }
    }
    g_slots.clear();
}

void Texture_ResetTable()
{
    g_slots.clear();
}

int32_t Texture_Count()
{
    return static_cast<int32_t>(g_slots.size());
}

}  // namespace bw
