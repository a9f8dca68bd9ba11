#include "library/ds_grid.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "platform/random.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::ScriptValue;
using Stat = CDS_Grid::Statistic;

class DSGridTest : public test::LibraryTest {};

// The grid's cells row by row, reals as numbers and strings quoted.
std::string Picture(const CDS_Grid& grid)
{
    std::string out;
    for (int32_t y = 0; y < grid.Height(); ++y) {
        for (int32_t x = 0; x < grid.Width(); ++x) {
            const Value& cell = grid.Cell(x, y);
            out += Value_Kind(cell) == kValueString ? "'" + std::string(Value_String(cell)) + "'"
                                                    : std::to_string(static_cast<int>(cell.real));
            out += x + 1 < grid.Width() ? " " : "";
        }
        out += y + 1 < grid.Height() ? "/" : "";
    }
    return out;
}

TEST_F(DSGridTest, RectanglesTakeCornersInAnyOrderAndClip)
{
    CDS_Grid grid(4, 4);
    grid.SetRegion(GridOperation::kSet, 5, 5, -3, 2, ScriptValue(1.0).Get());
    EXPECT_EQ(Picture(grid), "0 0 0 0/0 0 0 0/1 1 1 1/1 1 1 1");
}

TEST_F(DSGridTest, DisksCoverCellsWithinTheRadius)
{
    struct Case { double xm, ym, r; const char* picture; };
    const Case cases[] = {
        {1.5, 1.5, 0.0, "0 0 0/0 0 0/0 0 0"}, {1.0, 1.0, 0.0, "0 0 0/0 1 0/0 0 0"},
        {1.0, 1.0, 1.0, "0 1 0/1 1 1/0 1 0"}, {0.0, 0.0, 1e300, "1 1 1/1 1 1/1 1 1"},
        {0.0, 0.0, std::nan(""), "0 0 0/0 0 0/0 0 0"},
    };
    for (const Case& c : cases) {
        CDS_Grid grid(3, 3);
        grid.SetDisk(GridOperation::kSet, c.xm, c.ym, c.r, ScriptValue(1.0).Get());
        EXPECT_EQ(Picture(grid), c.picture) << c.xm << "," << c.ym << " r " << c.r;
    }
}

TEST_F(DSGridTest, CombiningFollowsTheKindsOfBothValues)
{
    struct Case { GridOperation operation; ScriptValue cell, value; const char* picture; };
    const Case cases[] = {
        {GridOperation::kAdd, 2.0, 3.0, "5"}, {GridOperation::kAdd, "a", "b", "'ab'"},
        {GridOperation::kAdd, "a", 4.0, "4"}, {GridOperation::kMultiply, 2.0, 3.0, "6"},
        {GridOperation::kMultiply, "a", 3.0, "'a'"}, {GridOperation::kSet, 1.0, "s", "'s'"},
    };
    for (const Case& c : cases) {
        CDS_Grid grid(1, 1);
        Value_Copy(grid.Cell(0, 0), c.cell.Get());
        grid.Set(0, c.operation, 0, 0, c.value.Get());
        EXPECT_EQ(Picture(grid), c.picture);
    }
}

TEST_F(DSGridTest, JoinedStringsAreNotCut)
{
    CDS_Grid grid(1, 1);
    const std::string half(1000, 'x');
    Value_SetString(grid.Cell(0, 0), half.c_str());
    grid.Set(0, GridOperation::kAdd, 0, 0, ScriptValue(half.c_str()).Get());
    EXPECT_EQ(std::string(Value_String(grid.Cell(0, 0))).size(), 2000u);
}

TEST_F(DSGridTest, OutOfBoundsAccessPrintsAndChangesNothing)
{
    CDS_Grid grid(2, 2);
    testing::internal::CaptureStdout();
    EXPECT_EQ(grid.Get(7, 2, 0), nullptr);
    grid.Set(7, GridOperation::kSet, -1, 0, ScriptValue(1.0).Get());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Grid 7, index out of bounds reading [2,0] - size is [2,2]"), std::string::npos);
    EXPECT_NE(log.find("Grid 7, index out of bounds writing [-1,0] - size is [2,2]"), std::string::npos);
    EXPECT_EQ(Picture(grid), "0 0/0 0");
}

TEST_F(DSGridTest, StatisticsConsiderRealsOnly)
{
    CDS_Grid grid(2, 2);
    Value_SetString(grid.Cell(0, 0), "s");
    grid.Cell(1, 0).real = 4;
    grid.Cell(0, 1).real = -2;
    grid.Cell(1, 1).real = 1;
    EXPECT_EQ(grid.GetStatistic(Stat::kSum, 0, 0, 1, 1), 3.0);
    EXPECT_EQ(grid.GetStatistic(Stat::kMax, 0, 0, 1, 1), 4.0);
    EXPECT_EQ(grid.GetStatistic(Stat::kMin, 0, 0, 1, 1), -2.0);
    EXPECT_EQ(grid.GetStatistic(Stat::kMean, 0, 0, 1, 1), 1.0);
    // A region of strings only.
    EXPECT_EQ(grid.GetStatistic(Stat::kMax, 0, 0, 0, 0), -100000000.0);
    EXPECT_EQ(grid.GetStatistic(Stat::kMin, 0, 0, 0, 0), 100000000.0);
    EXPECT_EQ(grid.GetStatistic(Stat::kMean, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(grid.GetDiskStatistic(Stat::kSum, 1, 1, 1), 3.0);
}

TEST_F(DSGridTest, SearchesFindTheFirstCellColumnByColumn)
{
    CDS_Grid grid(3, 3);
    grid.Cell(2, 0).real = 5;
    grid.Cell(1, 2).real = 5;
    int32_t x = -1, y = -1;
    ASSERT_TRUE(grid.FindValue(0, 0, 2, 2, ScriptValue(5.0).Get(), &x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(1, 2));
    EXPECT_FALSE(grid.FindValue(0, 0, 2, 2, ScriptValue(6.0).Get(), &x, &y));
    ASSERT_TRUE(grid.FindValueInDisk(2, 0, 0.5, ScriptValue(5.0).Get(), &x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(2, 0));
}

TEST_F(DSGridTest, CopyingARegionOntoItselfReadsBeforeWriting)
{
    struct Case { int32_t x1, y1, x2, y2, x, y; const char* picture; };
    const Case cases[] = {
        {0, 0, 2, 0, 1, 0, "1 1 2 3/5 6 7 8"},   // right by one
        {1, 0, 3, 0, 0, 0, "2 3 4 4/5 6 7 8"},   // left by one
        {0, 0, 3, 0, 0, 1, "1 2 3 4/1 2 3 4"},   // down a row
        {0, 1, 3, 1, -2, 0, "7 8 3 4/5 6 7 8"},  // a negative target moves the source start
        {0, 0, 3, 1, 3, 1, "1 2 3 4/5 6 7 1"},   // cut at the target's end
    };
    for (const Case& c : cases) {
        CDS_Grid grid(4, 2);
        for (int32_t i = 0; i < 8; ++i) grid.Cell(i % 4, i / 4).real = i + 1;
        grid.SetGridRegion(GridOperation::kSet, grid, c.x1, c.y1, c.x2, c.y2, c.x, c.y);
        EXPECT_EQ(Picture(grid), c.picture) << c.x << "," << c.y;
    }
}

TEST_F(DSGridTest, ResizeKeepsTheCellsThatRemain)
{
    CDS_Grid grid(2, 2);
    grid.Cell(0, 0).real = 1;
    grid.Cell(1, 0).real = 2;
    Value_SetString(grid.Cell(1, 1), "dropped");
    grid.Resize(3, 1);
    EXPECT_EQ(Picture(grid), "1 2 0");
    grid.Resize(-1, 4);
    EXPECT_EQ(grid.Width(), 3);
    EXPECT_FALSE(DS_Grid_SizeAcceptable(65536, 65536));
    EXPECT_FALSE(DS_Grid_SizeAcceptable(1, INT32_MAX));
    EXPECT_TRUE(DS_Grid_SizeAcceptable(0, 5));
}

TEST_F(DSGridTest, SortMovesWholeRowsAndKeepsEqualKeysInOrder)
{
    CDS_Grid grid(2, 5);
    const ScriptValue keys[] = {3.0, "a", 1.0, 3.0, "a"};
    for (int32_t y = 0; y < 5; ++y) {
        Value_Copy(grid.Cell(0, y), keys[y].Get());
        grid.Cell(1, y).real = y;  // the original row number
    }
    grid.Sort(0, true);
    EXPECT_EQ(Picture(grid), "'a' 1/'a' 4/1 2/3 0/3 3");
    grid.Sort(0, false);
    EXPECT_EQ(Picture(grid), "3 0/3 3/1 2/'a' 1/'a' 4");
    grid.Sort(5, true);  // no such column
    EXPECT_EQ(Picture(grid), "3 0/3 3/1 2/'a' 1/'a' 4");
}

TEST_F(DSGridTest, SortOrdersNaNLastAmongReals)
{
    CDS_Grid grid(1, 3);
    for (int32_t y = 0; y < 3; ++y) grid.Cell(0, y).real = std::array{std::nan(""), 2.0, 1.0}[y];
    grid.Sort(0, true);
    EXPECT_TRUE(grid.Cell(0, 0).real == 1.0 && grid.Cell(0, 1).real == 2.0 && std::isnan(grid.Cell(0, 2).real));
}

TEST_F(DSGridTest, AGridWithoutRowsWalksNoColumns)
{
    CDS_Grid grid(INT32_MAX, 0);
    grid.Sort(5, true);
    grid.SetRegion(GridOperation::kSet, 0, 0, INT32_MAX, 0, ScriptValue(1.0).Get());
    grid.SetDisk(GridOperation::kSet, 0, 0, 1e9, ScriptValue(1.0).Get());
    EXPECT_EQ(grid.GetStatistic(Stat::kSum, 0, 0, INT32_MAX, 0), 0.0);
    grid.Resize(INT32_MAX, 0);
    EXPECT_EQ(grid.WriteToString(), "59020000" "FFFFFF7F" "00000000");
}

TEST_F(DSGridTest, ShuffleKeepsEveryCell)
{
    Random_SetSeed(7);
    CDS_Grid grid(3, 3);
    for (int32_t i = 0; i < 9; ++i) grid.Cell(i % 3, i / 3).real = i;
    grid.Shuffle();
    EXPECT_EQ(grid.GetStatistic(Stat::kSum, 0, 0, 2, 2), 36.0);
    CDS_Grid empty(0, 4);
    empty.Shuffle();
}

}  // namespace
}  // namespace bw
