#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bw {
namespace {

TEST(CommandLineTest, SplitsOnBlanksAndGroupsWithQuotes)
{
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(CommandLine_Split(c.text), c.tokens) << c.text;
    }
    EXPECT_TRUE(CommandLine_Split(nullptr).empty());
}

TEST(CommandLineTest, NextTokenReturnsThePositionThatEndedIt)
{
    const char* text = "  -output log.txt";
    std::string token;
    size_t position = CommandLine_NextToken(0, text, &token);
    EXPECT_EQ(token, "-output");
    EXPECT_EQ(position, 9u);
    position = CommandLine_NextToken(position, text, &token);
    EXPECT_EQ(token, "log.txt");
    EXPECT_EQ(position, 17u);
    EXPECT_EQ(CommandLine_NextToken(position, text, &token), 17u);
    EXPECT_EQ(token, "");
    EXPECT_EQ(CommandLine_NextToken(0, nullptr, &token), 0u);
}

}  // namespace
}  // namespace bw
