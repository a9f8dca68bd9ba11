#include "platform/stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/memory.h"
#include "platform/scrambler.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

constexpr int32_t kMinI32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxI32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kMaxI64 = std::numeric_limits<int64_t>::max();

using Text = std::unique_ptr<char, decltype([](char* text) { MemoryManager_Free(text); })>;
using Bytes = std::vector<uint8_t>;

Bytes BytesOf(const CStream& stream) { return Bytes(stream.GetData(), stream.GetData() + stream.GetSize()); }

// Optionally a stored length, then the bytes; rewound.
void Fill(CStream& stream, const Bytes& bytes, std::optional<int32_t> length = {})
{
    if (length) stream.WriteInteger(*length);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
}

Text ReadText(CStream& stream, int64_t* copied)
{
    char* raw = nullptr;
    *copied = stream.ReadString(&raw);
    return Text(raw);
}

// Deterministic bytes that do not compress well.
Bytes NoiseBytes(size_t count)
{
    Bytes bytes(count);
    uint32_t x = 0x12345678u;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    return bytes;
}

TEST(StreamValues, IntegersAndRealsRoundTripAsLittleEndianBytes)
{
    const int32_t integers[] = {0, -1, 0x01020304, kMinI32, kMaxI32};
    const uint64_t reals[] = {std::bit_cast<uint64_t>(1.0), std::bit_cast<uint64_t>(-0.0),
                              std::bit_cast<uint64_t>(std::numeric_limits<double>::infinity()),
                              std::bit_cast<uint64_t>(std::numeric_limits<double>::denorm_min()),
                              0x7FF8000000000000ull, 0xFFF80000DEADBEEFull};  // NaNs keep their payload
    CStream stream;
    for (int32_t v : integers) stream.WriteInteger(v);
    for (uint64_t bits : reals) stream.WriteReal(std::bit_cast<double>(bits));
    EXPECT_EQ(Bytes(stream.GetData() + 8, stream.GetData() + 12), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(Bytes(stream.GetData() + 20, stream.GetData() + 28), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    stream.Seek(0);
    for (int32_t v : integers) EXPECT_EQ(stream.ReadInteger(), v);
    for (uint64_t bits : reals) EXPECT_EQ(std::bit_cast<uint64_t>(stream.ReadReal()), bits);
}

TEST(StreamValues, BooleanStoresOneOnlyForOneAndReadsAnyNonZeroWordAsTrue)
{
    CStream stream;
    for (int32_t written : {1, 0, 2, -1}) stream.WriteBoolean(written);
    stream.WriteInteger(2);
    EXPECT_EQ(BytesOf(stream), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}));
    stream.Seek(16);
    EXPECT_TRUE(stream.ReadBoolean());
    EXPECT_FALSE(stream.ReadBoolean());
}

TEST(StreamValues, StringsAreLengthPrefixedWithoutTerminator)
{
    CStream stream;
    for (const char* text : {"abc", "", static_cast<const char*>(nullptr), "hi"}) stream.WriteString(text);
    EXPECT_EQ(BytesOf(stream), (Bytes{3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 'h', 'i'}));
    stream.Seek(0);
    int64_t copied = 0;
    EXPECT_STREQ(ReadText(stream, &copied).get(), "abc");
    EXPECT_EQ(copied, 3);
    EXPECT_STREQ(ReadText(stream, &copied).get(), "");  // empty, not null
    EXPECT_EQ(stream.ReadStringOrNull(), nullptr);
    EXPECT_STREQ(Text(stream.ReadStringOrNull()).get(), "hi");
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
}

TEST(StreamGrowth, LengthIsTheFurthestWriteNotTheBlockOrThePosition)
{
    EXPECT_EQ(CStream(64).GetSize(), 0);  // a reserved block holds no data yet
    CStream stream;
    for (int i = 0; i < 3; ++i) stream.WriteInteger(1);
    ASSERT_GT(MemoryManager_GetSize(stream.GetData()), 12u);  // the block grew past the data
    stream.Seek(0);
    stream.WriteInteger(9);  // overwriting inside keeps the length
    EXPECT_EQ(BytesOf(stream), (Bytes{9, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(stream.SeekFrom(0, 2), 12);
    EXPECT_EQ(stream.ReadInteger(), 0);
    EXPECT_EQ(stream.GetPosition(), 12);
}

TEST(StreamGrowth, WritingItsOwnBytesSurvivesTheBlockMoving)
{
    const Bytes half = NoiseBytes(20000);  // big enough that the old block is really released
    CStream stream;
    Fill(stream, half);
    stream.SeekFrom(0, 2);
    ASSERT_TRUE(stream.WriteBuffer(stream.GetData(), stream.GetSize()));
    Bytes twice = half;
    twice.insert(twice.end(), half.begin(), half.end());
    EXPECT_EQ(BytesOf(stream), twice);
}

TEST(StreamReads, PastTheEndGiveDefaultsWithoutAdvancing)
{
    CStream stream;
    Fill(stream, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
    stream.Seek(4);  // two bytes left: too few for any value
    EXPECT_EQ(stream.ReadInteger(), 0);
    EXPECT_EQ(stream.ReadReal(), 0.0);
    EXPECT_FALSE(stream.ReadBoolean());
    EXPECT_EQ(stream.ReadStringOrNull(), nullptr);
    int64_t copied = -1;
    EXPECT_STREQ(ReadText(stream, &copied).get(), "");
    EXPECT_EQ(copied, 0);
    EXPECT_EQ(stream.GetPosition(), 4);
}

TEST(StreamReads, BufferCopiesWhatIsLeftAndIgnoresNullOrEmptyRequests)
{
    CStream stream;
    EXPECT_FALSE(stream.WriteBuffer("x", 0));
    EXPECT_FALSE(stream.WriteBuffer(nullptr, 4));
    EXPECT_EQ(stream.GetData(), nullptr);
    Fill(stream, {1, 2, 3});
    uint8_t out[8] = {};
    EXPECT_EQ(stream.ReadBuffer(nullptr, 2), 0);
    EXPECT_EQ(stream.ReadBuffer(out, -1), 0);
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_EQ(stream.ReadBuffer(out, 8), 3);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(stream.ReadBuffer(out, 8), 0);
    EXPECT_EQ(stream.GetPosition(), 3);
}

TEST(StreamSeek, PositionsAreClampedToTheData)
{
    const struct { int64_t offset; int origin; int64_t expected; } cases[] = {
        {3, 0, 3}, {-1, 0, 0}, {99, 0, 12}, {2, 1, 6}, {-9, 1, 0}, {-4, 2, 8}, {5, 2, 12},
        {1, 7, 4} /* unknown origin: unchanged */, {kMaxI64, 1, 12}, {std::numeric_limits<int64_t>::min(), 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " origin " << c.origin);
        CStream stream;
        Fill(stream, Bytes(12));
        stream.Seek(4);
        EXPECT_EQ(stream.SeekFrom(c.offset, c.origin), c.expected);
        EXPECT_EQ(stream.GetPosition(), c.expected);
    }
}

TEST(StreamStoredLengths, StringLengthPastTheEndTakesTheRestAndANegativeOneEndsTheStream)
{
    const struct { int32_t length; const char* text; } cases[] = {
        {100, "xyz"}, {kMaxI32, "xyz"}, {-1, ""}, {kMinI32, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        CStream stream;
        Fill(stream, {'x', 'y', 'z'}, c.length);
        int64_t copied = -1;
        EXPECT_STREQ(ReadText(stream, &copied).get(), c.text);
        EXPECT_EQ(copied, static_cast<int64_t>(std::strlen(c.text)));
        EXPECT_EQ(stream.GetPosition(), 7);
        stream.Seek(0);
        Text orNull(stream.ReadStringOrNull());
        EXPECT_STREQ(orNull.get(), c.length < 0 ? nullptr : "xyz");
        EXPECT_EQ(stream.GetPosition(), 7);
    }
}

TEST(StreamStoredLengths, BadBlockLengthsFailAndEndTheStream)
{
    for (int32_t length : {-1, 4, 1000, kMaxI32, kMinI32}) {
        SCOPED_TRACE(length);
        CStream forStream, forSkip, forInflate;
        for (CStream* stream : {&forStream, &forSkip, &forInflate}) Fill(*stream, {1, 2, 3}, length);
        EXPECT_EQ(forStream.ReadStream(), nullptr);
        EXPECT_EQ(forStream.GetPosition(), 7);
        EXPECT_EQ(forSkip.SkipBlock(), 7);
        EXPECT_EQ(forInflate.ZDecompress(), nullptr);
        EXPECT_EQ(forInflate.GetPosition(), 7);
    }
}

TEST(StreamStoredLengths, ValidBlocksAreSkippedOrCopiedAtPositionZero)
{
    CStream stream;
    Fill(stream, {7, 8, 9}, 2);
    EXPECT_EQ(stream.SkipBlock(), 6);
    stream.Seek(0);
    std::unique_ptr<CStream> block = stream.ReadStream();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(BytesOf(*block), (Bytes{7, 8}));
    EXPECT_EQ(block->GetPosition(), 0);
    EXPECT_EQ(stream.GetPosition(), 6);
    stream.GetData()[4] = 0;  // a copy, not a view
    EXPECT_EQ(block->GetData()[0], 7);
}

TEST(StreamViews, AttachedBlockIsReadInPlaceAndCopiedBeforeGrowing)
{
    Bytes outside = {5, 0, 0, 0};
    {
        CStream stream;
        stream.Attach(outside.data(), 4);
        EXPECT_EQ(stream.GetData(), outside.data());
        EXPECT_EQ(stream.ReadInteger(), 5);
        stream.WriteInteger(0x06060606);
        EXPECT_NE(stream.GetData(), outside.data());
        EXPECT_EQ(BytesOf(stream), (Bytes{5, 0, 0, 0, 6, 6, 6, 6}));
    }  // neither growing nor the destructor may free the vector's storage
    EXPECT_EQ(outside, (Bytes{5, 0, 0, 0}));
}

TEST(StreamViews, ViewOfAnotherStreamSharesItsBytesClampedToTheData)
{
    CStream source;
    Fill(source, {1, 2, 3, 4, 5, 6});
    source.Seek(1);
    {
        CStream view;
        view.CopyFrom(&source, 1, 3, true);
        EXPECT_EQ(view.GetData(), source.GetData() + 1);
        EXPECT_EQ(BytesOf(view), (Bytes{2, 3, 4}));
        EXPECT_EQ(view.GetPosition(), 0);
        EXPECT_EQ(source.GetPosition(), 4);
        view.CopyFrom(&source, 4, 100, true);
        EXPECT_EQ(BytesOf(view), (Bytes{5, 6}));
        EXPECT_EQ(source.GetPosition(), 6);
    }  // the view's destructor must not free the source's block
    EXPECT_EQ(BytesOf(source), (Bytes{1, 2, 3, 4, 5, 6}));
}

TEST(StreamCopy, CopyRangeAppendsFromTheSourcePosition)
{
    const struct { int64_t sourcePosition, start, length; Bytes appended; int64_t sourcePositionAfter; } cases[] = {
        {3, 0, 0, {1, 2, 3, 4, 5}, 5},  // zero start and length: the whole source
        {1, 1, 2, {2, 3}, 3}, {3, 3, 50, {4, 5}, 5}, {1, 1, -2, {}, 1}, {5, 5, 2, {}, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.sourcePosition << " length " << c.length);
        CStream source, target;
        Fill(source, {1, 2, 3, 4, 5});
        source.Seek(c.sourcePosition);
        target.WriteInteger(-1);
        target.CopyRange(&source, c.start, c.length);
        Bytes expected = {0xFF, 0xFF, 0xFF, 0xFF};
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(BytesOf(target), expected);
        EXPECT_EQ(source.GetPosition(), c.sourcePositionAfter);
    }
}

TEST(StreamHex, TextIsUpperCaseHexOfTheBytesBeforeThePositionAndReadsBack)
{
    CStream stream;
    char* raw = reinterpret_cast<char*>(1);
    stream.ConvertToString(&raw);
    EXPECT_EQ(raw, nullptr);  // empty stream
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(255 - i);
    Fill(stream, all);
    stream.Seek(2);
    stream.ConvertToString(&raw);
    EXPECT_STREQ(Text(raw).get(), "FFFE");
    stream.SeekFrom(0, 2);
    stream.ConvertToString(&raw);
    CStream back;
    back.ConvertFromString(Text(raw).get());
    EXPECT_EQ(BytesOf(back), all);
}

TEST(StreamHex, ConvertFromStringDecodesExactlyTheValidPairs)
{
    const struct { const char* text; Bytes bytes; } cases[] = {
        {"00ab", {0x00, 0xAB}}, {"01zz02", {0x01, 0x02}}, {"0x1F", {0x1F}}, {"G0ff", {0xFF}},
        {"0A1", {0x0A}} /* a lone last character is no pair */, {"zz", {}}, {"", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CStream stream;
        stream.WriteInteger(-1);  // replaced, not appended to
        stream.ConvertFromString(c.text);
        EXPECT_EQ(BytesOf(stream), c.bytes);
        EXPECT_EQ(stream.GetPosition(), 0);
    }
}

TEST(StreamZlib, CompressedBlockIsLengthPrefixedZlibAtThePositionAndInflatesBack)
{
    Bytes repetitive(70000);  // inflates to more than one output buffer
    for (size_t i = 0; i < repetitive.size(); ++i) repetitive[i] = static_cast<uint8_t>(i % 7);
    for (const Bytes& original : {Bytes{}, Bytes{42}, NoiseBytes(40000), repetitive}) {
        SCOPED_TRACE(original.size());
        CStream source, packed;
        Fill(source, original);
        source.Seek(source.GetSize() / 2);  // the whole source counts, whatever its position
        packed.WriteInteger(77);
        ASSERT_TRUE(packed.ZCompress(&source));
        EXPECT_EQ(source.GetPosition(), source.GetSize() / 2);
        packed.Seek(4);
        const int32_t length = packed.ReadInteger();
        EXPECT_EQ(length, packed.GetSize() - 8);
        Bytes independent(original.size() + 1);
        uLongf inflated = independent.size();
        ASSERT_EQ(uncompress(independent.data(), &inflated, packed.GetData() + 8, static_cast<uLong>(length)), Z_OK);
        independent.resize(inflated);
        EXPECT_EQ(independent, original);
        packed.Seek(4);
        std::unique_ptr<CStream> result = packed.ZDecompress();
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->GetPosition(), 0);
        EXPECT_EQ(BytesOf(*result), original);
        EXPECT_EQ(packed.GetPosition(), packed.GetSize());
    }
}

TEST(StreamZlib, TruncatedOrCorruptedBlockGivesNull)
{
    CStream source, packed;
    Fill(source, NoiseBytes(5000));
    ASSERT_TRUE(packed.ZCompress(&source));
    packed.Seek(0);
    const int32_t full = packed.ReadInteger();
    for (int32_t kept : {0, 1, full / 2, full - 1}) {
        SCOPED_TRACE(testing::Message() << "kept " << kept << " of " << full);
        CStream cut;
        Fill(cut, Bytes(packed.GetData() + 4, packed.GetData() + 4 + kept), kept);
        EXPECT_EQ(cut.ZDecompress(), nullptr);
    }
    for (int64_t at : {int64_t{4}, int64_t{44}, packed.GetSize() - 1}) {  // header, body, checksum
        SCOPED_TRACE(at);
        CStream damaged;
        Fill(damaged, BytesOf(packed));
        damaged.GetData()[at] ^= 0x55;
        EXPECT_EQ(damaged.ZDecompress(), nullptr);
    }
}

TEST(Scrambler, TablesArePermutationsFixingZeroAndTheInverseUndoesThem)
{
    for (int32_t seed : {0, 1, 249, 250, 12345, -1, -64250, -1000000, kMinI32, kMaxI32}) {
        SCOPED_TRACE(seed);
        const ScramblerTables tables = Scrambler_BuildTable(seed);
        bool seen[256] = {};
        for (int i = 0; i < 256; ++i) {
            seen[tables.forward[i]] = true;
            EXPECT_EQ(tables.inverse[tables.forward[i]], i);
        }
        EXPECT_EQ(std::count(std::begin(seen), std::end(seen), true), 256);
        EXPECT_EQ(tables.forward[0], 0);
    }
    EXPECT_NE(std::memcmp(Scrambler_BuildTable(1).forward, Scrambler_BuildTable(2).forward, 256), 0);
}

TEST(Scrambler, UnscrambleUndoesTheSubstitutionOnlyInItsRange)
{
    const ScramblerTables tables = Scrambler_BuildTable(-70000);
    const Bytes plain = NoiseBytes(600);
    const struct { int64_t start, length; size_t from, to; } cases[] = {  // from, to: the part scrambled
        {0, 600, 0, 600}, {10, 20, 10, 30}, {590, 0, 590, 600}, {100, -5, 100, 600}, {550, 999, 550, 600},
        {-1, 4, 0, 0}, {600, 4, 0, 0}, {kMaxI64, 4, 0, 0}};
    for (bool withPosition : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "start " << c.start << " length " << c.length
                                            << (withPosition ? " with position" : ""));
            Bytes scrambled = plain;
            for (size_t i = c.from; i < c.to; ++i)
                scrambled[i] = tables.forward[static_cast<uint8_t>(withPosition ? plain[i] + i : plain[i])];
            CStream stream;
            Fill(stream, scrambled);
            if (withPosition) stream.UnscrambleWithPosition(-70000, c.start, c.length);
            else stream.Unscramble(-70000, c.start, c.length);
            EXPECT_EQ(BytesOf(stream), plain);
        }
    }
}

// A scratch folder holding a program area and a save area.
class StreamAreas : public ::testing::Test {
protected:
    StreamAreas() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("StreamGame", false));
    }

    static std::string Loaded(int64_t skip)
    {
        CStream stream;
        EXPECT_TRUE(stream.LoadFromFile("level.dat", skip));
        EXPECT_EQ(stream.GetPosition(), 0);
        return std::string(reinterpret_cast<char*>(stream.GetData()), static_cast<size_t>(stream.GetSize()));
    }

    test::ScratchFolder m_root;
    test::ScopedEnv m_data;
};

TEST_F(StreamAreas, LoadFromFileKeepsTheBytesAfterTheSkip)
{
    m_root.Write("game/level.dat", "shipped");
    m_root.Write("data/StreamGame/level.dat", "HDRpayload");  // the saved copy shadows the shipped one
    const struct { int64_t skip; const char* kept; } cases[] = {
        {3, "payload"}, {0, "HDRpayload"}, {-5, "HDRpayload"}, {10, ""}, {1000, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.skip);
        EXPECT_EQ(Loaded(c.skip), c.kept);
    }
}

TEST_F(StreamAreas, SaveToFileWritesTheBytesBeforeThePosition)
{
    const std::string path = m_root / "saved.bin";
    CStream stream;
    EXPECT_FALSE(stream.SaveToFile(path.c_str()));  // no data, no file
    EXPECT_FALSE(std::filesystem::exists(path));
    Fill(stream, {1, 2, 3, 4, 5});
    stream.Seek(3);
    ASSERT_TRUE(stream.SaveToFile(path.c_str()));
    EXPECT_EQ(test::ScratchFolder::Read(path), "\x01\x02\x03");
}

TEST_F(StreamAreas, LoadingAMissingFileLeavesTheStreamEmpty)
{
    CStream stream;
    Fill(stream, {1, 2, 3});
    EXPECT_FALSE(stream.LoadFromFile("level.dat", 0));
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetData(), nullptr);
}

}  // namespace
}  // namespace bw
