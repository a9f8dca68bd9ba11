// A TextureRecord is the engine's handle of one device texture: the device
// texture (render targets draw straight into it and carry their own depth
// buffer) and the packed size and format. The device holds the only copy of
// the pixels: whoever needs them back reads them from it. Sprites,
// backgrounds and fonts use ordinary textures (powers of two from 64 to
// 4096); surfaces and the screen are render targets of exact size.
// This module also keeps the stack of saved render targets through which
// drawing is redirected into a surface and back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/device/device.h"

namespace bw {

// Index into the format table below; larger values are device formats as they stand.
enum TextureFormatIndex : uint32_t {
    TextureFormatNone = 0,
    TextureFormatDXT1 = 1,
    TextureFormatA8R8G8B8 = 6,
    TextureFormatD32 = 7,
    TextureFormatD24S8 = 8,
    TextureFormatR16F = 9,
    TextureFormatR32F = 10,
    TextureFormatA4R4G4B4 = 11,
};
uint32_t TextureFormat_ToDevice(uint32_t formatIndex);

inline constexpr uint32_t kTextureUsageRenderTarget = 1;
inline constexpr uint32_t kMaxTextureSide = 8192;

class TextureRecord {
public:
    TextureRecord(int32_t width, int32_t height, int32_t levels);
    TextureRecord(const TextureRecord&) = delete;
    TextureRecord& operator=(const TextureRecord&) = delete;

    // The size is packed in one word: bits 0-12 width - 1, 13-25 height - 1,
    // 26-31 level count - 1.
    int32_t Width() const { return static_cast<int32_t>(m_packedSize & 0x1FFF) + 1; }
    int32_t Height() const { return static_cast<int32_t>((m_packedSize >> 13) & 0x1FFF) + 1; }
    int32_t Levels() const { return static_cast<int32_t>(m_packedSize >> 26) + 1; }
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);
    void SetLevels(int32_t levels);
    uint32_t GetFormatIndex() const { return m_formatIndex; }
    void SetFormatIndex(uint32_t formatIndex) { m_formatIndex = formatIndex; }

    DeviceTextureId texture = 0;
    bool renderTarget = false;
    bool holdsPixels = false;  // level 0 has been filled by an upload

private:
    uint32_t m_formatIndex = 0;
    uint32_t m_packedSize = 0;
};

// What the loaders tell their caller about an image.
struct TextureInfo {
    uint32_t width;
    uint32_t height;
    uint32_t bitsPerPixel;
    uint32_t mipLevels;
    uint32_t formatIndex;
    int32_t resourceType;
    uint32_t imageFileFormat;
};

// "RAW " blobs of the package: magic, width, height, kind (0: R,G,B,A bytes;
// 1: 16-bit 4-4-4-4 with the fields in reverse order), then the pixels.
inline constexpr uint32_t kRawTextureMagic = 0x20574152;

// The smallest power of two from 64 up that is >= n, at most 4096.
int32_t GR_NextPow2(int32_t n);

// Null when the device cannot make it (the console says why).
TextureRecord* GR_Texture_Create(int32_t w, int32_t h, int32_t levels, uint32_t usage, uint32_t formatIndex);
// A power-of-two A8R8G8B8 texture holding w x h pixels (0xAARRGGBB) at its top left.
TextureRecord* GR_Texture_CreatePow2(const uint32_t* pixels, int32_t w, int32_t h, TextureInfo* info);
// A texture from an image in memory; null when it cannot be read.
TextureRecord* GR_Texture_LoadFromMemory(const uint8_t* data, size_t size, TextureInfo* info, uint32_t formatIndex);
// Puts w x h pixels at the top left of level 0 (cropped to the texture);
// the texels they do not cover keep what the texture held.
bool GR_Texture_CreateSysMem(TextureRecord* record, int32_t level, int32_t w, int32_t h, const void* pixels);
void GR_Texture_Free(TextureRecord* record);

// The render-target stack (8 entries).
inline constexpr int32_t kRenderTargetStackSize = 8;
bool GR_PushRenderTarget();
bool GR_PopRenderTarget();
void GR_PopAllRenderTargets();
bool GR_SetRenderTargetTexture(int32_t stage, TextureRecord* record);
int32_t GR_RenderTargetDepth();
// Puts `to` in place of `from` in the stack and, when `from` is the current
// target, makes `to` current (with a full viewport): drawing moves to
// another target without unwinding. True when the current target changed.
bool GR_ReplaceRenderTarget(DeviceTextureId from, DeviceTextureId to);

}  // namespace bw
