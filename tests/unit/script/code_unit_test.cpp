#include "script/code_unit.h"

#include <gtest/gtest.h>

#include <string>

#include "script/error_report.h"
#include "script/tree_interpreter.h"

namespace bw {
namespace {

class CodeUnitTest : public testing::Test {
protected:
    void SetUp() override { Code_Error_SetShowErrors(false); }
    void TearDown() override
    {
        Value_Free(result);
        Code_Error_ResetState();
        Code_Error_SetShowErrors(true);
    }

    Value result;
};

TEST_F(CodeUnitTest, ConstantExpressionRunsWithoutInstances)
{
    CCode code("2+3", true);
    ASSERT_TRUE(code.Compile("Constant.0"));
    EXPECT_EQ(code.kind, kCodeConstantExpression);
    EXPECT_EQ(code.constant.real, 5.0);
    ASSERT_TRUE(Code_Execute(nullptr, nullptr, code, &result));
    EXPECT_EQ(result.real, 5.0);
}

TEST_F(CodeUnitTest, UnitKeepsItsOwnCopyOfTheText)
{
    auto text = std::make_unique<std::string>("'made' + ' at run time'");
    CCode code(text->c_str(), true);
    text.reset();
    ASSERT_TRUE(code.Compile("execute_string"));
    EXPECT_STREQ(Value_String(code.constant), "made at run time");
}

TEST_F(CodeUnitTest, NameWhiteSpaceBecomesUnderscores)
{
    CCode code("a = 1", false);
    ASSERT_TRUE(code.Compile("Object.my obj\tStep\r\n0"));
    EXPECT_EQ(code.name, "Object.my_obj_Step__0");
}

TEST_F(CodeUnitTest, CompilingTwiceIsRefusedAndKeepsTheFirstCompile)
{
    CCode code("7 * 6", true);
    ASSERT_TRUE(code.Compile("first"));
    EXPECT_FALSE(code.Compile("second"));
    EXPECT_STREQ(Code_Error_PendingMessage(),
                 "Error in expression: 7 * 6\n position 1: Internal Error: Recompiling compiled code.");
    EXPECT_TRUE(code.compiled);
    EXPECT_EQ(code.constant.real, 42.0);
}

TEST_F(CodeUnitTest, FailedCompileLeavesTheUnitUncompiledAndRunnableNowhere)
{
    CCode code("a = (", false);
    EXPECT_FALSE(code.Compile("broken"));
    EXPECT_FALSE(code.compiled);
    EXPECT_FALSE(Code_Execute_Value(nullptr, nullptr, code, &result));
    EXPECT_STREQ(Value_String(result), "ERROR");
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("Internal Error: Executing non-compiled code->"),
              std::string::npos);
}

TEST_F(CodeUnitTest, ProgramNeedsInstancesAndFailureIsReported)
{
    CCode code("a = 1", false);
    ASSERT_TRUE(code.Compile("program"));
    EXPECT_FALSE(Code_Execute(nullptr, nullptr, code, &result));
    ASSERT_NE(Code_Error_LastText(), nullptr);
    EXPECT_NE(std::string(Code_Error_LastText()).find("Internal Error: Executing code for nil instance."),
              std::string::npos);
    EXPECT_FALSE(Code_Error_HasPending());
}

TEST_F(CodeUnitTest, OnlyABlockIsAProgram)
{
    CCode code("", false);
    CodeNode root;
    Code_Node_Init(root, 0);
    root.kind = kNodeConstant;
    CodeExecContext context{nullptr, nullptr, nullptr, &code};
    EXPECT_EQ(Code_Run_Program(context, root, &result), kExecError);
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("This is not a program."), std::string::npos);
    root.kind = kNodeEmptyProgram;
    EXPECT_EQ(Code_Run_Program(context, root, &result), kExecNormal);
}

}  // namespace
}  // namespace bw
