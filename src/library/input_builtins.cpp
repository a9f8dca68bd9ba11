#include "library/input_builtins.h"

#include "host/input_devices.h"
#include "script/arguments.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "world/input.h"
#include "world/run_clock.h"
#include "world/run_loop.h"

namespace bw {

namespace {

constexpr int32_t kNoKey = 0;
constexpr int32_t kAnyKey = 1;
constexpr int32_t kAnyButton = -1;
constexpr int32_t kNoButton = 0;
constexpr int32_t kNumLockKey = 0x90;
constexpr int64_t kWaitMicroseconds = 50000;

// Key 0 asks "no key has it", 1 "some key has it", 2..255 that key.
bool CheckKey(int32_t key, bool (*flag)(int32_t))
{
    if (key == kNoKey || key == kAnyKey) {
        bool any = false;
        for (int32_t k = 0; k < kInputKeyCount && !any; ++k) {
            any = flag(k);
        }
        return key == kAnyKey ? any : !any;
    }
    return flag(key);
}


template <bool (*Flag)(int32_t)>
BW_BUILTIN(KeyboardCheck)
{
    Result_SetBool(result, CheckKey(Arg_Round(args[0]), Flag));
}

template <bool (*Flag)(int32_t, int32_t)>
BW_BUILTIN(MouseCheckButton)
{
    Result_SetBool(result, Input_CheckMouseButton(Arg_Round(args[0]), 0, Flag));
}

BW_BUILTIN(KeyboardCheckDirect)
{
    Result_SetBool(result, IO_KeyHeldNow(Arg_Round(args[0])));
}

BW_BUILTIN(KeyboardSetMap)
{
    IO_SetKeyMap(Arg_Round(args[0]), Arg_Round(args[1]));
}

BW_BUILTIN(KeyboardGetMap)
{
    Value_SetReal(*result, IO_KeyMap(Arg_Round(args[0])));
}

BW_BUILTIN(KeyboardUnsetMap)
{
    IO_ResetKeyMap();
}

BW_BUILTIN(KeyboardClear)
{
    ProcessMessages();
    IO_KeyClear(Arg_Round(args[0]));
}

BW_BUILTIN(MouseClear)
{
    ProcessMessages();
    IO_MouseClear(Arg_Round(args[0]), 0);
}

BW_BUILTIN(IoClear)
{
    ProcessMessages();
    IO_Clear();
}

BW_BUILTIN(IoHandle)
{
    ProcessMessages();
}

// The game does not step while it waits; a game that is quitting stops
// waiting. On the virtual clock each look moves time on, as a frame does.
void WaitWhile(int32_t (*nothingYet)())
{
    ProcessMessages();
    while (nothingYet() == 0 && GameRunningFlag == 1) {
        Run_GameSleep(kWaitMicroseconds);
        ProcessMessages();
    }
}

BW_BUILTIN(KeyboardWait)
{
    IO_SetLastKey(0);
    WaitWhile(&IO_PendingLastKey);
}

BW_BUILTIN(MouseWait)
{
    IO_ForgetMouseLastButton();
    WaitWhile(&IO_PendingMouseLastButton);
}

BW_BUILTIN(KeyboardGetNumlock)
{
    Result_SetBool(result, HostKeyboard_NumLock());
}

// Only the runner's own view of the lock can change here (the system's
// light and state are out of reach), so the keys' translation and
// keyboard_get_numlock agree with the wish from now on.
BW_BUILTIN(KeyboardSetNumlock)
{
    const bool wish = args[0].real >= 0.5;
    if (HostKeyboard_NumLock() == wish) {
        return;
    }
    Console().Printf("keyboard_set_numlock: the system's Num Lock is left as it is; the game sees it %s\n",
                     wish ? "on" : "off");
    HostKeyboard_SetNumLock(wish);
    IO_InjectKey(kNumLockKey, true);
    IO_InjectKey(kNumLockKey, false);
}

BW_BUILTIN(KeyboardKeyPress)
{
    IO_InjectKey(Arg_Round(args[0]), true);
}

BW_BUILTIN(KeyboardKeyRelease)
{
    IO_InjectKey(Arg_Round(args[0]), false);
}

BW_BUILTIN(MouseWheelUp)
{
    Result_SetBool(result, IO_WheelUp(0));
}

BW_BUILTIN(MouseWheelDown)
{
    Result_SetBool(result, IO_WheelDown(0));
}

// Registered for its name; double clicks are not told apart here.
BW_BUILTIN(DeviceMouseDbclickEnable) {}

// ---- joysticks ----

// Id 2 is the second joystick; every other id the first.
int32_t JoystickIndex(const Value& id)
{
    return Arg_Round(id) == 2 ? 1 : 0;
}

bool ReadJoystick(const Value& id, HostJoystickState& state)
{
    return HostJoystick_Read(JoystickIndex(id), state);
}

BW_BUILTIN(JoystickExists)
{
    HostJoystickState state;
    Result_SetBool(result, ReadJoystick(args[0], state));
}

// The number-pad key laid out like the stick: 103 up-left .. 99 down-right,
// 101 centred (and without a joystick).
BW_BUILTIN(JoystickDirection)
{
    HostJoystickState state;
    int32_t key = 101;
    if (ReadJoystick(args[0], state)) {
        const uint32_t x = state.axes[0];
        const uint32_t y = state.axes[1];
        const int32_t row = y < 20000 ? 6 : (y <= 44000 ? 3 : 0);
        key = (x < 20000 ? 97 : (x <= 44000 ? 98 : 99)) + row;
    }
    Value_SetReal(*result, key);
}

BW_BUILTIN(JoystickName)
{
    HostJoystickInfo info;
    Result_SetString(result, HostJoystick_Info(JoystickIndex(args[0]), info) ? info.name.c_str() : "");
}

BW_BUILTIN(JoystickAxes)
{
    HostJoystickInfo info;
    Value_SetReal(*result, HostJoystick_Info(JoystickIndex(args[0]), info) ? info.axes : 0);
}

BW_BUILTIN(JoystickButtons)
{
    HostJoystickInfo info;
    Value_SetReal(*result, HostJoystick_Info(JoystickIndex(args[0]), info) ? info.buttons : 0);
}

BW_BUILTIN(JoystickHasPov)
{
    HostJoystickInfo info;
    Result_SetBool(result, HostJoystick_Info(JoystickIndex(args[0]), info) && info.hasHat);
}

BW_BUILTIN(JoystickCheckButton)
{
    HostJoystickState state;
    const int32_t button = Arg_Round(args[1]);
    Result_SetBool(result, button >= 1 && button <= 32 && ReadJoystick(args[0], state) &&
                        (state.buttons & (1u << (button - 1))) != 0);
}

template <int32_t Axis>
BW_BUILTIN(JoystickPos)
{
    HostJoystickState state;
    double position = 0.0;
    if (ReadJoystick(args[0], state)) {
        const auto p = static_cast<float>(state.axes[Axis]);
        position = static_cast<double>(p) / 32767.0 - 1.0;
    }
    Value_SetReal(*result, position);
}

BW_BUILTIN(JoystickPov)
{
    HostJoystickState state;
    double angle = -1.0;
    if (ReadJoystick(args[0], state) && state.pov / 100 <= 360) {
        angle = static_cast<double>(state.pov) / 100.0;
    }
    Value_SetReal(*result, angle);
}

const BuiltinRegistration kInputBuiltins[] = {
    {"keyboard_check", KeyboardCheck<&IO_KeyDown>, 1},
    {"keyboard_check_pressed", KeyboardCheck<&IO_KeyPressed>, 1},
    {"keyboard_check_released", KeyboardCheck<&IO_KeyReleased>, 1},
    {"keyboard_check_direct", KeyboardCheckDirect, 1},
    {"keyboard_set_map", KeyboardSetMap, 2},
    {"keyboard_get_map", KeyboardGetMap, 1},
    {"keyboard_unset_map", KeyboardUnsetMap, 0},
    {"keyboard_clear", KeyboardClear, 1},
    {"mouse_clear", MouseClear, 1},
    {"io_clear", IoClear, 0},
    {"io_handle", IoHandle, 0},
    {"keyboard_wait", KeyboardWait, 0},
    {"mouse_wait", MouseWait, 0},
    {"keyboard_get_numlock", KeyboardGetNumlock, 0},
    {"keyboard_set_numlock", KeyboardSetNumlock, 1},
    {"keyboard_key_press", KeyboardKeyPress, 1},
    {"keyboard_key_release", KeyboardKeyRelease, 1},
    {"mouse_check_button", MouseCheckButton<&IO_MouseButtonDown>, 1},
    {"mouse_check_button_pressed", MouseCheckButton<&IO_MouseButtonPressed>, 1},
    {"mouse_check_button_released", MouseCheckButton<&IO_MouseButtonReleased>, 1},
    {"mouse_wheel_up", MouseWheelUp, 0},
    {"mouse_wheel_down", MouseWheelDown, 0},
    {"device_mouse_dbclick_enable", DeviceMouseDbclickEnable, 0},
    {"joystick_exists", JoystickExists, 1},
    {"joystick_direction", JoystickDirection, 1},
    {"joystick_name", JoystickName, 1},
    {"joystick_axes", JoystickAxes, 1},
    {"joystick_buttons", JoystickButtons, 1},
    {"joystick_has_pov", JoystickHasPov, 1},
    {"joystick_check_button", JoystickCheckButton, 2},
    {"joystick_xpos", JoystickPos<0>, 1},
    {"joystick_ypos", JoystickPos<1>, 1},
    {"joystick_zpos", JoystickPos<2>, 1},
    {"joystick_rpos", JoystickPos<3>, 1},
    {"joystick_upos", JoystickPos<4>, 1},
    {"joystick_vpos", JoystickPos<5>, 1},
    {"joystick_pov", JoystickPov, 1},
};

}  // namespace

bool Input_CheckMouseButton(int32_t button, int32_t device, bool (*flag)(int32_t, int32_t))
{
    if (button == kAnyButton || button == kNoButton) {
        bool any = false;
        for (int32_t b = 1; b <= kMouseButtonCount && !any; ++b) {
            any = flag(b, device);
        }
        return button == kAnyButton ? any : !any;
    }
    return flag(button, device);
}

void Function_Input_Register()
{
    Builtins_Register(kInputBuiltins);
}

}  // namespace bw
