#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "code_fixture.h"
#include "chunk_image.h"
#include "script_chunk.h"

namespace bw::test {
namespace {

class ScriptTableTest : public ResourceCodeTest {
protected:
    ChunkImage image;  // the scripts' names and texts point into it
};

TEST_F(ScriptTableTest, EmptyEntryKeepsTheLaterIds)
{
    image = ScriptChunk({{"scr_a", "x = 1;"}, {nullptr, nullptr}, {"scr_b", "x = 2;"}});
    ASSERT_TRUE(LoadScripts(image));
    EXPECT_EQ(Script_Count(), 3);
    EXPECT_TRUE(Script_Exists(0));
    EXPECT_FALSE(Script_Exists(1));
    EXPECT_EQ(ScriptTable_Find("scr_b"), 2);
    EXPECT_STREQ(Script_GetName(2), "scr_b");
    EXPECT_STREQ(Script_Get(2)->GetText(), "x = 2;");
    for (int32_t index : {-1, 1, 3, 100000}) {
        EXPECT_STREQ(Script_GetName(index), "<undefined>") << index;
        EXPECT_EQ(Script_Get(index), nullptr) << index;
    }
    EXPECT_EQ(ScriptTable_Find("SCR_A"), -1);  // names match byte for byte
}

TEST_F(ScriptTableTest, DuplicateNamesFindTheLowerIndex)
{
    image = ScriptChunk({{"scr_other", ""}, {"scr_twice", "x = 1;"}, {"scr_twice", "x = 2;"}});
    ASSERT_TRUE(LoadScripts(image));
    EXPECT_EQ(ScriptTable_Find("scr_twice"), 1);
    EXPECT_EQ(Script_Find("scr_twice"), 1);  // through the engine's seam
}

TEST_F(ScriptTableTest, MalformedChunksAreLoadErrors)
{
    const struct {
        const char* what;
        ChunkImage payload;
    } cases[] = {
        {"list runs past the chunk", RecordPayload({1000}, true)},
        {"record outside the package", RecordPayload({1, 0x7FFFFFF0u}, true)},
        {"record cut short by the end", RecordPayload({kTextWord})},
        {"name outside the package", RecordPayload({0xFFFFFFFFu, kTextWord})},
        {"text without its terminator", RecordPayload({kTextWord, kNextWord, 0x41414141u})},  // "AAAA", then the end
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(LoadScripts(c.payload)) << c.what;
        EXPECT_EQ(Script_Count(), 0) << c.what;
    }
    EXPECT_TRUE(LoadScripts(RecordPayload({kTextWord, kTextWord})));  // the same shape, well formed
}

TEST_F(ScriptTableTest, BytecodePackageTakesCodeEntriesAndCompilesNoText)
{
    // A code list of one entry without instructions, then a script that
    // names it and one that names an entry past the list.
    const uint32_t codeList = image.List(1);
    const uint32_t entryName = image.Text("Script.scr_a");
    image.Slot(codeList, 0);
    image.U32(entryName);
    image.U32(0);
    const uint32_t codeEnd = image.Here();
    const uint32_t scripts = image.List(2);
    const uint32_t name = image.Text("scr_a");
    image.Slot(scripts, 0);
    image.U32(name);
    image.U32(0);
    const uint32_t goodEnd = image.Here();
    image.Slot(scripts, 1);
    image.U32(name);
    image.U32(1);
    ASSERT_TRUE(CODE_LoadList(image.View(), codeList, codeEnd - codeList));
    ASSERT_TRUE(CODE_Present());
    EXPECT_FALSE(Script_Load(image.View(), scripts, image.Size() - scripts));
    image.PatchU32(scripts, 1);  // only the good script
    ASSERT_TRUE(Script_Load(image.View(), scripts, goodEnd - scripts));
    EXPECT_EQ(Script_Get(0)->codeIndex, 0);
    EXPECT_STREQ(Script_Get(0)->GetText(), "");
    EXPECT_TRUE(Script_Prepare());
    EXPECT_EQ(Script_Get(0)->GetCode(), Code_List_Find(0));
}

TEST_F(ScriptTableTest, CompileFailureStopsPreparationAtThatScript)
{
    image = ScriptChunk({{"scr_good", "x = 1;"}, {"scr_broken", "x = ;"}, {"scr_after", "x = 2;"}});
    ASSERT_TRUE(LoadScripts(image));
    EXPECT_FALSE(Script_Prepare());
    ASSERT_NE(Code_Error_LastText(), nullptr);
    EXPECT_NE(std::string(Code_Error_LastText()).find("COMPILATION ERROR in Script: scr_broken\n"), std::string::npos)
        << Code_Error_LastText();
    EXPECT_NE(ScriptTable_GetCode(0), nullptr);
    EXPECT_EQ(ScriptTable_GetCode(2), nullptr);
}

// Scripts run the same on the tree interpreter and the virtual machine.
class ScriptRunTest : public ScriptTableTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ScriptTableTest::SetUp();
        Code_SetUseBytecode(GetParam());
        image = ScriptChunk({
            {"scr_inner", "return argument0 * 10 + argument_count;"},
            {"scr_outer",
             "x = scr_inner(7);"
             "record(argument0, argument1, argument2, argument3, argument_count, x);"
             "return argument0 + argument1 + argument2;"},
            {"scr_bad", "record(argument0); x = argument0 + \"text\";"},
        });
        ASSERT_TRUE(LoadScripts(image));
        ASSERT_TRUE(Script_Prepare()) << Code_Error_PendingMessage();
        // The caller's own arguments, which no call may change.
        ScriptArguments& slots = Script_Arguments();
        Value_SetReal(slots.values[0], 42);
        Value_SetReal(slots.values[3], 99);
        slots.count = 4;
    }

    void ExpectCallerArgumentsKept()
    {
        const ScriptArguments& slots = Script_Arguments();
        EXPECT_EQ(slots.count, 4);
        EXPECT_EQ(slots.values[0].real, 42);
        EXPECT_EQ(slots.values[3].real, 99);
        EXPECT_EQ(slots.values[1].real, 0);
    }
};

TEST_P(ScriptRunTest, NestedCallsKeepEachCallersArguments)
{
    EXPECT_EQ(Run("record(scr_outer(1, 2, 3), argument0, argument3, argument_count);"),
              "1 2 3 0 3 71\n"
              "6 42 99 4\n");
    ExpectCallerArgumentsKept();
}

TEST_P(ScriptRunTest, FailedRunNamesTheScriptAndRestoresArguments)
{
    Value args[kScriptArgumentSlots];
    Value_SetReal(args[0], 5);
    Value result;
    EXPECT_FALSE(Script_Execute(2, self, self, 1, &result, args));
    EXPECT_EQ(Recorded(), "5\n");
    EXPECT_EQ(std::string(Code_Error_PendingMessage()).rfind("In script scr_bad:\n", 0), 0u)
        << Code_Error_PendingMessage();
    ASSERT_EQ(Value_Kind(result), kValueString);
    EXPECT_STREQ(Value_String(result), "ERROR");
    ExpectCallerArgumentsKept();
    Value_Free(result);
    Value_Free(args[0]);
}

TEST_P(ScriptRunTest, MoreThanSixteenArgumentsOrAMissingScriptRunNothing)
{
    Value args[kScriptArgumentSlots + 1];
    Value result;
    EXPECT_FALSE(Script_Execute(0, self, self, kScriptArgumentSlots + 1, &result, args));
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("Wrong number of arguments"), std::string::npos)
        << Code_Error_PendingMessage();
    EXPECT_EQ(result.real, 0);
    EXPECT_FALSE(Script_Execute(3, self, self, 0, &result, args));
    EXPECT_FALSE(Script_Execute(-1, self, self, 0, &result, args));
    EXPECT_EQ(Recorded(), "");
    ExpectCallerArgumentsKept();
}

TEST_P(ScriptRunTest, ACallFindsTheScriptThatReplacedOrDeletedItsCallee)
{
    CCode caller("record(scr_inner(1));", false);
    ASSERT_TRUE(caller.Compile("Test.caller"));
    Value result;
    EXPECT_TRUE(Code_Execute_Value(self, self, caller, &result));
    const ChunkImage replacement = ScriptChunk({{"scr_inner", "return argument0 + 100;"}});
    ASSERT_TRUE(LoadScripts(replacement));
    ASSERT_TRUE(Script_Prepare()) << Code_Error_PendingMessage();
    EXPECT_TRUE(Code_Execute_Value(self, self, caller, &result));
    Script_ClearTable();
    EXPECT_FALSE(Code_Execute_Value(self, self, caller, &result));
    EXPECT_EQ(Recorded(), "11\n101\n");
    Value_Free(result);
}

INSTANTIATE_TEST_SUITE_P(Engines, ScriptRunTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Machine" : "TreeInterpreter";
                         });

}  // namespace
}  // namespace bw::test
