// A source of interleaved 16-bit PCM that the streamer pulls from: an Ogg
// Vorbis image (ogg_image.h), an MP3 file (mp3_file.h) or the audio sectors
// a CD drive is reading (cd_reader.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

inline constexpr int64_t kPcmNotYet = -2;

class IPcmDecoder {
public:
    virtual ~IPcmDecoder() = default;
    virtual int32_t Rate() const = 0;
    // The OpenAL format of the decoded samples.
    virtual int32_t AlFormat() const = 0;
    // Decodes up to capacity bytes into out; 0 at the end of the stream, -1
    // when the stream is damaged, kPcmNotYet when a source fed from elsewhere
    // has nothing yet (the streamer asks again at its next update).
    virtual int64_t Read(uint8_t* out, size_t capacity) = 0;
    // Back to the first sample (for loops); false when that is impossible.
    virtual bool Rewind() = 0;
};

// The OpenAL format of 16-bit samples in that many channels (1 or 2).
int32_t Pcm16_AlFormat(int32_t channels);

}  // namespace bw
