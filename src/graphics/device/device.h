// The graphics device: about 25 operations with Direct3D 9's semantics, so
// the engine code above it (texture records, the render-state cache, the
// vertex batch, the render-target stack) keeps the conventions it was written
// for: pixel centres on integer coordinates, a top-left origin on every
// target, depth 0..1, row-vector matrices, colours as 0xAARRGGBB (BGRA bytes
// in memory), the device's blend factors and compare functions.
//
// Back ends: `gl` (OpenGL 3.3 core) and `recording` (logs every call for the
// tests). Having no device at all is a valid state: every engine entry point
// asks `Device_Get` first.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/maths.h"

namespace bw {

// D3DPRIMITIVETYPE values.
enum PrimitiveType : int32_t {
    PrimitivePointList = 1,
    PrimitiveLineList = 2,
    PrimitiveLineStrip = 3,
    PrimitiveTriangleList = 4,
    PrimitiveTriangleStrip = 5,
    PrimitiveTriangleFan = 6,
};

// Flexible vertex format bits; the vertex layouts below follow them in order.
inline constexpr uint32_t kFvfXyz = 0x002;
inline constexpr uint32_t kFvfXyzRhw = 0x004;
inline constexpr uint32_t kFvfXyzw = 0x4002;
inline constexpr uint32_t kFvfNormal = 0x010;
inline constexpr uint32_t kFvfDiffuse = 0x040;
inline constexpr uint32_t kFvfTex1 = 0x100;
inline constexpr uint32_t kFvfVertex2D = kFvfXyz | kFvfDiffuse;                         // 0x42
inline constexpr uint32_t kFvfVertex2DTex = kFvfXyz | kFvfDiffuse | kFvfTex1;           // 0x142
inline constexpr uint32_t kFvfVertex3D = kFvfXyz | kFvfNormal | kFvfDiffuse | kFvfTex1;  // 0x152

struct Vertex2D {
    float x, y, z;
    uint32_t colour;  // 0xAARRGGBB
};
struct Vertex2DTex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
struct Vertex3D {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(Vertex2D) == 16);
static_assert(sizeof(Vertex2DTex) == 24);
static_assert(sizeof(Vertex3D) == 36);

// Bytes per vertex of a format: XYZ 12, XYZRHW 16, XYZW 16 more, NORMAL 12,
// DIFFUSE 4, TEX1 8.
uint32_t Fvf_VertexSize(uint32_t fvf);
// Vertices a primitive count needs, and back; counts below one primitive give 0.
uint32_t Primitive_CountFromVertices(int32_t type, uint32_t vertices);
uint32_t Primitive_VerticesFromCount(int32_t type, uint32_t primitives);

// D3DRENDERSTATETYPE values the engine uses.
enum DeviceRenderState : uint32_t {
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_LASTPIXEL = 16,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGSTART = 36,
    RS_FOGEND = 37,
    RS_FOGDENSITY = 38,
    RS_RANGEFOGENABLE = 48,
    RS_STENCILENABLE = 52,
    RS_STENCILZFAIL = 54,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_FOGVERTEXMODE = 140,
    RS_COLORWRITEENABLE = 168,
    RS_BLENDOP = 171,
    RS_BLENDFACTOR = 193,
};
inline constexpr uint32_t kRenderStateCount = 210;

// Values of those states.
inline constexpr uint32_t kFillPoint = 1, kFillWireframe = 2, kFillSolid = 3;
inline constexpr uint32_t kShadeFlat = 1, kShadeGouraud = 2;
inline constexpr uint32_t kCullNone = 1, kCullCW = 2, kCullCCW = 3;
inline constexpr uint32_t kCmpNever = 1, kCmpLess = 2, kCmpEqual = 3, kCmpLessEqual = 4, kCmpGreater = 5,
                          kCmpNotEqual = 6, kCmpGreaterEqual = 7, kCmpAlways = 8;
inline constexpr uint32_t kFogNone = 0, kFogExp = 1, kFogExp2 = 2, kFogLinear = 3;
enum DeviceBlend : uint32_t {
    BlendZero = 1,
    BlendOne = 2,
    BlendSrcColor = 3,
    BlendInvSrcColor = 4,
    BlendSrcAlpha = 5,
    BlendInvSrcAlpha = 6,
    BlendDestAlpha = 7,
    BlendInvDestAlpha = 8,
    BlendDestColor = 9,
    BlendInvDestColor = 10,
    BlendSrcAlphaSat = 11,
    BlendBothSrcAlpha = 12,     // source SRCALPHA and destination INVSRCALPHA at once
    BlendBothInvSrcAlpha = 13,  // source INVSRCALPHA and destination SRCALPHA at once
    BlendBlendFactor = 14,
    BlendInvBlendFactor = 15,
    BlendSrcColor2 = 16,
    BlendInvSrcColor2 = 17,
};

// D3DSAMPLERSTATETYPE values and their values.
inline constexpr uint32_t kSampAddressU = 1, kSampAddressV = 2, kSampMagFilter = 5, kSampMinFilter = 6;
inline constexpr uint32_t kSamplerStateCount = 16;
inline constexpr uint32_t kTexFilterPoint = 1, kTexFilterLinear = 2;
inline constexpr uint32_t kTexAddressWrap = 1, kTexAddressClamp = 3;

// D3DTEXTURESTAGESTATETYPE values and their values.
inline constexpr uint32_t kTssColorOp = 1, kTssColorArg1 = 2, kTssColorArg2 = 3, kTssAlphaOp = 4, kTssAlphaArg1 = 5,
                          kTssAlphaArg2 = 6;
inline constexpr uint32_t kTopSelectArg1 = 2, kTopSelectArg2 = 3, kTopModulate = 4;
inline constexpr uint32_t kTaDiffuse = 0, kTaTexture = 2;

// Clear flags.
inline constexpr uint32_t kClearTarget = 1, kClearZBuffer = 2, kClearStencil = 4;

// Texture formats (D3DFORMAT numbers) the back ends understand.
inline constexpr uint32_t kFormatA8R8G8B8 = 21, kFormatA4R4G4B4 = 26, kFormatD24S8 = 75, kFormatR16F = 111,
                          kFormatR32F = 114;

// D3DRASTERCAPS bits reported by GetCaps.
inline constexpr uint32_t kRasterCapsFogVertex = 0x80, kRasterCapsFogTable = 0x100;

enum class TransformKind : uint32_t { View = 0, Projection = 1, World = 2 };

// Handles are small integers of the device; 0 is "none". Render target 0 is
// the back buffer.
using DeviceTextureId = uint32_t;
using DeviceBufferId = uint32_t;

// The window's own image as a render target, read and copied like the others
// (top row first). What a frame draws or copies there is shown by Present as
// it is, without the back buffer's copy onto the window. A device takes it as
// the target only where the window keeps its image through Present: there,
// until the frame touches it, reads give the image last shown.
inline constexpr DeviceTextureId kDeviceWindowTarget = 0xFFFFFFFFu;

struct DeviceParameters {
    int32_t backBufferWidth = 0;
    int32_t backBufferHeight = 0;
    bool fullscreen = false;
    bool vsync = false;
    uint32_t multisample = 0;
};

struct DeviceCaps {
    uint32_t rasterCaps = 0;
};

struct DeviceViewport {
    int32_t x, y, width, height;
    float minZ, maxZ;
};

struct DeviceColourValue {
    float r, g, b, a;
};

struct DeviceMaterial {
    DeviceColourValue diffuse, ambient, specular, emissive;
    float power;
};

enum class DeviceLightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };
inline constexpr uint32_t kDeviceLightCount = 8;

struct DeviceLight {
    DeviceLightType type = DeviceLightType::Directional;
    DeviceColourValue diffuse{};
    Vector3 position{};
    Vector3 direction{};
    float range = 0.0f;
    float attenuation0 = 0.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
};

class IGraphicsDevice {
public:
    virtual ~IGraphicsDevice() = default;

    // Applies a new back-buffer size and presentation; the device keeps every
    // texture and state it had.
    virtual bool Reset(const DeviceParameters& parameters) = 0;
    virtual DeviceCaps GetCaps() const = 0;
    virtual bool SupportsMultisample(uint32_t samples) const = 0;
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    // Shows the window's image when the frame drew into it, else the back
    // buffer stretched over the window.
    virtual bool Present() = 0;

    // A render target comes with its own depth buffer. 0 on failure.
    virtual DeviceTextureId CreateTexture(int32_t width, int32_t height, uint32_t format, bool renderTarget) = 0;
    virtual void ReleaseTexture(DeviceTextureId texture) = 0;
    // Replaces the whole of level 0; rows of `pitch` bytes, top row first.
    virtual bool UpdateTexture(DeviceTextureId texture, const void* pixels, uint32_t pitch) = 0;
    // Reads a rectangle of a render target (0: the back buffer) as
    // 0xAARRGGBB pixels, rows top first; false when it is outside the target.
    virtual bool ReadRect(DeviceTextureId source, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* out) = 0;
    // Linear-filtered copy between textures (a stretch of equal sizes).
    virtual bool CopyRect(DeviceTextureId destination, int32_t dx, int32_t dy, DeviceTextureId source, int32_t sx,
                          int32_t sy, int32_t w, int32_t h) = 0;
    virtual bool SetRenderTarget(DeviceTextureId target) = 0;
    virtual DeviceTextureId GetRenderTarget() const = 0;

    virtual void SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual void SetSamplerState(uint32_t stage, uint32_t type, uint32_t value) = 0;
    virtual void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
    virtual void SetTexture(uint32_t stage, DeviceTextureId texture) = 0;
    virtual void SetTransform(TransformKind kind, const Matrix& matrix) = 0;
    virtual void SetViewport(const DeviceViewport& viewport) = 0;
    // Clears the whole current target; colour as 0xAARRGGBB.
    virtual void Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
    virtual void SetMaterial(const DeviceMaterial& material) = 0;
    virtual void SetLight(uint32_t index, const DeviceLight& light) = 0;
    virtual void LightEnable(uint32_t index, bool enable) = 0;

    // Vertex buffers hold vertices of one format; a lock gives write access
    // to a byte range until the unlock, which says how much of it, from the
    // start, was written.
    virtual DeviceBufferId CreateVertexBuffer(uint32_t bytes, uint32_t fvf) = 0;
    virtual void ReleaseVertexBuffer(DeviceBufferId buffer) = 0;
    virtual uint8_t* LockVertexBuffer(DeviceBufferId buffer, uint32_t offset, uint32_t bytes) = 0;
    virtual void UnlockVertexBuffer(DeviceBufferId buffer, uint32_t bytesWritten) = 0;
    virtual void DrawPrimitive(int32_t type, DeviceBufferId buffer, uint32_t firstVertex, uint32_t primitiveCount) = 0;
    // Index buffers hold 16-bit indices, fixed when the buffer is made. An
    // indexed draw reads vertex baseVertex + index for each index from
    // firstIndex on, as many as primitiveCount primitives of the type need.
    virtual DeviceBufferId CreateIndexBuffer(const uint16_t* indices, uint32_t count) = 0;
    virtual void ReleaseIndexBuffer(DeviceBufferId buffer) = 0;
    virtual void DrawIndexedPrimitive(int32_t type, DeviceBufferId vertices, uint32_t baseVertex,
                                      uint32_t primitiveCount, DeviceBufferId indices, uint32_t firstIndex) = 0;
    // Draws vertices from the caller's memory.
    virtual void DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, uint32_t fvf, const void* vertices) = 0;
};

// The one device of the program, null when there is none.
IGraphicsDevice* Device_Get();
// Installs a device (or none) and returns the previous one.
std::unique_ptr<IGraphicsDevice> Device_Set(std::unique_ptr<IGraphicsDevice> device);

// How the start-up makes its device; the OpenGL back end unless a test puts
// its own in place.
using DeviceFactory = std::unique_ptr<IGraphicsDevice> (*)(const DeviceParameters& parameters);
void Device_SetFactory(DeviceFactory factory);
DeviceFactory Device_GetFactory();

}  // namespace bw
