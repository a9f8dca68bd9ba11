#include "bwpack/event_keys.h"

#include <array>
#include <cctype>
#include <cmath>
#include <span>
#include <string_view>

#include "script/constants.h"
#include "world/instance.h"

namespace bw::pack {
namespace {

constexpr int32_t kCollisionType = 4;
constexpr int32_t kLargestEventNumber = 255;

// A run of event numbers, first to last; a run of one number may carry the
// name an author writes for it.
struct NumberRun {
    int32_t first;
    int32_t last;
    std::string_view name = {};
};

// The numbers the runner raises for each type: an event under any other
// number would build and never run.
constexpr NumberRun kNumberZero[] = {{0, 0}};
constexpr NumberRun kAlarms[] = {{0, kInstanceAlarmCount - 1}};
// Normal, begin and end steps.
constexpr NumberRun kSteps[] = {{0, 2}};
// No key and any key; the key pass starts at backspace, and the objects are
// listed per key up to 128 only. A digit names its own key, so the first two
// go by their names.
constexpr NumberRun kKeys[] = {{0, 0, "vk_nokey"}, {1, 1, "vk_anykey"}, {8, 128}};
// Buttons held, none, pressed and released, enter, leave and the global
// press and release; each joystick's directions and 8 buttons; the global
// buttons held, pressed and released; the wheel.
constexpr NumberRun kMouse[] = {{0, 13}, {16, 19}, {21, 28}, {31, 34}, {36, 43}, {50, 58}, {60, 61}};
// Outside, boundary, game and room start and end, lives, animation end,
// path end, health and the 16 user events; outside and boundary of each of
// 8 views; the replies to image loads, HTTP requests, dialogs, the store,
// the network and the online platform.
constexpr NumberRun kOther[] = {{0, 25}, {40, 47}, {50, 57}, {60, 60}, {62, 63}, {66, 66}, {68, 69}};
// The room's drawing and the GUI layer's.
constexpr NumberRun kDraw[] = {{0, 0}, {64, 64}};

struct EventType {
    std::string_view name;
    int32_t type;
    bool takesKey;
    // What the runner's numbers are called in messages, and which they are
    // (none for collisions, which name the other object).
    std::string_view numbersAre;
    std::span<const NumberRun> raised;
};

constexpr std::array<EventType, 11> kTypes = {{
    {"create", 0, false, "create events are", kNumberZero},
    {"destroy", 1, false, "destroy events are", kNumberZero},
    {"alarm", 2, false, "alarms are", kAlarms},
    {"step", 3, false, "steps are", kSteps},
    {"collision", kCollisionType, false, "", {}},
    {"keyboard", 5, true, "keys are", kKeys},
    {"mouse", 6, false, "mouse events are", kMouse},
    {"other", 7, false, "other events are", kOther},
    {"draw", 8, false, "draw events are", kDraw},
    {"keypress", 9, true, "keys are", kKeys},
    {"keyrelease", 10, true, "keys are", kKeys},
}};

std::optional<int32_t> WholeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) return std::nullopt;
    }
    return std::stoi(text);
}

std::optional<int32_t> ConstantNumber(const std::string& name)
{
    // The runner's table: the names game code uses for the same numbers.
    if (Code_Constant_Count() == 0) Code_Constant_Init();
    const Value* value = Code_Constant_Find(name.c_str());
    if (value == nullptr || Value_Kind(*value) != kValueReal) return std::nullopt;
    const double number = value->real;
    if (number != std::floor(number) || number < 0 || number > kLargestEventNumber) return std::nullopt;
    return static_cast<int32_t>(number);
}

// A single letter or digit names its key: "A" and "a" are 65, "1" is 49.
std::optional<int32_t> KeyOfCharacter(const std::string& text)
{
    if (text.size() != 1 || std::isalnum(static_cast<unsigned char>(text[0])) == 0) return std::nullopt;
    return std::toupper(static_cast<unsigned char>(text[0]));
}

// "0 to 11", "0 and 64", "vk_nokey, vk_anykey and 8 to 128".
std::string RunsText(std::span<const NumberRun> runs)
{
    std::string text;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (i > 0) text += i + 1 == runs.size() ? " and " : ", ";
        if (!runs[i].name.empty()) {
            text += runs[i].name;
            continue;
        }
        text += std::to_string(runs[i].first);
        if (runs[i].last != runs[i].first) text += " to " + std::to_string(runs[i].last);
    }
    return text;
}

}  // namespace

std::optional<EventKey> EventKey_Parse(const std::string& key, const std::function<int32_t(const std::string&)>& findObject)
{
    const size_t colon = key.find(':');
    const std::string typeName = key.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : key.substr(colon + 1);
    for (const EventType& type : kTypes) {
        if (type.name != typeName) continue;
        // A collision names the other object; every other type defaults to 0.
        if (colon == std::string::npos) return type.type == kCollisionType ? std::nullopt : std::optional(EventKey{type.type, 0});
        std::optional<int32_t> number;
        if (type.type == kCollisionType) {
            const int32_t object = findObject(argument);
            if (object >= 0) number = object;
        } else {
            // For a key event a single digit is its key, not an event number:
            // "keypress:1" is the 1 key, never "any key".
            if (type.takesKey) number = KeyOfCharacter(argument);
            if (!number) number = WholeNumber(argument);
            if (!number) number = ConstantNumber(argument);
            if (number && *number > kLargestEventNumber) number.reset();
        }
        if (!number) return std::nullopt;
        return EventKey{type.type, *number};
    }
    return std::nullopt;
}

std::optional<std::string> EventKey_NotRaised(const EventKey& key)
{
    for (const EventType& type : kTypes) {
        if (type.type != key.type || type.raised.empty()) continue;
        for (const NumberRun& run : type.raised) {
            if (key.number >= run.first && key.number <= run.last) return std::nullopt;
        }
        return std::string(type.numbersAre) + " " + RunsText(type.raised);
    }
    return std::nullopt;
}

}  // namespace bw::pack
