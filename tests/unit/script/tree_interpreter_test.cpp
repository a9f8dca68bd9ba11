#include "script/tree_interpreter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bwl_harness.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/names.h"
#include "script/resource_seams.h"

namespace bw::test {
namespace {

using TreeInterpreterTest = BwlTest;

TEST_F(TreeInterpreterTest, UnsetVariablesReadAsZeroWhenReadsAreNotStrict)
{
    Variable_SetStrictReads(false);
    EXPECT_EQ(Run("print(never_set, global.never_set, noone_list[3], noone.q); var l; print(l)"), "0 0 0 0\n0\n");
}

TEST_F(TreeInterpreterTest, RunawayRecursionEndsAsAnError)
{
    const std::string output = Run("scr_deep()", {{"scr_deep", "scr_deep()"}});
    EXPECT_NE(output.find("Stack overflow..."), std::string::npos);
    // Every level's script wraps the message once more; the native stack
    // survived all of them.
    EXPECT_NE(output.find("In script scr_deep:"), std::string::npos);
}

TEST_F(TreeInterpreterTest, LocalsBelongToOneRun)
{
    EXPECT_EQ(Run("var t; t = 1; print(scr_local()); print(t)", {{"scr_local", "var t; t = 2; return t"}}), "2\n1\n");
}

TEST_F(TreeInterpreterTest, ProgramResultIsTheReturnedValue)
{
    CCode code("a = 1; return a + 1; a = 5", false);
    ASSERT_TRUE(code.Compile("returns"));
    Value result;
    ASSERT_TRUE(Code_Execute(self, other, code, &result));
    EXPECT_EQ(result.real, 2.0);
}

TEST_F(TreeInterpreterTest, ExpressionUnitsRunWithSelf)
{
    EXPECT_EQ(Eval("id + 1"), "100002");
    EXPECT_EQ(Eval("other.id"), "100003");
    EXPECT_EQ(Eval("'a' + 1").substr(0, 6), "error:");
}

TEST_F(TreeInterpreterTest, WithAllDestroyingEveryInstanceVisitsEachOnce)
{
    EXPECT_EQ(Run("with (all) { print(id); test_destroy() } with (all) print('left', id)"),
              "100001\n100002\n100003\n100004\n");
}

TEST_F(TreeInterpreterTest, OtherInsideWithIsThePreviousSelf)
{
    EXPECT_EQ(Run("with (other) with (other) print(id, other.id)"), "100001 100003\n");
}

TEST_F(TreeInterpreterTest, GameConstantsEvaluateWithAnInstance)
{
    EXPECT_TRUE(Code_Constant_Define("k_sum", "c_red + 1"));
    EXPECT_TRUE(Code_Constant_Define("k_self", "id"));
    EXPECT_TRUE(Code_Constant_Define("k_broken", "1 +"));
    EXPECT_EQ(Eval("k_sum"), "256");
    EXPECT_EQ(Eval("k_self"), "0");
    EXPECT_EQ(Eval("k_broken"), "0");
}

TEST_F(TreeInterpreterTest, VariableStorageNamesUserVariablesThroughTheCompiler)
{
    const int32_t id = Code_Variable_Add("tree_interpreter_named");
    EXPECT_STREQ(Variable_GetName(id), "tree_interpreter_named");
    EXPECT_EQ(Variable_NameLookups().find("tree_interpreter_named"), id);
    EXPECT_STREQ(Variable_GetName(0), "x");
    EXPECT_STREQ(Code_Variable_GetName(0), "x");
}

TEST_F(TreeInterpreterTest, GlobalvarNamesReadAndWriteTheGlobalScope)
{
    EXPECT_EQ(Run("globalvar shared_g; shared_g = 4; with (other) shared_g += 1; print(global.shared_g)"), "5\n");
}

TEST_F(TreeInterpreterTest, ExtensionFunctionsAreCalledThroughTheExtensionLayer)
{
    ExtensionFunctionLookups lookups;
    lookups.findFunction = [](const char* name) {
        return std::strcmp(name, "ext_twice") == 0 ? 0 : (std::strcmp(name, "ext_fails") == 0 ? 1 : -1);
    };
    lookups.getArgCount = [](int32_t) { return -1; };
    lookups.call = [](int32_t id, CInstance*, CInstance*, int32_t argc, Value* args, Value* result) {
        if (id == 1) {
            Code_Report_Error("", true, 0, "extension failed");
            return false;
        }
        Value_SetReal(*result, argc == 1 ? args[0].real * 2 : -1);
        return true;
    };
    Extension_SetFunctionLookups(lookups);
    EXPECT_EQ(Run("print(ext_twice(21))"), "42\n");
    EXPECT_NE(Run("ext_fails()").find("extension failed"), std::string::npos);
    Extension_SetFunctionLookups(ExtensionFunctionLookups{});
}

}  // namespace
}  // namespace bw::test
