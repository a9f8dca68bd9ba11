// Objects built by bwpack in both package forms and read back by the
// runner's loader: the package builder writes OBJT with its own code, so the
// two sides check each other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/registration.h"
#include "app/startup.h"
#include "bwpack/package_build.h"
#include "bwpack/project.h"
#include "platform/package_loader.h"
#include "script/code_chunks.h"
#include "world/event.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/variable_access.h"

namespace bw::test {
namespace {

class ObjectPackageTest : public ::testing::TestWithParam<pack::PackageForm> {
protected:
    void TearDown() override
    {
        ObjectLists_Free();
        Object_FreeAll();
        CODE_Clear();
        Variable_FreeAll();
        PackageLoader_Reset();
    }

    // A wall that draws, and a player with a physics shape and five events,
    // one of them a collision with the wall.
    static pack::Project Project()
    {
        pack::Project project;
        project.header.name = "objects";
        const auto event = [](int32_t type, int32_t number, const char* key) {
            return pack::Event{type, number, key, pack::CodeText{"x = 1;", key}};
        };
        pack::Object wall;
        wall.name = "obj_wall";
        wall.events = {event(kEventDraw, 0, "draw")};
        pack::Object player;
        player.name = "obj_player";
        player.depth = -1;
        player.physics.enabled = true;
        player.physics.points = {{0.0f, 0.0f}, {6.0f, 0.0f}};
        player.events = {event(kEventCreate, 0, "create"), event(kEventAlarm, 0, "alarm:0"),
                         event(kEventStep, 0, "step"), event(kEventCollision, 0, "collision:obj_wall"),
                         event(kEventKeyboard, 37, "keyboard:vk_left")};
        project.objects = {wall, player};
        return project;
    }

    void LoadObjects()
    {
        package = pack::Package_Build(Project(), GetParam());
        Brackwell_EarlyInit();
        Registration_InstallPackageReaders();
        Package_SetImage(package.data(), package.size());
        ASSERT_TRUE(Code_Load());
        ASSERT_TRUE(LoadGameData());
    }

    std::vector<uint8_t> package;
};

TEST_P(ObjectPackageTest, EventsPhysicsAndCollisionsComeThrough)
{
    LoadObjects();
    const int32_t wall = Object_FindByName("obj_wall");
    const int32_t player = Object_FindByName("obj_player");
    ASSERT_GE(wall, 0);
    ASSERT_GE(player, 0);
    const CObject* object = Object_Find(player);
    EXPECT_EQ(object->depth, -1);
    ASSERT_EQ(object->physics.vertices.size(), 2u);
    EXPECT_EQ(object->physics.vertices[1].x, 6.0f);
    const std::pair<int32_t, int32_t> events[] = {
        {kEventCreate, 0}, {kEventStep, 0}, {kEventAlarm, 0}, {kEventKeyboard, 37}, {kEventCollision, wall},
    };
    for (const auto& [type, number] : events) {
        SCOPED_TRACE(std::to_string(type) + "/" + std::to_string(number));
        CEvent* event = object->GetEvent(type, number);
        ASSERT_NE(event, nullptr);
        // Package code is bound to its entry once the CODE chunk is read;
        // text code is made from the action's text.
        EXPECT_NE(event->BoundCode(), nullptr);
        EXPECT_EQ(event->text[0] == '\0', GetParam() == pack::PackageForm::Bytecode);
    }
    EXPECT_TRUE(Object_Find(wall)->HasEvent(kEventDraw, 0));
    Object_BuildEventLists();
    const auto pairs = Object_CollisionPairs();
    ASSERT_EQ(pairs.Count(), 1);
    EXPECT_EQ(pairs[0].lower, std::min(wall, player));
    EXPECT_EQ(pairs[0].higher, std::max(wall, player));
}

INSTANTIATE_TEST_SUITE_P(BothForms, ObjectPackageTest,
                         ::testing::Values(pack::PackageForm::Text, pack::PackageForm::Bytecode),
                         [](const auto& info) { return info.param == pack::PackageForm::Text ? "Text" : "Bytecode"; });

}  // namespace
}  // namespace bw::test
