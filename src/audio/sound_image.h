// Sound file images (AUDO entries) turned into OpenAL buffers: WAVE through
// freealut, Ogg Vorbis through vorbisfile, so neither kind plays silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bw {

enum class SoundImageKind { Unknown, Wave, Ogg };

SoundImageKind SoundImage_Kind(const uint8_t* data, size_t size);

// Decoded Ogg images larger than this are refused: a damaged header must not
// make one sound take all memory (about 25 minutes of stereo at 44.1 kHz).
inline constexpr size_t kSoundImageMaxDecodedBytes = size_t{256} << 20;

// Whether the image can go to a decoder: a WAVE file whose chunks all lie
// inside it (freealut allocates whatever a chunk header claims before it
// reads), or an Ogg stream. False with *why set otherwise.
bool SoundImage_Check(const uint8_t* data, size_t size, const char** why);

struct DecodedSound {
    std::vector<uint8_t> samples;  // interleaved 16-bit
    int32_t alFormat = 0;
    int32_t rate = 0;
};
// The whole of an Ogg Vorbis image; false with *why set when it is damaged
// or decodes to more than kSoundImageMaxDecodedBytes.
bool SoundImage_DecodeOgg(const uint8_t* data, size_t size, DecodedSound& out, const char** why);

// A new OpenAL buffer holding the whole decoded image; 0 with *why set when
// the image cannot be decoded. Needs a current OpenAL context.
uint32_t SoundImage_CreateBuffer(const uint8_t* data, size_t size, const char** why);

}  // namespace bw
