// Sprites from image data (strips of frames in PNG, JPEG and GIF files),
// from surfaces and screens, and the edits game code makes: adding frames,
// merging, alpha from another sprite, copies.
#include <algorithm>
#include <iterator>

#include "graphics/bitmap.h"
#include "graphics/bitmap32.h"
#include "graphics/gif_image.h"
#include "graphics/jpeg_image.h"
#include "graphics/png_image.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "resources/sprite.h"
#include "script/error_report.h"

namespace bw {

namespace {

// The decoders all hand out memory-manager blocks of 0xAARRGGBB pixels.
using Decoder = uint32_t* (*)(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t flag);

std::unique_ptr<CBitmap32> BitmapFromImage(IBitmap* image, bool transparent, bool smooth, bool keepAlpha)
{
    return keepAlpha ? CBitmap32::CreateFromIBitmap32(image, transparent, smooth)
                     : CBitmap32::CreateFromImage(image, transparent, smooth);
}

}  // namespace

bool CSprite::LoadStrip(const uint32_t* pixels, int32_t imageWidth, int32_t imageHeight, bool isTransparent,
                        bool isSmooth, int32_t frames, bool keepAlpha)
{
    tagIConsole& console = Console();
    console.Printf("calling pLoader->Create\n");
    std::unique_ptr<BitmapLoader> loader;
    if (pixels != nullptr && imageWidth > 0 && imageHeight > 0) {
        loader = BitmapLoader_Create(pixels, imageWidth, imageHeight);
    }
    std::unique_ptr<TBitmap> image = loader != nullptr ? loader->GetBitmap(0) : nullptr;
    console.Printf("calling Clear()\n");
    Clear();
    transparent = isTransparent;
    smooth = isSmooth;
    // Kept alpha is taken as it is: no background removal, no smoothing.
    std::unique_ptr<CBitmap32> whole =
        image != nullptr ? CBitmap32::CreateFromSource(image.get(), isTransparent && !keepAlpha,
                                                       isSmooth && !keepAlpha, keepAlpha)
                         : nullptr;
    if (whole == nullptr || !whole->IsValid()) {
        console.Printf("CSprite::LoadStrip :: Unable to load sprite data\n");
        return false;
    }
    console.Printf("About to get widths and heights\n");
    // Every frame is at least one pixel wide, so a strip never yields more
    // frames than it has columns.
    frames = std::clamp(frames, 1, whole->Width());
    width = whole->Width() / frames;
    height = whole->Height();
    console.Printf("TBitmap has w=%d, h=%d\n", width, height);
    for (int32_t i = 0; i < frames; ++i) {
        m_bitmaps.push_back(CBitmap32::CreateSubImage(*whole, i * width, 0, width, height));
    }
    frameCount = frames;
    return true;
}

bool CSprite::LoadFromBitmap(const uint32_t* pixels, int32_t imageWidth, int32_t imageHeight, int32_t frames,
                             bool isPrecise, bool isTransparent, bool isSmooth, int32_t xOrigin, int32_t yOrigin,
                             bool keepAlpha)
{
    if (!LoadStrip(pixels, imageWidth, imageHeight, isTransparent, isSmooth, frames, keepAlpha)) {
        return false;
    }
    xorigin = xOrigin;
    yorigin = yOrigin;
    bboxMode = kSpriteBBoxAutomatic;
    preload = true;
    precise = isPrecise;
    InitTexture();
    InitLocalPageEntries();
    ComputeBoundingBox();
    BuildMasks();
    return true;
}

namespace {

bool LoadDecoded(CSprite& sprite, Decoder decode, void (*release)(uint32_t*), const uint8_t* data, size_t size,
                 int32_t frames, bool precise, bool transparent, bool smooth, int32_t xorigin, int32_t yorigin,
                 bool keepAlpha)
{
    int32_t w = 0;
    int32_t h = 0;
    uint32_t* pixels = data != nullptr ? decode(data, size, &w, &h, 0) : nullptr;
    if (pixels == nullptr) {
        return false;
    }
    const bool loaded =
        sprite.LoadFromBitmap(pixels, w, h, frames, precise, transparent, smooth, xorigin, yorigin, keepAlpha);
    release(pixels);
    return loaded;
}

void FreeBlock(uint32_t* pixels)
{
    MemoryManager_Free(pixels);
}

}  // namespace

bool CSprite::LoadFromFile(const uint8_t* data, size_t size, int32_t frames, bool isPrecise, bool isTransparent,
                           bool isSmooth, int32_t xOrigin, int32_t yOrigin, bool keepAlpha)
{
    return LoadDecoded(*this, &PNG_LoadImage, &PNG_FreeImage, data, size, frames, isPrecise, isTransparent,
                       isSmooth, xOrigin, yOrigin, keepAlpha);
}

bool CSprite::LoadFromJPEG(const uint8_t* data, size_t size, int32_t frames, bool isPrecise, bool isTransparent,
                           bool isSmooth, int32_t xOrigin, int32_t yOrigin, bool keepAlpha)
{
    return LoadDecoded(*this, &Image_DecodeJPEG, &FreeBlock, data, size, frames, isPrecise, isTransparent, isSmooth,
                       xOrigin, yOrigin, keepAlpha);
}

bool CSprite::LoadFromGIF(const uint8_t* data, size_t size, int32_t frames, bool isPrecise, bool isTransparent,
                          bool isSmooth, int32_t xOrigin, int32_t yOrigin, bool keepAlpha)
{
    return LoadDecoded(*this, &Image_DecodeGIF, &FreeBlock, data, size, frames, isPrecise, isTransparent, isSmooth,
                       xOrigin, yOrigin, keepAlpha);
}

bool CSprite::LoadImageFile(const char* fileName, int32_t frames, bool isPrecise, bool isTransparent, bool isSmooth,
                            bool /*preload*/, int32_t xOrigin, int32_t yOrigin, bool keepAlpha)
{
    char path[4096];
    if (fileName == nullptr || !LoadSave_PathFind(path, sizeof path, fileName)) {
        return false;
    }
    // Read from the path the save-first rule found, not from either area
    // again: a save-area copy must win over the program's own.
    size_t size = 0;
    uint8_t* data = LoadSave_ReadWholeFile(path, &size);
    if (data == nullptr) {
        return false;
    }
    const bool loaded =
        LoadFromFile(data, size, frames, isPrecise, isTransparent, isSmooth, xOrigin, yOrigin, keepAlpha);
    MemoryManager_Free(data);
    return loaded;
}

bool CSprite::InitFromSurface(IBitmap* image, bool isPrecise, bool isTransparent, bool isSmooth, bool isPreload,
                              int32_t xOrigin, int32_t yOrigin, bool keepAlpha)
{
    Clear();
    std::unique_ptr<CBitmap32> bitmap =
        image != nullptr ? BitmapFromImage(image, isTransparent, isSmooth, keepAlpha) : nullptr;
    if (bitmap == nullptr || !bitmap->IsValid()) {
        return false;
    }
    width = bitmap->Width();
    height = bitmap->Height();
    frameCount = 1;
    precise = isPrecise;
    transparent = isTransparent;
    smooth = isSmooth;
    preload = isPreload;
    xorigin = xOrigin;
    yorigin = yOrigin;
    bboxMode = kSpriteBBoxAutomatic;
    m_bitmaps.push_back(std::move(bitmap));
    tagIConsole& console = Console();
    console.Printf("Init Texture\n");
    InitTexture();
    console.Printf("Init local TPE\n");
    InitLocalPageEntries();
    console.Printf("Compute Bounding Box\n");
    ComputeBoundingBox();
    console.Printf("Create Mask\n");
    BuildMasks();
    return true;
}

bool CSprite::AddFromSurface(IBitmap* image, bool isTransparent, bool isSmooth, bool keepAlpha)
{
    if (UsesPackageEntries()) {
        return false;
    }
    std::unique_ptr<CBitmap32> bitmap =
        image != nullptr ? BitmapFromImage(image, isTransparent, isSmooth, keepAlpha) : nullptr;
    if (bitmap == nullptr || !bitmap->IsValid()) {
        return false;
    }
    if (frameCount == 0) {
        width = bitmap->Width();
        height = bitmap->Height();
    }
    bitmap->Resize(width, height);
    m_bitmaps.push_back(std::move(bitmap));
    frameCount = static_cast<int32_t>(m_bitmaps.size());
    RebuildAfterFrameChange();
    return true;
}

bool CSprite::Merge(const CSprite& other)
{
    if (frameCount == 0) {
        width = other.width;
        height = other.height;
    }
    if (m_bitmaps.empty() && frameCount > 0) {
        Code_Error_Runtime("sprite_merge() requires the destination sprite to have been duplicated", false);
        return false;
    }
    if (other.m_bitmaps.empty()) {
        Code_Error_Runtime("sprite_merge() requires the source sprite to have been duplicated", false);
        return false;
    }
    // Copy every frame before appending any: merging a sprite with itself
    // would otherwise grow (and reallocate) the list being read.
    std::vector<std::unique_ptr<CBitmap32>> copies;
    copies.reserve(other.m_bitmaps.size());
    for (const auto& frame : other.m_bitmaps) {
        copies.push_back(CBitmap32::CreateCopy(*frame));
        copies.back()->Resize(width, height);
    }
    std::move(copies.begin(), copies.end(), std::back_inserter(m_bitmaps));
    frameCount = static_cast<int32_t>(m_bitmaps.size());
    RebuildAfterFrameChange();
    return true;
}

void CSprite::SetAlphaFromSprite(const CSprite& other)
{
    if (other.frameCount <= 0 || other.m_bitmaps.empty() || UsesPackageEntries() || other.UsesPackageEntries()) {
        return;
    }
    for (size_t i = 0; i < m_bitmaps.size(); ++i) {
        m_bitmaps[i]->AlphaFromBitmap(*other.m_bitmaps[i % other.m_bitmaps.size()]);
    }
    FreeOwnedEntries();
    InitTexture();
    InitLocalPageEntries();
}

std::unique_ptr<CBitmap32> CSprite::ReadFrameBitmap(int32_t frame)
{
    const TexturePageEntry* entry = GetPageEntry(frame);
    TextureRecord* record = entry != nullptr ? Texture_Get(entry->textureId) : nullptr;
    if (record == nullptr || width <= 0 || height <= 0) {
        return nullptr;
    }
    const std::vector<uint32_t> pixels =
        GR_D3D_ReadTextureRect(record, entry->sourceX, entry->sourceY, entry->sourceWidth, entry->sourceHeight);
    const size_t expected = static_cast<size_t>(std::max<int16_t>(entry->sourceWidth, 0)) *
                            static_cast<size_t>(std::max<int16_t>(entry->sourceHeight, 0));
    if (pixels.empty() || pixels.size() < expected) {
        return nullptr;
    }
    auto bitmap = std::make_unique<CBitmap32>(width, height, 0);
    bitmap->SetAlpha(0);
    uint32_t* out = bitmap->Pixels();
    // The stored image sits at its offset inside the untrimmed frame.
    for (int32_t v = 0; v < entry->sourceHeight; ++v) {
        const int32_t y = entry->targetY + v;
        for (int32_t u = 0; u < entry->sourceWidth; ++u) {
            const int32_t x = entry->targetX + u;
            if (x >= 0 && y >= 0 && x < width && y < height) {
                out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    pixels[static_cast<size_t>(v) * static_cast<size_t>(entry->sourceWidth) +
                           static_cast<size_t>(u)];
            }
        }
    }
    return bitmap;
}

bool CSprite::MakeBitmaps()
{
    std::vector<std::unique_ptr<CBitmap32>> bitmaps;
    for (int32_t i = 0; i < frameCount; ++i) {
        std::unique_ptr<CBitmap32> frame = ReadFrameBitmap(i);
        if (frame == nullptr) {
            return false;
        }
        bitmaps.push_back(std::move(frame));
    }
    m_bitmaps = std::move(bitmaps);
    return true;
}

bool CSprite::TakeOwnFrames()
{
    if (!MakeBitmaps()) {
        return false;
    }
    m_packageEntryOffsets.clear();
    m_pageEntries.clear();
    // Masks can be built from its own frames from now on.
    m_packageMasks.clear();
    InitTexture();
    InitLocalPageEntries();
    return true;
}

void CSprite::Assign(const CSprite& source)
{
    Clear();
    width = source.width;
    height = source.height;
    bboxLeft = source.bboxLeft;
    bboxTop = source.bboxTop;
    bboxRight = source.bboxRight;
    bboxBottom = source.bboxBottom;
    transparent = source.transparent;
    smooth = source.smooth;
    preload = source.preload;
    bboxMode = source.bboxMode;
    precise = source.precise;
    xorigin = source.xorigin;
    yorigin = source.yorigin;
    frameCount = source.frameCount;
    radius = source.radius;
    if (source.UsesPackageEntries()) {
        m_packageEntryOffsets = source.m_packageEntryOffsets;
        m_pageEntries.assign(m_packageEntryOffsets.size(), nullptr);
        // Its frames cannot be read back to build masks: the copy takes the
        // source's.
        m_masks = source.m_masks;
        m_packageMasks = source.m_packageMasks;
        hasMasks = source.hasMasks;
        sharedMask = source.sharedMask;
    }
    for (const auto& bitmap : source.m_bitmaps) {
        m_bitmaps.push_back(CBitmap32::CreateCopy(*bitmap));
    }
    InitTexture();
    if (!UsesPackageEntries()) {
        InitLocalPageEntries();
    }
    BuildMasks();
}

}  // namespace bw
