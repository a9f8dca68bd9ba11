#include "graphics/surfaces.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "graphics/bitmap.h"
#include "graphics/draw_textured.h"
#include "graphics/png_image.h"
#include "graphics/screen.h"
#include "graphics/texture_records.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

struct SavedView {
    int32_t viewport[4] = {};
    float projection[5] = {};
};

struct SurfaceState {
    std::vector<SurfaceSlot> slots;
    int32_t current = -1;
    SavedView saved;
};
SurfaceState g_surfaces;

const SurfaceSlot* SlotOf(int32_t id)
{
    return Surface_Exists(id) ? &g_surfaces.slots[static_cast<size_t>(id)] : nullptr;
}

void SaveView()
{
    SavedView& s = g_surfaces.saved;
    GR_GetViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    GR_GetViewProjection(s.projection[0], s.projection[1], s.projection[2], s.projection[3], s.projection[4]);
}

void RestoreView()
{
    const SavedView& s = g_surfaces.saved;
    GR_SetViewProjection(s.projection[0], s.projection[1], s.projection[2], s.projection[3], s.projection[4]);
    GR_SetViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
}

// The frame code has already unwound the render-target stack to the screen;
// only our record of the target is left to clear.
void ForgetTarget()
{
    g_surfaces.current = -1;
}

}  // namespace

int32_t Surface_Create(int32_t w, int32_t h)
{
    auto free = std::find_if(g_surfaces.slots.begin(), g_surfaces.slots.end(),
                             [](const SurfaceSlot& slot) { return !slot.inUse; });
    if (free == g_surfaces.slots.end()) {
        g_surfaces.slots.emplace_back();
        free = g_surfaces.slots.end() - 1;
    }
    const int32_t texture = Texture_CreateRenderTarget(w, h, kTextureUsageRenderTarget);
    if (texture < 0) {
        free->texture = -1;
        return -1;
    }
    *free = SurfaceSlot{texture, w, h, true};
    return static_cast<int32_t>(free - g_surfaces.slots.begin());
}

bool Surface_Exists(int32_t id)
{
    return id >= 0 && static_cast<size_t>(id) < g_surfaces.slots.size() &&
           g_surfaces.slots[static_cast<size_t>(id)].inUse;
}

int32_t Surface_Width(int32_t id)
{
    const SurfaceSlot* slot = SlotOf(id);
    return slot != nullptr ? slot->width : -1;
}

int32_t Surface_Height(int32_t id)
{
    const SurfaceSlot* slot = SlotOf(id);
    return slot != nullptr ? slot->height : -1;
}

int32_t Surface_GetTexture(int32_t id)
{
    const SurfaceSlot* slot = SlotOf(id);
    return slot != nullptr ? slot->texture : -1;
}

int32_t Surface_GetCurrent()
{
    return g_surfaces.current;
}

bool Surface_SetTarget(int32_t id)
{
    if (Device_Get() == nullptr) {
        return false;
    }
    GR_VB_Flush();
    const SurfaceSlot* slot = SlotOf(id);
    if (slot == nullptr) {
        return false;
    }
    if (id == g_surfaces.current) {
        return true;
    }
    TextureRecord* record = Texture_Get(slot->texture);
    if (record == nullptr) {
        return false;
    }
    if (g_surfaces.current >= 0) {
        Surface_ResetTarget();
    }
    SaveView();
    if (!GR_PushRenderTarget()) {
        return false;
    }
    if (!GR_SetRenderTargetTexture(0, record)) {
        GR_PopRenderTarget();
        return false;
    }
    const auto w = static_cast<float>(slot->width);
    const auto h = static_cast<float>(slot->height);
    GR_SetViewProjection(0.0f, 0.0f, w, h, 0.0f);
    GR_SetViewport(0, 0, slot->width, slot->height);
    g_surfaces.current = id;
    return true;
}

bool Surface_ResetTarget()
{
    // Without a surface as the target there is nothing of ours to undo, and
    // the frame's own target must never be popped from here.
    if (Device_Get() == nullptr || g_surfaces.current < 0) {
        return false;
    }
    GR_VB_Flush();
    if (!GR_PopRenderTarget()) {
        return false;
    }
    RestoreView();
    g_surfaces.current = -1;
    return true;
}

void Surface_Free(int32_t id)
{
    if (!Surface_Exists(id)) {
        return;
    }
    GR_VB_Flush();
    if (id == g_surfaces.current) {
        Surface_ResetTarget();
    }
    SurfaceSlot& slot = g_surfaces.slots[static_cast<size_t>(id)];
    Texture_Free(slot.texture);
    slot.texture = -1;
    slot.inUse = false;
}

void Surface_FreeAll()
{
    for (size_t id = 0; id < g_surfaces.slots.size(); ++id) {
        Surface_Free(static_cast<int32_t>(id));
    }
}

void GR_Texture_Flush()
{
    // The surface set as the target stops existing with the others: drawing
    // goes back to what lay below it, as at a frame's end, and a new surface
    // that takes its id is set for real, not taken for the one still set.
    Surface_ResetTarget();
    ForgetTarget();
    for (SurfaceSlot& slot : g_surfaces.slots) {
        slot.inUse = false;
    }
}

namespace {

// The texture a draw of a surface reads. A surface drawn into itself (the
// target game code or a view set) is read from a copy of it made for the
// draw: a texture sampled while it is drawn into gives undefined pixels
// where the draw overlaps what it reads. The copy goes once the draw is out.
class SurfaceSource {
public:
    explicit SurfaceSource(const SurfaceSlot& slot) : m_texture(slot.texture)
    {
        const TextureRecord* record = Texture_Get(slot.texture);
        const IGraphicsDevice* device = Device_Get();
        if (record == nullptr || device == nullptr || device->GetRenderTarget() != record->texture) {
            return;
        }
        m_copy = Texture_CreateRenderTarget(slot.width, slot.height, kTextureUsageRenderTarget);
        if (m_copy >= 0) {
            GR_D3D_CopyTextureRect(Texture_Get(m_copy), 0, 0, Texture_Get(slot.texture), 0, 0, slot.width,
                                   slot.height);
            m_texture = m_copy;
        }
    }
    ~SurfaceSource() { Texture_Free(m_copy); }  // draws the batch first when it reads the copy
    SurfaceSource(const SurfaceSource&) = delete;
    SurfaceSource& operator=(const SurfaceSource&) = delete;

    int32_t Texture() const { return m_texture; }

private:
    int32_t m_texture;
    int32_t m_copy = -1;
};

// Runs draw(texture, slot) for a surface that exists.
template <typename Draw>
void DrawSurface(int32_t id, Draw&& draw)
{
    const SurfaceSlot* slot = SlotOf(id);
    if (slot == nullptr) {
        return;
    }
    const SurfaceSource source(*slot);
    draw(source.Texture(), *slot);
}

}  // namespace

void Surface_Draw(int32_t id, float x, float y)
{
    DrawSurface(id, [&](int32_t texture, const SurfaceSlot&) { GR_Texture_Draw(texture, x, y); });
}

void Surface_DrawExt(int32_t id, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                     float alpha)
{
    DrawSurface(id, [&](int32_t texture, const SurfaceSlot&) {
        GR_Texture_DrawExt(texture, 0.0f, 0.0f, x, y, xscale, yscale, angle * kDegreesToRadians, colour, alpha);
    });
}

void Surface_DrawStretched(int32_t id, float x, float y, float w, float h, uint32_t colour, float alpha)
{
    if (!(w > 0.0f) || !(h > 0.0f)) {
        return;
    }
    DrawSurface(id, [&](int32_t texture, const SurfaceSlot& slot) {
        if (slot.width > 0 && slot.height > 0) {
            GR_Texture_DrawExt(texture, 0.0f, 0.0f, x, y, w / static_cast<float>(slot.width),
                               h / static_cast<float>(slot.height), 0.0f, colour, alpha);
        }
    });
}

void Surface_DrawPart(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                      float yscale, uint32_t colour, float alpha)
{
    DrawSurface(id, [&](int32_t texture, const SurfaceSlot&) {
        GR_Texture_DrawPart(texture, left, top, w, h, x, y, xscale, yscale, 0.0f, colour, alpha);
    });
}

void Surface_DrawGeneral(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                         float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    DrawSurface(id, [&](int32_t texture, const SurfaceSlot&) {
        GR_Texture_DrawGeneral(texture, left, top, w, h, x, y, xscale, yscale, angle * kDegreesToRadians, c1, c2, c3,
                               c4, alpha);
    });
}

void Surface_DrawTiled(int32_t id, float x, float y, float xscale, float yscale, int32_t htiled, int32_t vtiled,
                       const TileArea& area, uint32_t colour, float alpha)
{
    DrawSurface(id, [&](int32_t texture, const SurfaceSlot&) {
        GR_Texture_DrawTiled(texture, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, area, colour, alpha);
    });
}

std::vector<uint32_t> Surface_ReadRect(int32_t id, int32_t x, int32_t y, int32_t* w, int32_t* h)
{
    const SurfaceSlot* slot = SlotOf(id);
    if (Device_Get() == nullptr || slot == nullptr || !GR_CutRectangle(x, y, *w, *h, slot->width, slot->height)) {
        return {};
    }
    return GR_D3D_ReadTextureRect(Texture_Get(slot->texture), x, y, *w, *h);
}

namespace {

// w x h pixels (0xAARRGGBB, rows top first) as a 32-bit bitmap; null when
// there are none.
std::unique_ptr<TBitmap> BitmapFromPixels(const std::vector<uint32_t>& pixels, int32_t w, int32_t h)
{
    if (pixels.empty() || pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) {
        return nullptr;
    }
    auto bitmap = TBitmap_Create();
    bitmap->SetFormat(BitmapFormat32);
    bitmap->SetWidth(w);
    bitmap->SetHeight(h);
    int32_t pitch = 0;
    uint8_t* rows = bitmap->Lock(0, &pitch, nullptr);
    if (rows == nullptr) {
        return nullptr;
    }
    for (int32_t row = 0; row < h; ++row) {
        std::memcpy(rows + static_cast<size_t>(row) * static_cast<size_t>(pitch),
                    pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(w), static_cast<size_t>(w) * 4);
    }
    bitmap->Unlock();
    return bitmap;
}

}  // namespace

std::unique_ptr<TBitmap> Surface_CreateBitmap(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h)
{
    const std::vector<uint32_t> pixels = Surface_ReadRect(id, x, y, &w, &h);
    return BitmapFromPixels(pixels, w, h);
}

std::unique_ptr<TBitmap> GR_CreateBitmapFromScreen(int32_t x, int32_t y, int32_t w, int32_t h)
{
    const std::vector<uint32_t> pixels = GR_ReadScreenCapture(x, y, w, h);
    return BitmapFromPixels(pixels, w, h);
}

uint32_t Surface_GetPixel(int32_t id, int32_t x, int32_t y)
{
    int32_t w = 1;
    int32_t h = 1;
    // Left of or above the surface the edge pixel is read.
    const std::vector<uint32_t> pixel = Surface_ReadRect(id, std::max(x, 0), std::max(y, 0), &w, &h);
    if (pixel.empty()) {
        return 0;
    }
    const uint32_t argb = pixel[0];
    return (argb & 0xFF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

bool Surface_SavePart(int32_t id, const char* fileName, int32_t x, int32_t y, int32_t w, int32_t h)
{
    std::vector<uint32_t> pixels = Surface_ReadRect(id, x, y, &w, &h);
    return write_png_file_argb(fileName, std::move(pixels), w, h);
}

bool Surface_Save(int32_t id, const char* fileName)
{
    return Surface_SavePart(id, fileName, 0, 0, Surface_Width(id), Surface_Height(id));
}

void Surface_Copy(int32_t destination, int32_t x, int32_t y, int32_t source, int32_t sx, int32_t sy, int32_t w,
                  int32_t h)
{
    const SurfaceSlot* to = SlotOf(destination);
    const SurfaceSlot* from = SlotOf(source);
    if (to == nullptr || from == nullptr) {
        return;
    }
    GR_D3D_CopyTextureRect(Texture_Get(to->texture), x, y, Texture_Get(from->texture), sx, sy, w, h);
}

void Surface_InstallScreenHooks()
{
    ScreenHooks hooks;
    hooks.freeAllSurfaces = &Surface_FreeAll;
    hooks.resetSurfaceTarget = &ForgetTarget;
    GR_SetScreenHooks(hooks);
}

}  // namespace bw
