// The language guide's examples that state their results run here, on the
// engine each describes. In a ```bwl block a line
//     name = expression;  // result
// states that the instance variable name holds result (a number, or a text
// in double quotes) once the block has run. A block fenced "bwl machine" or
// "bwl tree" runs on that engine only; a plain "bwl" block runs on both and
// must give its results on each. Blocks that state nothing are only
// compiled, by bwl_guide.
#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bwl_harness.h"
#include "bwpack/guide/guide_text.h"
#include "script/names.h"
#include "world/variable_access.h"

namespace bw::test {
namespace {

using pack::GuideCodeBlock;
using pack::GuideEngines;
using pack::GuideExpect;

const char* const kGuide = BW_TESTS_DIR "/../docs/bwl.md";

struct StatedResult {
    int32_t line = 0;  // in the guide
    std::string name;
    std::string expression;
    std::string stated;
};

const char* EngineName(bool onMachine)
{
    return onMachine ? "on the machine" : "on the tree interpreter";
}

const std::vector<GuideCodeBlock>& GuideBlocks()
{
    static const std::vector<GuideCodeBlock> blocks = [] {
        std::ifstream file(kGuide, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return pack::Guide_CodeBlocks(text.str());
    }();
    return blocks;
}

std::vector<StatedResult> StatedResults(const GuideCodeBlock& block)
{
    static const std::regex kStatement(R"(^\s*([A-Za-z_]\w*)\s*=\s*([^;]+);\s*//\s*(-?[0-9]+(\.[0-9]+)?|"[^"]*")\s*$)");
    std::vector<StatedResult> results;
    std::istringstream lines(block.code);
    std::string line;
    for (int32_t number = block.line + 1; std::getline(lines, line); ++number) {
        std::smatch match;
        if (std::regex_match(line, match, kStatement)) {
            results.push_back({number, match[1], match[2], match[3]});
        }
    }
    return results;
}

bool RunsOn(const GuideCodeBlock& block, bool onMachine)
{
    const pack::GuideFence fence = pack::Guide_ReadFence(block.info);
    const GuideEngines other = onMachine ? GuideEngines::Tree : GuideEngines::Machine;
    return fence.expect == GuideExpect::Compiles && fence.engines != other;
}

// The guide's scripts, which any example may call.
std::vector<std::pair<std::string, std::string>> GuideScripts()
{
    std::vector<std::pair<std::string, std::string>> scripts;
    for (const GuideCodeBlock& block : GuideBlocks()) {
        const pack::GuideFence fence = pack::Guide_ReadFence(block.info);
        if (!fence.scriptName.empty()) {
            scripts.emplace_back(fence.scriptName, block.code);
        }
    }
    return scripts;
}

// A value as the guide would state it: every digit a real needs, and a
// text in double quotes.
std::string Stated(const Value& value)
{
    switch (Value_Kind(value)) {
    case kValueString: {
        std::string text;
        Value_ToString(text, value);
        return "\"" + text + "\"";
    }
    case kValueReal: {
        char digits[400];  // the longest real in fixed notation has 309 digits before the point
        return {digits, std::to_chars(digits, digits + sizeof(digits), value.real, std::chars_format::fixed).ptr};
    }
    default: return "an array";
    }
}

// The tests' names do not follow the guide's lines, so that a test list
// made before the guide changed still runs every example.
class GuideResultsTest : public BwlTest, public testing::WithParamInterface<bool> {};

TEST_P(GuideResultsTest, StatedResultsHold)
{
    const bool onMachine = GetParam();
    const char* const engine = EngineName(onMachine);
    Code_SetUseBytecode(onMachine);
    ASSERT_FALSE(GuideBlocks().empty()) << "no code blocks in " << kGuide;
    int32_t checked = 0;
    for (const GuideCodeBlock& block : GuideBlocks()) {
        const std::vector<StatedResult> results = StatedResults(block);
        if (results.empty() || !RunsOn(block, onMachine)) {
            continue;
        }
        self->i_vars->Clear();  // each example starts with none of the others' variables
        const std::string printed = Run(block.code, GuideScripts());
        if (printed.find("error: ") != std::string::npos) {
            ADD_FAILURE() << "docs/bwl.md:" << block.line << ": the example fails " << engine << ": " << printed;
            continue;
        }
        for (const StatedResult& result : results) {
            Value value;
            const bool set = Variable_GetValue(self, Code_Variable_Find_Or_Add(result.name.c_str()), 0, &value);
            const std::string actual = set ? Stated(value) : "never set";
            Value_Free(value);
            EXPECT_EQ(actual, result.stated) << "docs/bwl.md:" << result.line << ": " << result.expression << " is "
                                             << actual << " " << engine << ", the guide says " << result.stated;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << "no example in " << kGuide << " states a result " << engine;
}

INSTANTIATE_TEST_SUITE_P(Guide, GuideResultsTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "machine" : "tree";
                         });

}  // namespace
}  // namespace bw::test
