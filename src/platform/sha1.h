// SHA-1 message digest (RFC 3174), used by the digest built-ins and by the
// network code. A context that is misused (input after the result, or a
// message longer than 2^64 - 1 bits) is marked corrupted and never yields a
// digest.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

struct SHA1Context {
    uint32_t intermediateHash[5];  // H0..H4; the final digest words after SHA1_Result
    uint64_t lengthBits;           // message length so far
    uint8_t messageBlock[64];
    size_t messageBlockIndex;      // bytes of messageBlock in use
    bool computed;                 // SHA1_Result has padded the message
    bool corrupted;
};

void SHA1_Reset(SHA1Context& context);
void SHA1_Input(SHA1Context& context, const uint8_t* bytes, size_t length);

// Completes the message; the digest is then the five words of
// `context.intermediateHash`. Calling it again gives the same digest.
// False when the context is corrupted.
bool SHA1_Result(SHA1Context& context);

// As above, and writes the digest as 20 big-endian bytes; `digest` is left
// untouched when the result is false.
bool SHA1_Result(SHA1Context& context, uint8_t digest[20]);

}  // namespace bw
