// Plays a long Ogg Vorbis image on one OpenAL source without decoding it
// whole: a few short buffers are queued on the source and refilled as they
// finish. Used for sounds the package marks as streamed (music); the legacy
// music player streams through it too.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/ogg_image.h"

namespace bw {

class CAudioStream {
public:
    CAudioStream() = default;
    // Detaches from the source (stopping it) and frees the buffers.
    ~CAudioStream();
    CAudioStream(const CAudioStream&) = delete;
    CAudioStream& operator=(const CAudioStream&) = delete;

    // The bytes must outlive the stream. False with *why when the image is
    // not a stream we can decode.
    bool Open(const uint8_t* data, size_t size, const char** why);
    // Queues the first buffers on source (replacing whatever it had); the
    // caller starts the source. A looping stream starts again at its end.
    void Attach(uint32_t source, bool loop);
    // Refills the buffers the source has finished; restarts a source that
    // ran dry before the stream ended. Cheap when nothing finished.
    void Update();

private:
    bool Fill(uint32_t buffer);

    static constexpr size_t kBufferCount = 4;
    static constexpr size_t kBufferBytes = 32768;  // about 0.19 s of stereo at 44.1 kHz

    COggImage m_ogg;
    std::array<uint32_t, kBufferCount> m_buffers{};
    std::vector<uint8_t> m_scratch;
    uint32_t m_source = 0;
    bool m_attached = false;
    bool m_loop = false;
    bool m_ended = false;  // no more samples to queue
};

}  // namespace bw
