// Sound images and chunks for the audio tests (support/sound_chunks.h), an
// Ogg Vorbis encoder, and an audio engine opened on them (OpenAL's back end
// comes from the environment: null, or wave for the capture test).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <vorbis/vorbisenc.h>

#include "audio/audio_builtins.h"
#include "audio/audio_engine.h"
#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
#include "audio/sound_hardware.h"
#include "platform/console.h"
#include "platform/options.h"
#include "support/sound_chunks.h"

namespace bw::test {

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

// The "Sound.." group and the resource group's sound_ rows, registered once
// per test program.
inline void RegisterSoundBuiltins()
{
    static const bool registered = [] {
        Function_Sound_Register();
        Function_SoundResource_Register();
        return true;
    }();
    (void)registered;
}

// What the console said while a ConsoleTap listened.
inline std::string& Heard()
{
    static std::string lines;
    return lines;
}

class ConsoleTap {
public:
    ConsoleTap()
    {
        Heard().clear();
        Console_SetDebugListener([](const char* line) { Heard() += line; });
    }
    ~ConsoleTap() { Console_SetDebugListener(nullptr); }
    ConsoleTap(const ConsoleTap&) = delete;
    ConsoleTap& operator=(const ConsoleTap&) = delete;
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
        Audio_SetChannelNum(kAudioDefaultChannels);  // the count outlives the engine
        SoundHardware_Quit();
        Options().newAudio = false;
    }
    AudioEngineScope(const AudioEngineScope&) = delete;
    AudioEngineScope& operator=(const AudioEngineScope&) = delete;
};

// An MP3 file of silence: MPEG-1 layer III frames (44.1 kHz, 128 kbit/s,
// mono) whose side information is all zero, so every granule decodes to
// silence.
inline std::string SilentMp3(double seconds)
{
    constexpr size_t kFrameBytes = 417;  // 144 x 128000 / 44100
    const auto frames = static_cast<size_t>(seconds * 44100 / 1152) + 1;
    std::string file;
    for (size_t i = 0; i < frames; ++i) {
        std::string frame(kFrameBytes, '\0');
        frame[0] = '\xFF';
        frame[1] = '\xFB';
        frame[2] = '\x90';
        frame[3] = '\xC0';
        file += frame;
    }
    return file;
}

// The legacy sound system with the chunks' sounds and the sound back end;
// everything released again at the end.
class LegacySoundScope {
public:
    explicit LegacySoundScope(const SoundChunks& chunks)
    {
        Options().newAudio = false;
        EXPECT_TRUE(chunks.LoadLegacy());
        SoundHardware_Create(false);
        EXPECT_TRUE(Sound_Prepare());
    }
    ~LegacySoundScope()
    {
        SoundHardware_Quit();
        Sound_Fini();
    }
    LegacySoundScope(const LegacySoundScope&) = delete;
    LegacySoundScope& operator=(const LegacySoundScope&) = delete;
};

}  // namespace bw::test
