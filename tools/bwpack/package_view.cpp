#include "bwpack/package_view.h"

#include <cstring>

namespace bw::pack {

void PackageView::Need(uint64_t at, uint64_t size) const
{
    if (at > m_bytes.size() || size > m_bytes.size() - at) {
        throw DumpError("read of " + std::to_string(size) + " bytes at offset " + std::to_string(at) +
                        " beyond the end of the package (" + std::to_string(m_bytes.size()) + " bytes)");
    }
}

uint8_t PackageView::U8(uint64_t at) const
{
    Need(at, 1);
    return m_bytes[at];
}

uint16_t PackageView::U16(uint64_t at) const
{
    Need(at, 2);
    return static_cast<uint16_t>(m_bytes[at] | (m_bytes[at + 1] << 8));
}

uint32_t PackageView::U32(uint64_t at) const
{
    Need(at, 4);
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | m_bytes[at + i];
    return value;
}

uint64_t PackageView::U64(uint64_t at) const
{
    return U32(at) | (static_cast<uint64_t>(U32(at + 4)) << 32);
}

float PackageView::F32(uint64_t at) const
{
    const uint32_t bits = U32(at);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::span<const uint8_t> PackageView::Bytes(uint64_t at, uint64_t size) const
{
    Need(at, size);
    return m_bytes.subspan(at, size);
}

std::optional<std::string> PackageView::String(uint32_t offset) const
{
    if (offset == 0) return std::nullopt;
    if (offset < 4) throw DumpError("string offset " + std::to_string(offset) + " has no room for its length");
    const uint32_t length = U32(offset - 4);
    Need(offset, static_cast<uint64_t>(length) + 1);
    if (m_bytes[offset + length] != 0) throw DumpError("string at offset " + std::to_string(offset) + " is not NUL-terminated");
    return std::string(reinterpret_cast<const char*>(&m_bytes[offset]), length);
}

std::vector<uint32_t> PackageView::PointerList(uint64_t at) const
{
    const uint32_t count = U32(at);
    Need(at + 4, static_cast<uint64_t>(count) * 4);
    std::vector<uint32_t> offsets(count);
    for (uint32_t i = 0; i < count; ++i) offsets[i] = U32(at + 4 + 4 * static_cast<uint64_t>(i));
    return offsets;
}

std::vector<ChunkInfo> PackageView::Chunks() const
{
    if (m_bytes.size() < 8 || std::memcmp(m_bytes.data(), "FORM", 4) != 0) throw DumpError("not a package: no FORM header");
    if (U32(4) != m_bytes.size() - 8) {
        throw DumpError("FORM length " + std::to_string(U32(4)) + " is not the file size - 8 (" + std::to_string(m_bytes.size() - 8) + ")");
    }
    std::vector<ChunkInfo> chunks;
    for (uint64_t at = 8; at < m_bytes.size();) {
        Need(at, 8);
        ChunkInfo chunk;
        chunk.tag.assign(reinterpret_cast<const char*>(&m_bytes[at]), 4);
        chunk.length = U32(at + 4);
        chunk.payload = static_cast<uint32_t>(at + 8);
        Need(chunk.payload, chunk.length);
        chunks.push_back(chunk);
        at = static_cast<uint64_t>(chunk.payload) + chunk.length;
    }
    return chunks;
}

}  // namespace bw::pack
