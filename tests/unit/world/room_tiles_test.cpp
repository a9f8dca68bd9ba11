// The tile array of a run-time room: look-ups by id and position, deleting,
// layers and the drawing order.
#include <gtest/gtest.h>

#include <vector>

#include "unit/world/room_fixture.h"

namespace bw::test {
namespace {

// A 16 x 16 tile at (x, y), scaled by 2 horizontally.
RoomTile Tile(float x, float y, float depth)
{
    RoomTile tile;
    tile.x = x;
    tile.y = y;
    tile.width = 16;
    tile.height = 16;
    tile.xscale = 2.0f;
    tile.depth = depth;
    return tile;
}

class RoomTilesTest : public RoomTest {
protected:
    // Adds Tile(x, y, depth); returns its id.
    int32_t Add(float x, float y, float depth) { return tiles.TileAt(tiles.AddTile(Tile(x, y, depth)))->id; }

    std::vector<int32_t> Ids()
    {
        std::vector<int32_t> ids;
        for (int32_t index = 0; index < tiles.TileCount(); ++index) {
            ids.push_back(tiles.TileAt(index)->id);
        }
        return ids;
    }

    CRoom tiles;
};

TEST_F(RoomTilesTest, AddTileTakesTheNextIdAndFindTileFindsIt)
{
    EXPECT_EQ(tiles.FindTile(1), -1);
    EXPECT_EQ(tiles.TileAt(0), nullptr);
    const int32_t first = Add(0, 0, 0);
    const int32_t second = Add(50, 0, 0);
    EXPECT_EQ(first, kFirstTestTileId + 1);
    EXPECT_EQ(second, kFirstTestTileId + 2);
    EXPECT_EQ(tiles.FindTile(second), 1);
    EXPECT_EQ(tiles.FindTile(first), 0);
    EXPECT_EQ(tiles.FindTile(12345), -1);
}

TEST_F(RoomTilesTest, FindingExcludesTheRightAndBottomEdgesDeletingIncludesThem)
{
    struct Case {
        float x;
        float y;
        bool found;
    };
    // The tile covers x 10..42 (16 wide, scale 2) and y 20..36.
    for (const Case& c : {Case{10, 20, true}, Case{41.9f, 35.9f, true}, Case{42, 20, false}, Case{10, 36, false},
                          Case{9.9f, 20, false}}) {
        CRoom room;
        room.AddTile(Tile(10, 20, 5));
        EXPECT_EQ(room.FindTileAt(c.x, c.y, false), c.found ? 0 : -1) << c.x << "," << c.y;
    }
    for (const Case& c : {Case{42, 36, true}, Case{10, 20, true}, Case{42.1f, 36, false}}) {
        CRoom room;
        room.AddTile(Tile(10, 20, 5));
        room.DeleteTilesAt(c.x, c.y, false);
        EXPECT_EQ(room.TileCount(), c.found ? 0 : 1) << c.x << "," << c.y;
    }
}

TEST_F(RoomTilesTest, ForegroundFindsNegativeDepthsButDeletesDepthZeroToo)
{
    Add(0, 0, 0);
    const int32_t front = Add(0, 0, -1);
    Add(0, 0, 1);
    EXPECT_EQ(tiles.FindTileAt(1, 1, true), tiles.FindTile(front));
    EXPECT_EQ(tiles.FindTileAt(1, 1, false), 0);

    tiles.DeleteTilesAt(1, 1, true);
    EXPECT_EQ(Ids(), std::vector<int32_t>{kFirstTestTileId + 3});
}

TEST_F(RoomTilesTest, DeletingKeepsTheOthersInOrder)
{
    const int32_t a = Add(0, 0, 0);
    const int32_t b = Add(100, 0, 0);
    const int32_t c = Add(200, 0, 0);
    tiles.DeleteTile(1);
    tiles.DeleteTile(-1);
    tiles.DeleteTile(2);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{a, c}));
    EXPECT_EQ(tiles.FindTile(b), -1);
    EXPECT_EQ(tiles.FindTile(c), 1);
}

TEST_F(RoomTilesTest, SortPutsTheDeepestFirstAndKeepsEqualDepthsInOrder)
{
    const int32_t ten = Add(0, 0, 10);
    const int32_t five = Add(0, 0, 5);
    const int32_t twenty = Add(0, 0, 20);
    const int32_t otherFive = Add(0, 0, 5);
    const int32_t otherTwenty = Add(0, 0, 20);
    tiles.SortTiles();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{twenty, otherTwenty, ten, five, otherFive}));
}

TEST_F(RoomTilesTest, LayersActOnExactlyOneDepth)
{
    const int32_t a = Add(0, 0, 7);
    const int32_t b = Add(100, 0, 7.5f);
    Add(200, 0, 7);
    tiles.HideTileLayer(7);
    EXPECT_EQ(tiles.TileAt(0)->visible, 0);
    EXPECT_EQ(tiles.TileAt(1)->visible, 1);
    tiles.ShowTileLayer(7);
    EXPECT_EQ(tiles.TileAt(2)->visible, 1);

    tiles.ShiftTileLayer(7, 5, -5);
    EXPECT_FLOAT_EQ(tiles.TileAt(2)->x, 205.0f);
    EXPECT_FLOAT_EQ(tiles.TileAt(1)->x, 100.0f);
    EXPECT_EQ(tiles.FindTileInLayer(7, 206, 11), -1);  // moved up by 5: y from -5 to 11, bottom excluded
    EXPECT_EQ(tiles.FindTileInLayer(7, 206, -5), 2);

    tiles.DeleteTileLayerAt(7, 206, -5);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{a, b}));
    tiles.SetTileLayerDepth(7, 3);
    EXPECT_FLOAT_EQ(tiles.TileAt(0)->depth, 3.0f);
    tiles.DeleteTileLayer(3);
    EXPECT_EQ(Ids(), std::vector<int32_t>{b});
}

TEST_F(RoomTilesTest, ARoomWithoutTilesFindsNothing)
{
    EXPECT_EQ(tiles.FindTileAt(0, 0, false), -1);
    EXPECT_EQ(tiles.FindTileInLayer(0, 0, 0), -1);
    tiles.DeleteTilesAt(0, 0, true);
    tiles.SortTiles();
    EXPECT_EQ(tiles.TileCount(), 0);
}

}  // namespace
}  // namespace bw::test
