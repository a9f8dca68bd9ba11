// Scripts the virtual machine runs on its own stack: arguments, results,
// the recursion cap, errors, exit and with-statements inside them.
#include <gtest/gtest.h>

#include <string>

#include "bwl_harness.h"
#include "platform/console.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/vm.h"
#include "world/game_state.h"

namespace bw::test {
namespace {

// test_argument0(): what the argument slot 0 holds while a built-in runs.
void ArgumentZero(Value* result, CInstance* /*self*/, CInstance* /*other*/, int32_t /*argc*/, Value* /*args*/)
{
    Value_Copy(*result, Script_Arguments().values[0]);
}

class VmScriptFramesTest : public BwlTest {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        Code_SetUseBytecode(true);
        int32_t id = -1;
        if (!Code_Function_Find("test_argument0", &id)) {
            Code_Function_Register("test_argument0", &ArgumentZero, 0);
        }
    }
};

TEST_F(VmScriptFramesTest, ArgumentsAreTheCallersAgainAfterNestedCalls)
{
    const std::string printed = Run("print(outer(10, 20), argument_count)",
                                    {{"outer", "var a; a = inner(1, 2, 3); print(argument0, argument1, argument_count)"
                                               "; return a"},
                                     {"inner", "print(argument_count, argument3); return argument0 + argument2"}});
    EXPECT_EQ(printed, "3 0\n10 20 2\n4 0\n");
}

TEST_F(VmScriptFramesTest, WritesToArgumentsStayInTheScript)
{
    EXPECT_EQ(Run("argument0 = 7; print(set(1), argument0, argument5)",
                  {{"set", "argument0 = 5; argument5 = 6; return argument0 + argument5"}}),
              "11 7 0\n");
}

TEST_F(VmScriptFramesTest, ABuiltinCalledInAScriptSeesItsArguments)
{
    EXPECT_EQ(Run("argument0 = 1; print(pass('inner'), test_argument0())", {{"pass", "return test_argument0()"}}),
              "inner 1\n");
}

TEST_F(VmScriptFramesTest, LocalsBelongToTheirScript)
{
    EXPECT_EQ(Run("var v; v = 1; print(count(3), v)",
                  {{"count", "var v; v = argument0; if (v > 0) return v + count(v - 1); return 0"}}),
              "6 1\n");
}

TEST_F(VmScriptFramesTest, RunawayRecursionStopsAtTheCapAndLeavesTheSlotsAsTheyWere)
{
    const std::string printed = Run("argument0 = 'mine'; print(r(0))", {{"r", "return r(argument0 + 1)"}});
    EXPECT_NE(printed.find("Stack overflow..."), std::string::npos) << printed;
    ASSERT_EQ(Value_Kind(Script_Arguments().values[0]), kValueString);
    EXPECT_STREQ(Value_String(Script_Arguments().values[0]), "mine");
    EXPECT_EQ(Run("print(depth(500))", {{"depth", "if (argument0 == 0) return 0; return 1 + depth(argument0 - 1)"}}),
              "500\n");
}

TEST_F(VmScriptFramesTest, AnErrorInsideAScriptNamesEveryScriptAndTheLine)
{
    EXPECT_EQ(Run("outer()", {{"outer", "x = 1\nreturn inner()"}, {"inner", "y = 2\nreturn y + 'text'"}}),
              "error: In script outer:\nIn script inner:\nError in code at line 2:\n   return y + 'text'\n\n"
              "at position 8: DoAdd :: Execution Error\n");
}

TEST_F(VmScriptFramesTest, ExitEndsOnlyTheScriptAndGivesZero)
{
    EXPECT_EQ(Run("print(stop(), 'after')", {{"stop", "print('in'); exit; print('never')"}}), "in\n0 after\n");
    EXPECT_EQ(Run("print(fall(), 'after')", {{"fall", "x = 1"}}), "0 after\n");
}

TEST_F(VmScriptFramesTest, WithInsideAScriptRunsForItsInstancesAndRestoresSelf)
{
    EXPECT_EQ(Run("print(ids(), id)", {{"ids", "with (obj_a) print(id); return id"}}), "100004\n100002\n100001\n"
                                                                                       "100001 100001\n");
    EXPECT_EQ(Run("print(first(), id, other.id)", {{"first", "with (all) return id"}}), "100004 100001 100003\n");
}

// A script the machine enters on its own stack is a call, not a run of
// its own.
TEST_F(VmScriptFramesTest, TraceNamesEachUnitAndEachCall)
{
    static std::string traced;
    traced.clear();
    Console_SetDebugListener([](const char* line) { traced += line; });
    VM_SetTrace(true);
    Run("s()", {{"s", "print(1)"}});
    VM_SetTrace(false);
    Console_SetDebugListener(nullptr);
    EXPECT_EQ(traced, "script = Test.program\nscript call = s\nfunc call = print\n");
}

}  // namespace
}  // namespace bw::test
