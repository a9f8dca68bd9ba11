#include "audio/audio_stream.h"

#include <AL/al.h>

#include <algorithm>
#include <utility>

#include "audio/ogg_image.h"

namespace bw {

CAudioStream::CAudioStream(size_t bufferCount) : m_buffers(bufferCount, 0) {}

CAudioStream::~CAudioStream()
{
    if (m_attached) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
    }
    if (m_buffers[0] != 0) {
        alDeleteBuffers(static_cast<ALsizei>(m_buffers.size()), m_buffers.data());
    }
}

bool CAudioStream::Open(const uint8_t* data, size_t size, const char** why)
{
    auto ogg = std::make_unique<COggImage>();
    if (!ogg->Open(data, size, why)) {
        return false;
    }
    return Open(std::move(ogg), why);
}

bool CAudioStream::Open(std::unique_ptr<IPcmDecoder> decoder, const char** why)
{
    m_decoder = std::move(decoder);
    alGenBuffers(static_cast<ALsizei>(m_buffers.size()), m_buffers.data());
    if (alGetError() != AL_NO_ERROR) {
        std::fill(m_buffers.begin(), m_buffers.end(), 0);
        *why = "no OpenAL buffers for the stream";
        return false;
    }
    m_scratch.resize(kBufferBytes);
    return true;
}

bool CAudioStream::Attach(uint32_t source, bool loop)
{
    m_source = source;
    m_loop = loop;
    m_attached = true;
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    alSourcei(source, AL_LOOPING, AL_FALSE);  // the stream loops itself
    m_frameBytes = m_decoder->AlFormat() == AL_FORMAT_STEREO16 ? 4 : 2;
    bool any = false;
    for (const uint32_t buffer : m_buffers) {
        any = Requeue(buffer) || any;
    }
    return any || !m_ended;
}

bool CAudioStream::Fill(uint32_t buffer)
{
    if (m_ended) {
        return false;
    }
    int64_t got = m_decoder->Read(m_scratch.data(), m_scratch.size());
    if (got == 0 && m_loop && m_decoder->Rewind()) {
        got = m_decoder->Read(m_scratch.data(), m_scratch.size());
    }
    if (got == kPcmNotYet) {
        return false;
    }
    if (got <= 0) {
        m_ended = true;  // the end, or damage: what was queued still plays
        return false;
    }
    alBufferData(buffer, m_decoder->AlFormat(), m_scratch.data(), static_cast<ALsizei>(got), m_decoder->Rate());
    m_queuedBytes.push_back(static_cast<size_t>(got));
    return true;
}

bool CAudioStream::Requeue(uint32_t buffer)
{
    if (Fill(buffer)) {
        alSourceQueueBuffers(m_source, 1, &buffer);
        return true;
    }
    if (!m_ended) {
        m_idle.push_back(buffer);
    }
    return false;
}

void CAudioStream::Update()
{
    if (!m_attached) {
        return;
    }
    ALint processed = 0;
    alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
    bool queued = false;
    for (; processed > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(m_source, 1, &buffer);
        if (!m_queuedBytes.empty()) {
            m_playedBytes += static_cast<int64_t>(m_queuedBytes.front());
            m_queuedBytes.pop_front();
        }
        queued = Requeue(buffer) || queued;
    }
    const std::vector<uint32_t> waiting = std::exchange(m_idle, {});
    for (const uint32_t buffer : waiting) {
        queued = Requeue(buffer) || queued;
    }
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (queued && state == AL_STOPPED) {
        alSourcePlay(m_source);  // it ran dry between two updates
    }
}

bool CAudioStream::Finished() const
{
    return m_attached && m_ended && SourceStopped();
}

bool CAudioStream::RanDry() const
{
    return m_attached && !m_ended && SourceStopped();
}

bool CAudioStream::SourceStopped() const
{
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    return state == AL_STOPPED;
}

int64_t CAudioStream::PlayedFrames() const
{
    if (!m_attached) {
        return 0;
    }
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) {
        // A stopped source reports offset 0: whatever is still queued has played.
        int64_t bytes = m_playedBytes;
        for (const size_t queued : m_queuedBytes) {
            bytes += static_cast<int64_t>(queued);
        }
        return bytes / m_frameBytes;
    }
    ALint offset = 0;
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
    return m_playedBytes / m_frameBytes + offset;
}

}  // namespace bw
