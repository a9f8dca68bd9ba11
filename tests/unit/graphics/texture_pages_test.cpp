// TPAG and TXTR: page entries bound to the textures of their page images; handles.
#include "graphics/texture_pages.h"

#include "graphics/draw_textured.h"

#include "draw_fixture.h"
#include "platform/package_loader.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

// Builds a package image word by word; offsets are from its start.
class PackageBytes {
public:
    uint32_t Here() const { return static_cast<uint32_t>(bytes.size()); }
    void U32(uint32_t value) { Append(&value, 4); }
    void I16(int16_t value) { Append(&value, 2); }
    void Append(const void* data, size_t size)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    void Patch(uint32_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
    std::vector<uint8_t> bytes = std::vector<uint8_t>(8, 0);  // a stand-in for the FORM header
};

// A square RAW page image of one colour (R, G, B, A bytes).
void RawPage(PackageBytes& p, uint8_t red, uint32_t side = 2)
{
    p.U32(kRawTextureMagic);
    p.U32(side);
    p.U32(side);
    p.U32(0);
    for (uint32_t i = 0; i < side * side; ++i) {
        const uint8_t pixel[4] = {red, 0, 0, 255};
        p.Append(pixel, 4);
    }
}

class TexturePages : public DrawTest {
protected:
    // TPAG with three entries (pages 1, 0 and the missing 7), then TXTR
    // with two pages.
    void SetUp() override
    {
        DrawTest::SetUp();
        tpag = package.Here();
        package.U32(3);
        const uint32_t slots = package.Here();
        package.U32(0);
        package.U32(0);
        package.U32(0);
        const int16_t pages[3] = {1, 0, 7};
        for (int i = 0; i < 3; ++i) {
            entryOffsets[i] = package.Here();
            package.Patch(slots + 4 * static_cast<uint32_t>(i), entryOffsets[i]);
            for (int16_t field : {int16_t(0), int16_t(0), int16_t(2), int16_t(2), int16_t(0), int16_t(0), int16_t(2),
                                  int16_t(2), int16_t(2), int16_t(2), pages[i]}) {
                package.I16(field);
            }
        }
        tpagLength = package.Here() - tpag;
        txtr = package.Here();
        package.U32(2);
        const uint32_t records = package.Here();
        package.U32(0);
        package.U32(0);
        for (uint32_t i = 0; i < 2; ++i) {
            package.Patch(records + 4 * i, package.Here());
            package.U32(0);
            const uint32_t dataField = package.Here();
            package.U32(0);
            package.Patch(dataField, package.Here());
            RawPage(package, static_cast<uint8_t>(100 + i));
        }
        txtrLength = package.Here() - txtr;
    }

    PackageBytes package;
    uint32_t tpag = 0, tpagLength = 0, txtr = 0, txtrLength = 0;
    uint32_t entryOffsets[3] = {};
};

TEST_F(TexturePages, EntriesAreBoundToTheTexturesOfTheirPages)
{
    const PackageView view(package.bytes.data(), package.bytes.size());
    ASSERT_TRUE(TPAG_Load(view, tpag, tpagLength));
    ASSERT_TRUE(TXTR_Load(view, txtr, txtrLength));
    EXPECT_EQ(TPAG_Count(), 3);
    EXPECT_EQ(TPAG_FindByOffset(entryOffsets[0])->textureId, TXTR_TextureId(1));
    EXPECT_EQ(TPAG_FindByOffset(entryOffsets[1])->textureId, TXTR_TextureId(0));
    EXPECT_EQ(TPAG_FindByOffset(entryOffsets[2])->textureId, 7);  // no such page: left as it was
    EXPECT_EQ(TPAG_FindByOffset(entryOffsets[0] + 2), nullptr);
    EXPECT_TRUE(Texture_Exists(TXTR_TextureId(0)));
    EXPECT_EQ(Texture_GetSlot(TXTR_TextureId(1))->width, 2);
}

TEST_F(TexturePages, ThePackageImageIsNeverWritten)
{
    const std::vector<uint8_t> before = package.bytes;
    const PackageView view(package.bytes.data(), package.bytes.size());
    ASSERT_TRUE(TPAG_Load(view, tpag, tpagLength));
    ASSERT_TRUE(TXTR_Load(view, txtr, txtrLength));
    TPAG_FindByOffset(entryOffsets[0])->targetWidth = 0;
    GR_TPE_Draw(TPAG_FindByOffset(entryOffsets[0]), 0, 0);
    EXPECT_EQ(package.bytes, before);
}

TEST_F(TexturePages, PageImagesReadFromDiskAreGivenBackOnceTheirTexturesExist)
{
    // A package of one TXTR chunk: its list, one record and a 64 x 64 page
    // image that spans several memory pages.
    PackageBytes file;
    file.Append("TXTR", 4);
    const uint32_t lengthField = file.Here();
    file.U32(0);
    const uint32_t chunk = file.Here();
    file.U32(1);
    file.U32(file.Here() + 4);
    file.U32(0);
    file.U32(file.Here() + 4);
    const uint32_t image = file.Here();
    RawPage(file, 100, 64);
    file.Patch(lengthField, file.Here() - chunk);
    std::memcpy(file.bytes.data(), "FORM", 4);
    file.Patch(4, file.Here() - 8);
    test::ScratchFolder folder;
    ASSERT_TRUE(RunnerLoadGame(folder.Write("game.win", std::string(file.bytes.begin(), file.bytes.end()))));
    const PackageView view = Package().View();
    const auto nonZero = [&](uint32_t from, uint32_t to) {
        return std::count_if(view.Bytes(from, to - from), view.Bytes(to, 0), [](uint8_t b) { return b != 0; });
    };
    const auto before = nonZero(image, file.Here());

    ASSERT_TRUE(TXTR_Load(view, chunk, file.Here() - chunk));
    uint32_t pixel = 0;
    ASSERT_TRUE(device->ReadRect(Texture_Get(TXTR_TextureId(0))->texture, 63, 63, 1, 1, &pixel));
    EXPECT_EQ(pixel, 0xFF640000u);
    EXPECT_TRUE(std::equal(file.bytes.begin(), file.bytes.begin() + image, view.Bytes(0, image)));
    EXPECT_LT(nonZero(image, file.Here()), before / 2);
    PackageLoader_Reset();

    // An image handed in stays as its owner gave it.
    const std::vector<uint8_t> handedIn = file.bytes;
    Package_SetImage(handedIn.data(), handedIn.size());
    ASSERT_TRUE(TXTR_Load(Package().View(), chunk, file.Here() - chunk));
    EXPECT_EQ(handedIn, file.bytes);
    PackageLoader_Reset();
}

TEST_F(TexturePages, ListsOrEntriesOutsideTheChunkAreRefused)
{
    const PackageView view(package.bytes.data(), package.bytes.size());
    EXPECT_FALSE(TPAG_Load(view, tpag, tpagLength - 1));  // the last entry runs past the end
    EXPECT_EQ(TPAG_Count(), 0);
    package.Patch(tpag, 0x40000000);  // a count far beyond the chunk
    EXPECT_FALSE(TPAG_Load(view, tpag, tpagLength));
    EXPECT_FALSE(TXTR_Load(view, static_cast<uint32_t>(package.bytes.size()) - 2, 2));
}

TEST_F(TexturePages, RecordsWithDataOutsideThePackageGetNoTexture)
{
    package.Patch(txtr + 12 + 4, 0xFFFFFF00u);  // first record's data offset
    const PackageView view(package.bytes.data(), package.bytes.size());
    ASSERT_TRUE(TXTR_Load(view, txtr, txtrLength));
    EXPECT_EQ(TXTR_TextureId(0), -1);
    EXPECT_GE(TXTR_TextureId(1), 0);
}

TEST_F(TexturePages, HandlesNeverCollideWithTextureIdsAndDieWithTheirEntry)
{
    TexturePageEntry entry{};
    const int32_t handle = TexturePage_Handle(&entry);
    EXPECT_EQ(TexturePage_Handle(&entry), handle);
    EXPECT_FALSE(Texture_Exists(handle));
    EXPECT_EQ(TexturePage_FromHandle(handle), &entry);
    EXPECT_EQ(TexturePage_FromHandle(handle + 1), nullptr);
    EXPECT_EQ(TexturePage_FromHandle(0), nullptr);
    EXPECT_EQ(TexturePage_FromHandle(-1), nullptr);
    TexturePage_ReleaseHandle(&entry);
    EXPECT_EQ(TexturePage_FromHandle(handle), nullptr);
}

}  // namespace
}  // namespace bw
