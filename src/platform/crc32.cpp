#include "platform/crc32.h"

#include <cstring>

namespace bw {

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

uint32_t g_table[256];

uint32_t TableEntry(uint32_t index)
{
    uint32_t entry = index;
    for (int bit = 0; bit < 8; ++bit)
        entry = (entry & 1) ? (entry >> 1) ^ kPolynomial : entry >> 1;
    return entry;
}

// The first caller fills the table; the static's guard makes that safe when
// several threads hash at once.
const uint32_t* Table()
{
    static const bool filled = [] {
        for (uint32_t i = 0; i < 256; ++i)
            g_table[i] = TableEntry(i);
        return true;
    }();
    (void)filled;
    return g_table;
}

}  // namespace

void CRC32_Init()
{
    Table();
}

bool CRC32_CheckTable()
{
    const uint32_t* table = Table();
    for (uint32_t i = 0; i < 256; ++i) {
        if (table[i] != TableEntry(i))
            return false;
    }
    return true;
}

uint32_t CRC32_BytesUpdate(uint32_t value, const uint8_t* bytes, size_t length)
{
    const uint32_t* table = Table();
    for (size_t i = 0; i < length; ++i)
        value = (value >> 8) ^ table[(value ^ bytes[i]) & 0xFF];
    return value;
}

uint32_t CRC32_StringUpdate(uint32_t value, const char* text)
{
    if (text == nullptr)
        return value;
    return CRC32_BytesUpdate(value, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}

uint32_t CRC32_Bytes(const uint8_t* bytes, size_t length)
{
    return CRC32_BytesUpdate(kCRC32Start, bytes, length);
}

uint32_t CRC32_String(const char* text)
{
    return CRC32_StringUpdate(kCRC32Start, text);
}

}  // namespace bw
