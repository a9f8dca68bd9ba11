// Backgrounds: the BGND reader, the table, run-time backgrounds from files
// and bitmaps, copies, drawing, and whole packages that bwpack builds.
#include "resources/background.h"
#include "resources/script_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/registration.h"
#include "bwpack/package_build.h"
#include "bwpack/project.h"
#include "chunk_image.h"
#include "game_folder.h"
#include "graphics/bitmap32.h"
#include "graphics/draw_textured.h"
#include "graphics/texture_records.h"
#include "platform/package_loader.h"
#include "script/resource_seams.h"
#include "unit/graphics/draw_fixture.h"
#include "world/resource_lookups.h"

namespace bw::test {
namespace {

class Backgrounds : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        Background_ClearTable();
    }
    void TearDown() override
    {
        Background_FreeAll();
        DrawTest::TearDown();
    }
};

class BackgroundChunk : public Backgrounds {
protected:
    // A texture page entry of a w x h image at (x, y) of page 0.
    uint32_t Entry(int16_t x, int16_t y, int16_t w, int16_t h)
    {
        const uint32_t at = image.Here();
        const int16_t fields[12] = {x, y, w, h, 0, 0, w, h, w, h, 0, 0};
        for (int i = 0; i < 12; i += 2) {
            image.U32(static_cast<uint16_t>(fields[i]) | static_cast<uint32_t>(static_cast<uint16_t>(fields[i + 1])) << 16);
        }
        return at;
    }
    void Record(uint32_t name, uint32_t transparent, uint32_t smooth, uint32_t preload, uint32_t entry)
    {
        for (uint32_t word : {name, transparent, smooth, preload, entry}) {
            image.U32(word);
        }
    }
    bool Load(uint32_t list) { return Background_Load(image.View(), list, image.Size() - list); }

    ChunkImage image;
};

TEST_F(BackgroundChunk, RecordsTakeTheirSizeFromTheirPageEntryOrAreEmptyWithout)
{
    const uint32_t sky = image.Text("bg_sky");
    const uint32_t blank = image.Text("bg_blank");
    const uint32_t entry = Entry(4, 8, 30, 20);
    const uint32_t list = image.List(3);
    image.Slot(list, 0);
    Record(sky, 1, 0, 1, entry);
    image.Slot(list, 2);
    Record(blank, 0, 1, 0, 0);
    ASSERT_TRUE(Load(list));
    EXPECT_EQ(Background_Count(), 3);
    EXPECT_FALSE(Background_Exists(1));
    EXPECT_EQ(Background_Find("bg_blank"), 2);
    EXPECT_STREQ(Background_GetName(1), "");  // an empty slot, as sprites have
    EXPECT_STREQ(Background_GetName(3), "<undefined>");
    const CBackground* background = Background_Get(0);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->GetWidth(), 30);
    EXPECT_EQ(background->GetHeight(), 20);
    EXPECT_TRUE(background->GetTransparent());
    EXPECT_FALSE(background->GetSmooth());
    EXPECT_TRUE(background->GetPreload());
    // Without an entry a background is empty and draws nothing.
    const CBackground* blankOne = Background_Get(2);
    EXPECT_EQ(blankOne->GetWidth(), 0);
    EXPECT_TRUE(blankOne->GetSmooth());
    EXPECT_EQ(blankOne->GetTexture(), -1);
    blankOne->DrawStretched(0, 0, 10, 10, 0xFFFFFF, 1);
    blankOne->Draw(0, 0);
    EXPECT_TRUE(Drawn().empty());
}

TEST_F(BackgroundChunk, PageEntryIsFoundOnceTheTexturePagesAreRead)
{
    const uint32_t tpag = image.List(1);
    image.Slot(tpag, 0);
    const uint32_t entry = Entry(0, 0, 2, 2);
    const uint32_t list = image.List(1);
    image.Slot(list, 0);
    Record(0, 0, 0, 0, entry);
    ASSERT_TRUE(Load(list));
    EXPECT_EQ(Background_Get(0)->GetPageEntry(), nullptr);
    ASSERT_TRUE(TPAG_Load(image.View(), tpag, list - tpag));
    EXPECT_EQ(Background_Get(0)->GetPageEntry(), TPAG_FindByOffset(entry));
    EXPECT_EQ(Background_Get(0)->GetTexture(), TexturePage_Handle(TPAG_FindByOffset(entry)));
}

TEST_F(BackgroundChunk, MalformedChunksFailTheLoadAndLeaveNoBackgrounds)
{
    struct Case {
        const char* what;
        uint32_t name;
        uint32_t entryFromEnd;  // the entry starts this many bytes before the end; 0 none
        bool recordOutside;     // the record's last words lie past the view
    };
    for (const Case& c : {Case{"entry cut short by the end", 0, 20, false},
                          Case{"entry outside the package", 0, 0xFFFFFFFFu, false},
                          Case{"name outside the package", 0xFFFFFF00u, 0, false},
                          Case{"record cut short by the end", 0, 0, true}}) {
        ChunkImage bad;
        const uint32_t list = bad.List(1);
        bad.Slot(list, 0);
        const uint32_t record = bad.Here();
        bad.U32(c.name);
        bad.Zeros(40);
        const uint32_t end = bad.Size();
        if (c.entryFromEnd != 0) {
            bad.PatchU32(record + 16, end - c.entryFromEnd);
        }
        if (c.recordOutside) {
            bad.PatchU32(list + 4, end - 8);
        }
        EXPECT_FALSE(Background_Load(bad.View(), list, end - list)) << c.what;
        EXPECT_EQ(Background_Count(), 0) << c.what;
    }
    const uint32_t list = image.List(4);
    EXPECT_FALSE(Background_Load(image.View(), list, 8)) << "list past the chunk";
}

TEST_F(Backgrounds, NewBackgroundsAreNamedByTheirIndexAndFoundOnceRegistered)
{
    Background_RegisterLookups();
    EXPECT_EQ(Background_CreateNew(), 0);
    EXPECT_EQ(Background_CreateNew(), 1);
    EXPECT_STREQ(Background_GetName(1), "__newbackground1");
    EXPECT_EQ(Background_Find("__newbackground1"), 1);
    EXPECT_EQ(Resource_FindByName(ResourceKind::Background, "__newbackground1"), 1);
    Background_Get(1)->CreateColor(7, 3, 0xFF, false);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(Background_GetSize(1, &w, &h));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 3);
    EXPECT_FALSE(Background_GetSize(2, &w, &h));
    EXPECT_TRUE(Background_Delete(0));
    EXPECT_FALSE(Background_Delete(0));
    EXPECT_STREQ(Background_GetName(0), "") << "a deleted background's slot is empty, not undefined";
    EXPECT_STREQ(Background_GetName(2), "<undefined>");
    EXPECT_STREQ(Background_GetName(-1), "<undefined>");
    EXPECT_EQ(Background_Find("__newbackground0"), -1);
    EXPECT_EQ(Background_Count(), 2);
    Resource_SetNameFinder(ResourceKind::Background, nullptr);
    World_ResourceLookups().backgroundSize = nullptr;
}

TEST_F(Backgrounds, AssignedCopyOwnsItsBitmapAndFillsAnEmptySlot)
{
    const int32_t source = Background_CreateNew();
    Background_Get(source)->CreateColor(2, 2, 0x0000FF, false);
    const int32_t copy = Background_CreateNew();
    ASSERT_TRUE(Background_Assign(copy, source));
    const CBitmap32* copied = Background_Get(copy)->GetBitmap();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, Background_Get(source)->GetBitmap());
    EXPECT_NE(Background_Get(copy)->GetTextureId(), Background_Get(source)->GetTextureId());
    Background_Get(copy)->CreateColor(2, 2, 0x00FF00, false);
    EXPECT_EQ(Background_Get(source)->GetBitmap()->Pixels()[0], 0xFFFF0000u);
    EXPECT_FALSE(Background_Assign(4, source));
    EXPECT_FALSE(Background_Assign(source, 4));
    Background_Delete(copy);
    EXPECT_TRUE(Background_Assign(copy, source));
    EXPECT_TRUE(Background_Exists(copy));
}

TEST_F(Backgrounds, AssigningABackgroundToItselfKeepsItsImage)
{
    const int32_t index = Background_CreateNew();
    Background_Get(index)->CreateColor(3, 3, 0x123456, false);
    ASSERT_TRUE(Background_Assign(index, index));
    ASSERT_NE(Background_Get(index)->GetBitmap(), nullptr);
    EXPECT_EQ(Background_Get(index)->GetWidth(), 3);
    EXPECT_GE(Background_Get(index)->GetTextureId(), 0);
}

TEST_F(Backgrounds, AlphaFromAnotherBackgroundNeedsBitmapsOnBothSides)
{
    const int32_t target = Background_CreateNew();
    const int32_t mask = Background_CreateNew();
    Background_Get(target)->CreateColor(1, 1, 0xFFFFFF, false);
    Background_Get(target)->SetAlphaFromBackground(*Background_Get(mask));
    EXPECT_EQ(Background_Get(target)->GetBitmap()->Pixels()[0], 0xFFFFFFFFu);
    Background_Get(mask)->CreateColor(1, 1, 0x000000, false);
    Background_Get(target)->SetAlphaFromBackground(*Background_Get(mask));
    EXPECT_EQ(Background_Get(target)->GetBitmap()->Pixels()[0], 0x00FFFFFFu);
}

TEST_F(Backgrounds, StretchedDrawingScalesToTheGivenSize)
{
    const int32_t index = Background_CreateNew();
    CBackground* background = Background_Get(index);
    background->CreateColor(4, 2, 0xFFFFFF, false);
    background->DrawStretched(10, 20, 0, 8, 0xFFFFFF, 1);
    EXPECT_TRUE(Drawn().empty());
    background->DrawStretched(10, 20, 8, 8, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    const auto [left, right] = std::minmax_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.x < b.x; });
    const auto [top, bottom] = std::minmax_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.y < b.y; });
    ASSERT_FALSE(v.empty());
    EXPECT_EQ((std::vector<float>{left->x, top->y, right->x, bottom->y}), (std::vector<float>{10, 20, 18, 28}));
}

// A package background: one 2 x 2 page entry on a raw page image whose
// pixels differ, so a read-back can be checked pixel by pixel.
TEST_F(BackgroundChunk, DuplicateOfAPackageBackgroundOwnsItsPixels)
{
    const uint32_t tpag = image.List(1);
    image.Slot(tpag, 0);
    const uint32_t entry = Entry(1, 0, 2, 2);
    const uint32_t txtr = image.List(1);
    image.Slot(txtr, 0);
    const uint32_t texture = image.Here();
    for (uint32_t word : {0u, texture + 8, kRawTextureMagic, 4u, 2u, 0u}) {  // a raw 4 x 2 page
        image.U32(word);
    }
    for (uint32_t pixel = 0; pixel < 8; ++pixel) {
        image.U32(0xFF000000u | pixel);  // R, G, B, A bytes: red = pixel
    }
    const uint32_t bgnd = image.List(1);
    image.Slot(bgnd, 0);
    Record(0, 0, 0, 0, entry);
    ASSERT_TRUE(TPAG_Load(image.View(), tpag, txtr - tpag));
    ASSERT_TRUE(TXTR_Load(image.View(), txtr, bgnd - txtr));
    ASSERT_TRUE(Load(bgnd));
    const int32_t copy = Background_Duplicate(0);
    ASSERT_EQ(copy, 1);
    const CBackground* duplicate = Background_Get(copy);
    ASSERT_NE(duplicate->GetBitmap(), nullptr);
    EXPECT_EQ(duplicate->GetPageEntry(), nullptr);
    EXPECT_GE(duplicate->GetTextureId(), 0);
    const CBitmap32& bitmap = *duplicate->GetBitmap();
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 2);
    const std::vector<uint32_t> pixels(bitmap.Pixels(), bitmap.Pixels() + 4);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF010000u, 0xFF020000u, 0xFF050000u, 0xFF060000u}));
    EXPECT_NE(Background_Get(0)->GetPageEntry(), nullptr);  // the original is untouched
    EXPECT_EQ(Background_Duplicate(5), -1);
}

class BackgroundFiles : public Backgrounds {
protected:
    GameFolder game{"BgGame"};
};

TEST_F(BackgroundFiles, PngBecomesABackgroundAndTheSaveAreaShadowsTheShippedOne)
{
    game.WritePng("game/sky.png", 5, 3, 0xFF336699u);
    ASSERT_EQ(Background_Add("sky.png", false, false, true), 0);
    const CBackground* background = Background_Get(0);
    EXPECT_EQ(background->GetWidth(), 5);
    EXPECT_EQ(background->GetHeight(), 3);
    EXPECT_STREQ(Background_GetName(0), "__newbackground0");
    ASSERT_NE(background->GetBitmap(), nullptr);
    EXPECT_EQ(background->GetBitmap()->Pixels()[0], 0xFF336699u);
    EXPECT_GE(background->GetTexture(), 0);
    game.WritePng("data/BgGame/sky.png", 2, 7, 0xFF000000u);
    ASSERT_EQ(Background_AddAlpha("sky.png", false), 1);
    EXPECT_EQ(Background_Get(1)->GetWidth(), 2);
    EXPECT_EQ(Background_Get(1)->GetHeight(), 7);
}

TEST_F(BackgroundFiles, FilesThatGiveNoImageAddNothingAndReplaceNothing)
{
    game.Write("game/notes.png", "not an image at all");
    EXPECT_EQ(Background_Add("notes.png", false, false, false), -1);
    EXPECT_EQ(Background_Add("missing.png", false, false, false), -1);
    EXPECT_EQ(Background_Count(), 0);
    game.WritePng("game/sky.png", 4, 4, 0xFF000000u);
    const int32_t index = Background_CreateNew();
    Background_Get(index)->CreateColor(9, 9, 0xFF, false);
    EXPECT_FALSE(Background_Replace(index, "notes.png", false, false, false));
    EXPECT_FALSE(Background_Replace(index + 1, "sky.png", false, false, false));
    EXPECT_EQ(Background_Get(index)->GetWidth(), 9);
    EXPECT_GE(Background_Get(index)->GetTextureId(), 0);
    EXPECT_TRUE(Background_ReplaceAlpha(index, "sky.png", false));
    EXPECT_EQ(Background_Get(index)->GetWidth(), 4);
    EXPECT_TRUE(Background_Get(index)->GetTransparent());
}

class BackgroundPackage : public ::testing::Test {
protected:
    void TearDown() override
    {
        PackageLoader_Reset();
        Background_FreeAll();
        TexturePages_Clear();
    }
    std::vector<uint8_t> package;
};

TEST_F(BackgroundPackage, BackgroundsKeepTheirNamesSizesAndPageEntries)
{
    pack::Project project;
    project.header.name = "backgrounds";
    project.backgrounds = {{.name = "bg_sky", .image = pack::Image(16, 8), .transparent = true},
                           {.name = "bg_wall", .image = pack::Image(4, 12), .preload = false}};
    package = pack::Package_Build(project, pack::PackageForm::Text);
    Resources_RegisterScriptAccess();
    Registration_InstallPackageReaders();
    Package_SetImage(package.data(), package.size());
    ASSERT_TRUE(Code_Load());
    ASSERT_TRUE(LoadGameData());
    ASSERT_EQ(Background_Count(), 2);
    EXPECT_EQ(Resource_FindByName(ResourceKind::Background, "bg_wall"), 1);
    const CBackground* sky = Background_Get(0);
    EXPECT_EQ(sky->GetWidth(), 16);
    EXPECT_EQ(sky->GetHeight(), 8);
    EXPECT_TRUE(sky->GetTransparent());
    ASSERT_NE(sky->GetPageEntry(), nullptr);
    EXPECT_EQ(sky->GetPageEntry()->sourceWidth, 16);
    const CBackground* wall = Background_Get(1);
    EXPECT_EQ(wall->GetHeight(), 12);
    EXPECT_FALSE(wall->GetPreload());
    ASSERT_NE(wall->GetPageEntry(), nullptr);
    EXPECT_EQ(wall->GetPageEntry()->sourceHeight, 12);
}

}  // namespace
}  // namespace bw::test
