// The text form of a package built from a project.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "bwpack/dump.h"
#include "bwpack/image.h"
#include "bwpack/package_build.h"
#include "bwpack/package_view.h"
#include "bwpack/project.h"
#include "support/scratch_folder.h"
#include "unit/bwpack/tiny_package.h"

namespace bw::pack {
namespace {

using test::ChunksByTag;

// The tiny project built once for all tests here.
struct Tiny {
    Project project = Project_Load(test::kTinyProject);
    std::vector<uint8_t> package = Package_Build(project, PackageForm::Text);
};

const Tiny& TinyPackage()
{
    static const Tiny tiny;
    return tiny;
}

// A package of the text form from a game.json; the folder may hold more.
std::vector<uint8_t> BuildText(const test::ScratchFolder& folder, const std::string& gameJson)
{
    folder.Write("game.json", gameJson);
    return Package_Build(Project_Load(folder.Path()), PackageForm::Text);
}

TEST(PackageBuild, DumpOfTinyProjectMatchesGolden)
{
    const std::string expected = test::Golden("bwpack_dump.txt");
    ASSERT_FALSE(expected.empty()) << "tests/golden/bwpack_dump.txt missing";
    EXPECT_EQ(Package_Dump(TinyPackage().package), expected);
}

TEST(PackageBuild, ChunksFollowTheLoadersOrderRules)
{
    const PackageView view(TinyPackage().package);
    std::vector<std::string> tags;
    for (const ChunkInfo& chunk : view.Chunks()) tags.push_back(chunk.tag);
    const auto at = [&](const std::string& tag) {
        const auto found = std::find(tags.begin(), tags.end(), tag);
        EXPECT_NE(found, tags.end()) << tag;
        EXPECT_EQ(std::count(tags.begin(), tags.end(), tag), 1) << tag;
        return found - tags.begin();
    };
    EXPECT_EQ(at("GEN8"), 0);
    EXPECT_LT(at("OPTN"), at("SOND"));
    EXPECT_LT(at("OPTN"), at("AUDO"));
    EXPECT_LT(at("BGND"), at("ROOM"));
    EXPECT_LT(at("TPAG"), at("TXTR"));
    // The text form carries no compiled code at all.
    for (const char* tag : {"CODE", "VARI", "FUNC"}) EXPECT_EQ(std::count(tags.begin(), tags.end(), tag), 0) << tag;
    EXPECT_EQ(view.U32(4), view.Size() - 8);
}

TEST(PackageBuild, PageEntriesShowEachFrameOnItsTexture)
{
    const Tiny& tiny = TinyPackage();
    const PackageView view(tiny.package);
    const std::map<std::string, ChunkInfo> chunks = ChunksByTag(view);
    std::vector<Image> pages;
    const ChunkInfo& txtr = chunks.at("TXTR");
    for (uint32_t record : view.PointerList(txtr.payload)) {
        const uint32_t data = view.U32(record + 4);
        const std::span<const uint8_t> png = view.Bytes(data, txtr.payload + txtr.length - data);
        Image page;
        std::string reason;
        ASSERT_TRUE(Image_DecodePng(std::vector<uint8_t>(png.begin(), png.end()), &page, &reason)) << reason;
        pages.push_back(std::move(page));
    }
    const std::vector<uint32_t> sprites = view.PointerList(chunks.at("SPRT").payload);
    ASSERT_EQ(sprites.size(), tiny.project.sprites.size());
    for (size_t s = 0; s < sprites.size(); ++s) {
        const Sprite& sprite = tiny.project.sprites[s];
        ASSERT_EQ(view.U32(sprites[s] + 56), sprite.frames.size());
        for (size_t f = 0; f < sprite.frames.size(); ++f) {
            const uint32_t entry = view.U32(sprites[s] + 60 + 4 * f);
            const int16_t x = view.I16(entry), y = view.I16(entry + 2), w = view.I16(entry + 4), h = view.I16(entry + 6);
            EXPECT_EQ(w, sprite.width);
            EXPECT_EQ(h, sprite.height);
            EXPECT_EQ(view.I16(entry + 8), 0);                // stored uncropped
            EXPECT_EQ(view.I16(entry + 12), sprite.width);   // target size
            EXPECT_EQ(view.I16(entry + 16), sprite.width);   // frame size
            const Image& page = pages.at(static_cast<size_t>(view.I16(entry + 20)));
            EXPECT_EQ(page.Crop(x, y, w, h).rgba, sprite.frames[f].rgba) << sprite.name << " frame " << f;
        }
    }
}

TEST(PackageBuild, SpriteCarriesOneMaskPerFrameSolidWhereAlphaIsAboveZero)
{
    const Tiny& tiny = TinyPackage();
    const PackageView view(tiny.package);
    const uint32_t record = view.PointerList(ChunksByTag(view).at("SPRT").payload).at(0);
    const Sprite& sprite = tiny.project.sprites[0];
    const uint64_t masksAt = record + 60 + 4 * sprite.frames.size();
    ASSERT_EQ(view.U32(masksAt), sprite.frames.size());
    const size_t rowBytes = (static_cast<size_t>(sprite.width) + 7) / 8;
    for (size_t f = 0; f < sprite.frames.size(); ++f) {
        const uint64_t mask = masksAt + 4 + f * rowBytes * static_cast<size_t>(sprite.height);
        for (int32_t y = 0; y < sprite.height; ++y) {
            for (int32_t x = 0; x < sprite.width; ++x) {
                const bool solid = (view.U8(mask + y * rowBytes + x / 8) & (0x80 >> (x % 8))) != 0;
                ASSERT_EQ(solid, sprite.frames[f].Alpha(x, y) > 0) << "frame " << f << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(PackageBuild, SharedMaskHoldsEveryFramesSolidPixels)
{
    // Two 9x1 frames: pixel 0 solid in the first, pixel 8 in the second.
    Image strip(18, 1);
    strip.rgba[0 * 4 + 3] = 255;
    strip.rgba[17 * 4 + 3] = 255;
    const std::vector<uint8_t> png = Image_EncodePng(strip);
    test::ScratchFolder folder;
    folder.Write("strip.png", std::string(png.begin(), png.end()));
    const std::vector<uint8_t> package = BuildText(folder, R"({"name": "t", "rooms": [{"name": "rm"}],
        "sprites": [{"name": "s", "image": "strip.png", "frames": 2, "separate_masks": false}]})");
    const PackageView view(package);
    const uint32_t record = view.PointerList(ChunksByTag(view).at("SPRT").payload).at(0);
    const uint64_t masksAt = record + 60 + 4 * 2;
    ASSERT_EQ(view.U32(masksAt), 1u);
    EXPECT_EQ(view.U8(masksAt + 4), 0x80);
    EXPECT_EQ(view.U8(masksAt + 5), 0x80);
}

TEST(PackageBuild, TextFormActionsKeepTextAndNoCodeIndex)
{
    const PackageView view(TinyPackage().package);
    const uint32_t object = view.PointerList(ChunksByTag(view).at("OBJT").payload).at(0);
    const uint32_t vertices = view.U32(object + 64);
    const std::vector<uint32_t> types = view.PointerList(object + 80 + 8 * vertices);
    ASSERT_EQ(types.size(), 12u);
    const uint32_t draw = view.PointerList(types[8]).at(0);
    EXPECT_EQ(view.I32(draw), 0);
    const uint32_t action = view.PointerList(draw + 4).at(0);
    EXPECT_EQ(view.I32(action + 32), -1);
    EXPECT_EQ(view.String(view.U32(action + 60)), "image_alpha = 1;\n");
}

TEST(PackageBuild, HeaderFlagsWordHoldsWhatGameJsonAsks)
{
    constexpr uint32_t kCursorShown = 0x20;  // the default
    const std::pair<const char*, uint32_t> cases[] = {  // fields of the top-level object, flags
        {R"("window": {})", kCursorShown},
        {R"("window": {"full_screen": true})", kCursorShown | 0x1},
        {R"("window": {"vsync": true, "interpolate": true})", kCursorShown | 0x2 | 0x8},
        {R"("window": {"software_vertex_processing": true, "keep_aspect_ratio": true, "resizable": true})",
         kCursorShown | 0x4 | 0x10 | 0x40},
        {R"("splash": 1)", kCursorShown | 0x200},
        {R"("splash": 3)", kCursorShown | 0x800},
        {R"("steam": true, "roaming_saves": true)", kCursorShown | 0x1000 | 0x2000},
        // The runner shows the header's caption only in splash modes 2 and 3.
        {R"("caption": "Hi")", kCursorShown | 0x400},
        {R"("caption": "Hi", "splash": 3)", kCursorShown | 0x800},
        {R"("options": {"show_cursor": false})", 0},
    };
    for (const auto& [fields, flags] : cases) {
        const std::vector<uint8_t> package =
            BuildText(test::ScratchFolder(), std::string(R"({"name": "t", "rooms": [{"name": "rm"}], )") + fields + "}");
        const PackageView view(package);
        const std::map<std::string, pack::ChunkInfo> chunks = ChunksByTag(view);
        EXPECT_EQ(view.U32(chunks.at("GEN8").payload + 68), flags) << fields;
        // The options word says the same as the header's bit.
        EXPECT_EQ(view.U32(chunks.at("OPTN").payload + 16), (flags & kCursorShown) != 0 ? 1u : 0u) << fields;
    }
}

TEST(PackageDump, MalformedContainersAreReportedNotRead)
{
    std::vector<uint8_t> package = TinyPackage().package;
    package.pop_back();
    EXPECT_THROW(Package_Dump(package), DumpError);
    EXPECT_THROW(Package_Dump(std::vector<uint8_t>{'F', 'O', 'R', 'M'}), DumpError);
    EXPECT_THROW(Package_Dump(std::vector<uint8_t>{'F', 'O', 'R', 'M', 4, 0, 0, 0, 'S', 'T', 'R', 'G'}), DumpError);
}

TEST(PackageDump, CorruptWordsNeverReadOutsideThePackage)
{
    const std::vector<uint8_t>& original = TinyPackage().package;
    test::DumpWithEachWordCorrupted(original, 8, original.size(), {0xFFFFFFF0u, 0x7FFFFFFFu, 3u});
}

}  // namespace
}  // namespace bw::pack
