#include "library/math_builtins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "script/vm_operators.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::ScriptValue;

class MathBuiltinsTest : public test::LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("point_direction", &id)) {
            Function_Math_Register();
        }
    }
    void TearDown() override
    {
        VM_SetEpsilon(0.00001);
        LibraryTest::TearDown();
    }

    static double Call(const char* name, std::initializer_list<ScriptValue> args)
    {
        return CallBuiltin(name, args).Real();
    }
    static bool Reported(const std::string& message) { return test::LastError().find(message) != std::string::npos; }
};

// ---- random numbers ----

// The expected values come from a separate model of the generator and of
// each built-in's draw, so a change to either shows here.
TEST_F(MathBuiltinsTest, SeededSequenceOfEveryRandomBuiltinRepeats)
{
    for (int run = 0; run < 2; ++run) {
        Call("random_set_seed", {42});
        EXPECT_DOUBLE_EQ(Call("random", {100}), 42.61693134903908);
        EXPECT_EQ(Call("irandom", {10}), 10);
        EXPECT_EQ(Call("irandom", {-3}), 0);
        EXPECT_EQ(Call("irandom_range", {4, 2}), 3);
        ScriptValue chosen = CallBuiltin("choose", {"a", 1, "c"});
        ASSERT_TRUE(chosen.IsString());
        EXPECT_EQ(chosen.Text(), "c");
        EXPECT_DOUBLE_EQ(Call("random_range", {5, -5}), -2.5393723137676716);
        const double expected[] = {816, 625, 670, 255, 695};
        for (double value : expected) {
            EXPECT_EQ(Call("irandom", {1000}), value);
        }
    }
}

TEST_F(MathBuiltinsTest, SeedKeepsLowThirtyTwoBitsOfTruncatedArgument)
{
    Call("random_set_seed", {-1.9});
    EXPECT_EQ(Call("random_get_seed", {}), 4294967295.0);
    EXPECT_DOUBLE_EQ(Call("random", {1}), 0.13716088817454875);
}

TEST_F(MathBuiltinsTest, RandomizeReturnsTheSeedItSet)
{
    const double seed = Call("randomize", {});
    EXPECT_GE(seed, -2147483648.0);
    EXPECT_LE(seed, 2147483647.0);
    EXPECT_EQ(static_cast<uint32_t>(static_cast<int32_t>(seed)), static_cast<uint32_t>(Call("random_get_seed", {})));
}

TEST_F(MathBuiltinsTest, IntegerDrawsStayInsideTheirRanges)
{
    Call("random_set_seed", {7});
    bool sawLow = false;
    bool sawHigh = false;
    for (int i = 0; i < 400; ++i) {
        const double below = Call("irandom", {-3});
        EXPECT_TRUE(below <= 0 && below >= -3 && below == std::floor(below)) << below;
        const double fraction = Call("irandom", {5.7});
        EXPECT_TRUE(fraction >= 0 && fraction <= 5) << fraction;
        for (const auto& [a, b] : {std::pair{2.0, 4.0}, std::pair{4.0, 2.0}}) {
            const double ranged = Call("irandom_range", {a, b});
            EXPECT_TRUE(ranged >= 2 && ranged <= 4 && ranged == std::floor(ranged)) << ranged;
            sawLow = sawLow || ranged == 2;
            sawHigh = sawHigh || ranged == 4;
        }
        EXPECT_EQ(Call("irandom", {0.0}), 0);
        const double real = Call("random", {-2});
        EXPECT_TRUE(real <= 0 && real > -2) << real;
    }
    EXPECT_TRUE(sawLow && sawHigh);
}

TEST_F(MathBuiltinsTest, IntegerDrawsOfNotANumberOrHugeSpansAreDefined)
{
    EXPECT_EQ(Call("irandom_range", {-1e300, 1e300}), -1e300);
    EXPECT_EQ(Call("irandom_range", {3, NAN}), 3);  // no span: the lower end
    for (int i = 0; i < 20; ++i) {
        const double up = Call("irandom", {1e300});
        EXPECT_TRUE(up >= 0 && up < 9.3e18) << up;
        const double down = Call("irandom", {-1e300});
        EXPECT_TRUE(down <= 0 && down > -9.3e18) << down;
    }
    EXPECT_EQ(Call("irandom", {NAN}), 0);
}

TEST_F(MathBuiltinsTest, ChooseCopiesTheArgumentWithItsKindAndNothingGivesZero)
{
    Call("random_set_seed", {1});
    bool sawString = false;
    bool sawReal = false;
    for (int i = 0; i < 50; ++i) {
        ScriptValue chosen = CallBuiltin("choose", {"a", 1});
        if (chosen.IsString()) {
            EXPECT_EQ(chosen.Text(), "a");
            sawString = true;
        } else {
            EXPECT_EQ(chosen.Real(), 1);
            sawReal = true;
        }
    }
    EXPECT_TRUE(sawString && sawReal);
    EXPECT_EQ(Call("choose", {}), 0);
}

// ---- rounding ----

TEST_F(MathBuiltinsTest, RoundingKeepsRealsBeyondThirtyTwoBitsExact)
{
    struct Case { const char* name; double x; double expected; };
    const Case cases[] = {
        {"round", 2.5, 2}, {"round", 3.5, 4}, {"round", -2.5, -2}, {"round", 3000000000.5, 3000000000},
        {"round", 3000000001.5, 3000000002}, {"round", -1e15 - 0.75, -1e15 - 1},
        {"floor", -5000000000.5, -5000000001}, {"floor", 4294967296.9, 4294967296}, {"floor", -0.5, -1},
        {"ceil", 4294967296.2, 4294967297}, {"ceil", -7e12 - 0.5, -7e12}, {"ceil", 2.0000001, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Call(c.name, {c.x}), c.expected) << c.name << "(" << c.x << ")";
    }
}

TEST_F(MathBuiltinsTest, RoundingNeverAnswersNegativeZero)
{
    for (const char* name : {"round", "ceil"}) {
        const double value = Call(name, {-0.4});
        EXPECT_EQ(value, 0);
        EXPECT_FALSE(std::signbit(value)) << name;
    }
}

// ---- single precision ----

TEST_F(MathBuiltinsTest, SinglePrecisionBuiltinsRoundToFloat)
{
    EXPECT_EQ(Call("abs", {123456789.5}), 123456792);
    EXPECT_EQ(Call("arctan2", {0.0, -1}), static_cast<double>(3.1415927f));
    EXPECT_EQ(Call("point_distance", {0.0, 0.0, 0.1, 0.0}), static_cast<double>(0.1f));
    EXPECT_EQ(Call("arcsin", {1}), static_cast<double>(std::asin(1.0f)));
}

TEST_F(MathBuiltinsTest, InverseSineAndCosineOutsideTheirDomainReportAndGiveZero)
{
    EXPECT_EQ(Call("arcsin", {1.5}), 0);
    EXPECT_TRUE(Reported("Error in function arcsin()."));
    EXPECT_EQ(Call("arccos", {-2}), 0);
    EXPECT_TRUE(Reported("Error in function arccos()."));
    EXPECT_FALSE(Code_Error_GameAborted());
}

TEST_F(MathBuiltinsTest, ScalarBuiltinsGiveTheirValues)
{
    struct Case { const char* name; std::vector<ScriptValue> args; double expected; };
    const Case cases[] = {
        {"sign", {0.0}, 0}, {"sign", {-0.1}, -1}, {"sign", {7}, 1}, {"sign", {NAN}, -1},
        {"frac", {-3.25}, -0.25}, {"frac", {3.75}, 0.75}, {"abs", {-2.5}, 2.5},
        {"sin", {M_PI}, 0}, {"cos", {M_PI / 2}, 0}, {"tan", {M_PI}, 0}, {"sin", {M_PI / 2}, 1}, {"arccos", {1}, 0},
        {"point_distance", {0.0, 0.0, 3, 4}, 5}, {"point_distance_3d", {1, 1, 1, 3, 4, 7}, 7},
        // degrees and radians use the single-precision pi
        {"degtorad", {180}, 3.1415927410125732}, {"radtodeg", {3.1415927410125732}, 180},
        {"sqr", {-3}, 9}, {"sqrt", {16}, 4}, {"power", {2, 10}, 1024}, {"log2", {1024}, 10},
        {"logn", {81, 3}, 4}, {"log10", {1000}, 3},
        {"dot_product", {1, 2, 3, 4}, 11}, {"dot_product_3d", {1, 2, 3, 4, 5, 6}, 32},
        {"dot_product_normalised", {3, 0.0, 0.0, 5}, 0},
        {"mean", {}, 0}, {"mean", {1, 2, 6}, 3}, {"median", {}, 0}, {"median", {4}, 4},
        {"median", {5, 1, 3, 2}, 3}, {"median", {9, -1, 9, 0.0, 2}, 2},
        {"clamp", {5, 0.0, 3}, 3}, {"clamp", {-5, 0.0, 3}, 0}, {"clamp", {2, 4, 1}, 1},  // hi wins when lo > hi
        {"lerp", {10, 20, 0.25}, 12.5},
        {"min", {}, 0}, {"min", {3, 1, 1}, 1}, {"max", {3, 9, -2}, 9}, {"min3", {5, -4, 2}, -4},
        {"max3", {5, -4, 2}, 5},
        {"is_real", {1}, 1}, {"is_real", {"1"}, 0}, {"is_string", {"1"}, 1}, {"is_array", {1}, 0},
        {"array_length_1D", {1}, 0}, {"array_length_2D", {"x", 0.0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(CallBuiltin(c.name, c.args).Real(), c.expected);
    }
    EXPECT_DOUBLE_EQ(Call("ln", {Call("exp", {2})}), 2);
    EXPECT_TRUE(std::isnan(Call("sqrt", {-1})));
    EXPECT_NEAR(Call("dot_product_normalised", {2, 0.0, 7, 0.0}), 1, 1e-7);
    EXPECT_NEAR(Call("dot_product_3d_normalised", {1, 1, 0.0, -2, -2, 0.0}), -1, 1e-6);
    EXPECT_EQ(test::LastError(), "");
}

// ---- directions ----

TEST_F(MathBuiltinsTest, PointDirectionRunsCounterClockwiseWithYDown)
{
    struct Case { double x2, y2, expected; };
    const Case cases[] = {
        {10, 0, 0},    {0, -10, 90},   {-10, 0, 180},    {0, 10, 270},  {0, 0, 0},
        {10, 10, 315}, {10, -10, 45},  {-10, -10, 135},  {-10, 10, 225}, {3, -4, 53.130102},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Call("point_direction", {0.0, 0.0, c.x2, c.y2}), c.expected, 1e-4) << c.x2 << "," << c.y2;
    }
    EXPECT_EQ(Call("point_direction", {5, 5, 5, 5}), 0);
    EXPECT_EQ(Call("point_direction", {0.0, 0.0, 0.0, -10}), 90);
}

TEST_F(MathBuiltinsTest, LengthdirSnapsRemaindersOfWholeNumbers)
{
    // Along the axes every remainder of cos and sin is snapped away: the
    // answers are exact, and never -0.
    struct Case { double length, direction, x, y; };
    const Case axes[] = {
        {10, 0, 10, 0}, {10, 90, 0, -10}, {10, 180, -10, 0}, {5, 270, 0, 5}, {-10, 90, 0, 10}, {3, 360, 3, 0},
    };
    for (const Case& c : axes) {
        const double x = Call("lengthdir_x", {c.length, c.direction});
        const double y = Call("lengthdir_y", {c.length, c.direction});
        EXPECT_EQ(x, c.x) << c.length << "@" << c.direction;
        EXPECT_EQ(y, c.y) << c.length << "@" << c.direction;
        EXPECT_FALSE(std::signbit(x) && x == 0) << c.length << "@" << c.direction;
        EXPECT_FALSE(std::signbit(y) && y == 0) << c.length << "@" << c.direction;
    }
    // Only a value just past a whole number, away from 0, is snapped: one
    // just short of it keeps its float value.
    EXPECT_EQ(Call("lengthdir_x", {2, 60}), static_cast<double>(2.0f * std::cos(60.0f * 3.1415927f / 180.0f)));
    EXPECT_NEAR(Call("lengthdir_y", {2, 60}), -1.7320508, 1e-6);
    EXPECT_NEAR(Call("lengthdir_x", {10.5, 0.0}), 10.5, 1e-6);
}

// ---- aggregates ----

TEST_F(MathBuiltinsTest, MinAndMaxRefuseStrings)
{
    EXPECT_EQ(Call("max", {1, "a"}), 0);
    EXPECT_TRUE(Reported("Error max(): illegal argument; strings not permitted"));
    EXPECT_EQ(Call("min", {"b", 1}), 0);
    EXPECT_TRUE(Reported("Error min(): illegal argument; strings not permitted"));
}

// ---- the comparison epsilon ----

TEST_F(MathBuiltinsTest, EpsilonIsSetInsideItsRangeAndStopsTheGameOutside)
{
    Call("math_set_epsilon", {0.5});
    EXPECT_EQ(VM_Epsilon(), 0.5);
    Call("math_set_epsilon", {"0.1"});
    EXPECT_EQ(VM_Epsilon(), 0.5);
    EXPECT_FALSE(Code_Error_GameAborted());
    Call("math_set_epsilon", {1});
    EXPECT_EQ(VM_Epsilon(), 0.5);
    EXPECT_TRUE(Reported("math_set_epsilon :: value should be between 0 and 1"));
}

}  // namespace
}  // namespace bw
