// A read-only, bounds-checked view of the package image. Everything in a
// package refers to other parts of it by u32 offsets from the start of the
// file; this turns such an offset into a typed value or a byte range and
// answers "no" for anything that does not lie wholly inside the image. The
// image is never written and no offset becomes a pointer before it has been
// checked here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bw {

class PackageView {
public:
    PackageView(const uint8_t* data, size_t size) : m_data(data), m_size(data != nullptr ? size : 0) {}

    size_t Size() const { return m_size; }
    // True when [offset, offset + length) lies inside the image.
    bool Contains(uint64_t offset, uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    // The bytes at offset, or null when fewer than length bytes are there.
    const uint8_t* Bytes(uint64_t offset, uint64_t length) const
    {
        return Contains(offset, length) ? m_data + offset : nullptr;
    }
    // Little-endian reads; false (out untouched) outside the image.
    bool ReadU32(uint64_t offset, uint32_t& out) const;
    bool ReadI16(uint64_t offset, int16_t& out) const;
    // A `PointerList` at offset: its count, then that many u32 file offsets
    // (0 = empty slot). False when the list runs past limit (an offset one
    // past the last byte the list may use, e.g. its chunk's end).
    bool ReadPointerList(uint64_t offset, uint64_t limit, std::vector<uint32_t>& entries) const;
    // A NUL-terminated text starting at offset, or null when no NUL follows
    // inside the image.
    const char* String(uint64_t offset) const;

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace bw
