// MD5 message digest (RFC 1321), used by the digest built-ins. The context is
// a plain record so callers can keep one per running hash.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

struct MD5Context {
    uint32_t state[4];    // A, B, C, D
    uint64_t bitCount;    // message length in bits, modulo 2^64
    uint8_t buffer[64];   // bytes of the block being filled
    uint8_t digest[16];   // written by MD5_Final
};

void MD5_Init(MD5Context& context);
void MD5_Update(MD5Context& context, const uint8_t* bytes, size_t length);

// Pads the message and leaves the digest in `context.digest`. The context must
// be initialised again before it hashes another message.
void MD5_Final(MD5Context& context);

// As above, and copies the digest to `digest` as well.
void MD5_Final(uint8_t digest[16], MD5Context& context);

}  // namespace bw
