#include "host/keys.h"

#include <cstring>

namespace bw {

namespace {

struct ScancodeKey {
    SDL_Scancode scancode;
    int32_t key;
};

// Keys whose code does not depend on the keyboard layout.
constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_BACKSPACE, kVkBack},    {SDL_SCANCODE_TAB, kVkTab},          {SDL_SCANCODE_RETURN, kVkReturn},
    {SDL_SCANCODE_KP_ENTER, kVkReturn},   {SDL_SCANCODE_PAUSE, 0x13},          {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_ESCAPE, kVkEscape},     {SDL_SCANCODE_SPACE, 0x20},          {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_PAGEDOWN, 0x22},        {SDL_SCANCODE_END, 0x23},            {SDL_SCANCODE_HOME, 0x24},
    {SDL_SCANCODE_LEFT, 0x25},            {SDL_SCANCODE_UP, 0x26},             {SDL_SCANCODE_RIGHT, 0x27},
    {SDL_SCANCODE_DOWN, 0x28},            {SDL_SCANCODE_PRINTSCREEN, 0x2C},    {SDL_SCANCODE_INSERT, 0x2D},
    {SDL_SCANCODE_DELETE, 0x2E},          {SDL_SCANCODE_LGUI, 0x5B},           {SDL_SCANCODE_RGUI, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0x5D},     {SDL_SCANCODE_KP_MULTIPLY, 0x6A},    {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_MINUS, 0x6D},        {SDL_SCANCODE_KP_DIVIDE, 0x6F},      {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x91},      {SDL_SCANCODE_SEMICOLON, 0xBA},      {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},           {SDL_SCANCODE_MINUS, 0xBD},          {SDL_SCANCODE_PERIOD, 0xBE},
    {SDL_SCANCODE_SLASH, 0xBF},           {SDL_SCANCODE_GRAVE, 0xC0},          {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},       {SDL_SCANCODE_RIGHTBRACKET, 0xDD},   {SDL_SCANCODE_APOSTROPHE, 0xDE},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
};

// The number pad without Num Lock gives the navigation keys, as on Windows.
constexpr ScancodeKey kKeypadNavigation[] = {
    {SDL_SCANCODE_KP_0, 0x2D}, {SDL_SCANCODE_KP_1, 0x23}, {SDL_SCANCODE_KP_2, 0x28},      {SDL_SCANCODE_KP_3, 0x22},
    {SDL_SCANCODE_KP_4, 0x25}, {SDL_SCANCODE_KP_5, 0x0C}, {SDL_SCANCODE_KP_6, 0x27},      {SDL_SCANCODE_KP_7, 0x24},
    {SDL_SCANCODE_KP_8, 0x26}, {SDL_SCANCODE_KP_9, 0x21}, {SDL_SCANCODE_KP_PERIOD, 0x2E},
};

int32_t KeypadKey(SDL_Scancode scancode, bool numLock)
{
    if (numLock) {
        if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
            return 0x61 + (scancode - SDL_SCANCODE_KP_1);
        }
        if (scancode == SDL_SCANCODE_KP_0) {
            return 0x60;
        }
        if (scancode == SDL_SCANCODE_KP_PERIOD) {
            return 0x6E;
        }
        return 0;
    }
    for (const ScancodeKey& entry : kKeypadNavigation) {
        if (entry.scancode == scancode) {
            return entry.key;
        }
    }
    return 0;
}

// Shift, Control and Alt: the generic code and the sided one.
bool SidedModifier(SDL_Scancode scancode, int32_t& generic, int32_t& sided)
{
    switch (scancode) {
    case SDL_SCANCODE_LSHIFT:
        generic = kVkShift;
        sided = kVkLShift;
        return true;
    case SDL_SCANCODE_RSHIFT:
        generic = kVkShift;
        sided = kVkRShift;
        return true;
    case SDL_SCANCODE_LCTRL:
        generic = kVkControl;
        sided = kVkLControl;
        return true;
    case SDL_SCANCODE_RCTRL:
        generic = kVkControl;
        sided = kVkRControl;
        return true;
    case SDL_SCANCODE_LALT:
        generic = kVkMenu;
        sided = kVkLMenu;
        return true;
    case SDL_SCANCODE_RALT:
        generic = kVkMenu;
        sided = kVkRMenu;
        return true;
    default:
        return false;
    }
}

// The control characters Windows delivers as characters with their keys;
// Ctrl with a letter gives that letter's place in the alphabet, 1 to 26.
char16_t KeyCharacter(int32_t key, uint32_t modifiers)
{
    if ((modifiers & kModifierControl) != 0 && key >= 'A' && key <= 'Z') {
        return static_cast<char16_t>(key - 'A' + 1);
    }
    switch (key) {
    case kVkBack:
    case kVkTab:
    case kVkReturn:
    case kVkEscape:
        return static_cast<char16_t>(key);
    default:
        return 0;
    }
}

int32_t MouseButton(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return kMouseLeft;
    case SDL_BUTTON_RIGHT:
        return kMouseRight;
    case SDL_BUTTON_MIDDLE:
        return kMouseMiddle;
    default:
        return 0;
    }
}

uint32_t WheelBit(int32_t button)
{
    return button == kMouseLeft ? kWheelLeftButton : button == kMouseRight ? kWheelRightButton : kWheelMiddleButton;
}

void TranslateKey(const SDL_KeyboardEvent& key, const WindowHandlers& handlers, WindowEventState& state)
{
    state.modifiers = key.keysym.mod;
    const uint32_t modifiers = Keys_Modifiers(key.keysym.mod);
    const bool down = key.type == SDL_KEYDOWN;
    const bool repeat = key.repeat != 0;
    int32_t generic = 0;
    int32_t sided = 0;
    int32_t codes[2] = {0, 0};
    if (SidedModifier(key.keysym.scancode, generic, sided)) {
        codes[0] = generic;
        codes[1] = sided;
    } else {
        codes[0] = Keys_VirtualKey(key.keysym);
    }
    for (int32_t code : codes) {
        if (code == 0) {
            continue;
        }
        if (down && handlers.keyDown != nullptr) {
            handlers.keyDown(code, modifiers, repeat);
        } else if (!down && handlers.keyUp != nullptr) {
            handlers.keyUp(code, modifiers);
        }
    }
    if (!down) {
        return;
    }
    const bool altHeld = (modifiers & kModifierAlt) != 0;
    if (codes[0] == kVkReturn && altHeld) {
        // Alt+Enter is the system's full-screen switch, not a character.
        if (!repeat && handlers.altEnter != nullptr) {
            handlers.altEnter();
        }
        return;
    }
    const char16_t character = KeyCharacter(codes[0], modifiers);
    if (character != 0 && !altHeld && handlers.character != nullptr) {
        handlers.character(character);
    }
}

// Alt with a key is a shortcut: the character it would type is the
// system's, not the game's text. Only the left Alt counts: on the layouts
// that have AltGr it is the right Alt key, which types characters such as
// "@" and "€", and SDL reports it as a plain right Alt would be
// (KMOD_RALT), so every character typed with the right Alt is kept; on a
// layout without AltGr a right-Alt shortcut types its letter.
bool ShortcutAltHeld(uint16_t sdlModifiers)
{
    return (sdlModifiers & KMOD_LALT) != 0;
}

void TranslateText(const char* text, const WindowHandlers& handlers, const WindowEventState& state)
{
    if (handlers.character == nullptr || ShortcutAltHeld(state.modifiers)) {
        return;
    }
    for (char16_t unit : Keys_Utf8ToUtf16(text)) {
        handlers.character(unit);
    }
}

void TranslateWindowEvent(const SDL_WindowEvent& window, const WindowHandlers& handlers)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        const bool focused = window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        if (handlers.focus != nullptr) {
            handlers.focus(focused);
        }
        if (handlers.activate != nullptr) {
            handlers.activate(focused);
        }
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        if (handlers.close != nullptr) {
            handlers.close();
        }
        break;
    default:
        break;
    }
}

}  // namespace

int32_t Keys_VirtualKey(const SDL_Keysym& keysym)
{
    // Letters and digits follow the layout, as Windows' codes do.
    if (keysym.sym >= SDLK_a && keysym.sym <= SDLK_z) {
        return 'A' + (keysym.sym - SDLK_a);
    }
    if (keysym.sym >= SDLK_0 && keysym.sym <= SDLK_9) {
        return '0' + (keysym.sym - SDLK_0);
    }
    const SDL_Scancode scancode = keysym.scancode;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + (scancode - SDL_SCANCODE_1);
    }
    if (scancode == SDL_SCANCODE_0) {
        return '0';
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        return 0x70 + (scancode - SDL_SCANCODE_F1);
    }
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
        return 0x7C + (scancode - SDL_SCANCODE_F13);
    }
    if (const int32_t keypad = KeypadKey(scancode, (keysym.mod & KMOD_NUM) != 0); keypad != 0) {
        return keypad;
    }
    for (const ScancodeKey& entry : kScancodeKeys) {
        if (entry.scancode == scancode) {
            return entry.key;
        }
    }
    int32_t generic = 0;
    int32_t sided = 0;
    return SidedModifier(scancode, generic, sided) ? sided : 0;
}

uint32_t Keys_Modifiers(uint16_t sdlModifiers)
{
    return ((sdlModifiers & KMOD_SHIFT) != 0 ? kModifierShift : 0u) |
           ((sdlModifiers & KMOD_ALT) != 0 ? kModifierAlt : 0u) |
           ((sdlModifiers & KMOD_CTRL) != 0 ? kModifierControl : 0u);
}

std::u16string Keys_Utf8ToUtf16(const char* text)
{
    std::u16string units;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const size_t length = std::strlen(text);
    size_t i = 0;
    while (i < length) {
        const unsigned char lead = bytes[i];
        uint32_t codePoint = 0xFFFD;
        size_t extra = 0;
        uint32_t minimum = 0;
        if (lead < 0x80) {
            codePoint = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            codePoint = lead & 0x1F;
            extra = 1;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            codePoint = lead & 0x0F;
            extra = 2;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            codePoint = lead & 0x07;
            extra = 3;
            minimum = 0x10000;
        } else {
            codePoint = 0xFFFD;
        }
        size_t used = 1;
        if (extra > 0) {
            bool valid = true;
            for (size_t k = 1; valid && k <= extra; ++k) {
                if (i + k >= length || (bytes[i + k] & 0xC0) != 0x80) {
                    valid = false;
                } else {
                    codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
                }
            }
            if (valid && codePoint >= minimum && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF)) {
                used = extra + 1;
            } else {
                codePoint = 0xFFFD;
            }
        }
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(codePoint));
        }
        i += used;
    }
    return units;
}

void Window_TranslateEvent(const SDL_Event& event, const WindowHandlers& handlers, WindowEventState& state)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key, handlers, state);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text.text, handlers, state);
        break;
    case SDL_MOUSEMOTION:
        state.mouseX = event.motion.x;
        state.mouseY = event.motion.y;
        if (handlers.mouseMove != nullptr) {
            handlers.mouseMove(state.mouseX, state.mouseY);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int32_t button = MouseButton(event.button.button);
        if (button == 0) {
            break;
        }
        state.mouseX = event.button.x;
        state.mouseY = event.button.y;
        if (event.type == SDL_MOUSEBUTTONDOWN) {
            state.buttons |= WheelBit(button);
            if (handlers.mouseDown != nullptr) {
                handlers.mouseDown(button, state.mouseX, state.mouseY);
            }
        } else {
            state.buttons &= ~WheelBit(button);
            if (handlers.mouseUp != nullptr) {
                handlers.mouseUp(button, state.mouseX, state.mouseY);
            }
        }
        break;
    }
    case SDL_MOUSEWHEEL: {
        int32_t delta = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
            delta = -delta;
        }
        if (delta != 0 && handlers.mouseWheel != nullptr) {
            handlers.mouseWheel(delta > 0, Keys_Modifiers(state.modifiers) | state.buttons, state.mouseX,
                                state.mouseY);
        }
        break;
    }
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window, handlers);
        break;
    case SDL_QUIT:
        if (handlers.close != nullptr) {
            handlers.close();
        }
        break;
    default:
        break;
    }
}

}  // namespace bw
