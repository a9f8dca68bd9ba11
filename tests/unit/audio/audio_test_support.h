// Sound file images and sound chunks made in the test, and an audio engine
// opened on them (OpenAL's back end comes from the environment: null, or
// wave for the capture test).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <vorbis/vorbisenc.h>

#include "audio/audio_engine.h"
#include "audio/audio_sounds.h"
#include "audio/sound_hardware.h"
#include "platform/options.h"
#include "platform/package_view.h"

namespace bw::test {

inline void PutU32(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

inline void SetU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A 16-bit mono WAVE image of a sine of the given frequency and peak
// (0..1); frequency 0 gives silence.
inline std::vector<uint8_t> SineWave(double frequency, double peak, double seconds, int32_t rate = 44100)
{
    const auto frames = static_cast<uint32_t>(seconds * rate);
    std::vector<uint8_t> image;
    image.insert(image.end(), {'R', 'I', 'F', 'F'});
    PutU32(image, 36 + frames * 2);
    image.insert(image.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(image, 16);
    PutU32(image, 1u | 1u << 16);  // PCM, one channel
    PutU32(image, static_cast<uint32_t>(rate));
    PutU32(image, static_cast<uint32_t>(rate) * 2);
    PutU32(image, 2u | 16u << 16);  // block align 2, 16 bits
    image.insert(image.end(), {'d', 'a', 't', 'a'});
    PutU32(image, frames * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const double sample = peak * std::sin(2.0 * M_PI * frequency * i / rate);
        const auto value = static_cast<int16_t>(std::lround(sample * 32767.0));
        image.push_back(static_cast<uint8_t>(value));
        image.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8));
    }
    return image;
}

// An Ogg Vorbis image of a mono sine, encoded here with vorbisenc.
inline std::vector<uint8_t> OggSine(double frequency, double peak, double seconds, int32_t rate = 44100)
{
    std::vector<uint8_t> image;
    const auto append = [&](const ogg_page& page) {
        image.insert(image.end(), page.header, page.header + page.header_len);
        image.insert(image.end(), page.body, page.body + page.body_len);
    };
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, 1, rate, 0.3f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_packet headers[3];
    vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
    for (ogg_packet& header : headers) {
        ogg_stream_packetin(&stream, &header);
    }
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        append(page);
    }
    const auto frames = static_cast<int>(seconds * rate);
    float** channels = vorbis_analysis_buffer(&dsp, frames);
    for (int i = 0; i < frames; ++i) {
        channels[0][i] = static_cast<float>(peak * std::sin(2.0 * M_PI * frequency * i / rate));
    }
    vorbis_analysis_wrote(&dsp, frames);
    vorbis_analysis_wrote(&dsp, 0);
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page) != 0) {
                append(page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        append(page);
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return image;
}

struct TestSound {
    std::string name;
    std::string fileName;
    int32_t kind = 0;
    float volume = 1.0f;
    int32_t audioIndex = 0;
};

// SOND and AUDO payloads with their records, strings and entries in one
// image, laid out as a package lays them out.
class SoundChunks {
public:
    SoundChunks(const std::vector<TestSound>& sounds, const std::vector<std::vector<uint8_t>>& images)
    {
        m_sondOffset = 0;
        PutList(sounds.size());
        m_sondLength = static_cast<uint32_t>(m_bytes.size());
        m_audoOffset = m_sondLength;
        PutList(images.size());
        m_audoLength = static_cast<uint32_t>(m_bytes.size()) - m_audoOffset;
        for (size_t i = 0; i < sounds.size(); ++i) {
            SetU32(m_bytes, 4 + 4 * i, static_cast<uint32_t>(m_bytes.size()));
            const size_t record = m_bytes.size();
            m_bytes.resize(record + 36);
            SetU32(m_bytes, record, PutString(sounds[i].name));
            SetU32(m_bytes, record + 4, static_cast<uint32_t>(sounds[i].kind));
            SetU32(m_bytes, record + 12, PutString(sounds[i].fileName));
            uint32_t volume = 0;
            std::memcpy(&volume, &sounds[i].volume, 4);
            SetU32(m_bytes, record + 20, volume);
            SetU32(m_bytes, record + 32, static_cast<uint32_t>(sounds[i].audioIndex));
        }
        for (size_t i = 0; i < images.size(); ++i) {
            SetU32(m_bytes, m_audoOffset + 4 + 4 * i, static_cast<uint32_t>(m_bytes.size()));
            PutU32(m_bytes, static_cast<uint32_t>(images[i].size()));
            m_bytes.insert(m_bytes.end(), images[i].begin(), images[i].end());
        }
    }

    std::vector<uint8_t>& Bytes() { return m_bytes; }
    PackageView View() const { return PackageView(m_bytes.data(), m_bytes.size()); }
    bool LoadSounds() const { return Audio_Load(View(), m_sondOffset, m_sondLength); }
    bool LoadImages() const { return Audio_WAVs(View(), m_audoOffset, m_audoLength); }
    uint32_t AudoOffset() const { return m_audoOffset; }

private:
    void PutList(size_t count)
    {
        PutU32(m_bytes, static_cast<uint32_t>(count));
        m_bytes.resize(m_bytes.size() + 4 * count);
    }
    uint32_t PutString(const std::string& text)
    {
        PutU32(m_bytes, static_cast<uint32_t>(text.size()));
        const auto at = static_cast<uint32_t>(m_bytes.size());
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        m_bytes.push_back(0);
        return at;
    }

    std::vector<uint8_t> m_bytes;
    uint32_t m_sondOffset = 0;
    uint32_t m_sondLength = 0;
    uint32_t m_audoOffset = 0;
    uint32_t m_audoLength = 0;
};

// The engine on, with the chunks' sounds loaded and prepared; everything
// released again at the end.
class AudioEngineScope {
public:
    explicit AudioEngineScope(const SoundChunks& chunks)
    {
        Options().newAudio = true;
        EXPECT_TRUE(chunks.LoadSounds());
        EXPECT_TRUE(chunks.LoadImages());
        SoundHardware_Create(false);
        Audio_Prepare();
    }
    ~AudioEngineScope()
    {
        SoundHardware_Quit();
        Options().newAudio = false;
    }
    AudioEngineScope(const AudioEngineScope&) = delete;
    AudioEngineScope& operator=(const AudioEngineScope&) = delete;
};

}  // namespace bw::test
