#include "platform/strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "platform/memory.h"

namespace bw {
namespace {

char* NewText(const char* text)
{
    char* block = nullptr;
    VCL_StringAssign(&block, text);
    return block;
}

uint32_t BlocksInUse() { return MemoryManager_Counters().blocksInUse; }

TEST(StringConcat, JoinsNonEmptyTextsInOrderUpToTen)
{
    char* joined = String_Concat(nullptr, "ab", nullptr, "", "cd", "e");
    ASSERT_STREQ(joined, "abcde");
    joined = String_Concat(joined, "0", "1", "2", "3", "4", "5", "6", "7", "8", "9");
    ASSERT_STREQ(joined, "0123456789");
    MemoryManager_Free(joined);
}

TEST(StringConcat, NothingToJoinFreesTheBlockAndGivesNull)
{
    EXPECT_EQ(String_Concat(nullptr, nullptr, ""), nullptr);
    char* block = NewText("old");
    const uint32_t blocksBefore = BlocksInUse();
    EXPECT_EQ(String_Concat(block, "", nullptr, ""), nullptr);
    EXPECT_EQ(BlocksInUse(), blocksBefore - 1);
}

// The block must grow, so it may move while its own text is being joined.
TEST(StringConcat, JoinsABlockOntoItself)
{
    char* block = NewText("ab");
    block = String_Concat(block, block, block, block);
    ASSERT_STREQ(block, "ababab");
    block = String_Concat(block, "x", block + 4, block);
    ASSERT_STREQ(block, "xabababab");
    MemoryManager_Free(block);
}

TEST(VCLStringAssign, ReusesALargeEnoughBlockEvenForItsOwnTailAndGrowsASmallOne)
{
    char* field = NewText("a longer text");
    char* const before = field;
    VCL_StringAssign(&field, "short");
    EXPECT_EQ(field, before);
    EXPECT_STREQ(field, "short");
    VCL_StringAssign(&field, field + 2);  // its own tail: the copy overlaps
    EXPECT_STREQ(field, "ort");
    VCL_StringAssign(&field, "a much longer text");
    EXPECT_STREQ(field, "a much longer text");
    EXPECT_GE(MemoryManager_GetSize(field), std::strlen("a much longer text") + 1);
    MemoryManager_Free(field);
}

TEST(VCLStringAssign, NullTextFreesTheField)
{
    char* field = NewText("hello");
    const uint32_t blocksBefore = BlocksInUse();
    VCL_StringAssign(&field, nullptr);
    EXPECT_EQ(field, nullptr);
    EXPECT_EQ(BlocksInUse(), blocksBefore - 1);
}

TEST(StringPos, FindsOneBasedPositionOfFirstOccurrence)
{
    const struct { const char* needle; const char* haystack; int32_t expected; } cases[] = {
        {"lo", "hello", 4},  {"h", "hello", 1},      {"l", "hello", 3},     {"hello", "hello", 1},
        {"lol", "hello", 0}, {"hello!", "hello", 0}, {nullptr, "hello", 0}, {"lo", nullptr, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(String_Pos(c.needle, c.haystack), c.expected)
            << (c.needle ? c.needle : "(null)") << " in " << (c.haystack ? c.haystack : "(null)");
}

// u8 literals are char8_t in C++20; the program's texts are plain chars.
std::string Utf8(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

struct Texts { std::string utf8; std::u16string utf16; };

TEST(StringWide, ConvertsEachUtf8WidthBothWays)
{
    const Texts cases[] = {
        {"", u""},
        {"Az", u"Az"},
        {Utf8({0xC3, 0xA9}), {0x00E9}},                      // 2 bytes
        {Utf8({0xDF, 0xBF}), {0x07FF}},                      // largest 2-byte
        {Utf8({0xE2, 0x82, 0xAC}), {0x20AC}},                // 3 bytes
        {Utf8({0xEF, 0xBF, 0xBF}), {0xFFFF}},                // largest 3-byte
        {Utf8({0xF0, 0x9F, 0x98, 0x80}), {0xD83D, 0xDE00}},  // 4 bytes: a surrogate pair
        {Utf8({0xF4, 0x8F, 0xBF, 0xBF}), {0xDBFF, 0xDFFF}},  // U+10FFFF
        {Utf8({'a', 0xC3, 0xA9, 0xF0, 0x90, 0x80, 0x80, 'b'}), {'a', 0x00E9, 0xD800, 0xDC00, 'b'}},
    };
    for (const Texts& c : cases) {
        EXPECT_EQ(String_ToWide(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(String_FromWide(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(StringWide, IllFormedUtf8BecomesReplacementCharacters)
{
    const char16_t r = 0xFFFD;
    const Texts cases[] = {
        {Utf8({0x80}), {r}},                             // stray continuation byte
        {Utf8({0xC3}), {r}},                             // truncated at the end
        {Utf8({0xE2, 0x82, 'A'}), {r, 'A'}},             // cut short by an ASCII byte
        {Utf8({0xF0, 0x9F, 0x98}), {r}},                 // truncated 4-byte form
        {Utf8({0xC0, 0xAF}), {r, r}},                    // overlong '/'
        {Utf8({0xE0, 0x80, 0xAF}), {r, r, r}},           // overlong 3-byte form
        {Utf8({0xED, 0xA0, 0x80}), {r, r, r}},           // an encoded surrogate
        {Utf8({0xF4, 0x90, 0x80, 0x80}), {r, r, r, r}},  // above U+10FFFF
        {Utf8({0xF5, 'x', 0xFF}), {r, 'x', r}},          // bytes that never start a character
    };
    for (const Texts& c : cases)
        EXPECT_EQ(String_ToWide(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
}

TEST(StringWide, UnpairedSurrogatesBecomeReplacementCharacters)
{
    const std::string r = Utf8({0xEF, 0xBF, 0xBD});
    const Texts cases[] = {
        {r, {0xD83D}},                                                   // high surrogate at the end
        {r + "A", {0xD83D, 'A'}},                                        // high surrogate before a non-surrogate
        {r + "A", {0xDE00, 'A'}},                                        // lone low surrogate
        {r + r, {0xDE00, 0xD83D}},                                       // pair in the wrong order
        {r + Utf8({0xF0, 0x9F, 0x98, 0x80}), {0xD83D, 0xD83D, 0xDE00}},  // lone high, then a pair
    };
    for (const Texts& c : cases)
        EXPECT_EQ(String_FromWide(c.utf16), c.utf8);
}

TEST(RealToInt64, RoundsTiesToEvenAndSaturatesOutOfRangeWithNaNAsTheMinimum)
{
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min(), kMax = std::numeric_limits<int64_t>::max();
    const struct { double x; int64_t expected; } cases[] = {
        {0.0, 0}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {1.4999, 1}, {-0.6, -1}, {0.5, 0},
        {4611686018427387904.0, INT64_C(4611686018427387904)},
        {9223372036854775808.0, kMax},   // 2^63: one past the largest
        {-9223372036854775808.0, kMin},  // -2^63 itself fits
        {1e300, kMax}, {INFINITY, kMax}, {-1e300, kMin}, {-INFINITY, kMin}, {std::nan(""), kMin},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Real_ToInt64(c.x), c.expected) << c.x;
}

TEST(StringFromReal, WritesAsPrintfInTheCLocale)
{
    EXPECT_EQ(String_FromReal(1.5, std::chars_format::general, 6), "1.5");
    EXPECT_EQ(String_FromReal(1e20, std::chars_format::general, 6), "1e+20");
    EXPECT_EQ(String_FromReal(0.1234567, std::chars_format::general, 6), "0.123457");
    EXPECT_EQ(String_FromReal(1.0, std::chars_format::fixed, 6), "1.000000");
    EXPECT_EQ(String_FromReal(-2.5, std::chars_format::fixed, 4, 10), "   -2.5000");
    EXPECT_EQ(String_FromReal(1e300, std::chars_format::fixed, 6).size(), 301u + 7u);
}

}  // namespace
}  // namespace bw
