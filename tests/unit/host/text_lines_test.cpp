#include "host/text_lines.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(TextLinesTest, CrLfAndCrLfEachEndALine)
{
    using Lines = std::vector<std::string_view>;
    const struct {
        std::string_view text;
        Lines lines;
        std::string_view withLineFeeds;
    } cases[] = {
        {"", {""}, ""},
        {"one line", {"one line"}, "one line"},
        {"a\rb", {"a", "b"}, "a\nb"},
        {"a\nb", {"a", "b"}, "a\nb"},
        {"a\r\nb", {"a", "b"}, "a\nb"},
        {"a\n\rb", {"a", "", "b"}, "a\n\nb"},
        {"a\r\rb", {"a", "", "b"}, "a\n\nb"},
        {"report\r\n", {"report", ""}, "report\n"},
        {"\r", {"", ""}, "\n"},
        {"Привет\rΓειά\r\n日本語", {"Привет", "Γειά", "日本語"}, "Привет\nΓειά\n日本語"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(HostText_SplitLines(c.text), c.lines);
        EXPECT_EQ(HostText_WithLineFeeds(c.text), c.withLineFeeds);
    }
}

}  // namespace
}  // namespace bw
