// The UTF-8 routines on well-formed and broken text: lengths and character
// reads never pass the terminator, searches and cuts count characters.
#include "platform/string_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace bw {
namespace {

TEST(Utf8, GetCharReadsOneTwoAndThreeByteSequences)
{
    const char* text = "a\xC3\xA9\xE2\x82\xAC";
    EXPECT_EQ(UTF8_GetChar(&text), 'a');
    EXPECT_EQ(UTF8_GetChar(&text), 0xE9);
    EXPECT_EQ(UTF8_GetChar(&text), 0x20AC);
    EXPECT_EQ(*text, '\0');
}

TEST(Utf8, SequencesCutShortByTheTerminatorStopAtIt)
{
    struct Case { const char* text; int32_t length; };
    // Each buffer holds bytes after its NUL that must never be read as text.
    static const char kTwoCut[] = "\xC3\0zz";
    static const char kThreeCutAtSecond[] = "\xE2\0zz";
    static const char kThreeCutAtThird[] = "a\xE2\x82\0zz";
    static const char kFourByteLead[] = "\xF0\x9F\0zz";
    for (const Case& c : {Case{kTwoCut, 1}, Case{kThreeCutAtSecond, 1}, Case{kThreeCutAtThird, 2},
                          Case{kFourByteLead, 1}}) {
        EXPECT_EQ(UTF8_Length(c.text), c.length) << c.text;
        const char* cursor = c.text;
        while (*cursor != '\0') UTF8_GetChar(&cursor);
        EXPECT_EQ(*cursor, '\0');
        EXPECT_LT(cursor, c.text + std::char_traits<char>::length(c.text) + 1);
    }
}

TEST(Utf8, PutCharWritesTheShortestForm)
{
    std::string out;
    UTF8_PutChar(out, 0x41);
    UTF8_PutChar(out, 0x7FF);
    UTF8_PutChar(out, 0x20AC);
    EXPECT_EQ(out, "A\xDF\xBF\xE2\x82\xAC");
}

TEST(Utf8, LengthAndAsciiCountCharactersAndNullIsEmpty)
{
    EXPECT_EQ(UTF8_Length("h\xC3\xA9llo"), 5);
    EXPECT_EQ(UTF8_Length(""), 0);
    EXPECT_EQ(UTF8_Length(nullptr), 0);
    EXPECT_EQ(UTF8_ToAscii("\xC3\xA9" "5x\xE2\x82\xAC"), "5x");  // only characters below 128
    EXPECT_EQ(UTF8_ToAscii(nullptr), "");
}

TEST(Utf8, CompareGivesTheDifferenceOfTheFirstDifferingCharacters)
{
    EXPECT_EQ(UTF8_Compare("abc", "abc"), 0);
    EXPECT_EQ(UTF8_Compare("abd", "abc"), 1);
    EXPECT_EQ(UTF8_Compare("ab", "abc"), -'c');
    EXPECT_EQ(UTF8_Compare("\xC3\xA9", "e"), 0xE9 - 'e');
    EXPECT_EQ(UTF8_CompareN("abX", "abY", 2), 0);
    EXPECT_EQ(UTF8_CompareN("ab", "ab", 5), 0);
}

TEST(Utf8, FindAndSubstringCountCharacters)
{
    EXPECT_EQ(UTF8_Find("c", "\xC3\xA9" "bc"), 2);
    EXPECT_EQ(UTF8_Find("bc", "abc"), 1);
    EXPECT_EQ(UTF8_Find("x", "abc"), -1);
    EXPECT_EQ(UTF8_Find("", "abc"), -1);
    EXPECT_EQ(UTF8_Find("a", ""), -1);
    EXPECT_EQ(UTF8_Find("abcd", "abc"), -1);
    EXPECT_EQ(UTF8_Substring("h\xC3\xA9llo", 1, 2), "\xC3\xA9l");
    EXPECT_EQ(UTF8_Substring("abc", 5, 2), "");
    EXPECT_EQ(UTF8_Substring("abc", 1, 100), "bc");
}

TEST(Utf8, DeleteRangeIgnoresPositionsOutsideTheText)
{
    struct Case { int32_t position, count; const char* expected; };
    for (const Case& c : {Case{2, 2, "hlo"}, Case{2, 1, "hllo"}, Case{0, 2, "h\xC3\xA9llo"},
                          Case{6, 1, "h\xC3\xA9llo"}, Case{4, 99, "h\xC3\xA9l"}, Case{2, -1, "h\xC3\xA9llo"}}) {
        std::string text = "h\xC3\xA9llo";
        UTF8_DeleteRange(text, c.position, c.count);
        EXPECT_EQ(text, c.expected) << c.position << "," << c.count;
    }
}

TEST(Utf8, ReplaceNeverSearchesReplacedText)
{
    EXPECT_EQ(String_Replace("aaa", "a", "aa", true), "aaaaaa");
    EXPECT_EQ(String_Replace("abab", "b", "X", false), "aXab");
    EXPECT_EQ(String_Replace("abab", "", "X", true), "abab");
    EXPECT_EQ(String_Replace("abab", "b", nullptr, true), "aa");
    EXPECT_EQ(String_Replace("\xC3\xA9x\xC3\xA9", "x", "-", true), "\xC3\xA9-\xC3\xA9");
}

TEST(Utf8, ConvertTextTurnsNumberSignsIntoLineBreaks)
{
    std::string text = "a#b\\#c\xC3\xA9";
    EXPECT_EQ(ShowMessage_ConvertText(text), 6);
    EXPECT_EQ(text, "a\rb#c\xC3\xA9");
}

}  // namespace
}  // namespace bw
