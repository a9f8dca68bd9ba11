#include "platform/package_view.h"

#include <cstring>

namespace bw {

bool PackageView::ReadU32(uint64_t offset, uint32_t& out) const
{
    const uint8_t* bytes = Bytes(offset, 4);
    if (bytes == nullptr) {
        return false;
    }
    std::memcpy(&out, bytes, 4);
    return true;
}

bool PackageView::ReadI16(uint64_t offset, int16_t& out) const
{
    const uint8_t* bytes = Bytes(offset, 2);
    if (bytes == nullptr) {
        return false;
    }
    std::memcpy(&out, bytes, 2);
    return true;
}

bool PackageView::ReadPointerList(uint64_t offset, uint64_t limit, std::vector<uint32_t>& entries) const
{
    entries.clear();
    uint32_t count = 0;
    if (limit > m_size || !ReadU32(offset, count) || offset + 4 + uint64_t{count} * 4 > limit) {
        return false;
    }
    entries.resize(count);
    if (count > 0) {
        std::memcpy(entries.data(), m_data + offset + 4, size_t{count} * 4);
    }
    return true;
}

const char* PackageView::String(uint64_t offset) const
{
    if (offset >= m_size) {
        return nullptr;
    }
    const void* end = std::memchr(m_data + offset, 0, m_size - static_cast<size_t>(offset));
    return end != nullptr ? reinterpret_cast<const char*>(m_data + offset) : nullptr;
}

}  // namespace bw
