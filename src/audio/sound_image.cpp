#include "audio/sound_image.h"

#include <AL/al.h>
#include <AL/alut.h>

#include <cstring>
#include <vector>

#include "audio/ogg_image.h"

namespace bw {
namespace {

bool StartsWith(const uint8_t* data, size_t size, size_t at, const char* tag)
{
    const size_t length = std::strlen(tag);
    return size >= at + length && std::memcmp(data + at, tag, length) == 0;
}

uint32_t ReadU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

// freealut allocates whatever a chunk header claims before it reads; every
// chunk must lie inside the image before the image goes there.
bool WaveChunksFit(const uint8_t* data, size_t size, const char** why)
{
    bool format = false;
    bool samples = false;
    size_t at = 12;
    while (size - at >= 8) {
        const uint64_t length = ReadU32(data + at + 4);
        if (length > size - at - 8) {
            *why = "a WAVE chunk runs past the end of the sound file";
            return false;
        }
        format = format || std::memcmp(data + at, "fmt ", 4) == 0;
        samples = samples || std::memcmp(data + at, "data", 4) == 0;
        at += 8 + length + (length & 1);
        if (at > size) {
            break;  // the pad byte of the last chunk may be missing
        }
    }
    if (!format || !samples) {
        *why = "the WAVE file has no format or no data chunk";
        return false;
    }
    return true;
}

uint32_t CreateWaveBuffer(const uint8_t* data, size_t size, const char** why)
{
    alGetError();
    alutGetError();
    const ALuint buffer = alutCreateBufferFromFileImage(data, static_cast<ALsizei>(size));
    const ALenum alutError = alutGetError();
    const ALenum alError = alGetError();
    if (buffer == AL_NONE || alutError != ALUT_ERROR_NO_ERROR || alError != AL_NO_ERROR) {
        if (buffer != AL_NONE) {
            alDeleteBuffers(1, &buffer);
        }
        *why = alutError != ALUT_ERROR_NO_ERROR ? alutGetErrorString(alutError) : "OpenAL refused the samples";
        return 0;
    }
    return buffer;
}

}  // namespace

SoundImageKind SoundImage_Kind(const uint8_t* data, size_t size)
{
    if (StartsWith(data, size, 0, "RIFF") && StartsWith(data, size, 8, "WAVE")) {
        return SoundImageKind::Wave;
    }
    if (StartsWith(data, size, 0, "OggS")) {
        return SoundImageKind::Ogg;
    }
    return SoundImageKind::Unknown;
}

bool SoundImage_Check(const uint8_t* data, size_t size, const char** why)
{
    if (size > static_cast<size_t>(INT32_MAX)) {
        *why = "the sound file is too large";
        return false;
    }
    switch (SoundImage_Kind(data, size)) {
        case SoundImageKind::Wave:
            return WaveChunksFit(data, size, why);
        case SoundImageKind::Ogg:
            return true;
        case SoundImageKind::Unknown:
            break;
    }
    *why = "neither a WAVE nor an Ogg Vorbis file";
    return false;
}

bool SoundImage_DecodeOgg(const uint8_t* data, size_t size, DecodedSound& out, const char** why)
{
    COggImage ogg;
    if (!ogg.Open(data, size, why)) {
        return false;
    }
    out.samples.clear();
    size_t filled = 0;
    for (;;) {
        if (out.samples.size() - filled < 65536) {
            if (out.samples.size() >= kSoundImageMaxDecodedBytes) {
                *why = "the decoded sound is too long";
                return false;
            }
            out.samples.resize(out.samples.size() + (size_t{1} << 20));
        }
        const int64_t got = ogg.Read(out.samples.data() + filled, out.samples.size() - filled);
        if (got < 0) {
            *why = "the Ogg Vorbis stream is damaged";
            return false;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    out.samples.resize(filled);
    out.alFormat = ogg.AlFormat();
    out.rate = ogg.Rate();
    return true;
}

uint32_t SoundImage_CreateBuffer(const uint8_t* data, size_t size, const char** why)
{
    if (!SoundImage_Check(data, size, why)) {
        return 0;
    }
    if (SoundImage_Kind(data, size) == SoundImageKind::Wave) {
        return CreateWaveBuffer(data, size, why);
    }
    DecodedSound decoded;
    if (!SoundImage_DecodeOgg(data, size, decoded, why)) {
        return 0;
    }
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, decoded.alFormat, decoded.samples.data(), static_cast<ALsizei>(decoded.samples.size()),
                 decoded.rate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        *why = "OpenAL refused the samples";
        return 0;
    }
    return buffer;
}

}  // namespace bw
