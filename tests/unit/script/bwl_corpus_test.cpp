// Runs every BWL program of tests/bwl/ and compares what it prints with the
// .out file beside it. A .bwl file holds one or more programs separated by
// "#program" lines (each echoed into the output); inside a program, a
// "#define <name>" line starts a script that runs to the next such line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "bwl_harness.h"
#include "script/bytecode_generator.h"
#include "script/code_unit.h"
#include "script/verifier.h"
#include "script/vm.h"
#include "vm_assembler.h"

namespace bw::test {
namespace {

namespace fs = std::filesystem;

fs::path CorpusFolder()
{
    return fs::path(BW_TESTS_DIR) / "bwl";
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

// Each program runs on both engines. Where the virtual machine differs by
// design (truth of a real, the comparison epsilon, the repeat count, the
// order of a with over three or more instances, its conversions and its own
// error messages), the expected output is in a .vm.out file beside the
// .out; without one the two engines must print the same. The machine runs
// each program twice: as the verifier proves it, and on the checked path,
// which must print the same.
enum class Engine { Tree, Machine, CheckedMachine };

class BwlCorpusTest : public BwlTest, public testing::WithParamInterface<std::tuple<std::string, Engine>> {};

fs::path ExpectedOutput(const std::string& name, Engine engine)
{
    const fs::path machine = CorpusFolder() / (name + ".vm.out");
    if (engine != Engine::Tree && fs::exists(machine)) {
        return machine;
    }
    return CorpusFolder() / (name + ".out");
}

// Programs that cannot end on the machine: a string condition is false
// there (only the text "true" is true), so this do-until never stops.
bool SkippedOnMachine(const std::string& name, size_t program)
{
    return name == "runtime_errors" && program == 2;
}

// Replaces a compiled unit's bytecode with the same words behind a fault on
// a path that never runs, which the proof does not cover. Branch offsets
// count from the branch, so only the line table moves with the words.
void SendDownTheCheckedPath(CCode& code)
{
    if (code.bytecode == nullptr) {
        return;  // folded to a constant: nothing runs
    }
    VMGeneratedCode generated;
    std::string error;
    ASSERT_TRUE(code.IsProgram() ? VM_Compile_Program(code.root, &generated, &error)
                                 : VM_Compile_Expression(code.root, &generated, &error))
        << error;
    std::vector<uint32_t> words = Assemble("push.b 0\nbf 2\npopz.v");
    const auto shift = static_cast<int32_t>(words.size() * 4);
    words.insert(words.end(), generated.words.begin(), generated.words.end());
    std::vector<const char*> texts;
    for (const std::string& text : generated.strings) {
        texts.push_back(text.c_str());
    }
    auto program = std::make_unique<VMProgram>();
    ASSERT_TRUE(VM_VerifyUnit(reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4,
                              VMStringTable{texts.data(), texts.size()}, &program->unit, &error))
        << error;
    ASSERT_TRUE(program->unit.checked);
    program->lines = generated.lines;
    for (VMLinePair& pair : program->lines) {
        pair.offset += shift;
    }
    code.bytecode = std::move(program);
}

// ".name(123," becomes ".name(<id>,".
std::string WithoutVariableIds(std::string text)
{
    const auto inName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    for (size_t open = text.find('('); open != std::string::npos; open = text.find('(', open + 1)) {
        size_t name = open;
        while (name > 0 && inName(text[name - 1])) {
            --name;
        }
        const size_t digits = text.find_first_not_of("0123456789", open + 1);
        if (name > 0 && name < open && text[name - 1] == '.' && digits != open + 1 && digits != std::string::npos &&
            text[digits] == ',') {
            text.replace(open + 1, digits - open - 1, "<id>");
        }
    }
    return text;
}

TEST_P(BwlCorpusTest, PrintsWhatItsOutFileHolds)
{
    const auto& [name, engine] = GetParam();
    Code_SetUseBytecode(engine != Engine::Tree);
    const fs::path source = CorpusFolder() / (name + ".bwl");
    std::string actual;
    const std::vector<CorpusProgram> programs = SplitPrograms(ReadFile(source));
    for (size_t index = 0; index < programs.size(); ++index) {
        actual += index == 0 ? "" : "#program\n";
        if (engine != Engine::Tree && SkippedOnMachine(name, index)) {
            actual += "(not run on the machine)\n";
        } else if (engine == Engine::CheckedMachine) {
            actual += Run(programs[index].text, programs[index].scripts, &SendDownTheCheckedPath);
        } else {
            actual += Run(programs[index].text, programs[index].scripts);
        }
    }
    // The machine's messages name a variable by its id too, which depends
    // on what earlier tests added to the name table.
    actual = WithoutVariableIds(actual);
    EXPECT_EQ(actual, ReadFile(ExpectedOutput(name, engine))) << source;
}

std::string TestName(const testing::TestParamInfo<std::tuple<std::string, Engine>>& info)
{
    const char* const suffixes[] = {"_tree", "_vm", "_vm_checked"};
    return std::get<0>(info.param) + suffixes[static_cast<size_t>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Corpus, BwlCorpusTest,
                         testing::Combine(testing::ValuesIn(CorpusNames()),
                                          testing::Values(Engine::Tree, Engine::Machine, Engine::CheckedMachine)),
                         &TestName);

}  // namespace
}  // namespace bw::test
