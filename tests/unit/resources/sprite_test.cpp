// The sprite record and table: the SPRT reader, strips, boxes, masks and
// the run-time operations of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bwpack/image.h"
#include "bwpack/package_build.h"
#include "bwpack/package_view.h"
#include "bwpack/project.h"
#include "chunk_image.h"
#include "game_folder.h"
#include "graphics/bitmap32.h"
#include "graphics/texture_pages.h"
#include "platform/package_view.h"
#include "resources/sprite.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "sprite_test_support.h"
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

// left, top, right, bottom
std::vector<int32_t> Box(const CSprite& sprite)
{
    return {sprite.bboxLeft, sprite.bboxTop, sprite.bboxRight, sprite.bboxBottom};
}

TEST_F(SpriteTableTest, ChunkRecordFillsTheSpriteWithItsMasksUnpacked)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    ASSERT_EQ(Sprite_Count(), 1);
    const CSprite* sprite = Sprite_Get(0);
    ASSERT_NE(sprite, nullptr);
    EXPECT_STREQ(Sprite_GetName(0), "spr_test");
    EXPECT_EQ((std::vector<int32_t>{sprite->width, sprite->height, sprite->xorigin, sprite->yorigin, sprite->frameCount}),
              (std::vector<int32_t>{4, 2, 1, 1, 2}));
    EXPECT_EQ(Box(*sprite), (std::vector<int32_t>{1, 0, 3, 1}));  // stored left, right, bottom, top
    EXPECT_TRUE(sprite->precise && sprite->transparent && sprite->hasMasks && sprite->UsesPackageEntries());
    EXPECT_FALSE(sprite->smooth || sprite->sharedMask);
    EXPECT_EQ(MaskOf(*sprite, 0), (std::vector<uint8_t>{1, 0, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(MaskOf(*sprite, 1), (std::vector<uint8_t>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(MaskOf(*sprite, -1), MaskOf(*sprite, 1));
    // The farthest corner from (1, 1) is (4, 2): sqrt(10) rounds up to 4.
    EXPECT_EQ(sprite->radius, 4);
}

TEST_F(SpriteTableTest, TableAnswersForPresentAndMissingSprites)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    EXPECT_TRUE(Sprite_Exists(0));
    for (int32_t index : {1, -1}) {
        EXPECT_FALSE(Sprite_Exists(index));
        EXPECT_EQ(Sprite_Get(index), nullptr);
    }
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

TEST_F(SpriteTableTest, MaskCountOfZeroOrOneIsHonoured)
{
    SprtChunk none;
    none.PatchWord(kMaskCountWord, 0);
    ASSERT_TRUE(none.Load());
    EXPECT_FALSE(Sprite_Get(0)->hasMasks);
    EXPECT_EQ(Sprite_Get(0)->radius, 0);
    EXPECT_TRUE(Sprite_Get(0)->CollidePoint(SpritePlacement{}, 100, 100));
    Sprite_ClearTable();
    SprtChunk one;  // one mask serves every frame
    one.PatchWord(kMaskCountWord, 1);
    ASSERT_TRUE(one.Load());
    const CSprite* sprite = Sprite_Get(0);
    EXPECT_TRUE(sprite->sharedMask);
    EXPECT_EQ(sprite->MaskCount(), 1);
    EXPECT_EQ(MaskOf(*sprite, 1), MaskOf(*sprite, 0));
}

TEST_F(SpriteTableTest, MalformedChunksAreLoadErrors)
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
    SprtChunk recordOutside;
    recordOutside.image.PatchU32(recordOutside.list + 4, 0xFFFFFFF0u);
    EXPECT_FALSE(recordOutside.Load());
    EXPECT_FALSE(Sprite_Load(recordOutside.image.View(), recordOutside.list, 3)) << "list past the chunk";
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
        SCOPED_TRACE(std::to_string(c.imageWidth) + " / " + std::to_string(c.frames));
        EXPECT_EQ(sprite.width, c.frameWidth);
        EXPECT_EQ(sprite.frameCount, c.frameCount);
        EXPECT_EQ(sprite.BitmapCount(), c.frameCount);
    }
}

TEST_F(SpriteTableTest, AutomaticBoxCoversTheOpaquePixelsOfEveryFrame)
{
    // Two frames 3 wide: frame 0 is opaque at (2, 1), frame 1 at (1, 2).
    EXPECT_EQ(Box(*SpriteFromPicture({"......", "..#...", "....#.", "......"}, 2)), (std::vector<int32_t>{1, 1, 2, 2}));
    EXPECT_EQ(Box(*SpriteFromPicture({"...", "..."})), (std::vector<int32_t>{2, 1, 0, 0}));  // nothing opaque
    CSprite opaque;
    const std::vector<uint32_t> pixels = PicturePixels({"...", "..."});
    ASSERT_TRUE(opaque.LoadFromBitmap(pixels.data(), 3, 2, 1, true, false, false, 0, 0, true));
    EXPECT_EQ(Box(opaque), (std::vector<int32_t>{0, 0, 2, 1}));
    EXPECT_FALSE(opaque.hasMasks);  // masks need transparency
}

TEST_F(SpriteTableTest, BoxModesAndManualBox)
{
    const auto sprite = SpriteFromPicture({"....", ".#..", "...."});
    sprite->SetBBox(0, 0, 9, 9);
    EXPECT_EQ(sprite->bboxRight, 1);  // ignored outside manual mode
    sprite->SetBBoxMode(kSpriteBBoxFullImage);
    EXPECT_EQ(Box(*sprite), (std::vector<int32_t>{0, 0, 3, 2}));
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

TEST_F(SpriteTableTest, AssignCopiesIntoADeletedSlot)
{
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    const int32_t slot = Sprite_CreateFromSurface();
    EXPECT_TRUE(Sprite_Delete(slot));
    EXPECT_FALSE(Sprite_Exists(slot));
    EXPECT_FALSE(Sprite_Delete(slot));
    ASSERT_TRUE(Sprite_Assign(slot, 0));
    const CSprite* copy = Sprite_Get(slot);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->frameCount, 2);
    EXPECT_TRUE(copy->UsesPackageEntries());
    // Shared package frames cannot make masks: the copy takes the source's.
    EXPECT_TRUE(copy->hasMasks);
    EXPECT_EQ(MaskOf(*copy, 0), MaskOf(*Sprite_Get(0), 0));
    EXPECT_FALSE(Sprite_Assign(9, 0));
    EXPECT_FALSE(Sprite_Assign(0, 9));
}

TEST_F(SpriteTableTest, MergeAppendsTheOtherFramesResizedAndNeedsBitmapsOnBothSides)
{
    const auto sprite = SpriteFromPicture({"#."});
    ASSERT_TRUE(sprite->Merge(*SpriteFromPicture({"....", "...."})));
    EXPECT_EQ(sprite->frameCount, 2);
    EXPECT_EQ(sprite->GetFrameBitmap(1)->Width(), 2);
    EXPECT_EQ(sprite->GetFrameBitmap(1)->Height(), 1);
    // With itself: the frames it reads are the list it grows.
    ASSERT_TRUE(sprite->Merge(*sprite));
    EXPECT_EQ(sprite->frameCount, 4);
    SprtChunk chunk;
    ASSERT_TRUE(chunk.Load());
    const auto ErrorHas = [](const char* text) { return std::string(Code_Error_LastText()).find(text) != std::string::npos; };
    EXPECT_FALSE(sprite->Merge(*Sprite_Get(0)));
    EXPECT_TRUE(ErrorHas("requires the source sprite to have been duplicated"));
    Code_Error_ResetState();
    EXPECT_FALSE(Sprite_Get(0)->Merge(*sprite));
    EXPECT_TRUE(ErrorHas("requires the destination sprite to have been duplicated"));
}

class SpriteFileTest : public SpriteTableTest {
protected:
    // Another test of this program may have installed the web loader.
    void SetUp() override
    {
        SpriteTableTest::SetUp();
        Sprite_SetUrlLoader(nullptr);
    }
    GameFolder game{"SpriteGame"};
};

TEST_F(SpriteFileTest, AddedFileComesFromTheSaveAreaFirst)
{
    game.WritePng("game/pic.png", 2, 1);
    ASSERT_EQ(Sprite_Add("pic.png", 1, true, true, false, true, 0, 0), 0);
    EXPECT_EQ(Sprite_Get(0)->width, 2);
    game.WritePng("data/SpriteGame/pic.png", 4, 1);
    ASSERT_EQ(Sprite_Add("pic.png", 1, true, true, false, true, 0, 0), 1);
    EXPECT_EQ(Sprite_Get(1)->width, 4);
    EXPECT_STREQ(Sprite_GetName(1), "__newsprite1");
}

TEST_F(SpriteFileTest, MissingOrUndecodableFileGivesTheSlotBack)
{
    game.Write("game/bad.png", "not an image");
    for (const char* name : {"none.png", "bad.png", static_cast<const char*>(nullptr), "http://example.invalid/a.png"}) {
        EXPECT_EQ(Sprite_Add(name, 1, true, true, false, true, 0, 0), -1) << (name != nullptr ? name : "null");
    }
    EXPECT_EQ(Sprite_Count(), 0);
}

TEST_F(SpriteFileTest, ReplaceReloadsAnExistingSlot)
{
    game.WritePng("game/pic.png", 3, 1);
    Sprite_CreateFromSurface();
    EXPECT_TRUE(Sprite_Replace(0, "pic.png", 3, true, true, false, true, 0, 0));
    EXPECT_EQ(Sprite_Get(0)->frameCount, 3);
    EXPECT_FALSE(Sprite_Replace(4, "pic.png", 1, true, true, false, true, 0, 0));
    EXPECT_FALSE(Sprite_Replace(0, "none.png", 1, true, true, false, true, 0, 0));
}

TEST_F(SpriteTableTest, PackageSpritesMatchTheirProject)
{
    // The build registers the runner's built-ins only into an empty table;
    // tests before this one in the same program may have left a few.
    Code_Function_Free();
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
            SCOPED_TRACE(expected.name + " frame " + std::to_string(f));
            EXPECT_NE(sprite->GetPageEntry(f), nullptr);
            const pack::Image& frame = expected.frames[static_cast<size_t>(f)];
            std::vector<uint8_t> opaque;
            for (int32_t y = 0; y < frame.height; ++y) {
                for (int32_t x = 0; x < frame.width; ++x) {
                    opaque.push_back(frame.Alpha(x, y) > 0 ? 1 : 0);
                }
            }
            EXPECT_EQ(MaskOf(*sprite, f), opaque);
        }
    }
    TexturePages_Clear();
}

using SpriteWorldTest = WorldTest;

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
