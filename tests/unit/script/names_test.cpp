#include "script/names.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "script/code_unit.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "script/world_access.h"

namespace bw {
namespace {

void Nothing(Value*, CInstance*, CInstance*, int32_t, Value*) {}

int32_t FindSprite(const char* name)
{
    return std::strcmp(name, "spr_both") == 0 ? 4 : -1;
}

class NamesTest : public testing::Test {
protected:
    void SetUp() override
    {
        Code_Function_Free();
        Code_Function_Register("spr_both", &Nothing, 0);
        Resource_SetNameFinder(ResourceKind::Sprite, &FindSprite);
        Code_WorldAccess().findBuiltinVariable = [](const char* name) { return std::strcmp(name, "x") == 0 ? 0 : -1; };
        Code_WorldAccess().builtinVariableName = [](int32_t id) { return id == 5 ? "builtin five" : "other"; };
    }
    void TearDown() override
    {
        Code_Function_Free();
        Resource_SetNameFinder(ResourceKind::Sprite, nullptr);
        Code_WorldAccess() = WorldAccess{};
        Code_Error_ResetState();
    }

    bool Resolve(const char* text)
    {
        CCode code(text, false);
        return Code_Phase1(code, tokens) && Code_Phase2(code, tokens, resolved);
    }

    CodeTokens tokens;
    ResolvedTokens resolved;
};

TEST_F(NamesTest, NumberTextsBecomeReals)
{
    EXPECT_EQ(Code_Number_Value("$1F"), 31.0);
    EXPECT_EQ(Code_Number_Value("$ff"), 255.0);
    EXPECT_EQ(Code_Number_Value("$"), 0.0);
    EXPECT_EQ(Code_Number_Value(""), 0.0);
    EXPECT_EQ(Code_Number_Value("0.25"), 0.25);
    EXPECT_EQ(Code_Number_Value(".5"), 0.5);
    EXPECT_EQ(Code_Number_Value("10."), 10.0);
    // Correctly rounded, so that 0.1 + 0.2 = 0.3 stays false when folded.
    EXPECT_EQ(Code_Number_Value("0.3"), 0.3);
    EXPECT_EQ(Code_Number_Value("0.1"), 0.1);
    EXPECT_TRUE(std::isinf(Code_Number_Value("1" + std::string(400, '0'))));
}

TEST_F(NamesTest, WordBeforeParenthesisIsACallOtherwiseAResource)
{
    ASSERT_TRUE(Resolve("spr_both (); a = spr_both"));
    EXPECT_EQ(resolved.items[0].kind, kResolvedFunction);
    EXPECT_EQ(resolved.items[0].id, 0);
    EXPECT_EQ(resolved.items[6].kind, kResolvedConstant);
    EXPECT_EQ(resolved.items[6].value.real, 4.0);
    EXPECT_EQ(resolved.items.size(), tokens.size());
    EXPECT_EQ(resolved.items.back().kind, kSymEnd);
}

TEST_F(NamesTest, NamedConstantsResolveToTheirValue)
{
    Code_Constant_Add_String("k_text", "hello");
    ASSERT_TRUE(Resolve("a = k_text"));
    EXPECT_EQ(resolved.items[2].kind, kResolvedConstant);
    EXPECT_STREQ(Value_String(resolved.items[2].value), "hello");
    Code_Constant_Free();
}

TEST_F(NamesTest, VariablesShareOneIdAcrossUnits)
{
    ASSERT_TRUE(Resolve("names_test_shared = x"));
    const int32_t id = resolved.items[0].id;
    EXPECT_GE(id, kUserVariableIdBase);
    EXPECT_EQ(resolved.items[2].id, 0);  // the built-in x
    ASSERT_TRUE(Resolve("y = names_test_shared"));
    EXPECT_EQ(resolved.items[2].id, id);
    EXPECT_EQ(Code_Variable_Find("names_test_shared"), id);
    EXPECT_EQ(Code_Variable_Find("Names_Test_Shared"), -1);
    EXPECT_STREQ(Code_Variable_Name(id), "names_test_shared");
}

TEST_F(NamesTest, NamesOfIdsOutsideTheTable)
{
    EXPECT_STREQ(Code_Variable_Name(99999), "<unknown variable>");
    EXPECT_STREQ(Code_Variable_Name(kUserVariableIdBase + Code_Variable_Count()), "<unknown variable>");
    EXPECT_STREQ(Code_Variable_GetName(5), "builtin five");
}

TEST_F(NamesTest, UnknownFunctionStopsTheCompile)
{
    EXPECT_FALSE(Resolve("a = 1\nb = no_such_function (1)"));
    EXPECT_STREQ(Code_Error_PendingMessage(),
                 "Error in code at line 2:\n   b = no_such_function (1)\n\nat position 5: Unknown function or script: "
                 "no_such_function");
}

}  // namespace
}  // namespace bw
