#include "script/lexer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "script/code_unit.h"
#include "script/error_report.h"

namespace bw {
namespace {

// "kind:text" per token, the end token as "end@position".
std::string Lex(const std::string& text)
{
    CCode code(text.c_str(), false);
    CodeTokens tokens;
    if (!Code_Phase1(code, tokens)) {
        return std::string("error: ") + Code_Error_PendingMessage();
    }
    std::string out;
    for (const CodeToken& token : tokens) {
        if (!out.empty()) {
            out += ' ';
        }
        out += token.kind == kSymEnd ? "end@" + std::to_string(token.position)
                                     : std::to_string(token.kind) + (token.text.empty() ? "" : ":" + token.text);
    }
    return out;
}

TEST(LexerTest, TokensOfTypicalTexts)
{
    const struct {
        const char* text;
        const char* tokens;
    } cases[] = {
        {"a:=b<>c", "0:a 101 0:b 207 0:c end@10"},
        {"", "end@3"},
        {"1.2.3", "1:1.2 1:.3 end@8"},
        {"'It''s'", "2:It 2:s end@10"},
        {"\"a'b\"'c\"d'", "2:a'b 2:c\"d end@13"},
        {"a\xC8" "b", "0:a 0:b end@6"},
        {"$1F+$", "1:$1F 210 1:$ end@8"},
        {"x // note\ny", "0:x 0:y end@14"},
        {"x /* note */ y", "0:x 0:y end@17"},
        {"x /* never closed", "0:x end@20"},
        {"'open", "2:open end@8"},
        {"If if IF", "0:If 13 0:IF end@11"},
        {"globalvar globalvars", "30 0:globalvars end@23"},
        {"begin end { } and && or || not ! mod % xor ^^", "11 12 11 12 201 201 202 202 203 203 215 215 216 216 end@48"},
        {"+= -= *= /= |= &= ^= := = ==", "102 103 104 105 114 115 116 101 101 206 end@31"},
        {"< <= > >= << >> != <>", "204 205 209 208 221 222 207 207 end@24"},
        {"( ) ; , [ ] . : | & ^ ~ * / div", "106 107 108 109 110 111 112 113 217 218 219 220 212 213 214 end@34"},
        {"while do for until repeat exit break continue with return switch case default var then else",
         "16 17 18 19 20 21 22 23 24 25 26 27 28 29 14 15 end@94"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Lex(c.text), c.tokens) << c.text;
    }
}

TEST(LexerTest, StringTokenStartsAfterItsQuote)
{
    CCode code("x = 'abc'", false);
    CodeTokens tokens;
    ASSERT_TRUE(Code_Phase1(code, tokens));
    EXPECT_EQ(tokens[2].position, 5);
}

TEST(LexerTest, ByteThatStartsNoTokenIsAnError)
{
    for (const char* text : {"a @", "a #", "a ?", "a `", "a \x7F"}) {
        EXPECT_EQ(Lex(text), "error: Error in code at line 1:\n   " + std::string(text) +
                                 "\n\nat position 3: Unexpected symbol.")
            << text;
    }
}

TEST(LexerTest, LostTextIsFoundWhereItStarts)
{
    using Kind = LostText::Kind;
    const struct {
        const char* text;
        std::optional<Kind> kind;
        int32_t position;
    } cases[] = {
        {"a = 'x'; b = \"y\"; /* c */ // 'd\n", std::nullopt, 0},
        {"a = \"oops;\nb = 2;", Kind::UnclosedString, 4},
        {"a = 'closed' + 'open", Kind::UnclosedString, 15},
        {"a = 1; /* note\nb = 2;", Kind::UnclosedComment, 7},
        // Quotes in comments and comment marks in strings are text.
        {"// it's\n/* don't */ s = \"a/*b\"", std::nullopt, 0},
        // The compile reports the stray byte; what follows it is not scanned.
        {"a @ 'open", std::nullopt, 0},
        // Text outside ASCII is only lost outside strings and comments.
        {"s = \"Привет, Γειά, 日本語\"; // счёт\n/* 点数 */", std::nullopt, 0},
        {"\xEF\xBB\xBF" "a = 1;", std::nullopt, 0},
        {"счёт = 10;", Kind::OutsideAscii, 0},
        {"a = очки1;", Kind::OutsideAscii, 4},
        {"x = 1; βήμα = 2;", Kind::OutsideAscii, 7},
        {"点数 = 1;", Kind::OutsideAscii, 0},
        {"a = 1;\xEF\xBB\xBF", Kind::OutsideAscii, 6},
        // The first loss in the text is the one found.
        {"ζ = 'open", Kind::OutsideAscii, 0},
        {"z = 'open ζ", Kind::UnclosedString, 4},
    };
    for (const auto& c : cases) {
        const std::optional<LostText> lost = Code_FindLostText(c.text);
        ASSERT_EQ(lost.has_value(), c.kind.has_value()) << c.text;
        if (!lost) continue;
        EXPECT_EQ(lost->kind, *c.kind) << c.text;
        EXPECT_EQ(lost->position, c.position) << c.text;
    }
}

TEST(LexerTest, WordsHaveNoLengthLimit)
{
    const std::string word(5000, 'w');
    EXPECT_EQ(Lex(word), "0:" + word + " end@5003");
}

}  // namespace
}  // namespace bw
