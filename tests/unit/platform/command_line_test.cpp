#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bw {
namespace {

TEST(CommandLineTest, SplitsOnBlanksAndGroupsWithQuotes)
{
    const struct { const char* text; std::vector<std::string> tokens; } cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"-game \"my game.win\"", {"-game", "my game.win"}},
        {"x\"y z\"w", {"xy zw"}},
        {"a \"\" b", {"a", "", "b"}},
        {"\"unterminated blank", {"unterminated blank"}},
        {"semi;colon $(x) |pipe", {"semi;colon", "$(x)", "|pipe"}},
        {"caf\xC3\xA9 \x01" "ctl", {"caf\xC3\xA9", "ctl"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandLine_Split(c.text), c.tokens) << c.text;
    EXPECT_TRUE(CommandLine_Split(nullptr).empty());
}

TEST(CommandLineTest, NextTokenReturnsThePositionThatEndedIt)
{
    const char* text = "  -output log.txt";
    const struct { size_t from; const char* token; size_t ended; } steps[] = {
        {0, "-output", 9}, {9, "log.txt", 17}, {17, "", 17}};
    std::string token;
    for (const auto& s : steps) {
        EXPECT_EQ(CommandLine_NextToken(s.from, text, &token), s.ended) << s.from;
        EXPECT_EQ(token, s.token);
    }
    EXPECT_EQ(CommandLine_NextToken(0, nullptr, &token), 0u);
}

}  // namespace
}  // namespace bw
