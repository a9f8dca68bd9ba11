// Package bytecode through the runner's loader: each CODE entry, with its
// names bound, is verified and becomes a runnable unit on the global code
// list; a unit the verifier refuses is a load error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/registration.h"
#include "platform/console.h"
#include "platform/package_loader.h"
#include "script/bytecode.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/vm.h"
#include "unit/app/test_package.h"
#include "world/builtin_variables.h"
#include "world/instance.h"

namespace bw {
namespace {

using test::TestPackage;

// Tens from the first argument, units from the second: the order in which
// the unit passes its arguments shows.
void AddPair(Value* result, CInstance*, CInstance*, int32_t, Value* args)
{
    Value_SetReal(*result, args[0].real * 10 + args[1].real);
}

uint32_t PushInt(int16_t value)
{
    return VM_Word1(kOpPush, kTypeNone, static_cast<uint16_t>(value)) | 0x40000000u;
}

class PackageCodeTest : public testing::Test {
protected:
    void SetUp() override
    {
        PackageLoader_Reset();
        CODE_Clear();
        Console_SetDebugListener([](const char*) {});
        Variable_Init();
        Code_Function_Register("add_pair", &AddPair, 2);
        Registration_InstallPackageReaders();
    }
    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        CODE_SetVerifier(nullptr);
        CODE_Clear();
        PackageLoader_SetHooks({});
        PackageLoader_Reset();
        Code_Function_Free();
    }

    // A package of one code entry whose words the test gives; a call word
    // among them is bound to "add_pair" by a FUNC chunk written before or
    // after the code, as the test asks.
    void Build(const std::vector<uint32_t>& words, bool functionsFirst)
    {
        const std::vector<uint32_t> strings = package.Strings({"unit_sum", "add_pair"});
        uint32_t callAt = 0;
        const auto writeFunctions = [&] {
            package.BeginChunk("FUNC");
            package.U32(strings[1]);
            package.I32(1);
            package.U32(callAt);
            package.EndChunk();
        };
        const uint32_t codeStart = package.Here() + (functionsFirst ? 20 : 0) + 24;
        for (size_t i = 0; i < words.size(); ++i) {
            if (VM_Opcode(words[i]) == kOpCall) {
                callAt = codeStart + static_cast<uint32_t>(4 * i);
            }
        }
        if (functionsFirst && callAt != 0) {
            writeFunctions();
        }
        package.BeginChunk("CODE");
        package.U32(1);
        package.U32(package.Here() + 4);
        package.U32(strings[0]);
        package.U32(static_cast<uint32_t>(4 * words.size()));
        EXPECT_EQ(package.Here(), codeStart);
        for (uint32_t word : words) package.U32(word);
        package.EndChunk();
        if (!functionsFirst && callAt != 0) {
            writeFunctions();
        }
    }
    bool Load()
    {
        image = package.Finish();
        Package_SetImage(image.data(), image.size());
        return Code_Load() && Runner_ProcessChunks();
    }
    static double Run(CCode& unit)
    {
        CInstance self(0.0f, 0.0f, 100001, -1, false);
        Value result;
        EXPECT_TRUE(Code_Execute(&self, &self, unit, &result));
        return result.real;
    }

    TestPackage package;
    std::vector<uint8_t> image;
};

// add_pair(2, 3). The call's function word holds the chain's distance to
// a next occurrence (there is none, so any number) until it is bound.
const std::vector<uint32_t> kSumWords = {
    PushInt(3),
    VM_Word2(kOpConv, kTypeInt, kTypeVariable),
    PushInt(2),
    VM_Word2(kOpConv, kTypeInt, kTypeVariable),
    VM_Word1(kOpCall, kTypeInt, 2) | 0x40000000u,
    1234,
    VM_Word1(kOpRet, kTypeVariable),
};

TEST_F(PackageCodeTest, EntryRunsWithItsFunctionBoundInEitherChunkOrder)
{
    for (const bool functionsFirst : {false, true}) {
        TearDown();
        SetUp();
        package = TestPackage{};
        Build(kSumWords, functionsFirst);
        ASSERT_TRUE(Load()) << CODE_LoadError();
        CCode* unit = Code_List_Find(0);
        ASSERT_NE(unit, nullptr) << functionsFirst;
        EXPECT_EQ(unit->name, "unit_sum");
        EXPECT_EQ(unit->codeIndex, 0);
        EXPECT_FALSE(unit->fromText);
        EXPECT_EQ(Run(*unit), 23.0) << "functions first: " << functionsFirst;
        EXPECT_EQ(Code_List_Find(1), nullptr);
    }
}

TEST_F(PackageCodeTest, UnitTakesTheDebugTextAndLineTable)
{
    TestPackage debug;
    const std::vector<uint32_t> texts = debug.Strings({"return add_pair(2, 3);"});
    debug.BeginChunk("DBGI");
    debug.U32(1);
    debug.U32(debug.Here() + 4);
    debug.U32(2);
    debug.U32(0);
    debug.U32(7);
    debug.U32(16);
    debug.U32(9);
    debug.EndChunk();
    debug.BeginChunk("SCPT");
    debug.U32(1);
    debug.U32(debug.Here() + 4);
    debug.U32(texts[0]);
    debug.EndChunk();
    const std::vector<uint8_t> debugImage = debug.Finish();
    Package_SetDebugImage(debugImage.data(), debugImage.size());
    ASSERT_TRUE(Runner_PreProcessChunks());
    Build(kSumWords, false);
    ASSERT_TRUE(Load()) << CODE_LoadError();
    CCode* unit = Code_List_Find(0);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->text, "return add_pair(2, 3);");
    const std::vector<VMLinePair>& lines = unit->bytecode->lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].offset, 16);
    EXPECT_EQ(lines[1].position, 9);
}

TEST_F(PackageCodeTest, BranchOutOfRangeIsALoadError)
{
    Build({VM_BranchWord(kOpB, 100), VM_Word1(kOpExit, kTypeInt)}, false);
    EXPECT_FALSE(Load());
    const std::string& error = CODE_LoadError();
    EXPECT_EQ(error.rfind("Error on load\nInvalid code in unit_sum: Bytecode error at offset 0", 0), 0u) << error;
    EXPECT_EQ(Code_List_Find(0), nullptr);
}

}  // namespace
}  // namespace bw
