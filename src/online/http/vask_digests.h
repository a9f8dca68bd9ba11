// The digests and Base64 of the platform built-ins: MD5 and SHA-1 as
// lower-case hexadecimal, of a text's UTF-8 bytes, of its UTF-16LE code
// units, or of a file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// UTF-8 to UTF-16 little-endian bytes; a malformed sequence becomes U+FFFD,
// a character past U+FFFF a surrogate pair.
std::vector<uint8_t> Digest_Utf16LE(std::string_view utf8);
std::string Digest_MD5Hex(std::span<const uint8_t> bytes);
std::string Digest_SHA1Hex(std::span<const uint8_t> bytes);

void Function_VaskDigest_Register();

}  // namespace bw
