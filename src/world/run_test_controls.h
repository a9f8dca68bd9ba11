// Controls for runs without a person, given as environment variables (the
// one place they are read; tests/README.md lists them). They are test
// facilities, not features of the runner:
//   BW_TEST_VIRTUAL_CLOCK=1  frames run on virtual time, as fast as the CPU
//                            allows, with reproducible timing variables;
//   BW_TEST_FRAMES=N         the game ends after N stepped frames, as
//                            game_end would (N a positive decimal number);
//   BW_TEST_STEAM_LIBRARY=P  the platform's client library is loaded from
//                            path P (the tests' fake) instead of the
//                            program's folder.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

struct RunTestControls {
    bool virtualClock = false;
    int64_t frameLimit = 0;  // 0: none
    std::string steamLibrary;  // empty: the usual places
};

RunTestControls Run_ReadTestControls();
// Installs the virtual clock for the process and sets the frame limit.
void Run_ApplyTestControls(const RunTestControls& controls);

// The parsers behind Run_ReadTestControls; a missing, empty or malformed
// value reads as off / no limit.
bool Run_ParseTestFlag(const char* text);
int64_t Run_ParseTestFrameLimit(const char* text);

}  // namespace bw
