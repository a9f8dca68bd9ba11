#include "graphics/device/recording/recording_device.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace bw {

size_t RecordingDevice::Count(const std::string& name) const
{
    return static_cast<size_t>(
        std::count_if(m_calls.begin(), m_calls.end(), [&](const RecordedCall& call) { return call.name == name; }));
}

std::vector<const RecordedCall*> RecordingDevice::Find(const std::string& name) const
{
    std::vector<const RecordedCall*> found;
    for (const RecordedCall& call : m_calls) {
        if (call.name == name) {
            found.push_back(&call);
        }
    }
    return found;
}

std::vector<const RecordedCall*> RecordingDevice::Draws() const
{
    std::vector<const RecordedCall*> found;
    for (const RecordedCall& call : m_calls) {
        if (call.name == "DrawPrimitive" || call.name == "DrawIndexedPrimitive") {
            found.push_back(&call);
        }
    }
    return found;
}

bool RecordingDevice::TextureSize(DeviceTextureId texture, int32_t& width, int32_t& height) const
{
    auto found = m_textures.find(texture);
    if (found == m_textures.end()) {
        return false;
    }
    width = found->second.width;
    height = found->second.height;
    return true;
}

RecordedCall& RecordingDevice::Record(const char* name, std::vector<uint32_t> args)
{
    m_calls.push_back(RecordedCall{name, std::move(args), {}, {}, {}, {}});
    return m_calls.back();
}

std::vector<uint32_t>* RecordingDevice::Pixels(DeviceTextureId texture, int32_t& width, int32_t& height)
{
    // The window shows the back buffer's pixels: it has no size of its own here.
    if (texture == 0 || texture == kDeviceWindowTarget) {
        width = m_parameters.backBufferWidth;
        height = m_parameters.backBufferHeight;
        return &m_backBuffer;
    }
    auto found = m_textures.find(texture);
    if (found == m_textures.end()) {
        return nullptr;
    }
    width = found->second.width;
    height = found->second.height;
    return &found->second.pixels;
}

bool RecordingDevice::Reset(const DeviceParameters& parameters)
{
    Record("Reset", {static_cast<uint32_t>(parameters.backBufferWidth), static_cast<uint32_t>(parameters.backBufferHeight),
                     parameters.fullscreen, parameters.vsync, parameters.multisample});
    if (refuseResets) {
        return false;
    }
    m_parameters = parameters;
    m_backBuffer.assign(static_cast<size_t>(std::max(0, parameters.backBufferWidth)) *
                            static_cast<size_t>(std::max(0, parameters.backBufferHeight)),
                        0);
    return true;
}

DeviceCaps RecordingDevice::GetCaps() const
{
    return DeviceCaps{rasterCaps};
}

bool RecordingDevice::SupportsMultisample(uint32_t samples) const
{
    return samples < 32 && (multisampleMask & (1u << samples)) != 0;
}

void RecordingDevice::BeginScene()
{
    Record("BeginScene", {});
}

void RecordingDevice::EndScene()
{
    Record("EndScene", {});
}

bool RecordingDevice::Present()
{
    Record("Present", {});
    return true;
}

DeviceTextureId RecordingDevice::CreateTexture(int32_t width, int32_t height, uint32_t format, bool renderTarget)
{
    Record("CreateTexture", {static_cast<uint32_t>(width), static_cast<uint32_t>(height), format, renderTarget});
    if (textureCreationsLeft == 0 || width < 1 || height < 1) {
        return 0;
    }
    if (textureCreationsLeft > 0) {
        --textureCreationsLeft;
    }
    const DeviceTextureId id = m_nextId++;
    m_textures[id] = Texture{width, height, format, renderTarget,
                             std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), 0)};
    return id;
}

void RecordingDevice::ReleaseTexture(DeviceTextureId texture)
{
    Record("ReleaseTexture", {texture});
    m_textures.erase(texture);
}

bool RecordingDevice::UpdateTexture(DeviceTextureId texture, const void* pixels, uint32_t pitch)
{
    Record("UpdateTexture", {texture, pitch});
    auto found = m_textures.find(texture);
    if (found == m_textures.end()) {
        return false;
    }
    Texture& record = found->second;
    const uint32_t bytesPerPixel = record.format == kFormatA4R4G4B4 ? 2 : 4;
    const auto* source = static_cast<const uint8_t*>(pixels);
    for (int32_t y = 0; y < record.height; ++y) {
        for (int32_t x = 0; x < record.width; ++x) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, source + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * bytesPerPixel,
                        bytesPerPixel);
            record.pixels[static_cast<size_t>(y) * static_cast<size_t>(record.width) + static_cast<size_t>(x)] = pixel;
        }
    }
    return true;
}

bool RecordingDevice::ReadRect(DeviceTextureId source, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* out)
{
    Record("ReadRect", {source, static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(w),
                        static_cast<uint32_t>(h)});
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t>* pixels = Pixels(source, width, height);
    if (pixels == nullptr || x < 0 || y < 0 || w < 1 || h < 1 || x > width - w || y > height - h) {
        return false;
    }
    for (int32_t row = 0; row < h; ++row) {
        std::memcpy(out + static_cast<size_t>(row) * static_cast<size_t>(w),
                    pixels->data() + static_cast<size_t>(y + row) * static_cast<size_t>(width) + static_cast<size_t>(x),
                    static_cast<size_t>(w) * 4);
    }
    return true;
}

bool RecordingDevice::CopyRect(DeviceTextureId destination, int32_t dx, int32_t dy, DeviceTextureId source, int32_t sx,
                               int32_t sy, int32_t w, int32_t h)
{
    Record("CopyRect", {destination, static_cast<uint32_t>(dx), static_cast<uint32_t>(dy), source,
                        static_cast<uint32_t>(sx), static_cast<uint32_t>(sy), static_cast<uint32_t>(w),
                        static_cast<uint32_t>(h)});
    int32_t dw = 0, dh = 0, sw = 0, sh = 0;
    std::vector<uint32_t>* to = Pixels(destination, dw, dh);
    std::vector<uint32_t>* from = Pixels(source, sw, sh);
    if (to == nullptr || from == nullptr || w < 1 || h < 1 || dx < 0 || dy < 0 || sx < 0 || sy < 0 || dx > dw - w ||
        dy > dh - h || sx > sw - w || sy > sh - h) {
        return false;
    }
    for (int32_t row = 0; row < h; ++row) {
        for (int32_t column = 0; column < w; ++column) {
            (*to)[static_cast<size_t>(dy + row) * static_cast<size_t>(dw) + static_cast<size_t>(dx + column)] =
                (*from)[static_cast<size_t>(sy + row) * static_cast<size_t>(sw) + static_cast<size_t>(sx + column)];
        }
    }
    return true;
}

bool RecordingDevice::SetRenderTarget(DeviceTextureId target)
{
    Record("SetRenderTarget", {target});
    if (target == kDeviceWindowTarget && !windowTargetUsable) {
        return false;
    }
    if (target != 0 && target != kDeviceWindowTarget) {
        auto found = m_textures.find(target);
        if (found == m_textures.end() || !found->second.renderTarget) {
            return false;
        }
    }
    m_target = target;
    return true;
}

DeviceTextureId RecordingDevice::GetRenderTarget() const
{
    return m_target;
}

void RecordingDevice::SetRenderState(uint32_t state, uint32_t value)
{
    Record("SetRenderState", {state, value});
    if (state < kRenderStateCount) {
        m_states[state] = value;
    }
}

void RecordingDevice::SetSamplerState(uint32_t stage, uint32_t type, uint32_t value)
{
    Record("SetSamplerState", {stage, type, value});
}

void RecordingDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    Record("SetTextureStageState", {stage, type, value});
}

void RecordingDevice::SetTexture(uint32_t stage, DeviceTextureId texture)
{
    Record("SetTexture", {stage, texture});
}

void RecordingDevice::SetTransform(TransformKind kind, const Matrix& matrix)
{
    Record("SetTransform", {static_cast<uint32_t>(kind)}).matrix = matrix;
}

void RecordingDevice::SetViewport(const DeviceViewport& viewport)
{
    Record("SetViewport", {static_cast<uint32_t>(viewport.x), static_cast<uint32_t>(viewport.y),
                           static_cast<uint32_t>(viewport.width), static_cast<uint32_t>(viewport.height),
                           std::bit_cast<uint32_t>(viewport.minZ), std::bit_cast<uint32_t>(viewport.maxZ)});
}

void RecordingDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil)
{
    Record("Clear", {flags, colour, std::bit_cast<uint32_t>(z), stencil});
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t>* pixels = Pixels(m_target, width, height);
    if (pixels != nullptr && (flags & kClearTarget) != 0) {
        std::fill(pixels->begin(), pixels->end(), colour);
    }
}

void RecordingDevice::SetMaterial(const DeviceMaterial& material)
{
    Record("SetMaterial", {}).material = material;
}

void RecordingDevice::SetLight(uint32_t index, const DeviceLight& light)
{
    Record("SetLight", {index}).light = light;
}

void RecordingDevice::LightEnable(uint32_t index, bool enable)
{
    Record("LightEnable", {index, enable});
}

DeviceBufferId RecordingDevice::CreateVertexBuffer(uint32_t bytes, uint32_t fvf)
{
    Record("CreateVertexBuffer", {bytes, fvf});
    if (failVertexBuffers) {
        return 0;
    }
    const DeviceBufferId id = m_nextId++;
    m_buffers[id] = Buffer{fvf, std::vector<uint8_t>(bytes)};
    return id;
}

void RecordingDevice::ReleaseVertexBuffer(DeviceBufferId buffer)
{
    Record("ReleaseVertexBuffer", {buffer});
    m_buffers.erase(buffer);
}

uint8_t* RecordingDevice::LockVertexBuffer(DeviceBufferId buffer, uint32_t offset, uint32_t bytes)
{
    Record("LockVertexBuffer", {buffer, offset, bytes});
    auto found = m_buffers.find(buffer);
    if (found == m_buffers.end() || offset > found->second.bytes.size() ||
        bytes > found->second.bytes.size() - offset) {
        return nullptr;
    }
    return found->second.bytes.data() + offset;
}

void RecordingDevice::UnlockVertexBuffer(DeviceBufferId buffer, uint32_t bytesWritten)
{
    Record("UnlockVertexBuffer", {buffer, bytesWritten});
}

void RecordingDevice::DrawPrimitive(int32_t type, DeviceBufferId buffer, uint32_t firstVertex, uint32_t primitiveCount)
{
    RecordedCall& call = Record("DrawPrimitive", {static_cast<uint32_t>(type), buffer, firstVertex, primitiveCount});
    std::vector<uint32_t> order(Primitive_VerticesFromCount(type, primitiveCount));
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = firstVertex + i;
    }
    call.vertices = GatherVertices(buffer, order);
}

void RecordingDevice::DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, uint32_t fvf, const void* vertices)
{
    RecordedCall& call = Record("DrawPrimitiveUP", {static_cast<uint32_t>(type), primitiveCount, fvf});
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    call.vertices.assign(bytes, bytes + Primitive_VerticesFromCount(type, primitiveCount) * Fvf_VertexSize(fvf));
}

DeviceBufferId RecordingDevice::CreateIndexBuffer(const uint16_t* indices, uint32_t count)
{
    Record("CreateIndexBuffer", {count});
    const DeviceBufferId id = m_nextId++;
    m_indexBuffers[id].assign(indices, indices + count);
    return id;
}

void RecordingDevice::ReleaseIndexBuffer(DeviceBufferId buffer)
{
    Record("ReleaseIndexBuffer", {buffer});
    m_indexBuffers.erase(buffer);
}

void RecordingDevice::DrawIndexedPrimitive(int32_t type, DeviceBufferId vertices, uint32_t baseVertex,
                                           uint32_t primitiveCount, DeviceBufferId indices, uint32_t firstIndex)
{
    RecordedCall& call = Record("DrawIndexedPrimitive", {static_cast<uint32_t>(type), vertices, baseVertex,
                                                         primitiveCount, indices, firstIndex});
    auto found = m_indexBuffers.find(indices);
    const size_t count = Primitive_VerticesFromCount(type, primitiveCount);
    if (found == m_indexBuffers.end() || firstIndex > found->second.size() ||
        count > found->second.size() - firstIndex) {
        return;
    }
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i) {
        order[i] = baseVertex + found->second[firstIndex + i];
    }
    call.vertices = GatherVertices(vertices, order);
}

std::vector<uint8_t> RecordingDevice::GatherVertices(DeviceBufferId buffer, const std::vector<uint32_t>& order) const
{
    auto found = m_buffers.find(buffer);
    if (found == m_buffers.end()) {
        return {};
    }
    const std::vector<uint8_t>& bytes = found->second.bytes;
    const size_t size = Fvf_VertexSize(found->second.fvf);
    std::vector<uint8_t> gathered;
    gathered.reserve(order.size() * size);
    for (const uint32_t vertex : order) {
        if ((static_cast<size_t>(vertex) + 1) * size > bytes.size()) {
            return {};
        }
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(vertex * size);
        gathered.insert(gathered.end(), begin, begin + static_cast<std::ptrdiff_t>(size));
    }
    return gathered;
}

}  // namespace bw
