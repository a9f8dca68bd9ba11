// Table-driven CRC-32 (reflected polynomial 0xEDB88320) used to hash strings
// and bytes for keyed lookups. Values are the running register: start
// 0xFFFFFFFF and no final inversion, so the published CRC-32 of some bytes is
// the bitwise NOT of CRC32_Bytes over them. Stored keys depend on this form.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

inline constexpr uint32_t kCRC32Start = 0xFFFFFFFFu;

// Fills the table. Start-up calls it; the hashing functions fill the table on
// first use as well, so a hash taken before start-up is still right.
void CRC32_Init();

// Recomputes every entry and compares it with the table in use.
bool CRC32_CheckTable();

// The register after the text's bytes, terminator excluded. A null text
// counts as empty and gives kCRC32Start.
uint32_t CRC32_String(const char* text);
uint32_t CRC32_Bytes(const uint8_t* bytes, size_t length);

// Continue from a running value, so a hash can be taken in pieces.
uint32_t CRC32_StringUpdate(uint32_t value, const char* text);
uint32_t CRC32_BytesUpdate(uint32_t value, const uint8_t* bytes, size_t length);

}  // namespace bw
