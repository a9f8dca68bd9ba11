// The keys of an object's "events" in game.json: "<type>" or
// "<type>:<number>". Types are the names of the ev_ constants without their
// prefix (create, destroy, alarm, step, collision, keyboard, mouse, other,
// draw, keypress, keyrelease). The number is a whole number; a name of the
// runner's own constants (vk_left, ev_user0, ev_step_begin); for key events
// a single letter or digit, which names its key (two or more digits are a
// number; no key and any key are vk_nokey and vk_anykey); for collisions
// the other object's name.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace bw::pack {

struct EventKey {
    int32_t type = 0;
    int32_t number = 0;
};

// findObject gives an object's index by name, -1 when there is none.
// Nothing when the key names no event.
std::optional<EventKey> EventKey_Parse(const std::string& key, const std::function<int32_t(const std::string&)>& findObject);

// Why the runner never raises the event, naming the numbers it does raise
// for the type ("alarms are 0 to 11"); nothing when it raises it.
std::optional<std::string> EventKey_NotRaised(const EventKey& key);

}  // namespace bw::pack
