// Package bytecode through the runner's loader: each CODE entry, with its
// names bound, is verified and becomes a runnable unit on the global code
// list; a unit the verifier refuses is a load error.
#include <gtest/gtest.h>

#include <algorithm>
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
    // among them is bound to "add_pair" by a FUNC chunk (20 bytes) written
    // before or after the code, as the test asks.
    void Build(const std::vector<uint32_t>& words, bool functionsFirst)
    {
        const std::vector<uint32_t> strings = package.Strings({"unit_sum", "add_pair"});
        const uint32_t codeStart = package.Here() + (functionsFirst ? 20 : 0) + 24;
        const auto call = std::find_if(words.begin(), words.end(), [](uint32_t w) { return VM_Opcode(w) == kOpCall; });
        const auto writeFunctions = [&] {
            if (call != words.end()) package.Chunk("FUNC", {strings[1], 1, codeStart + 4 * static_cast<uint32_t>(call - words.begin())});
        };
        if (functionsFirst) writeFunctions();
        package.BeginChunk("CODE");
        for (uint32_t word : {1u, package.Here() + 8, strings[0], static_cast<uint32_t>(4 * words.size())}) package.U32(word);
        EXPECT_EQ(package.Here(), codeStart);
        for (uint32_t word : words) package.U32(word);
        package.EndChunk();
        if (!functionsFirst) writeFunctions();
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
    // Two slots, the second empty; the first holds two (offset, position) pairs.
    for (uint32_t word : {2u, debug.Here() + 12, 0u, 2u, 0u, 7u, 16u, 9u}) debug.U32(word);
    debug.EndChunk();
    debug.BeginChunk("SCPT");
    for (uint32_t word : {1u, debug.Here() + 8, texts[0]}) debug.U32(word);
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
    const uint8_t* pairs = nullptr;
    uint32_t count = 0;
    EXPECT_FALSE(CODE_DebugInfo(1, &pairs, &count)) << "an empty slot";
    EXPECT_EQ(CODE_DebugText(1), nullptr) << "past the list";
}

// The machine's loop ends when the next instruction lies past the code, so
// a branch there ends the unit: it loads and runs (on the checked path).
TEST_F(PackageCodeTest, ABranchPastTheEndEndsTheUnit)
{
    Build({VM_BranchWord(kOpB, 100), VM_Word1(kOpExit, kTypeInt)}, false);
    ASSERT_TRUE(Load()) << CODE_LoadError();
    CCode* unit = Code_List_Find(0);
    ASSERT_NE(unit, nullptr);
    EXPECT_TRUE(unit->bytecode->unit.checked);
    EXPECT_EQ(Run(*unit), 0.0);
}

TEST_F(PackageCodeTest, CodeThatCannotBeDecodedIsALoadErrorThatSaysWhy)
{
    const struct {
        std::vector<uint32_t> words;
        const char* error;
    } cases[] = {
        {{PushInt(1), VM_Word1(kOpPush, kTypeInt64) | 0x40000000u, 7},
         "Error on load\nInvalid code in unit_sum: Bytecode error at offset 4: operand runs past the end of the code\n"},
        {{VM_Word1(kOpPush, kTypeString) | 0x40000000u, 99},
         "Error on load\nInvalid code in unit_sum: Bytecode error at offset 0: string operand outside the string table\n"},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        package = TestPackage{};
        Build(c.words, false);
        EXPECT_FALSE(Load());
        EXPECT_EQ(CODE_LoadError(), c.error);
        EXPECT_EQ(Code_List_Find(0), nullptr);
    }
}

}  // namespace
}  // namespace bw
