#include "world/gamepad.h"

#include <cmath>
#include <cstdint>

#include "host/gamepad_devices.h"
#include "host/input_devices.h"
#include "platform/console.h"
#include "platform/package_loader.h"
#include "script/error_report.h"

namespace bw {

namespace {

struct GamepadLayer {
    bool supported = false;
    bool warned = false;
    int32_t roundRobin = 0;
    std::vector<CGamepad> devices;
};
GamepadLayer g_layer;

// Bit 2 of the package's feature mask lets the game read pads.
constexpr uint64_t kFeatureGamepads = 4;

// Button slots that carry the triggers instead of their (unused) bits.
constexpr int32_t kSlotLeftTrigger = 10;
constexpr int32_t kSlotRightTrigger = 11;

struct CodeSlot {
    int32_t code;
    int32_t slot;
};

constexpr int32_t kFirstConstant = 32768;

// gp_face1 .. gp_padr: the slot is the lowest set bit of the pad's mask.
constexpr CodeSlot kButtonSlots[] = {
    {32769, 12}, {32770, 13}, {32771, 14}, {32772, 15}, {32773, 8},  {32774, 9},  {32775, 10}, {32776, 11},
    {32777, 5},  {32778, 4},  {32779, 6},  {32780, 7},  {32781, 0},  {32782, 1},  {32783, 2},  {32784, 3},
};
// gp_axislh .. gp_axisrv: the vertical axes negated so that up reads negative.
constexpr CodeSlot kAxisCodes[] = {
    {32785, 0},
    {32786, kGamepadCodeNegate | 1},
    {32787, 2},
    {32788, kGamepadCodeNegate | 3},
};

int32_t MapCode(int32_t code, const CodeSlot* table, size_t count)
{
    if (code < kFirstConstant) {
        return code;
    }
    for (size_t i = 0; i < count; ++i) {
        if (table[i].code == code) {
            return table[i].slot;
        }
    }
    return 0;
}

float ValueAt(const std::vector<float>& values, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < values.size() ? values[static_cast<size_t>(index)] : 0.0f;
}

float AxisAsButton(float axis, bool negative, float deadzone)
{
    if (negative) {
        return axis < -deadzone ? std::fabs(axis) : 0.0f;
    }
    return axis > deadzone ? axis : 0.0f;
}

float Clamp01(float value)
{
    // NaN stops the motor.
    return value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
}

// Motor speed of the pad form: full speed is the largest 16-bit value (a
// plain x 65536 would wrap 1.0 round to a stopped motor).
uint16_t MotorSpeed(float vibration)
{
    const auto speed = static_cast<int32_t>(Clamp01(vibration) * 65536.0f);
    return static_cast<uint16_t>(speed > 65535 ? 65535 : speed);
}

const char* DescriptionOf(HostPadKind kind)
{
    switch (kind) {
    case HostPadKind::Gamepad:
        return "Xbox 360 Controller (XInput STANDARD GAMEPAD)";
    case HostPadKind::Wheel:
        return "Xbox 360 Controller (XInput WHEEL)";
    case HostPadKind::ArcadeStick:
        return "Xbox 360 Controller (XInput ARCADE STICK)";
    case HostPadKind::FlightStick:
        return "Xbox 360 Controller (XInput FLIGHT STICK)";
    case HostPadKind::DancePad:
        return "Xbox 360 Controller (XInput DANCE PAD)";
    case HostPadKind::Guitar:
        return "Xbox 360 Controller (XInput GUITAR)";
    case HostPadKind::DrumKit:
        return "Xbox 360 Controller (XInput DRUM KIT)";
    default:
        return nullptr;
    }
}

void IO_Gamepad_Describe(int32_t pad, CGamepad& record)
{
    if (const char* text = DescriptionOf(HostGamepad_Kind(pad))) {
        record.description = text;
    }
}

void ReadPad(const HostPadState& state, CGamepad& record)
{
    std::vector<float> buttons(kGamepadButtonCount, 0.0f);
    for (int32_t bit = 0; bit < kGamepadButtonCount; ++bit) {
        buttons[static_cast<size_t>(bit)] = (state.buttons & (1u << bit)) != 0 ? 1.0f : 0.0f;
    }
    buttons[kSlotLeftTrigger] = static_cast<float>(state.leftTrigger) / 256.0f;
    buttons[kSlotRightTrigger] = static_cast<float>(state.rightTrigger) / 256.0f;
    const std::vector<float> axes = {
        static_cast<float>(state.thumbLX) / 32768.0f,
        static_cast<float>(state.thumbLY) / 32768.0f,
        static_cast<float>(state.thumbRX) / 32768.0f,
        static_cast<float>(state.thumbRY) / 32768.0f,
    };
    record.SetValues(buttons, axes);
}

}  // namespace

CGamepad::CGamepad()
    : m_buttons(kGamepadButtonCount, 0.0f),
      m_previousButtons(kGamepadButtonCount, 0.0f),
      m_axes(kGamepadAxisCount, 0.0f),
      m_previousAxes(kGamepadAxisCount, 0.0f)
{
    Console().Printf("GAMEPAD: %d axis values (last) at 0x%x\n", kGamepadAxisCount,
                     static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_previousAxes.data())));
}

int32_t CGamepad::ButtonCount() const
{
    return connected ? static_cast<int32_t>(m_buttons.size()) : 0;
}

int32_t CGamepad::AxisCount() const
{
    return connected ? static_cast<int32_t>(m_axes.size()) : 0;
}

bool CGamepad::ButtonPair(int32_t code, float& now, float& before) const
{
    if (code < 0) {
        return false;
    }
    if ((code & kGamepadCodeOther) != 0) {
        const int32_t axis = code & ~kGamepadCodeAxisMarks;
        if (static_cast<size_t>(axis) >= m_axes.size()) {
            return false;
        }
        const bool negative = (code & kGamepadCodeNegative) != 0;
        now = AxisAsButton(m_axes[static_cast<size_t>(axis)], negative, axisDeadzone);
        before = AxisAsButton(m_previousAxes[static_cast<size_t>(axis)], negative, axisDeadzone);
        return true;
    }
    if (static_cast<size_t>(code) >= m_buttons.size()) {
        return false;
    }
    now = m_buttons[static_cast<size_t>(code)];
    before = m_previousButtons[static_cast<size_t>(code)];
    return true;
}

bool CGamepad::ButtonCheck(int32_t code) const
{
    float now = 0.0f;
    float before = 0.0f;
    return ButtonPair(code, now, before) && now >= buttonThreshold;
}

bool CGamepad::ButtonPressed(int32_t code) const
{
    float now = 0.0f;
    float before = 0.0f;
    return ButtonPair(code, now, before) && now >= buttonThreshold && before < buttonThreshold;
}

bool CGamepad::ButtonReleased(int32_t code) const
{
    float now = 0.0f;
    float before = 0.0f;
    return ButtonPair(code, now, before) && now < buttonThreshold && before >= buttonThreshold;
}

float CGamepad::ButtonValue(int32_t code) const
{
    float now = 0.0f;
    float before = 0.0f;
    return ButtonPair(code, now, before) ? now : 0.0f;
}

float CGamepad::AxisValue(int32_t code) const
{
    if (code < 0) {
        return 0.0f;
    }
    if ((code & kGamepadCodeOther) != 0) {
        return ValueAt(m_buttons, code & ~kGamepadCodeOther);
    }
    const bool negate = (code & kGamepadCodeNegate) != 0;
    const int32_t axis = code & ~kGamepadCodeNegate;
    if (static_cast<size_t>(axis) >= m_axes.size()) {
        return 0.0f;
    }
    const float value = m_axes[static_cast<size_t>(axis)];
    const float deadzone = axisDeadzone;
    float result = value;
    if (deadzone > 0.0f) {
        const float magnitude = std::fabs(value);
        if (magnitude < deadzone) {
            return 0.0f;
        }
        result = std::copysign((magnitude - deadzone) / (1.0f - deadzone), value);
    }
    return negate ? -result : result;
}

void CGamepad::SetVibration(float left, float right)
{
    vibrationLeft = Clamp01(left);
    vibrationRight = Clamp01(right);
}

void CGamepad::SetValues(const std::vector<float>& buttons, const std::vector<float>& axes)
{
    m_previousButtons.swap(m_buttons);
    m_previousAxes.swap(m_axes);
    m_buttons = buttons;
    m_axes = axes;
    m_buttons.resize(m_previousButtons.size(), 0.0f);
    m_axes.resize(m_previousAxes.size(), 0.0f);
}

void CGamepad::Disconnect()
{
    connected = false;
    description.clear();
    for (std::vector<float>* values : {&m_buttons, &m_previousButtons, &m_axes, &m_previousAxes}) {
        values->assign(values->size(), 0.0f);
    }
}

int32_t IO_GamepadMapButton(int32_t code)
{
    return MapCode(code, kButtonSlots, std::size(kButtonSlots));
}

int32_t IO_GamepadMapAxis(int32_t code)
{
    return MapCode(code, kAxisCodes, std::size(kAxisCodes));
}

void IO_Gamepad_Init()
{
    if (!g_layer.devices.empty()) {
        return;
    }
    g_layer.supported = HostControllers_Start();
    g_layer.devices.clear();
    g_layer.devices.resize(kGamepadCount);
    g_layer.roundRobin = 0;
    IO_Gamepads_Update();
}

void IO_Gamepad_Free()
{
    g_layer.devices.clear();
    if (g_layer.supported) {
        HostControllers_Stop();
        g_layer.supported = false;
    }
}

bool IO_Gamepad_Supported()
{
    return g_layer.supported;
}

void IO_Gamepad_Warn()
{
    if (!g_layer.supported && !g_layer.warned) {
        g_layer.warned = true;
        Code_Error_LogOnly("xinput1_3.dll not found. Gamepad support disabled");
    }
}

int32_t IO_GamepadCount()
{
    return static_cast<int32_t>(g_layer.devices.size());
}

CGamepad* IO_GamepadDevices(int32_t device)
{
    if (device < 0 || device >= IO_GamepadCount()) {
        return nullptr;
    }
    return &g_layer.devices[static_cast<size_t>(device)];
}

void IO_Gamepads_Update()
{
    if (!g_layer.supported || (static_cast<uint64_t>(Package().header.value112) & kFeatureGamepads) == 0) {
        return;
    }
    HostControllers_Update();
    g_layer.roundRobin = (g_layer.roundRobin + 1) % kGamepadCount;
    for (int32_t pad = 0; pad < IO_GamepadCount(); ++pad) {
        CGamepad& record = g_layer.devices[static_cast<size_t>(pad)];
        // An absent pad is looked for only in its turn, one in four steps.
        if (!record.connected && pad != g_layer.roundRobin) {
            continue;
        }
        HostPadState state;
        if (!HostGamepad_Read(pad, state)) {
            record.Disconnect();
            continue;
        }
        if (!record.connected) {
            IO_Gamepad_Describe(pad, record);
        }
        record.connected = true;
        ReadPad(state, record);
        HostGamepad_SetVibration(pad, MotorSpeed(record.vibrationLeft), MotorSpeed(record.vibrationRight));
    }
}

}  // namespace bw
