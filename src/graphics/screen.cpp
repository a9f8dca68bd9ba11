#include "graphics/screen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "graphics/device/device.h"
#include "graphics/display.h"
#include "graphics/game_window.h"
#include "graphics/graphics_3d.h"
#include "graphics/overlay_hooks.h"
#include "graphics/render_state.h"
#include "graphics/texture_records.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "host/clock.h"
#include "host/window.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "script/error_report.h"

namespace bw {

namespace {

struct Size {
    int32_t w = 0;
    int32_t h = 0;
};

struct FrameTiming {
    int64_t previous = 0;
    int64_t accumulator = 0;
    int32_t frames = 0;
    int32_t framesLastSecond = 0;
    float seconds = 0.0f;
    float milliseconds = 0.0f;
    int64_t presentMicroseconds = 0;
};

// How a frame reaches the window.
enum class FramePath {
    // Drawn into the screen texture, which is stretched (or letterboxed) onto
    // the back buffer; present copies that to the window.
    Blit,
    // Drawn into the screen texture, copied into the window pixel for pixel:
    // screen, back buffer and window are one size.
    Copy,
    // Drawn straight into the window: sizes match, the window holds the last
    // frame pixel for pixel and nothing read the screen texture lately, so
    // its copy (and the wait for the drawing that each copy costs) is left
    // out. The device offers this only where the window keeps its image
    // through present, so the last frame stays there to be read.
    Direct,
};

// After a read of the screen texture, frames keep drawing there this long: a
// game reading the screen every frame would otherwise pay a copy out of the
// window each time.
constexpr int32_t kTextureFramesAfterRead = 60;

struct ScreenState {
    uint32_t multisampleWish = 0;
    bool vsync = false;
    uint32_t multisampleMask = 0;
    bool fullscreen = false;
    bool keepAspect = false;
    bool keepPosition = false;
    bool showPending = true;
    bool sizeable = false;
    Size gameWindow;
    Size client;
    Size backBuffer;
    Size screen;
    Size display;
    Size requested{-1, -1};
    Size gui{-1, -1};
    TextureRecord* screenTexture = nullptr;
    FramePath path = FramePath::Blit;
    // The image of the game is in the window, not in the screen texture.
    bool screenTextureStale = false;
    // The window holds the last frame as the screen texture would: false
    // after a reset (a new size leaves its buffer undefined) and after a
    // frame stretched onto it.
    bool windowHoldsFrame = false;
    int32_t framesSinceScreenRead = kTextureFramesAfterRead;
    int32_t frameOpen = 0;
    FrameTiming timing;
    ScreenHooks hooks;
};
ScreenState g_screen;

// Microseconds of the frame timer.
constexpr int64_t kTimerFrequency = 1000000;

Size DesktopSize()
{
    const std::vector<AdapterRecord>& adapters = GR_Adapters();
    if (!adapters.empty()) {
        return Size{adapters.front().desktopWidth, adapters.front().desktopHeight};
    }
    return Size{GR_Display_GetWidth(), GR_Display_GetHeight()};
}

// A desktop that cannot be read does not limit anything.
int32_t ClampToDesktop(int32_t value, int32_t desktop)
{
    return desktop > 0 && value >= desktop ? desktop : value;
}

DeviceParameters Parameters()
{
    DeviceParameters parameters;
    parameters.backBufferWidth = g_screen.backBuffer.w;
    parameters.backBufferHeight = g_screen.backBuffer.h;
    parameters.fullscreen = g_screen.fullscreen;
    parameters.vsync = g_screen.vsync;
    parameters.multisample = g_screen.multisampleWish;
    return parameters;
}

void LeaveFullscreenForDialog()
{
    GR_D3D_LeaveFullscreen();
}

void PlaceWindow(int32_t w, int32_t h)
{
    HostWindow_SetClientSize(w, h);
    if (!g_screen.keepPosition) {
        const Size desktop = DesktopSize();
        HostWindow_SetPosition((desktop.w - w) / 2, (desktop.h - h) / 2);
    }
    g_screen.keepPosition = false;
}

// The rectangle of the back buffer the game image is drawn over.
void BlitRectangle(float& x0, float& y0, float& x1, float& y1)
{
    const auto bbW = static_cast<float>(g_screen.backBuffer.w);
    const auto bbH = static_cast<float>(g_screen.backBuffer.h);
    x0 = 0.0f;
    y0 = 0.0f;
    x1 = bbW;
    y1 = bbH;
    if (!g_screen.keepAspect || g_screen.screen.w <= 0 || g_screen.screen.h <= 0) {
        return;
    }
    const float screenW = static_cast<float>(g_screen.screen.w);
    const float screenH = static_cast<float>(g_screen.screen.h);
    const float aspect = screenW / screenH;
    if (bbH > bbW / aspect) {
        const float height = (screenH / screenW) * bbW;
        y0 = (bbH - height) * 0.5f;
        y1 = y0 + height;
    } else if (bbW / aspect > bbH) {
        const float width = bbH * aspect;
        x0 = (bbW - width) * 0.5f;
        x1 = x0 + width;
    }
}

FramePath ChoosePath()
{
    const TextureRecord* screen = g_screen.screenTexture;
    const Size backBuffer = g_screen.backBuffer;
    const bool oneSize = screen != nullptr && screen->Width() == backBuffer.w && screen->Height() == backBuffer.h &&
                         g_screen.client.w == backBuffer.w && g_screen.client.h == backBuffer.h;
    if (!oneSize) {
        return FramePath::Blit;
    }
    const bool textureWanted = g_screen.framesSinceScreenRead < kTextureFramesAfterRead || !g_screen.windowHoldsFrame;
    return textureWanted ? FramePath::Copy : FramePath::Direct;
}

// The whole screen texture copied from (or to) the window.
void CopyScreenTexture(bool fromWindow)
{
    const TextureRecord* screen = g_screen.screenTexture;
    const DeviceTextureId texture = screen->texture;
    const DeviceTextureId destination = fromWindow ? texture : kDeviceWindowTarget;
    const DeviceTextureId source = fromWindow ? kDeviceWindowTarget : texture;
    Device_Get()->CopyRect(destination, 0, 0, source, 0, 0, screen->Width(), screen->Height());
}

void RefreshScreenTexture()
{
    if (g_screen.screenTextureStale && g_screen.screenTexture != nullptr) {
        CopyScreenTexture(true);
    }
    g_screen.screenTextureStale = false;
}

void ShowScreen()
{
    switch (g_screen.path) {
    case FramePath::Blit:
        GR_D3D_BlitScreen();
        break;
    case FramePath::Copy:
        CopyScreenTexture(false);
        break;
    case FramePath::Direct:
        break;
    }
}

// A reset pops every render target: an open frame goes on in the screen
// texture, whose size may differ from the window's now; the blit fits any.
void RetargetOpenFrame()
{
    if (g_screen.frameOpen == 0 || g_screen.screenTexture == nullptr) {
        return;
    }
    g_screen.path = FramePath::Blit;
    GR_PushRenderTarget();
    GR_SetRenderTargetTexture(0, g_screen.screenTexture);
}

}  // namespace

void GR_SetScreenHooks(const ScreenHooks& hooks)
{
    g_screen.hooks = hooks;
}

void GR_FailAndExit(const char* message)
{
    ShowMessage(message);
    if (const auto endProcess = Code_Error_Hooks().endProcess) {
        endProcess(kFatalErrorExitCode);
    }
    std::_Exit(kFatalErrorExitCode);
}

bool GR_D3D_Init(int32_t w, int32_t h, uint32_t options)
{
    GR_D3D_EnumAdapters();
    const Size desktop = DesktopSize();
    g_screen.display = Size{ClampToDesktop(w, desktop.w), ClampToDesktop(h, desktop.h)};
    g_screen.gameWindow = g_screen.display;
    const int32_t depth = GR_Display_GetColorDepth();
    if (depth != -1 && depth != 16 && depth != 32) {
        ShowMessage("This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change this in "
                    "your display properties and run again.");
        return false;
    }
    const bool created = GR_D3D_CreateDevice(g_screen.display.w, g_screen.display.h, options);
    GR_D3D_SetMatrix(TransformKind::World, Matrix_Identity());
    GR_ApplyRenderState();
    GR_D3D_Clear(0, 1.0f, 0, 7);
    if (Device_Get() != nullptr) {
        GR_SetViewport(0, 0, g_screen.screen.w, g_screen.screen.h);
        GR_SetViewProjection(0.0f, 0.0f, static_cast<float>(g_screen.screen.w), static_cast<float>(g_screen.screen.h),
                             0.0f);
        GR_D3D_InitTimerAndFont();
        ShowMessage_SetLeaveFullscreenHook(&LeaveFullscreenForDialog);
    }
    return created;
}

bool GR_D3D_CreateDevice(int32_t w, int32_t h, uint32_t options)
{
    tagIConsole& console = Console();
    g_screen.vsync = (options & kGraphicsVSync) != 0;
    GR_SetScaleInterpolation((options & kGraphicsInterpolate) != 0);
    GR_SetInterpolation((options & kGraphicsInterpolate) != 0);
    g_screen.keepAspect = (options & kGraphicsKeepAspect) != 0;

    console.Printf("Create D3D9 interface\n");
    console.Printf("Enumerate Adapters\n");
    GR_D3D_EnumAdapters();
    g_screen.fullscreen = (options & kGraphicsFullscreen) != 0;
    if (g_screen.fullscreen) {
        const Size desktop = DesktopSize();
        w = desktop.w;
        h = desktop.h;
    }
    console.Printf("Selected Resolution: %dx%d\n", w, h);
    console.Printf("Get Current Desktop Display Mode\n");
    if (GR_Adapters().empty()) {
        ShowMessage("Failed to retrieve display mode.");
        return false;
    }

    console.Printf("Prepare to create device\n");
    g_screen.multisampleWish = 0;
    g_screen.backBuffer = Size{w, h};
    console.Printf("Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n");
    std::unique_ptr<IGraphicsDevice> device = Device_GetFactory()(Parameters());
    if (device == nullptr) {
        GR_FailAndExit("Failed to create Direct3D Screen requirements and that your drivers are up-to-date. If "
                       "your graphics card has little memory, try switching your computer to a lower resolution.");
    }
    Device_Set(std::move(device));
    GR_D3D_ClearStateMirrors();
    if (g_screen.fullscreen) {
        HostWindow_SetFullscreen(true);
    }

    console.Printf("Creating screen render target\n");
    g_screen.screen = g_screen.gameWindow;
    GR_Texture_Free(g_screen.screenTexture);
    g_screen.screenTexture = GR_Texture_Create(g_screen.gameWindow.w, g_screen.gameWindow.h, 1,
                                               kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    g_screen.screenTextureStale = false;
    g_screen.windowHoldsFrame = false;
    g_screen.framesSinceScreenRead = kTextureFramesAfterRead;
    if (g_screen.screenTexture == nullptr) {
        char message[1024];
        std::snprintf(message, sizeof(message),
                      "Unable to create a screen that is %d x %d - please ensure settings are correct", w, h);
        GR_FailAndExit(message);
    }

    console.Printf("Get Device Caps\n");
    g_screen.multisampleMask = 0;
    for (uint32_t samples : {2u, 4u, 8u, 16u}) {
        if (Device_Get()->SupportsMultisample(samples)) {
            g_screen.multisampleMask |= samples;
        }
    }
    g_screen.requested = Size{-1, -1};
    console.Printf("Graphics initialisation end...\n");
    return true;
}

bool GR_D3D_IsReady()
{
    return Device_Get() != nullptr;
}

bool Graphics::Reset()
{
    tagIConsole& console = Console();
    console.Printf("Free all surfaces\n");
    if (g_screen.hooks.freeAllSurfaces != nullptr) {
        g_screen.hooks.freeAllSurfaces();
    }
    console.Printf("Graphics::Reset()\n");
    if (!GR_D3D_Reset()) {
        return false;
    }
    console.Printf("Graphics::Clear()\n");
    GR_D3D_Clear(0, 1.0f, 0, 7);
    console.Printf("D3D Settings Init\n");
    GR_ApplyRenderState();
    return true;
}

bool GR_D3D_Reset()
{
    tagIConsole& console = Console();
    console.Printf("--Reset Begin\n");
    console.Printf("Restore Target\n");
    GR_PopAllRenderTargets();
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return false;
    }
    console.Printf("Check Display Mode\n");
    if (!device->SupportsMultisample(g_screen.multisampleWish)) {
        g_screen.multisampleWish = 0;
    }

    console.Printf("Free Screen Texture\n");
    // The last frame stays the screen texture until a new one holds it (what
    // fits of it): a read before the next frame still finds it, and a failed
    // reset leaves the game the screen it had.
    TextureRecord* lastFrame = g_screen.screenTexture;
    Size old{-1, -1};
    if (lastFrame != nullptr) {
        RefreshScreenTexture();
        old = Size{lastFrame->Width(), lastFrame->Height()};
    }

    console.Printf("Toggle Fullscreen/windowed mode settings\n");
    // A side below 1 is no size a window or texture can have: such a request
    // is refused and the reset keeps the size it had.
    const bool requested = g_screen.requested.w > 0 && g_screen.requested.h > 0;
    const Size newSize = requested ? g_screen.requested : old;
    const Size oldBackBuffer = g_screen.backBuffer;
    HostWindow_SetFullscreen(g_screen.fullscreen);
    if (g_screen.fullscreen) {
        g_screen.backBuffer = DesktopSize();
    } else {
        HostWindow_SetStyle(false, g_screen.sizeable);
        g_screen.backBuffer = newSize;
    }

    g_screen.windowHoldsFrame = false;
    console.Printf("Execute Reset()\n");
    if (!device->Reset(Parameters())) {
        console.Printf("Reset() Failed: %X\n", 0x8876086Cu);
        g_screen.multisampleWish = 0;
        console.Printf("Change SWAP+Multisample type effect, try Reset() again\n");
        if (!device->Reset(Parameters())) {
            // The device keeps the back buffer it had, and the size it
            // refused is not asked again by the next reset.
            g_screen.backBuffer = oldBackBuffer;
            g_screen.requested = Size{-1, -1};
            RetargetOpenFrame();
            return false;
        }
    }
    if (requested) {
        g_screen.screen = g_screen.requested;
        GR_SetScreenSize(g_screen.requested.w, g_screen.requested.h);
    }
    if (!g_screen.fullscreen) {
        console.Printf("WindowedMode: Setup window prefs\n");
        if (requested) {
            g_screen.gameWindow = g_screen.requested;
        }
        g_screen.client = g_screen.gameWindow;
        g_screen.backBuffer = g_screen.gameWindow;
        PlaceWindow(g_screen.gameWindow.w, g_screen.gameWindow.h);
    } else if (requested) {
        g_screen.gameWindow = g_screen.requested;
    }

    if (lastFrame != nullptr) {
        console.Printf("Recreate screen texture\n");
        // A texture the device cannot make leaves the last one in use: the
        // blit stretches any size over the back buffer.
        TextureRecord* fresh =
            GR_Texture_Create(newSize.w, newSize.h, 0, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
        if (fresh != nullptr) {
            GR_D3D_CopyTextureRect(fresh, 0, 0, lastFrame, 0, 0, old.w, old.h);
            GR_Texture_Free(lastFrame);
            g_screen.screenTexture = fresh;
        }
    }
    RetargetOpenFrame();
    GR_D3D_Clear(0, 1.0f, 0, 7);
    g_screen.requested = Size{-1, -1};
    console.Printf("--Reset End\n");
    GR_ApplyRenderState();
    return true;
}

bool GR_D3D_Start_Frame()
{
    if (Device_Get() == nullptr) {
        return false;
    }
    GR_D3D_BeginFrame();
    return true;
}

void GR_D3D_BeginFrame()
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || g_screen.frameOpen != 0) {
        return;
    }
    device->BeginScene();
    GR_PopAllRenderTargets();
    GR_PushRenderTarget();
    if (HostWindow_Exists()) {
        HostWindow_GetClientSize(g_screen.client.w, g_screen.client.h);
    } else {
        g_screen.client = g_screen.backBuffer;
    }
    g_screen.path = ChoosePath();
    if (g_screen.path == FramePath::Direct && !device->SetRenderTarget(kDeviceWindowTarget)) {
        // A window that cannot be drawn into like a texture gets copies.
        g_screen.path = FramePath::Copy;
    }
    if (g_screen.path == FramePath::Direct) {
        g_screen.screenTextureStale = true;
    } else {
        // A frame that does not clear draws over the last one.
        RefreshScreenTexture();
        GR_SetRenderTargetTexture(0, g_screen.screenTexture);
    }
    g_screen.framesSinceScreenRead = std::min(g_screen.framesSinceScreenRead + 1, kTextureFramesAfterRead);
    GR_ResetTextureSwaps();
    GR_VB_ResetDrawCalls();
    Profiler_BeginFrame();
    ++g_screen.frameOpen;
}

bool GR_D3D_Finish_Frame(bool present)
{
    if (Device_Get() == nullptr) {
        return false;
    }
    const int64_t start = Host_ClockMicroseconds();
    GR_D3D_EndFrame();
    if (present) {
        GR_D3D_Present();
    }
    g_screen.timing.presentMicroseconds = Host_ClockMicroseconds() - start;
    return true;
}

void GR_D3D_EndFrame()
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || g_screen.frameOpen != 1) {
        return;
    }
    GR_VB_Flush();
    Overlay_Draw();
    GR_UpdateFrameTiming();
    --g_screen.frameOpen;
    GR_VB_Flush();
    if (GR_RenderTargetDepth() != 1) {
        // A surface is still the target: unwind to the frame's own entry so
        // the blit reads the screen and lands in the back buffer.
        while (GR_RenderTargetDepth() > 1 && GR_PopRenderTarget()) {
        }
        if (g_screen.hooks.resetSurfaceTarget != nullptr) {
            g_screen.hooks.resetSurfaceTarget();
        }
    }
    if (!GR_PopRenderTarget()) {
        device->SetRenderTarget(0);
    }
    ShowScreen();
    g_screen.windowHoldsFrame = g_screen.path != FramePath::Blit;
    GR_VB_Flush();
    GR_VB_EndFrame();
    device->EndScene();
    GR_PopAllRenderTargets();
}

void GR_KeepScreenTexture()
{
    g_screen.framesSinceScreenRead = 0;
    if (!g_screen.screenTextureStale || Device_Get() == nullptr) {
        return;
    }
    GR_VB_Flush();
    RefreshScreenTexture();
    if (g_screen.frameOpen == 0 || g_screen.path != FramePath::Direct) {
        return;
    }
    g_screen.path = FramePath::Copy;
    if (GR_ReplaceRenderTarget(kDeviceWindowTarget, g_screen.screenTexture->texture)) {
        int32_t x = 0, y = 0, w = 0, h = 0;
        GR_GetViewport(x, y, w, h);
        if (w > 0 && h > 0) {
            GR_D3D_SetViewport(x, y, w, h);
        }
    }
}

void GR_D3D_BlitScreen()
{
    if (Device_Get() == nullptr) {
        return;
    }
    GR_VB_Flush();
    const Size savedGameWindow = g_screen.gameWindow;
    g_screen.gameWindow = g_screen.backBuffer;
    Overlay_BeginScreenSpace();
    GR_D3D_ApplyState(ES_AlphaBlendEnable, 0);
    const bool savedInterpolation = GR_GetInterpolation();
    GR_SetInterpolation(GR_GetScaleInterpolation());

    // Pixel space of the back buffer. The projection moves the image by half
    // a back-buffer pixel so texel and pixel centres line up at any scale
    // (half a game pixel would push the image off the right and bottom edges
    // once it is stretched).
    const int32_t bbW = g_screen.backBuffer.w;
    const int32_t bbH = g_screen.backBuffer.h;
    const Matrix view = Matrix_Translation(-static_cast<float>(bbW / 2), -static_cast<float>(bbH / 2), 16000.0f);
    GR_D3D_SetMatrix(TransformKind::View, view);
    Matrix projection{};
    Matrix_BuildOrthoProjection(projection, static_cast<float>(bbW), -static_cast<float>(bbH), 1.0f, 32000.0f);
    projection.m[12] -= 1.0f / static_cast<float>(std::max(bbW, 1));
    projection.m[13] += 1.0f / static_cast<float>(std::max(bbH, 1));
    Device_Get()->SetTransform(TransformKind::Projection, projection);

    GR_D3D_Clear(Window_GetColour(), 1.0f, 0, 7);
    float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
    BlitRectangle(x0, y0, x1, y1);
    GR_D3D_DrawTexturedQuad(g_screen.screenTexture, x0, y0, x1, y1, 0.0f, 0.0f, 1.0f, 1.0f, 0xFFFFFFFFu);

    GR_VB_Flush();
    GR_SetInterpolation(savedInterpolation);
    Overlay_EndScreenSpace();
    GR_D3D_ApplyState(ES_AlphaBlendEnable, 1);
    g_screen.gameWindow = savedGameWindow;
}

void GR_D3D_GetLetterbox(int32_t& x, int32_t& y)
{
    x = 0;
    y = 0;
    if (!g_screen.keepAspect || g_screen.gameWindow.w <= 0 || g_screen.gameWindow.h <= 0) {
        return;
    }
    const auto w = static_cast<float>(g_screen.gameWindow.w);
    const auto h = static_cast<float>(g_screen.gameWindow.h);
    const auto bbW = static_cast<float>(g_screen.backBuffer.w);
    const auto bbH = static_cast<float>(g_screen.backBuffer.h);
    const float aspect = w / h;
    if (bbH > bbW / aspect) {
        y = static_cast<int32_t>((bbH - (h / w) * bbW) * 0.5f);
    } else {
        x = static_cast<int32_t>((bbW - bbH * aspect) * 0.5f);
    }
}

void GR_D3D_Frame()
{
    if (GR_D3D_Start_Frame()) {
        GR_D3D_Finish_Frame(true);
    }
}

bool GR_D3D_Present()
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return false;
    }
    GR_ShowWindowPending();
    return device->Present();
}

bool GR_ShowWindowPending()
{
    if (!g_screen.showPending) {
        return false;
    }
    HostWindow_Show();
    ProcessMessages();
    g_screen.showPending = false;
    return true;
}

bool GR_D3D_LeaveFullscreen()
{
    const bool shown = GR_ShowWindowPending();
    if (!g_screen.fullscreen) {
        return shown;
    }
    g_screen.fullscreen = false;
    const bool frameOpen = g_screen.frameOpen > 0;
    if (frameOpen) {
        GR_D3D_Finish_Frame(false);
    }
    GR_D3D_Reset();
    if (frameOpen) {
        GR_D3D_Start_Frame();
    }
    return true;
}

void GR_D3D_SetAntiAlias(int32_t level)
{
    g_screen.multisampleWish = level == 2 || level == 4 || level == 8 || level == 16 ? static_cast<uint32_t>(level) : 0;
}

void GR_D3D_SetVSync(bool on)
{
    g_screen.vsync = on;
}

void GR_D3D_ClearAll()
{
    GR_D3D_Clear(0, 1.0f, 0, 7);
}

void GR_D3D_Shutdown()
{
    Overlay_Shutdown();
    GR_PopAllRenderTargets();
    GR_VB_ReleaseAll();
    Device_Set(nullptr);
    ShowMessage_SetLeaveFullscreenHook(nullptr);
    g_screen.frameOpen = 0;
}

void GR_D3D_FreeScreen()
{
    GR_Texture_Free(g_screen.screenTexture);
    g_screen.screenTexture = nullptr;
    g_screen.screenTextureStale = false;
}

void GR_UpdateFrameTiming()
{
    FrameTiming& timing = g_screen.timing;
    const int64_t now = Host_ClockMicroseconds();
    const int64_t delta = now - timing.previous;
    timing.seconds = static_cast<float>(delta) / static_cast<float>(kTimerFrequency);
    timing.milliseconds = 1000.0f / static_cast<float>(kTimerFrequency) * static_cast<float>(delta);
    timing.previous = now;
    timing.accumulator += delta;
    ++timing.frames;
    if (timing.accumulator > kTimerFrequency) {
        timing.accumulator -= kTimerFrequency;
        timing.framesLastSecond = timing.frames;
        timing.frames = 0;
    }
}

void GR_D3D_InitTimerAndFont()
{
    g_screen.frameOpen = 0;
    Overlay_Init();
    g_screen.timing = FrameTiming();
    g_screen.timing.previous = Host_ClockMicroseconds();
}

void GR_SetScreenSize(int32_t w, int32_t h)
{
    const Size desktop = DesktopSize();
    const Size display{ClampToDesktop(w, desktop.w), ClampToDesktop(h, desktop.h)};
    if (display.w == g_screen.display.w && display.h == g_screen.display.h) {
        return;
    }
    g_screen.display = display;
    if (Device_Get() != nullptr) {
        GR_SetViewport(0, 0, display.w, display.h);
    }
    GR_SetViewProjection(0.0f, 0.0f, static_cast<float>(display.w), static_cast<float>(display.h), 0.0f);
}

int32_t GR_GetScreenWidth()
{
    return g_screen.gameWindow.w;
}

int32_t GR_GetScreenHeight()
{
    return g_screen.gameWindow.h;
}

void GR_SetGuiSize(int32_t w, int32_t h)
{
    g_screen.gui = Size{w, h};
}

int32_t GR_GetGuiWidth()
{
    return g_screen.gui.w;
}

int32_t GR_GetGuiHeight()
{
    return g_screen.gui.h;
}

void GR_SetGuiProjection()
{
    const int32_t width = GR_GetScreenWidth();
    const int32_t height = GR_GetScreenHeight();
    // A GUI of no size has nothing to project onto: the window serves, as
    // it does while unset.
    const int32_t guiWidth = g_screen.gui.w > 0 ? g_screen.gui.w : width;
    const int32_t guiHeight = g_screen.gui.h > 0 ? g_screen.gui.h : height;
    GR_VB_Flush();
    GR_3D_Set(false);
    GR_SetViewport(0, 0, width, height);
    GR_SetViewProjection(0.0f, 0.0f, static_cast<float>(guiWidth), static_cast<float>(guiHeight), 0.0f);
}

GuiProjectionScope::GuiProjectionScope()
    : m_3d(GR_3D_IsOn()), m_perspective(GR_3D_GetPerspective()), m_hidden(GR_3D_GetHidden())
{
    GR_SetGuiProjection();
}

GuiProjectionScope::~GuiProjectionScope()
{
    GR_3D_Set(m_3d);
    GR_3D_SetPerspective(m_perspective);
    GR_3D_SetHidden(m_hidden);
}

int32_t GR_GetDisplayWidth()
{
    return g_screen.display.w;
}

int32_t GR_GetDisplayHeight()
{
    return g_screen.display.h;
}

void GR_GetBackBufferSize(int32_t& w, int32_t& h)
{
    w = g_screen.backBuffer.w;
    h = g_screen.backBuffer.h;
}

void GR_GetClientSize(int32_t& w, int32_t& h)
{
    w = g_screen.client.w;
    h = g_screen.client.h;
}

TextureRecord* GR_GetScreenTexture()
{
    return g_screen.screenTexture;
}

bool GR_IsFullscreen()
{
    return g_screen.fullscreen;
}

void GR_SetFullscreenWish(bool fullscreen)
{
    g_screen.fullscreen = fullscreen;
}

void GR_SetRequestedSize(int32_t w, int32_t h)
{
    g_screen.requested = Size{w, h};
}

void GR_SetKeepPosition(bool keep)
{
    g_screen.keepPosition = keep;
}

void GR_SetWindowSizeable(bool sizeable)
{
    g_screen.sizeable = sizeable;
}

int32_t GR_FrameOpenCount()
{
    return g_screen.frameOpen;
}

int64_t GR_LastPresentMicroseconds()
{
    return g_screen.timing.presentMicroseconds;
}

int32_t GR_FramesLastSecond()
{
    return g_screen.timing.framesLastSecond;
}

}  // namespace bw
