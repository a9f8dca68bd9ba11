// Rooms read from packages that bwpack builds, in both of its forms: the
// builder writes ROOM records with its own code, so reader and writer check
// each other. The creation code ends up compiled from text or bound to the
// package's verified code entries.
#include <gtest/gtest.h>

#include <vector>

#include "app/registration.h"
#include "bwpack/package_build.h"
#include "bwpack/project.h"
#include "platform/console.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "unit/world/room_fixture.h"

namespace bw::test {
namespace {

pack::Project TwoRoomProject()
{
    pack::Project project;
    project.header.name = "rooms";
    pack::Object object;
    object.name = "obj_thing";
    object.depth = 5;
    project.objects.push_back(object);

    pack::Room first;
    first.name = "rm_first";
    first.width = 320;
    first.code = pack::CodeText{"score = 7", "rm_first.bwl"};
    pack::RoomInstance placed;
    placed.x = 16;
    placed.id = 100001;
    placed.code = pack::CodeText{"x = 5", "inst.bwl"};
    first.instances = {placed};
    pack::RoomTile tile;
    tile.id = 10000001;
    tile.width = 8;
    tile.height = 8;
    tile.depth = 3;
    first.tiles = {tile};
    first.physics = true;
    first.gravityY = 9.8f;

    pack::Room second;
    second.name = "rm_second";
    project.rooms = {first, second};
    project.roomOrder = {1, 0};
    return project;
}

class RoomPackageTest : public RoomTest, public testing::WithParamInterface<pack::PackageForm> {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        PackageLoader_Reset();
        Console_SetDebugListener([](const char*) {});
        if (Code_Function_Count() == 0) {
            Brackwell_RegisterFunctions();
        }
        Registration_InstallPackageReaders();
    }
    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        CODE_SetVerifier(nullptr);
        PackageLoader_SetHooks({});
        PackageLoader_Reset();
        RoomTest::TearDown();
    }

    bool Load()
    {
        image = pack::Package_Build(TwoRoomProject(), GetParam());
        Package_SetImage(image.data(), image.size());
        return Code_Load() && Runner_ProcessChunks();
    }

    std::vector<uint8_t> image;
};

TEST_P(RoomPackageTest, RoomsLoadAndPrepare)
{
    ASSERT_TRUE(Load()) << CODE_LoadError();
    ASSERT_EQ(Room_Count(), 2);
    EXPECT_EQ(Room_Find("rm_second"), 1);
    const CRoom* room = Room_Get(0);
    EXPECT_EQ(room->width, 320);
    EXPECT_EQ(room->gravityY, 9);
    ASSERT_EQ(room->record->instances.size(), 1u);
    EXPECT_EQ(room->record->tiles.size(), 1u);

    ASSERT_TRUE(Room_Prepare());
    ASSERT_NE(room->code, nullptr);
    EXPECT_TRUE(room->code->compiled);
    const CCode* instanceCode = room->record->instances[0].code.get();
    ASSERT_NE(instanceCode, nullptr);
    EXPECT_TRUE(instanceCode->compiled);
    const bool bytecode = GetParam() == pack::PackageForm::Bytecode;
    EXPECT_EQ(room->code->fromText, !bytecode);
    if (!bytecode) {
        EXPECT_EQ(room->code->name, "Room.rm_first");
        EXPECT_EQ(instanceCode->name, "Instance.rm_first.0");
    }
    EXPECT_EQ(Room_Get(1)->code, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Forms, RoomPackageTest, testing::Values(pack::PackageForm::Text, pack::PackageForm::Bytecode),
                         [](const testing::TestParamInfo<pack::PackageForm>& info) {
                             return info.param == pack::PackageForm::Text ? "Text" : "Bytecode";
                         });

}  // namespace
}  // namespace bw::test
