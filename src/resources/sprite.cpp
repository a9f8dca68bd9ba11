// The sprite record: its SPRT reader, textures and page entries, bounding
// box and collision masks.
#include "resources/sprite.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "graphics/bitmap32.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "platform/package_view.h"

namespace bw {

namespace {

constexpr uint32_t kWordSize = 4;
constexpr uint32_t kFrameCountWord = 14;
constexpr uint32_t kPageEntrySize = sizeof(TexturePageEntry);

uint32_t Word(const PackageView& package, uint64_t at)
{
    uint32_t value = 0;
    package.ReadU32(at, value);
    return value;
}

int32_t SignedWord(const PackageView& package, uint64_t at)
{
    return static_cast<int32_t>(Word(package, at));
}

// ceil(sqrt(dx^2 + dy^2)) on 32-bit floats, like the stored radius always
// was; differences are taken in 64 bits so extreme origins cannot overflow.
int32_t CornerDistance(int64_t dx, int64_t dy)
{
    const auto fx = static_cast<float>(dx);
    const auto fy = static_cast<float>(dy);
    const float distance = std::ceil(std::sqrt(fx * fx + fy * fy));
    return distance < 2147483520.0f ? static_cast<int32_t>(distance) : std::numeric_limits<int32_t>::max();
}

// A trimmed entry stores only part of the frame: the rest is transparent.
bool IsTrimmed(const TexturePageEntry& entry, int32_t width, int32_t height)
{
    return entry.targetX > 0 || entry.targetY > 0 || entry.targetX + entry.sourceWidth < width ||
           entry.targetY + entry.sourceHeight < height;
}

int16_t ToInt16(int32_t value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(value, 0, std::numeric_limits<int16_t>::max()));
}

}  // namespace

CSprite::CSprite()
{
    Clear();
}

CSprite::~CSprite()
{
    Clear();
}

void CSprite::Clear()
{
    FreeOwnedEntries();
    FreeTextures();
    m_textures.clear();
    m_bitmaps.clear();
    m_packageEntryOffsets.clear();
    m_pageEntries.clear();
    frameCount = 0;
    bboxLeft = bboxTop = bboxRight = bboxBottom = 0;
    bboxMode = kSpriteBBoxAutomatic;
    xorigin = yorigin = 0;
    width = height = 1;
    radius = 0;
    transparent = true;
    smooth = false;
    preload = true;
    precise = true;
    FreeMasks();
    m_packageMasks.clear();
}

bool CSprite::LoadFromChunk(const PackageView& package, uint32_t recordOffset, std::string* error)
{
    Clear();
    const uint64_t record = recordOffset;
    if (!package.Contains(record, uint64_t{kFrameCountWord + 1} * kWordSize)) {
        *error = "the record lies outside the package";
        return false;
    }
    if (package.String(Word(package, record)) == nullptr) {
        *error = "the name lies outside the package";
        return false;
    }
    width = SignedWord(package, record + 1 * kWordSize);
    height = SignedWord(package, record + 2 * kWordSize);
    bboxLeft = SignedWord(package, record + 3 * kWordSize);
    bboxRight = SignedWord(package, record + 4 * kWordSize);
    bboxBottom = SignedWord(package, record + 5 * kWordSize);
    bboxTop = SignedWord(package, record + 6 * kWordSize);
    transparent = Word(package, record + 7 * kWordSize) != 0;
    smooth = Word(package, record + 8 * kWordSize) != 0;
    preload = Word(package, record + 9 * kWordSize) != 0;
    bboxMode = SignedWord(package, record + 10 * kWordSize);
    precise = Word(package, record + 11 * kWordSize) != 0;
    xorigin = SignedWord(package, record + 12 * kWordSize);
    yorigin = SignedWord(package, record + 13 * kWordSize);
    if (width < 0 || height < 0) {
        *error = "the frame size is negative";
        return false;
    }
    const uint32_t frames = Word(package, record + kFrameCountWord * kWordSize);
    const uint64_t entries = record + uint64_t{kFrameCountWord + 1} * kWordSize;
    // The entry list and the mask count word after it.
    if (!package.Contains(entries, (uint64_t{frames} + 1) * kWordSize)) {
        *error = "the frame list runs past the end of the package";
        return false;
    }
    m_packageEntryOffsets.reserve(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        const uint32_t entry = Word(package, entries + uint64_t{i} * kWordSize);
        if (entry == 0 || !package.Contains(entry, kPageEntrySize)) {
            *error = "a frame's texture page entry lies outside the package";
            m_packageEntryOffsets.clear();
            return false;
        }
        m_packageEntryOffsets.push_back(entry);
    }
    m_pageEntries.assign(frames, nullptr);
    frameCount = static_cast<int32_t>(frames);

    const uint64_t maskCountAt = entries + uint64_t{frames} * kWordSize;
    const int32_t maskCount = SignedWord(package, maskCountAt);
    if (maskCount < 1) {
        return true;
    }
    const uint64_t rowBytes = (static_cast<uint64_t>(width) + 7) / 8;
    const uint64_t maskBytes = rowBytes * static_cast<uint64_t>(height);
    // A frame without pixels has nothing a mask could hold.
    if (maskBytes == 0) {
        return true;
    }
    const uint64_t masksAt = maskCountAt + kWordSize;
    // Checked by division first: the product of untrusted sizes may not fit.
    const bool fits = static_cast<uint64_t>(maskCount) <= package.Size() / maskBytes;
    const uint8_t* bits = fits ? package.Bytes(masksAt, maskBytes * static_cast<uint64_t>(maskCount)) : nullptr;
    if (bits == nullptr) {
        *error = "the collision masks run past the end of the package";
        return false;
    }
    sharedMask = static_cast<uint32_t>(maskCount) != frames;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    m_masks.assign(static_cast<size_t>(maskCount), std::vector<uint8_t>(pixels, 0));
    for (int32_t m = 0; m < maskCount; ++m) {
        const uint8_t* maskBits = bits + static_cast<size_t>(m) * maskBytes;
        uint8_t* out = m_masks[static_cast<size_t>(m)].data();
        for (int32_t v = 0; v < height; ++v) {
            const uint8_t* row = maskBits + static_cast<size_t>(v) * rowBytes;
            for (int32_t u = 0; u < width; ++u) {
                const bool solid = (row[u >> 3] & (0x80 >> (u & 7))) != 0;
                out[static_cast<size_t>(v) * static_cast<size_t>(width) + static_cast<size_t>(u)] = solid ? 1 : 0;
            }
        }
    }
    hasMasks = true;
    ComputeRadius();
    return true;
}

void CSprite::ComputeRadius()
{
    const int64_t w = width;
    const int64_t h = height;
    const int64_t xo = xorigin;
    const int64_t yo = yorigin;
    radius = std::max({CornerDistance(xo, yo), CornerDistance(w - xo, yo), CornerDistance(xo, h - yo),
                       CornerDistance(w - xo, h - yo)});
}

void CSprite::FreeMasks()
{
    m_masks.clear();
    hasMasks = false;
    sharedMask = false;
}

void CSprite::FreeOwnedEntries()
{
    for (const auto& entry : m_ownedEntries) {
        TexturePage_ReleaseHandle(entry.get());
    }
    m_ownedEntries.clear();
    if (!UsesPackageEntries()) {
        m_pageEntries.clear();
    }
}

void CSprite::FreeTextures()
{
    for (int32_t& texture : m_textures) {
        if (texture >= 0) {
            Texture_Free(texture);
        }
        texture = -1;
    }
}

void CSprite::InitTexture()
{
    FreeTextures();
    m_textures.clear();
    if (UsesPackageEntries()) {
        return;
    }
    for (const auto& bitmap : m_bitmaps) {
        const int32_t texture = Texture_CreateFromBitmap(bitmap.get());
        if (preload && texture >= 0) {
            Texture_Preload(texture);
        }
        m_textures.push_back(texture);
    }
}

void CSprite::InitLocalPageEntries()
{
    if (UsesPackageEntries()) {
        return;
    }
    FreeOwnedEntries();
    for (size_t i = 0; i < m_bitmaps.size(); ++i) {
        const int16_t w = ToInt16(m_bitmaps[i]->Width());
        const int16_t h = ToInt16(m_bitmaps[i]->Height());
        const int32_t texture = i < m_textures.size() ? m_textures[i] : -1;
        auto entry = std::make_unique<TexturePageEntry>(
            TexturePageEntry{0, 0, w, h, 0, 0, w, h, w, h, static_cast<int16_t>(std::clamp(texture, -1, 32767))});
        m_pageEntries.push_back(entry.get());
        m_ownedEntries.push_back(std::move(entry));
    }
}

int32_t CSprite::FrameIndex(int32_t frame) const
{
    if (frameCount <= 0) {
        return -1;
    }
    const int32_t index = frame % frameCount;
    return index < 0 ? index + frameCount : index;
}

TexturePageEntry* CSprite::GetPageEntry(int32_t frame)
{
    const int32_t index = FrameIndex(frame);
    if (index < 0 || static_cast<size_t>(index) >= m_pageEntries.size()) {
        return nullptr;
    }
    TexturePageEntry*& entry = m_pageEntries[static_cast<size_t>(index)];
    if (entry == nullptr && UsesPackageEntries()) {
        entry = TPAG_FindByOffset(m_packageEntryOffsets[static_cast<size_t>(index)]);
    }
    return entry;
}

int32_t CSprite::GetFrameTexture(int32_t frame)
{
    const int32_t index = FrameIndex(frame);
    if (index < 0) {
        return -1;
    }
    if (!m_pageEntries.empty()) {
        return TexturePage_Handle(GetPageEntry(index));
    }
    return static_cast<size_t>(index) < m_textures.size() ? m_textures[static_cast<size_t>(index)] : -1;
}

bool CSprite::GetFrameBox(int32_t frame, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom)
{
    const int32_t index = FrameIndex(frame);
    if (index < 0) {
        return false;
    }
    const TexturePageEntry* entry = GetPageEntry(index);
    if (entry != nullptr && IsTrimmed(*entry, width, height)) {
        *left = entry->targetX;
        *top = entry->targetY;
        *right = entry->targetX + entry->sourceWidth;
        *bottom = entry->targetY + entry->sourceHeight;
        return true;
    }
    // An entry that stores the whole frame tells nothing of where its
    // pixels lie: they are measured.
    std::unique_ptr<CBitmap32> readBack;
    const CBitmap32* bitmap = GetFrameBitmap(index);
    if (bitmap == nullptr && entry != nullptr) {
        readBack = ReadFrameBitmap(index);
        bitmap = readBack.get();
    }
    const BitmapBox box = bitmap != nullptr ? bitmap->OpaqueBounds() : BitmapBox{0, 0, -1, -1};
    if (box.left > box.right || box.top > box.bottom) {
        *left = 0;
        *top = 0;
        *right = width;
        *bottom = height;
        return true;
    }
    *left = box.left;
    *top = box.top;
    *right = box.right + 1;
    *bottom = box.bottom + 1;
    return true;
}

const CBitmap32* CSprite::GetFrameBitmap(int32_t frame) const
{
    if (frame < 0 || static_cast<size_t>(frame) >= m_bitmaps.size()) {
        return nullptr;
    }
    return m_bitmaps[static_cast<size_t>(frame)].get();
}

void CSprite::ComputeBoundingBox()
{
    ComputeRadius();
    if (bboxMode == kSpriteBBoxManual) {
        return;
    }
    if (bboxMode == kSpriteBBoxFullImage || !transparent) {
        bboxLeft = 0;
        bboxTop = 0;
        bboxRight = width - 1;
        bboxBottom = height - 1;
        return;
    }
    if (frameCount <= 0) {
        bboxLeft = bboxTop = bboxRight = bboxBottom = 0;
        return;
    }
    // Package frames have no bitmaps to measure; their stored box stands.
    if (m_bitmaps.empty()) {
        return;
    }
    bboxLeft = width - 1;
    bboxTop = height - 1;
    bboxRight = 0;
    bboxBottom = 0;
    for (const auto& bitmap : m_bitmaps) {
        const BitmapBox box = bitmap->OpaqueBounds();
        if (box.left > box.right || box.top > box.bottom) {
            continue;
        }
        bboxLeft = std::min(bboxLeft, box.left);
        bboxTop = std::min(bboxTop, box.top);
        bboxRight = std::max(bboxRight, box.right);
        bboxBottom = std::max(bboxBottom, box.bottom);
    }
}

void CSprite::BuildMasks()
{
    // Package frames cannot be read back to build masks again: the package's
    // own masks stay, and the precise flag alone decides whether tests read
    // them.
    if (UsesPackageEntries()) {
        return;
    }
    FreeMasks();
    if (!precise || !transparent || frameCount <= 0) {
        return;
    }
    for (const auto& bitmap : m_bitmaps) {
        std::vector<uint8_t> mask(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        const int32_t w = std::min(width, bitmap->Width());
        const int32_t h = std::min(height, bitmap->Height());
        const uint32_t* pixels = bitmap->Pixels();
        for (int32_t v = 0; v < h; ++v) {
            for (int32_t u = 0; u < w; ++u) {
                const uint32_t pixel =
                    pixels[static_cast<size_t>(v) * static_cast<size_t>(bitmap->Width()) + static_cast<size_t>(u)];
                mask[static_cast<size_t>(v) * static_cast<size_t>(width) + static_cast<size_t>(u)] =
                    (pixel >> 24) >= 1 ? 1 : 0;
            }
        }
        m_masks.push_back(std::move(mask));
    }
    hasMasks = true;
}

void CSprite::CreateCollisionMask(bool separate, int32_t mode, int32_t left, int32_t top, int32_t right,
                                  int32_t bottom, int32_t kind, int32_t tolerance)
{
    // As in BuildMasks: package frames cannot be read back, so a precise
    // mask of such a sprite is the one the package carries. A shape needs no
    // pixels: it is built, and the package's masks wait aside for a later
    // precise mask.
    if (UsesPackageEntries()) {
        if (kind == kSpriteMaskPrecise) {
            if (!m_packageMasks.empty()) {
                m_masks = std::move(m_packageMasks);
                m_packageMasks.clear();
                hasMasks = true;
            }
            return;
        }
        if (m_packageMasks.empty()) {
            m_packageMasks = std::move(m_masks);
        }
    }
    FreeMasks();
    if (mode == kSpriteBBoxAutomatic || mode == kSpriteBBoxFullImage) {
        bboxLeft = 0;
        bboxTop = 0;
        bboxRight = width - 1;
        bboxBottom = height - 1;
    } else if (mode >= kSpriteBBoxManual) {
        bboxLeft = left;
        bboxTop = top;
        bboxRight = right;
        bboxBottom = bottom;
    }
    // Only the part of the box inside the frame can hold solid pixels.
    const int32_t x0 = std::max(bboxLeft, 0);
    const int32_t y0 = std::max(bboxTop, 0);
    const int32_t x1 = std::min(bboxRight, width - 1);
    const int32_t y1 = std::min(bboxBottom, height - 1);
    const int32_t cx = static_cast<int32_t>((int64_t{bboxLeft} + bboxRight) / 2);
    const int32_t cy = static_cast<int32_t>((int64_t{bboxTop} + bboxBottom) / 2);
    const double rx = static_cast<double>(cx) - bboxLeft + 0.5;
    const double ry = static_cast<double>(cy) - bboxTop + 0.5;
    const bool shaped = rx > 0.0 && ry > 0.0;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    const auto solidAt = [&](size_t frame, int32_t x, int32_t y) {
        switch (kind) {
            case kSpriteMaskPrecise: {
                const CBitmap32& bitmap = *m_bitmaps[frame];
                if (x >= bitmap.Width() || y >= bitmap.Height()) {
                    return false;
                }
                const uint32_t pixel =
                    bitmap.Pixels()[static_cast<size_t>(y) * static_cast<size_t>(bitmap.Width()) + static_cast<size_t>(x)];
                return static_cast<int32_t>(pixel >> 24) > tolerance;
            }
            case kSpriteMaskRectangle:
                return true;
            case kSpriteMaskEllipse: {
                const double dx = (x - cx) / rx;
                const double dy = (y - cy) / ry;
                return shaped && dx * dx + dy * dy < 1.0;
            }
            case kSpriteMaskDiamond:
                return shaped && std::fabs((x - cx) / rx) + std::fabs((y - cy) / ry) < 1.0;
            default:
                return false;
        }
    };
    // Without separate masks one mask holds every frame's solid pixels.
    const size_t frames = UsesPackageEntries() ? static_cast<size_t>(std::max(frameCount, 0)) : m_bitmaps.size();
    const size_t maskCount = separate ? frames : std::min<size_t>(frames, 1);
    m_masks.assign(maskCount, std::vector<uint8_t>(pixels, 0));
    for (size_t f = 0; f < frames && maskCount > 0; ++f) {
        std::vector<uint8_t>& mask = m_masks[separate ? f : 0];
        for (int32_t y = y0; y <= y1; ++y) {
            for (int32_t x = x0; x <= x1; ++x) {
                if (solidAt(f, x, y)) {
                    mask[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = 1;
                }
            }
        }
    }
    sharedMask = maskCount != static_cast<size_t>(frameCount);
    hasMasks = true;
}

void CSprite::SetBBoxMode(int32_t mode)
{
    if (mode >= kSpriteBBoxAutomatic && mode <= kSpriteBBoxManual && mode != bboxMode) {
        bboxMode = mode;
        ComputeBoundingBox();
    }
}

void CSprite::SetBBox(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (bboxMode == kSpriteBBoxManual) {
        bboxLeft = left;
        bboxTop = top;
        bboxRight = right;
        bboxBottom = bottom;
    }
}

void CSprite::SetPrecise(bool flag)
{
    if (flag != precise) {
        precise = flag;
        BuildMasks();
    }
}

const uint8_t* CSprite::GetMask(int32_t frame) const
{
    if (!hasMasks || m_masks.empty()) {
        return nullptr;
    }
    const auto count = static_cast<int32_t>(m_masks.size());
    int32_t index = frame % count;
    if (index < 0) {
        index += count;
    }
    return m_masks[static_cast<size_t>(index)].data();
}

void CSprite::RebuildAfterFrameChange()
{
    FreeOwnedEntries();
    InitTexture();
    InitLocalPageEntries();
    ComputeBoundingBox();
    BuildMasks();
}

}  // namespace bw
