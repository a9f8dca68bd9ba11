// MP3 files decoded with libmpg123 to 16-bit PCM for the streamer; the MCI
// media device plays them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/pcm_decoder.h"

struct mpg123_handle_struct;

namespace bw {

class CMp3File : public IPcmDecoder {
public:
    CMp3File() = default;
    ~CMp3File() override;
    CMp3File(const CMp3File&) = delete;
    CMp3File& operator=(const CMp3File&) = delete;

    // False with *why set when the file cannot be opened or holds no MPEG
    // audio frame, or more than two channels.
    bool Open(const char* path, const char** why);
    int32_t Rate() const override { return m_rate; }
    int32_t AlFormat() const override;
    int64_t Read(uint8_t* out, size_t capacity) override;
    bool Rewind() override;

private:
    mpg123_handle_struct* m_handle = nullptr;
    int32_t m_channels = 0;
    int32_t m_rate = 0;
};

}  // namespace bw
