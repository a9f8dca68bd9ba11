// User variables of self, other and the global scope, arrays held in var
// locals and built-in variables held in instance fields, which the machine
// reaches in place, on both engines: the tree interpreter goes through the
// world's general read and write every time, so equal output means the
// direct path gives what the general one gives, also while game code
// changes variable lists and globalvar names between accesses.
#include <gtest/gtest.h>

#include <string>

#include "bwl_harness.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/world_access.h"

namespace bw::test {
namespace {

// test_declare_global(name): declares name globalvar while code runs, as
// code compiled at run time does.
void DeclareGlobal(Value* /*result*/, CInstance* /*self*/, CInstance* /*other*/, int32_t /*argc*/, Value* args)
{
    Code_WorldAccess().declareGlobalName(Code_Variable_Find(Value_String(args[0])));
}

// test_clear_variables(): empties self's variable list, as destroying an
// instance does; the freed nodes go to the next variables made anywhere.
void ClearVariables(Value* /*result*/, CInstance* self, CInstance* /*other*/, int32_t /*argc*/, Value* /*args*/)
{
    self->i_vars->Clear();
}

class DirectVariablesTest : public BwlTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("test_declare_global", &id)) {
            Code_Function_Register("test_declare_global", &DeclareGlobal, 1);
            Code_Function_Register("test_clear_variables", &ClearVariables, 0);
        }
        Code_SetUseBytecode(GetParam());
    }
};

TEST_P(DirectVariablesTest, ReadsAndWritesOfEachScopeMeetTheSameVariables)
{
    EXPECT_EQ(Run("v = 1; self.v += 2; other.v = 10; other.v += v; global.v = 'g'; global.v += 'h';"
                  "with (other) { v += 1; other.v *= 3 }"
                  "print(v, self.v, other.v, global.v, obj_b.v)"),
              "9 9 14 gh 14\n");
}

TEST_P(DirectVariablesTest, ArraysFillSumAndCopyOnAssignment)
{
    EXPECT_EQ(Run("var i, s; for (i = 0; i < 300; i += 1) a[i] = i;"
                  "s = 0; for (i = 0; i < 300; i += 1) s += a[i];"
                  "b = a; b[1] = 'one'; b[300] = 7; a[2, 1] = 5;"
                  "global.c = a; a[0] = -1; global.c[1] += 10;"
                  "print(s, a[1], b[1], b[300], a[299], a[2, 1], global.c[0], global.c[1], global.c[2, 1])"),
              "44850 1 one 7 299 5 0 11 5\n");
}

TEST_P(DirectVariablesTest, ArraysInVarLocalsFillSumAndCopyOnAssignment)
{
    EXPECT_EQ(Run("var a, b, i, s; for (i = 0; i < 300; i += 1) a[i] = i;"
                  "s = 0; for (i = 0; i < 300; i += 1) s += a[i];"
                  "b = a; b[1] = 'one'; b[300] = 7; a[2, 1] = 5; a[0] = a; i = 3; a[i] += 0.5;"
                  "print(s, a[1], b[1], b[300], a[299], a[2, 1], a[3], b[0])"),
              "44850 1 one 7 299 5 3.50 0\n");
}

// Each field variable with rules of its own: the position marks the box,
// speeds recompute the others, reals beyond f32 and texts are taken as
// the setters take them.
TEST_P(DirectVariablesTest, BuiltinFieldVariablesReadAndWriteAsTheirAccessorsDo)
{
    EXPECT_EQ(Run("x = 3; x += 1.5; y = x * 2; xstart = 16777217; speed = 4; direction = 90; hspeed += 3;"
                  "other.x = 7; with (other) x += 1; image_alpha = 'half'; depth = 10000000000 * 10000000000 * 10000000000 * 10000000000; path_position = 2;"
                  "print(x, y, xstart, speed, vspeed, direction, other.x, image_alpha, depth, path_position)"),
              "4.50 9 16777216 5 -4 53.13 8 0 inf 1\n");
}

TEST_P(DirectVariablesTest, WholeValuesStoredOverOthersReplaceThem)
{
    EXPECT_EQ(Run("a[3] = 'x'; a = 'text'; print(a); a = 2; b[1] = 'e'; a = b; b = 0; print(a[1], b);"
                  "a = 3; print(a); c[1] = 'owned'; c[1] = 4; c[0] = c[1] + 1; print(c)"),
              "text\ne 0\n3\n{ 5,4 }\n");
}

TEST_P(DirectVariablesTest, GlobalvarDeclaredMidRunMovesLaterAccessesToTheGlobal)
{
    EXPECT_EQ(Run("var i; v = 1; global.v = 5;"
                  "for (i = 0; i < 3; i += 1) { print(v); v += 1; v = v * 1; if (i == 0) test_declare_global('v') }"
                  "print(self.v, global.v)"),
              "1\n5\n6\n2 7\n");
}

TEST_P(DirectVariablesTest, WithVisitsInstancesWhileTheBodyDestroysAndCreates)
{
    // Each pass over obj_a visits what lives, less what it destroyed: 3
    // instances, then 2 (100002 is gone), then 2, each making one of obj_b
    // that starts at 101. The new ones are no obj_a, so neither engine's
    // walk reaches them.
    EXPECT_EQ(Run("var n, total, count; with (all) counter = 0;"
                  "repeat (3) with (obj_a) { counter += 1; if (id == 100002) test_destroy();"
                  "  n = test_create(1); n.counter = 100; with (n) counter += 1 }"
                  "total = 0; count = 0; with (obj_b) { total += counter; count += 1 }"
                  "n = 100004; print(total, count, counter, n.counter)"),
              "707 8 3 3\n");
}

TEST_P(DirectVariablesTest, AVariableFreedMidLoopIsNotReachedThroughItsOldPlace)
{
    // The node v lived in goes to other's w; the loop's next store must
    // make a new v, not write over w.
    EXPECT_EQ(Run("var i; for (i = 0; i < 2; i += 1) { v = i + 10; if (i == 0) { test_clear_variables(); other.w = 5 } }"
                  "print(v, other.w)"),
              "11 5\n");
}

INSTANTIATE_TEST_SUITE_P(Engines, DirectVariablesTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Machine") : std::string("Tree");
                         });

}  // namespace
}  // namespace bw::test
