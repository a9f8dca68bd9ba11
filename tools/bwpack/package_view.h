// A bounds-checked view of a package image for --dump. It is bwpack's own
// reader: it trusts nothing in the bytes, and every read outside the image
// throws DumpError instead of touching memory it does not own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace bw::pack {

class DumpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ChunkInfo {
    std::string tag;
    uint32_t payload = 0;  // file offset of the payload
    uint32_t length = 0;
};

class PackageView {
public:
    explicit PackageView(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    size_t Size() const { return m_bytes.size(); }
    void Need(uint64_t at, uint64_t size) const;
    uint8_t U8(uint64_t at) const;
    uint16_t U16(uint64_t at) const;
    int16_t I16(uint64_t at) const { return static_cast<int16_t>(U16(at)); }
    uint32_t U32(uint64_t at) const;
    int32_t I32(uint64_t at) const { return static_cast<int32_t>(U32(at)); }
    uint64_t U64(uint64_t at) const;
    float F32(uint64_t at) const;
    std::span<const uint8_t> Bytes(uint64_t at, uint64_t size) const;

    // A package string from the offset of its bytes: the u32 length before
    // them and the NUL after them must be there. Nothing for offset 0.
    std::optional<std::string> String(uint32_t offset) const;
    // count, then count u32 offsets; the count is checked against the image.
    std::vector<uint32_t> PointerList(uint64_t at) const;

    // The chunks of the FORM container; throws unless the container is whole.
    std::vector<ChunkInfo> Chunks() const;

private:
    std::span<const uint8_t> m_bytes;
};

}  // namespace bw::pack
