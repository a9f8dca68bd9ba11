// The container walk, the header record and the two passes over packages
// written by the test writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "platform/package_image.h"
#include "platform/package_loader.h"
#include "unit/app/test_package.h"

namespace bw {
namespace {

using test::TestHeader;
using test::TestPackage;

std::vector<std::string> g_lines;
std::vector<std::string> g_calls;
int g_registrations = 0;

template <bool kResult>
bool Record(const PackageView& view, uint32_t at, uint32_t)
{
    g_calls.emplace_back(reinterpret_cast<const char*>(view.Bytes(at - 8, 4)), 4);  // the chunk's tag
    return kResult;
}

class PackageLoaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_lines.clear();
        g_calls.clear();
        g_registrations = 0;
        PackageLoader_Reset();
        Console_SetDebugListener([](const char* line) { g_lines.emplace_back(line); });
        PackageLoaderHooks hooks;
        hooks.handlers = {{Package_Tag("TPAG"), nullptr, nullptr, &Record<true>},
                          {Package_Tag("TXTR"), nullptr, nullptr, &Record<true>},
                          {Package_Tag("SPRT"), nullptr, nullptr, &Record<true>},
                          {Package_Tag("PATH"), nullptr, nullptr, &Record<false>}};
        hooks.registerFunctions = [] { ++g_registrations; };
        hooks.clearTables = [] { g_calls.emplace_back("clear"); };
        PackageLoader_SetHooks(std::move(hooks));
    }
    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        PackageLoader_SetHooks({});
        PackageLoader_Reset();
    }
    void Use(const TestPackage& package)
    {
        m_image = package.Finish();
        Package_SetImage(m_image.data(), m_image.size());
    }
    // A package of just the header record, through the header pass.
    bool LoadHeader(const TestHeader& header, const char* tag = "GEN8")
    {
        PackageLoader_Reset();
        TestPackage package;
        test::WriteHeader(package, header, tag);
        Use(package);
        return Code_Load();
    }
    static bool Logged(const std::string& line) { return std::find(g_lines.begin(), g_lines.end(), line) != g_lines.end(); }

    std::vector<uint8_t> m_image;
};

TEST_F(PackageLoaderTest, ContainerChecksRejectWhatCannotBeWalked)
{
    TestPackage good;
    good.Chunk("SPRT", {0});
    std::vector<uint8_t> wrongLength = good.Finish();
    wrongLength[4] += 1;
    std::vector<uint8_t> swapped = good.Finish();
    std::memcpy(swapped.data(), "MROF", 4);
    std::vector<uint8_t> pastEnd = good.Finish();
    pastEnd[12] = 200;  // the chunk's payload length
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool wellFormed;
    } cases[] = {
        {"good", good.Finish(), true},
        {"FORM length not size - 8", wrongLength, false},
        {"byte-swapped magic", swapped, true},
        {"chunk past the end", pastEnd, false},
        {"only the FORM header", {'F', 'O', 'R', 'M', 0, 0, 0, 0}, false},
        {"truncated chunk header", {'F', 'O', 'R', 'M', 4, 0, 0, 0, 'S', 'P', 'R', 'T'}, false},
    };
    for (const auto& c : cases) {
        const PackageView view(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(Package_WalkChunks(view, [](const ChunkInfo&) { return true; }), c.wellFormed) << c.name;
    }
}

// What the person who tried to load the file is told.
TEST_F(PackageLoaderTest, ContainerFaultsSayWhyInPlainWords)
{
    TestPackage good;
    good.Chunk("SPRT", {0});
    good.Chunk("PATH", {0, 0});
    const std::vector<uint8_t> whole = good.Finish();
    std::vector<uint8_t> cutInChunk(whole.begin(), whole.end() - 3);
    std::vector<uint8_t> cutBetweenChunks(whole.begin(), whole.begin() + 8 + 12);
    std::vector<uint8_t> extra = whole;
    extra.push_back(0);
    std::vector<uint8_t> chunkPastEnd = whole;
    chunkPastEnd[12] = 200;  // SPRT's payload length, the FORM length kept
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string fault;
    } cases[] = {
        {"good", whole, ""},
        {"empty", {}, "the file is empty"},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, "not a game package: the first four bytes are not \"FORM\""},
        {"three bytes", {'F', 'O', 'R'}, "not a game package: the first four bytes are not \"FORM\""},
        {"magic alone", {'F', 'O', 'R', 'M'}, "cut short inside the FORM header"},
        {"no chunks", {'F', 'O', 'R', 'M', 0, 0, 0, 0}, "the package holds no chunks"},
        {"cut inside a chunk", cutInChunk, "cut short inside chunk PATH at offset 20: 25 of the 28 bytes after the FORM header are there"},
        {"cut between chunks", cutBetweenChunks, "cut short between two chunks: 12 of the 28 bytes after the FORM header are there"},
        {"bytes after the end", extra, "1 bytes more than the FORM header says follow it"},
        {"chunk past the end", chunkPastEnd, "chunk SPRT at offset 8 runs past the end of the file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Package_ContainerFault(PackageView(c.bytes.data(), c.bytes.size())), c.fault) << c.name;
    }
}

TEST_F(PackageLoaderTest, AFailedPassKeepsTheFirstReason)
{
    // Chunks of one word each.
    using Chunks = std::vector<std::pair<const char*, uint32_t>>;
    const struct {
        Chunks chunks;
        bool (*pass)();
        const char* fault;
    } cases[] = {
        {{{"GEN8", 0x0D01}}, &Code_Load, "chunk GEN8 at offset 8 is damaged"},
        {{{"SPRT", 0}, {"ABCD", 1}, {"PATH", 0}}, &Runner_ProcessChunks,
         "chunk ABCD at offset 20 is of a kind this runner does not know"},
        {{{"SPRT", 0}, {"PATH", 0}, {"ABCD", 1}}, &Runner_ProcessChunks, "chunk PATH at offset 20 is damaged"},
    };
    for (const auto& c : cases) {
        PackageLoader_Reset();
        EXPECT_EQ(Package_LoadFault(), "") << "a new load starts without a reason";
        TestPackage package;
        for (const auto& [tag, word] : c.chunks) package.Chunk(tag, {word});
        Use(package);
        EXPECT_FALSE(c.pass());
        EXPECT_EQ(Package_LoadFault(), c.fault);
    }
}

TEST_F(PackageLoaderTest, ResolvingAnOffsetFailsOutsideTheFile)
{
    TestPackage package;
    const std::vector<uint32_t> strings = package.Strings({"hello"});
    const std::vector<uint8_t> bytes = package.Finish();
    const PackageView view(bytes.data(), bytes.size());
    const uint8_t* pointer = reinterpret_cast<const uint8_t*>(1);
    EXPECT_TRUE(Wad_PatchPointer(view, 0, 4, &pointer));
    EXPECT_EQ(pointer, nullptr) << "0 stays none";
    EXPECT_TRUE(Wad_PatchPointer(view, 8, 4, &pointer));
    EXPECT_EQ(pointer, bytes.data() + 8);
    EXPECT_FALSE(Wad_PatchPointer(view, static_cast<uint32_t>(bytes.size()) - 2, 4, &pointer));
    const char* text = nullptr;
    ASSERT_TRUE(Wad_PatchString(view, strings[0], &text));
    EXPECT_STREQ(text, "hello");
    EXPECT_FALSE(Wad_PatchString(view, static_cast<uint32_t>(bytes.size()) + 10, &text));
}

TEST_F(PackageLoaderTest, HeaderTagDecidesTheCodeVersionBeforeRegistration)
{
    for (const auto& [tag, version] : {std::pair{"GEN8", 800}, std::pair{"GENL", 700}, std::pair{"GEN7", 700}}) {
        ASSERT_TRUE(LoadHeader(TestHeader{}, tag)) << tag;
        EXPECT_EQ(Package().codeVersion, version) << tag;
        ASSERT_TRUE(Runner_ProcessChunks()) << tag;
        EXPECT_EQ(Package().codeVersion, version) << tag;
    }
}

TEST_F(PackageLoaderTest, FunctionsAreRegisteredOnceWhateverTheHeaderCount)
{
    TestPackage package;
    test::WriteHeader(package, TestHeader{});
    test::WriteHeader(package, TestHeader{}, "GENL");
    Use(package);
    ASSERT_TRUE(Code_Load());
    EXPECT_EQ(g_registrations, 1);
    EXPECT_TRUE(Logged("InitBWLFunctions\n"));
}

TEST_F(PackageLoaderTest, HeaderFieldsAreRead)
{
    TestPackage package;
    const std::vector<uint32_t> s = package.Strings({"Game", "Default", "savefolder", "Caption"});
    const TestHeader h{.flagByte = 0, .name = s[0], .config = s[1], .saveFolder = s[2], .caption = s[3],
                       .steamAppId = 480, .roomOrder = {2, 0, 1}};
    test::WriteHeader(package, h);
    Use(package);
    ASSERT_TRUE(Code_Load());
    const GameHeader& header = Package().header;
    EXPECT_STREQ(header.displayName, "Game");
    EXPECT_STREQ(header.configName, "Default");
    EXPECT_STREQ(header.saveFolder, "savefolder");
    EXPECT_STREQ(header.caption, "Caption");
    EXPECT_TRUE(header.DebugMode());
    EXPECT_EQ(header.lastInstanceId, 100010);
    EXPECT_EQ(header.lastTileId, 10000020);
    EXPECT_EQ(header.gameId, 77);
    EXPECT_EQ(header.windowWidth, 320);
    EXPECT_EQ(header.windowHeight, 240);
    EXPECT_EQ(header.steamAppId, 480);
    EXPECT_EQ(header.roomOrder, (std::vector<int32_t>{2, 0, 1}));
}

TEST_F(PackageLoaderTest, SplashModeIsTheHighestSplashBit)
{
    const std::pair<uint32_t, int32_t> cases[] = {{0, 0}, {0x200, 1}, {0x400, 2}, {0x800, 3}, {0x200 | 0x800, 3}, {0x600, 2}};
    for (const auto& [flags, splash] : cases) {
        GameHeader header;
        header.flags = flags;
        EXPECT_EQ(header.SplashMode(), splash) << std::hex << flags;
    }
}

TEST_F(PackageLoaderTest, RoomOrderPlaceFollowsTheFormatNumber)
{
    const std::pair<uint8_t, uint32_t> cases[] = {{8, 100}, {9, 100}, {10, 104}, {11, 112}, {12, 120}, {13, 124}};
    for (const auto& [format, countAt] : cases) {
        ASSERT_TRUE(LoadHeader({.format = format, .roomOrderAt = countAt, .roomOrder = {5, 3}})) << int{format};
        EXPECT_EQ(Package().header.roomOrder, (std::vector<int32_t>{5, 3})) << int{format};
    }
}

TEST_F(PackageLoaderTest, RoomOrderWinsWhereItOverlapsAField)
{
    // Format 14 keeps the room order at 100, over the caption, the two
    // 64-bit values and the Steam id.
    ASSERT_TRUE(LoadHeader({.format = 14, .roomOrderAt = 100, .roomOrder = {1, 2, 3, 4, 5, 6}}));
    EXPECT_EQ(Package().header.caption, nullptr);
    EXPECT_EQ(Package().header.steamAppId, 0);
    EXPECT_EQ(Package().header.roomOrder.size(), 6u);
    // Old formats keep it at 36, over the save folder's offset.
    ASSERT_TRUE(LoadHeader({.format = 7, .roomOrderAt = 36, .roomOrder = {9, 8}}));
    EXPECT_EQ(Package().header.saveFolder, nullptr);
    EXPECT_EQ(Package().header.roomOrder, (std::vector<int32_t>{9, 8}));
}

TEST_F(PackageLoaderTest, DamagedHeaderIsALoadError)
{
    TestPackage shortRecord;
    shortRecord.Chunk("GEN8", {0x0D01});
    Use(shortRecord);
    EXPECT_FALSE(Code_Load()) << "short record";
    EXPECT_FALSE(LoadHeader({.name = 0x7FFFFFF0})) << "name outside the file";
    TestPackage hugeOrder;
    test::WriteHeader(hugeOrder, TestHeader{});
    std::vector<uint8_t> bytes = hugeOrder.Finish();
    const uint32_t count = 0x40000000;
    std::memcpy(&bytes[8 + 8 + 124], &count, 4);
    PackageLoader_Reset();
    Package_SetImage(bytes.data(), bytes.size());
    EXPECT_FALSE(Code_Load()) << "room order count past the record";
}

TEST_F(PackageLoaderTest, WrongFormLengthFailsBothPasses)
{
    TestPackage package;
    test::WriteHeader(package, TestHeader{});
    std::vector<uint8_t> bytes = package.Finish();
    bytes[4] ^= 4;
    Package_SetImage(bytes.data(), bytes.size());
    EXPECT_FALSE(Code_Load());
    EXPECT_FALSE(Runner_ProcessChunks());
    EXPECT_EQ(g_registrations, 0);
}

TEST_F(PackageLoaderTest, MainPassLogsEveryChunkAndSkipsEmptyOnes)
{
    TestPackage package;
    package.BeginChunk("SPRT");
    package.EndChunk();
    package.Chunk("SPRT", {0});
    Use(package);
    ASSERT_TRUE(Runner_ProcessChunks());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"clear", "SPRT"}));
    EXPECT_TRUE(Logged("initialise everything!\n"));
    EXPECT_TRUE(Logged("Process Chunk: SPRT   0\n"));
    EXPECT_TRUE(Logged("Process Chunk: SPRT   4\n"));
}

TEST_F(PackageLoaderTest, UnknownChunkOrFailingReaderFailsTheMainPassButTheWalkGoesOn)
{
    TestPackage package;
    package.Chunk("ABCD", {1});
    package.Chunk("SPRT", {0});
    Use(package);
    EXPECT_FALSE(Runner_ProcessChunks());
    EXPECT_TRUE(Logged("unknown Chunk ABCD:1145258561\n"));
    EXPECT_EQ(g_calls.back(), "SPRT");

    TestPackage failing;
    failing.Chunk("PATH", {0});
    Use(failing);
    EXPECT_FALSE(Runner_ProcessChunks());
}

TEST_F(PackageLoaderTest, TexturesAreBoundAfterBothListsWhateverTheOrder)
{
    TestPackage package;
    package.Chunk("TXTR", {0});
    package.Chunk("SPRT", {0});
    package.Chunk("TPAG", {0});
    Use(package);
    ASSERT_TRUE(Runner_ProcessChunks());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"clear", "SPRT", "TPAG", "TXTR"}));
}

TEST_F(PackageLoaderTest, StringTableEntriesMustLieInsideTheFile)
{
    TestPackage package;
    package.Strings({"a", "bc"});
    Use(package);
    ASSERT_TRUE(Code_Load());
    EXPECT_STREQ(Package_String(1), "bc");
    EXPECT_EQ(Package_String(2), nullptr);
    // A length that runs past the end of the file.
    PackageLoader_Reset();
    std::vector<uint8_t> bytes = package.Finish();
    bytes[8 + 8 + 4 + 8] = 0xF0;
    Package_SetImage(bytes.data(), bytes.size());
    EXPECT_FALSE(Code_Load());
}

}  // namespace
}  // namespace bw
