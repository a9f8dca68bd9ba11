// Joysticks and game controllers that exist only inside SDL, for tests of
// the pad and joystick code without hardware. Each device is attached on
// construction and detached on destruction; values set here are seen at
// the next poll.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace bw::test {

class VirtualDevice {
public:
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;
    ~VirtualDevice()
    {
        if (m_joystick != nullptr) {
            // Device indexes shift as devices go; the instance id stays.
            const SDL_JoystickID id = SDL_JoystickInstanceID(m_joystick);
            SDL_JoystickClose(m_joystick);
            for (int index = 0; index < SDL_NumJoysticks(); ++index) {
                if (SDL_JoystickGetDeviceInstanceID(index) == id) {
                    SDL_JoystickDetachVirtual(index);
                    break;
                }
            }
        }
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    void SetAxis(int axis, int16_t value) { SDL_JoystickSetVirtualAxis(m_joystick, axis, value); }
    void SetButton(int button, bool down) { SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0); }
    void SetHat(uint8_t hat) { SDL_JoystickSetVirtualHat(m_joystick, 0, hat); }

protected:
    explicit VirtualDevice(const SDL_VirtualJoystickDesc& desc)
    {
        EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        m_joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }

private:
    SDL_Joystick* m_joystick = nullptr;
};

// A plain joystick (not a game controller).
class VirtualJoystick : public VirtualDevice {
public:
    VirtualJoystick(int axes, int buttons, int hats, const char* name = "Test Stick")
        : VirtualDevice(Describe(axes, buttons, hats, name))
    {
    }

private:
    static SDL_VirtualJoystickDesc Describe(int axes, int buttons, int hats, const char* name)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = static_cast<Uint16>(axes);
        desc.nbuttons = static_cast<Uint16>(buttons);
        desc.nhats = static_cast<Uint16>(hats);
        desc.name = name;
        return desc;
    }
};

// A game controller with SDL's standard buttons and axes; the rumble each
// poll sends is kept.
class VirtualPad : public VirtualDevice {
public:
    explicit VirtualPad(SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER)
        : VirtualDevice(Describe(type, this))
    {
    }

    void SetButton(SDL_GameControllerButton button, bool down) { VirtualDevice::SetButton(button, down); }
    void SetAxis(SDL_GameControllerAxis axis, int16_t value) { VirtualDevice::SetAxis(axis, value); }
    const std::vector<std::pair<uint16_t, uint16_t>>& Rumbles() const { return m_rumbles; }

private:
    static int Rumble(void* self, Uint16 low, Uint16 high)
    {
        static_cast<VirtualPad*>(self)->m_rumbles.emplace_back(low, high);
        return 0;
    }
    static SDL_VirtualJoystickDesc Describe(SDL_JoystickType type, VirtualPad* self)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = static_cast<Uint16>(type);
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Test Pad";
        desc.userdata = self;
        desc.Rumble = &Rumble;
        return desc;
    }

    std::vector<std::pair<uint16_t, uint16_t>> m_rumbles;
};

}  // namespace bw::test
