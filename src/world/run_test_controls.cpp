#include "world/run_test_controls.h"

#include <cstdlib>
#include <cstring>

#include "world/run_clock.h"
#include "world/run_loop.h"

namespace bw {

namespace {

// Far more frames than a test runs, and far from overflowing.
constexpr int64_t kLargestFrameLimit = 1000000000;

}  // namespace

bool Run_ParseTestFlag(const char* text)
{
    return text != nullptr && std::strcmp(text, "1") == 0;
}

int64_t Run_ParseTestFrameLimit(const char* text)
{
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    int64_t frames = 0;
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at < '0' || *at > '9') {
            return 0;
        }
        frames = frames * 10 + (*at - '0');
        if (frames > kLargestFrameLimit) {
            return 0;
        }
    }
    return frames;
}

RunTestControls Run_ReadTestControls()
{
    RunTestControls controls;
    controls.virtualClock = Run_ParseTestFlag(std::getenv("BW_TEST_VIRTUAL_CLOCK"));
    controls.frameLimit = Run_ParseTestFrameLimit(std::getenv("BW_TEST_FRAMES"));
    if (const char* steamLibrary = std::getenv("BW_TEST_STEAM_LIBRARY")) controls.steamLibrary = steamLibrary;
    return controls;
}

void Run_ApplyTestControls(const RunTestControls& controls)
{
    if (controls.virtualClock) {
        VirtualClock_InstallForProcess();
    }
    Run_SetFrameLimit(controls.frameLimit);
}

}  // namespace bw
