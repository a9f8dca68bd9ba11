#include "graphics/transforms.h"

#include <algorithm>
#include <cmath>

#include "graphics/graphics_3d.h"
#include "graphics/render_state.h"
#include "graphics/screen.h"
#include "graphics/texture_records.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

constexpr float kHalfPixelTolerance = 0.01f;
constexpr float kDegreesToRadians = 3.1415927f / 180.0f;

struct TransformState {
    Matrix matrices[3] = {};
    int32_t viewport[4] = {};
    float viewRectangle[5] = {};
    DeviceTextureId lastBound = 0;
    int32_t textureSwaps = 0;
    int32_t lastFrameTextureSwaps = 0;
    ProjectionReferenceSource reference = nullptr;
    float halfPixelScale[2] = {1.0f, 1.0f};
    bool customProjection = false;
    // The port of the room view being drawn, as its viewport was set.
    bool inRoomPort = false;
    int32_t roomPort[4] = {};
};
TransformState g_state;

uint32_t SwapRedBlue(uint32_t colour)
{
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

// How much of the half-pixel correction a projection gets along one axis:
// all of it unscaled, fading to none once the view is scaled by 1 %.
float HalfPixelScale(float port, float view)
{
    if (port <= 0.0f || view <= 0.0f) {
        return 1.0f;
    }
    const float ratio = std::max(port, view) / std::min(port, view);
    return std::max(0.0f, (kHalfPixelTolerance - (ratio - 1.0f)) / kHalfPixelTolerance);
}

void ApplyHalfPixelOffset(Matrix& projection)
{
    float width = 640.0f;
    float height = 480.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    if (g_state.reference != nullptr) {
        const ProjectionReference reference = g_state.reference();
        if (reference.haveRoom) {
            width = reference.roomWidth;
            height = reference.roomHeight;
            if (reference.firstViewVisible) {
                width = reference.portWidth;
                height = reference.portHeight;
                scaleX = HalfPixelScale(reference.portWidth, reference.viewWidth);
                scaleY = HalfPixelScale(reference.portHeight, reference.viewHeight);
            }
        }
    }
    g_state.halfPixelScale[0] = scaleX;
    g_state.halfPixelScale[1] = scaleY;
    if (width > 0.0f) {
        projection.m[12] -= (1.0f / width) * scaleX;
    }
    if (height > 0.0f) {
        projection.m[13] += (1.0f / height) * scaleY;
    }
}

DeviceColourValue ColourValue(uint32_t colour)
{
    return DeviceColourValue{static_cast<float>(colour & 0xFF) / 255.0f,
                             static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                             static_cast<float>((colour >> 16) & 0xFF) / 255.0f, 0.0f};
}

// The device, once the open batch is drawn: the lights, the material and the
// ambient colour are read when a batch is drawn, so what was batched before
// a change must be drawn under the old ones.
IGraphicsDevice* LightingDevice()
{
    IGraphicsDevice* device = Device_Get();
    if (device != nullptr) {
        GR_VB_Flush();
    }
    return device;
}

std::vector<uint32_t> ReadRect(DeviceTextureId source, int32_t x, int32_t y, int32_t w, int32_t h)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    if (!Device_Get()->ReadRect(source, x, y, w, h, pixels.data())) {
        pixels.clear();
    }
    return pixels;
}

void StoreMatrix(TransformKind kind, const Matrix& matrix, bool correct)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return;
    }
    GR_VB_Flush();
    const auto index = std::min<size_t>(static_cast<size_t>(kind), 2);
    Matrix& stored = g_state.matrices[index];
    stored = matrix;
    if (correct && kind == TransformKind::Projection) {
        ApplyHalfPixelOffset(stored);
    }
    device->SetTransform(static_cast<TransformKind>(index), stored);
}

// Looks at the centre of the room rectangle (x, y, w, h) from eyeZ before
// the room's plane, turned by `angle` degrees as a view angle turns it.
Matrix RectangleLookAt(float x, float y, float w, float h, float angle, float eyeZ)
{
    const float cx = x + w * 0.5f;
    const float cy = y + h * 0.5f;
    const float a = -angle * kDegreesToRadians;
    Matrix view{};
    Matrix_BuildLookAt(view, Vector3{cx, cy, eyeZ}, Vector3{cx, cy, 0.0f}, Vector3{std::sin(a), std::cos(a), 0.0f});
    return view;
}

// Cuts (x, y, w, h) to [left, right) x [top, bottom); what lies before the
// left or top edge shortens the rectangle. The edges are taken in 64 bits.
bool CutRectangleTo(int32_t& x, int32_t& y, int32_t& w, int32_t& h, int64_t left, int64_t top, int64_t right,
                    int64_t bottom)
{
    left = std::max<int64_t>(x, left);
    top = std::max<int64_t>(y, top);
    right = std::min<int64_t>(int64_t{x} + w, right);
    bottom = std::min<int64_t>(int64_t{y} + h, bottom);
    if (right - left < 1 || bottom - top < 1) {
        return false;
    }
    x = static_cast<int32_t>(left);
    y = static_cast<int32_t>(top);
    w = static_cast<int32_t>(right - left);
    h = static_cast<int32_t>(bottom - top);
    return true;
}

}  // namespace

bool GR_CutRectangle(int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t limitW, int32_t limitH)
{
    return CutRectangleTo(x, y, w, h, 0, 0, limitW, limitH);
}

Matrix Matrix_Identity()
{
    Matrix identity{};
    identity.m[0] = identity.m[5] = identity.m[10] = identity.m[15] = 1.0f;
    return identity;
}

Matrix Matrix_Translation(float x, float y, float z)
{
    Matrix m = Matrix_Identity();
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

void GR_SetProjectionReferenceSource(ProjectionReferenceSource source)
{
    g_state.reference = source;
}

void GR_D3D_SetMatrix(TransformKind kind, const Matrix& matrix)
{
    StoreMatrix(kind, matrix, true);
}

void GR_D3D_RestoreMatrix(TransformKind kind, const Matrix& matrix)
{
    StoreMatrix(kind, matrix, false);
}

void GR_D3D_GetMatrix(TransformKind kind, Matrix& out)
{
    out = g_state.matrices[std::min<size_t>(static_cast<size_t>(kind), 2)];
}

void GR_SetViewport(int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (Device_Get() == nullptr) {
        return;
    }
    g_state.viewport[0] = x;
    g_state.viewport[1] = y;
    g_state.viewport[2] = w;
    g_state.viewport[3] = h;
    GR_D3D_SetViewport(x, y, w, h);
}

void GR_D3D_SetViewport(int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (IGraphicsDevice* device = Device_Get()) {
        device->SetViewport(DeviceViewport{x, y, w, h, 0.0f, 1.0f});
    }
}

void GR_GetViewport(int32_t& x, int32_t& y, int32_t& w, int32_t& h)
{
    x = g_state.viewport[0];
    y = g_state.viewport[1];
    w = g_state.viewport[2];
    h = g_state.viewport[3];
}

void GR_SetViewProjection(float x, float y, float w, float h, float angle)
{
    g_state.viewRectangle[0] = x;
    g_state.viewRectangle[1] = y;
    g_state.viewRectangle[2] = w;
    g_state.viewRectangle[3] = h;
    g_state.viewRectangle[4] = angle;
    Matrix view{};
    Matrix projection{};
    if (GR_3D_IsOn() && GR_3D_GetPerspective()) {
        // A room view in 3D mode keeps a perspective of positive height,
        // which shows a room drawn flat upside down: d3d_set_projection
        // moves only the camera and builds on this projection, and the z-up
        // camera of a 3D game shows its world upright, with the faces
        // culling keeps, only through this one.
        view = RectangleLookAt(x, y, w, h, angle, -w);
        Matrix_BuildPerspective(projection, 1.0f, h / w, 1.0f, 32000.0f);
    } else {
        GR_BuildRectangleProjection(x, y, w, h, angle, false, view, projection);
    }
    GR_D3D_SetMatrix(TransformKind::View, view);
    GR_D3D_SetMatrix(TransformKind::Projection, projection);
    g_state.customProjection = false;
}

void GR_BuildRectangleProjection(float x, float y, float w, float h, float angle, bool perspective, Matrix& view,
                                 Matrix& projection)
{
    // The room's y grows downward and the device's upward: a negative
    // height puts the rectangle's top at the top of the target.
    if (perspective) {
        view = RectangleLookAt(x, y, w, h, angle, -w);
        Matrix_BuildPerspective(projection, 1.0f, -h / w, 1.0f, 32000.0f);
    } else {
        view = RectangleLookAt(x, y, w, h, angle, -16000.0f);
        Matrix_BuildOrthoProjection(projection, w, -h, 1.0f, 32000.0f);
    }
}

void GR_SetCustomProjection()
{
    g_state.customProjection = true;
}

bool GR_HasCustomProjection()
{
    return g_state.customProjection;
}

void GR_D3D_Clear(uint32_t colour, float z, uint32_t stencil, uint32_t flags)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || (flags & 7) == 0) {
        return;
    }
    // What was drawn before the clear must lie under it, not land on it
    // when the batch is drawn later.
    GR_VB_Flush();
    device->Clear(flags & 7, SwapRedBlue(colour), z, stencil);
}

void GR_D3D_SetTexture(uint32_t stage, TextureRecord* record)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return;
    }
    const DeviceTextureId texture = record != nullptr ? record->texture : 0;
    device->SetTexture(stage, texture);
    if (texture != g_state.lastBound) {
        ++g_state.textureSwaps;
        g_state.lastBound = texture;
    }
}

int32_t GR_TextureSwaps()
{
    return g_state.textureSwaps;
}

int32_t GR_LastFrameTextureSwaps()
{
    return g_state.lastFrameTextureSwaps;
}

void GR_ResetTextureSwaps()
{
    g_state.lastFrameTextureSwaps = g_state.textureSwaps;
    g_state.textureSwaps = 0;
}

std::vector<uint32_t> GR_D3D_ReadScreenRect(int32_t screenWidth, int32_t screenHeight, int32_t x, int32_t y, int32_t w,
                                            int32_t h)
{
    return GR_ReadScreenRectCut(screenWidth, screenHeight, x, y, w, h);
}

std::vector<uint32_t> GR_ReadScreenRectCut(int32_t screenWidth, int32_t screenHeight, int32_t x, int32_t y, int32_t& w,
                                           int32_t& h)
{
    GR_KeepScreenTexture();
    TextureRecord* screen = GR_GetScreenTexture();
    if (Device_Get() == nullptr || screen == nullptr) {
        return {};
    }
    GR_VB_Flush();
    // Only the part inside the screen is read: what lies left of or above
    // it shortens the rectangle instead of shifting it.
    if (!GR_CutRectangle(x, y, w, h, std::min(screenWidth, screen->Width()), std::min(screenHeight, screen->Height()))) {
        return {};
    }
    return ReadRect(screen->texture, x, y, w, h);
}

void GR_SetRoomPort(int32_t x, int32_t y, int32_t w, int32_t h)
{
    g_state.inRoomPort = true;
    g_state.roomPort[0] = x;
    g_state.roomPort[1] = y;
    g_state.roomPort[2] = w;
    g_state.roomPort[3] = h;
}

void GR_ClearRoomPort()
{
    g_state.inRoomPort = false;
}

std::vector<uint32_t> GR_ReadScreenCapture(int32_t x, int32_t y, int32_t& w, int32_t& h)
{
    const int32_t* port = g_state.roomPort;
    if (g_state.inRoomPort && !CutRectangleTo(x, y, w, h, port[0], port[1], int64_t{port[0]} + port[2],
                                              int64_t{port[1]} + port[3])) {
        return {};
    }
    return GR_ReadScreenRectCut(GR_GetScreenWidth(), GR_GetScreenHeight(), x, y, w, h);
}

std::vector<uint32_t> GR_D3D_ReadTextureRect(TextureRecord* record, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (Device_Get() == nullptr || record == nullptr) {
        return {};
    }
    GR_VB_Flush();
    if (!GR_CutRectangle(x, y, w, h, record->Width(), record->Height())) {
        return {};
    }
    return ReadRect(record->texture, x, y, w, h);
}

void GR_D3D_CopyTextureRect(TextureRecord* destination, int32_t dx, int32_t dy, TextureRecord* source, int32_t sx,
                            int32_t sy, int32_t w, int32_t h)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || destination == nullptr || source == nullptr) {
        return;
    }
    GR_VB_Flush();
    // A source starting outside the texture copies only its inside part, to
    // the matching place. Game code may place both anywhere in the 32-bit
    // range: the sums are taken in 64 bits.
    int64_t fromX = sx, fromY = sy, toX = dx, toY = dy, width = w, height = h;
    if (fromX < 0) {
        width += fromX;
        toX -= fromX;
        fromX = 0;
    }
    if (fromY < 0) {
        height += fromY;
        toY -= fromY;
        fromY = 0;
    }
    if (toX < 0 || toY < 0) {
        return;
    }
    width = std::min({width, source->Width() - fromX, destination->Width() - toX});
    height = std::min({height, source->Height() - fromY, destination->Height() - toY});
    if (width < 1 || height < 1) {
        return;
    }
    // Past the cut every edge lies on a texture, so it fits in 32 bits.
    const auto sourceX = static_cast<int32_t>(fromX), sourceY = static_cast<int32_t>(fromY);
    const auto destX = static_cast<int32_t>(toX), destY = static_cast<int32_t>(toY);
    const auto cutW = static_cast<int32_t>(width), cutH = static_cast<int32_t>(height);
    if (source != destination) {
        device->CopyRect(destination->texture, destX, destY, source->texture, sourceX, sourceY, cutW, cutH);
        return;
    }
    // Within one texture the rectangles may overlap, where the device leaves
    // the copy undefined (it reads pixels it has already written): the
    // source goes through a texture of its own, so the copy reads the
    // picture as it was before the call.
    TextureRecord* held = GR_Texture_Create(cutW, cutH, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    if (held == nullptr) {
        return;
    }
    device->CopyRect(held->texture, 0, 0, source->texture, sourceX, sourceY, cutW, cutH);
    device->CopyRect(destination->texture, destX, destY, held->texture, 0, 0, cutW, cutH);
    GR_Texture_Free(held);
}

uint32_t GR_GetPixel(int32_t x, int32_t y)
{
    // Anywhere in the game's image, as screen_save reads it: a window scaled
    // over the ports reaches past the size the ports gave the display.
    // Left of or above the image the edge pixel is read, as a mouse just
    // off the window's edge still finds the colour there.
    const std::vector<uint32_t> pixel =
        GR_D3D_ReadScreenRect(GR_GetScreenWidth(), GR_GetScreenHeight(), std::max(x, 0), std::max(y, 0), 1, 1);
    return pixel.size() == 1 ? SwapRedBlue(pixel[0] & 0xFFFFFFu) : 0;
}

void GR_D3D_SetAmbient(uint32_t colour)
{
    IGraphicsDevice* device = LightingDevice();
    if (device == nullptr) {
        return;
    }
    const DeviceColourValue one{1.0f, 1.0f, 1.0f, 1.0f};
    device->SetMaterial(DeviceMaterial{one, one, one, DeviceColourValue{0.0f, 0.0f, 0.0f, 0.0f}, 1.0f});
    GR_D3D_SetRenderState(RS_AMBIENT, SwapRedBlue(colour) | 0xFF000000u);
}

void GR_D3D_DefineDirLight(int32_t index, float dx, float dy, float dz, uint32_t colour)
{
    IGraphicsDevice* device = LightingDevice();
    if (device == nullptr) {
        return;
    }
    DeviceLight light;
    light.type = DeviceLightType::Directional;
    light.diffuse = ColourValue(colour);
    light.direction = Vector3{dx, dy, dz};
    device->SetLight(static_cast<uint32_t>(index) & 7, light);
}

void GR_D3D_DefinePointLight(int32_t index, float x, float y, float z, float range, uint32_t colour)
{
    IGraphicsDevice* device = LightingDevice();
    if (device == nullptr) {
        return;
    }
    DeviceLight light;
    light.type = DeviceLightType::Point;
    light.diffuse = ColourValue(colour);
    light.position = Vector3{x, y, z};
    light.range = range;
    light.attenuation0 = 1.0f;
    if (range > 0.0f) {
        light.attenuation1 = 1.0f / range;
    }
    device->SetLight(static_cast<uint32_t>(index) & 7, light);
}

void GR_D3D_EnableLight(int32_t index, bool enable)
{
    if (IGraphicsDevice* device = LightingDevice()) {
        device->LightEnable(static_cast<uint32_t>(index) & 7, enable);
    }
}

void GR_D3D_DrawTexturedQuad(TextureRecord* record, float x0, float y0, float x1, float y1, float u0, float v0,
                             float u1, float v1, uint32_t colour)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return;
    }
    const Vertex2DTex quad[4] = {
        {x0, y0, 0.0f, colour, u0, v0},
        {x1, y0, 0.0f, colour, u1, v0},
        {x1, y1, 0.0f, colour, u1, v1},
        {x0, y1, 0.0f, colour, u0, v1},
    };
    GR_D3D_SetTexture(0, record);
    device->DrawPrimitiveUP(PrimitiveTriangleFan, 2, kFvfVertex2DTex, quad);
}

void GR_SetVector3(float x, float y, float z, float out[3])
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

void GR_GetHalfPixelScale(float& x, float& y)
{
    x = g_state.halfPixelScale[0];
    y = g_state.halfPixelScale[1];
}

void GR_GetViewProjection(float& x, float& y, float& w, float& h, float& angle)
{
    x = g_state.viewRectangle[0];
    y = g_state.viewRectangle[1];
    w = g_state.viewRectangle[2];
    h = g_state.viewRectangle[3];
    angle = g_state.viewRectangle[4];
}

}  // namespace bw
