// Sound file images and the SOND and AUDO payloads that carry them, made in
// memory for the audio tests and the audio benchmark.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
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
    // The same chunks read by the legacy sound system.
    bool LoadLegacy() const
    {
        return Sound_Init(View(), m_sondOffset, m_sondLength) && Wave_Init(View(), m_audoOffset, m_audoLength);
    }
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

}  // namespace bw::test
