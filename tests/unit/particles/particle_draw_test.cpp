// Drawing systems through the recording device: one quad per particle in
// the shared batch, the draw order, blend switches, and the depth bands
// room drawing merges with instances.
#include <cstring>
#include <limits>

#include "graphics/device/recording/recording_device.h"
#include "graphics/render_state.h"
#include "particles/particle_system.h"
#include "platform/random.h"
#include "unit/graphics/recording_fixture.h"
#include "unit/resources/room_draw_fixture.h"

namespace bw::test {
namespace {

struct DrawnQuad {
    float centreX, centreY;
    float halfWidth;
    uint32_t colour;
};

class ParticleDrawTest : public RecordingDeviceTest {
protected:
    void SetUp() override
    {
        RecordingDeviceTest::SetUp();
        Particle_Init();
        Particle_InitShapes();
        Random_SetSeed(7);
        device->ClearCalls();
    }
    void TearDown() override
    {
        Particle_Fini();
        RecordingDeviceTest::TearDown();
    }

    // Every quad drawn so far, per draw call, in drawing order.
    std::vector<std::vector<DrawnQuad>> DrawnQuads()
    {
        GR_VB_Flush();
        std::vector<std::vector<DrawnQuad>> draws;
        for (const RecordedCall* call : device->Draws()) {
            std::vector<Vertex2DTex> vertices(call->vertices.size() / sizeof(Vertex2DTex));
            std::memcpy(vertices.data(), call->vertices.data(), vertices.size() * sizeof(Vertex2DTex));
            std::vector<DrawnQuad>& quads = draws.emplace_back();
            for (size_t first = 0; first + 6 <= vertices.size(); first += 6) {
                const Vertex2DTex& topLeft = vertices[first];
                const Vertex2DTex& bottomRight = vertices[first + 2];
                quads.push_back({(topLeft.x + bottomRight.x) / 2, (topLeft.y + bottomRight.y) / 2,
                                 (bottomRight.x - topLeft.x) / 2, topLeft.colour});
            }
        }
        return draws;
    }

    std::vector<uint32_t> DestinationBlends() const
    {
        std::vector<uint32_t> blends;
        for (const RecordedCall* call : device->Find("SetRenderState")) {
            if (call->args[0] == RS_DESTBLEND) {
                blends.push_back(call->args[1]);
            }
        }
        return blends;
    }
};

TEST_F(ParticleDrawTest, ParticlesOfOneTypeJoinOneBatchOfQuadsOldestFirst)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetColour1(type, 0x0000FF);
    ParticleType_SetAlpha1(type, 0.5f);
    ParticleType_SetSize(type, 0.5f, 0.5f, 0, 0);
    const int32_t system = ParticleSystem_Create();
    ParticleSystem_SetPosition(system, 100, 50);
    for (float x : {1.7f, 2.0f, 3.0f}) {
        ParticleSystem_CreateParticles(system, x, 0, type, 1);
    }
    ParticleSystem_Draw(system);
    const auto draws = DrawnQuads();
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].size(), 3u);
    EXPECT_EQ(draws[0][0].centreX, 101.0f);  // centres are whole pixels
    EXPECT_EQ(draws[0][0].centreY, 50.0f);
    EXPECT_EQ(draws[0][0].halfWidth, 16.0f);
    EXPECT_EQ(draws[0][0].colour, 0x7FFF0000u);  // ARGB, alpha trunc(0.5 x 255)
    EXPECT_EQ(draws[0][2].centreX, 103.0f);

    ParticleSystem_SetDrawOrder(system, false);
    device->ClearCalls();
    ParticleSystem_Draw(system);
    EXPECT_EQ(DrawnQuads()[0][0].centreX, 103.0f);  // newest first
}

TEST_F(ParticleDrawTest, BlendModeSwitchesOnlyBetweenRunsAndEndsNormal)
{
    const int32_t normal = ParticleType_Create();
    const int32_t additive = ParticleType_Create();
    ParticleType_SetBlend(additive, true);
    const int32_t system = ParticleSystem_Create();
    for (const int32_t type : {normal, additive, additive, normal}) {
        ParticleSystem_CreateParticles(system, 0, 0, type, 1);
    }
    ParticleSystem_Draw(system);
    const auto draws = DrawnQuads();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[1].size(), 2u);
    EXPECT_EQ(DestinationBlends(), (std::vector<uint32_t>{BlendOne, BlendInvSrcAlpha}));
}

// A particle that cannot be drawn (its life below 1, a shape outside the
// table) is passed over; the particles after it still draw.
TEST_F(ParticleDrawTest, UndrawableParticlesAreSkipped)
{
    const int32_t type = ParticleType_Create();
    const int32_t badShape = ParticleType_Create();
    ParticleType_SetShape(badShape, 14);
    const int32_t system = ParticleSystem_Create();
    ParticleSystem_CreateParticles(system, 0, 0, type, 3);
    ParticleSystem_CreateParticles(system, 0, 0, badShape, 1);
    ParticleSystem_Get(system)->particles[0].life = 0;
    ParticleSystem_Draw(system);
    EXPECT_EQ(DrawnQuads()[0].size(), 2u);
}

TEST_F(ParticleDrawTest, RotatedShapesTurnAnticlockwise)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetOrientation(type, 90, 90, 0, 0, false);
    ParticleType_SetScale(type, 2, 1);
    const int32_t system = ParticleSystem_Create();
    ParticleSystem_CreateParticles(system, 0, 0, type, 1);
    ParticleSystem_Draw(system);
    GR_VB_Flush();
    const RecordedCall* call = device->Draws().at(0);
    Vertex2DTex topLeft{};
    std::memcpy(&topLeft, call->vertices.data(), sizeof topLeft);
    // The wide quad stands upright: its top-left corner went to the bottom left.
    EXPECT_NEAR(topLeft.x, -32.0f, 1e-4);
    EXPECT_NEAR(topLeft.y, 64.0f, 1e-4);
}

TEST_F(ParticleDrawTest, DepthBandsWalkEachDrawnSystemOnce)
{
    const int32_t a = ParticleSystem_Create();
    const int32_t b = ParticleSystem_Create();
    const int32_t c = ParticleSystem_Create();
    ParticleSystem_SetDepth(a, 5);
    ParticleSystem_SetDepth(b, 5.004f);
    ParticleSystem_SetDepth(c, 9);
    EXPECT_EQ(ParticleSystem_MaxDepth(), 9.0f);
    EXPECT_EQ(ParticleSystem_NextDepth(9), 5.004f);
    EXPECT_FALSE(ParticleSystem_NextDepth(5.004f));  // 5 drew in the band of 5.004
    ParticleSystem_SetAutomaticDraw(c, false);
    EXPECT_EQ(ParticleSystem_MaxDepth(), 5.004f);
    ParticleSystem_Destroy(a);
    ParticleSystem_Destroy(b);
    EXPECT_FALSE(ParticleSystem_MaxDepth());
}

// Tiles sit at 1000000, where a float no longer tells depth - 0.01 from
// depth: the walk must still leave each band (it once stayed in it forever).
TEST_F(ParticleDrawTest, DepthBandsMoveOnWhereAFloatIsCoarse)
{
    const int32_t deep = ParticleSystem_Create();
    const int32_t endless = ParticleSystem_Create();
    ParticleSystem_SetDepth(deep, 1000000);
    ParticleSystem_SetDepth(endless, std::numeric_limits<float>::infinity());
    EXPECT_EQ(ParticleSystem_NextDepth(std::numeric_limits<float>::infinity()), 1000000.0f);
    EXPECT_FALSE(ParticleSystem_NextDepth(1000000));
    ParticleSystem_Destroy(deep);
    ParticleSystem_Destroy(endless);
}

class ParticleRoomDrawTest : public RoomDrawTest {
protected:
    void SetUp() override
    {
        RoomDrawTest::SetUp();
        Particle_Init();
        Particle_InitShapes();
        Room_SetParticleDepthBands(
            ParticleDepthBands{&ParticleSystem_MaxDepth, &ParticleSystem_NextDepth, &ParticleSystem_DrawDepth});
    }
    void TearDown() override
    {
        Particle_Fini();
        RoomDrawTest::TearDown();
    }

    // A system at the depth with one particle whose quad's left edge is x.
    static void SystemAt(float depth, float x)
    {
        const int32_t system = ParticleSystem_Create();
        ParticleSystem_SetDepth(system, depth);
        ParticleSystem_CreateParticles(system, x + 32, 0, ParticleType_Create(), 1);
    }
};

TEST_F(ParticleRoomDrawTest, SystemsDrawAmongInstancesByDepth)
{
    const int32_t sprite = MakeSprite(4, 4);
    SystemAt(20, 1000);
    SystemAt(5, 2000);
    SystemAt(-100, 3000);
    Place(-1, 100.0f, 10.0f, sprite);
    Place(-1, 200.0f, 5.0f, sprite);  // before the system of its depth
    Place(-1, 300.0f, -50.0f, sprite);
    Room_Draw();
    EXPECT_EQ(DrawnLefts(), (std::vector<float>{1000.0f, 100.0f, 200.0f, 2000.0f, 300.0f, 3000.0f}));
}

// No depth ends the walk over the systems: one in front of everything, down
// to minus infinity, is drawn, and drawn once.
TEST_F(ParticleRoomDrawTest, SystemsAtAnyDepthAreDrawn)
{
    Place(-1, 100.0f, -1e7f, MakeSprite(4, 4));
    SystemAt(-1e8f, 1000);
    SystemAt(-std::numeric_limits<float>::infinity(), 2000);
    Room_Draw();
    EXPECT_EQ(DrawnLefts(), (std::vector<float>{100.0f, 1000.0f, 2000.0f}));
}

TEST_F(ParticleRoomDrawTest, SpriteTypesDrawTheirSpriteAtTheParticle)
{
    const int32_t type = ParticleType_Create();
    ParticleType_SetSprite(type, MakeSprite(4, 4), true, false, false);
    const int32_t system = ParticleSystem_Create();
    ParticleSystem_SetPosition(system, 500, 0);
    ParticleSystem_CreateParticles(system, 25, 0, type, 1);
    Room_Draw();
    EXPECT_EQ(DrawnLefts(), (std::vector<float>{525.0f}));
}

}  // namespace
}  // namespace bw::test
