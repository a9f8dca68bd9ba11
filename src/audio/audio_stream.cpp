#include "audio/audio_stream.h"

#include <AL/al.h>

namespace bw {

CAudioStream::~CAudioStream()
{
    if (m_attached) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
    }
    if (m_buffers[0] != 0) {
        alDeleteBuffers(static_cast<ALsizei>(kBufferCount), m_buffers.data());
    }
}

bool CAudioStream::Open(const uint8_t* data, size_t size, const char** why)
{
    if (!m_ogg.Open(data, size, why)) {
        return false;
    }
    alGenBuffers(static_cast<ALsizei>(kBufferCount), m_buffers.data());
    if (alGetError() != AL_NO_ERROR) {
        m_buffers.fill(0);
        *why = "no OpenAL buffers for the stream";
        return false;
    }
    m_scratch.resize(kBufferBytes);
    return true;
}

void CAudioStream::Attach(uint32_t source, bool loop)
{
    m_source = source;
    m_loop = loop;
    m_attached = true;
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    alSourcei(source, AL_LOOPING, AL_FALSE);  // the stream loops itself
    for (const uint32_t buffer : m_buffers) {
        if (!Fill(buffer)) {
            break;
        }
        alSourceQueueBuffers(source, 1, &buffer);
    }
}

bool CAudioStream::Fill(uint32_t buffer)
{
    if (m_ended) {
        return false;
    }
    int64_t got = m_ogg.Read(m_scratch.data(), m_scratch.size());
    if (got == 0 && m_loop && m_ogg.Rewind()) {
        got = m_ogg.Read(m_scratch.data(), m_scratch.size());
    }
    if (got <= 0) {
        m_ended = true;  // the end, or damage: what was queued still plays
        return false;
    }
    alBufferData(buffer, m_ogg.AlFormat(), m_scratch.data(), static_cast<ALsizei>(got), m_ogg.Rate());
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

}  // namespace bw
