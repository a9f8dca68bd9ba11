// The mix OpenAL's wave back end writes to a file (the test registration
// names the back end and the configuration file): mono 32-bit float samples
// at 44.1 kHz.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace bw::test {

constexpr int32_t kCaptureRate = 44100;

// The output file named in the configuration; empty when the wave back end
// is not what this run uses.
inline std::string CaptureFile()
{
    const char* drivers = std::getenv("ALSOFT_DRIVERS");
    const char* conf = std::getenv("ALSOFT_CONF");
    if (drivers == nullptr || std::strcmp(drivers, "wave") != 0 || conf == nullptr) {
        return {};
    }
    std::ifstream in(conf);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("file = ", 0) == 0) {
            return line.substr(7);
        }
    }
    return {};
}

inline uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// The float samples of the file's data chunk.
inline std::vector<float> ReadCapture(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t length = U32At(bytes, at + 4);
        if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            const size_t count = std::min<size_t>(length, bytes.size() - at - 8) / 4;
            samples.resize(count);
            std::memcpy(samples.data(), bytes.data() + at + 8, count * 4);
            break;
        }
        at += 8 + length + (length & 1);
    }
    return samples;
}

// The first and the last sample that is not silence; first > last when
// every sample is.
inline std::pair<size_t, size_t> AudibleSpan(const std::vector<float>& samples)
{
    size_t first = samples.size();
    size_t last = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) > 0.01f) {
            first = std::min(first, i);
            last = i;
        }
    }
    return {first, last};
}

// The frequency of a tone from its zero crossings in samples [from, to).
inline double CrossingHertz(const std::vector<float>& samples, size_t from, size_t to)
{
    int32_t crossings = 0;
    for (size_t i = std::max<size_t>(from, 1); i < to; ++i) {
        crossings += (samples[i - 1] < 0.0f) != (samples[i] < 0.0f) ? 1 : 0;
    }
    return crossings / 2.0 / (static_cast<double>(to - from) / kCaptureRate);
}

}  // namespace bw::test
