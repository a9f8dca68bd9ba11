// The string built-ins as game code calls them: character indexes, the two
// errors they report, number <-> text in the C locale, and the size limits
// of string_format and string_repeat.
#include "library/string_builtins.h"

#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::LastError;
using test::ScriptValue;

class StringBuiltins : public test::LibraryTest {
protected:
    static void SetUpTestSuite()
    {
        static const bool registered = [] {
            Function_String_Register();
            return true;
        }();
        (void)registered;
    }

    static std::string Text(const char* name, std::initializer_list<ScriptValue> args)
    {
        const ScriptValue result = CallBuiltin(name, args);
        EXPECT_TRUE(result.IsString()) << name;
        return result.Text();
    }
    static double Real(const char* name, std::initializer_list<ScriptValue> args)
    {
        const ScriptValue result = CallBuiltin(name, args);
        EXPECT_FALSE(result.IsString()) << name;
        return result.Real();
    }
};

TEST_F(StringBuiltins, LengthsCountCharactersOrBytes)
{
    EXPECT_EQ(Real("string_length", {"h\xC3\xA9llo"}), 5);
    EXPECT_EQ(Real("string_byte_length", {"h\xC3\xA9llo"}), 6);
    EXPECT_EQ(Real("string_length", {3.0}), 0);
}

TEST_F(StringBuiltins, CopyClampsTheStartAndReportsOnlyAStartPastTheEnd)
{
    EXPECT_EQ(Text("string_copy", {"hello", 0.0, 2.0}), "he");
    EXPECT_EQ(Text("string_copy", {"h\xC3\xA9llo", 2.0, 2.0}), "\xC3\xA9l");
    EXPECT_EQ(Text("string_copy", {"hello", 4.0, 99.0}), "lo");
    EXPECT_EQ(Text("string_copy", {"hello", 6.0, 2.0}), "");
    EXPECT_EQ(LastError(), "");
    EXPECT_EQ(Text("string_copy", {"hello", 7.0, 2.0}), "");
    EXPECT_NE(LastError().find("string_copy(hello, 7, 2): Index is out of bounds"), std::string::npos);
}

TEST_F(StringBuiltins, CopyWithHugeIndexesNeitherOverflowsNorCopies)
{
    EXPECT_EQ(Text("string_copy", {"hello", 2.0, 1e300}), "ello");
    EXPECT_EQ(Text("string_copy", {"hello", 1e300, 1e300}), "");
    EXPECT_EQ(Text("string_copy", {"hello", -1e300, 2.0}), "he");
}

TEST_F(StringBuiltins, CharAtTakesTheFirstCharacterForIndexesBelowOne)
{
    EXPECT_EQ(Text("string_char_at", {"abc", -5.0}), "a");
    EXPECT_EQ(Text("string_char_at", {"a\xC3\xA9", 2.0}), "\xC3\xA9");
    EXPECT_EQ(Text("string_char_at", {"abc", 4.0}), "");
}

TEST_F(StringBuiltins, ByteAtReadsSignedBytesWithinTheText)
{
    EXPECT_EQ(Real("string_byte_at", {"\xC3\xA9", 1.0}), -61);
    EXPECT_EQ(Real("string_byte_at", {"abc", 99.0}), 'c');
    EXPECT_EQ(Real("string_byte_at", {"abc", -3.0}), 'a');
    EXPECT_EQ(Real("string_byte_at", {"", 1.0}), 0);
}

TEST_F(StringBuiltins, SetByteAtReplacesOneByteOrReportsAndKeepsTheText)
{
    EXPECT_EQ(Text("string_set_byte_at", {"abc", 2.0, 321.0}), "aAc");
    EXPECT_EQ(LastError(), "");
    EXPECT_EQ(Text("string_set_byte_at", {"abc", 4.0, 65.0}), "abc");
    EXPECT_NE(LastError().find("string_set_byte_at : index beyond end of string"), std::string::npos);
}

TEST_F(StringBuiltins, PositionAndCountSearchTheText)
{
    EXPECT_EQ(Real("string_pos", {"", "abc"}), 0);
    EXPECT_EQ(Real("string_pos", {"x", "abc"}), 0);
    EXPECT_EQ(Real("string_pos", {"c", "\xC3\xA9" "bc"}), 3);
    EXPECT_EQ(Real("string_count", {"aa", "aaaa"}), 3);
    EXPECT_EQ(Real("string_count", {"", "aaaa"}), 0);
}

TEST_F(StringBuiltins, InsertAndDeleteWorkInCharacters)
{
    EXPECT_EQ(Text("string_insert", {"XY", "h\xC3\xA9llo", 3.0}), "h\xC3\xA9XYllo");
    EXPECT_EQ(Text("string_insert", {"X", "abc", 99.0}), "abcX");
    EXPECT_EQ(Text("string_insert", {"X", "abc", -4.0}), "Xabc");
    EXPECT_EQ(Text("string_insert", {1.0, "abc", 1.0}), "");
    EXPECT_EQ(Text("string_delete", {"h\xC3\xA9llo", 2.0, 2.0}), "hlo");
    EXPECT_EQ(Text("string_delete", {"abc", 9.0, 2.0}), "abc");
}

TEST_F(StringBuiltins, ReplaceFirstOrEvery)
{
    EXPECT_EQ(Text("string_replace_all", {"aaa", "a", "aa"}), "aaaaaa");
    EXPECT_EQ(Text("string_replace", {"a-b-c", "-", "+"}), "a+b-c");
}

TEST_F(StringBuiltins, CaseMappingAndFiltersTouchAsciiLettersAndDigitsOnly)
{
    EXPECT_EQ(Text("string_upper", {"a\xC3\xA9z1"}), "A\xC3\xA9Z1");
    EXPECT_EQ(Text("string_lower", {"A\xC3\x89Z1"}), "a\xC3\x89z1");
    EXPECT_EQ(Text("string_letters", {"a1\xC3\xA9 B"}), "aB");
    EXPECT_EQ(Text("string_digits", {"a1\xC3\xA9 2"}), "12");
    EXPECT_EQ(Text("string_lettersdigits", {"a1\xC3\xA9 B_"}), "a1B");
}

TEST_F(StringBuiltins, RepeatRefusesResultsBeyondTwoGigabytes)
{
    EXPECT_EQ(Text("string_repeat", {"ab", 3.0}), "ababab");
    EXPECT_EQ(Text("string_repeat", {"ab", 0.0}), "");
    EXPECT_EQ(Text("string_repeat", {"abcd", 1e9}), "");
}

TEST_F(StringBuiltins, FormatPrintsWidthTotalMinusDecimals)
{
    struct Case { ScriptValue value; double total, decimals; const char* expected; };
    for (const Case& c : {Case{3.14159, 5, 2, "3.14"}, Case{2.0, 10, 3, "  2.000"}, Case{"abc", 10, 3, "abc"},
                          Case{-1.5, 6.9, 1.2, " -1.5"}, Case{1.0, -3, 0, "1  "}, Case{1.0, 0, -2, " 1"}}) {
        EXPECT_EQ(Text("string_format", {c.value, c.total, c.decimals}), c.expected) << c.expected;
    }
}

TEST_F(StringBuiltins, FormatWithHugeWidthsStaysBounded)
{
    const std::string wide = Text("string_format", {1.0, 1e9, 0.0});
    EXPECT_EQ(wide.size(), 1024u);
    EXPECT_EQ(wide.back(), '1');
    const std::string precise = Text("string_format", {1.0e300, 2000.0, 1000.0});
    EXPECT_EQ(precise.size(), 301u + 1u + 1000u);
}

TEST_F(StringBuiltins, ChrAndOrdRoundTripSixteenBitCodes)
{
    EXPECT_EQ(Text("chr", {static_cast<double>(0x20AC)}), "\xE2\x82\xAC");
    EXPECT_EQ(Real("ord", {"\xE2\x82\xAC"}), 8364);
    EXPECT_EQ(Text("chr", {-191.0}), "A");  // below 128: the low seven bits
    EXPECT_EQ(Text("chr", {65.9}), "A");
    EXPECT_EQ(Real("ord", {""}), 0);
    EXPECT_EQ(Text("ansi_char", {321.0}), "A");
    EXPECT_EQ(Text("ansi_char", {256.0}), "");
}

TEST_F(StringBuiltins, StringWritesWholeRealsAsIntegers)
{
    EXPECT_EQ(Text("string", {3.0}), "3");
    EXPECT_EQ(Text("string", {2.5}), "2.50");
    EXPECT_EQ(Text("string", {0.999}), "1.00");
    EXPECT_EQ(Text("string", {"x"}), "x");
}

TEST_F(StringBuiltins, RealReadsTheAsciiPrefixOfATextAsANumber)
{
    EXPECT_EQ(Real("real", {"12abc"}), 12);
    EXPECT_EQ(Real("real", {"\xC3\xA9" "5"}), 5);
    EXPECT_EQ(Real("real", {"  -2.5e1"}), -25);
    EXPECT_EQ(Real("real", {"\xC3\xA9"}), 0);
    EXPECT_EQ(Real("real", {7.25}), 7.25);
}

}  // namespace
}  // namespace bw
