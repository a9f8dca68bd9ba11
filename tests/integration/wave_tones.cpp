// Tells which tones a mix captured by OpenAL's wave back end holds, and
// when: the file is cut into 50 ms windows, each window is named by the
// tones heard in it ("400+1000", or "-" for none), and the names are
// printed in order, each once per run that lasts at least 150 ms, so the
// moments where one sound starts as another stops do not count.
//   wave_tones FILE HZ... -> "tones: - 400 400+1000 400 -"
// Every HZ is a multiple of 20, so each falls on a bin of its own.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "unit/audio/wave_capture.h"

namespace {

constexpr size_t kWindow = bw::test::kCaptureRate / 20;
constexpr size_t kShortestRun = 3;     // windows
constexpr double kHeardAmplitude = 0.05;  // the test tones peak at 0.3

// The amplitude of the tone at hz in window (Goertzel's recurrence).
double Amplitude(const float* window, double hz)
{
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * hz / bw::test::kCaptureRate);
    double previous = 0.0;
    double beforeThat = 0.0;
    for (size_t i = 0; i < kWindow; ++i) {
        const double next = window[i] + coefficient * previous - beforeThat;
        beforeThat = previous;
        previous = next;
    }
    const double power = previous * previous + beforeThat * beforeThat - coefficient * previous * beforeThat;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / kWindow;
}

std::string TonesIn(const float* window, const std::vector<std::string>& tones)
{
    std::string heard;
    for (const std::string& tone : tones) {
        if (Amplitude(window, std::atof(tone.c_str())) >= kHeardAmplitude) {
            heard += (heard.empty() ? "" : "+") + tone;
        }
    }
    return heard.empty() ? "-" : heard;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: wave_tones FILE HZ...\n");
        return 2;
    }
    const std::vector<float> samples = bw::test::ReadCapture(argv[1]);
    const std::vector<std::string> tones(argv + 2, argv + argc);
    std::vector<std::string> runs;
    std::string current;
    size_t length = 0;
    for (size_t at = 0; at + kWindow <= samples.size(); at += kWindow) {
        const std::string heard = TonesIn(samples.data() + at, tones);
        length = heard == current ? length + 1 : 1;
        current = heard;
        if (length == kShortestRun && (runs.empty() || runs.back() != heard)) {
            runs.push_back(heard);
        }
    }
    std::string line = "tones:";
    for (const std::string& run : runs) {
        line += " " + run;
    }
    std::printf("%s\n", line.c_str());
    return samples.empty() ? 1 : 0;
}
