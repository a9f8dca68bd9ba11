// The language guide's code blocks, its generated section and the check of
// its examples.
#include <gtest/gtest.h>

#include "bwpack/guide/example_check.h"
#include "bwpack/guide/guide_text.h"

namespace bw::pack {
namespace {

TEST(GuideText, CodeBlocksKeepFenceWordsLinesAndText)
{
    const std::string guide =
        "# Title\n"
        "```bwl\n"
        "x = 1;\n"
        "```\n"
        "text ``` inside a line is no fence\n"
        "```bwl script scr_a\n"
        "return 1;\n"
        "\n"
        "```\n"
        "```json\n"
        "{}\n"
        "```\n"
        "```bwl\n"
        "left open\n";
    const std::vector<GuideCodeBlock> blocks = Guide_CodeBlocks(guide);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].info, "bwl");
    EXPECT_EQ(blocks[0].code, "x = 1;\n");
    EXPECT_EQ(blocks[0].line, 2);
    EXPECT_EQ(blocks[1].info, "bwl script scr_a");
    EXPECT_EQ(blocks[1].code, "return 1;\n\n");
    EXPECT_EQ(blocks[1].line, 6);
    EXPECT_EQ(blocks[2].info, "json");
    EXPECT_TRUE(Guide_CodeBlocks("").empty());
}

TEST(GuideText, ListSectionIsFoundAndReplacedBetweenItsMarkers)
{
    const std::string guide = std::string("before\n") + kGuideListBegin + "old\n" + kGuideListEnd + "after\n";
    EXPECT_EQ(Guide_ListSection(guide), "old\n");
    EXPECT_EQ(Guide_WithListSection(guide, "new\n"),
              std::string("before\n") + kGuideListBegin + "new\n" + kGuideListEnd + "after\n");
    // Missing or swapped markers: nothing to compare or replace.
    const std::string swapped = std::string(kGuideListEnd) + kGuideListBegin;
    for (const std::string& broken : {std::string("no markers\n"), std::string(kGuideListBegin), swapped}) {
        EXPECT_FALSE(Guide_ListSection(broken)) << broken;
        EXPECT_FALSE(Guide_WithListSection(broken, "x")) << broken;
    }
}

TEST(GuideExamples, EachBlockMustBehaveAsItsFenceSays)
{
    const std::vector<GuideCodeBlock> blocks = {
        {"bwl", "hp = scr_half(10);\n", 3},         // calls the guide's own script
        {"bwl script scr_half", "return argument0 / 2;\n", 7},
        {"bwl", "draw_set_colour(c_red);\n", 11},   // a mistake not marked as one
        {"bwl error", "draw_set_color(c_red);\n", 15},  // marked, but compiles
        {"bwl error", "x = ;\n", 19},
        {"json", "not code at all", 23},
    };
    const std::vector<std::string> faults = Guide_CheckExamples(blocks, "guide.md");
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0], "guide.md:11: does not compile: Unknown function or script: draw_set_colour");
    EXPECT_EQ(faults[1], "guide.md:15: compiles, but is shown as a mistake");
}

}  // namespace
}  // namespace bw::pack
