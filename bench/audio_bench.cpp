// The audio engine's per-step cost: 128 voices playing on 32 emitters that
// move every step, each voice with a gain fade running, on OpenAL's null
// device. Reported per step and as a share of a 60 fps frame (the engine
// should stay well under a tenth of one).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/audio_emitters.h"
#include "audio/audio_engine.h"
#include "audio/audio_sounds.h"
#include "audio/sound_hardware.h"
#include "platform/options.h"
#include "support/sound_chunks.h"

namespace {

using namespace bw;

constexpr int32_t kEmitters = 32;
constexpr int32_t kVoicesPerEmitter = kAudioDefaultChannels / kEmitters;
constexpr double kFrameSeconds = 1.0 / 60.0;

void AudioUpdateWith128Voices(benchmark::State& state)
{
    test::SoundChunks chunks({{"a", "a.wav", 0, 1.0f, 0}, {"b", "b.wav", 0, 0.8f, 1}},
                             {test::SineWave(440, 0.5, 2.0), test::SineWave(330, 0.5, 2.0)});
    Options().newAudio = true;
    chunks.LoadSounds();
    chunks.LoadImages();
    SoundHardware_Create(false);
    Audio_Prepare();
    if (!Audio_System()) {
        state.SkipWithError("no OpenAL device");
        return;
    }
    std::vector<int32_t> emitters;
    std::vector<int32_t> voices;
    for (int32_t e = 0; e < kEmitters; ++e) {
        emitters.push_back(Audio_CreateEmitter());
        for (int32_t v = 0; v < kVoicesPerEmitter; ++v) {
            voices.push_back(Audio_PlaySound(emitters.back(), v % 2, 1, 1.0));
        }
    }
    int64_t step = 0;
    for (auto _ : state) {
        const auto angle = static_cast<float>(step) * 0.01f;
        for (int32_t e = 0; e < kEmitters; ++e) {
            Audio_SetEmitterPosition(emitters[static_cast<size_t>(e)], 100.0f * std::cos(angle + e),
                                     100.0f * std::sin(angle + e), 0.0f);
        }
        if (step % 30 == 0) {
            for (const int32_t voice : voices) {
                Audio_SetSoundGain(voice, (step / 30) % 2 == 0 ? 0.2f : 1.0f, 1000);
            }
        }
        Audio_Update();
        ++step;
    }
    // Per cent of a 60 fps frame: seconds per step / (seconds per frame / 100).
    state.counters["pct_of_60fps_frame"] = benchmark::Counter(
        kFrameSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    SoundHardware_Quit();
}
BENCHMARK(AudioUpdateWith128Voices)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("ALSOFT_DRIVERS", "null", 0);  // no sound from a benchmark
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
