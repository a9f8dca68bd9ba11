// A device that draws nothing and writes down every call, with the vertices
// of every draw, so tests of the drawing code can check what reached the
// device and in which order. It keeps the pixels of its textures and render
// targets (filled by uploads and clears, never by drawing) so read-back and
// copies can be checked too.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "graphics/device/device.h"

namespace bw {

struct RecordedCall {
    std::string name;               // the operation, e.g. "SetRenderState"
    std::vector<uint32_t> args;     // integer arguments, floats as their bits
    std::vector<uint8_t> vertices;  // the vertices a draw used, in the order its indices name them
    Matrix matrix{};                // SetTransform
    DeviceLight light{};            // SetLight
    DeviceMaterial material{};      // SetMaterial
};

class RecordingDevice : public IGraphicsDevice {
public:
    // Settings a test may change before it runs the code under test.
    uint32_t rasterCaps = kRasterCapsFogTable;
    uint32_t multisampleMask = 0;      // bit n: n samples supported
    int32_t textureCreationsLeft = -1;  // creations that succeed before all fail; -1 no limit
    bool windowTargetUsable = true;     // false: the window cannot be a render target
    bool failVertexBuffers = false;
    bool refuseResets = false;          // true: Reset fails and the device keeps its size

    const std::vector<RecordedCall>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    size_t Count(const std::string& name) const;
    std::vector<const RecordedCall*> Find(const std::string& name) const;
    // The draws from buffers, plain and indexed, in order. Both kinds hold
    // the primitive type in args[0] and the primitive count in args[3].
    std::vector<const RecordedCall*> Draws() const;
    // The value of a device render state after the calls so far (0 when never set).
    uint32_t RenderState(uint32_t state) const { return state < kRenderStateCount ? m_states[state] : 0; }
    size_t LiveTextures() const { return m_textures.size(); }
    size_t LiveBuffers() const { return m_buffers.size(); }
    size_t LiveIndexBuffers() const { return m_indexBuffers.size(); }
    bool TextureSize(DeviceTextureId texture, int32_t& width, int32_t& height) const;

    bool Reset(const DeviceParameters& parameters) override;
    DeviceCaps GetCaps() const override;
    bool SupportsMultisample(uint32_t samples) const override;
    void BeginScene() override;
    void EndScene() override;
    bool Present() override;
    DeviceTextureId CreateTexture(int32_t width, int32_t height, uint32_t format, bool renderTarget) override;
    void ReleaseTexture(DeviceTextureId texture) override;
    bool UpdateTexture(DeviceTextureId texture, const void* pixels, uint32_t pitch) override;
    bool ReadRect(DeviceTextureId source, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* out) override;
    bool CopyRect(DeviceTextureId destination, int32_t dx, int32_t dy, DeviceTextureId source, int32_t sx, int32_t sy,
                  int32_t w, int32_t h) override;
    bool SetRenderTarget(DeviceTextureId target) override;
    DeviceTextureId GetRenderTarget() const override;
    void SetRenderState(uint32_t state, uint32_t value) override;
    void SetSamplerState(uint32_t stage, uint32_t type, uint32_t value) override;
    void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override;
    void SetTexture(uint32_t stage, DeviceTextureId texture) override;
    void SetTransform(TransformKind kind, const Matrix& matrix) override;
    void SetViewport(const DeviceViewport& viewport) override;
    void Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    void SetMaterial(const DeviceMaterial& material) override;
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
    struct Texture {
        int32_t width, height;
        uint32_t format;
        bool renderTarget;
        std::vector<uint32_t> pixels;
    };
    struct Buffer {
        uint32_t fvf;
        std::vector<uint8_t> bytes;
    };

    RecordedCall& Record(const char* name, std::vector<uint32_t> args);
    std::vector<uint32_t>* Pixels(DeviceTextureId texture, int32_t& width, int32_t& height);
    // The bytes of the given vertices of a buffer, one after another; empty
    // when one lies outside it.
    std::vector<uint8_t> GatherVertices(DeviceBufferId buffer, const std::vector<uint32_t>& order) const;

    std::vector<RecordedCall> m_calls;
    std::map<DeviceTextureId, Texture> m_textures;
    std::map<DeviceBufferId, Buffer> m_buffers;
    std::map<DeviceBufferId, std::vector<uint16_t>> m_indexBuffers;
    std::vector<uint32_t> m_backBuffer;
    DeviceParameters m_parameters;
    uint32_t m_nextId = 1;
    DeviceTextureId m_target = 0;
    uint32_t m_states[kRenderStateCount] = {};
};

}  // namespace bw
