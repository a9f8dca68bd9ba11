// Reading room templates from ROOM chunks, including chunks that lie.
#include <gtest/gtest.h>

#include "script/code_unit.h"
#include "unit/world/room_fixture.h"

namespace bw::test {
namespace {

bool Background256(int32_t index, int32_t* width, int32_t* height)
{
    if (index != 3) {
        return false;
    }
    *width = 256;
    *height = 256;
    return true;
}

class RoomChunkTest : public RoomTest {};

TEST_F(RoomChunkTest, ReadsTheRoomSettings)
{
    TestRoom plan;
    plan.name = "rm_start";
    plan.caption = "Hello";
    plan.width = 800;
    plan.height = 600;
    plan.speed = 60;
    plan.viewXs = {5, 7};
    const CRoom* room = LoadOne(plan);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->name, "rm_start");
    EXPECT_EQ(room->caption, "Hello");
    EXPECT_EQ(room->width, 800);
    EXPECT_EQ(room->height, 600);
    EXPECT_EQ(room->speed, 60);
    EXPECT_EQ(room->colour, 0x123456u);
    EXPECT_EQ(room->views[1].xview, 7);
    EXPECT_EQ(room->views[1].wport, 320);
    EXPECT_EQ(room->views[2].wview, 640);  // beyond the list: defaults
    EXPECT_STREQ(Room_GetName(0), "rm_start");
}

TEST_F(RoomChunkTest, StretchedBackgroundScalesToTheRoom)
{
    World_ResourceLookups().backgroundSize = &Background256;
    TestRoom plan;
    plan.width = 1024;
    plan.height = 768;
    plan.backgrounds = {Background(3, 1), Background(3, 0), Background(4, 1)};
    const CRoom* room = LoadOne(plan);
    ASSERT_NE(room, nullptr);
    EXPECT_FLOAT_EQ(room->backgrounds[0].xscale, 4.0f);
    EXPECT_FLOAT_EQ(room->backgrounds[0].yscale, 3.0f);
    EXPECT_FLOAT_EQ(room->backgrounds[1].xscale, 1.0f);
    EXPECT_FLOAT_EQ(room->backgrounds[2].xscale, 1.0f);  // no such background
}

TEST_F(RoomChunkTest, GravityIsTruncatedToWholeNumbers)
{
    TestRoom plan;
    plan.physics = 1;
    plan.gravityX = -2.7f;
    plan.gravityY = 9.8f;
    plan.pixelsToMetres = 0.05f;
    const CRoom* room = LoadOne(plan);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->physicsEnabled, 1);
    EXPECT_EQ(room->gravityX, -2);
    EXPECT_EQ(room->gravityY, 9);
    EXPECT_FLOAT_EQ(room->pixelsToMetres, 0.05f);
}

TEST_F(RoomChunkTest, FormatsBeforeSixHaveNoPhysicsSettings)
{
    Package().header.format = 5;
    TestRoom plan;
    plan.physics = 1;
    const CRoom* room = LoadOne(plan);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->physicsEnabled, 0);
}

TEST_F(RoomChunkTest, EmptySlotsHoldNoRoom)
{
    RoomImage image;
    image.Add(std::nullopt);
    image.Add(TestRoom{});
    image.Finish();
    ASSERT_TRUE(image.Load());
    EXPECT_EQ(Room_Count(), 2);
    EXPECT_FALSE(Room_Exists(0));
    EXPECT_STREQ(Room_GetName(0), "<undefined>");
    EXPECT_TRUE(Room_Exists(1));
}

TEST_F(RoomChunkTest, TemplateKeepsItsEntriesInItsRecordNotAsTiles)
{
    TestRoom plan;
    plan.instances = {Placed(0, 300001, "x = 1")};
    plan.tiles = {TileWithId(7), TileWithId(8)};
    const CRoom* room = LoadOne(plan);
    ASSERT_NE(room, nullptr);
    ASSERT_NE(room->record, nullptr);
    EXPECT_EQ(room->record->instances.size(), 1u);
    EXPECT_EQ(room->record->tiles.size(), 2u);
    EXPECT_EQ(room->TileCount(), 0);
    EXPECT_EQ(room->activeInstances.Count(), 0);
    ASSERT_NE(room->record->instances[0].code, nullptr);
    EXPECT_EQ(room->record->instances[0].code->text, "x = 1");
}

TEST_F(RoomChunkTest, OnlyEightBackgroundsAndViewsAreRead)
{
    TestRoom plan;
    plan.backgrounds.resize(9);
    plan.backgrounds[7].x = 77;
    plan.viewXs = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    RoomImage image;
    const WrittenRoom written = image.Add(plan);
    image.Finish();
    // The ninth background entry points past the end of the file: reading
    // it would fail the load.
    image.Writer().Patch(written.backgroundList + 4 + 8 * 4, 0xFFFFFF00u);
    ASSERT_TRUE(image.Load());
    const CRoom* room = Room_Get(0);
    EXPECT_FLOAT_EQ(room->backgrounds[7].x, 77.0f);
    EXPECT_EQ(room->views[7].xview, 7);
}

// Each case spoils one offset or count of an otherwise good room.
struct BadRecordCase {
    const char* what;
    uint32_t (*where)(const WrittenRoom& room);  // offset of the word to spoil
    uint32_t value;
};

class RoomChunkBadRecordTest : public RoomTest, public testing::WithParamInterface<BadRecordCase> {};

TEST_P(RoomChunkBadRecordTest, IsALoadErrorThatLeavesNoRooms)
{
    TestRoom plan;
    plan.caption = "c";
    plan.code = "a = 1";
    plan.backgrounds = {TestBackground{}};
    plan.instances = {Placed(0, 0, "b = 2")};
    plan.tiles = {TestTile{}};
    RoomImage image;
    image.Add(TestRoom{});
    const WrittenRoom written = image.Add(plan);
    image.Finish();
    image.Writer().Patch(GetParam().where(written), GetParam().value);
    EXPECT_FALSE(image.Load());
    EXPECT_EQ(Room_Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Spoiled, RoomChunkBadRecordTest,
    testing::Values(BadRecordCase{"name", [](const WrittenRoom& r) { return r.record; }, 0x7FFFFFF0u},
                    BadRecordCase{"caption", [](const WrittenRoom& r) { return r.record + 4; }, 0xFFFFFFF0u},
                    BadRecordCase{"code", [](const WrittenRoom& r) { return r.record + 32; }, 0x10000000u},
                    BadRecordCase{"background_list", [](const WrittenRoom& r) { return r.record + 40; }, 0xFFFFu},
                    BadRecordCase{"view_list", [](const WrittenRoom& r) { return r.record + 44; }, 0xFFFFFFFFu},
                    BadRecordCase{"instance_list", [](const WrittenRoom& r) { return r.record + 48; }, 0x00FFFFFFu},
                    BadRecordCase{"tile_list", [](const WrittenRoom& r) { return r.record + 52; }, 0x80000000u},
                    BadRecordCase{"background_count",
                                  [](const WrittenRoom& r) { return r.backgroundList; }, 0x40000000u},
                    BadRecordCase{"instance_count", [](const WrittenRoom& r) { return r.instanceList; },
                                  0xFFFFFFFFu},
                    BadRecordCase{"instance_code", [](const WrittenRoom& r) { return r.instanceEntries[0] + 16; },
                                  0xFFFFFF00u},
                    BadRecordCase{"tile_entry", [](const WrittenRoom& r) { return r.tileList + 4; },
                                  0xFFFFFFF0u}),
    [](const testing::TestParamInfo<BadRecordCase>& info) { return std::string(info.param.what); });

TEST_F(RoomChunkTest, RecordRunningPastTheEndIsALoadError)
{
    RoomImage image;
    image.Add(TestRoom{});
    image.Finish();
    // The chunk's list is the last thing in the image: point the room at
    // its final word, so that the 88-byte record runs off the end.
    image.Writer().Patch(image.Writer().Here() - 4, image.Writer().Here() - 4);
    EXPECT_FALSE(image.Load());
}

}  // namespace
}  // namespace bw::test
