#include "host/gamepad_devices.h"

#include <SDL.h>

#include <map>

namespace bw {

namespace {

std::map<SDL_JoystickID, SDL_GameController*> g_controllers;

// How long one rumble call lasts: longer than a step, so a running game
// keeps the motors going, and short, so a game that stops stepping lets
// them stop.
constexpr Uint32 kRumbleMilliseconds = 250;

void CloseDetached()
{
    for (auto at = g_controllers.begin(); at != g_controllers.end();) {
        if (SDL_GameControllerGetAttached(at->second) == SDL_FALSE) {
            SDL_GameControllerClose(at->second);
            at = g_controllers.erase(at);
        } else {
            ++at;
        }
    }
}

// The pad-th game controller among the attached joysticks, opened on first
// use.
SDL_GameController* ControllerAt(int32_t pad)
{
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0 || pad < 0) {
        return nullptr;
    }
    CloseDetached();
    int32_t seen = 0;
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        if (SDL_IsGameController(index) == SDL_FALSE) {
            continue;
        }
        if (seen++ != pad) {
            continue;
        }
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (const auto found = g_controllers.find(id); found != g_controllers.end()) {
            return found->second;
        }
        SDL_GameController* controller = SDL_GameControllerOpen(index);
        if (controller != nullptr) {
            g_controllers[id] = controller;
        }
        return controller;
    }
    return nullptr;
}

struct ButtonBit {
    SDL_GameControllerButton button;
    uint16_t bit;
};

constexpr ButtonBit kButtonBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, kPadDpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kPadDpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kPadDpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kPadDpadRight},
    {SDL_CONTROLLER_BUTTON_START, kPadStart},
    {SDL_CONTROLLER_BUTTON_BACK, kPadBack},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, kPadLeftThumb},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, kPadRightThumb},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, kPadLeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, kPadRightShoulder},
    {SDL_CONTROLLER_BUTTON_A, kPadA},
    {SDL_CONTROLLER_BUTTON_B, kPadB},
    {SDL_CONTROLLER_BUTTON_X, kPadX},
    {SDL_CONTROLLER_BUTTON_Y, kPadY},
};

// SDL's triggers run 0..32767; pads of the classic interface report a byte.
uint8_t TriggerByte(Sint16 value)
{
    return static_cast<uint8_t>(value <= 0 ? 0 : (static_cast<int32_t>(value) * 255) / 32767);
}

// SDL's stick y grows downward; the pad form has up positive. -32768 has no
// positive twin and becomes the largest value.
int16_t UpPositive(Sint16 value)
{
    return static_cast<int16_t>(value == -32768 ? 32767 : -value);
}

}  // namespace

bool HostGamepad_Read(int32_t pad, HostPadState& state)
{
    SDL_GameController* controller = ControllerAt(pad);
    if (controller == nullptr) {
        return false;
    }
    state = HostPadState{};
    for (const ButtonBit& entry : kButtonBits) {
        if (SDL_GameControllerGetButton(controller, entry.button) != 0) {
            state.buttons = static_cast<uint16_t>(state.buttons | entry.bit);
        }
    }
    state.leftTrigger = TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    state.rightTrigger = TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    state.thumbLX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    state.thumbLY = UpPositive(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    state.thumbRX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
    state.thumbRY = UpPositive(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
    return true;
}

HostPadKind HostGamepad_Kind(int32_t pad)
{
    SDL_GameController* controller = ControllerAt(pad);
    if (controller == nullptr) {
        return HostPadKind::Unknown;
    }
    switch (SDL_JoystickGetType(SDL_GameControllerGetJoystick(controller))) {
    case SDL_JOYSTICK_TYPE_WHEEL:
        return HostPadKind::Wheel;
    case SDL_JOYSTICK_TYPE_ARCADE_STICK:
        return HostPadKind::ArcadeStick;
    case SDL_JOYSTICK_TYPE_FLIGHT_STICK:
        return HostPadKind::FlightStick;
    case SDL_JOYSTICK_TYPE_DANCE_PAD:
        return HostPadKind::DancePad;
    case SDL_JOYSTICK_TYPE_GUITAR:
        return HostPadKind::Guitar;
    case SDL_JOYSTICK_TYPE_DRUM_KIT:
        return HostPadKind::DrumKit;
    default:
        // Anything SDL maps as a game controller has the standard pad layout.
        return HostPadKind::Gamepad;
    }
}

void HostGamepad_SetVibration(int32_t pad, uint16_t left, uint16_t right)
{
    if (SDL_GameController* controller = ControllerAt(pad)) {
        SDL_GameControllerRumble(controller, left, right, kRumbleMilliseconds);
    }
}

void HostGamepad_CloseAll()
{
    for (auto& entry : g_controllers) {
        SDL_GameControllerClose(entry.second);
    }
    g_controllers.clear();
}

}  // namespace bw
