// The drag-and-drop actions: small fixed operations on the calling instance
// or the game that forward to the built-ins and back ends that own the
// behaviour. Many honour the relative flag of the running event, which turns
// positions and amounts into offsets from the current values.
#pragma once

#include <cstdint>

namespace bw {

void Function_Action_Register();

// The colours action_draw_health hands to the health bar for its two colour
// indexes; an index outside the lists reads as the first entry.
struct HealthBarColours {
    bool showBack = false;
    uint32_t back = 0;
    uint32_t minimum = 0;
    uint32_t middle = 0;
    uint32_t maximum = 0;
};
HealthBarColours ActionHealthBar_Colours(int32_t backIndex, int32_t barIndex);

}  // namespace bw
