#include "host/input_devices.h"

#include <SDL.h>

#include <map>

#include "host/gamepad_devices.h"
#include "host/keys.h"
#include "host/quit_signal.h"

namespace bw {

namespace {

std::map<SDL_JoystickID, SDL_Joystick*> g_joysticks;
bool g_started = false;  // this layer holds one reference on SDL's controller support

bool ControllersStarted()
{
    return g_started;
}

// The sided codes a generic modifier code stands for; 0 when none.
void SidedCodes(int32_t virtualKey, int32_t& left, int32_t& right)
{
    switch (virtualKey) {
    case kVkShift:
        left = kVkLShift;
        right = kVkRShift;
        break;
    case kVkControl:
        left = kVkLControl;
        right = kVkRControl;
        break;
    case kVkMenu:
        left = kVkLMenu;
        right = kVkRMenu;
        break;
    default:
        left = right = 0;
        break;
    }
}

// The joystick at index among the attached ones, opened on first use and
// kept until it goes away.
SDL_Joystick* JoystickAt(int32_t index)
{
    if (!ControllersStarted()) {
        return nullptr;
    }
    // Read live, as a query of the system's joystick driver would be.
    SDL_JoystickUpdate();
    if (index < 0 || index >= SDL_NumJoysticks()) {
        return nullptr;
    }
    for (auto at = g_joysticks.begin(); at != g_joysticks.end();) {
        if (SDL_JoystickGetAttached(at->second) == SDL_FALSE) {
            SDL_JoystickClose(at->second);
            at = g_joysticks.erase(at);
        } else {
            ++at;
        }
    }
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    if (const auto found = g_joysticks.find(id); found != g_joysticks.end()) {
        return found->second;
    }
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (joystick != nullptr) {
        g_joysticks[id] = joystick;
    }
    return joystick;
}

uint32_t PovOfHat(uint8_t hat)
{
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kJoystickPovCentred;
    }
}

}  // namespace

bool HostKeyboard_IsKeyDown(int32_t virtualKey)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return false;
    }
    int32_t left = 0;
    int32_t right = 0;
    SidedCodes(virtualKey, left, right);
    int count = 0;
    const Uint8* held = SDL_GetKeyboardState(&count);
    const Uint16 modifiers = static_cast<Uint16>(SDL_GetModState());
    for (int scancode = 0; scancode < count; ++scancode) {
        if (held[scancode] == 0) {
            continue;
        }
        SDL_Keysym keysym{};
        keysym.scancode = static_cast<SDL_Scancode>(scancode);
        keysym.sym = SDL_GetKeyFromScancode(keysym.scancode);
        keysym.mod = modifiers;
        const int32_t code = Keys_VirtualKey(keysym);
        if (code != 0 && (code == virtualKey || code == left || code == right)) {
            return true;
        }
    }
    return false;
}

bool HostKeyboard_NumLock()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 && (SDL_GetModState() & KMOD_NUM) != 0;
}

void HostKeyboard_SetNumLock(bool on)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    const SDL_Keymod modifiers = SDL_GetModState();
    SDL_SetModState(static_cast<SDL_Keymod>(on ? (modifiers | KMOD_NUM) : (modifiers & ~KMOD_NUM)));
}

bool HostControllers_Start()
{
    if (!g_started) {
        // Pads are read each step whether or not the window has the focus.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        g_started = HostSdl_Start(SDL_INIT_GAMECONTROLLER);
    }
    return g_started;
}

void HostControllers_Stop()
{
    HostGamepad_CloseAll();
    for (auto& entry : g_joysticks) {
        SDL_JoystickClose(entry.second);
    }
    g_joysticks.clear();
    if (g_started) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        g_started = false;
    }
}

void HostControllers_Update()
{
    if (ControllersStarted()) {
        SDL_GameControllerUpdate();
    }
}

bool HostJoystick_Read(int32_t index, HostJoystickState& state)
{
    SDL_Joystick* joystick = JoystickAt(index);
    if (joystick == nullptr) {
        return false;
    }
    state = HostJoystickState{};
    const int axes = SDL_JoystickNumAxes(joystick);
    for (int axis = 0; axis < kJoystickAxisCount; ++axis) {
        // Shifted so that a centred stick sits on 32767, where the runner's
        // scaling (p / 32767 - 1) reads exactly 0; the far low end clamps to 0.
        const int32_t value = axis < axes ? SDL_JoystickGetAxis(joystick, axis) : 0;
        state.axes[static_cast<size_t>(axis)] = static_cast<uint32_t>(value < -32767 ? 0 : value + 32767);
    }
    const int buttons = SDL_JoystickNumButtons(joystick);
    for (int button = 0; button < buttons && button < 32; ++button) {
        if (SDL_JoystickGetButton(joystick, button) != 0) {
            state.buttons |= 1u << button;
        }
    }
    if (SDL_JoystickNumHats(joystick) > 0) {
        state.pov = PovOfHat(SDL_JoystickGetHat(joystick, 0));
    }
    return true;
}

bool HostJoystick_Info(int32_t index, HostJoystickInfo& info)
{
    SDL_Joystick* joystick = JoystickAt(index);
    if (joystick == nullptr) {
        return false;
    }
    const char* name = SDL_JoystickName(joystick);
    info.name = name != nullptr ? name : "";
    info.axes = SDL_JoystickNumAxes(joystick);
    info.buttons = SDL_JoystickNumButtons(joystick);
    info.hasHat = SDL_JoystickNumHats(joystick) > 0;
    return true;
}

}  // namespace bw
