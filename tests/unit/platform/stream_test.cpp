#include "platform/stream.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/memory.h"
#include "platform/scrambler.h"

namespace bw {
namespace {

struct TextFree {
    void operator()(char* text) const { MemoryManager_Free(text); }
};
using Text = std::unique_ptr<char, TextFree>;

std::vector<uint8_t> Bytes(const CStream& stream)
{
    const uint8_t* data = stream.GetData();
    return std::vector<uint8_t>(data, data + stream.GetSize());
}

// Writes the bytes and rewinds.
void Fill(CStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
}

uint64_t BitsOf(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return bits;
}

double RealFromBits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
}

// Deterministic bytes that do not compress well.
std::vector<uint8_t> NoiseBytes(size_t count)
{
    std::vector<uint8_t> bytes(count);
    uint32_t x = 0x12345678u;
    for (uint8_t& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

// ---- typed values ----

TEST(StreamValues, IntegersRoundTripAsFourLittleEndianBytes)
{
    const int32_t values[] = {0, 1, -1, 0x01020304, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max()};
    CStream stream;
    for (int32_t v : values) {
        stream.WriteInteger(v);
    }
    EXPECT_EQ(stream.GetSize(), 4 * 6);
    EXPECT_EQ(std::vector<uint8_t>(stream.GetData() + 12, stream.GetData() + 16),
              (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
    stream.Seek(0);
    for (int32_t v : values) {
        EXPECT_EQ(stream.ReadInteger(), v);
    }
}

TEST(StreamValues, RealsKeepTheirExactBitPatterns)
{
    const uint64_t patterns[] = {
        BitsOf(1.0),
        BitsOf(-0.0),
        BitsOf(std::numeric_limits<double>::infinity()),
        BitsOf(-std::numeric_limits<double>::infinity()),
        BitsOf(std::numeric_limits<double>::denorm_min()),
        0x7FF8000000000000ull,  // quiet NaN
        0xFFF80000DEADBEEFull,  // negative NaN with a payload
    };
    CStream stream;
    for (uint64_t bits : patterns) {
        stream.WriteReal(RealFromBits(bits));
    }
    EXPECT_EQ(std::vector<uint8_t>(stream.GetData(), stream.GetData() + 8),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    stream.Seek(0);
    for (uint64_t bits : patterns) {
        EXPECT_EQ(BitsOf(stream.ReadReal()), bits);
    }
}

TEST(StreamValues, BooleanStoresOneOnlyForTheValueOne)
{
    const struct {
        int32_t written;
        int32_t stored;
    } cases[] = {{1, 1}, {0, 0}, {2, 0}, {-1, 0}};
    for (const auto& c : cases) {
        CStream stream;
        stream.WriteBoolean(c.written);
        stream.Seek(0);
        EXPECT_EQ(stream.ReadInteger(), c.stored) << "written " << c.written;
    }
}

TEST(StreamValues, BooleanReadsTrueForAnyNonZeroWord)
{
    CStream stream;
    stream.WriteInteger(2);
    stream.WriteInteger(0);
    stream.Seek(0);
    EXPECT_TRUE(stream.ReadBoolean());
    EXPECT_FALSE(stream.ReadBoolean());
}

TEST(StreamValues, StringsRoundTripWithLengthPrefixAndNoTerminator)
{
    CStream stream;
    stream.WriteString("abc");
    EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c'}));
    stream.Seek(0);
    char* raw = nullptr;
    EXPECT_EQ(stream.ReadString(&raw), 3);
    Text text(raw);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text.get(), "abc");
    EXPECT_EQ(stream.GetPosition(), 7);
}

TEST(StreamValues, EmptyAndNullStringsStoreLengthZero)
{
    CStream stream;
    stream.WriteString("");
    stream.WriteString(nullptr);
    EXPECT_EQ(Bytes(stream), std::vector<uint8_t>(8, 0));
    stream.Seek(0);
    char* raw = nullptr;
    stream.ReadString(&raw);
    Text empty(raw);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty.get(), "");
    EXPECT_EQ(stream.ReadStringOrNull(), nullptr);
    EXPECT_EQ(stream.GetPosition(), 8);
}

TEST(StreamValues, ReadStringOrNullGivesTextForNonZeroLength)
{
    CStream stream;
    stream.WriteString("hi");
    stream.Seek(0);
    Text text(stream.ReadStringOrNull());
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text.get(), "hi");
}

// ---- growth and the end of the data ----

TEST(StreamGrowth, FirstIntegerMakesFourBytesAndSecondDoublesIt)
{
    CStream stream;
    stream.WriteInteger(1);
    EXPECT_EQ(MemoryManager_GetSize(stream.GetData()), 4u);
    stream.WriteInteger(2);
    EXPECT_EQ(MemoryManager_GetSize(stream.GetData()), 8u);
    stream.WriteReal(3.0);
    EXPECT_EQ(MemoryManager_GetSize(stream.GetData()), 16u);
    stream.Seek(0);
    EXPECT_EQ(stream.ReadInteger(), 1);
    EXPECT_EQ(stream.ReadInteger(), 2);
    EXPECT_EQ(stream.ReadReal(), 3.0);
}

TEST(StreamGrowth, ReadsStopAtTheWrittenLengthNotTheCapacity)
{
    CStream stream;
    for (int32_t i = 1; i <= 3; ++i) {
        stream.WriteInteger(i);
    }
    ASSERT_EQ(MemoryManager_GetSize(stream.GetData()), 16u);
    EXPECT_EQ(stream.GetSize(), 12);
    EXPECT_EQ(stream.SeekFrom(0, 2), 12);
    EXPECT_EQ(stream.ReadInteger(), 0);
    EXPECT_EQ(stream.GetPosition(), 12);
}

TEST(StreamGrowth, OverwritingInsideTheDataKeepsItsLength)
{
    CStream stream;
    stream.WriteInteger(1);
    stream.WriteInteger(2);
    stream.Seek(0);
    stream.WriteInteger(9);
    EXPECT_EQ(stream.GetSize(), 8);
    stream.Seek(4);
    EXPECT_EQ(stream.ReadInteger(), 2);
}

TEST(StreamGrowth, WritingItsOwnBytesSurvivesTheBlockMoving)
{
    CStream stream;
    stream.WriteBuffer("abcd", 4);
    ASSERT_TRUE(stream.WriteBuffer(stream.GetData(), 4));
    EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'a', 'b', 'c', 'd'}));
}

TEST(StreamGrowth, ConstructorReservesWithoutAddingData)
{
    CStream stream(64);
    EXPECT_EQ(MemoryManager_GetSize(stream.GetData()), 64u);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.ReadInteger(), 0);
}

TEST(StreamGrowth, ZeroOrNullWritesChangeNothing)
{
    CStream stream;
    EXPECT_FALSE(stream.WriteBuffer("x", 0));
    EXPECT_FALSE(stream.WriteBuffer(nullptr, 4));
    EXPECT_EQ(stream.GetData(), nullptr);
    EXPECT_EQ(stream.GetSize(), 0);
}

TEST(StreamReads, PastTheEndGiveDefaultsWithoutAdvancing)
{
    // Two bytes left: too few for any value.
    CStream stream;
    Fill(stream, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
    stream.Seek(4);
    EXPECT_EQ(stream.ReadInteger(), 0);
    EXPECT_EQ(stream.ReadReal(), 0.0);
    EXPECT_FALSE(stream.ReadBoolean());
    EXPECT_EQ(stream.ReadStringOrNull(), nullptr);
    char* raw = nullptr;
    EXPECT_EQ(stream.ReadString(&raw), 0);
    Text text(raw);
    EXPECT_STREQ(text.get(), "");
    EXPECT_EQ(stream.GetPosition(), 4);
}

TEST(StreamReads, ReadBufferCopiesWhatIsLeftAndAdvances)
{
    CStream stream;
    Fill(stream, {1, 2, 3});
    uint8_t out[8] = {};
    EXPECT_EQ(stream.ReadBuffer(out, 8), 3);
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(stream.ReadBuffer(out, 8), 0);
    stream.Seek(0);
    EXPECT_EQ(stream.ReadBuffer(nullptr, 2), 0);
    EXPECT_EQ(stream.ReadBuffer(out, -1), 0);
    EXPECT_EQ(stream.GetPosition(), 0);
}

TEST(StreamSeek, PositionsAreClampedToTheData)
{
    const struct {
        int64_t offset;
        int origin;
        int64_t expected;
    } cases[] = {
        {3, 0, 3},   {-1, 0, 0},  {99, 0, 12},  {2, 1, 6},
        {-9, 1, 0},  {-4, 2, 8},  {5, 2, 12},   {1, 7, 4},  // unknown origin: unchanged
        {std::numeric_limits<int64_t>::max(), 1, 12},
        {std::numeric_limits<int64_t>::min(), 1, 0},
    };
    for (const auto& c : cases) {
        CStream stream;
        Fill(stream, std::vector<uint8_t>(12, 0));
        stream.Seek(4);
        EXPECT_EQ(stream.SeekFrom(c.offset, c.origin), c.expected)
            << "offset " << c.offset << " origin " << c.origin;
        EXPECT_EQ(stream.GetPosition(), c.expected);
    }
}

// ---- stored lengths from outside ----

// A stored length followed by the given bytes, rewound.
void FillWithLength(CStream& stream, int32_t length, const std::vector<uint8_t>& after)
{
    stream.WriteInteger(length);
    stream.WriteBuffer(after.data(), static_cast<int64_t>(after.size()));
    stream.Seek(0);
}

TEST(StreamStoredLengths, StringLengthPastTheEndTakesWhatIsLeft)
{
    const int32_t lengths[] = {100, std::numeric_limits<int32_t>::max()};
    for (int32_t length : lengths) {
        CStream stream;
        FillWithLength(stream, length, {'x', 'y', 'z'});
        char* raw = nullptr;
        EXPECT_EQ(stream.ReadString(&raw), 3) << length;
        Text text(raw);
        EXPECT_STREQ(text.get(), "xyz");
        EXPECT_EQ(stream.GetPosition(), stream.GetSize());
    }
}

TEST(StreamStoredLengths, NegativeStringLengthGivesEmptyTextAndEndsTheStream)
{
    const int32_t lengths[] = {-1, std::numeric_limits<int32_t>::min()};
    for (int32_t length : lengths) {
        CStream stream;
        FillWithLength(stream, length, {'x', 'y', 'z', 0, 0, 0, 0});
        char* raw = nullptr;
        EXPECT_EQ(stream.ReadString(&raw), 0);
        Text text(raw);
        EXPECT_STREQ(text.get(), "");
        EXPECT_EQ(stream.GetPosition(), stream.GetSize());

        CStream again;

        FillWithLength(again, length, {'x', 'y', 'z'});
        EXPECT_EQ(again.ReadStringOrNull(), nullptr);
        EXPECT_EQ(again.GetPosition(), again.GetSize());
    }
}

TEST(StreamStoredLengths, BadBlockLengthsFailAndEndTheStream)
{
    const int32_t lengths[] = {-1, 4, 1000, std::numeric_limits<int32_t>::max(),
                               std::numeric_limits<int32_t>::min()};
    for (int32_t length : lengths) {
        CStream forStream;
        FillWithLength(forStream, length, {1, 2, 3});
        EXPECT_EQ(forStream.ReadStream(), nullptr) << length;
        EXPECT_EQ(forStream.GetPosition(), 7);

        CStream forSkip;

        FillWithLength(forSkip, length, {1, 2, 3});
        EXPECT_EQ(forSkip.SkipBlock(), 7) << length;

        CStream forInflate;

        FillWithLength(forInflate, length, {1, 2, 3});
        EXPECT_EQ(forInflate.ZDecompress(), nullptr) << length;
        EXPECT_EQ(forInflate.GetPosition(), 7);
    }
}

TEST(StreamStoredLengths, SkipBlockMovesPastAValidBlock)
{
    CStream stream;
    FillWithLength(stream, 2, {1, 2, 3});
    EXPECT_EQ(stream.SkipBlock(), 6);
    uint8_t last = 0;
    EXPECT_EQ(stream.ReadBuffer(&last, 1), 1);
    EXPECT_EQ(last, 3);
}

TEST(StreamStoredLengths, ReadStreamCopiesTheBlockAtPositionZero)
{
    CStream stream;
    FillWithLength(stream, 2, {7, 8, 9});
    std::unique_ptr<CStream> block = stream.ReadStream();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Bytes(*block), (std::vector<uint8_t>{7, 8}));
    EXPECT_EQ(block->GetPosition(), 0);
    EXPECT_EQ(stream.GetPosition(), 6);
    stream.GetData()[4] = 0;  // a copy, not a view
    EXPECT_EQ(block->GetData()[0], 7);
}

TEST(StreamStoredLengths, ReadStreamOfLengthZeroIsAnEmptyStream)
{
    CStream stream;
    FillWithLength(stream, 0, {});
    std::unique_ptr<CStream> block = stream.ReadStream();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetSize(), 0);
}

// ---- views and copies ----

TEST(StreamViews, AttachedBlockIsReadInPlaceAndNeverFreed)
{
    std::vector<uint8_t> outside = {5, 0, 0, 0, 6, 0, 0, 0};
    {
        CStream stream;
        stream.Attach(outside.data(), 8);
        EXPECT_EQ(stream.GetData(), outside.data());
        EXPECT_EQ(stream.ReadInteger(), 5);
        EXPECT_EQ(stream.ReadInteger(), 6);
    }  // the destructor must leave the vector's storage alone
    EXPECT_EQ(outside[4], 6);
}

TEST(StreamViews, GrowingAViewMovesItsDataAndLeavesTheSourceAlone)
{
    std::vector<uint8_t> outside = {1, 2, 3, 4};
    CStream stream;
    stream.Attach(outside.data(), 4);
    stream.SeekFrom(0, 2);
    stream.WriteInteger(0x05050505);
    EXPECT_NE(stream.GetData(), outside.data());
    EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{1, 2, 3, 4, 5, 5, 5, 5}));
    EXPECT_EQ(outside, (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(StreamViews, ViewOfAnotherStreamSharesItsBytesWithoutOwningThem)
{
    CStream source;
    Fill(source, {1, 2, 3, 4, 5, 6});
    source.Seek(1);
    {
        CStream view;
        view.CopyFrom(&source, 1, 3, true);
        EXPECT_EQ(view.GetData(), source.GetData() + 1);
        EXPECT_EQ(Bytes(view), (std::vector<uint8_t>{2, 3, 4}));
        EXPECT_EQ(view.GetPosition(), 0);
        EXPECT_EQ(source.GetPosition(), 4);
    }  // the view's destructor must not free the source's block
    EXPECT_EQ(Bytes(source), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(StreamViews, ViewIsClampedToTheSourceData)
{
    CStream source;
    Fill(source, {1, 2, 3});
    source.Seek(2);
    CStream view;
    view.CopyFrom(&source, 2, 100, true);
    EXPECT_EQ(Bytes(view), (std::vector<uint8_t>{3}));
    EXPECT_EQ(source.GetPosition(), 3);
}

TEST(StreamCopy, CopyFromCases)
{
    const struct {
        const char* name;
        int64_t sourcePosition;
        int64_t start;
        int64_t length;
        std::vector<uint8_t> appended;
        int64_t sourcePositionAfter;
    } cases[] = {
        {"zero start and length take the whole source", 3, 0, 0, {1, 2, 3, 4, 5}, 5},
        {"a range starts at the source position", 1, 1, 2, {2, 3}, 3},
        {"a range is clamped to the source data", 3, 3, 50, {4, 5}, 5},
        {"a negative length copies nothing", 1, 1, -2, {}, 1},
        {"nothing is left at the end", 5, 5, 2, {}, 5},
    };
    for (const auto& c : cases) {
        CStream source;
        Fill(source, {1, 2, 3, 4, 5});
        source.Seek(c.sourcePosition);
        CStream target;
        target.WriteInteger(-1);
        target.CopyRange(&source, c.start, c.length);
        std::vector<uint8_t> expected = {0xFF, 0xFF, 0xFF, 0xFF};
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(Bytes(target), expected) << c.name;
        EXPECT_EQ(source.GetPosition(), c.sourcePositionAfter) << c.name;
    }
}

TEST(StreamLifetime, FreeEmptiesAndDeleteReleasesEverything)
{
    CStream stream;
    stream.WriteString("text");
    stream.Free();
    EXPECT_EQ(stream.GetData(), nullptr);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetPosition(), 0);

    auto* owned = new CStream();
    owned->WriteString("leak checker watches this");
    CStream::Delete(owned);
}

// ---- hex text ----

TEST(StreamHex, ConvertToStringWritesUpperCaseHexOfTheBytesBeforeThePosition)
{
    CStream stream;
    Fill(stream, {0x00, 0xAB, 0x7F});
    stream.Seek(2);
    char* raw = nullptr;
    stream.ConvertToString(&raw);
    Text text(raw);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text.get(), "00AB");
}

TEST(StreamHex, ConvertToStringOfAnEmptyStreamIsNull)
{
    CStream stream;
    char* raw = reinterpret_cast<char*>(1);
    stream.ConvertToString(&raw);
    EXPECT_EQ(raw, nullptr);
}

TEST(StreamHex, ConvertFromStringDecodesExactlyTheValidPairs)
{
    const struct {
        const char* text;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"00ab", {0x00, 0xAB}},
        {"00AB", {0x00, 0xAB}},
        {"01zz02", {0x01, 0x02}},
        {"0x1F", {0x1F}},
        {"G0ff", {0xFF}},
        {"0A1", {0x0A}},  // a lone last character is no pair
        {"9aF0", {0x9A, 0xF0}},
        {"zz", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        CStream stream;
        stream.WriteInteger(-1);  // replaced, not appended to
        stream.ConvertFromString(c.text);
        EXPECT_EQ(Bytes(stream), c.bytes) << '"' << c.text << '"';
        EXPECT_EQ(stream.GetPosition(), 0);
    }
}

TEST(StreamHex, TextRoundTripsEveryByteValue)
{
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<uint8_t>(i);
    }
    CStream stream;
    Fill(stream, all);
    stream.SeekFrom(0, 2);
    char* raw = nullptr;
    stream.ConvertToString(&raw);
    Text text(raw);
    CStream back;
    back.ConvertFromString(text.get());
    EXPECT_EQ(Bytes(back), all);
}

// ---- zlib ----

std::unique_ptr<CStream> Inflated(const std::vector<uint8_t>& original)
{
    CStream source;
    Fill(source, original);
    CStream packed;
    EXPECT_TRUE(packed.ZCompress(&source));
    packed.Seek(0);
    return packed.ZDecompress();
}

TEST(StreamZlib, DecompressingWhatWasCompressedGivesTheSameBytes)
{
    std::vector<uint8_t> repetitive(70000);
    for (size_t i = 0; i < repetitive.size(); ++i) {
        repetitive[i] = static_cast<uint8_t>(i % 7);
    }
    const std::vector<std::vector<uint8_t>> inputs = {{}, {42}, NoiseBytes(40000), repetitive};
    for (const auto& original : inputs) {
        std::unique_ptr<CStream> result = Inflated(original);
        ASSERT_NE(result, nullptr) << original.size();
        EXPECT_EQ(result->GetPosition(), 0);
        EXPECT_EQ(Bytes(*result), original);
    }
}

TEST(StreamZlib, CompressedBlockIsLengthPrefixedAtThePosition)
{
    CStream source;
    Fill(source, NoiseBytes(100));
    source.Seek(30);
    CStream packed;
    packed.WriteInteger(77);
    ASSERT_TRUE(packed.ZCompress(&source));
    EXPECT_EQ(source.GetPosition(), 30);
    packed.Seek(0);
    EXPECT_EQ(packed.ReadInteger(), 77);
    const int32_t length = packed.ReadInteger();
    EXPECT_EQ(length, packed.GetSize() - 8);

    // An independent inflate of the stored bytes.
    std::vector<uint8_t> out(100);
    uLongf outLength = out.size();
    ASSERT_EQ(uncompress(out.data(), &outLength, packed.GetData() + 8, static_cast<uLong>(length)), Z_OK);
    EXPECT_EQ(out, NoiseBytes(100));

    packed.Seek(4);
    ASSERT_NE(packed.ZDecompress(), nullptr);
    EXPECT_EQ(packed.GetPosition(), packed.GetSize());
}

void FillCompressed(CStream& packed, const std::vector<uint8_t>& original)
{
    CStream source;
    Fill(source, original);
    ASSERT_TRUE(packed.ZCompress(&source));
    packed.Seek(0);
}

TEST(StreamZlib, TruncatedBlockGivesNull)
{
    CStream packed;
    FillCompressed(packed, NoiseBytes(5000));
    const int32_t full = packed.ReadInteger();
    for (int32_t kept : {0, 1, full / 2, full - 1}) {
        CStream cut;
        cut.WriteInteger(kept);
        cut.WriteBuffer(packed.GetData() + 4, kept);
        cut.Seek(0);
        EXPECT_EQ(cut.ZDecompress(), nullptr) << "kept " << kept << " of " << full;
    }
}

TEST(StreamZlib, CorruptedBlockGivesNull)
{
    const struct {
        const char* name;
        int64_t offset;  // from the start of the zlib bytes
    } cases[] = {{"header", 0}, {"body", 40}, {"checksum", -1}};
    for (const auto& c : cases) {
        CStream packed;
        FillCompressed(packed, NoiseBytes(200));
        const int64_t zlibStart = 4;
        const int64_t at = c.offset >= 0 ? zlibStart + c.offset : packed.GetSize() + c.offset;
        packed.GetData()[at] ^= 0x55;
        EXPECT_EQ(packed.ZDecompress(), nullptr) << c.name;
    }
}

// ---- substitution ----

TEST(Scrambler, TablesArePermutationsFixingZeroAndTheInverseUndoesThem)
{
    const int32_t seeds[] = {0, 1, 249, 250, 12345, -1, -64250, -1000000,
                             std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
    for (int32_t seed : seeds) {
        const ScramblerTables tables = Scrambler_BuildTable(seed);
        bool seen[256] = {};
        for (int i = 0; i < 256; ++i) {
            seen[tables.forward[i]] = true;
            EXPECT_EQ(tables.inverse[tables.forward[i]], i) << "seed " << seed;
        }
        EXPECT_EQ(std::count(std::begin(seen), std::end(seen), true), 256) << "seed " << seed;
        EXPECT_EQ(tables.forward[0], 0) << "seed " << seed;
    }
}

TEST(Scrambler, DifferentSeedsGiveDifferentTables)
{
    const ScramblerTables one = Scrambler_BuildTable(1);
    const ScramblerTables two = Scrambler_BuildTable(2);
    const ScramblerTables same = Scrambler_BuildTable(1);
    EXPECT_NE(std::memcmp(one.forward, two.forward, 256), 0);
    EXPECT_EQ(std::memcmp(one.forward, same.forward, 256), 0);
}

std::vector<uint8_t> Scrambled(int32_t seed, const std::vector<uint8_t>& plain, size_t from, size_t to,
                               bool withPosition)
{
    const ScramblerTables tables = Scrambler_BuildTable(seed);
    std::vector<uint8_t> bytes = plain;
    for (size_t i = from; i < to; ++i) {
        const uint8_t shifted = static_cast<uint8_t>(withPosition ? plain[i] + i : plain[i]);
        bytes[i] = tables.forward[shifted];
    }
    return bytes;
}

TEST(Scrambler, UnscrambleUndoesTheSubstitutionOnlyInItsRange)
{
    const std::vector<uint8_t> plain = NoiseBytes(600);
    const struct {
        int64_t start;
        int64_t length;
        size_t from;
        size_t to;
    } cases[] = {{0, 600, 0, 600}, {10, 20, 10, 30}, {590, 0, 590, 600}, {100, -5, 100, 600}, {550, 999, 550, 600}};
    for (bool withPosition : {false, true}) {
        for (const auto& c : cases) {
            CStream stream;
            Fill(stream, Scrambled(-70000, plain, c.from, c.to, withPosition));
            if (withPosition) {
                stream.UnscrambleWithPosition(-70000, c.start, c.length);
            } else {
                stream.Unscramble(-70000, c.start, c.length);
            }
            EXPECT_EQ(Bytes(stream), plain) << "start " << c.start << " length " << c.length
                                            << (withPosition ? " with position" : "");
        }
    }
}

TEST(Scrambler, RangesOutsideTheDataChangeNothing)
{
    const std::vector<uint8_t> plain = NoiseBytes(16);
    for (int64_t start : {int64_t{-1}, int64_t{16}, std::numeric_limits<int64_t>::max()}) {
        CStream stream;
        Fill(stream, plain);
        stream.Unscramble(5, start, 4);
        stream.UnscrambleWithPosition(5, start, 4);
        EXPECT_EQ(Bytes(stream), plain) << start;
    }
}

// ---- files ----

TEST(StreamFiles, SaveToFileWritesTheBytesBeforeThePosition)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "bw_stream_save_test.bin";
    CStream stream;
    Fill(stream, {1, 2, 3, 4, 5});
    stream.Seek(3);
    ASSERT_TRUE(stream.SaveToFile(path.c_str()));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, (std::vector<uint8_t>{1, 2, 3}));
    std::filesystem::remove(path);

    CStream empty;
    EXPECT_FALSE(empty.SaveToFile(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A program area and a save area in a private folder of their own.
class StreamAreas : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/bw_stream_areas_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        std::filesystem::create_directories(m_root / "program");
        std::filesystem::create_directories(m_root / "data" / "stream_test");
        const char* previous = std::getenv("XDG_DATA_HOME");
        m_previousDataHome = previous != nullptr ? previous : "";
        m_hadDataHome = previous != nullptr;
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        ASSERT_TRUE(Files_SetPackagePath((m_root / "program" / "game.win").c_str()));
        ASSERT_TRUE(Files_SetSaveFolderName("stream_test", false));
    }

    void TearDown() override
    {
        if (m_hadDataHome) {
            setenv("XDG_DATA_HOME", m_previousDataHome.c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        std::filesystem::remove_all(m_root);
    }

    void Put(const char* area, const char* name, const std::string& bytes)
    {
        std::ofstream(m_root / area / name, std::ios::binary) << bytes;
    }

    std::filesystem::path m_root;
    std::string m_previousDataHome;
    bool m_hadDataHome = false;
};

TEST_F(StreamAreas, LoadFromFileKeepsTheBytesAfterTheSkip)
{
    Put("program", "level.dat", "HDRpayload");
    CStream stream;
    ASSERT_TRUE(stream.LoadFromFile("level.dat", 3));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stream.GetData()), stream.GetSize()), "payload");
    EXPECT_EQ(stream.GetPosition(), 0);
}

TEST_F(StreamAreas, LoadFromFilePrefersTheSavedCopy)
{
    Put("program", "level.dat", "shipped");
    Put("data/stream_test", "level.dat", "saved");
    CStream stream;
    ASSERT_TRUE(stream.LoadFromFile("level.dat", 0));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stream.GetData()), stream.GetSize()), "saved");
}

TEST_F(StreamAreas, LoadFromFileSkippingEverythingGivesAnEmptyStream)
{
    Put("program", "short.dat", "abc");
    const int64_t skips[] = {3, 1000, -5};
    const int64_t sizes[] = {0, 0, 3};  // a negative skip keeps the whole file
    for (size_t i = 0; i < 3; ++i) {
        CStream stream;
        EXPECT_TRUE(stream.LoadFromFile("short.dat", skips[i]));
        EXPECT_EQ(stream.GetSize(), sizes[i]) << "skip " << skips[i];
        EXPECT_EQ(stream.ReadInteger(), 0);
    }
}

TEST_F(StreamAreas, LoadingAMissingFileLeavesTheStreamEmpty)
{
    CStream stream;
    Fill(stream, {1, 2, 3});
    EXPECT_FALSE(stream.LoadFromFile("no_such_file.dat", 0));
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetData(), nullptr);
}

}  // namespace
}  // namespace bw
