#include "resources/room_draw.h"

#include "graphics/graphics_3d.h"
#include "graphics/texture_records.h"
#include "room_draw_fixture.h"
#include "world/event.h"

namespace bw::test {
namespace {

TEST_F(RoomDrawTest, TilesInstancesAndParticleBandsMergeDeepestFirstWithTheirTieRules)
{
    const int32_t sprite = MakeSprite(4, 4);
    const int32_t background = MakeBackground(8, 8);
    ParticleBands() = {20.0f, 10.0f};          // drawn at x 20 and x 10
    Place(-1, 100.0f, 10.0f, sprite);          // ties with the band and the tile at 10
    Place(-1, 200.0f, 0.0f, sprite);
    AddTile(background, 300.0f, 5.0f);
    AddTile(background, 400.0f, 10.0f);

    Room_Draw();

    // The instance comes before the band of its depth, the band before the
    // tile of its depth; the tiles were sorted deepest first.
    EXPECT_EQ(DrawnLefts(), (std::vector<float>{20.0f, 100.0f, 10.0f, 400.0f, 300.0f, 200.0f}));
}

TEST_F(RoomDrawTest, HiddenDestroyedAndDeactivatedThingsAreNotDrawn)
{
    const int32_t sprite = MakeSprite(4, 4);
    const int32_t background = MakeBackground(8, 8);
    Place(-1, 10.0f, 0.0f, sprite);
    Place(-1, 20.0f, 0.0f, sprite)->i_visible = 0;
    Place(-1, 30.0f, 0.0f, sprite)->i_marked = 1;
    Place(-1, 40.0f, 0.0f, sprite)->i_deactivated = 1;
    AddTile(background, 50.0f, 0.0f);
    AddTile(background, 60.0f, 0.0f);
    room.TileAt(1)->visible = 0;
    AddTile(-1, 70.0f, 0.0f);  // no such background

    Room_Draw();

    EXPECT_EQ(DrawnLefts(), (std::vector<float>{10.0f, 50.0f}));
}

TEST_F(RoomDrawTest, TilesAreDrawnWhereTheyMeetTheDrawRectangleEdgesIncluded)
{
    const int32_t background = MakeBackground(8, 8);
    AddTile(background, 640.0f, 0.0f);  // touches the right edge
    AddTile(background, 641.0f, 0.0f);  // beyond it
    AddTile(background, 644.0f, 0.0f);  // mirrored: reaches back to 640
    room.TileAt(2)->xscale = -1.0f;

    Room_Draw();

    EXPECT_EQ(DrawnLefts(), (std::vector<float>{640.0f, 640.0f}));
}

TEST_F(RoomDrawTest, ADrawEventReplacesTheSpriteAndRunsWithoutOne)
{
    ASSERT_TRUE(Load({ObjectSpec("drawer", -1, {{kEventDraw, 0, "mark(x)"}}), ObjectSpec("plain")}));
    const int32_t sprite = MakeSprite(4, 4);
    Place(0, 10.0f, 3.0f, sprite);  // its event draws instead of its sprite
    Place(0, 20.0f, 2.0f);          // no sprite: the event still runs
    Place(0, 30.0f, 1.0f)->i_visible = 0;
    Place(1, 40.0f, 0.0f, sprite);  // no event: the sprite

    Room_Draw();

    EXPECT_EQ(DrawnLefts(), (std::vector<float>{10.0f, 20.0f, 40.0f}));
    ASSERT_EQ(Marks().size(), 2u);
}

TEST_F(RoomDrawTest, LayersAndBandsReachTheDeviceAtTheirDepths)
{
    const int32_t background = MakeBackground(kGameWidth, kGameHeight);
    const int32_t sprite = MakeSprite(4, 4);
    room.backgrounds[0] = RoomBackground{1, 0, background, 0, 0, 0, 0};
    room.backgrounds[1] = RoomBackground{1, 1, background, 0, 0, 0, 0};
    Place(-1, 100.0f, 20000.0f, sprite);
    Place(-1, 200.0f, -50.0f, sprite);
    GR_3D_Set(true);

    Room_Draw();
    GR_VB_Flush();

    std::vector<float> depths;
    for (const RecordedCall* call : device->Draws()) {
        const size_t perQuad = call->args[0] == PrimitiveTriangleFan ? 4 : 6;
        for (size_t first = 0; first < call->vertices.size(); first += perQuad * sizeof(Vertex2DTex)) {
            Vertex2DTex vertex;
            std::memcpy(&vertex, call->vertices.data() + first, sizeof(vertex));
            depths.push_back(vertex.z);
        }
    }
    EXPECT_EQ(depths, (std::vector<float>{12000.0f, 11000.0f, -50.0f, -12000.0f}));
    EXPECT_TRUE(GR_3D_IsOn());  // the GUI pass puts 3D mode back
    GR_3D_Set(false);
}

TEST_F(RoomDrawTest, DrawGuiRunsOnceAfterTheViewsInWindowSpace)
{
    ASSERT_TRUE(Load({ObjectSpec("gui", -1, {{kEventDraw, 64, "mark(x)"}, {kEventDraw, 0, "mark(x + 1)"}})}));
    Place(0, 10.0f, 0.0f);
    Place(0, 20.0f, 0.0f)->i_visible = 0;
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 320, 480, 0, 0, 320, 480};
    room.views[1] = RoomView{1, 0, 0, 320, 480, 320, 0, 320, 480};

    Room_Draw();

    ASSERT_EQ(Marks().size(), 3u);
    EXPECT_EQ(Marks()[0].x, 11.0f);
    EXPECT_EQ(Marks()[0].view, 0);
    EXPECT_EQ(Marks()[1].view, 1);
    EXPECT_EQ(Marks()[2].x, 10.0f);
    EXPECT_EQ(Display_State().viewCurrent, 0);
    float x = 0, y = 0, w = 0, h = 0, angle = 0;
    GR_GetViewProjection(x, y, w, h, angle);
    EXPECT_EQ(w, static_cast<float>(kGameWidth));
    EXPECT_EQ(h, static_cast<float>(kGameHeight));
}

// The GUI pass leaves 3D mode and enters it again; the game's wish for an
// orthographic view without depth test must outlive it, frame after frame.
TEST_F(RoomDrawTest, ThreeDModeComesBackFromTheGuiPassWithTheGamesWishes)
{
    GR_3D_Set(true);
    GR_3D_SetPerspective(false);
    GR_3D_SetHidden(false);

    for (int frame = 0; frame < 2; ++frame) Room_Draw();

    EXPECT_TRUE(GR_3D_IsOn());
    EXPECT_FALSE(GR_3D_GetPerspective());
    EXPECT_FALSE(GR_3D_GetHidden());
    int projections = 0;
    for (const RecordedCall* call : device->Find("SetTransform")) {
        if (call->args[0] == static_cast<uint32_t>(TransformKind::Projection)) {
            ++projections;
            EXPECT_EQ(call->matrix.m[11], 0.0f) << "projection " << projections << " divides by depth";
        }
    }
    EXPECT_EQ(projections, 4);  // each frame's room and GUI pass
    GR_3D_Set(false);
}

TEST_F(RoomDrawTest, ViewPortsAreScaledFromTheirExtentToTheWindow)
{
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 160, 120, 0, 0, 160, 120};
    room.views[1] = RoomView{1, 50, 60, 160, 120, 160, 120, 160, 120};

    Room_Draw();

    float scaleX = 0, scaleY = 0;
    Room_GetViewScale(scaleX, scaleY);
    EXPECT_EQ((std::vector<float>{scaleX, scaleY}), (std::vector<float>{2.0f, 2.0f}));
    const std::vector<std::vector<int32_t>> viewports = Viewports();
    ASSERT_GE(viewports.size(), 2u);
    EXPECT_EQ(viewports[0], (std::vector<int32_t>{0, 0, 320, 240}));
    EXPECT_EQ(viewports[1], (std::vector<int32_t>{320, 240, 320, 240}));
    EXPECT_EQ(Window_ViewMappingsInUse(), 2);
}

TEST_F(RoomDrawTest, ViewsEnabledButNoneVisibleDrawNothingAndKeepTheScaleAtOne)
{
    const int32_t sprite = MakeSprite(4, 4);
    Place(-1, 10.0f, 0.0f, sprite);
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 160, 120, 0, 0, 160, 120};
    Room_FollowViews();
    room.views[0].visible = 0;

    Room_Draw();

    float scaleX = 0, scaleY = 0;
    Room_GetViewScale(scaleX, scaleY);
    EXPECT_EQ((std::vector<float>{scaleX, scaleY}), (std::vector<float>{1.0f, 1.0f}));
    EXPECT_TRUE(DrawnLefts().empty());
    EXPECT_EQ(Window_ViewMappingsInUse(), 0);
}

TEST_F(RoomDrawTest, ATurnedViewDrawsAWidenedRectangle)
{
    ASSERT_TRUE(Load({ObjectSpec("drawer", -1, {{kEventDraw, 0, "mark(x)"}})}));
    Place(0, 0.0f, 0.0f);
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 100, 50, 200, 101, 0, 0, 640, 480, 30.0f};
    room.views[1] = RoomView{1, 100, 50, 200, 101, 0, 0, 640, 480, 0.0005f};

    Room_Draw();

    // Widened by half the other side (in whole pixels) each way; a turn
    // below a thousandth of a degree counts as none.
    ASSERT_EQ(Marks().size(), 2u);
    auto edges = [](const RoomDrawRectangle& r) { return std::vector<int32_t>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(edges(Marks()[0].area), (std::vector<int32_t>{50, -50, 350, 251}));
    EXPECT_EQ(edges(Marks()[1].area), (std::vector<int32_t>{100, 50, 300, 151}));
}

struct FollowCase {
    const char* name;
    int32_t xview, wview, hborder, hspeed;
    float targetX;
    bool targetDeactivated;
    int32_t expectedXview;
};

TEST_F(RoomDrawTest, FollowingViewsKeepTheirTargetInsideTheBorders)
{
    const FollowCase cases[] = {
        {"inside the borders: no move", 0, 640, 32, -1, 300.0f, false, 0},
        {"past the right border", 0, 640, 32, -1, 700.0f, false, 92},
        {"past the left border", 500, 640, 32, -1, 510.0f, false, 478},
        {"overlapping borders centre", 0, 640, 400, -1, 900.0f, false, 580},
        {"speed limit", 0, 640, 32, 4, 700.0f, false, 4},
        {"clamped to the room's right", 0, 640, 32, -1, 1990.0f, false, 1360},
        {"clamped to zero", 300, 640, 32, -1, 10.0f, false, 0},
        {"deactivated target: no move", 100, 640, 32, -1, 900.0f, true, 100},
    };
    room.width = 2000;
    room.viewsEnabled = 1;
    for (const FollowCase& c : cases) {
        SCOPED_TRACE(c.name);
        CInstance* target = Place(-1, c.targetX, 0.0f);
        target->i_deactivated = c.targetDeactivated ? 1 : 0;
        room.views[0] = RoomView{1, c.xview, 0, c.wview, 480, 0, 0, 640, 480};
        room.views[0].hborder = c.hborder;
        room.views[0].hspeed = c.hspeed;
        room.views[0].object = target->i_id;

        Room_FollowViews();

        EXPECT_EQ(room.views[0].xview, c.expectedXview);
        InstanceHash_Remove(target->i_id, target);
        room.activeInstances.Remove(target);
    }
}

TEST_F(RoomDrawTest, AViewFollowingAnObjectSkipsItsDeactivatedInstances)
{
    ASSERT_TRUE(Load({ObjectSpec("hero")}));
    room.width = 2000;
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 640, 480, 0, 0, 640, 480};
    room.views[0].object = 0;
    Place(0, 1500.0f, 0.0f)->i_deactivated = 1;
    Room_FollowViews();
    EXPECT_EQ(room.views[0].xview, 0);

    Place(0, 1000.0f, 0.0f);
    Room_FollowViews();
    EXPECT_EQ(room.views[0].xview, 1000 + 32 - 640);
}

TEST_F(RoomDrawTest, ARoomWithoutItsColourIsDrawnOverTheLastFrameInTheScreenTexture)
{
    // Once the window holds a frame the next one starts in it, and the
    // window keeps the last frame only until it shows the next.
    EXPECT_TRUE(GR_D3D_Finish_Frame(true));
    EXPECT_TRUE(GR_D3D_Start_Frame());
    device->ClearCalls();
    ASSERT_EQ(device->GetRenderTarget(), kDeviceWindowTarget);
    Room_Draw();
    const DeviceTextureId screen = GR_GetScreenTexture()->texture;
    EXPECT_EQ(device->GetRenderTarget(), screen);
    const auto copies = device->Find("CopyRect");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->args[0], screen);
    EXPECT_EQ(copies[0]->args[3], kDeviceWindowTarget);

    room.showColour = 1;
    EXPECT_TRUE(GR_D3D_Finish_Frame(true));
    EXPECT_TRUE(GR_D3D_Start_Frame());
    device->ClearCalls();
    Room_Draw();
    EXPECT_EQ(device->Count("CopyRect"), 0u);
}

TEST_F(RoomDrawTest, AViewWithASurfaceDrawsIntoItAndComesBack)
{
    const int32_t surface = Surface_Create(64, 64);
    ASSERT_GE(surface, 0);
    const DeviceTextureId surfaceTexture = Texture_Get(Surface_GetTexture(surface))->texture;
    const int32_t depthBefore = GR_RenderTargetDepth();
    const DeviceTextureId frameTarget = device->GetRenderTarget();
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 64, 64, 0, 0, 160, 120};
    room.views[0].surfaceId = surface;
    room.views[1] = RoomView{1, 0, 0, 160, 120, 160, 120, 160, 120};

    Room_Draw();

    std::vector<DeviceTextureId> targets;
    for (const RecordedCall* call : device->Find("SetRenderTarget")) {
        targets.push_back(call->args[0]);
    }
    EXPECT_EQ(targets, (std::vector<DeviceTextureId>{surfaceTexture, frameTarget}));
    EXPECT_EQ(GR_RenderTargetDepth(), depthBefore);
    // The surface view draws at its port's own size; the other is scaled
    // from the ports' 320 x 240 span to the window.
    const std::vector<std::vector<int32_t>> viewports = Viewports();
    ASSERT_GE(viewports.size(), 2u);
    EXPECT_EQ(viewports[0], (std::vector<int32_t>{0, 0, 160, 120}));
    EXPECT_EQ(viewports[1], (std::vector<int32_t>{320, 240, 320, 240}));
}

TEST_F(RoomDrawTest, AViewPopsNoTargetItDidNotPush)
{
    const int32_t surface = Surface_Create(64, 64);
    ASSERT_TRUE(Surface_SetTarget(surface));
    const int32_t depthBefore = GR_RenderTargetDepth();
    device->ClearCalls();
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 64, 64, 0, 0, 640, 480};
    room.views[0].surfaceId = surface;  // already the target: drawn into as it is
    room.views[1] = RoomView{1, 0, 0, 64, 64, 0, 0, 640, 480};
    room.views[1].surfaceId = 7;  // no such surface: drawn to the current target

    Room_Draw();

    EXPECT_EQ(GR_RenderTargetDepth(), depthBefore);
    EXPECT_EQ(Surface_GetCurrent(), surface);
    EXPECT_EQ(device->Count("SetRenderTarget"), 0u);
    EXPECT_TRUE(Surface_ResetTarget());
}

TEST_F(RoomDrawTest, TheCursorSpriteDrawsLastAndTheViewMappingsStay)
{
    const int32_t cursor = MakeSprite(2, 2);
    const int32_t sprite = MakeSprite(4, 4);
    Place(-1, 100.0f, 0.0f, sprite);
    Game_Counters().cursorSprite = cursor;
    room.viewsEnabled = 1;
    room.views[0] = RoomView{1, 0, 0, 640, 480, 0, 0, 640, 480};

    Room_Draw();

    const std::vector<float> lefts = DrawnLefts();
    ASSERT_EQ(lefts.size(), 2u);
    EXPECT_EQ(lefts[0], 100.0f);
    EXPECT_EQ(Window_ViewMappingsInUse(), 1);
}

struct PortSizeCase {
    const char* name;
    bool viewsEnabled;
    RoomView views[2];
    int32_t width, height;
};

TEST_F(RoomDrawTest, ThePortSizeComesFromTheVisibleViewsOrTheRoom)
{
    const PortSizeCase cases[] = {
        {"views off: the room", false, {RoomView{1, 0, 0, 10, 10, 0, 0, 100, 100}, RoomView{}}, 300, 200},
        {"the ports' far edges",
         true,
         {RoomView{1, 0, 0, 10, 10, 20, 10, 100, 50}, RoomView{1, 0, 0, 10, 10, 0, 30, 50, 150}},
         120,
         180},
        {"hidden views count for nothing",
         true,
         {RoomView{1, 0, 0, 10, 10, 0, 0, 90, 70}, RoomView{0, 0, 0, 10, 10, 0, 0, 500, 400}},
         90,
         70},
        {"at least 8", true, {RoomView{1, 0, 0, 10, 10, 0, 0, 2, 3}, RoomView{}}, 8, 8},
    };
    room.width = 300;
    room.height = 200;
    for (const PortSizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        room.viewsEnabled = c.viewsEnabled ? 1 : 0;
        room.views[0] = c.views[0];
        room.views[1] = c.views[1];

        Room_ComputePortSize();

        EXPECT_EQ(GR_GetDisplayWidth(), c.width);
        EXPECT_EQ(GR_GetDisplayHeight(), c.height);
    }
    // A room keeps a size no screen can have; its screen is a pixel wide or high.
    room.viewsEnabled = 0;
    room.width = -5;
    room.height = 0;
    Room_ComputePortSize();
    EXPECT_EQ(GR_GetDisplayWidth(), 1);
    EXPECT_EQ(GR_GetDisplayHeight(), 1);
    EXPECT_EQ(room.width, -5);
}

}  // namespace
}  // namespace bw::test
