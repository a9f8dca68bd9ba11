#include "world/mp_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "unit/world/world_fixture.h"
#include "world/mp_queue.h"

namespace bw {
namespace {

constexpr int32_t kCell = 10;

class GridTest : public test::WorldTest {
protected:
    void TearDown() override
    {
        CGrid_FreeAll();
        WorldTest::TearDown();
    }

    // A grid of 10-pixel cells at the room's origin.
    int32_t MakeGrid(int32_t columns, int32_t rows) { return CGrid_Create(0, 0, columns, rows, kCell, kCell); }

    static int32_t CentreOf(int32_t cell) { return cell * kCell + kCell / 2; }

    static std::set<std::pair<int32_t, int32_t>> BlockedCells(int32_t id)
    {
        const CGrid* grid = CGrid_Get(id);
        std::set<std::pair<int32_t, int32_t>> blocked;
        for (int32_t column = 0; column < grid->HorizontalCells(); ++column) {
            for (int32_t row = 0; row < grid->VerticalCells(); ++row) {
                if (grid->GetCell(column, row) == kGridCellBlocked) {
                    blocked.insert({column, row});
                }
            }
        }
        return blocked;
    }
};

using Cells = std::set<std::pair<int32_t, int32_t>>;

// ---- the table ----

TEST_F(GridTest, CreationRefusesSizesThatMakeNoGrid)
{
    struct Case {
        int32_t left, top, columns, rows, width, height;
    };
    const Case refused[] = {
        {0, 0, 4, 4, 0, 10},
        {0, 0, 4, 4, 10, 0},
        {0, 0, 4, 4, -10, 10},
        {0, 0, -4, 4, 10, 10},
        {0, 0, 4, -1, 10, 10},
        {0, 0, 70000, 70000, 1, 1},              // more cells than one grid may hold
        {0, 0, 2147483647, 2, 1, 1},             // the product overflows 32 bits
        {0, 0, 3, 3, 1000000000, 1},             // the right edge passes 32 bits
        {2000000000, 0, 2, 2, 100000000, 1},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(CGrid_Create(c.left, c.top, c.columns, c.rows, c.width, c.height), -1)
            << c.left << " " << c.top << " " << c.columns << "x" << c.rows << " of " << c.width << "x" << c.height;
    }
    EXPECT_EQ(CGrid_Get(0), nullptr);
    // Edges that still fit in 32 bits are fine; so is a grid without cells.
    EXPECT_EQ(CGrid_Create(0, -2147483647, 2, 2, 1, 1000000000), 0);
    EXPECT_EQ(CGrid_Create(0, 0, 0, 0, 1, 1), 1);
}

TEST_F(GridTest, DestroyedSlotIsReusedFirst)
{
    EXPECT_EQ(MakeGrid(2, 2), 0);
    EXPECT_EQ(MakeGrid(2, 2), 1);
    EXPECT_EQ(MakeGrid(2, 2), 2);
    CGrid_Destroy(1);
    EXPECT_EQ(CGrid_Get(1), nullptr);
    EXPECT_EQ(MakeGrid(3, 3), 1);
    EXPECT_EQ(CGrid_Get(1)->HorizontalCells(), 3);
    EXPECT_EQ(MakeGrid(2, 2), 3);
}

TEST_F(GridTest, IdsThatNameNoGridAreIgnored)
{
    MP_Route route{{1, 2}};
    for (int32_t id : {-1, 0, 5}) {
        CGrid_AddCell(id, 0, 0);
        CGrid_AddRectangle(id, 0, 0, 5, 5);
        CGrid_ClearAll(id);
        CGrid_Destroy(id);
        EXPECT_FALSE(CGrid_Path(id, route, 1, 1, 2, 2, true));
    }
    EXPECT_EQ(route.size(), 1u);
}

// ---- editing cells ----

TEST_F(GridTest, CellsOutsideTheGridAreIgnored)
{
    const int32_t id = MakeGrid(3, 2);
    CGrid_AddCell(id, 2, 1);
    CGrid_AddCell(id, 3, 0);
    CGrid_AddCell(id, -1, 0);
    CGrid_AddCell(id, 0, 2);
    EXPECT_EQ(BlockedCells(id), (Cells{{2, 1}}));
    CGrid_ClearCell(id, 2, 1);
    EXPECT_TRUE(BlockedCells(id).empty());
}

TEST_F(GridTest, RectanglesCoverTheirCellsInAnyCornerOrderClippedToTheGrid)
{
    const int32_t id = MakeGrid(5, 5);
    CGrid_AddRectangle(id, 35, 19, 15, 10);      // columns 1..3, row 1
    CGrid_AddRectangle(id, 42, 42, 1000, 1000);  // clipped to the last cell
    EXPECT_EQ(BlockedCells(id), (Cells{{1, 1}, {2, 1}, {3, 1}, {4, 4}}));
    CGrid_ClearRectangle(id, -100, -100, 1000, 1000);
    EXPECT_TRUE(BlockedCells(id).empty());
}

TEST_F(GridTest, RectangleWhollyLeftOrAboveTheGridBlocksNothing)
{
    const int32_t id = CGrid_Create(100, 100, 4, 4, kCell, kCell);
    CGrid_AddRectangle(id, 91, 100, 99, 130);  // the 9 pixels just left of the grid
    CGrid_AddRectangle(id, 100, 95, 130, 99);  // just above it
    EXPECT_TRUE(BlockedCells(id).empty());
    CGrid_AddRectangle(id, 91, 100, 100, 100);  // touching the grid's first column
    EXPECT_EQ(BlockedCells(id), (Cells{{0, 0}}));
}

TEST_F(GridTest, InstancesBlockTheCellsUnderTheirBox)
{
    SpriteInfo box;
    box.frameCount = 1;
    box.width = 15;
    box.height = 5;
    box.bboxRight = 14;
    box.bboxBottom = 4;
    test::FakeSprites()[0] = box;
    AddObject(0, 0);
    CInstance* instance = AddInstance(0);
    instance->SetPosition(12, 21);  // box 12..26 x 21..25: columns 1..2, row 2
    CInstance* spriteless = AddInstance(1);
    spriteless->SetPosition(35, 35);
    for (bool precise : {false, true}) {
        const int32_t id = MakeGrid(5, 5);
        CGrid_AddInstance(id, instance, precise);
        CGrid_AddInstance(id, spriteless, precise);
        CGrid_AddInstance(id, nullptr, precise);
        EXPECT_EQ(BlockedCells(id), (Cells{{1, 2}, {2, 2}})) << precise;
        CGrid_Destroy(id);
    }
}

// ---- searching ----

TEST_F(GridTest, PathRunsFromTheExactStartThroughCellCentresToTheExactGoal)
{
    struct Case {
        int32_t xs, ys, xg, yg;
        std::vector<std::pair<float, float>> expected;
    };
    const Case cases[] = {
        {1, 2, 38, 9, {{1, 2}, {15, 5}, {25, 5}, {38, 9}}},
        {1, 2, 8, 7, {{1, 2}, {8, 7}}},  // start and goal in one cell
    };
    const int32_t id = MakeGrid(4, 1);
    for (const Case& c : cases) {
        MP_Route route;
        ASSERT_TRUE(CGrid_Path(id, route, c.xs, c.ys, c.xg, c.yg, false));
        ASSERT_EQ(route.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(route[i].x, c.expected[i].first) << i;
            EXPECT_EQ(route[i].y, c.expected[i].second) << i;
        }
    }
}

TEST_F(GridTest, WithoutDiagonalsAWallCornerIsWalkedRoundInOrthogonalSteps)
{
    // .....
    // .###.
    // .#...
    // .#.G.
    const int32_t id = MakeGrid(5, 4);
    for (auto [column, row] : {std::pair{1, 1}, {2, 1}, {3, 1}, {1, 2}, {1, 3}}) {
        CGrid_AddCell(id, column, row);
    }
    MP_Route route;
    ASSERT_TRUE(CGrid_Path(id, route, CentreOf(0), CentreOf(3), CentreOf(3), CentreOf(3), false));
    for (size_t i = 1; i < route.size(); ++i) {
        const float dx = std::abs(route[i].x - route[i - 1].x);
        const float dy = std::abs(route[i].y - route[i - 1].y);
        EXPECT_TRUE((dx == kCell && dy == 0) || (dx == 0 && dy == kCell)) << "step " << i;
    }
    // Up the left side, along the top, down the right and back: 11 moves.
    EXPECT_EQ(route.size(), 12u);
}

TEST_F(GridTest, DiagonalsShortenTheWayAcrossOpenGround)
{
    const int32_t id = MakeGrid(6, 6);
    MP_Route straight;
    MP_Route diagonal;
    ASSERT_TRUE(CGrid_Path(id, straight, CentreOf(0), CentreOf(0), CentreOf(5), CentreOf(5), false));
    ASSERT_TRUE(CGrid_Path(id, diagonal, CentreOf(0), CentreOf(0), CentreOf(5), CentreOf(5), true));
    EXPECT_EQ(straight.size(), 11u);
    EXPECT_EQ(diagonal.size(), 6u);
}

TEST_F(GridTest, DiagonalBetweenTwoBlockedCellsIsNeverTaken)
{
    // S#
    // #G
    const int32_t id = MakeGrid(2, 2);
    CGrid_AddCell(id, 1, 0);
    CGrid_AddCell(id, 0, 1);
    MP_Route route;
    EXPECT_FALSE(CGrid_Path(id, route, CentreOf(0), CentreOf(0), CentreOf(1), CentreOf(1), true));
}

// The flood never crosses a blocked corner; neither may the way back, which
// can meet a cell one step nearer the start that touches this one only
// across a blocked corner. Here (3,5) is such a cell for (4,4):
//   0 1 2 3 4 5
// 0 . . . # . .
// 1 . . . . . .
// 2 # . . # # .
// 3 # . . . . .
// 4 . S # . . .
// 5 # . . . # G
TEST_F(GridTest, TheWayBackNeverSlipsPastABlockedCorner)
{
    const int32_t id = MakeGrid(6, 6);
    for (auto [column, row] : {std::pair{0, 2}, {0, 3}, {0, 5}, {2, 4}, {3, 0}, {3, 2}, {4, 2}, {4, 5}}) {
        CGrid_AddCell(id, column, row);
    }
    const CGrid* grid = CGrid_Get(id);
    MP_Route route;
    ASSERT_TRUE(CGrid_Path(id, route, CentreOf(1), CentreOf(4), CentreOf(5), CentreOf(5), true));
    for (size_t i = 1; i < route.size(); ++i) {
        const int32_t c0 = static_cast<int32_t>(route[i - 1].x) / kCell;
        const int32_t r0 = static_cast<int32_t>(route[i - 1].y) / kCell;
        const int32_t c1 = static_cast<int32_t>(route[i].x) / kCell;
        const int32_t r1 = static_cast<int32_t>(route[i].y) / kCell;
        ASSERT_TRUE(std::abs(c1 - c0) <= 1 && std::abs(r1 - r0) <= 1) << "step " << i;
        EXPECT_NE(grid->GetCell(c1, r1), kGridCellBlocked) << "step " << i;
        EXPECT_NE(grid->GetCell(c1, r0), kGridCellBlocked) << "step " << i;
        EXPECT_NE(grid->GetCell(c0, r1), kGridCellBlocked) << "step " << i;
    }
    EXPECT_EQ(route.size(), 7u);  // still one of the shortest ways: six moves
}

TEST_F(GridTest, BlockedOrOutsideEndsFailAndLeaveTheRouteAlone)
{
    const int32_t id = MakeGrid(4, 4);
    CGrid_AddCell(id, 3, 3);
    const MP_Route before{{7, 7}};
    struct Case {
        int32_t xs, ys, xg, yg;
    };
    const Case cases[] = {
        {5, 5, 35, 35},   // goal blocked
        {35, 35, 5, 5},   // start blocked
        {-1, 5, 5, 5},    // start left of the grid
        {5, 5, 40, 5},    // goal just past the right edge
        {5, 5, 5, 40},
    };
    for (const Case& c : cases) {
        MP_Route route = before;
        EXPECT_FALSE(CGrid_Path(id, route, c.xs, c.ys, c.xg, c.yg, true));
        ASSERT_EQ(route.size(), 1u);
        EXPECT_EQ(route[0].x, 7);
    }
}

TEST_F(GridTest, UnreachableGoalFailsAndLeavesOnlyFreeAndBlockedCells)
{
    const int32_t id = MakeGrid(5, 5);
    CGrid_AddRectangle(id, 20, 0, 29, 49);  // a wall down column 2
    MP_Route route;
    EXPECT_FALSE(CGrid_Path(id, route, 5, 5, 45, 45, true));
    EXPECT_TRUE(route.empty());
    ASSERT_TRUE(CGrid_Path(id, route, 5, 5, 15, 45, true));

    std::set<uint32_t> colours;
    static std::vector<uint32_t>* painted;
    std::vector<uint32_t> seen;
    painted = &seen;
    CGrid_Draw(id, [](float, float, float, float, uint32_t colour) { painted->push_back(colour); });
    colours.insert(seen.begin(), seen.end());
    EXPECT_EQ(seen.size(), 25u);
    EXPECT_EQ(colours, (std::set<uint32_t>{kGridColourBlocked, kGridColourFree}));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kGridColourBlocked), 5);
}

TEST_F(GridTest, DrawPaintsEachCellItsFullRectangle)
{
    const int32_t id = CGrid_Create(3, 4, 2, 1, 10, 20);
    CGrid_AddCell(id, 1, 0);
    struct Rect {
        float x1, y1, x2, y2;
        uint32_t colour;
    };
    static std::vector<Rect>* painted;
    std::vector<Rect> seen;
    painted = &seen;
    CGrid_Draw(id, [](float x1, float y1, float x2, float y2, uint32_t colour) {
        painted->push_back({x1, y1, x2, y2, colour});
    });
    ASSERT_EQ(seen.size(), 2u);
    const Rect expected[] = {{3, 4, 13, 24, kGridColourFree}, {13, 4, 23, 24, kGridColourBlocked}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(std::tie(seen[i].x1, seen[i].y1, seen[i].x2, seen[i].y2, seen[i].colour),
                  std::tie(expected[i].x1, expected[i].y1, expected[i].x2, expected[i].y2, expected[i].colour)) << i;
    }
}

// ---- the queue ----

TEST_F(GridTest, QueueGrowsByDoublingAndKeepsItsOrderAcrossTheWrap)
{
    MPQueue_Free();
    EXPECT_EQ(MPQueue_Capacity(), -1);
    EXPECT_EQ(MPQueue_Pop(), -1);
    MPQueue_Reset();
    // Move the head along so that the contents wrap before the ring grows.
    for (int32_t i = 0; i < 3000; ++i) {
        MPQueue_Push(-2);
        EXPECT_EQ(MPQueue_Pop(), -2);
    }
    EXPECT_EQ(MPQueue_Capacity(), 4096);
    for (int32_t i = 0; i < 10000; ++i) {
        MPQueue_Push(i);
    }
    EXPECT_EQ(MPQueue_Capacity(), 16384);
    EXPECT_EQ(MPQueue_Count(), 10000);
    for (int32_t i = 0; i < 10000; ++i) {
        ASSERT_EQ(MPQueue_Pop(), i);
    }
    EXPECT_EQ(MPQueue_Pop(), -1);
    MPQueue_Reset();
    EXPECT_EQ(MPQueue_Capacity(), 16384);  // the ring is kept for the next search
}

TEST_F(GridTest, LargeSearchFindsTheFarCorner)
{
    const int32_t id = CGrid_Create(0, 0, 400, 300, 1, 1);
    CGrid_AddRectangle(id, 200, 1, 200, 299);  // a wall with a gap at the top
    MP_Route route;
    ASSERT_TRUE(CGrid_Path(id, route, 0, 299, 399, 299, false));
    // 299 up to the gap, 399 across, 299 down: 997 moves.
    EXPECT_EQ(route.size(), 998u);
}

TEST_F(GridTest, GridFarLeftStillFindsItsCellCentres)
{
    // The fourth column's offset, 2 400 000 000, is past 32 bits.
    const int32_t id = CGrid_Create(-2000000000, 0, 5, 1, 800000000, 10);
    ASSERT_GE(id, 0);
    MP_Route route;
    ASSERT_TRUE(CGrid_Path(id, route, -2000000000, 5, 1999999999, 5, false));
    ASSERT_EQ(route.size(), 5u);          // start, three centres, goal
    EXPECT_EQ(route[3].x, 800000000.0f);  // the centre of the fourth column
}

}  // namespace
}  // namespace bw
