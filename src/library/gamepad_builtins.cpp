#include "library/gamepad_builtins.h"

#include "script/arguments.h"
#include "platform/console.h"
#include "script/error_report.h"
#include "world/gamepad.h"

namespace bw {

namespace {

// The device named by the first argument; null (and the result left at its
// default) when there is none or the call is short of arguments.
CGamepad* Device(int32_t argc, const Value* args, int32_t needed)
{
    if (argc < needed) {
        Code_Error_Log("Wrong number of arguments to function or script.", false);
        return nullptr;
    }
    return IO_GamepadDevices(Arg_Round(args[0]));
}

// The button, axis and vibration built-ins say once that there are no pads.
CGamepad* PadDevice(int32_t argc, const Value* args, int32_t needed)
{
    CGamepad* device = Device(argc, args, needed);
    if (device != nullptr) {
        IO_Gamepad_Warn();
    }
    return device;
}

void SetReal(Value* result, double value)
{
    Value_SetReal(*result, value);
}

BW_BUILTIN(GamepadIsSupported)
{
    SetReal(result, IO_Gamepad_Supported() ? 1.0 : 0.0);
}

BW_BUILTIN(GamepadGetDeviceCount)
{
    SetReal(result, IO_GamepadCount());
}

BW_BUILTIN(GamepadIsConnected)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = Device(argc, args, 1)) {
        SetReal(result, device->connected ? 1.0 : 0.0);
    }
}

BW_BUILTIN(GamepadGetDescription)
{
    const CGamepad* device = Device(argc, args, 1);
    Result_SetString(result, device != nullptr ? device->description.c_str() : "");
}

BW_BUILTIN(GamepadGetButtonThreshold)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = Device(argc, args, 1)) {
        SetReal(result, device->buttonThreshold);
    }
}

BW_BUILTIN(GamepadGetAxisDeadzone)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = Device(argc, args, 1)) {
        SetReal(result, device->axisDeadzone);
    }
}

// Stores the value in *field when it lies in 0..1, else logs the message.
void SetUnitValue(int32_t argc, const Value* args, float CGamepad::*field, const char* outOfRange)
{
    CGamepad* device = Device(argc, args, 2);
    if (device == nullptr) {
        return;
    }
    const double value = args[1].real;
    if (value >= 0.0 && value <= 1.0) {
        device->*field = static_cast<float>(value);
    } else {
        Console().Printf("%s\n", outOfRange);
    }
}

BW_BUILTIN(GamepadSetButtonThreshold)
{
    SetReal(result, 0.0);
    SetUnitValue(argc, args, &CGamepad::buttonThreshold, "Button threshold is outside the accepted range");
}

BW_BUILTIN(GamepadSetAxisDeadzone)
{
    SetReal(result, 0.0);
    SetUnitValue(argc, args, &CGamepad::axisDeadzone, "Axis dead zone is outside the accepted range");
}

BW_BUILTIN(GamepadButtonCount)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = PadDevice(argc, args, 1)) {
        SetReal(result, device->ButtonCount());
    }
}

BW_BUILTIN(GamepadAxisCount)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = PadDevice(argc, args, 1)) {
        SetReal(result, device->AxisCount());
    }
}

template <bool (CGamepad::*Test)(int32_t) const>
BW_BUILTIN(GamepadButtonTest)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = PadDevice(argc, args, 2)) {
        SetReal(result, (device->*Test)(IO_GamepadMapButton(Arg_Round(args[1]))) ? 1.0 : 0.0);
    }
}

BW_BUILTIN(GamepadButtonValue)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = PadDevice(argc, args, 2)) {
        SetReal(result, device->ButtonValue(IO_GamepadMapButton(Arg_Round(args[1]))));
    }
}

BW_BUILTIN(GamepadAxisValue)
{
    SetReal(result, 0.0);
    if (const CGamepad* device = PadDevice(argc, args, 2)) {
        SetReal(result, device->AxisValue(IO_GamepadMapAxis(Arg_Round(args[1]))));
    }
}

BW_BUILTIN(GamepadSetVibration)
{
    SetReal(result, 0.0);
    if (CGamepad* device = PadDevice(argc, args, 3)) {
        device->SetVibration(Real_ToSingle(args[1].real), Real_ToSingle(args[2].real));
    }
}

const BuiltinRegistration kGamepadBuiltins[] = {
    {"gamepad_is_supported", GamepadIsSupported, 0},
    {"gamepad_get_device_count", GamepadGetDeviceCount, 0},
    {"gamepad_is_connected", GamepadIsConnected, 1},
    {"gamepad_get_description", GamepadGetDescription, 1},
    {"gamepad_get_button_threshold", GamepadGetButtonThreshold, 1},
    {"gamepad_set_button_threshold", GamepadSetButtonThreshold, 2},
    {"gamepad_get_axis_deadzone", GamepadGetAxisDeadzone, 1},
    {"gamepad_set_axis_deadzone", GamepadSetAxisDeadzone, 2},
    {"gamepad_button_count", GamepadButtonCount, 1},
    {"gamepad_button_check", GamepadButtonTest<&CGamepad::ButtonCheck>, 2},
    {"gamepad_button_check_pressed", GamepadButtonTest<&CGamepad::ButtonPressed>, 2},
    {"gamepad_button_check_released", GamepadButtonTest<&CGamepad::ButtonReleased>, 2},
    {"gamepad_button_value", GamepadButtonValue, 2},
    {"gamepad_axis_count", GamepadAxisCount, 1},
    {"gamepad_axis_value", GamepadAxisValue, 2},
    {"gamepad_set_vibration", GamepadSetVibration, 3},
};

}  // namespace

// The pads are set up once at start-up, right after registration, not by it.
void Function_Gamepad_Register()
{
    Builtins_Register(kGamepadBuiltins);
}

}  // namespace bw
