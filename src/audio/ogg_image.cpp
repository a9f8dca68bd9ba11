#include "audio/ogg_image.h"

#include <algorithm>
#include <cstring>

namespace bw {
namespace {

size_t ReadBytes(void* out, size_t size, size_t count, void* source)
{
    auto* cursor = static_cast<COggImage::Cursor*>(source);
    if (size == 0) {
        return 0;
    }
    const size_t wanted = std::min(count, (cursor->size - cursor->position) / size);
    std::memcpy(out, cursor->data + cursor->position, wanted * size);
    cursor->position += wanted * size;
    return wanted;
}

int SeekBytes(void* source, ogg_int64_t offset, int whence)
{
    auto* cursor = static_cast<COggImage::Cursor*>(source);
    int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<int64_t>(cursor->position);
    } else if (whence == SEEK_END) {
        base = static_cast<int64_t>(cursor->size);
    } else if (whence != SEEK_SET) {
        return -1;
    }
    // Offsets from a damaged stream may be anything; stay inside the bytes.
    if (offset < -base || offset > static_cast<int64_t>(cursor->size) - base) {
        return -1;
    }
    cursor->position = static_cast<size_t>(base + offset);
    return 0;
}

long TellBytes(void* source)
{
    return static_cast<long>(static_cast<COggImage::Cursor*>(source)->position);
}

}  // namespace

COggImage::~COggImage()
{
    if (m_open) {
        ov_clear(&m_file);
    }
}

bool COggImage::Open(const uint8_t* data, size_t size, const char** why)
{
    m_cursor = Cursor{data, size, 0};
    const ov_callbacks callbacks{&ReadBytes, &SeekBytes, nullptr, &TellBytes};
    if (ov_open_callbacks(&m_cursor, &m_file, nullptr, 0, callbacks) != 0) {
        *why = "not a readable Ogg Vorbis stream";
        return false;
    }
    m_open = true;
    const vorbis_info* info = ov_info(&m_file, -1);
    if (info == nullptr || (info->channels != 1 && info->channels != 2) || info->rate <= 0 ||
        info->rate > 384000) {
        *why = "an Ogg Vorbis stream of neither one nor two channels";
        return false;
    }
    m_channels = info->channels;
    m_rate = static_cast<int32_t>(info->rate);
    return true;
}

int32_t COggImage::AlFormat() const
{
    return Pcm16_AlFormat(m_channels);
}

int64_t COggImage::Read(uint8_t* out, size_t capacity)
{
    size_t filled = 0;
    while (filled < capacity) {
        int section = 0;
        const int chunk = static_cast<int>(std::min<size_t>(capacity - filled, 4096));
        const long got = ov_read(&m_file, reinterpret_cast<char*>(out + filled), chunk, 0, 2, 1, &section);
        if (got == OV_HOLE) {
            continue;  // a gap in the data; decoding goes on after it
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        // A stream whose later sections change the layout would mix
        // unlike samples into one buffer; it ends here instead.
        const vorbis_info* info = ov_info(&m_file, section);
        if (info == nullptr || info->channels != m_channels) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(filled);
}

bool COggImage::Rewind()
{
    return ov_seekable(&m_file) != 0 && ov_raw_seek(&m_file, 0) == 0;
}

}  // namespace bw
