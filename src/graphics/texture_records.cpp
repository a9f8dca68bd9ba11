#include "graphics/texture_records.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/image_decode.h"
#include "graphics/vertex_batch.h"
#include "platform/console.h"
#include "platform/memory.h"

namespace bw {

namespace {

struct RenderTargetStack {
    DeviceTextureId entries[kRenderTargetStackSize] = {};
    int32_t depth = 0;
};
RenderTargetStack g_targets;

// A target saved in the stack is made current again by the pop above it.
// Once its texture is gone, what lay below it (at the bottom, the back
// buffer) takes its place, so that pop lands on a target that exists and
// the surface set above it is not left current.
void ForgetSavedTarget(DeviceTextureId texture)
{
    for (int32_t i = 0; i < g_targets.depth; ++i) {
        if (g_targets.entries[i] == texture) {
            g_targets.entries[i] = i > 0 ? g_targets.entries[i - 1] : 0;
        }
    }
}

uint32_t ReadU32(const uint8_t* bytes)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes, 4);
    return value;
}

uint32_t BytesPerPixel(uint32_t formatIndex)
{
    return formatIndex == TextureFormatA4R4G4B4 ? 2 : 4;
}

// Kind 0 pixels are R,G,B,A bytes; the device wants B,G,R,A.
void ConvertRawRgba(std::vector<uint8_t>& pixels)
{
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        std::swap(pixels[i], pixels[i + 2]);
    }
}

// Kind 1 pixels hold their four 4-bit fields in the reverse order.
void ConvertRaw4444(std::vector<uint8_t>& pixels)
{
    for (size_t i = 0; i + 1 < pixels.size(); i += 2) {
        const uint16_t value = static_cast<uint16_t>(pixels[i] | (pixels[i + 1] << 8));
        const uint16_t reversed = static_cast<uint16_t>(((value & 0xF) << 12) | ((value & 0xF0) << 4) |
                                                        ((value >> 4) & 0xF0) | ((value >> 12) & 0xF));
        pixels[i] = static_cast<uint8_t>(reversed);
        pixels[i + 1] = static_cast<uint8_t>(reversed >> 8);
    }
}

// The device replaces the whole of level 0 at once; the texture holds the
// only copy of the pixels from then on.
bool Upload(IGraphicsDevice& device, TextureRecord& record, const void* pixels, size_t pitch)
{
    if (!device.UpdateTexture(record.texture, pixels, static_cast<uint32_t>(pitch))) {
        Console().Printf("Failed CreateTexture on SystemMem");
        return false;
    }
    record.holdsPixels = true;
    return true;
}

// Level 0 as it stands, for an upload that covers only part of it: zero
// for a texture that was never filled, else read back from the device
// (zero where it cannot be read).
std::vector<uint32_t> CurrentTexels(IGraphicsDevice& device, const TextureRecord& record)
{
    const size_t bytesPerPixel = BytesPerPixel(record.GetFormatIndex());
    const size_t bytes = static_cast<size_t>(record.Width()) * static_cast<size_t>(record.Height()) * bytesPerPixel;
    std::vector<uint32_t> texels((bytes + 3) / 4, 0);
    if (record.holdsPixels && bytesPerPixel == 4) {
        // Queued drawing into the texture lands before it is read.
        GR_VB_Flush();
        if (!device.ReadRect(record.texture, 0, 0, record.Width(), record.Height(), texels.data())) {
            std::fill(texels.begin(), texels.end(), 0);
        }
    }
    return texels;
}

// A PNG, JPEG or GIF file on a power-of-two texture; the info tells the
// image's own size.
TextureRecord* LoadImageFile(const uint8_t* data, size_t size, TextureInfo* info)
{
    int32_t w = 0;
    int32_t h = 0;
    uint32_t* pixels = Image_Decode(data, size, &w, &h);
    if (pixels == nullptr) {
        return nullptr;
    }
    TextureRecord* record = GR_Texture_CreatePow2(pixels, w, h, info);
    MemoryManager_Free(pixels);
    if (info != nullptr) {
        info->width = static_cast<uint32_t>(w);
        info->height = static_cast<uint32_t>(h);
    }
    return record;
}

}  // namespace

uint32_t TextureFormat_ToDevice(uint32_t formatIndex)
{
    static constexpr uint32_t kFormats[] = {
        0xFFFFFFFFu, 0x31545844u, 0x32545844u, 0x33545844u, 0x34545844u, 0x35545844u,
        kFormatA8R8G8B8, 71, kFormatD24S8, kFormatR16F, kFormatR32F, kFormatA4R4G4B4,
    };
    return formatIndex < std::size(kFormats) ? kFormats[formatIndex] : formatIndex;
}

TextureRecord::TextureRecord(int32_t width, int32_t height, int32_t levels)
{
    SetWidth(width);
    SetHeight(height);
    SetLevels(levels);
}

void TextureRecord::SetWidth(int32_t width)
{
    m_packedSize = (m_packedSize & ~0x1FFFu) | (static_cast<uint32_t>(width - 1) & 0x1FFF);
}

void TextureRecord::SetHeight(int32_t height)
{
    m_packedSize = (m_packedSize & ~(0x1FFFu << 13)) | ((static_cast<uint32_t>(height - 1) & 0x1FFF) << 13);
}

void TextureRecord::SetLevels(int32_t levels)
{
    m_packedSize = (m_packedSize & 0x03FFFFFFu) | ((static_cast<uint32_t>(levels - 1) & 0x3F) << 26);
}

int32_t GR_NextPow2(int32_t n)
{
    int32_t size = 64;
    while (size < n && size < 4096) {
        size *= 2;
    }
    return size;
}

TextureRecord* GR_Texture_Create(int32_t w, int32_t h, int32_t levels, uint32_t usage, uint32_t formatIndex)
{
    IGraphicsDevice* device = Device_Get();
    const bool renderTarget = (usage & kTextureUsageRenderTarget) != 0;
    if (device == nullptr || w < 1 || h < 1 || static_cast<uint32_t>(w) > kMaxTextureSide ||
        static_cast<uint32_t>(h) > kMaxTextureSide) {
        return nullptr;
    }
    const int32_t width = renderTarget ? w : GR_NextPow2(w);
    const int32_t height = renderTarget ? h : GR_NextPow2(h);
    const DeviceTextureId texture =
        device->CreateTexture(width, height, TextureFormat_ToDevice(formatIndex), renderTarget);
    if (texture == 0) {
        // The device gives no reason; the line keeps its form with the
        // generic "invalid call" code.
        Console().Printf("CreateTexture failed - %08x\n", 0x8876086Cu);
        return nullptr;
    }
    auto* record = new TextureRecord(width, height, levels);
    record->SetFormatIndex(formatIndex);
    record->texture = texture;
    record->renderTarget = renderTarget;
    return record;
}

bool GR_Texture_CreateSysMem(TextureRecord* record, int32_t level, int32_t w, int32_t h, const void* pixels)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || record == nullptr || pixels == nullptr || level != 0) {
        return false;
    }
    const size_t bytesPerPixel = BytesPerPixel(record->GetFormatIndex());
    const size_t sourceStride = static_cast<size_t>(std::max(w, 0)) * bytesPerPixel;
    // An image that covers the whole texture goes to the device as it is;
    // what lies beyond the texture is left out.
    if (w >= record->Width() && h >= record->Height()) {
        return Upload(*device, *record, pixels, sourceStride);
    }
    std::vector<uint32_t> texels = CurrentTexels(*device, *record);
    const size_t stride = static_cast<size_t>(record->Width()) * bytesPerPixel;
    const size_t rowBytes = static_cast<size_t>(std::clamp(w, 0, record->Width())) * bytesPerPixel;
    const int32_t rows = std::clamp(h, 0, record->Height());
    auto* target = reinterpret_cast<uint8_t*>(texels.data());
    const auto* source = static_cast<const uint8_t*>(pixels);
    for (int32_t y = 0; y < rows; ++y) {
        std::memcpy(target + static_cast<size_t>(y) * stride, source + static_cast<size_t>(y) * sourceStride, rowBytes);
    }
    return Upload(*device, *record, texels.data(), stride);
}

TextureRecord* GR_Texture_CreatePow2(const uint32_t* pixels, int32_t w, int32_t h, TextureInfo* info)
{
    const int32_t textureWidth = GR_NextPow2(w);
    const int32_t textureHeight = GR_NextPow2(h);
    if (info != nullptr) {
        *info = TextureInfo{static_cast<uint32_t>(textureWidth), static_cast<uint32_t>(textureHeight), 32, 0,
                            TextureFormatA8R8G8B8, -1, TextureFormatA8R8G8B8};
    }
    TextureRecord* record = GR_Texture_Create(textureWidth, textureHeight, 0, 0, TextureFormatA8R8G8B8);
    if (record != nullptr) {
        GR_Texture_CreateSysMem(record, 0, w, h, pixels);
    }
    return record;
}

TextureRecord* GR_Texture_LoadFromMemory(const uint8_t* data, size_t size, TextureInfo* info, uint32_t formatIndex)
{
    (void)formatIndex;
    if (data == nullptr) {
        return nullptr;
    }
    if (size < 16 || ReadU32(data) != kRawTextureMagic) {
        return LoadImageFile(data, size, info);
    }
    const uint32_t width = ReadU32(data + 4);
    const uint32_t height = ReadU32(data + 8);
    const uint32_t kind = ReadU32(data + 12);
    if (kind > 1 || width < 1 || height < 1 || width > kMaxTextureSide || height > kMaxTextureSide) {
        return nullptr;
    }
    const uint32_t bytesPerPixel = kind == 0 ? 4 : 2;
    const uint64_t pixelBytes = uint64_t{width} * height * bytesPerPixel;
    if (pixelBytes > size - 16) {
        return nullptr;
    }
    // The package image is never written: convert a copy.
    std::vector<uint8_t> pixels(data + 16, data + 16 + pixelBytes);
    const uint32_t format = kind == 0 ? TextureFormatA8R8G8B8 : TextureFormatA4R4G4B4;
    if (kind == 0) {
        ConvertRawRgba(pixels);
    } else {
        ConvertRaw4444(pixels);
    }
    if (info != nullptr) {
        *info = TextureInfo{width, height, kind == 0 ? 32u : 16u, 0, format, -1, format};
    }
    TextureRecord* record =
        GR_Texture_Create(static_cast<int32_t>(width), static_cast<int32_t>(height), 0, 0, format);
    if (record == nullptr) {
        return nullptr;
    }
    GR_Texture_CreateSysMem(record, 0, static_cast<int32_t>(width), static_cast<int32_t>(height), pixels.data());
    return record;
}

void GR_Texture_Free(TextureRecord* record)
{
    if (record == nullptr) {
        return;
    }
    // The open batch must not draw with a texture that no longer exists.
    if (GR_VB_BatchTexture() == record) {
        GR_VB_Flush();
    }
    GR_VB_ForgetTexture(record);
    if (record->renderTarget) {
        ForgetSavedTarget(record->texture);
    }
    IGraphicsDevice* device = Device_Get();
    if (device != nullptr && record->texture != 0) {
        device->ReleaseTexture(record->texture);
    }
    delete record;
}

bool GR_PushRenderTarget()
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || g_targets.depth >= kRenderTargetStackSize) {
        return false;
    }
    g_targets.entries[g_targets.depth] = device->GetRenderTarget();
    ++g_targets.depth;
    return true;
}

bool GR_PopRenderTarget()
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || g_targets.depth <= 0) {
        return false;
    }
    GR_VB_Flush();
    if (!device->SetRenderTarget(g_targets.entries[g_targets.depth - 1])) {
        return false;
    }
    --g_targets.depth;
    g_targets.entries[g_targets.depth] = 0;
    return true;
}

void GR_PopAllRenderTargets()
{
    while (g_targets.depth > 0) {
        if (!GR_PopRenderTarget()) {
            // Without a device (or with a target that is gone) nothing can
            // be restored; the stack is emptied all the same.
            g_targets = RenderTargetStack();
        }
    }
}

bool GR_SetRenderTargetTexture(int32_t stage, TextureRecord* record)
{
    (void)stage;
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || record == nullptr) {
        return false;
    }
    GR_VB_Flush();
    return device->SetRenderTarget(record->texture);
}

int32_t GR_RenderTargetDepth()
{
    return g_targets.depth;
}

bool GR_ReplaceRenderTarget(DeviceTextureId from, DeviceTextureId to)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return false;
    }
    GR_VB_Flush();
    std::replace(g_targets.entries, g_targets.entries + g_targets.depth, from, to);
    return device->GetRenderTarget() == from && device->SetRenderTarget(to);
}

}  // namespace bw
