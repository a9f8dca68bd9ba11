#include "graphics/texture_records.h"

#include "recording_fixture.h"

namespace bw {
namespace {

using TextureRecordsTest = RecordingDeviceTest;

std::vector<uint8_t> RawBlob(uint32_t width, uint32_t height, uint32_t kind, const std::vector<uint8_t>& pixels)
{
    const uint32_t header[4] = {kRawTextureMagic, width, height, kind};
    std::vector<uint8_t> blob(sizeof(header) + pixels.size());
    std::memcpy(blob.data(), header, sizeof(header));
    std::copy(pixels.begin(), pixels.end(), blob.begin() + sizeof(header));
    return blob;
}

uint32_t TexturePixel(RecordingDevice* device, TextureRecord* record, int32_t x, int32_t y)
{
    uint32_t pixel = 0;
    device->ReadRect(record->texture, x, y, 1, 1, &pixel);
    return pixel;
}

TEST(TextureSizes, NextPowerOfTwoStaysBetween64And4096)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, 64}, {1, 64}, {64, 64}, {65, 128}, {100, 128}, {4096, 4096},
                                                 {5000, 4096}};
    for (const auto& [n, expected] : cases) {
        EXPECT_EQ(GR_NextPow2(n), expected) << n;
    }
}

TEST(TextureSizes, TheRecordPacksWidthHeightAndLevels)
{
    TextureRecord record(8192, 300, 3);
    EXPECT_EQ(record.Width(), 8192);
    EXPECT_EQ(record.Height(), 300);
    EXPECT_EQ(record.Levels(), 3);
}

TEST_F(TextureRecordsTest, OrdinaryTexturesAreRoundedUpAndRenderTargetsKeepTheirSize)
{
    TextureRecord* ordinary = GR_Texture_Create(100, 30, 1, 0, TextureFormatA8R8G8B8);
    TextureRecord* target = GR_Texture_Create(300, 200, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    ASSERT_NE(ordinary, nullptr);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(ordinary->Width(), 128);
    EXPECT_EQ(ordinary->Height(), 64);
    EXPECT_EQ(target->Width(), 300);
    EXPECT_EQ(target->Height(), 200);
    EXPECT_TRUE(target->renderTarget);
    GR_Texture_Free(ordinary);
    GR_Texture_Free(target);
    EXPECT_EQ(device->LiveTextures(), 0u);
}

TEST_F(TextureRecordsTest, AnImageWiderThanTheLargestTextureIsCropped)
{
    // 64 rows fill the texture's height (uploaded as they are), 2 do not.
    for (const int32_t rows : {2, 64}) {
        std::vector<uint32_t> pixels(5000 * static_cast<size_t>(rows), 0xFF00FF00u);
        pixels[4095] = 0xFF0000FFu;
        TextureInfo info{};
        TextureRecord* record = GR_Texture_CreatePow2(pixels.data(), 5000, rows, &info);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(info.width, 4096u);
        EXPECT_EQ(TexturePixel(device, record, 4095, 0), 0xFF0000FFu) << rows;
        EXPECT_EQ(TexturePixel(device, record, 0, 1), 0xFF00FF00u) << rows;
        GR_Texture_Free(record);
    }
}

TEST_F(TextureRecordsTest, APartialUploadKeepsTheTexelsItDoesNotCover)
{
    const std::vector<uint32_t> whole(64 * 64, 0xFF00FF00u);
    TextureRecord* record = GR_Texture_CreatePow2(whole.data(), 64, 64, nullptr);
    ASSERT_NE(record, nullptr);
    const uint32_t corner[4] = {0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu};
    ASSERT_TRUE(GR_Texture_CreateSysMem(record, 0, 2, 2, corner));
    EXPECT_EQ(TexturePixel(device, record, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(TexturePixel(device, record, 2, 0), 0xFF00FF00u);
    EXPECT_EQ(TexturePixel(device, record, 63, 63), 0xFF00FF00u);
    GR_Texture_Free(record);
}

TEST_F(TextureRecordsTest, A32BitRawBlobIsConvertedInACopy)
{
    const std::vector<uint8_t> blob = RawBlob(2, 1, 0, {0x11, 0x22, 0x33, 0x44, 0xAA, 0xBB, 0xCC, 0xDD});
    const std::vector<uint8_t> original = blob;
    TextureInfo info{};
    TextureRecord* record = GR_Texture_LoadFromMemory(blob.data(), blob.size(), &info, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(blob, original);
    EXPECT_EQ(info.width, 2u);
    EXPECT_EQ(info.bitsPerPixel, 32u);
    EXPECT_EQ(info.formatIndex, static_cast<uint32_t>(TextureFormatA8R8G8B8));
    // R, G, B, A bytes become 0xAARRGGBB.
    EXPECT_EQ(TexturePixel(device, record, 0, 0), 0x44112233u);
    EXPECT_EQ(TexturePixel(device, record, 1, 0), 0xDDAABBCCu);
    GR_Texture_Free(record);
}

TEST_F(TextureRecordsTest, A16BitRawBlobHasItsFieldsReversed)
{
    const std::vector<uint8_t> blob = RawBlob(1, 1, 1, {0x34, 0x12});  // 0x1234
    TextureInfo info{};
    TextureRecord* record = GR_Texture_LoadFromMemory(blob.data(), blob.size(), &info, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(info.bitsPerPixel, 16u);
    EXPECT_EQ(record->GetFormatIndex(), static_cast<uint32_t>(TextureFormatA4R4G4B4));
    EXPECT_EQ(TexturePixel(device, record, 0, 0) & 0xFFFF, 0x4321u);
    GR_Texture_Free(record);
}

TEST_F(TextureRecordsTest, MalformedRawBlobsAreRefused)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> blob;
    };
    const std::vector<Case> cases = {
        {"zero width", RawBlob(0, 1, 0, {})},
        {"too wide", RawBlob(8193, 1, 0, std::vector<uint8_t>(8193 * 4))},
        {"unknown kind", RawBlob(1, 1, 2, {1, 2, 3, 4})},
        {"short pixel data", RawBlob(2, 2, 0, std::vector<uint8_t>(15))},
        {"huge size claims", RawBlob(8192, 8192, 0, {1, 2, 3, 4})},
        {"header only", std::vector<uint8_t>{'R', 'A', 'W', ' ', 1, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GR_Texture_LoadFromMemory(c.blob.data(), c.blob.size(), nullptr, 0), nullptr) << c.what;
    }
    EXPECT_EQ(device->Count("CreateTexture"), 0u);
}

TEST_F(TextureRecordsTest, AFailedCreationReturnsNullAndLeavesNothingBehind)
{
    device->textureCreationsLeft = 0;
    EXPECT_EQ(GR_Texture_Create(32, 32, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8), nullptr);
    EXPECT_EQ(device->LiveTextures(), 0u);
}

TEST_F(TextureRecordsTest, TheRenderTargetStackHoldsEightEntries)
{
    for (int i = 0; i < kRenderTargetStackSize; ++i) {
        EXPECT_TRUE(GR_PushRenderTarget()) << i;
    }
    EXPECT_FALSE(GR_PushRenderTarget());
    EXPECT_EQ(GR_RenderTargetDepth(), kRenderTargetStackSize);
}

TEST_F(TextureRecordsTest, PopRestoresThePushedTarget)
{
    TextureRecord* surface = GR_Texture_Create(16, 16, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    ASSERT_TRUE(GR_PushRenderTarget());
    ASSERT_TRUE(GR_SetRenderTargetTexture(0, surface));
    EXPECT_EQ(device->GetRenderTarget(), surface->texture);
    EXPECT_TRUE(GR_PopRenderTarget());
    EXPECT_EQ(device->GetRenderTarget(), 0u);
    EXPECT_FALSE(GR_PopRenderTarget());
    GR_Texture_Free(surface);
}

TEST_F(TextureRecordsTest, PopAllWithoutADeviceStillEmptiesTheStack)
{
    GR_PushRenderTarget();
    GR_PushRenderTarget();
    Device_Set(nullptr);
    GR_PopAllRenderTargets();
    EXPECT_EQ(GR_RenderTargetDepth(), 0);
}

}  // namespace
}  // namespace bw
