// Room drawing on the recording device inside an open frame of a 640 x 480
// game: objects with event code from text, sprites and backgrounds of the
// resource tables, particle bands of the test's own. Event code calls
// mark(x): it draws the marker sprite at (x, 0) and notes x with the view
// being drawn and its rectangle, so draw events show up in the same vertex trace as sprites,
// tiles and particles.
#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "graphics/device/gl/gl_device.h"
#include "graphics/draw_2d.h"
#include "graphics/game_window.h"
#include "resources/room_draw.h"
#include "graphics/screen.h"
#include "graphics/surfaces.h"
#include "graphics/textures.h"
#include "unit/graphics/recording_fixture.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "unit/world/object_test_world.h"

namespace bw::test {

inline constexpr int32_t kGameWidth = 640;
inline constexpr int32_t kGameHeight = 480;

struct Mark {
    float x;
    int32_t view;
    RoomDrawRectangle area;
};

inline std::vector<Mark>& Marks()
{
    static std::vector<Mark> marks;
    return marks;
}

inline int32_t& MarkerSprite()
{
    static int32_t sprite = -1;
    return sprite;
}

inline std::vector<float>& ParticleBands()
{
    static std::vector<float> depths;
    return depths;
}

inline RecordingDevice*& MadeDevice()
{
    static RecordingDevice* device = nullptr;
    return device;
}

class RoomDrawTest : public ObjectWorldTest {
protected:
    void SetUp() override
    {
        ObjectWorldTest::SetUp();
        ResetGraphicsEngine();
        Device_SetFactory(&MakeDevice);
        ASSERT_TRUE(GR_D3D_Init(kGameWidth, kGameHeight, 0));
        Texture_ResetTable();
        GR_Draw2D_Reset();
        Window_ResetViewMappings();
        Window_SetBufferScale(1.0f, 1.0f);
        Marks().clear();
        ParticleBands().clear();
        Room_SetParticleDepthBands(ParticleDepthBands{&MaxBand, &NextBand, &DrawBand});
        int32_t id = -1;
        if (!Code_Function_Find("mark", &id)) {
            Code_Function_Register("mark", &MarkBuiltin, 1);
        }
        MarkerSprite() = MakeSprite(1, 1);
        room.showColour = 0;
        ASSERT_TRUE(GR_D3D_Start_Frame());
        device = MadeDevice();
        device->ClearCalls();
    }

    void TearDown() override
    {
        GR_D3D_Finish_Frame(false);
        Room_SetParticleDepthBands(ParticleDepthBands{});
        Sprite_FreeAll();
        Background_FreeAll();
        Surface_FreeAll();
        Texture_FreeAll();
        Window_ResetViewMappings();
        Window_SetBufferScale(1.0f, 1.0f);
        GR_D3D_FreeScreen();
        ResetGraphicsEngine();
        GR_D3D_Shutdown();
        Device_SetFactory(&GlDevice_Create);
        ObjectWorldTest::TearDown();
    }

    // A w x h sprite of one opaque frame with its origin at the top left.
    static int32_t MakeSprite(int32_t w, int32_t h)
    {
        const int32_t index = Sprite_CreateFromSurface();
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFFFFFFFFu);
        EXPECT_TRUE(Sprite_Get(index)->LoadFromBitmap(pixels.data(), w, h, 1, false, false, false, 0, 0, true));
        return index;
    }

    static int32_t MakeBackground(int32_t w, int32_t h)
    {
        const int32_t index = Background_CreateNew();
        Background_Get(index)->CreateColor(w, h, 0xFFFFFFFFu, true);
        return index;
    }

    // A visible instance at (x, 0) in the active list by depth.
    CInstance* Place(int32_t objectIndex, float x, float depth, int32_t sprite = -1)
    {
        auto* instance = new CInstance(x, 0.0f, nextId++, objectIndex, true);
        instance->i_depth = depth;
        instance->i_spriteindex = sprite;
        instance->i_visible = 1;
        InstanceHash_Insert(instance->i_id, instance);
        room.activeInstances.InsertByDepth(instance);
        return instance;
    }

    void AddTile(int32_t background, float x, float depth)
    {
        RoomTile tile;
        tile.background = background;
        tile.width = 4;
        tile.height = 4;
        tile.x = x;
        tile.depth = depth;
        room.AddTile(tile);
    }

    // The left edge of every quad drawn so far, in drawing order.
    std::vector<float> DrawnLefts()
    {
        GR_VB_Flush();
        std::vector<float> lefts;
        for (const RecordedCall* call : device->Draws()) {
            const size_t perQuad = call->args[0] == PrimitiveTriangleFan ? 4 : 6;
            std::vector<Vertex2DTex> vertices(call->vertices.size() / sizeof(Vertex2DTex));
            std::memcpy(vertices.data(), call->vertices.data(), vertices.size() * sizeof(Vertex2DTex));
            for (size_t first = 0; first + perQuad <= vertices.size(); first += perQuad) {
                float left = vertices[first].x;
                for (size_t i = first; i < first + perQuad; ++i) {
                    left = std::min(left, vertices[i].x);
                }
                lefts.push_back(left);
            }
        }
        device->ClearCalls();
        return lefts;
    }

    // The viewports set so far as x, y, w, h.
    std::vector<std::vector<int32_t>> Viewports() const
    {
        std::vector<std::vector<int32_t>> viewports;
        for (const RecordedCall* call : device->Find("SetViewport")) {
            viewports.push_back({static_cast<int32_t>(call->args[0]), static_cast<int32_t>(call->args[1]),
                                 static_cast<int32_t>(call->args[2]), static_cast<int32_t>(call->args[3])});
        }
        return viewports;
    }

    RecordingDevice* device = nullptr;

private:
    static std::unique_ptr<IGraphicsDevice> MakeDevice(const DeviceParameters& parameters)
    {
        auto made = std::make_unique<RecordingDevice>();
        made->Reset(parameters);
        MadeDevice() = made.get();
        return made;
    }

    static void MarkBuiltin(Value*, CInstance*, CInstance*, int32_t, Value* args)
    {
        const auto x = static_cast<float>(args[0].real);
        Marks().push_back(Mark{x, Display_State().viewCurrent, Room_GetDrawRectangle()});
        Sprite_Get(MarkerSprite())->DrawSimple(0, x, 0.0f);
    }

    static std::optional<float> MaxBand()
    {
        return ParticleBands().empty() ? std::nullopt : std::optional<float>(ParticleBands().front());
    }

    static std::optional<float> NextBand(float depth)
    {
        for (float band : ParticleBands()) {
            if (band < depth) {
                return band;
            }
        }
        return std::nullopt;
    }

    // A band draws the marker at its depth, so the trace shows where it fell.
    static void DrawBand(float depth) { Sprite_Get(MarkerSprite())->DrawSimple(0, depth, 0.0f); }
};

}  // namespace bw::test
