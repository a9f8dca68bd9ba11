// The maths and movement built-ins as game code calls them, on both
// engines: argument conversion, results printed back, errors reported.
#include <gtest/gtest.h>

#include <string>

#include "bwl_harness.h"
#include "library/math_builtins.h"
#include "library/motion_builtins.h"
#include "resources/path.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/vm_operators.h"
#include "world/mp_grid.h"
#include "world/path_lookups.h"

namespace bw::test {
namespace {

constexpr double kDefaultEpsilon = 0.00001;

class MathMotionBwlTest : public BwlTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("point_direction", &id)) {
            Function_Math_Register();
        }
        if (!Code_Function_Find("mp_grid_create", &id)) {
            Function_Motion_Register();
        }
        Code_SetUseBytecode(GetParam());
        Path_Init();
        Path_RegisterLookups();
    }
    void TearDown() override
    {
        CGrid_FreeAll();
        Path_ClearTable();
        VM_SetEpsilon(kDefaultEpsilon);
        World_PathLookups() = PathLookups{};
        BwlTest::TearDown();
    }
};

TEST_P(MathMotionBwlTest, SeededRandomBuiltinsReplayTheirSequence)
{
    // One draw per statement: the engines evaluate call arguments in
    // different orders.
    const std::string program =
        "random_set_seed(42); var r, a, b, c, d; r = random(100); a = irandom(10); b = irandom(-3);"
        "c = irandom_range(4, 2); d = choose('x', 1, 'c'); print(floor(r), a, b, c, d, random_get_seed())";
    EXPECT_EQ(Run(program), "42 10 0 3 c 42\n");
    EXPECT_EQ(Run(program), "42 10 0 3 c 42\n");
}

TEST_P(MathMotionBwlTest, SinglePrecisionAndRoundingResults)
{
    EXPECT_EQ(Run("print(abs(123456789.5), sin(pi), cos(pi), round(2.5), round(3.5), floor(-2.5), ceil(2.1))"),
              "123456792 0 -1 2 4 -3 3\n");
    EXPECT_EQ(Run("print(round(3000000000.5) == 3000000000, floor(5000000000.75) == 5000000000)"), "1 1\n");
}

TEST_P(MathMotionBwlTest, DirectionsAndLengthdirs)
{
    EXPECT_EQ(Run("print(point_direction(0, 0, 0, -10), point_direction(0, 0, 10, 10), point_direction(5, 5, 5, 5))"),
              "90 315 0\n");
    EXPECT_EQ(Run("print(lengthdir_x(10, 90), lengthdir_y(10, 90), point_distance(0, 0, 3, 4))"), "0 -10 5\n");
}

TEST_P(MathMotionBwlTest, ArrayLengthsAndTypeTests)
{
    const std::string program =
        "a[2] = 7; b[1, 4] = 0;"
        "print(array_length_1D(a), array_length_2D(b, 1), array_length_2D(b, 2), array_length_2D(b, -1),"
        "      is_array(a), is_real(a), is_string('s'), array_length_1D(3))";
    EXPECT_EQ(Run(program), "3 5 0 0 1 0 1 0\n");
}

TEST_P(MathMotionBwlTest, AggregatesOverAnyNumberOfArguments)
{
    EXPECT_EQ(Run("print(min(3, 1, 1), max(2, 8, 5), mean(1, 2, 6), median(5, 1, 3, 2), clamp(9, 0, 4))"),
              "1 8 3 3 4\n");
    EXPECT_EQ(Run("print(max(1, 'a'))"), "0\n");
    EXPECT_NE(std::string(Code_Error_LastText()).find("Error max(): illegal argument; strings not permitted"),
              std::string::npos);
    EXPECT_FALSE(Code_Error_GameAborted());
}

TEST_P(MathMotionBwlTest, EpsilonOutOfRangeStopsTheGame)
{
    Run("math_set_epsilon(0.5); math_set_epsilon(1)");
    EXPECT_NE(std::string(Code_Error_LastText()).find("math_set_epsilon :: value should be between 0 and 1"),
              std::string::npos);
    EXPECT_TRUE(Code_Error_GameAborted());
    // The epsilon set before the refusal holds; the virtual machine's
    // comparisons use it.
    EXPECT_EQ(VM_Epsilon(), 0.5);
    if (GetParam()) {
        EXPECT_EQ(Run("var a; a = 1.4; print(a == 1)"), "1\n");
    }
}

TEST_P(MathMotionBwlTest, MotionBuiltinsActOnSelf)
{
    EXPECT_EQ(Run("x = 10; y = 20; motion_set(90, 2); print(direction, speed, vspeed);"
                  "move_snap(16, 16); print(x, y); move_wrap(true, false, 0); print(place_snapped(16, 16))"),
              "90 2 -2\n16 16\n1\n");
}

TEST_P(MathMotionBwlTest, GridPathIsWrittenIntoThePath)
{
    const int32_t path = Path_Add();
    const std::string program =
        "var g; g = mp_grid_create(0, 0, 3, 3, 10, 10);"
        "mp_grid_add_cell(g, 1, 0); mp_grid_add_cell(g, 1, 1);"
        "print(mp_grid_path(g, " + std::to_string(path) + ", 5, 5, 25, 5, false));"
        "mp_grid_add_rectangle(g, 0, 20, 29, 29);"
        "print(mp_grid_path(g, " + std::to_string(path) + ", 5, 5, 25, 5, true), mp_grid_path(g, 99, 5, 5, 5, 5, 0))";
    EXPECT_EQ(Run(program), "1\n0 0\n");
    EXPECT_NE(std::string(Code_Error_LastText()).find("Trying to assign to a non-existing path."), std::string::npos);
    // Down two, across two, up two: six moves, seven points; the failed
    // search left them.
    EXPECT_EQ(Path_Get(path)->GetNumber(), 7);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, MathMotionBwlTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Bytecode" : "TreeInterpreter";
                         });

}  // namespace
}  // namespace bw::test
