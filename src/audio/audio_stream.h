// Plays a long sound on one OpenAL source without decoding it whole: a few
// short buffers are queued on the source and refilled as they finish. Used
// for sounds the package marks as streamed (music, Ogg images in memory) and
// by the legacy music player and the MCI media device (Ogg and MP3 files),
// and by the MCI CD device (sectors a worker reads from the drive).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "audio/pcm_decoder.h"

namespace bw {

class CAudioStream {
public:
    // The audio engine queues four buffers; the music player two.
    explicit CAudioStream(size_t bufferCount = 4);
    // Detaches from the source (stopping it) and frees the buffers.
    ~CAudioStream();
    CAudioStream(const CAudioStream&) = delete;
    CAudioStream& operator=(const CAudioStream&) = delete;

    // An Ogg Vorbis image; the bytes must outlive the stream. False with
    // *why when the image is not a stream we can decode.
    bool Open(const uint8_t* data, size_t size, const char** why);
    // Any decoder; false with *why when OpenAL gives no buffers.
    bool Open(std::unique_ptr<IPcmDecoder> decoder, const char** why);
    // Queues the first buffers on source (replacing whatever it had); the
    // caller starts the source. A looping stream starts again at its end.
    // False when the stream ended before a single buffer could be filled; a
    // decoder with nothing yet leaves its buffers for the next update.
    bool Attach(uint32_t source, bool loop);
    // Refills the buffers the source has finished and those still waiting
    // for samples; restarts a source that ran dry before the stream ended.
    // Cheap when nothing finished.
    void Update();
    // Every sample has been queued and the source has played them all.
    bool Finished() const;
    // The source stopped before the stream ended: a frame longer than the
    // queued buffers let it play them all. Update starts it again.
    bool RanDry() const;
    // Sample frames the source has played since Attach.
    int64_t PlayedFrames() const;

    static constexpr size_t kBufferBytes = 32768;  // about 0.19 s of stereo at 44.1 kHz

private:
    bool SourceStopped() const;
    bool Fill(uint32_t buffer);
    // Fills buffer and queues it; a buffer left empty waits in m_idle unless
    // the stream has ended.
    bool Requeue(uint32_t buffer);

    std::unique_ptr<IPcmDecoder> m_decoder;
    std::vector<uint32_t> m_buffers;
    std::vector<uint8_t> m_scratch;
    std::vector<uint32_t> m_idle;      // buffers waiting for a decoder that had nothing yet
    std::deque<size_t> m_queuedBytes;  // bytes of each queued buffer, oldest first
    int64_t m_playedBytes = 0;         // bytes of the buffers played and unqueued
    int32_t m_frameBytes = 4;
    uint32_t m_source = 0;
    bool m_attached = false;
    bool m_loop = false;
    bool m_ended = false;  // no more samples to queue
};

}  // namespace bw
