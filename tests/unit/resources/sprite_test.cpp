// The sprite record and table: the SPRT reader on hand-made and malformed
// records and on bwpack packages, strips, boxes, masks and the run-time
// operations of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bwpack/image.h"
#include "bwpack/package_build.h"
#include "bwpack/package_view.h"
#include "bwpack/project.h"
#include "chunk_image.h"
#include "graphics/bitmap32.h"
#include "graphics/texture_pages.h"
#include "platform/files.h"
#include "platform/package_view.h"
#include "resources/sprite.h"
#include "script/error_report.h"
#include "script/resource_seams.h"
#include "sprite_test_support.h"
#include "support/png_file.h"
#include "support/scratch_folder.h"
#include "unit/world/world_fixture.h"

namespace bw::test {
namespace {

// Word positions inside a SPRT record.
constexpr uint32_t kNameWord = 0;
constexpr uint32_t kWidthWord = 1;
constexpr uint32_t kHeightWord = 2;
constexpr uint32_t kFrameCountWord = 14;
constexpr uint32_t kFirstEntryWord = 15;
constexpr uint32_t kMaskCountWord = 17;  // after two frames

// One sprite "spr_test" of two 4 x 2 frames, origin (1, 1), box words
// left 1, right 3, bottom 1, top 0, and two masks:
//   mask 0: #..#   mask 1: ....
//           .#..           ####
struct SprtChunk {
    ChunkImage image;
    uint32_t list = 0;
    uint32_t record = 0;

    SprtChunk()
    {
        const uint32_t entries = image.Here();
        image.Zeros(2 * sizeof(TexturePageEntry));
        const uint32_t name = image.Text("spr_test");
        list = image.List(1);
        image.Slot(list, 0);
        record = image.Here();
        for (int32_t word : {0, 4, 2, 1, 3, 1, 0, 1, 0, 1, 0, 1, 1, 1}) {
            image.I32(word);
        }
        image.PatchU32(record, name);
        image.U32(2);
        image.U32(entries);
        image.U32(entries + static_cast<uint32_t>(sizeof(TexturePageEntry)));
        image.U32(2);
        // Two masks of two one-byte rows: 0x90 0x40, then 0x00 0xF0.
        image.U32(0xF0004090u);
    }
    void PatchWord(uint32_t word, uint32_t value) { image.PatchU32(record + 4 * word, value); }
    bool Load() const { return Sprite_Load(image.View(), list, image.Size() - list); }
};

class SpriteTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sprite_ClearTable();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(false);
    }
    void TearDown() override
    {
        Sprite_ClearTable();
        Code_Error_ResetState();
    }
};

std::vector<uint8_t> MaskOf(const CSprite& sprite, int32_t frame)
{
    const uint8_t* mask = sprite.GetMask(frame);
    return mask != nullptr ? std::vector<uint8_t>(mask, mask + sprite.width * sprite.height)
                           : std::vector<uint8_t>{};
}

TEST_F(SpriteTableTest, ChunkRecordFillsTheSpriteWithItsMasksUnpacked)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    ASSERT_EQ(Sprite_Count(), 1);
    const CSprite* sprite = Sprite_Get(0);
    ASSERT_NE(sprite, nullptr);
    EXPECT_STREQ(Sprite_GetName(0), "spr_test");
    EXPECT_EQ(sprite->width, 4);
    EXPECT_EQ(sprite->height, 2);
    // The box words stand left, right, bottom, top.
    EXPECT_EQ(sprite->bboxLeft, 1);
    EXPECT_EQ(sprite->bboxRight, 3);
    EXPECT_EQ(sprite->bboxBottom, 1);
    EXPECT_EQ(sprite->bboxTop, 0);
    EXPECT_EQ(sprite->xorigin, 1);
    EXPECT_EQ(sprite->yorigin, 1);
    EXPECT_EQ(sprite->frameCount, 2);
    EXPECT_TRUE(sprite->precise);
    EXPECT_TRUE(sprite->transparent);
    EXPECT_FALSE(sprite->smooth);
    EXPECT_TRUE(sprite->hasMasks);
    EXPECT_FALSE(sprite->sharedMask);
    EXPECT_TRUE(sprite->UsesPackageEntries());
    EXPECT_EQ(MaskOf(*sprite, 0), (std::vector<uint8_t>{1, 0, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(MaskOf(*sprite, 1), (std::vector<uint8_t>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(MaskOf(*sprite, -1), MaskOf(*sprite, 1));
    // The farthest corner from (1, 1) is (4, 2): sqrt(10) rounds up to 4.
    EXPECT_EQ(sprite->radius, 4);
}

TEST_F(SpriteTableTest, TableAnswersForMissingSprites)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    EXPECT_TRUE(Sprite_Exists(0));
    EXPECT_FALSE(Sprite_Exists(1));
    EXPECT_FALSE(Sprite_Exists(-1));
    EXPECT_EQ(Sprite_Get(1), nullptr);
    EXPECT_STREQ(Sprite_GetName(7), "<undefined>");
    EXPECT_EQ(Sprite_Find("spr_test"), 0);
    EXPECT_EQ(Sprite_Find("SPR_TEST"), -1);
    Sprite_RegisterLookups();
    EXPECT_EQ(Resource_FindByName(ResourceKind::Sprite, "spr_test"), 0);
    SpriteInfo info;
    ASSERT_TRUE(Sprite_GetInfo(0, &info));
    EXPECT_EQ(info.frameCount, 2);
    EXPECT_EQ(info.bboxRight, 3);
    World_ResourceLookups() = ResourceLookups{};
    Resource_SetNameFinder(ResourceKind::Sprite, nullptr);
}

TEST_F(SpriteTableTest, MaskCountZeroLeavesNoMasksAndNoRadius)
{
    SprtChunk chunk;
    chunk.PatchWord(kMaskCountWord, 0);
    ASSERT_TRUE(chunk.Load());
    const CSprite* sprite = Sprite_Get(0);
    EXPECT_FALSE(sprite->hasMasks);
    EXPECT_EQ(sprite->radius, 0);
    EXPECT_TRUE(sprite->CollidePoint(SpritePlacement{}, 100, 100));
}

TEST_F(SpriteTableTest, OneMaskServesEveryFrame)
{
    SprtChunk chunk;
    chunk.PatchWord(kMaskCountWord, 1);
    ASSERT_TRUE(chunk.Load());
    const CSprite* sprite = Sprite_Get(0);
    EXPECT_TRUE(sprite->sharedMask);
    EXPECT_EQ(sprite->MaskCount(), 1);
    EXPECT_EQ(MaskOf(*sprite, 1), MaskOf(*sprite, 0));
}

TEST_F(SpriteTableTest, MalformedRecordsAreLoadErrors)
{
    struct Case {
        const char* what;
        uint32_t word;
        uint32_t value;
    };
    const Case cases[] = {
        {"name outside", kNameWord, 0xFFFFFFF0u},
        {"negative width", kWidthWord, static_cast<uint32_t>(-4)},
        {"masks taller than the image", kHeightWord, 0x7FFFFFFFu},
        {"frame list past the end", kFrameCountWord, 0x40000000u},
        {"page entry outside", kFirstEntryWord, 0xFFFFFF00u},
        {"page entry zero", kFirstEntryWord, 0},
        {"mask count past the end", kMaskCountWord, 1000},
    };
    for (const Case& c : cases) {
        SprtChunk chunk;
        chunk.PatchWord(c.word, c.value);
        EXPECT_FALSE(chunk.Load()) << c.what;
        EXPECT_EQ(Sprite_Count(), 0) << c.what;
    }
}

TEST_F(SpriteTableTest, ListOrRecordOutsideTheChunkIsALoadError)
{
    SprtChunk chunk;
    chunk.image.PatchU32(chunk.list + 4, 0xFFFFFFF0u);
    EXPECT_FALSE(chunk.Load());
    SprtChunk shortList;
    EXPECT_FALSE(Sprite_Load(shortList.image.View(), shortList.list, 3));
}

TEST_F(SpriteTableTest, EmptySlotStaysEmpty)
{
    SprtChunk chunk;
    chunk.image.PatchU32(chunk.list + 4, 0);
    ASSERT_TRUE(chunk.Load());
    EXPECT_EQ(Sprite_Count(), 1);
    EXPECT_FALSE(Sprite_Exists(0));
}

TEST_F(SpriteTableTest, StripIsCutIntoEqualFramesAndNeverNarrowerThanAPixel)
{
    struct Case {
        int32_t imageWidth, frames;
        int32_t frameWidth, frameCount;
    };
    const Case cases[] = {{100, 3, 33, 3}, {100, 0, 100, 1}, {3, 5, 1, 3}, {1, 1000000, 1, 1}};
    for (const Case& c : cases) {
        const std::vector<uint32_t> pixels(static_cast<size_t>(c.imageWidth) * 2, 0xFF000000u);
        CSprite sprite;
        ASSERT_TRUE(sprite.LoadFromBitmap(pixels.data(), c.imageWidth, 2, c.frames, true, true, false, 0, 0, true));
        EXPECT_EQ(sprite.width, c.frameWidth) << c.imageWidth << " / " << c.frames;
        EXPECT_EQ(sprite.frameCount, c.frameCount) << c.imageWidth << " / " << c.frames;
        EXPECT_EQ(sprite.BitmapCount(), c.frameCount);
    }
}

TEST_F(SpriteTableTest, AutomaticBoxCoversTheOpaquePixelsOfEveryFrame)
{
    const auto sprite = SpriteFromPicture({"......", "..#...", "....#.", "......"}, 2);
    // Two frames 3 wide: frame 0 is opaque at (2, 1), frame 1 at (1, 2).
    EXPECT_EQ(sprite->bboxLeft, 1);
    EXPECT_EQ(sprite->bboxRight, 2);
    EXPECT_EQ(sprite->bboxTop, 1);
    EXPECT_EQ(sprite->bboxBottom, 2);
    const auto empty = SpriteFromPicture({"...", "..."});
    EXPECT_EQ(empty->bboxLeft, 2);
    EXPECT_EQ(empty->bboxTop, 1);
    EXPECT_EQ(empty->bboxRight, 0);
    EXPECT_EQ(empty->bboxBottom, 0);
    CSprite opaque;
    const std::vector<uint32_t> pixels = PicturePixels({"...", "..."});
    ASSERT_TRUE(opaque.LoadFromBitmap(pixels.data(), 3, 2, 1, true, false, false, 0, 0, true));
    EXPECT_EQ(opaque.bboxRight, 2);
    EXPECT_EQ(opaque.bboxBottom, 1);
    EXPECT_FALSE(opaque.hasMasks);  // masks need transparency
}

TEST_F(SpriteTableTest, BoxModesAndManualBox)
{
    const auto sprite = SpriteFromPicture({"....", ".#..", "...."});
    sprite->SetBBox(0, 0, 9, 9);
    EXPECT_EQ(sprite->bboxRight, 1);  // ignored outside manual mode
    sprite->SetBBoxMode(kSpriteBBoxFullImage);
    EXPECT_EQ(sprite->bboxRight, 3);
    EXPECT_EQ(sprite->bboxBottom, 2);
    sprite->SetBBoxMode(kSpriteBBoxManual);
    sprite->SetBBox(0, 0, 9, 9);
    EXPECT_EQ(sprite->bboxRight, 9);
    sprite->SetBBoxMode(7);
    EXPECT_EQ(sprite->bboxMode, kSpriteBBoxManual);
}

TEST_F(SpriteTableTest, CollisionMaskKindsFillTheirShapes)
{
    struct Case {
        int32_t kind;
        int32_t solid;
    };
    // 5 x 5 box: centre (2, 2), radii 2.5.
    const Case cases[] = {{kSpriteMaskRectangle, 25}, {kSpriteMaskEllipse, 21}, {kSpriteMaskDiamond, 13},
                          {kSpriteMaskPrecise, 1}, {9, 0}};
    for (const Case& c : cases) {
        const auto sprite = SpriteFromPicture({".....", ".....", "..#..", ".....", "....."});
        sprite->CreateCollisionMask(true, kSpriteBBoxFullImage, 0, 0, 0, 0, c.kind, 0);
        const std::vector<uint8_t> mask = MaskOf(*sprite, 0);
        EXPECT_EQ(std::count(mask.begin(), mask.end(), 1), c.solid) << "kind " << c.kind;
    }
}

TEST_F(SpriteTableTest, CollisionMaskWithoutSeparateMasksHoldsEveryFramesPixels)
{
    const auto sprite = SpriteFromPicture({"#..#"}, 2);
    sprite->CreateCollisionMask(false, kSpriteBBoxAutomatic, 0, 0, 0, 0, kSpriteMaskPrecise, 0);
    EXPECT_EQ(sprite->MaskCount(), 1);
    EXPECT_EQ(MaskOf(*sprite, 0), (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(MaskOf(*sprite, 1), (std::vector<uint8_t>{1, 1}));
    sprite->CreateCollisionMask(true, kSpriteBBoxManual, 1, 0, 1, 0, kSpriteMaskRectangle, 0);
    EXPECT_EQ(MaskOf(*sprite, 0), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(sprite->bboxLeft, 1);
}

TEST_F(SpriteTableTest, PreciseFlagBuildsAndDropsMasks)
{
    const auto sprite = SpriteFromPicture({"#."}, 1, false);
    EXPECT_FALSE(sprite->hasMasks);
    sprite->SetPrecise(true);
    EXPECT_EQ(MaskOf(*sprite, 0), (std::vector<uint8_t>{1, 0}));
    sprite->SetPrecise(false);
    EXPECT_FALSE(sprite->hasMasks);
}

TEST_F(SpriteTableTest, DuplicateOfARunTimeSpriteOwnsItsFrames)
{
    const std::vector<uint32_t> pixels = PicturePixels({"#.", ".#"});
    Sprite_CreateFromSurface();
    ASSERT_TRUE(Sprite_Get(0)->LoadFromBitmap(pixels.data(), 2, 2, 1, true, true, false, 0, 0, true));
    const int32_t copy = Sprite_Duplicate(0);
    ASSERT_EQ(copy, 1);
    EXPECT_STREQ(Sprite_GetName(copy), "__newsprite1");
    EXPECT_EQ(Sprite_Get(copy)->BitmapCount(), 1);
    EXPECT_NE(Sprite_Get(copy)->GetFrameBitmap(0), Sprite_Get(0)->GetFrameBitmap(0));
    EXPECT_EQ(MaskOf(*Sprite_Get(copy), 0), MaskOf(*Sprite_Get(0), 0));
    EXPECT_EQ(Sprite_Duplicate(5), -1);
}

TEST_F(SpriteTableTest, DeleteEmptiesTheSlotOnce)
{
    Sprite_CreateFromSurface();
    EXPECT_TRUE(Sprite_Delete(0));
    EXPECT_FALSE(Sprite_Exists(0));
    EXPECT_FALSE(Sprite_Delete(0));
    EXPECT_EQ(Sprite_Count(), 1);
}

TEST_F(SpriteTableTest, AssignCopiesIntoAnEmptySlot)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    const int32_t slot = Sprite_CreateFromSurface();
    Sprite_Delete(slot);
    ASSERT_TRUE(Sprite_Assign(slot, 0));
    const CSprite* copy = Sprite_Get(slot);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->frameCount, 2);
    EXPECT_TRUE(copy->UsesPackageEntries());
    // Masks are never copied; shared package frames cannot make them.
    EXPECT_FALSE(copy->hasMasks);
    EXPECT_FALSE(Sprite_Assign(9, 0));
    EXPECT_FALSE(Sprite_Assign(0, 9));
}

TEST_F(SpriteTableTest, MergeNeedsBitmapsOnBothSides)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    const auto runTime = SpriteFromPicture({"#."});
    EXPECT_FALSE(runTime->Merge(*Sprite_Get(0)));
    EXPECT_NE(std::string(Code_Error_LastText()).find("requires the source sprite to have been duplicated"),
              std::string::npos);
    Code_Error_ResetState();
    EXPECT_FALSE(Sprite_Get(0)->Merge(*runTime));
    EXPECT_NE(std::string(Code_Error_LastText()).find("requires the destination sprite to have been duplicated"),
              std::string::npos);
}

TEST_F(SpriteTableTest, MergeAppendsTheOtherFramesResized)
{
    const auto sprite = SpriteFromPicture({"#."});
    const auto other = SpriteFromPicture({"....", "...."});
    ASSERT_TRUE(sprite->Merge(*other));
    EXPECT_EQ(sprite->frameCount, 2);
    EXPECT_EQ(sprite->GetFrameBitmap(1)->Width(), 2);
    EXPECT_EQ(sprite->GetFrameBitmap(1)->Height(), 1);
}

// ---- files ----

class SpriteFileTest : public SpriteTableTest {
protected:
    SpriteFileTest()
        : m_data("XDG_DATA_HOME", (m_root / "data").c_str()), m_config("XDG_CONFIG_HOME", (m_root / "config").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("SpriteGame", false));
    }

    void WritePng(const std::string& path, int32_t width) const
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        PngImage image;
        image.width = width;
        image.height = 1;
        image.pixels.assign(static_cast<size_t>(width), 0xFF00FF00u);
        ASSERT_TRUE(Png_Write(path, image));
    }
    std::string Program(const std::string& name) const { return m_root / ("game/" + name); }
    std::string Save(const std::string& name) const { return m_root / ("data/SpriteGame/" + name); }

    ScratchFolder m_root;
    ScopedEnv m_data;
    ScopedEnv m_config;
};

TEST_F(SpriteFileTest, AddedFileComesFromTheSaveAreaFirst)
{
    WritePng(Program("pic.png"), 2);
    const int32_t fromProgram = Sprite_Add("pic.png", 1, true, true, false, true, 0, 0);
    ASSERT_EQ(fromProgram, 0);
    EXPECT_EQ(Sprite_Get(fromProgram)->width, 2);
    WritePng(Save("pic.png"), 4);
    const int32_t fromSave = Sprite_Add("pic.png", 1, true, true, false, true, 0, 0);
    ASSERT_EQ(fromSave, 1);
    EXPECT_EQ(Sprite_Get(fromSave)->width, 4);
    EXPECT_STREQ(Sprite_GetName(fromSave), "__newsprite1");
}

TEST_F(SpriteFileTest, MissingOrUndecodableFileGivesTheSlotBack)
{
    EXPECT_EQ(Sprite_Add("none.png", 1, true, true, false, true, 0, 0), -1);
    m_root.Write("game/bad.png", "not an image");
    EXPECT_EQ(Sprite_Add("bad.png", 1, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Add(nullptr, 1, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Add("http://example.invalid/a.png", 1, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Count(), 0);
}

TEST_F(SpriteFileTest, ReplaceReloadsAnExistingSlot)
{
    WritePng(Program("pic.png"), 3);
    Sprite_CreateFromSurface();
    EXPECT_TRUE(Sprite_Replace(0, "pic.png", 3, true, true, false, true, 0, 0));
    EXPECT_EQ(Sprite_Get(0)->frameCount, 3);
    EXPECT_FALSE(Sprite_Replace(4, "pic.png", 1, true, true, false, true, 0, 0));
    EXPECT_FALSE(Sprite_Replace(0, "none.png", 1, true, true, false, true, 0, 0));
}

// ---- packages made by bwpack ----

TEST_F(SpriteTableTest, PackageSpritesMatchTheirProject)
{
    const pack::Project project = pack::Project_Load(std::string(BWPACK_TEST_PACKAGES) + "/tiny");
    const std::vector<uint8_t> bytes = pack::Package_Build(project, pack::PackageForm::Text);
    const pack::PackageView chunks(bytes);
    const PackageView package(bytes.data(), bytes.size());
    for (const pack::ChunkInfo& chunk : chunks.Chunks()) {
        if (chunk.tag == "SPRT") {
            ASSERT_TRUE(Sprite_Load(package, chunk.payload, chunk.length));
        } else if (chunk.tag == "TPAG") {
            ASSERT_TRUE(TPAG_Load(package, chunk.payload, chunk.length));
        }
    }
    ASSERT_EQ(Sprite_Count(), static_cast<int32_t>(project.sprites.size()));
    for (size_t i = 0; i < project.sprites.size(); ++i) {
        const pack::Sprite& expected = project.sprites[i];
        const auto index = static_cast<int32_t>(i);
        CSprite* sprite = Sprite_Get(index);
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(Sprite_Find(expected.name.c_str()), index);
        EXPECT_EQ(sprite->width, expected.width);
        EXPECT_EQ(sprite->height, expected.height);
        EXPECT_EQ(sprite->xorigin, expected.xOrigin);
        EXPECT_EQ(sprite->bboxRight, expected.bboxRight);
        EXPECT_EQ(sprite->frameCount, static_cast<int32_t>(expected.frames.size()));
        for (int32_t f = 0; f < sprite->frameCount; ++f) {
            EXPECT_NE(sprite->GetPageEntry(f), nullptr) << expected.name << " frame " << f;
            const pack::Image& frame = expected.frames[static_cast<size_t>(f)];
            const std::vector<uint8_t> mask = MaskOf(*sprite, f);
            ASSERT_EQ(mask.size(), static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
            for (int32_t y = 0; y < frame.height; ++y) {
                for (int32_t x = 0; x < frame.width; ++x) {
                    EXPECT_EQ(mask[static_cast<size_t>(y * frame.width + x)], frame.Alpha(x, y) > 0 ? 1 : 0)
                        << expected.name << " frame " << f << " at " << x << "," << y;
                }
            }
        }
    }
    TexturePages_Clear();
}

// ---- instances follow edits ----

class SpriteWorldTest : public WorldTest {};

TEST_F(SpriteWorldTest, FlaggingMarksEveryInstanceOfTheRoomStale)
{
    AddObject(0);
    CInstance* active = AddInstance(0);
    CInstance* inactive = new CInstance(0.0f, 0.0f, nextId++, 0, false);
    room.deactivatedInstances.Append(inactive);
    active->i_bboxdirty = 0;
    inactive->i_bboxdirty = 0;
    Sprite_FlagInstances();
    EXPECT_EQ(active->i_bboxdirty, 1);
    EXPECT_EQ(inactive->i_bboxdirty, 1);
    room.deactivatedInstances.Remove(inactive);
}

}  // namespace
}  // namespace bw::test
