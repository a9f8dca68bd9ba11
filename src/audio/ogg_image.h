// Ogg Vorbis sound file images read from memory (the package's AUDO
// entries), decoded to 16-bit PCM with vorbisfile. The whole-buffer loader
// and the streamer both read through this.
#pragma once

#include <cstddef>
#include <cstdint>

#include <vorbis/vorbisfile.h>

#include "audio/pcm_decoder.h"

namespace bw {

class COggImage : public IPcmDecoder {
public:
    COggImage() = default;
    ~COggImage() override;
    COggImage(const COggImage&) = delete;
    COggImage& operator=(const COggImage&) = delete;

    // The bytes must outlive the reader (package images live until exit).
    // False, with *why set, for anything vorbisfile will not read or a
    // channel layout OpenAL cannot take (only mono and stereo).
    bool Open(const uint8_t* data, size_t size, const char** why);
    int32_t Channels() const { return m_channels; }
    int32_t Rate() const override { return m_rate; }
    // The OpenAL format of the decoded samples.
    int32_t AlFormat() const override;
    // Decodes up to capacity bytes of interleaved 16-bit samples into out;
    // 0 at the end of the stream, -1 when the stream is damaged.
    int64_t Read(uint8_t* out, size_t capacity) override;
    // Back to the first sample (for loops); false when the image cannot seek.
    bool Rewind() override;

    // vorbisfile's view of the bytes.
    struct Cursor {
        const uint8_t* data = nullptr;
        size_t size = 0;
        size_t position = 0;
    };

private:
    Cursor m_cursor;
    OggVorbis_File m_file{};
    bool m_open = false;
    int32_t m_channels = 0;
    int32_t m_rate = 0;
};

}  // namespace bw
