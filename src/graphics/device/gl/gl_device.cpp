#include "graphics/device/gl/gl_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graphics/device/gl/gl_shader.h"
#include "host/window.h"
#include "platform/console.h"

namespace bw {

namespace {

struct GlTexture {
    GLuint texture = 0;
    GLuint framebuffer = 0;  // render targets only
    GLuint depth = 0;        // render targets only
    int32_t width = 0;
    int32_t height = 0;
    uint32_t format = 0;
};

struct GlBuffer {
    GLuint buffer = 0;
    uint32_t fvf = 0;
    std::vector<uint8_t> shadow;  // written by the caller between lock and unlock
    uint32_t lockOffset = 0;
    uint32_t lockBytes = 0;
};

// A target seen by reads and copies: the window's framebuffer is stored
// bottom row first, every other one top row first.
struct GlFramebuffer {
    GLuint framebuffer = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool window = false;
    bool found = false;

    // The GL row of row y of a span h: the window's rows count from the bottom.
    GLint Row(int32_t y, int32_t h) const { return window ? height - y - h : y; }
};

struct GlIndexBuffer {
    GLuint buffer = 0;
    std::vector<uint16_t> shadow;  // kept to check that a draw stays inside its vertex buffer
};

struct PixelFormat {
    GLint internal;
    GLenum format;
    GLenum type;
    uint32_t bytesPerPixel;
};

bool PixelFormatOf(uint32_t format, PixelFormat& out)
{
    switch (format) {
    case kFormatA8R8G8B8:
        out = PixelFormat{GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4};
        return true;
    case kFormatA4R4G4B4:
        out = PixelFormat{GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2};
        return true;
    case kFormatR16F:
        out = PixelFormat{GL_R16F, GL_RED, GL_HALF_FLOAT, 2};
        return true;
    case kFormatR32F:
        out = PixelFormat{GL_R32F, GL_RED, GL_FLOAT, 4};
        return true;
    default:
        return false;
    }
}

GLenum PrimitiveMode(int32_t type)
{
    switch (type) {
    case PrimitivePointList:
        return GL_POINTS;
    case PrimitiveLineList:
        return GL_LINES;
    case PrimitiveLineStrip:
        return GL_LINE_STRIP;
    case PrimitiveTriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveTriangleFan:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

GLenum BlendFactor(uint32_t blend)
{
    switch (blend) {
    case BlendZero:
        return GL_ZERO;
    case BlendOne:
        return GL_ONE;
    case BlendSrcColor:
    case BlendSrcColor2:
        return GL_SRC_COLOR;
    case BlendInvSrcColor:
    case BlendInvSrcColor2:
        return GL_ONE_MINUS_SRC_COLOR;
    case BlendSrcAlpha:
    case BlendBothSrcAlpha:
        return GL_SRC_ALPHA;
    case BlendInvSrcAlpha:
    case BlendBothInvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case BlendDestAlpha:
        return GL_DST_ALPHA;
    case BlendInvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case BlendDestColor:
        return GL_DST_COLOR;
    case BlendInvDestColor:
        return GL_ONE_MINUS_DST_COLOR;
    case BlendSrcAlphaSat:
        return GL_SRC_ALPHA_SATURATE;
    case BlendBlendFactor:
        return GL_CONSTANT_COLOR;
    case BlendInvBlendFactor:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

GLenum CompareFunction(uint32_t compare)
{
    switch (compare) {
    case kCmpNever:
        return GL_NEVER;
    case kCmpLess:
        return GL_LESS;
    case kCmpEqual:
        return GL_EQUAL;
    case kCmpLessEqual:
        return GL_LEQUAL;
    case kCmpGreater:
        return GL_GREATER;
    case kCmpNotEqual:
        return GL_NOTEQUAL;
    case kCmpGreaterEqual:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

// A buffer bound to `target` holding `bytes` (from `data` when given); 0
// when the driver refuses it.
GLuint MakeGlBuffer(GLenum target, size_t bytes, const void* data, GLenum usage)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, usage);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &buffer);
        return 0;
    }
    return buffer;
}

template <typename Record>
void ReleaseGlBuffer(std::map<DeviceBufferId, Record>& buffers, DeviceBufferId id)
{
    auto found = buffers.find(id);
    if (found != buffers.end()) {
        glDeleteBuffers(1, &found->second.buffer);
        buffers.erase(found);
    }
}

void ColourOf(uint32_t argb, float out[4])
{
    out[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(argb & 0xFF) / 255.0f;
    out[3] = static_cast<float>(argb >> 24) / 255.0f;
}

class GlDevice final : public IGraphicsDevice {
public:
    bool Initialise(const DeviceParameters& parameters);
    ~GlDevice() override;

    bool Reset(const DeviceParameters& parameters) override;
    DeviceCaps GetCaps() const override { return DeviceCaps{kRasterCapsFogTable | kRasterCapsFogVertex}; }
    bool SupportsMultisample(uint32_t samples) const override { return samples == 0; }
    void BeginScene() override {}
    void EndScene() override {}
    bool Present() override;
    DeviceTextureId CreateTexture(int32_t width, int32_t height, uint32_t format, bool renderTarget) override;
    void ReleaseTexture(DeviceTextureId texture) override;
    bool UpdateTexture(DeviceTextureId texture, const void* pixels, uint32_t pitch) override;
    bool ReadRect(DeviceTextureId source, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* out) override;
    bool CopyRect(DeviceTextureId destination, int32_t dx, int32_t dy, DeviceTextureId source, int32_t sx, int32_t sy,
                  int32_t w, int32_t h) override;
    bool SetRenderTarget(DeviceTextureId target) override;
    DeviceTextureId GetRenderTarget() const override { return m_target; }
    void SetRenderState(uint32_t state, uint32_t value) override;
    void SetSamplerState(uint32_t stage, uint32_t type, uint32_t value) override;
    void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override;
    void SetTexture(uint32_t stage, DeviceTextureId texture) override;
    void SetTransform(TransformKind kind, const Matrix& matrix) override;
    void SetViewport(const DeviceViewport& viewport) override;
    void Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    void SetMaterial(const DeviceMaterial& material) override { m_material = material; }
    void SetLight(uint32_t index, const DeviceLight& light) override;
    void LightEnable(uint32_t index, bool enable) override;
    DeviceBufferId CreateVertexBuffer(uint32_t bytes, uint32_t fvf) override;
    void ReleaseVertexBuffer(DeviceBufferId buffer) override;
    uint8_t* LockVertexBuffer(DeviceBufferId buffer, uint32_t offset, uint32_t bytes) override;
    void UnlockVertexBuffer(DeviceBufferId buffer, uint32_t bytesWritten) override;
    void DrawPrimitive(int32_t type, DeviceBufferId buffer, uint32_t firstVertex, uint32_t primitiveCount) override;
    void DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, uint32_t fvf, const void* vertices) override;
    DeviceBufferId CreateIndexBuffer(const uint16_t* indices, uint32_t count) override;
    void ReleaseIndexBuffer(DeviceBufferId buffer) override;
    void DrawIndexedPrimitive(int32_t type, DeviceBufferId vertices, uint32_t baseVertex, uint32_t primitiveCount,
                              DeviceBufferId indices, uint32_t firstIndex) override;

private:
    // Frames may be drawn into the window only when its clip origin can be
    // chosen and its buffers have the render targets' formats.
    static bool WindowMatchesRenderTargets();
    // The driver draws on its own threads behind the game: after a present
    // the game goes on only once the frame before is drawn, as a swap chain
    // of two buffers lets it, so it never runs frames ahead of the screen.
    void KeepOneFrameInFlight();
    bool MakeBackBuffer(int32_t width, int32_t height);
    // Whether the driver takes a texture of this size, and for a render
    // target its depth buffer too. Past its limits a software driver may
    // overrun its own buffers instead of refusing, so a size is checked
    // before it is asked.
    bool FitsTheDriver(int32_t width, int32_t height, bool renderTarget) const;
    // The framebuffer to read a texture through: its own for a render
    // target, else the scratch one with the texture attached.
    GlFramebuffer FramebufferFor(DeviceTextureId texture, GLuint scratch);
    void BindTarget();
    bool DrawsIntoWindow() const { return m_target == kDeviceWindowTarget; }
    // Window rows count from the bottom: the GL row of target row y of a
    // span h.
    GLint TargetRow(int32_t y, int32_t h) const { return DrawsIntoWindow() ? m_targetHeight - y - h : y; }
    void ApplyPipeline();
    GlProgramKey ProgramKey() const;
    // The program of the current states, built on first use; null when the
    // driver refuses it.
    const GlProgram* UseProgram();
    void UploadUniforms(const GlProgram& program);
    void BindVertexFormat(uint32_t fvf);
    // Binds what a draw of vertices of this format needs; false when the
    // driver has no program for the current states.
    bool PrepareDraw(uint32_t fvf);
    void Draw(int32_t type, uint32_t firstVertex, uint32_t primitiveCount, uint32_t fvf);
    uint32_t State(uint32_t state) const { return m_states[state]; }
    // Files a new buffer under the next id.
    template <typename Record>
    DeviceBufferId Keep(std::map<DeviceBufferId, Record>& buffers, Record&& record)
    {
        const DeviceBufferId id = m_nextId++;
        buffers[id] = std::move(record);
        return id;
    }

    std::unordered_map<uint32_t, GlProgram> m_programs;
    GLuint m_usedProgram = 0;
    GLuint m_vertexArray = 0;
    GLuint m_userBuffer = 0;
    GLuint m_sampler = 0;
    GLuint m_readScratch = 0;
    GLuint m_drawScratch = 0;
    GlTexture m_backBuffer;
    GLint m_maxTextureSide = 0;  // the driver's limits, read once
    GLint m_maxTargetSide = 0;
    DeviceParameters m_parameters;
    std::map<DeviceTextureId, GlTexture> m_textures;
    std::map<DeviceBufferId, GlBuffer> m_buffers;
    std::map<DeviceBufferId, GlIndexBuffer> m_indexBuffers;
    uint32_t m_nextId = 1;
    DeviceTextureId m_target = 0;
    int32_t m_targetHeight = 0;
    // The frame drew or copied into the window since the last present.
    bool m_windowTouched = false;
    // Drawing into the window needs the choice of the clip-space origin, and
    // a window that keeps its image through present: reads of it before the
    // frame touches it give the image last shown.
    bool m_windowTargetUsable = false;
    // Presented and maybe still being drawn by the driver.
    GLsync m_previousFrame = nullptr;
    DeviceTextureId m_boundTexture = 0;
    uint32_t m_states[kRenderStateCount] = {};
    uint32_t m_stage[8] = {};
    Matrix m_transforms[3] = {};
    DeviceViewport m_viewport{};
    DeviceMaterial m_material{};
    DeviceLight m_lights[kDeviceLightCount] = {};
    bool m_lightEnabled[kDeviceLightCount] = {};
};

void ReleaseTarget(GlTexture& target)
{
    glDeleteFramebuffers(1, &target.framebuffer);
    glDeleteRenderbuffers(1, &target.depth);
    glDeleteTextures(1, &target.texture);
    target = GlTexture();
}

// Clears the depth and stencil of the bound framebuffer, just made: its
// memory holds whatever it held before, which with the depth test on would
// hide what is drawn into a target before its first clear.
void ClearNewDepthStencil()
{
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

Matrix Identity()
{
    Matrix m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

bool GlDevice::Initialise(const DeviceParameters& parameters)
{
    if (epoxy_gl_version() < 33) {
        return false;
    }
    glGenVertexArrays(1, &m_vertexArray);
    glBindVertexArray(m_vertexArray);
    glGenBuffers(1, &m_userBuffer);
    glGenSamplers(1, &m_sampler);
    glGenFramebuffers(1, &m_readScratch);
    glGenFramebuffers(1, &m_drawScratch);
    glBindSampler(0, m_sampler);
    // Flat shading takes the first vertex's colour, as Direct3D does.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glFrontFace(GL_CCW);
    GLint maxRenderbufferSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxTextureSide);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbufferSide);
    m_maxTargetSide = std::min(m_maxTextureSide, maxRenderbufferSide);
    m_windowTargetUsable = HostWindow_SwapKeepsImage() && WindowMatchesRenderTargets();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // Direct3D's defaults for a device with a depth buffer.
    m_states[RS_ZENABLE] = 1;
    m_states[RS_FILLMODE] = kFillSolid;
    m_states[RS_SHADEMODE] = kShadeGouraud;
    m_states[RS_ZWRITEENABLE] = 1;
    m_states[RS_LASTPIXEL] = 1;
    m_states[RS_SRCBLEND] = BlendOne;
    m_states[RS_DESTBLEND] = BlendZero;
    m_states[RS_CULLMODE] = kCullCCW;
    m_states[RS_ZFUNC] = kCmpLessEqual;
    m_states[RS_ALPHAFUNC] = kCmpAlways;
    m_states[RS_FOGEND] = std::bit_cast<uint32_t>(1.0f);
    m_states[RS_FOGDENSITY] = std::bit_cast<uint32_t>(1.0f);
    m_states[RS_LIGHTING] = 1;
    m_states[RS_COLORWRITEENABLE] = 15;
    m_states[RS_BLENDOP] = 1;
    m_states[RS_BLENDFACTOR] = 0xFFFFFFFFu;
    m_stage[kTssColorOp] = kTopModulate;
    m_stage[kTssColorArg1] = kTaTexture;
    m_stage[kTssColorArg2] = kTaDiffuse;
    m_stage[kTssAlphaOp] = kTopSelectArg1;
    m_stage[kTssAlphaArg1] = kTaTexture;
    m_stage[kTssAlphaArg2] = kTaDiffuse;
    SetSamplerState(0, kSampMagFilter, kTexFilterPoint);
    SetSamplerState(0, kSampMinFilter, kTexFilterPoint);
    SetSamplerState(0, kSampAddressU, kTexAddressWrap);
    SetSamplerState(0, kSampAddressV, kTexAddressWrap);
    for (Matrix& transform : m_transforms) {
        transform = Identity();
    }
    // A driver that cannot build the first program will not build the others.
    return UseProgram() != nullptr && Reset(parameters);
}

bool GlDevice::WindowMatchesRenderTargets()
{
    if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) {
        return false;
    }
    // Blending with the destination's alpha, depth tests and their
    // precision give the same pixels only over the same formats.
    const std::pair<GLenum, GLenum> sizes[] = {{GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE},
                                               {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE},
                                               {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE},
                                               {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE},
                                               {GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE},
                                               {GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE}};
    constexpr GLint kExpected[] = {8, 8, 8, 8, 24, 8};
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    bool match = true;
    for (size_t i = 0; i < std::size(sizes); ++i) {
        GLint bits = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, sizes[i].first, sizes[i].second, &bits);
        match = match && bits == kExpected[i];
    }
    // A window without one of the buffers reports an error: not ours to keep.
    while (glGetError() != GL_NO_ERROR) {
    }
    return match;
}

GlDevice::~GlDevice()
{
    for (auto& [id, texture] : m_textures) {
        glDeleteFramebuffers(1, &texture.framebuffer);
        glDeleteRenderbuffers(1, &texture.depth);
        glDeleteTextures(1, &texture.texture);
    }
    for (auto& [id, buffer] : m_buffers) {
        glDeleteBuffers(1, &buffer.buffer);
    }
    for (auto& [id, buffer] : m_indexBuffers) {
        glDeleteBuffers(1, &buffer.buffer);
    }
    ReleaseTarget(m_backBuffer);
    glDeleteSync(m_previousFrame);
    glDeleteFramebuffers(1, &m_readScratch);
    glDeleteFramebuffers(1, &m_drawScratch);
    glDeleteSamplers(1, &m_sampler);
    glDeleteBuffers(1, &m_userBuffer);
    glDeleteVertexArrays(1, &m_vertexArray);
    for (auto& [key, program] : m_programs) {
        GlProgram_Release(program);
    }
}

bool GlDevice::MakeBackBuffer(int32_t width, int32_t height)
{
    GlTexture& back = m_backBuffer;
    back.width = width;
    back.height = height;
    back.format = kFormatA8R8G8B8;
    glGenTextures(1, &back.texture);
    glBindTexture(GL_TEXTURE_2D, back.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &back.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, back.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glGenFramebuffers(1, &back.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, back.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, back.texture, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, back.depth);
    m_boundTexture = 0;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        return false;
    }
    ClearNewDepthStencil();
    return true;
}

bool GlDevice::FitsTheDriver(int32_t width, int32_t height, bool renderTarget) const
{
    const GLint limit = renderTarget ? m_maxTargetSide : m_maxTextureSide;
    return width >= 1 && height >= 1 && width <= limit && height <= limit;
}

bool GlDevice::Reset(const DeviceParameters& parameters)
{
    if (!FitsTheDriver(parameters.backBufferWidth, parameters.backBufferHeight, true)) {
        return false;
    }
    // The new back buffer is made beside the old one, so a size the driver
    // refuses leaves the device as it was.
    GlTexture other = std::exchange(m_backBuffer, GlTexture());
    const bool made = MakeBackBuffer(parameters.backBufferWidth, parameters.backBufferHeight);
    if (!made) {
        std::swap(m_backBuffer, other);
    }
    ReleaseTarget(other);
    BindTarget();
    if (!made) {
        // The refusal stays queued in the driver, where the next texture
        // made would take it for its own failure. A driver that lost its
        // context may answer with errors forever: the reads are bounded.
        for (int read = 0; read < 32 && glGetError() != GL_NO_ERROR; ++read) {
        }
        return false;
    }
    m_parameters = parameters;
    HostWindow_SetSwapInterval(parameters.vsync);
    return true;
}

void GlDevice::KeepOneFrameInFlight()
{
    const GLsync shown = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (m_previousFrame != nullptr) {
        constexpr GLuint64 kSecond = 1000000000;
        while (glClientWaitSync(m_previousFrame, GL_SYNC_FLUSH_COMMANDS_BIT, kSecond) == GL_TIMEOUT_EXPIRED) {
        }
        glDeleteSync(m_previousFrame);
    }
    m_previousFrame = shown;
}

bool GlDevice::Present()
{
    int32_t width = 0;
    int32_t height = 0;
    HostWindow_GetClientSize(width, height);
    if (m_windowTouched) {
        HostWindow_SwapBuffers();
        KeepOneFrameInFlight();
    } else if (width > 0 && height > 0) {
        // Our targets are stored top row first; the window's is bottom row first.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_backBuffer.framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glBlitFramebuffer(0, 0, m_backBuffer.width, m_backBuffer.height, 0, height, width, 0, GL_COLOR_BUFFER_BIT,
                          GL_LINEAR);
        HostWindow_SwapBuffers();
        KeepOneFrameInFlight();
    }
    m_windowTouched = false;
    BindTarget();
    return true;
}

DeviceTextureId GlDevice::CreateTexture(int32_t width, int32_t height, uint32_t format, bool renderTarget)
{
    PixelFormat pixel{};
    if (!PixelFormatOf(format, pixel) || !FitsTheDriver(width, height, renderTarget)) {
        return 0;
    }
    GlTexture texture;
    texture.width = width;
    texture.height = height;
    texture.format = format;
    glGenTextures(1, &texture.texture);
    glBindTexture(GL_TEXTURE_2D, texture.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    if (pixel.format == GL_RED) {
        // Single-channel formats read as (r, 1, 1, 1), as on the other device.
        const GLint swizzle[4] = {GL_RED, GL_ONE, GL_ONE, GL_ONE};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, pixel.internal, width, height, 0, pixel.format, pixel.type, nullptr);
    m_boundTexture = 0;
    bool ok = glGetError() == GL_NO_ERROR;
    if (ok && renderTarget) {
        glGenRenderbuffers(1, &texture.depth);
        glBindRenderbuffer(GL_RENDERBUFFER, texture.depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glGenFramebuffers(1, &texture.framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, texture.framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.texture, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, texture.depth);
        ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        if (ok) {
            ClearNewDepthStencil();
        }
        BindTarget();
    }
    if (!ok) {
        glDeleteFramebuffers(1, &texture.framebuffer);
        glDeleteRenderbuffers(1, &texture.depth);
        glDeleteTextures(1, &texture.texture);
        return 0;
    }
    const DeviceTextureId id = m_nextId++;
    m_textures[id] = texture;
    return id;
}

void GlDevice::ReleaseTexture(DeviceTextureId texture)
{
    auto found = m_textures.find(texture);
    if (found == m_textures.end()) {
        return;
    }
    if (m_target == texture) {
        SetRenderTarget(0);
    }
    if (m_boundTexture == texture) {
        m_boundTexture = 0;
    }
    glDeleteFramebuffers(1, &found->second.framebuffer);
    glDeleteRenderbuffers(1, &found->second.depth);
    glDeleteTextures(1, &found->second.texture);
    m_textures.erase(found);
}

bool GlDevice::UpdateTexture(DeviceTextureId texture, const void* pixels, uint32_t pitch)
{
    auto found = m_textures.find(texture);
    PixelFormat pixel{};
    if (found == m_textures.end() || !PixelFormatOf(found->second.format, pixel) || pitch % pixel.bytesPerPixel != 0) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, found->second.texture);
    m_boundTexture = 0;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitch / pixel.bytesPerPixel));
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, found->second.width, found->second.height, pixel.format, pixel.type,
                    pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return true;
}

GlFramebuffer GlDevice::FramebufferFor(DeviceTextureId texture, GLuint scratch)
{
    if (texture == 0) {
        return GlFramebuffer{m_backBuffer.framebuffer, m_backBuffer.width, m_backBuffer.height, false, true};
    }
    if (texture == kDeviceWindowTarget) {
        GlFramebuffer window{0, 0, 0, true, true};
        HostWindow_GetClientSize(window.width, window.height);
        return window;
    }
    auto found = m_textures.find(texture);
    if (found == m_textures.end() || found->second.format != kFormatA8R8G8B8) {
        return GlFramebuffer{};
    }
    GlFramebuffer result{found->second.framebuffer, found->second.width, found->second.height, false, true};
    if (result.framebuffer == 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, scratch);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, found->second.texture, 0);
        result.framebuffer = scratch;
    }
    return result;
}

bool GlDevice::ReadRect(DeviceTextureId source, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* out)
{
    const GlFramebuffer from = FramebufferFor(source, m_readScratch);
    if (!from.found || x < 0 || y < 0 || w < 1 || h < 1 || x > from.width - w || y > from.height - h) {
        BindTarget();
        return false;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from.framebuffer);
    if (!from.window) {
        glReadPixels(x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, out);
    } else {
        glReadPixels(x, from.Row(y, h), w, h, GL_BGRA, GL_UNSIGNED_BYTE, out);
        const auto rowLength = static_cast<size_t>(w);
        for (size_t top = 0, bottom = static_cast<size_t>(h) - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(out + top * rowLength, out + (top + 1) * rowLength, out + bottom * rowLength);
        }
    }
    BindTarget();
    return true;
}

bool GlDevice::CopyRect(DeviceTextureId destination, int32_t dx, int32_t dy, DeviceTextureId source, int32_t sx,
                        int32_t sy, int32_t w, int32_t h)
{
    const GlFramebuffer from = FramebufferFor(source, m_readScratch);
    const GlFramebuffer to = FramebufferFor(destination, m_drawScratch);
    const bool inside = w >= 1 && h >= 1 && sx >= 0 && sy >= 0 && dx >= 0 && dy >= 0 && sx <= from.width - w &&
                        sy <= from.height - h && dx <= to.width - w && dy <= to.height - h;
    if (!from.found || !to.found || !inside) {
        BindTarget();
        return false;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to.framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Rows of the window count from the bottom: its rectangle is moved there,
    // and a copy between it and a texture turns the rows over.
    const GLint sy0 = from.Row(sy, h);
    const GLint dy0 = to.Row(dy, h);
    const bool turn = from.window != to.window;
    glBlitFramebuffer(sx, sy0, sx + w, sy0 + h, dx, turn ? dy0 + h : dy0, dx + w, turn ? dy0 : dy0 + h,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    m_windowTouched = m_windowTouched || to.window;
    BindTarget();
    return true;
}

void GlDevice::BindTarget()
{
    if (m_windowTargetUsable) {
        // The window's rows go up: the upper-left origin turns the image over
        // there and applies the fill rule and the facing as in a texture, so
        // the window gets the same pixels.
        glClipControl(DrawsIntoWindow() ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    }
    if (DrawsIntoWindow()) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return;
    }
    GLuint framebuffer = m_backBuffer.framebuffer;
    if (m_target != 0) {
        auto found = m_textures.find(m_target);
        if (found != m_textures.end()) {
            framebuffer = found->second.framebuffer;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

bool GlDevice::SetRenderTarget(DeviceTextureId target)
{
    int32_t width = m_backBuffer.width;
    int32_t height = m_backBuffer.height;
    if (target == kDeviceWindowTarget) {
        if (!m_windowTargetUsable) {
            return false;
        }
        HostWindow_GetClientSize(width, height);
    } else if (target != 0) {
        auto found = m_textures.find(target);
        if (found == m_textures.end() || found->second.framebuffer == 0) {
            return false;
        }
        width = found->second.width;
        height = found->second.height;
    }
    m_target = target;
    m_targetHeight = height;
    BindTarget();
    // A new target brings a viewport over all of it.
    SetViewport(DeviceViewport{0, 0, width, height, 0.0f, 1.0f});
    return true;
}

void GlDevice::SetRenderState(uint32_t state, uint32_t value)
{
    if (state < kRenderStateCount) {
        m_states[state] = value;
    }
}

void GlDevice::SetSamplerState(uint32_t stage, uint32_t type, uint32_t value)
{
    if (stage != 0) {
        return;
    }
    switch (type) {
    case kSampMagFilter:
        glSamplerParameteri(m_sampler, GL_TEXTURE_MAG_FILTER, value == kTexFilterPoint ? GL_NEAREST : GL_LINEAR);
        break;
    case kSampMinFilter:
        glSamplerParameteri(m_sampler, GL_TEXTURE_MIN_FILTER, value == kTexFilterPoint ? GL_NEAREST : GL_LINEAR);
        break;
    case kSampAddressU:
        glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_S, value == kTexAddressClamp ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        break;
    case kSampAddressV:
        glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_T, value == kTexAddressClamp ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        break;
    default:
        break;
    }
}

void GlDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    if (stage == 0 && type < 8) {
        m_stage[type] = value;
    }
}

void GlDevice::SetTexture(uint32_t stage, DeviceTextureId texture)
{
    if (stage == 0) {
        m_boundTexture = m_textures.count(texture) != 0 ? texture : 0;
    }
}

void GlDevice::SetTransform(TransformKind kind, const Matrix& matrix)
{
    m_transforms[std::min<size_t>(static_cast<size_t>(kind), 2)] = matrix;
}

void GlDevice::SetViewport(const DeviceViewport& viewport)
{
    // Direct3D refuses a viewport of negative size and keeps the one it
    // has. GL would queue an error that the next buffer or texture made
    // takes for its own failure, ending the game.
    if (viewport.width < 0 || viewport.height < 0) {
        return;
    }
    m_viewport = viewport;
    // Every texture is stored top row first, so the viewport's top is GL's y.
    glViewport(viewport.x, TargetRow(viewport.y, viewport.height), viewport.width, viewport.height);
    glDepthRange(viewport.minZ, viewport.maxZ);
}

void GlDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil)
{
    // Clears cover the viewport and ignore the write masks.
    glEnable(GL_SCISSOR_TEST);
    glScissor(m_viewport.x, TargetRow(m_viewport.y, m_viewport.height), m_viewport.width, m_viewport.height);
    m_windowTouched = m_windowTouched || DrawsIntoWindow();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    GLbitfield mask = 0;
    if ((flags & kClearTarget) != 0) {
        float rgba[4];
        ColourOf(colour, rgba);
        glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & kClearZBuffer) != 0) {
        glClearDepth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if ((flags & kClearStencil) != 0) {
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
}

void GlDevice::SetLight(uint32_t index, const DeviceLight& light)
{
    if (index < kDeviceLightCount) {
        m_lights[index] = light;
    }
}

void GlDevice::LightEnable(uint32_t index, bool enable)
{
    if (index < kDeviceLightCount) {
        m_lightEnabled[index] = enable;
    }
}

DeviceBufferId GlDevice::CreateVertexBuffer(uint32_t bytes, uint32_t fvf)
{
    GlBuffer buffer;
    buffer.fvf = fvf;
    buffer.shadow.resize(bytes);
    buffer.buffer = MakeGlBuffer(GL_ARRAY_BUFFER, bytes, nullptr, GL_DYNAMIC_DRAW);
    return buffer.buffer != 0 ? Keep(m_buffers, std::move(buffer)) : 0;
}

void GlDevice::ReleaseVertexBuffer(DeviceBufferId buffer)
{
    ReleaseGlBuffer(m_buffers, buffer);
}

uint8_t* GlDevice::LockVertexBuffer(DeviceBufferId buffer, uint32_t offset, uint32_t bytes)
{
    auto found = m_buffers.find(buffer);
    if (found == m_buffers.end() || offset > found->second.shadow.size() ||
        bytes > found->second.shadow.size() - offset) {
        return nullptr;
    }
    found->second.lockOffset = offset;
    found->second.lockBytes = bytes;
    return found->second.shadow.data() + offset;
}

void GlDevice::UnlockVertexBuffer(DeviceBufferId buffer, uint32_t bytesWritten)
{
    auto found = m_buffers.find(buffer);
    if (found == m_buffers.end() || found->second.lockBytes == 0) {
        return;
    }
    // One upload per lock, of what was written.
    GlBuffer& record = found->second;
    const uint32_t bytes = std::min(bytesWritten, record.lockBytes);
    if (bytes > 0) {
        glBindBuffer(GL_ARRAY_BUFFER, record.buffer);
        glBufferSubData(GL_ARRAY_BUFFER, record.lockOffset, bytes, record.shadow.data() + record.lockOffset);
    }
    record.lockBytes = 0;
}

void GlDevice::BindVertexFormat(uint32_t fvf)
{
    const auto stride = static_cast<GLsizei>(Fvf_VertexSize(fvf));
    size_t offset = 0;
    glEnableVertexAttribArray(kAttributePosition);
    glVertexAttribPointer(kAttributePosition, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
    offset += (fvf & kFvfXyzw) == kFvfXyzw || (fvf & kFvfXyzRhw) != 0 ? 16 : 12;
    if ((fvf & kFvfNormal) != 0) {
        glEnableVertexAttribArray(kAttributeNormal);
        glVertexAttribPointer(kAttributeNormal, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
        offset += 12;
    } else {
        glDisableVertexAttribArray(kAttributeNormal);
        glVertexAttrib3f(kAttributeNormal, 0.0f, 0.0f, 0.0f);
    }
    if ((fvf & kFvfDiffuse) != 0) {
        // 0xAARRGGBB is B, G, R, A in memory.
        glEnableVertexAttribArray(kAttributeColour);
        glVertexAttribPointer(kAttributeColour, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                              reinterpret_cast<const void*>(offset));
        offset += 4;
    } else {
        glDisableVertexAttribArray(kAttributeColour);
        glVertexAttrib4f(kAttributeColour, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    if ((fvf & kFvfTex1) != 0) {
        glEnableVertexAttribArray(kAttributeTexCoord);
        glVertexAttribPointer(kAttributeTexCoord, 2, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offset));
    } else {
        glDisableVertexAttribArray(kAttributeTexCoord);
        glVertexAttrib2f(kAttributeTexCoord, 0.0f, 0.0f);
    }
}

void GlDevice::ApplyPipeline()
{
    if (State(RS_ZENABLE) != 0) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunction(State(RS_ZFUNC)));
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(State(RS_ZWRITEENABLE) != 0 ? GL_TRUE : GL_FALSE);
    if (State(RS_ALPHABLENDENABLE) != 0) {
        glEnable(GL_BLEND);
        GLenum source = BlendFactor(State(RS_SRCBLEND));
        GLenum destination = BlendFactor(State(RS_DESTBLEND));
        // The two-sided factors set both ends of the equation.
        if (State(RS_SRCBLEND) == BlendBothSrcAlpha) {
            destination = GL_ONE_MINUS_SRC_ALPHA;
        } else if (State(RS_SRCBLEND) == BlendBothInvSrcAlpha) {
            destination = GL_SRC_ALPHA;
        }
        glBlendFunc(source, destination);
        float factor[4];
        ColourOf(State(RS_BLENDFACTOR), factor);
        glBlendColor(factor[0], factor[1], factor[2], factor[3]);
    } else {
        glDisable(GL_BLEND);
    }
    // Direct3D's clockwise on screen (y down) is GL's counter-clockwise.
    switch (State(RS_CULLMODE)) {
    case kCullCW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
    case kCullCCW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
    default:
        glDisable(GL_CULL_FACE);
        break;
    }
    const uint32_t mask = State(RS_COLORWRITEENABLE);
    glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
    const uint32_t fill = State(RS_FILLMODE);
    glPolygonMode(GL_FRONT_AND_BACK, fill == kFillPoint ? GL_POINT : fill == kFillWireframe ? GL_LINE : GL_FILL);
}

GlProgramKey GlDevice::ProgramKey() const
{
    GlProgramKey key;
    key.textured = m_boundTexture != 0;
    key.lighting = State(RS_LIGHTING) != 0;
    key.flat = State(RS_SHADEMODE) == kShadeFlat;
    key.colourOp = m_stage[kTssColorOp];
    key.colourArg1Texture = m_stage[kTssColorArg1] == kTaTexture;
    key.colourArg2Texture = m_stage[kTssColorArg2] == kTaTexture;
    key.alphaOp = m_stage[kTssAlphaOp];
    key.alphaArg1Texture = m_stage[kTssAlphaArg1] == kTaTexture;
    key.alphaArg2Texture = m_stage[kTssAlphaArg2] == kTaTexture;
    key.alphaFunc = State(RS_ALPHATESTENABLE) != 0 ? State(RS_ALPHAFUNC) : kCmpAlways;
    // Table fog wins over vertex fog, as on the other device.
    if (State(RS_FOGENABLE) != 0) {
        if (State(RS_FOGTABLEMODE) != kFogNone) {
            key.fogMode = State(RS_FOGTABLEMODE);
        } else {
            key.fogMode = State(RS_FOGVERTEXMODE);
            key.fogRange = State(RS_RANGEFOGENABLE) != 0;
        }
    }
    // A projection with perspective puts the eye distance in w (its third
    // row ends in a non-zero); without one, fog follows the depth.
    key.fogOnDepth = m_transforms[1].m[11] == 0.0f;
    return GlProgramKey_Normalise(key);
}

const GlProgram* GlDevice::UseProgram()
{
    const GlProgramKey key = ProgramKey();
    const uint32_t packed = GlProgramKey_Pack(key);
    auto found = m_programs.find(packed);
    if (found == m_programs.end()) {
        GlProgram program;
        if (!GlProgram_Build(key, program)) {
            return nullptr;
        }
        found = m_programs.emplace(packed, program).first;
        m_usedProgram = program.program;
    }
    if (m_usedProgram != found->second.program) {
        glUseProgram(found->second.program);
        m_usedProgram = found->second.program;
    }
    return &found->second;
}

void GlDevice::UploadUniforms(const GlProgram& p)
{
    glUniformMatrix4fv(p.view, 1, GL_FALSE, m_transforms[0].m);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, m_transforms[1].m);
    glUniformMatrix4fv(p.world, 1, GL_FALSE, m_transforms[2].m);
    glUniform2f(p.halfPixel, 1.0f / static_cast<float>(std::max(m_viewport.width, 1)),
                1.0f / static_cast<float>(std::max(m_viewport.height, 1)));
    if (p.lightType >= 0) {
        float normalMatrix[9];
        GlNormalMatrix(m_transforms[2], normalMatrix);
        glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normalMatrix);
        float ambient[4];
        ColourOf(State(RS_AMBIENT), ambient);
        glUniform4fv(p.ambient, 1, ambient);
        glUniform4fv(p.materialAmbient, 1, &m_material.ambient.r);
        glUniform4fv(p.materialEmissive, 1, &m_material.emissive.r);
        GLint types[kDeviceLightCount];
        float positions[kDeviceLightCount * 3];
        float directions[kDeviceLightCount * 3];
        float diffuse[kDeviceLightCount * 4];
        float attenuation[kDeviceLightCount * 4];
        for (uint32_t i = 0; i < kDeviceLightCount; ++i) {
            const DeviceLight& light = m_lights[i];
            types[i] = m_lightEnabled[i] ? static_cast<GLint>(light.type) : 0;
            std::memcpy(&positions[i * 3], &light.position, 12);
            std::memcpy(&directions[i * 3], &light.direction, 12);
            std::memcpy(&diffuse[i * 4], &light.diffuse, 16);
            attenuation[i * 4 + 0] = light.attenuation0;
            attenuation[i * 4 + 1] = light.attenuation1;
            attenuation[i * 4 + 2] = light.attenuation2;
            attenuation[i * 4 + 3] = light.range;
        }
        glUniform1iv(p.lightType, kDeviceLightCount, types);
        glUniform3fv(p.lightPosition, kDeviceLightCount, positions);
        glUniform3fv(p.lightDirection, kDeviceLightCount, directions);
        glUniform4fv(p.lightDiffuse, kDeviceLightCount, diffuse);
        glUniform4fv(p.lightAttenuation, kDeviceLightCount, attenuation);
    }
    glUniform1i(p.alphaRef, static_cast<GLint>(State(RS_ALPHAREF) & 0xFF));
    if (p.fogColour >= 0) {
        float colour[4];
        ColourOf(State(RS_FOGCOLOR), colour);
        glUniform4fv(p.fogColour, 1, colour);
        glUniform1f(p.fogStart, std::bit_cast<float>(State(RS_FOGSTART)));
        glUniform1f(p.fogEnd, std::bit_cast<float>(State(RS_FOGEND)));
        glUniform1f(p.fogDensity, std::bit_cast<float>(State(RS_FOGDENSITY)));
    }
}

bool GlDevice::PrepareDraw(uint32_t fvf)
{
    const GlProgram* program = UseProgram();
    if (program == nullptr) {
        return false;
    }
    BindVertexFormat(fvf);
    ApplyPipeline();
    UploadUniforms(*program);
    glActiveTexture(GL_TEXTURE0);
    auto found = m_textures.find(m_boundTexture);
    glBindTexture(GL_TEXTURE_2D, found != m_textures.end() ? found->second.texture : 0);
    return true;
}

void GlDevice::Draw(int32_t type, uint32_t firstVertex, uint32_t primitiveCount, uint32_t fvf)
{
    const uint32_t vertices = Primitive_VerticesFromCount(type, primitiveCount);
    if (vertices == 0 || !PrepareDraw(fvf)) {
        return;
    }
    m_windowTouched = m_windowTouched || DrawsIntoWindow();
    glDrawArrays(PrimitiveMode(type), static_cast<GLint>(firstVertex), static_cast<GLsizei>(vertices));
}

void GlDevice::DrawPrimitive(int32_t type, DeviceBufferId buffer, uint32_t firstVertex, uint32_t primitiveCount)
{
    auto found = m_buffers.find(buffer);
    if (found == m_buffers.end()) {
        return;
    }
    const size_t end = (static_cast<size_t>(firstVertex) + Primitive_VerticesFromCount(type, primitiveCount)) *
                       Fvf_VertexSize(found->second.fvf);
    if (end > found->second.shadow.size()) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, found->second.buffer);
    Draw(type, firstVertex, primitiveCount, found->second.fvf);
}

void GlDevice::DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, uint32_t fvf, const void* vertices)
{
    const size_t bytes = Primitive_VerticesFromCount(type, primitiveCount) * Fvf_VertexSize(fvf);
    if (bytes == 0) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, m_userBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, GL_STREAM_DRAW);
    Draw(type, 0, primitiveCount, fvf);
}

DeviceBufferId GlDevice::CreateIndexBuffer(const uint16_t* indices, uint32_t count)
{
    GlIndexBuffer buffer;
    buffer.shadow.assign(indices, indices + count);
    // The binding belongs to the one vertex array, which every draw uses.
    buffer.buffer = MakeGlBuffer(GL_ELEMENT_ARRAY_BUFFER, count * sizeof(uint16_t), indices, GL_STATIC_DRAW);
    return buffer.buffer != 0 ? Keep(m_indexBuffers, std::move(buffer)) : 0;
}

void GlDevice::ReleaseIndexBuffer(DeviceBufferId buffer)
{
    ReleaseGlBuffer(m_indexBuffers, buffer);
}

void GlDevice::DrawIndexedPrimitive(int32_t type, DeviceBufferId vertices, uint32_t baseVertex,
                                    uint32_t primitiveCount, DeviceBufferId indices, uint32_t firstIndex)
{
    auto vertexBuffer = m_buffers.find(vertices);
    auto indexBuffer = m_indexBuffers.find(indices);
    const uint32_t count = Primitive_VerticesFromCount(type, primitiveCount);
    if (vertexBuffer == m_buffers.end() || indexBuffer == m_indexBuffers.end() || count == 0) {
        return;
    }
    // Drivers need not check what indices reach: every vertex they name must
    // lie inside the vertex buffer.
    const std::vector<uint16_t>& shadow = indexBuffer->second.shadow;
    if (firstIndex > shadow.size() || count > shadow.size() - firstIndex) {
        return;
    }
    const auto begin = shadow.begin() + static_cast<std::ptrdiff_t>(firstIndex);
    const size_t highest = static_cast<size_t>(baseVertex) + *std::max_element(begin, begin + count);
    if ((highest + 1) * Fvf_VertexSize(vertexBuffer->second.fvf) > vertexBuffer->second.shadow.size()) {
        return;
    }
    // The attribute pointers read the array buffer bound when they are set.
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer->second.buffer);
    if (!PrepareDraw(vertexBuffer->second.fvf)) {
        return;
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer->second.buffer);
    m_windowTouched = m_windowTouched || DrawsIntoWindow();
    glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(count), GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(static_cast<uintptr_t>(firstIndex) * sizeof(uint16_t)),
                             static_cast<GLint>(baseVertex));
}

}  // namespace

std::unique_ptr<IGraphicsDevice> GlDevice_Create(const DeviceParameters& parameters)
{
    if (!HostWindow_Exists()) {
        Console().Printf("GL device: no window to draw in\n");
        return nullptr;
    }
    auto device = std::make_unique<GlDevice>();
    if (!device->Initialise(parameters)) {
        return nullptr;
    }
    return device;
}

}  // namespace bw
