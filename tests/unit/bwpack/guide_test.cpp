// The language guide's code blocks, its generated section and the check of
// its examples.
#include <gtest/gtest.h>

#include "bwpack/guide/builtin_list.h"
#include "bwpack/guide/example_check.h"
#include "bwpack/guide/guide_text.h"
#include "script/constants.h"
#include "script/function_table.h"

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

// The list registers the runner's built-ins into an empty table; tests
// before these in the same program (a package loaded as the runner loads
// it) may have left it filled.
class GuideConstants : public testing::Test {
protected:
    void SetUp() override { Code_Function_Free(); }
};

TEST_F(GuideConstants, RunnerConstantsAreListedWithTheirValuesAndNoGameConstant)
{
    Code_Constant_Add_Real("spawn_rate", 7);
    const std::string list = Guide_BuiltinList();
    const size_t constants = list.find("### Constants\n");
    ASSERT_NE(constants, std::string::npos);
    const std::string section = list.substr(constants);
    EXPECT_NE(section.find("`c_yellow` 65535 ($00FFFF)"), std::string::npos);
    EXPECT_NE(section.find("`pi` 3.1415927410125732\n"), std::string::npos);
    EXPECT_NE(section.find("- `vk_`: `vk_nokey` 0, `vk_anykey` 1, `vk_enter` 13,"), std::string::npos);
    EXPECT_EQ(section.find("spawn_rate"), std::string::npos);
    // Every name the runner registers is there; the table holds the built-ins alone.
    const char* name = nullptr;
    const Value* value = nullptr;
    for (int32_t index = 0; Code_Constant_Get(index, &name, &value); ++index) {
        EXPECT_NE(section.find("`" + std::string(name) + "` "), std::string::npos) << name;
    }
    EXPECT_EQ(Code_Constant_Find("spawn_rate"), nullptr);
}

TEST_F(GuideConstants, ListGroupsByPrefixQuotesTextsAndWraps)
{
    Value greeting, plain, number, colour, fraction;
    Value_SetString(greeting, "He said \"hi\"");
    Value_SetString(plain, "ok");
    Value_SetReal(number, 1);
    Value_SetReal(colour, 255);
    Value_SetReal(fraction, -2.5);
    std::vector<GuideConstant> constants = {
        {"kb_text", &plain}, {"greeting", &greeting}, {"c_mine", &colour}, {"kb_level", &fraction}, {"on", &number},
    };
    EXPECT_EQ(Guide_ConstantList(constants),
              "- without a prefix: `greeting` 'He said \"hi\"', `on` 1\n"
              "- `c_`: `c_mine` 255 ($0000FF)\n"
              "- `kb_`: `kb_text` \"ok\", `kb_level` -2.5\n\n");
    // A long family wraps between entries, indented to stay in its item.
    const std::vector<GuideConstant> many(12, GuideConstant{"kb_level", &fraction});
    const std::string wrapped = Guide_ConstantList(many);
    EXPECT_EQ(wrapped.find("- `kb_`: `kb_level` -2.5, `kb_level` -2.5, `kb_level` -2.5, `kb_level` -2.5,\n  `kb_level`"), 0u);
    Value_Free(greeting);
    Value_Free(plain);
}

TEST_F(GuideConstants, CheckFindsAConstantValueChangedInTheGuide)
{
    const std::string guide = std::string("# Guide\n") + kGuideListBegin + Guide_BuiltinList() + kGuideListEnd;
    EXPECT_EQ(Guide_CheckBuiltinList(guide), GuideListState::Current);
    std::string edited = guide;
    const std::string yellow = "`c_yellow` 65535";
    edited.replace(edited.find(yellow), yellow.size(), "`c_yellow` 65536");
    EXPECT_EQ(Guide_CheckBuiltinList(edited), GuideListState::Stale);
    std::string dropped = guide;
    const std::string tab = " `vk_tab` 9,";
    dropped.erase(dropped.find(tab), tab.size());
    EXPECT_EQ(Guide_CheckBuiltinList(dropped), GuideListState::Stale);
    EXPECT_EQ(Guide_CheckBuiltinList("# Guide\n"), GuideListState::MissingMarkers);
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
