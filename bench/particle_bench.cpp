// The particle benchmark: 50,000 live particles of four types, one system
// each (as its peer draws them), kept at that count by stream emitters, updated and drawn frame after
// frame into an 800 x 600 render target on the GL back end (headless under
// SDL_VIDEODRIVER=offscreen). Prints the mean and median milliseconds per
// frame of the update, of handing the drawing to the device (walking the
// particles, filling and flushing the batch), and of waiting for the image
// (the rasteriser's time: without a GPU, Mesa's software one).
//   particle_bench [frames]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <vector>

#include "graphics/device/gl/gl_device.h"
#include "graphics/draw_2d.h"
#include "graphics/render_state.h"
#include "graphics/texture_records.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "host/window.h"
#include "particles/particle_system.h"
#include "platform/random.h"

namespace bw {
namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int32_t kLife = 100;
constexpr int32_t kPerTypePerStep = 125;  // 4 types x 125 x 100 steps = 50,000 live

struct Timings {
    std::vector<double> update, submit, raster;
};

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Report(const char* what, std::vector<double> ms)
{
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    std::nth_element(ms.begin(), ms.begin() + static_cast<std::ptrdiff_t>(ms.size() / 2), ms.end());
    std::printf("%-7s mean %7.3f ms  median %7.3f ms per frame\n", what, mean, ms[ms.size() / 2]);
}

// Four looks: a drifting disk, a falling additive flare with gravity, a
// spinning star that shrinks, and smoke that changes colour as it rises.
void MakeTypes(int32_t types[4])
{
    for (int i = 0; i < 4; ++i) {
        types[i] = ParticleType_Create();
        ParticleType_SetLife(types[i], kLife, kLife);
        ParticleType_SetDirection(types[i], 0, 360, 0, 0);
        ParticleType_SetAlpha3(types[i], 1, 0.6f, 0);
    }
    ParticleType_SetShape(types[0], ParticleShapeDisk);
    ParticleType_SetSpeed(types[0], 0.5f, 2, 0, 0);
    ParticleType_SetSize(types[0], 0.1f, 0.2f, 0, 0);
    ParticleType_SetShape(types[1], ParticleShapeFlare);
    ParticleType_SetSpeed(types[1], 1, 3, 0, 0);
    ParticleType_SetGravity(types[1], 0.05f, 270);
    ParticleType_SetSize(types[1], 0.1f, 0.3f, 0, 0);
    ParticleType_SetBlend(types[1], true);
    ParticleType_SetShape(types[2], ParticleShapeStar);
    ParticleType_SetOrientation(types[2], 0, 360, 4, 0, false);
    ParticleType_SetSize(types[2], 0.15f, 0.2f, -0.001f, 0);
    ParticleType_SetSpeed(types[2], 0.2f, 1, 0, 0.5f);
    ParticleType_SetShape(types[3], ParticleShapeSmoke);
    ParticleType_SetSpeed(types[3], 0.5f, 1, 0, 0);
    ParticleType_SetDirection(types[3], 80, 100, 0, 10);
    ParticleType_SetSize(types[3], 0.1f, 0.2f, 0.001f, 0);
    ParticleType_SetColour2(types[3], 0xFFFFFF, 0x404040);
}

void MakeSystems(const int32_t types[4], int32_t systems[4])
{
    for (int i = 0; i < 4; ++i) {
        systems[i] = ParticleSystem_Create();
        const int32_t emitter = ParticleRegion_Create(ParticleRegionKind::Emitter, systems[i]);
        ParticleEmitter_SetRegion(systems[i], emitter, 100, 700, 100, 500,
                                  i % 2 == 0 ? RegionEllipse : RegionRectangle, DistributionLinear);
        ParticleEmitter_Stream(systems[i], emitter, types[i], kPerTypePerStep);
    }
}

int32_t CountAll(const int32_t systems[4])
{
    int32_t count = 0;
    for (int i = 0; i < 4; ++i) {
        count += ParticleSystem_ParticleCount(systems[i]);
    }
    return count;
}

int Run(int frames)
{
    HostWindowSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    if (!HostWindow_Create(settings)) {
        std::fprintf(stderr, "particle_bench: no window: %s\n", HostWindow_LastError());
        return 1;
    }
    DeviceParameters parameters;
    parameters.backBufferWidth = kWidth;
    parameters.backBufferHeight = kHeight;
    Device_Set(GlDevice_Create(parameters));
    Texture_ResetTable();
    GR_Draw2D_Reset();
    GR_ApplyRenderState();
    const int32_t screen = Texture_CreateRenderTarget(kWidth, kHeight, kTextureUsageRenderTarget);
    GR_PushRenderTarget();
    GR_SetRenderTargetTexture(0, Texture_Get(screen));
    GR_SetViewProjection(0, 0, kWidth, kHeight, 0);
    GR_SetViewport(0, 0, kWidth, kHeight);

    Particle_Init();
    Particle_InitShapes();
    Random_SetSeed(1);
    int32_t types[4];
    MakeTypes(types);
    int32_t systems[4];
    MakeSystems(types, systems);
    for (int step = 0; step < kLife; ++step) {
        ParticleSystem_UpdateAll();
    }

    Timings timings;
    uint32_t pixel = 0;
    for (int frame = 0; frame < frames; ++frame) {
        GR_VB_ResetDrawCalls();
        GR_Clear(0xFF000000u);
        // Reading a pixel back waits until the device has finished.
        Device_Get()->ReadRect(Texture_Get(screen)->texture, 0, 0, 1, 1, &pixel);
        const auto start = std::chrono::steady_clock::now();
        ParticleSystem_UpdateAll();
        const auto updated = std::chrono::steady_clock::now();
        for (const int32_t system : systems) {
            ParticleSystem_Draw(system);
        }
        GR_VB_Flush();
        const auto submitted = std::chrono::steady_clock::now();
        Device_Get()->ReadRect(Texture_Get(screen)->texture, 0, 0, 1, 1, &pixel);
        GR_VB_EndFrame();
        const auto drawn = std::chrono::steady_clock::now();
        timings.update.push_back(Milliseconds(updated - start));
        timings.submit.push_back(Milliseconds(submitted - updated));
        timings.raster.push_back(Milliseconds(drawn - submitted));
    }
    std::printf("particles %d, frames %d, draw calls in the last frame %d\n", CountAll(systems),
                frames, GR_VB_DrawCalls());
    Report("update", timings.update);
    Report("submit", timings.submit);
    Report("raster", timings.raster);

    Particle_Fini();
    Texture_FreeAll();
    GR_PopAllRenderTargets();
    Device_Set(nullptr);
    HostWindow_Destroy();
    return 0;
}

}  // namespace
}  // namespace bw

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    return bw::Run(frames);
}
