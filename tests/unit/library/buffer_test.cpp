#include "library/buffer.h"

#include <gtest/gtest.h>

#include <cmath>

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/memory.h"
#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::ScriptValue;

class BufferTest : public test::LibraryTest {
protected:
    // The buffer's bytes as lower-case hex.
    static std::string Bytes(const IBuffer& buffer)
    {
        static const char kDigits[] = "0123456789abcdef";
        std::string out;
        for (int32_t i = 0; i < buffer.Size(); ++i) {
            out += kDigits[buffer.Data()[i] >> 4];
            out += kDigits[buffer.Data()[i] & 15];
        }
        return out;
    }
    static double ReadReal(IBuffer& buffer, int32_t type)
    {
        ScriptValue out;
        buffer.Read(type, out.Get());
        return out.Real();
    }
    static int32_t WriteReal(IBuffer& buffer, int32_t type, double value)
    {
        return buffer.Write(type, ScriptValue(value).Get());
    }
};

TEST_F(BufferTest, AlignmentIsTheNextPowerOfTwoUpTo1024)
{
    struct Case { int32_t requested, expected; };
    for (const Case c : {Case{1, 1}, Case{3, 4}, Case{1000, 1024}, Case{1024, 1024}, Case{5000, 1024}, Case{0, 1}}) {
        Buffer_Standard buffer(4, kBufferFixed, c.requested);
        EXPECT_EQ(buffer.Alignment(), c.expected) << c.requested;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Data()) % static_cast<uintptr_t>(c.expected), 0u);
    }
}

TEST_F(BufferTest, WritesAlignEachValueAndFailWithoutRoom)
{
    Buffer_Standard buffer(8, kBufferFixed, 4);
    EXPECT_EQ(WriteReal(buffer, kBufferU8, 1), kBufferOk);
    EXPECT_EQ(WriteReal(buffer, kBufferU32, 2), kBufferOk);
    EXPECT_EQ(Bytes(buffer), "0100000002000000");
    EXPECT_EQ(WriteReal(buffer, kBufferU32, 3), kBufferNoRoom);
    EXPECT_EQ(buffer.Position(), 8);
}

TEST_F(BufferTest, EveryTypeIsWrittenAndReadLittleEndian)
{
    struct Case { int32_t type; double written; const char* bytes; double readBack; };
    const Case cases[] = {
        {kBufferU8, 2.9, "02", 2}, {kBufferU8, -1, "ff", 255}, {kBufferU8, 300, "2c", 44},
        {kBufferU8, 1e10, "00", 0},  // out of the integer range: the indefinite integer's low byte
        {kBufferS8, -2, "fe", -2}, {kBufferU16, 65535, "ffff", 65535}, {kBufferS16, -2, "feff", -2},
        {kBufferU32, 4294967295.0, "ffffffff", 4294967295.0}, {kBufferU32, -1, "ffffffff", 4294967295.0},
        {kBufferS32, -2.7, "feffffff", -2}, {kBufferS32, std::nan(""), "00000080", -2147483648.0},
        {kBufferF32, 1.5, "0000c03f", 1.5}, {kBufferF32, 1e300, "0000807f", INFINITY},
        {kBufferF64, 1.0, "000000000000f03f", 1.0}, {kBufferBool, 0.6, "01", 1}, {kBufferBool, 0.5, "00", 0},
    };
    for (const Case& c : cases) {
        Buffer_Standard buffer(Buffer_SizeOfType(c.type), kBufferFixed, 1);
        ASSERT_EQ(WriteReal(buffer, c.type, c.written), kBufferOk) << c.type;
        EXPECT_EQ(Bytes(buffer), c.bytes) << c.type << " " << c.written;
        buffer.Seek(0, 0);
        EXPECT_EQ(ReadReal(buffer, c.type), c.readBack) << c.type << " " << c.written;
    }
}

TEST_F(BufferTest, TheSixteenBitFloatIsRefused)
{
    Buffer_Standard buffer(4, kBufferFixed, 1);
    EXPECT_EQ(WriteReal(buffer, kBufferF16, 1), kBufferBadType);
    EXPECT_EQ(WriteReal(buffer, 12, 1), kBufferBadType);
    EXPECT_EQ(buffer.Position(), 0);
    ScriptValue out;
    EXPECT_EQ(buffer.Read(kBufferF16, out.Get()), kBufferBadType);
    EXPECT_EQ(out.Real(), 0.0);
    EXPECT_EQ(buffer.Position(), 2);
}

TEST_F(BufferTest, ReadingAtTheEndGivesMinusThree)
{
    Buffer_Standard buffer(2, kBufferFixed, 1);
    buffer.Seek(0, 1);
    EXPECT_EQ(ReadReal(buffer, kBufferU16), -3.0);  // too few bytes left
    EXPECT_EQ(ReadReal(buffer, kBufferU8), 0.0);
    EXPECT_EQ(ReadReal(buffer, kBufferU8), -3.0);   // at the end
}

TEST_F(BufferTest, GrowBuffersDoubleUntilTheWriteFits)
{
    Buffer_Standard buffer(1, kBufferGrow, 1);
    WriteReal(buffer, kBufferU8, 1);
    EXPECT_EQ(buffer.Size(), 2);
    WriteReal(buffer, kBufferF64, 1);
    EXPECT_EQ(buffer.Size(), 16);
    // A grow buffer that starts empty grows too.
    Buffer_Standard empty(1, kBufferGrow, 1);
    empty.InitEmpty();
    EXPECT_EQ(WriteReal(empty, kBufferU32, 7), kBufferOk);
    EXPECT_EQ(Bytes(empty), "07000000");
    // So does one whose alignment lands past its end.
    Buffer_Standard aligned(2, kBufferGrow, 8);
    WriteReal(aligned, kBufferU8, 1);
    EXPECT_EQ(WriteReal(aligned, kBufferU8, 2), kBufferOk);
    EXPECT_EQ(aligned.Data()[8], 2);
    EXPECT_GE(aligned.Size(), 9);
}

TEST_F(BufferTest, WrapBuffersComeRoundToTheStart)
{
    Buffer_Standard buffer(4, kBufferWrap, 1);
    for (double v : {1, 2, 3, 4, 5, 6}) WriteReal(buffer, kBufferU8, v);
    EXPECT_EQ(buffer.Position(), 2);
    EXPECT_EQ(Bytes(buffer), "05060304");
    // A value across the end wraps byte by byte, reading too.
    buffer.Seek(0, 3);
    WriteReal(buffer, kBufferU16, 0x0A0B);
    EXPECT_EQ(Bytes(buffer), "0a06030b");
    buffer.Seek(0, 3);
    EXPECT_EQ(ReadReal(buffer, kBufferU16), 0x0A0B);
}

TEST_F(BufferTest, WrapAlignmentFollowsTheEndlessStream)
{
    // Size 6, alignment 4: after one lap the stream offset 8 lies at buffer offset 2.
    Buffer_Standard buffer(6, kBufferWrap, 4);
    WriteReal(buffer, kBufferU32, 1);  // stream 0..3
    WriteReal(buffer, kBufferU32, 2);  // stream 4..7: buffer 4, 5, 0, 1
    WriteReal(buffer, kBufferU8, 3);   // stream 8: buffer 2
    EXPECT_EQ(Bytes(buffer), "000003000200");
    EXPECT_EQ(buffer.Position(), 3);
}

TEST_F(BufferTest, EmptyAndZeroSizedBuffersNeverLoop)
{
    Buffer_Standard wrap(1, kBufferWrap, 4);
    wrap.Resize(0);
    EXPECT_EQ(WriteReal(wrap, kBufferU8, 1), kBufferNoRoom);
    EXPECT_EQ(ReadReal(wrap, kBufferU8), -3.0);
    EXPECT_EQ(wrap.Seek(1, -5), 0);
    EXPECT_EQ(wrap.Seek(0, 5), 0);
    EXPECT_EQ(wrap.Seek(2, 0), 0);
    wrap.Fill(0, -1, kBufferU8, ScriptValue(1.0).Get());
    EXPECT_EQ(wrap.MD5(0, -1), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(BufferTest, SeekClampsAndWraps)
{
    struct Case { int32_t kind, base, offset, expected; };
    const Case cases[] = {
        {kBufferFixed, 0, 50, 9}, {kBufferFixed, 0, -5, 0}, {kBufferFixed, 2, 0, 9}, {kBufferFixed, 2, 3, 6},
        {kBufferFixed, 2, 50, 1}, {kBufferFixed, 2, -4, 9}, {kBufferFixed, 1, 4, 7}, {kBufferFixed, 1, 40, 9},
        {kBufferFixed, 1, -40, 0}, {kBufferWrap, 1, 9, 2}, {kBufferWrap, 1, -5, 8}, {kBufferWrap, 1, -2000000000, 3},
        {kBufferFixed, 7, 4, 3},
    };
    for (const Case& c : cases) {
        Buffer_Standard buffer(10, c.kind, 1);
        buffer.Seek(0, 3);
        EXPECT_EQ(buffer.Seek(c.base, c.offset), c.expected) << c.kind << " " << c.base << " " << c.offset;
    }
}

TEST_F(BufferTest, PeekAndPokeLeaveThePosition)
{
    Buffer_Standard fixed(4, kBufferFixed, 4);
    fixed.Poke(1, kBufferU16, ScriptValue(0x0102).Get());
    fixed.Poke(3, kBufferU16, ScriptValue(0xFFFF).Get());  // would not fit
    fixed.Poke(-1, kBufferU8, ScriptValue(9.0).Get());
    EXPECT_EQ(Bytes(fixed), "00020100");
    ScriptValue out;
    fixed.Peek(1, kBufferU16, out.Get());
    EXPECT_EQ(out.Real(), 0x0102);
    fixed.Peek(3, kBufferU16, out.Get());
    EXPECT_EQ(out.Real(), 0.0);
    EXPECT_EQ(fixed.Position(), 0);

    Buffer_Standard wrap(4, kBufferWrap, 1);
    wrap.Poke(7, kBufferU16, ScriptValue(0x0102).Get());  // offset 3, wrapping to 0
    EXPECT_EQ(Bytes(wrap), "01000002");
    wrap.Peek(3, kBufferU16, out.Get());
    EXPECT_EQ(out.Real(), 0x0102);

    Buffer_Standard text(4, kBufferFixed, 1);
    text.Poke(0, kBufferString, ScriptValue("ab").Get());
    EXPECT_EQ(Bytes(text), "61620000");
    text.Peek(0, kBufferString, out.Get());
    EXPECT_EQ(out.Real(), 0.0);
}

TEST_F(BufferTest, StringsCarryTheirTerminator)
{
    Buffer_Standard buffer(16, kBufferFixed, 1);
    buffer.Write(kBufferString, ScriptValue("hi").Get());
    buffer.WriteString(nullptr);
    buffer.WriteString("x");
    EXPECT_EQ(buffer.Position(), 7);
    buffer.Seek(0, 0);
    ScriptValue out;
    buffer.Read(kBufferString, out.Get());
    EXPECT_EQ(out.Text(), "hi");
    EXPECT_EQ(buffer.ReadString(), nullptr);
    char* text = buffer.ReadString();
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "x");
    MemoryManager_Free(text);

    // No terminator before the end: the text ends with the buffer.
    Buffer_Standard unterminated(2, kBufferFixed, 1);
    unterminated.Poke(0, kBufferU16, ScriptValue(0x6261).Get());
    unterminated.Read(kBufferString, out.Get());
    EXPECT_EQ(out.Text(), "ab");
    EXPECT_EQ(unterminated.Position(), 2);
}

TEST_F(BufferTest, ResizeKeepsTheBytesThatFitAndRefusesNegativeSizes)
{
    Buffer_Standard buffer(4, kBufferFixed, 1);
    for (double v : {1, 2, 3}) WriteReal(buffer, kBufferU8, v);
    buffer.Resize(2);
    EXPECT_EQ(Bytes(buffer), "0102");
    EXPECT_EQ(buffer.Position(), 0);
    buffer.Resize(-4);
    EXPECT_EQ(buffer.Size(), 2);
    buffer.Resize(3);
    EXPECT_EQ(Bytes(buffer), "010200");
}

TEST_F(BufferTest, DigestsAndBase64CoverTheRange)
{
    Buffer_Standard buffer(3, kBufferFixed, 1);
    for (double v : {'a', 'b', 'c'}) WriteReal(buffer, kBufferU8, v);
    EXPECT_EQ(buffer.MD5(0, -1), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(buffer.SHA1(0, -1), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(buffer.Base64Encode(0, -1), "YWJj");
    EXPECT_EQ(buffer.Base64Encode(1, 99), "YmM=");
    EXPECT_EQ(buffer.Base64Encode(-7, 1), "YQ==");

    // A wrapped range runs on round the end for its whole length.
    Buffer_Standard wrap(3, kBufferWrap, 1);
    for (double v : {'a', 'b', 'c'}) WriteReal(wrap, kBufferU8, v);
    EXPECT_EQ(wrap.Base64Encode(2, 4), "Y2FiYw==");  // "cabc"
    EXPECT_EQ(wrap.MD5(0, 6), "440ac85892ca43ad26d44c7ad9d47d3e");  // "abcabc"
}

TEST_F(BufferTest, Base64DecodesToTheExactLength)
{
    Buffer_Standard buffer(1, kBufferGrow, 1);
    buffer.InitEmpty();
    ASSERT_TRUE(buffer.Base64Decode("QUJD", 0, -1));
    EXPECT_EQ(Bytes(buffer), "414243");
    ASSERT_TRUE(buffer.Base64Decode("QUJD", 2, 1));
    EXPECT_EQ(Bytes(buffer), "414241");
    EXPECT_FALSE(buffer.Base64Decode("", 0, -1));
}

TEST_F(BufferTest, CopiesFollowTheKindsOfBothBuffers)
{
    Buffer_Standard source(4, kBufferFixed, 1);
    for (double v : {1, 2, 3, 4}) WriteReal(source, kBufferU8, v);

    Buffer_Standard fixed(3, kBufferFixed, 1);
    EXPECT_TRUE(source.CopyTo(0, -1, fixed, 1));
    EXPECT_EQ(Bytes(fixed), "000102");  // cut at the target's end

    Buffer_Standard grow(1, kBufferGrow, 1);
    EXPECT_TRUE(source.CopyTo(2, -1, grow, 3));
    EXPECT_EQ(Bytes(grow), "0000000304");  // grown to exactly the end of the copy

    Buffer_Standard wrap(3, kBufferWrap, 1);
    EXPECT_TRUE(source.CopyTo(0, -1, wrap, 2));
    EXPECT_EQ(Bytes(wrap), "020304");  // 1 at 2, then round: 2, 3, 4 at 0, 1, 2

    Buffer_Standard wrapSource(3, kBufferWrap, 1);
    for (double v : {7, 8, 9}) WriteReal(wrapSource, kBufferU8, v);
    Buffer_Standard target(5, kBufferFixed, 1);
    EXPECT_TRUE(wrapSource.CopyTo(2, 4, target, 0));
    EXPECT_EQ(Bytes(target), "0907080900");

    // Many laps round a small source.
    Buffer_Standard lapSource(2, kBufferWrap, 1);
    lapSource.Poke(0, kBufferU16, ScriptValue(0x0201).Get());
    Buffer_Standard laps(1, kBufferGrow, 1);
    EXPECT_TRUE(lapSource.CopyTo(1, 100001, laps, 0));
    ASSERT_EQ(laps.Size(), 100001);
    EXPECT_EQ(laps.Data()[0], 2);
    EXPECT_EQ(laps.Data()[99999], 1);
    EXPECT_EQ(laps.Data()[100000], 2);

    EXPECT_FALSE(source.CopyTo(0, -1, source, 0));
    Buffer_Standard empty(1, kBufferFixed, 1);
    empty.Resize(0);
    EXPECT_FALSE(empty.CopyTo(0, -1, fixed, 0));
}

TEST_F(BufferTest, FillAlignsEachElementAndClearsTheGaps)
{
    // Marks every byte so that what the fill leaves alone shows.
    auto marked = [](int32_t size, int32_t alignment) {
        auto buffer = std::make_unique<Buffer_Standard>(size, kBufferFixed, alignment);
        for (int32_t i = 0; i < size; ++i) buffer->Poke(i, kBufferU8, ScriptValue(0xEE).Get());
        return buffer;
    };
    auto aligned = marked(16, 4);
    aligned->Fill(0, 16, kBufferU8, ScriptValue(7.0).Get());
    EXPECT_EQ(Bytes(*aligned), "07000000070000000700000007000000");

    // Starting off the alignment begins with a gap; the range's end cuts the last gap.
    auto offset = marked(8, 4);
    offset->Fill(2, 5, kBufferU16, ScriptValue(0x0102).Get());
    EXPECT_EQ(Bytes(*offset), "eeee0000020100ee");

    // A last part too small for an element stays as it was.
    auto tail = marked(8, 1);
    tail->Fill(1, 5, kBufferU16, ScriptValue(0x0102).Get());
    EXPECT_EQ(Bytes(*tail), "ee02010201eeeeee");

    // Going round a wrap buffer many times ends as the last lap leaves it.
    Buffer_Standard wrap(4, kBufferWrap, 1);
    wrap.Fill(3, 2000000000, kBufferU16, ScriptValue(0x0102).Get());
    EXPECT_EQ(Bytes(wrap), "01020102");

    Buffer_Standard fixed(4, kBufferFixed, 1);
    fixed.Fill(4, 1, kBufferU8, ScriptValue(1.0).Get());  // offset past the end
    fixed.Fill(0, 4, kBufferF16, ScriptValue(1.0).Get());
    EXPECT_EQ(Bytes(fixed), "00000000");
}

TEST_F(BufferTest, FastBuffersTakeBytesOnly)
{
    Buffer_Fast buffer(2, kBufferFast, 8);
    EXPECT_EQ(WriteReal(buffer, kBufferU16, 1), kBufferFastBadType);
    EXPECT_EQ(WriteReal(buffer, kBufferU8, 258), kBufferOk);
    EXPECT_EQ(WriteReal(buffer, kBufferU8, 3), kBufferOk);
    EXPECT_EQ(WriteReal(buffer, kBufferU8, 4), kBufferNoRoom);
    EXPECT_EQ(Bytes(buffer), "0203");
    buffer.Seek(0, 0);
    ScriptValue out;
    EXPECT_EQ(buffer.Read(kBufferS8, out.Get()), kBufferFastBadType);
    EXPECT_EQ(buffer.Read(kBufferU8, out.Get()), kBufferOk);
    EXPECT_EQ(out.Real(), 2.0);
    buffer.Poke(1, kBufferU8, ScriptValue(9.0).Get());
    buffer.Peek(1, kBufferU8, out.Get());
    EXPECT_EQ(out.Real(), 9.0);
}

TEST_F(BufferTest, TableReusesTheLowestFreeSlot)
{
    EXPECT_EQ(Buffer_Create(4, kBufferFixed, 1), 0);
    EXPECT_EQ(Buffer_Create(4, kBufferFast, 1), 1);
    EXPECT_NE(dynamic_cast<Buffer_Fast*>(Buffer_Get(1)), nullptr);
    Buffer_Delete(0);
    EXPECT_EQ(Buffer_Get(0), nullptr);
    EXPECT_EQ(Buffer_Get(-1), nullptr);
    EXPECT_EQ(Buffer_CreateEmpty(), 0);
    uint8_t* bytes = static_cast<uint8_t*>(BW_ALLOC(3, true));
    const int32_t wrapped = Buffer_CreateFromMemory(bytes, 3, true);
    EXPECT_EQ(Buffer_Get(wrapped)->Size(), 3);
    EXPECT_EQ(Buffer_Get(wrapped)->Data(), bytes);
}

class BufferFileTest : public BufferTest {
protected:
    BufferFileTest() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        m_root.Write("game/shipped.bin", "SHIP");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("BufferGame", false));
    }

    test::ScratchFolder m_root;
    test::ScopedEnv m_data;
};

TEST_F(BufferFileTest, SaveThenLoadGivesTheBytesBack)
{
    Buffer_Standard buffer(4, kBufferFixed, 1);
    for (double v : {1, 2, 3, 4}) WriteReal(buffer, kBufferU8, v);
    ASSERT_TRUE(buffer.Save("sub/out.bin", 1, 2));
    EXPECT_EQ(test::ScratchFolder::Read(m_root / "data/BufferGame/sub/out.bin"), "\x02\x03");

    Buffer_Standard loaded(1, kBufferGrow, 1);
    loaded.InitEmpty();
    ASSERT_TRUE(loaded.Load("sub/out.bin", 0, -1, 0));
    EXPECT_EQ(Bytes(loaded), "0203");
    ASSERT_TRUE(loaded.Load("shipped.bin", 0, -1, 1));  // from the program area
    EXPECT_EQ(Bytes(loaded), "0253484950");

    // A wrapped range is written round the end for its whole length.
    Buffer_Standard wrap(3, kBufferWrap, 1);
    for (double v : {'a', 'b', 'c'}) WriteReal(wrap, kBufferU8, v);
    ASSERT_TRUE(wrap.Save("round.bin", 2, 5));
    EXPECT_EQ(test::ScratchFolder::Read(m_root / "data/BufferGame/round.bin"), "cabca");
    // An empty buffer makes an empty file.
    loaded.InitEmpty();
    ASSERT_TRUE(loaded.Save("round.bin", 0, -1));
    EXPECT_EQ(test::ScratchFolder::Read(m_root / "data/BufferGame/round.bin"), "");
}

TEST_F(BufferFileTest, WebAddressesAndMissingFilesAreNotLoaded)
{
    Buffer_Standard buffer(4, kBufferGrow, 1);
    EXPECT_FALSE(buffer.Load("http://x", 0, -1, 0));
    EXPECT_FALSE(buffer.Load("https://x", 0, -1, 0));
    EXPECT_FALSE(buffer.Load("missing.bin", 0, -1, 0));
    EXPECT_EQ(Bytes(buffer), "00000000");
}

}  // namespace
}  // namespace bw
