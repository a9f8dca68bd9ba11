// Code entries, variable and function binding through occurrence chains
// and string operands.
#include <gtest/gtest.h>

#include <vector>

#include "platform/package_loader.h"
#include "script/code_chunks.h"
#include "script/function_table.h"
#include "script/names.h"
#include "unit/app/test_package.h"
#include "world/builtin_variables.h"

namespace bw {
namespace {

using test::TestPackage;

constexpr uint32_t kPushVariable = 0xC0000000u | (5u << 16);  // operand flag, type variable
constexpr uint32_t kPushString = 0xC0000000u | (6u << 16);
constexpr uint32_t kCallFunction = 0xD9000000u | (2u << 16);
constexpr uint32_t kBreak = 0xFF000000u | (15u << 16);  // operand flag, type none: no operand
constexpr uint32_t kMask29 = 0x1FFFFFFFu;

void NoBuiltin(Value*, CInstance*, CInstance*, int32_t, Value*) {}

// A package with strings, a CODE chunk of two entries and whatever binding
// chunks the test adds; occurrence offsets are kept for the test.
class CodeChunksTest : public testing::Test {
protected:
    void SetUp() override
    {
        package = TestPackage{};
        PackageLoader_Reset();
        PackageLoader_SetHooks({});
        CODE_Clear();
        Variable_Init();
        Code_Function_Register("known_function", &NoBuiltin, 1);
        strings = package.Strings({"entry0", "entry1", "player_speed", "known_function", "missing_function", "text"});
        package.BeginChunk("CODE");
        codeChunk = package.Here();
        package.U32(2);
        const uint32_t list = package.Here();
        package.Zeros(8);
        package.PatchU32(list, package.Here());
        package.U32(strings[0]);
        package.U32(24);  // three instructions with operands
        first[0] = Instruction(kPushVariable, 0);
        first[1] = Instruction(kCallFunction, 0);
        first[2] = Instruction(kPushString, 5);
        package.PatchU32(list + 4, package.Here());
        package.U32(strings[1]);
        package.U32(16);
        second[0] = Instruction(kPushVariable, 0);
        second[1] = Instruction(kCallFunction, 0);
        package.EndChunk();
        codeLength = package.Here() - codeChunk;
    }
    void TearDown() override
    {
        CODE_SetVerifier(nullptr);
        CODE_Clear();
        Code_Function_Free();
        PackageLoader_Reset();
    }

    void Restart()
    {
        TearDown();
        SetUp();
    }
    uint32_t Instruction(uint32_t word, uint32_t operand)
    {
        const uint32_t at = package.Here();
        package.U32(word);
        package.U32(operand);
        return at;
    }
    // A VARI or FUNC record.
    void Binding(const char* tag, uint32_t name, int32_t count, uint32_t firstOccurrence)
    {
        package.BeginChunk(tag);
        bindingChunk = package.Here();
        package.U32(name);
        package.I32(count);
        package.U32(firstOccurrence);
        package.EndChunk();
    }
    PackageView Finish()
    {
        image = package.Finish();
        Package_SetImage(image.data(), image.size());
        EXPECT_TRUE(Code_Load());  // the string table
        return PackageView(image.data(), image.size());
    }
    uint32_t Bound(uint32_t occurrence)
    {
        uint32_t word = 0;
        EXPECT_TRUE(CODE_BoundWord(occurrence + 4, &word)) << occurrence;
        return word;
    }

    TestPackage package;
    std::vector<uint32_t> strings;
    uint32_t codeChunk = 0, codeLength = 0, bindingChunk = 0;
    uint32_t first[3] = {}, second[2] = {};
    std::vector<uint8_t> image;
};

TEST_F(CodeChunksTest, EntriesAreListedWithTheirNames)
{
    const PackageView view = Finish();
    ASSERT_TRUE(CODE_LoadList(view, codeChunk, codeLength));
    ASSERT_EQ(CODE_EntryCount(), 2);
    EXPECT_STREQ(CODE_Entry(1)->name, "entry1");
    EXPECT_EQ(CODE_Entry(0)->codeOffset, first[0]);
    EXPECT_EQ(CODE_Entry(0)->length, 24);
    EXPECT_EQ(CODE_Entry(2), nullptr);
}

TEST_F(CodeChunksTest, VariableChainRunsBackwardsAcrossEntriesKeepingFlagBits)
{
    // Chain: entry 1 first, then back into entry 0.
    package.PatchU32(second[0] + 4, 0xA0000000u | ((first[0] - second[0]) & kMask29));
    package.PatchU32(first[0] + 4, 0x40000000u | 1234);
    Binding("VARI", strings[2], 2, second[0]);
    const PackageView view = Finish();
    const std::vector<uint8_t> before = image;
    ASSERT_TRUE(VARI_Load(view, bindingChunk, 12));
    const uint32_t id = static_cast<uint32_t>(Code_Variable_Find_Or_Add("player_speed"));
    EXPECT_EQ(Bound(second[0]), 0xA0000000u | id);
    EXPECT_EQ(Bound(first[0]), 0x40000000u | id);
    EXPECT_EQ(image, before) << "the image is never written";
}

TEST_F(CodeChunksTest, FunctionWordIsReplacedWhole)
{
    package.PatchU32(first[1] + 4, second[1] - first[1]);
    package.PatchU32(second[1] + 4, 0xFFFFFFFFu);
    Binding("FUNC", strings[3], 2, first[1]);
    const PackageView view = Finish();
    ASSERT_TRUE(FUNC_Load(view, bindingChunk, 12));
    int32_t id = -1;
    ASSERT_TRUE(Code_Function_Find("known_function", &id));
    EXPECT_EQ(Bound(first[1]), static_cast<uint32_t>(id));
    EXPECT_EQ(Bound(second[1]), static_cast<uint32_t>(id));
}

TEST_F(CodeChunksTest, UnknownFunctionIsAnErrorOnLoad)
{
    Binding("FUNC", strings[4], 1, first[1]);
    const PackageView view = Finish();
    EXPECT_FALSE(FUNC_Load(view, bindingChunk, 12));
    EXPECT_EQ(CODE_LoadError(), "Error on load\nUnable to find function missing_function\n");
}

TEST_F(CodeChunksTest, ZeroOccurrencesBindNothing)
{
    Binding("VARI", strings[2], 0, 0);
    ASSERT_TRUE(VARI_Load(Finish(), bindingChunk, 12));
    uint32_t word = 0;
    EXPECT_FALSE(CODE_BoundWord(first[0] + 4, &word));
}

TEST_F(CodeChunksTest, DamagedBindingTablesAreRefused)
{
    struct Case {
        const char* name;
        const char* tag;
        int32_t count;
        uint32_t firstOccurrence;
        uint32_t reference;  // written at first[0] + 4
        uint32_t length;
    };
    const Case cases[] = {
        {"length not whole records", "VARI", 1, 0, 0, 8},
        {"negative count", "VARI", -1, 0, 0, 12},
        {"first occurrence outside the file", "VARI", 1, 0x7FFFFF00, 0, 12},
        {"chain stepping outside the file", "VARI", 2, 0, 0x0FFFFFF0, 12},
        {"chain looping onto itself", "VARI", 2, 0, 0, 12},
        {"function distance wrapping", "FUNC", 2, 0, 0xFFFFFFF0, 12},
    };
    for (const Case& c : cases) {
        Restart();
        package.PatchU32(first[0] + 4, c.reference);
        Binding(c.tag, strings[c.tag[0] == 'V' ? 2 : 3], c.count, c.firstOccurrence ? c.firstOccurrence : first[0]);
        const PackageView view = Finish();
        const bool loaded = c.tag[0] == 'V' ? VARI_Load(view, bindingChunk, c.length)
                                            : FUNC_Load(view, bindingChunk, c.length);
        EXPECT_FALSE(loaded) << c.name;
    }
}

TEST_F(CodeChunksTest, StringOperandsMustNameAString)
{
    const PackageView good = Finish();
    ASSERT_TRUE(CODE_LoadList(good, codeChunk, codeLength));
    EXPECT_TRUE(CODE_CheckAll(good, codeChunk, codeLength));

    Restart();
    package.PatchU32(first[2] + 4, 6);  // one past the last string
    const PackageView bad = Finish();
    ASSERT_TRUE(CODE_LoadList(bad, codeChunk, codeLength));
    EXPECT_FALSE(CODE_CheckAll(bad, codeChunk, codeLength));
}

TEST_F(CodeChunksTest, OperandSizeFollowsTheType)
{
    // A break carries no operand although its flag is set; a double carries
    // two words, which here would run past the entry.
    for (const auto& [word, fits] : {std::pair{kBreak, true}, std::pair{0xC0000000u, false}}) {
        Restart();
        package.PatchU32(first[0], word);
        package.PatchU32(first[0] + 4, 0);
        package.PatchU32(first[1], 0);
        package.PatchU32(first[2], 0);
        package.PatchU32(first[0] - 4, 4);  // the entry's length
        const PackageView view = Finish();
        ASSERT_TRUE(CODE_LoadList(view, codeChunk, codeLength));
        EXPECT_EQ(CODE_CheckAll(view, codeChunk, codeLength), fits) << std::hex << word;
    }
}

TEST_F(CodeChunksTest, EntryRunningPastTheFileIsRefused)
{
    package.PatchU32(first[0] - 4, 0x100000);
    EXPECT_FALSE(CODE_LoadList(Finish(), codeChunk, codeLength));
}

TEST_F(CodeChunksTest, VerifierSeesEveryEntryWithCode)
{
    static std::vector<int32_t> seen;
    seen.clear();
    CODE_SetVerifier([](const PackageView&, int32_t index, const PackageCodeEntry&) {
        seen.push_back(index);
        return index == 0;
    });
    const PackageView view = Finish();
    ASSERT_TRUE(CODE_LoadList(view, codeChunk, codeLength));
    EXPECT_FALSE(CODE_CheckAll(view, codeChunk, codeLength)) << "entry 1 refused";
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1}));
}

}  // namespace
}  // namespace bw
