// Drawing tests on the recording device: a fresh texture table and drawing
// state per test, and the vertices that reached the device.
#pragma once

#include <cstring>
#include <vector>

#include "graphics/draw_2d.h"
#include "graphics/surfaces.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "recording_fixture.h"

namespace bw {

// One draw that reached the device: its primitive type and vertex bytes.
struct DrawnBatch {
    int32_t type;
    std::vector<uint8_t> bytes;

    template <typename Vertex>
    std::vector<Vertex> As() const
    {
        std::vector<Vertex> vertices(bytes.size() / sizeof(Vertex));
        std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(Vertex));
        return vertices;
    }
};

class DrawTest : public RecordingDeviceTest {
protected:
    void SetUp() override
    {
        RecordingDeviceTest::SetUp();
        Texture_ResetTable();
        GR_Draw2D_Reset();
        GR_3D_SetDepth(0.0f);
    }

    void TearDown() override
    {
        Surface_FreeAll();
        GR_Texture_Flush();
        Texture_FreeAll();
        TexturePages_Clear();
        RecordingDeviceTest::TearDown();
    }

    // A texture holding a w x h image (on a power-of-two texture).
    int32_t MakeTexture(int32_t w, int32_t h)
    {
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFFFFFFFFu);
        return Texture_CreateFromPixels(w, h, reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * 4);
    }

    // Everything drawn so far, batch by batch.
    std::vector<DrawnBatch> Drawn()
    {
        GR_VB_Flush();
        std::vector<DrawnBatch> batches;
        for (const RecordedCall* call : device->Draws()) {
            batches.push_back(DrawnBatch{static_cast<int32_t>(call->args[0]), call->vertices});
        }
        device->ClearCalls();
        return batches;
    }

    // All vertices drawn so far, in order, read as textured vertices.
    std::vector<Vertex2DTex> DrawnTextured()
    {
        std::vector<Vertex2DTex> all;
        for (const DrawnBatch& batch : Drawn()) {
            const std::vector<Vertex2DTex> vertices = batch.As<Vertex2DTex>();
            all.insert(all.end(), vertices.begin(), vertices.end());
        }
        return all;
    }
};

inline float Tex(int32_t texels, int32_t allocated)
{
    return static_cast<float>(texels) * (1.0f / static_cast<float>(allocated));
}

}  // namespace bw
