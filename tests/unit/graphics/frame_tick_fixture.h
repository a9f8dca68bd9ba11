// One frame tick of the main loop for the graphics tests, on the virtual
// clock and with no room, its display reset served by Graphics::Reset as the
// runner wires it.
#pragma once

#include <cstdint>

#include "graphics/screen.h"
#include "world/run_clock.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"

namespace bw::test {

inline int32_t& DisplayResetsServed()
{
    static int32_t served = 0;
    return served;
}

// Runs one tick and returns how many display resets it served; the hooks
// and the loop state are back as they were afterwards.
inline int32_t DisplayResetsServedByOneTick()
{
    const RunHooks saved = Run_Hooks();
    DisplayResetsServed() = 0;
    Run_Hooks().resetDisplay = [] {
        ++DisplayResetsServed();
        Graphics::Reset();
    };
    {
        VirtualClockScope clock;
        Run_MainLoopTick();
    }
    Run_Hooks() = saved;
    Run_ResetLoopState();
    return DisplayResetsServed();
}

}  // namespace bw::test
