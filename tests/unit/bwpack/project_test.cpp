#include <gtest/gtest.h>

#include "bwpack/image.h"
#include "bwpack/package_writer.h"
#include "bwpack/project.h"
#include "support/scratch_folder.h"

namespace bw::pack {
namespace {

const std::string kTinyProject = std::string(BWPACK_TEST_PACKAGES) + "/tiny";

// dot.png: 4x4, clear but for one opaque pixel at (1, 2).
Project LoadWith(const std::string& gameJson)
{
    test::ScratchFolder folder;
    folder.Write("game.json", gameJson);
    Image dot(4, 4);
    dot.rgba[(2 * 4 + 1) * 4 + 3] = 255;
    const std::vector<uint8_t> png = Image_EncodePng(dot);
    folder.Write("dot.png", std::string(png.begin(), png.end()));
    folder.Write("a.bwl", "a();");
    folder.Write("b.bwl", "b();");
    return Project_Load(folder.Path());
}

TEST(Project, StripIsCutIntoFramesAndTheAutomaticBoxCoversThemAll)
{
    const Project project = Project_Load(kTinyProject);
    const Sprite& player = project.sprites.at(0);
    ASSERT_EQ(player.frames.size(), 2u);
    EXPECT_EQ(player.width, 16);
    EXPECT_EQ(player.height, 16);
    // Frame 0 is a disc of radius 6 about (8, 8), frame 1 a bar inside it.
    EXPECT_EQ(player.bboxLeft, 2);
    EXPECT_EQ(player.bboxTop, 2);
    EXPECT_EQ(player.bboxRight, 14);
    EXPECT_EQ(player.bboxBottom, 14);
    EXPECT_EQ(player.frames[1].Alpha(6, 3), 255);
    EXPECT_EQ(player.frames[1].Alpha(5, 3), 0);
}

TEST(Project, BoundingBoxModes)
{
    struct Case {
        const char* sprite;
        BBoxMode mode;
        int32_t left, top, right, bottom;
    };
    const Case cases[] = {
        {R"({"name": "s", "image": "dot.png"})", BBoxMode::Automatic, 1, 2, 1, 2},
        {R"({"name": "s", "image": "dot.png", "transparent": false})", BBoxMode::Automatic, 0, 0, 3, 3},
        {R"({"name": "s", "image": "dot.png", "bbox": "full"})", BBoxMode::Full, 0, 0, 3, 3},
        {R"({"name": "s", "image": "dot.png", "bbox": [0, 1, 2, 3]})", BBoxMode::Manual, 0, 1, 2, 3},
    };
    for (const Case& c : cases) {
        const Sprite sprite =
            LoadWith(std::string(R"({"name": "t", "rooms": [{"name": "rm"}], "sprites": [)") + c.sprite + "]}").sprites.at(0);
        EXPECT_EQ(sprite.bboxMode, c.mode) << c.sprite;
        EXPECT_EQ((std::array{sprite.bboxLeft, sprite.bboxTop, sprite.bboxRight, sprite.bboxBottom}),
                  (std::array{c.left, c.top, c.right, c.bottom}))
            << c.sprite;
    }
}

TEST(Project, InstancesAndTilesAreNumberedAcrossRooms)
{
    const Project project = LoadWith(R"({"name": "t",
        "backgrounds": [{"name": "b", "image": "dot.png"}], "objects": [{"name": "o"}],
        "rooms": [{"name": "r1", "instances": [{"object": "o"}, {"object": "o"}], "tiles": [{"background": "b"}]},
                  {"name": "r2", "instances": [{"object": "o"}], "tiles": [{"background": "b"}]}]})");
    EXPECT_EQ(project.rooms[0].instances[0].id, 100001);
    EXPECT_EQ(project.rooms[0].instances[1].id, 100002);
    EXPECT_EQ(project.rooms[1].instances[0].id, 100003);
    EXPECT_EQ(project.lastInstanceId, 100003);
    EXPECT_EQ(project.rooms[1].tiles[0].id, 10000002);
    EXPECT_EQ(project.lastTileId, 10000002);
    // A tile without a source rectangle shows its whole background.
    EXPECT_EQ(project.rooms[0].tiles[0].width, 4);
}

TEST(Project, EventsAndMomentsAreOrdered)
{
    const Project project = LoadWith(R"({"name": "t", "rooms": [{"name": "rm"}],
        "objects": [{"name": "o", "events": {"draw": "a.bwl", "alarm:3": "b.bwl", "create": "a.bwl", "alarm:1": "a.bwl"}}],
        "timelines": [{"name": "tl", "moments": [{"step": 20, "code": "a.bwl"}, {"step": 5, "code": "b.bwl"}]}]})");
    std::vector<std::pair<int32_t, int32_t>> events;
    for (const Event& event : project.objects[0].events) events.emplace_back(event.type, event.number);
    EXPECT_EQ(events, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {2, 1}, {2, 3}, {8, 0}}));
    ASSERT_EQ(project.timelines[0].moments.size(), 2u);
    EXPECT_EQ(project.timelines[0].moments[0].step, 5);
    EXPECT_EQ(project.timelines[0].moments[0].code.source, "b();");
}

TEST(Project, ExtensionFunctionsAreNumberedInOrderAcrossPackages)
{
    const Project project = LoadWith(R"({"name": "t", "rooms": [{"name": "rm"}], "extensions": [
        {"name": "e1", "files": [{"file": "a.dll", "functions": [{"name": "f1"}, {"name": "f2"}]}]},
        {"name": "e2", "files": [{"file": "b.dll", "functions": [{"name": "f3", "args": ["string"]}]}]}]})");
    EXPECT_EQ(project.extensions[0].files[0].functions[1].id, 1);
    EXPECT_EQ(project.extensions[1].files[0].functions[0].id, 2);
    EXPECT_EQ(project.extensions[1].files[0].functions[0].argumentTypes, std::vector<int32_t>{1});
    EXPECT_EQ(project.extensions[1].folder, "e2");
}

TEST(Project, RoomOrderFollowsTheList)
{
    const Project project = LoadWith(R"({"name": "t", "rooms": [{"name": "a"}, {"name": "b"}], "room_order": ["b", "a", "b"]})");
    EXPECT_EQ(project.roomOrder, (std::vector<int32_t>{1, 0, 1}));
}

}  // namespace
}  // namespace bw::pack
