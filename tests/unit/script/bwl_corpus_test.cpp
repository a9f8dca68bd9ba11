// Runs every BWL program of tests/bwl/ and compares what it prints with the
// .out file beside it. A .bwl file holds one or more programs separated by
// "#program" lines (each echoed into the output); inside a program, a
// "#define <name>" line starts a script that runs to the next such line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bwl_harness.h"

namespace bw::test {
namespace {

namespace fs = std::filesystem;

fs::path CorpusFolder()
{
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "bwl";
}

std::vector<std::string> CorpusNames()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusFolder(), error)) {
        if (entry.path().extension() == ".bwl") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct CorpusProgram {
    std::string text;
    std::vector<std::pair<std::string, std::string>> scripts;
};

std::vector<CorpusProgram> SplitPrograms(const std::string& source)
{
    std::vector<CorpusProgram> programs(1);
    std::string* into = &programs.back().text;
    std::istringstream lines(source);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("#program", 0) == 0) {
            programs.emplace_back();
            into = &programs.back().text;
        } else if (line.rfind("#define ", 0) == 0) {
            programs.back().scripts.emplace_back(line.substr(8), "");
            into = &programs.back().scripts.back().second;
        } else {
            *into += line + "\n";
        }
    }
    return programs;
}

class BwlCorpusTest : public BwlTest, public testing::WithParamInterface<std::string> {};

TEST_P(BwlCorpusTest, PrintsWhatItsOutFileHolds)
{
    const fs::path source = CorpusFolder() / (GetParam() + ".bwl");
    std::string actual;
    bool first = true;
    for (const CorpusProgram& program : SplitPrograms(ReadFile(source))) {
        if (!first) {
            actual += "#program\n";
        }
        first = false;
        actual += Run(program.text, program.scripts);
    }
    EXPECT_EQ(actual, ReadFile(CorpusFolder() / (GetParam() + ".out"))) << source;
}

INSTANTIATE_TEST_SUITE_P(Corpus, BwlCorpusTest, testing::ValuesIn(CorpusNames()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace bw::test
