// Every graphics test starts from a fresh recording device and the engine's
// start-up state, and leaves no device behind.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/device/recording/recording_device.h"
#include "graphics/graphics_3d.h"
#include "graphics/render_state.h"
#include "graphics/texture_records.h"
#include "graphics/vertex_batch.h"

namespace bw {

inline void ResetGraphicsEngine()
{
    GR_VB_ReleaseAll();
    GR_PopAllRenderTargets();
    GR_3D_Set(false);
    GR_3D_TransformStackClear();
    GR_ResetRenderWishes();
}

class RecordingDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        auto recording = std::make_unique<RecordingDevice>();
        device = recording.get();
        Device_Set(std::move(recording));
        DeviceParameters parameters;
        parameters.backBufferWidth = 64;
        parameters.backBufferHeight = 64;
        device->Reset(parameters);
        // As after device creation: the device holds every engine state.
        GR_ApplyRenderState();
        device->ClearCalls();
    }

    void TearDown() override
    {
        ResetGraphicsEngine();
        Device_Set(nullptr);
    }

    // Writes one quad (two triangles) of Vertex2DTex into the batch.
    void DrawQuad(TextureRecord* texture)
    {
        uint8_t* out = GR_VB_AllocVerts(PrimitiveTriangleList, texture, sizeof(Vertex2DTex), 6);
        ASSERT_NE(out, nullptr);
        std::memset(out, 0, 6 * sizeof(Vertex2DTex));
    }

    RecordingDevice* device = nullptr;
};

}  // namespace bw
