// The machine's fused ops and direct argument reads: each program runs as
// verified (fused) and again with every op on its plain handler, and both
// runs must print the same and fail with the same message at the same line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bwl_harness.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/vm.h"
#include "world/game_state.h"

namespace bw::test {
namespace {

class VmFusionTest : public BwlTest {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        Code_SetUseBytecode(true);
    }

    std::string Execute(const VMProgram& program, const CCode& code, CInstance* runSelf)
    {
        Bwl_Printed().clear();
        Code_Error_ClearPending();
        Value result;
        const bool ran = VM_Exec(program, code, runSelf, other, &result);
        Value_Free(result);
        return ran ? Bwl_Printed() : Bwl_Printed() + "error: " + Code_Error_PendingMessage() + "\n";
    }

    // What the program prints fused; a failure when the fused handler is
    // missing or the plain ops print anything else.
    std::string Fused(const std::string& text, VMHandler handler, bool withSelf = true)
    {
        CCode code(text.c_str(), false);
        if (!code.Compile("Test.fusion") || code.bytecode == nullptr) {
            ADD_FAILURE() << "does not compile: " << text;
            return {};
        }
        const VMProgram& fused = *code.bytecode;
        const auto& ops = fused.unit.ops;
        EXPECT_TRUE(std::any_of(ops.begin(), ops.end(), [&](const VMNativeOp& op) { return op.handler == handler; }))
            << "not fused: " << text;
        VMProgram plain = fused;
        for (VMNativeOp& op : plain.unit.ops) {
            op.handler = op.plain;
        }
        CInstance* const runSelf = withSelf ? self : nullptr;
        const std::string printed = Execute(fused, code, runSelf);
        EXPECT_EQ(printed, Execute(plain, code, runSelf)) << text;
        return printed;
    }

    struct FusionCase {
        const char* program;
        VMHandler handler;
        const char* printed;  // null: the run fails on the program's last line
    };

    void ExpectFused(std::initializer_list<FusionCase> cases)
    {
        for (const FusionCase& c : cases) {
            const std::string printed = Fused(c.program, c.handler);
            if (c.printed != nullptr) {
                EXPECT_EQ(printed, c.printed) << c.program;
                continue;
            }
            // The plain op reports the error, on the line that holds it.
            const std::string program = c.program;
            EXPECT_NE(printed.find("error: "), std::string::npos) << c.program;
            EXPECT_NE(printed.find(program.substr(program.rfind('\n') + 1)), std::string::npos) << printed;
        }
    }
};

TEST_F(VmFusionTest, LocalAndConstantArithmeticMatchesThePlainOps)
{
    ExpectFused({
        {"var a, b; a = 5; b = a * 3 + 1; print(b)", VMHandler::LocalConstArith, "16\n"},
        {"var a, b; a = 1.25; b = a - 0.5 + 0; print(b)", VMHandler::LocalConstArith, "0.75\n"},
        {"var a, b; a = 2147483647; b = a + 1 + 0; print(b)", VMHandler::LocalConstArith, "2147483648\n"},
        {"var a, b; a = 1000000000; repeat (6) a = a * a; b = a * 0 + 0; print(b == b, a > 1)",
         VMHandler::LocalConstArith, "0 1\n"},
        {"var a, b; a = 'x';\nb = a * 2 + 1", VMHandler::LocalConstArith, nullptr},
        {"var a, b;\nb = a + 1 + 0", VMHandler::LocalConstArith, nullptr},
        {"var a, b; a[2] = 1;\n\nb = a - 1 + 0", VMHandler::LocalConstArith, nullptr},
    });
}

TEST_F(VmFusionTest, DivisionsOfALocalByAConstantMatchThePlainOps)
{
    ExpectFused({
        {"var i, s; s = 0; for (i = -9; i < 9; i += 1) s += (i mod 7) * 0.5 + i div 4; print(s)",
         VMHandler::LocalConstDivision, "-3\n"},
        {"var a; a = 7.5; print(a mod 2, a div 2, a mod -2.5)", VMHandler::LocalConstDivision, "1.50 3 0\n"},
        // Whole divisors divide whole dividends inline; -1 and those past
        // 16 bits take the general path.
        {"var a; a = -7; print(a mod 3, a div -2, a mod -1, a div -1, a div 40000, a mod 32767, a mod -32768)",
         VMHandler::LocalConstDivision, "-1 3 0 7 0 -7 -7\n"},
        {"var a; a = 7.5;\nprint(a div 0.5)", VMHandler::LocalConstDivision, nullptr},
        {"var a; a = 9007199254740993; print(a mod 10 == 2, a div 1000000000)", VMHandler::LocalConstDivision,
         "1 9007199\n"},
        {"var a; a = 5;\nprint(a mod 0)", VMHandler::LocalConstDivision, nullptr},
        {"var a; a = 'x';\nprint(a div 2)", VMHandler::LocalConstDivision, nullptr},
    });
}

TEST_F(VmFusionTest, ArithmeticWithAConstantOnTheItemBelowMatchesThePlainOps)
{
    ExpectFused({
        {"var a; a = 3; x = 4; print(a * 2 * 0.5, x - 1.5, (a + x) * 2)", VMHandler::ConstArith, "3 2.50 14\n"},
        {"name = 'x';\nprint(name - 1)", VMHandler::ConstArith, nullptr},
    });
}

TEST_F(VmFusionTest, StoresOfArithmeticIntoALocalMatchThePlainOps)
{
    ExpectFused({
        {"var i; i = 0; i += 1; i = i - 3; print(i)", VMHandler::LocalConstArithStore, "-2\n"},
        {"var i, j; i = 4; j = i * 0.5; print(i, j)", VMHandler::LocalConstArithStore, "4 2\n"},
        {"var i; i = 'text';\ni = i + 1", VMHandler::LocalConstArithStore, nullptr},
        {"var s, i; s = 1; i = 3; s += i * 2; print(s)", VMHandler::ArithStoreLocal, "7\n"},
        {"var s, t; s = 'a'; t = 'b'; s += t; print(s)", VMHandler::ArithStoreLocal, "ab\n"},
        {"var s, t; s = 'a'; t = 1; s = 2; s += t; s = 'old'; s = t + t; print(s)", VMHandler::ArithStoreLocal,
         "2\n"},
        {"var s, t; s = 1; t = 'b';\ns -= t", VMHandler::ArithStoreLocal, nullptr},
        {"var s, i, t; s = 1; i = 3; s += i * 2; t = s - i * 0.5; s *= argument0 + 2; print(s, t)",
         VMHandler::LocalAccumulate, "14 5.50\n"},
        {"var s, i; s = 'a'; i = 2; s = 'b'; s = 5; s -= i + 1; print(s)", VMHandler::LocalAccumulate, "2\n"},
        {"var s, i; s = 'a'; i = 2;\ns += i * 2", VMHandler::LocalAccumulate, nullptr},
        {"var s, i; s = 1; i = 'b';\ns += i * 2", VMHandler::LocalAccumulate, nullptr},
        {"var s, i;\ns += i * 2", VMHandler::LocalAccumulate, nullptr},
    });
}

TEST_F(VmFusionTest, ComparisonsFeedingABranchMatchThePlainOps)
{
    ExpectFused({
        {"var i, n; n = 0; for (i = 0; i < 5; i += 1) n += i; print(n, i)", VMHandler::LocalConstCompareBranch,
         "10 5\n"},
        // The epsilon holds for fused comparisons too.
        {"var a; a = 0.1 + 0.2; if (a == 0.3) print('near'); if (a > 0.3) print('above')",
         VMHandler::LocalConstCompareBranch, "near\n"},
        // A NaN local compares as the plain ops compare it.
        {"var a; a = 1000000000; repeat (6) a = a * a; a = a - a; if (a < 1) print('lt'); if (a >= 1) print('ge');"
         "if (a != 1) print('ne')",
         VMHandler::LocalConstCompareBranch, "ne\n"},
        {"var a, b; a = 2; b = 3; if (a < b) print('less'); while (a <= b) a += 1; print(a)", VMHandler::CompareBranch,
         "less\n4\n"},
        {"var a, b; a = 'x'; b = 'y'; if (a < b) print('less')", VMHandler::CompareBranch, "less\n"},
        {"var a; a = 'x';\nif (a < 1) print('less')", VMHandler::LocalConstCompareBranch, nullptr},
        {"var i, n; n = 0; for (i = 0; i < 5; i += 1) n += i; print(n, i)", VMHandler::LocalStepCompareBranch,
         "10 5\n"},
        {"var i, n; n = 0; for (i = 10; i >= 0.5; i *= 0.5) n += 1; print(n, i)",
         VMHandler::LocalStepCompareBranch, "5 0.31\n"},
        // A body that turns the tested local into a string: the test fails
        // as its plain ops do.
        {"var i, j; j = 0;\nfor (i = 0; i < 3; j += 1) i = 'x'", VMHandler::LocalStepCompareBranch, nullptr},
    });
}

// The window's messages are pumped by the count of branches taken, so a
// fused loop counts each branch its plain ops would.
TEST_F(VmFusionTest, FusedLoopsCountTheBranchesOfThePlainOps)
{
    CCode code("var i, n; n = 0; for (i = 0; i < 5000; i += 1) n += i * 2; print(n)", false);
    ASSERT_TRUE(code.Compile("Test.fusion"));
    VMProgram plain = *code.bytecode;
    for (VMNativeOp& op : plain.unit.ops) {
        op.handler = op.plain;
    }
    const uint32_t start = VM_BranchCount();
    EXPECT_EQ(Execute(*code.bytecode, code, self), "24995000\n");
    const uint32_t fused = VM_BranchCount() - start;
    EXPECT_EQ(Execute(plain, code, self), "24995000\n");
    EXPECT_EQ(VM_BranchCount() - start - fused, fused);
    EXPECT_GE(fused, 10000u);
}

TEST_F(VmFusionTest, LocalIndexesMatchThePlainOps)
{
    ExpectFused({
        {"var i; i = 2; arr[i] = 5; i = 1.7; arr[i] = 4; i = -0.5; arr[i] = 3; print(arr[0], arr[1], arr[2])",
         VMHandler::LocalIndex, "3 4 5\n"},
        {"var i; i = 'text'; arr[i] = 3; print(arr[0])", VMHandler::LocalIndex, "3\n"},
        {"var i; i = -1;\narr[i] = 1", VMHandler::LocalIndex, nullptr},
        {"var i; i = 32000;\narr[i] = 1", VMHandler::LocalIndex, nullptr},
        {"var i; for (i = 0; i < 4; i += 1) arr[i] = i * 2; arr[i] = 'end'; print(arr[1], arr[3], arr[4])",
         VMHandler::IndexedVariableStore, "2 6 end\n"},
        {"var i; i = 1.5; global.g[i] = 3; other.o[i] = 'o'; obj_b.b[i] = 2;"
         "print(global.g[1], other.o[1], obj_b.b[i])",
         VMHandler::IndexedVariableStore, "3 o 2\n"},
        {"var i; i = 'text'; arr[i] = 7; print(arr[0])", VMHandler::IndexedVariableStore, "7\n"},
        {"var i;\narr[i] = 1", VMHandler::IndexedVariableStore, nullptr},
        {"var i, s; arr[0] = 1; arr[1] = 'b'; arr[2] = 3; s = 0; for (i = 0; i < 3; i += 2) s += arr[i];"
         "i = 1; print(s, arr[i])",
         VMHandler::IndexedVariableRead, "4 b\n"},
        {"var i; i = 1; global.g[1] = 5; other.o[1] = 'o'; print(global.g[i], other.o[i])",
         VMHandler::IndexedVariableRead, "5 o\n"},
        {"var i; arr[0] = 1; i = 7;\nprint(arr[i])", VMHandler::IndexedVariableRead, nullptr},
        {"var i; arr[0] = 1; i = -1;\nprint(arr[i])", VMHandler::IndexedVariableRead, nullptr},
        {"var i;\nprint(never_set[i])", VMHandler::IndexedVariableRead, nullptr},
        // Stores of a local and sums of elements into a local: reals take
        // the fused path, the rest (texts, missing elements, bad indexes,
        // unset locals) the plain ops.
        {"var i, v; v = 2; for (i = 0; i < 3; i += 1) arr[i] = v; i = 1; v = 'text'; arr[i] = v;"
         "i = 1.5; v = 4; global.g[i] = v; other.o[i] = v; print(arr[0], arr[1], arr[2], global.g[1], other.o[1])",
         VMHandler::LocalIndexedVariableStore, "2 text 2 4 4\n"},
        {"var i, v; arr[0] = 'a'; arr[1] = 1; v = 5; for (i = 0; i < 2; i += 1) arr[i] = v; print(arr[0], arr[1])",
         VMHandler::LocalIndexedVariableStore, "5 5\n"},
        {"var i, v; i = -1; v = 1;\narr[i] = v", VMHandler::LocalIndexedVariableStore, nullptr},
        {"var i, v; i = 0;\narr[i] = v", VMHandler::LocalIndexedVariableStore, nullptr},
        {"var i, s; arr[0] = 1; arr[1] = 2; arr[2] = 'c'; global.g[0] = 10; other.o[0] = -2; s = 0;"
         "for (i = 0; i < 2; i += 1) s += arr[i]; i = 0; s *= global.g[i]; s -= other.o[i]; print(s)",
         VMHandler::IndexedVariableAccumulate, "32\n"},
        {"var i, s; arr[0] = 'a'; s = 'b'; i = 0; s += arr[i]; print(s)", VMHandler::IndexedVariableAccumulate,
         "ba\n"},
        {"var i, s; arr[0] = 'a'; s = 1; i = 0;\ns += arr[i]", VMHandler::IndexedVariableAccumulate, nullptr},
        {"var i, s; arr[0] = 1; s = 1; i = 5;\ns += arr[i]", VMHandler::IndexedVariableAccumulate, nullptr},
        {"var i, s; arr[0] = 1; i = 0;\ns += arr[i]", VMHandler::IndexedVariableAccumulate, nullptr},
    });
}

// Arrays held in var locals take the element paths instance arrays take.
TEST_F(VmFusionTest, ArraysInLocalsMatchThePlainOps)
{
    ExpectFused({
        {"var a, i, s; for (i = 0; i < 40; i += 1) a[i] = i * 2; s = 0; for (i = 0; i < 40; i += 1) s += a[i];"
         "print(s, a[39])",
         VMHandler::IndexedVariableAccumulate, "1560 78\n"},
        {"var a, b, v, i; v = 3; for (i = 0; i < 3; i += 1) a[i] = v; b = a; i = 1; v = 'x'; a[i] = v; a[2, 1] = 4;"
         "print(a[1], b[1], a[2, 1], a[0])",
         VMHandler::LocalIndexedVariableStore, "x 3 4 3\n"},
        {"var a, i; i = 0; a[i] = 'text'; i = 1.5; a[i] = 2; print(a[0], a[1])", VMHandler::IndexedVariableStore,
         "text 2\n"},
        {"var a, i, s; a[0] = 'a'; a[1] = 1; i = 1; s = a[i] + 1; i = 0; print(s, a[i])",
         VMHandler::IndexedVariableRead, "2 a\n"},
        {"var a, i; a[0] = 1; i = 3;\nprint(a[i])", VMHandler::IndexedVariableRead, nullptr},
        {"var a, i; a[0] = 1; i = 0; print(a[i]);\nprint(a[i, 2])", VMHandler::IndexedVariableRead, nullptr},
    });
}

TEST_F(VmFusionTest, AppendingToAStringLocalMatchesThePlainOps)
{
    ExpectFused({
        {"var s, i; s = ''; for (i = 0; i < 12; i += 1) s += 'ab'; print(s)", VMHandler::AppendLocal,
         "abababababababababababab\n"},
        // The copy taken before an append keeps its text.
        {"var s, t; s = 'a'; t = s; s += 'b'; s += ''; s += 'c'; print(t, s)", VMHandler::AppendLocal, "a abc\n"},
        {"var s; s = 1;\ns += 'x'", VMHandler::AppendLocal, nullptr},
    });
}

TEST_F(VmFusionTest, ArithmeticStoredBackIntoANamedVariableMatchesThePlainOps)
{
    ExpectFused({
        {"counter = 1; counter += 2; counter *= 0.5; with (all) counter = 7; print(counter)",
         VMHandler::VariableConstArithStore, "7\n"},
        {"global.g = 4; global.g -= 1; x = 10; x += 0.5; print(global.g, x)", VMHandler::VariableConstArithStore,
         "3 10.50\n"},
        {"name = 'a';\nname += 1", VMHandler::VariableConstArithStore, nullptr},
        {"\nnever_set += 1", VMHandler::VariableConstArithStore, nullptr},
        {"\ninstance_count += 1", VMHandler::VariableConstArithStore, nullptr},
    });
}

TEST_F(VmFusionTest, NamedVariablesUpdatedFromOthersOrComparedMatchThePlainOps)
{
    ExpectFused({
        {"x = 3; dx = 1.5; x += dx; y = 2; y -= x; print(x, y)", VMHandler::VariableArithStore, "4.50 -2.50\n"},
        {"global.g = 2; global.h = 3; global.g *= global.h; other.x = 2; other.x += x; print(global.g, other.x)",
         VMHandler::VariableArithStore, "6 6.50\n"},
        {"a = 'x'; b = 'y'; a += b; c = 1; c += speed; print(a, c)", VMHandler::VariableArithStore, "xy 1\n"},
        {"a = 1; b = 'y';\na += b", VMHandler::VariableArithStore, nullptr},
        {"a = 1;\na += never_set", VMHandler::VariableArithStore, nullptr},
        {"\ninstance_count += x", VMHandler::VariableArithStore, nullptr},
        {"x = 3; a = 0.1 + 0.2; global.g = 6; print(x < 0 || x > 2, x >= 3.5, a == 0.3, global.g <= 6)",
         VMHandler::VariableConstCompare, "1 0 1 1\n"},
        {"a = 'x';\nprint(a == 1)", VMHandler::VariableConstCompare, nullptr},
        {"\nprint(never_set < 1)", VMHandler::VariableConstCompare, nullptr},
    });
}

TEST_F(VmFusionTest, ALocalAccumulatingADivisionByAConstantMatchesThePlainOps)
{
    ExpectFused({
        {"var i, s; s = 0; for (i = 0; i < 10; i += 1) s += (i mod 7) * 0.5; print(s)",
         VMHandler::LocalDivisionAccumulate, "12\n"},
        {"var s, i; s = 1; i = 7.5; s -= (i div 2) + 1; s *= (argument0 mod 3) + 2; print(s)",
         VMHandler::LocalDivisionAccumulate, "-6\n"},
        {"var s, i; s = 1; i = 5;\ns += (i mod 0) * 2", VMHandler::LocalDivisionAccumulate, nullptr},
        {"var s, i; s = 'a'; i = 5;\ns += (i mod 2) * 2", VMHandler::LocalDivisionAccumulate, nullptr},
        {"var s, i; s = 1; i = 'b';\ns += (i mod 2) * 2", VMHandler::LocalDivisionAccumulate, nullptr},
    });
}

TEST_F(VmFusionTest, ArgumentsAreReadStraightFromTheirSlots)
{
    Script_Arguments().values[1] = Value{};
    Value_SetString(Script_Arguments().values[1], "two");
    Value_SetReal(Script_Arguments().values[0], 3.0);
    EXPECT_EQ(Fused("print(argument0, argument1, global.argument0, argument2)", VMHandler::PushArgument),
              "3 two 3 0\n");
    // Without a self the unscoped read fails as the plain read does.
    EXPECT_NE(Fused("print(argument0)", VMHandler::PushArgument, false).find("error: "), std::string::npos);
    EXPECT_NE(Fused("print(argument0 + 1)", VMHandler::LocalConstArith, false).find("error: "), std::string::npos);
    EXPECT_EQ(Fused("print(global.argument0 * 2 + 0)", VMHandler::LocalConstArith, false), "6\n");
    EXPECT_EQ(Fused("if (argument0 > 2) print(argument0 - 1 + 0); if (argument2 < 2) print('no')",
                    VMHandler::LocalConstCompareBranch),
              "2\nno\n");
    EXPECT_EQ(Run("print(add(2, 'x'), add('y', 'z'))", {{"add", "return argument1 + argument0"}}),
              "error: In script add:\nError in code at line 1:\n   return argument1 + argument0\n\n"
              "at position 8: DoAdd :: Execution Error\n");
}

TEST_F(VmFusionTest, ScriptCallsLeaveEverySlotAsTheCallerHadIt)
{
    // The second call of f finds none of what the first stored.
    EXPECT_EQ(Run("var r; argument3 = 'kept'; r = f(1); r = f(1); print(r, argument3, argument9, argument12)",
                  {{"f", "print(argument3, argument9, argument_count); argument9 = 'mine'; return g(argument0)"},
                   {"g", "print(argument9); argument12 = 4; return h()"},
                   {"h", "return argument12 + argument0"}}),
              "0 0 1\n0\n0 0 1\n0\n0 kept 0 0\n");
    // A script calling another with fewer arguments than it was given.
    EXPECT_EQ(Run("print(two(7, 8))",
                  {{"two", "var v; v = one(1); print(argument1); return v + argument0"},
                   {"one", "print(argument1); return argument0"}}),
              "0\n8\n8\n");
}

}  // namespace
}  // namespace bw::test
