#include "script/operators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/lexer.h"

namespace bw {
namespace {

class OperatorsTest : public testing::Test {
protected:
    void TearDown() override
    {
        Value_Free(left);
        Value_Free(right);
        Code_Error_ResetState();
    }

    bool Apply(int32_t op, double a, double b)
    {
        Value_SetReal(left, a);
        Value_SetReal(right, b);
        return Code_Binary_Operator(code, 0, op, left, right);
    }

    CCode code{"", true};
    Value left;
    Value right;
};

TEST_F(OperatorsTest, RealsBecomeInt32WithDefinedEdges)
{
    EXPECT_EQ(Code_RealToInt32(2.5), 2);
    EXPECT_EQ(Code_RealToInt32(3.5), 4);
    EXPECT_EQ(Code_RealToInt32(-2.5), -2);
    EXPECT_EQ(Code_RealToInt32(2147483647.0), INT32_MAX);
    EXPECT_EQ(Code_RealToInt32(2147483648.0), INT32_MIN);
    EXPECT_EQ(Code_RealToInt32(-3e9), INT32_MIN);
    EXPECT_EQ(Code_RealToInt32(std::nan("")), INT32_MIN);
    EXPECT_EQ(Code_RealTruncToInt32(-7.9), -7);
    EXPECT_EQ(Code_RealTruncToInt32(2147483647.9), INT32_MAX);
    EXPECT_EQ(Code_RealTruncToInt32(1e300), INT32_MIN);
    EXPECT_EQ(Code_RealTruncToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
}

TEST_F(OperatorsTest, IntegerOperatorsNeverTrap)
{
    EXPECT_TRUE(Apply(kSymDiv, -2147483648.0, -1.0));
    EXPECT_EQ(left.real, 2147483648.0);
    EXPECT_TRUE(Apply(kSymMod, -2147483648.0, -1.0));
    EXPECT_EQ(left.real, 0.0);
    EXPECT_TRUE(Apply(kSymDiv, std::nan(""), 3.0));
    EXPECT_EQ(left.real, static_cast<double>(INT64_MIN / 3));
    EXPECT_TRUE(Apply(kSymDiv, -9223372036854775808.0, -1.0));
    EXPECT_EQ(left.real, -9223372036854775808.0);
    EXPECT_TRUE(Apply(kSymShiftLeft, -1.0, 31.0));
    EXPECT_EQ(left.real, static_cast<double>(INT32_MIN));
    EXPECT_TRUE(Apply(kSymShiftRight, static_cast<double>(INT32_MIN), 63.0));
    EXPECT_EQ(left.real, -1.0);
    EXPECT_TRUE(Apply(kSymBitOr, 1e30, 0.0));
    EXPECT_EQ(left.real, static_cast<double>(INT32_MIN));
}

TEST_F(OperatorsTest, FailedOperatorLeavesTheLeftOperand)
{
    EXPECT_FALSE(Apply(kSymSlash, 5.0, 0.0));
    EXPECT_EQ(left.real, 5.0);
    EXPECT_FALSE(Apply(kSymDiv, 5.0, 0.4));
    EXPECT_EQ(left.real, 5.0);
    EXPECT_STREQ(Code_Error_PendingMessage(), "Error in expression: \n position 1: Division by 0.");
}

TEST_F(OperatorsTest, UnknownOperatorsAreInternalErrors)
{
    EXPECT_FALSE(Apply(kSymComma, 1.0, 2.0));
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("Internal error: unknown binary operator."),
              std::string::npos);
    Code_Error_ResetState();
    Value_SetReal(left, 1.0);
    EXPECT_FALSE(Code_Unary_Operator(code, 0, kSymTimes, left));
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("Internal error: unknown unary operator."),
              std::string::npos);
}

TEST_F(OperatorsTest, StringResultsHaveACeiling)
{
    Value_SetReal(left, 1e9);
    Value_SetString(right, "abc");
    EXPECT_FALSE(Code_Binary_Operator(code, 0, kSymTimes, left, right));
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("String result too long."), std::string::npos);
    EXPECT_EQ(Value_Kind(left), kValueReal);
}

TEST_F(OperatorsTest, NullTextsActAsEmptyTexts)
{
    Value_SetString(left, nullptr);
    Value_SetString(right, "");
    ASSERT_TRUE(Code_Binary_Operator(code, 0, kSymEqual, left, right));
    EXPECT_EQ(left.real, 1.0);
    Value_SetString(left, nullptr);
    ASSERT_TRUE(Code_Binary_Operator(code, 0, kSymPlus, left, right));
    EXPECT_STREQ(Value_String(left), "");
}

}  // namespace
}  // namespace bw
