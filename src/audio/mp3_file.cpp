#include "audio/mp3_file.h"

#include <mpg123.h>

#include <cstdio>

namespace bw {

CMp3File::~CMp3File()
{
    if (m_handle != nullptr) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
}

bool CMp3File::Open(const char* path, const char** why)
{
    static const bool initialised = mpg123_init() == MPG123_OK;
    if (!initialised) {
        *why = "the MP3 decoder did not start";
        return false;
    }
    m_handle = mpg123_new(nullptr, nullptr);
    if (m_handle == nullptr) {
        *why = "the MP3 decoder did not start";
        return false;
    }
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    if (mpg123_open(m_handle, path) != MPG123_OK) {
        *why = "the file cannot be opened";
        return false;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK || channels < 1 || channels > 2) {
        *why = "the file holds no MP3 audio";
        return false;
    }
    // Every later frame is decoded to the first frame's layout in 16 bits.
    mpg123_format_none(m_handle);
    mpg123_format(m_handle, rate, channels, MPG123_ENC_SIGNED_16);
    m_rate = static_cast<int32_t>(rate);
    m_channels = channels;
    return true;
}

int32_t CMp3File::AlFormat() const
{
    return Pcm16_AlFormat(m_channels);
}

int64_t CMp3File::Read(uint8_t* out, size_t capacity)
{
    size_t total = 0;
    while (total < capacity) {
        size_t done = 0;
        const int result = mpg123_read(m_handle, out + total, capacity - total, &done);
        total += done;
        if (result == MPG123_DONE) {
            break;
        }
        if (result == MPG123_NEW_FORMAT) {
            continue;  // the format is fixed above; mpg123 converts to it
        }
        if (result != MPG123_OK) {
            return total > 0 ? static_cast<int64_t>(total) : -1;
        }
    }
    return static_cast<int64_t>(total);
}

bool CMp3File::Rewind()
{
    return mpg123_seek(m_handle, 0, SEEK_SET) >= 0;
}

}  // namespace bw
