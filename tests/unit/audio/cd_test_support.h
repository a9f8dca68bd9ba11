// For the CD tests: a disc image (a cue sheet over one BIN file of raw
// 2352-byte sectors, audio tracks of generated tones and data tracks of
// noise, loud enough to be heard should a data track ever be played), and
// the built-ins called by name.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/sound_hardware.h"
#include "support/scratch_folder.h"
#include "unit/audio/audio_test_support.h"
#include "unit/library/library_test_support.h"

namespace bw::test {

struct CdImageTrack {
    bool audio = true;
    double hertz = 0.0;  // the tone of an audio track, at half of full scale
    int32_t sectors = 75;
};

// Writes disc.bin and disc.cue into folder and returns the cue sheet's path.
inline std::string WriteCdImage(const ScratchFolder& folder, const std::vector<CdImageTrack>& tracks)
{
    constexpr int32_t kFrames = 588;
    std::string bin;
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    uint32_t noise = 12345;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const CdImageTrack& track = tracks[i];
        const int32_t start = static_cast<int32_t>(bin.size() / (kFrames * 4));
        char entry[128];
        std::snprintf(entry, sizeof entry, "  TRACK %02zu %s\n    INDEX 01 %02d:%02d:%02d\n", i + 1,
                      track.audio ? "AUDIO" : "MODE1/2352", start / 75 / 60, start / 75 % 60, start % 75);
        cue += entry;
        for (int32_t frame = 0; frame < track.sectors * kFrames; ++frame) {
            int16_t sample = 0;
            if (track.audio) {
                const double phase = 2.0 * M_PI * track.hertz * frame / 44100.0;
                sample = static_cast<int16_t>(std::lround(16383.0 * std::sin(phase)));
            } else {
                noise = noise * 1103515245u + 12345u;
                sample = static_cast<int16_t>(noise >> 16);
            }
            char bytes[4];
            std::memcpy(bytes, &sample, 2);
            std::memcpy(bytes + 2, &sample, 2);
            bin.append(bytes, 4);
        }
    }
    folder.Write("disc.bin", bin);
    return folder.Write("disc.cue", cue);
}

// The disc of the CD tests, written once per test program: a tone of 440 Hz
// for one second, 880 Hz for two, a data track of 0.4 s, and 1320 Hz for one
// second; its cue sheet's path.
inline const std::string& TestDisc()
{
    static const ScratchFolder folder;
    static const std::string cue =
        WriteCdImage(folder, {{true, 440.0, 75}, {true, 880.0, 150}, {false, 0.0, 30}, {true, 1320.0, 75}});
    return cue;
}

// A CD built-in's result as a real.
inline double Cd(const char* name, std::initializer_list<ScriptValue> arguments = {})
{
    return CallBuiltin(name, arguments).Real();
}

// MCI_command's reply to command.
inline std::string Mci(const char* command)
{
    return CallBuiltin("MCI_command", {command}).Text();
}

// Updates the sound, in small sleeps and for as long as the machine needs,
// until check holds; false when it never did.
template <typename Check>
bool PlayUntil(Check check)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!check() && std::chrono::steady_clock::now() < giveUp) {
        SoundHardware_Get()->Tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return check();
}

}  // namespace bw::test
