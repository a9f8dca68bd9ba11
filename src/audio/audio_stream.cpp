#include "audio/audio_stream.h"

#include <AL/al.h>

#include <algorithm>

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
    bool any = false;
    for (const uint32_t buffer : m_buffers) {
        if (!Fill(buffer)) {
            break;
        }
        alSourceQueueBuffers(source, 1, &buffer);
        any = true;
    }
    return any;
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
    if (got <= 0) {
        m_ended = true;  // the end, or damage: what was queued still plays
        return false;
    }
    alBufferData(buffer, m_decoder->AlFormat(), m_scratch.data(), static_cast<ALsizei>(got), m_decoder->Rate());
    return true;
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
        if (Fill(buffer)) {
            alSourceQueueBuffers(m_source, 1, &buffer);
            queued = true;
        }
    }
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (queued && state == AL_STOPPED) {
        alSourcePlay(m_source);  // it ran dry between two updates
    }
}

bool CAudioStream::Finished() const
{
    if (!m_attached || !m_ended) {
        return false;
    }
    ALint state = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    return state == AL_STOPPED;
}

}  // namespace bw
