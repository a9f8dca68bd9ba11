// Run-time rooms: instances by depth, rooms made from templates, the moves
// between the active and deactivated lists, and edits of a room's record.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "script/code_unit.h"
#include "unit/world/room_fixture.h"
#include "world/instance.h"

namespace bw::test {
namespace {

class RoomInstancesTest : public RoomTest {
protected:
    std::vector<CInstance*> ActiveOrder(const CRoom& of) const
    {
        std::vector<CInstance*> order;
        for (CInstance* at = of.activeInstances.First(); at != nullptr; at = at->i_next) {
            order.push_back(at);
        }
        return order;
    }
};

TEST_F(RoomInstancesTest, EqualDepthsKeepArrivalOrderBetweenShallowerAndDeeper)
{
    AddObject(0, -1, 0);
    AddObject(1, -1, -10);
    AddObject(2, -1, 10);
    CRoom fresh;
    CInstance* a = fresh.AddInstance(0, 0, 0);
    CInstance* b = fresh.AddInstance(0, 0, 0);
    CInstance* c = fresh.AddInstance(0, 0, 0);
    CInstance* shallow = fresh.AddInstance(0, 0, 1);
    CInstance* deep = fresh.AddInstance(0, 0, 2);
    EXPECT_EQ(ActiveOrder(fresh), (std::vector<CInstance*>{shallow, a, b, c, deep}));
}

TEST_F(RoomInstancesTest, AddInstanceTakesTheNextIdWhichWrapsInsteadOfOverflowing)
{
    AddObject(0);
    CRoom fresh;
    CInstance* first = fresh.AddInstance(3, 4, 0);
    CInstance* second = fresh.AddInstance(0, 0, 0);
    EXPECT_EQ(first->i_id, kFirstTestInstanceId + 1);
    EXPECT_EQ(second->i_id, kFirstTestInstanceId + 2);
    EXPECT_EQ(Instance_LastId(), kFirstTestInstanceId + 2);
    EXPECT_EQ(Instance_Find(first->i_id), first);
    EXPECT_FLOAT_EQ(first->i_x, 3.0f);
    Instance_SetLastId(INT32_MAX);
    EXPECT_EQ(Instance_NextId(), INT32_MIN);
}

TEST_F(RoomInstancesTest, EnteringARoomMakesItsRecordsInstancesAndTiles)
{
    AddObject(0);
    TestRoom plan;
    plan.code = "r = 1";
    TestInstance placed = Placed(0, 300001, "v = 1");
    placed.x = 10;
    placed.y = 20;
    placed.xscale = 2.0f;
    placed.yscale = 0.5f;
    placed.colour = 0x80112233u;
    placed.rotation = 45.0f;
    plan.instances = {placed, Placed(-1, 300002)};
    TestTile written = TileWithId(9);
    written.x = 5;
    written.y = 6;
    written.depth = 100;
    written.colour = 0x33ABCDEFu;
    plan.tiles = {written};
    const CRoom* templ = LoadOne(plan);
    ASSERT_NE(templ, nullptr);

    CRoom entered;
    entered.CreateInstances(templ, true);
    ASSERT_EQ(entered.activeInstances.Count(), 1);  // object -1 makes nothing
    CInstance* instance = entered.activeInstances.First();
    EXPECT_EQ(instance->i_id, 300001);
    EXPECT_EQ(Instance_Find(300001), instance);
    EXPECT_EQ(Instance_Find(300002), nullptr);
    EXPECT_FLOAT_EQ(instance->i_x, 10.0f);
    EXPECT_FLOAT_EQ(instance->i_imagescalex, 2.0f);
    EXPECT_FLOAT_EQ(instance->i_imagescaley, 0.5f);
    EXPECT_EQ(instance->i_imageblend, 0x112233);
    EXPECT_FLOAT_EQ(instance->i_imagealpha, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(instance->i_imageangle, 45.0f);
    EXPECT_EQ(instance->i_creationcode, templ->record->instances[0].code.get());
    EXPECT_EQ(entered.code, templ->code);

    ASSERT_EQ(entered.TileCount(), 1);
    const RoomTile* tile = entered.TileAt(0);
    EXPECT_FLOAT_EQ(tile->depth, 100.0f);
    EXPECT_EQ(tile->id, 9);
    EXPECT_EQ(tile->blend, 0xABCDEFu);
    EXPECT_FLOAT_EQ(tile->alpha, 0x33 / 255.0f);
    EXPECT_EQ(tile->visible, 1);
}

TEST_F(RoomInstancesTest, CopyOfAPackageTemplateReadsNoTilesUntilEntered)
{
    TestRoom plan;
    plan.tiles = {TileWithId(1), TileWithId(2)};
    ASSERT_NE(LoadOne(plan), nullptr);
    const int32_t copy = Room_Duplicate(0);
    ASSERT_EQ(copy, 1);
    EXPECT_EQ(Room_Get(copy)->TileCount(), 0);
    CRoom entered;
    entered.CreateInstances(Room_Get(copy), true);
    EXPECT_EQ(entered.TileCount(), 2);
}

TEST_F(RoomInstancesTest, CopyCarriesTheSourcesOwnInstancesWithTheirIds)
{
    AddObject(0);
    CRoom source;
    CInstance* active = source.AddInstance(1, 2, 0);
    CInstance* asleep = source.AddInstance(3, 4, 0);
    asleep->i_deactivated = 1;
    source.ReactivateInstances();

    CRoom copy;
    copy.CreateInstances(&source, false);
    ASSERT_EQ(copy.activeInstances.Count(), 1);
    ASSERT_EQ(copy.deactivatedInstances.Count(), 1);
    EXPECT_EQ(copy.activeInstances.First()->i_id, active->i_id);
    EXPECT_EQ(copy.deactivatedInstances.First()->i_id, asleep->i_id);
    EXPECT_NE(copy.activeInstances.First(), active);
}

TEST_F(RoomInstancesTest, SweepDestroysMarkedActiveInstancesOnlyAndDestroyFindsEitherList)
{
    AddObject(0);
    CRoom fresh;
    CInstance* kept = fresh.AddInstance(0, 0, 0);
    CInstance* marked = fresh.AddInstance(0, 0, 0);
    CInstance* asleep = fresh.AddInstance(0, 0, 0);
    const int32_t markedId = marked->i_id;
    marked->i_marked = 1;
    asleep->i_deactivated = 1;
    fresh.ReactivateInstances();
    asleep->i_marked = 1;
    fresh.DestroyMarkedInstances();
    EXPECT_EQ(fresh.activeInstances.Count(), 1);
    EXPECT_EQ(fresh.activeInstances.First(), kept);
    EXPECT_EQ(Instance_Find(markedId), nullptr);
    EXPECT_EQ(fresh.deactivatedInstances.Count(), 1);
    const int32_t asleepId = asleep->i_id;
    fresh.DestroyInstance(asleep);
    EXPECT_EQ(fresh.deactivatedInstances.Count(), 0);
    EXPECT_EQ(Instance_Find(asleepId), nullptr);
}

TEST_F(RoomInstancesTest, ReactivationMovesInstancesBothWaysAndEmptiesTheQueue)
{
    CObject* object = AddObject(0);
    CRoom fresh;
    CInstance* instance = fresh.AddInstance(0, 0, 0);
    instance->i_deactivated = 1;
    EXPECT_TRUE(InstanceArray_AddUnique(instance));
    EXPECT_FALSE(InstanceArray_AddUnique(instance));
    fresh.ReactivateInstances();
    EXPECT_EQ(fresh.activeInstances.Count(), 0);
    EXPECT_TRUE(fresh.deactivatedInstances.Contains(instance));
    EXPECT_EQ(object->instances.Count(), 0);
    EXPECT_EQ(Room_ActivationQueue().Count(), 0);

    instance->i_deactivated = 0;
    fresh.ReactivateInstances();
    EXPECT_TRUE(fresh.activeInstances.Contains(instance));
    EXPECT_EQ(object->instances.Count(), 1);
}

TEST_F(RoomInstancesTest, RecordEditsGiveTheEditedRoomARecordOfItsOwn)
{
    TestRoom plan;
    plan.instances = {Placed(0, 300001)};
    ASSERT_NE(LoadOne(plan), nullptr);
    CRoom entered;
    entered.CreateInstances(Room_Get(0), true);
    const std::shared_ptr<RoomRecord> playing = entered.record;

    const int32_t id = Room_Get(0)->AddInstanceRecord(12.9, -3.7, 0);
    EXPECT_EQ(id, kFirstTestInstanceId + 1);
    ASSERT_EQ(Room_Get(0)->record->instances.size(), 2u);
    EXPECT_EQ(Room_Get(0)->record->instances[1].x, 12);
    EXPECT_EQ(Room_Get(0)->record->instances[1].y, -3);
    EXPECT_EQ(Room_Get(0)->record->instances[1].colour, 0xFFFFFFFFu);
    EXPECT_EQ(playing->instances.size(), 1u);
    EXPECT_EQ(entered.record, playing);

    Room_Get(0)->ClearInstanceRecords();
    EXPECT_TRUE(Room_Get(0)->record->instances.empty());
    EXPECT_EQ(playing->instances.size(), 1u);
}

TEST_F(RoomInstancesTest, TileRecordWithAlphaCarriesItInTheColoursTopByte)
{
    CRoom fresh;
    const int32_t plain = fresh.AddTileRecord(1, 2, 3, 4, 5, 6, 7, 8, 1.0f, 1.0f, 0xFFFFFFFFu);
    const int32_t faded = fresh.AddTile(1, 2, 3, 4, 5, 6, 7, 8, 2.0f, 3.0f, 0x00FF00u, 0.5f);
    EXPECT_EQ(plain, kFirstTestTileId + 1);
    EXPECT_EQ(faded, kFirstTestTileId + 2);
    ASSERT_EQ(fresh.record->tiles.size(), 2u);
    const RoomTileEntry& entry = fresh.record->tiles[1];
    EXPECT_EQ(entry.colour, 0x8000FF00u);
    EXPECT_EQ(entry.x, 6);
    EXPECT_EQ(entry.depth, 8);
    EXPECT_FLOAT_EQ(entry.yscale, 3.0f);
}

TEST_F(RoomInstancesTest, AlphaByteIsClampedAndNaNIsTransparent)
{
    EXPECT_EQ(RoomRecord_AlphaByte(-1.0f), 0u);
    EXPECT_EQ(RoomRecord_AlphaByte(std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(RoomRecord_AlphaByte(2.0f), 255u);
    EXPECT_EQ(RoomRecord_AlphaByte(1.0f / 255.0f), 1u);
}

TEST_F(RoomInstancesTest, BackgroundsScrollBySpeed)
{
    CRoom fresh;
    fresh.backgrounds[2].hspeed = 1.5f;
    fresh.backgrounds[2].vspeed = -2.0f;
    fresh.ScrollBackgrounds();
    fresh.ScrollBackgrounds();
    EXPECT_FLOAT_EQ(fresh.backgrounds[2].x, 3.0f);
    EXPECT_FLOAT_EQ(fresh.backgrounds[2].y, -4.0f);
    EXPECT_FLOAT_EQ(fresh.backgrounds[0].x, 0.0f);
}

TEST_F(RoomInstancesTest, SetCodeCompilesTheNewTextAndReportsAFailureLeavingNoCode)
{
    CRoom fresh;
    fresh.SetName("rm");
    ASSERT_TRUE(fresh.SetCode("score = 3"));
    ASSERT_NE(fresh.code, nullptr);
    EXPECT_TRUE(fresh.code->compiled);
    EXPECT_EQ(fresh.code->name, "Room.rm");
    EXPECT_EQ(fresh.codeText, "score = 3");

    EXPECT_TRUE(fresh.SetCode(""));
    EXPECT_EQ(fresh.code, nullptr);
    ASSERT_TRUE(fresh.SetCode("score = 3"));
    EXPECT_FALSE(fresh.SetCode("score = = ;"));
    EXPECT_EQ(fresh.code, nullptr);
    ASSERT_NE(Code_Error_LastText(), nullptr);
    EXPECT_NE(std::string(Code_Error_LastText()).find("COMPILATION ERROR in room script\n"), std::string::npos);
}

}  // namespace
}  // namespace bw::test
