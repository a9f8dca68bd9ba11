#include "world/input_passes.h"

#include <cstdint>

#include "host/input_devices.h"
#include "world/event.h"
#include "world/input.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/listed_pass.h"

namespace bw {

namespace {

constexpr int32_t kNoKey = 0;
constexpr int32_t kAnyKey = 1;
constexpr int32_t kFirstKeyOfPass = 8;

// Mouse event numbers.
constexpr int32_t kMouseNoButton = 3;
constexpr int32_t kMouseFirstPress = 4;
constexpr int32_t kMouseFirstRelease = 7;
constexpr int32_t kMouseEnter = 10;
constexpr int32_t kMouseLeave = 11;
constexpr int32_t kMouseGlobalPress = 12;
constexpr int32_t kMouseGlobalRelease = 13;
constexpr int32_t kMouseGlobalFirstDown = 50;
constexpr int32_t kMouseGlobalFirstPress = 53;
constexpr int32_t kMouseGlobalFirstRelease = 56;
constexpr int32_t kMouseWheelUp = 60;
constexpr int32_t kMouseWheelDown = 61;

// Per joystick: the first of left, right, up, down, and of the buttons.
constexpr int32_t kJoystickDirections[2] = {16, 31};
constexpr int32_t kJoystickButtons[2] = {21, 36};
constexpr int32_t kJoystickButtonEvents = 8;
constexpr uint32_t kJoystickLow = 20000;
constexpr uint32_t kJoystickHigh = 44000;

enum class StampRule { OncePerRoutine, OncePerObject };

// Every live, active instance that existed when its stamp was taken, of
// every object listed for the event, that passes the filter.
template <typename Filter>
void PerformListed(int32_t type, int32_t number, StampRule rule, Filter&& filter)
{
    uint64_t stamp = EventPassStamp++;
    const auto stampFor = [rule, &stamp] {
        if (rule == StampRule::OncePerObject) {
            stamp = EventPassStamp++;
        }
        return stamp;
    };
    Event_PerformOnListed(type, number, stampFor, filter);
}

void PerformListed(int32_t type, int32_t number, StampRule rule)
{
    PerformListed(type, number, rule, [](CInstance&) { return true; });
}

struct MousePoint {
    float x = 0.0f;
    float y = 0.0f;
};
MousePoint g_previousMouse;

bool Contains(CInstance& instance, MousePoint point)
{
    return instance.CollisionPoint(point.x, point.y, true);
}

void MouseOver(int32_t number, MousePoint point)
{
    PerformListed(kEventMouse, number, StampRule::OncePerObject,
                  [point](CInstance& instance) { return Contains(instance, point); });
}

void MouseGlobal(int32_t number)
{
    PerformListed(kEventMouse, number, StampRule::OncePerObject);
}

void JoystickEvents(int32_t joystick)
{
    HostJoystickState state;
    if (!HostJoystick_Read(joystick, state)) {
        return;
    }
    const int32_t first = kJoystickDirections[joystick];
    const uint32_t x = state.axes[0];
    const uint32_t y = state.axes[1];
    const bool directions[4] = {x < kJoystickLow, x > kJoystickHigh, y < kJoystickLow, y > kJoystickHigh};
    for (int32_t direction = 0; direction < 4; ++direction) {
        if (directions[direction]) {
            PerformListed(kEventMouse, first + direction, StampRule::OncePerObject);
        }
    }
    for (int32_t button = 0; button < kJoystickButtonEvents; ++button) {
        if ((state.buttons & (1u << button)) != 0) {
            PerformListed(kEventMouse, kJoystickButtons[joystick] + button, StampRule::OncePerObject);
        }
    }
}

}  // namespace

void Run_HandleKeyboard()
{
    struct KindOfKey {
        int32_t event;
        bool (*test)(int32_t key);
        bool seen;
    };
    KindOfKey kinds[3] = {
        {kEventKeyboard, [](int32_t key) { return IO_KeyDown(key) || IO_KeyPressed(key); }, false},
        {kEventKeyPress, &IO_KeyPressed, false},
        {kEventKeyRelease, &IO_KeyReleased, false},
    };
    for (int32_t key = kFirstKeyOfPass; key < kInputKeyCount; ++key) {
        for (KindOfKey& kind : kinds) {
            if (kind.test(key)) {
                PerformListed(kind.event, key, StampRule::OncePerRoutine);
                kind.seen = true;
            }
        }
    }
    for (const KindOfKey& kind : kinds) {
        PerformListed(kind.event, kind.seen ? kAnyKey : kNoKey, StampRule::OncePerRoutine);
    }
}

void Run_HandleJoystick()
{
    JoystickEvents(0);
    JoystickEvents(1);
}

void Run_HandleMouse()
{
    const MousePoint previous = g_previousMouse;
    const MousePoint now{static_cast<float>(IO_MouseX(0)), static_cast<float>(IO_MouseY(0))};
    g_previousMouse = now;
    bool anyDown = false;
    for (int32_t button = 1; button <= kMouseButtonCount; ++button) {
        if (IO_MouseButtonDown(button, 0) || IO_MouseButtonPressed(button, 0)) {
            anyDown = true;
            MouseOver(button - 1, now);
            MouseGlobal(kMouseGlobalFirstDown + button - 1);
        }
    }
    if (!anyDown) {
        MouseOver(kMouseNoButton, now);
    }
    for (int32_t button = 1; button <= kMouseButtonCount; ++button) {
        if (IO_MouseButtonPressed(button, 0)) {
            MouseOver(kMouseFirstPress + button - 1, now);
            MouseGlobal(kMouseGlobalPress);
            MouseGlobal(kMouseGlobalFirstPress + button - 1);
        }
    }
    for (int32_t button = 1; button <= kMouseButtonCount; ++button) {
        if (IO_MouseButtonReleased(button, 0)) {
            MouseOver(kMouseFirstRelease + button - 1, now);
            MouseGlobal(kMouseGlobalRelease);
            MouseGlobal(kMouseGlobalFirstRelease + button - 1);
        }
    }
    PerformListed(kEventMouse, kMouseEnter, StampRule::OncePerObject, [previous, now](CInstance& instance) {
        return Contains(instance, now) && !Contains(instance, previous);
    });
    PerformListed(kEventMouse, kMouseLeave, StampRule::OncePerObject, [previous, now](CInstance& instance) {
        return Contains(instance, previous) && !Contains(instance, now);
    });
    if (IO_WheelUp(0)) {
        MouseGlobal(kMouseWheelUp);
    }
    if (IO_WheelDown(0)) {
        MouseGlobal(kMouseWheelDown);
    }
}

}  // namespace bw
