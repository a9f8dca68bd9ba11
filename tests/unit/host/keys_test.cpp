#include "host/keys.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace bw {
namespace {

// What the handlers received, in order, as short text lines.
std::vector<std::string> g_log;

void KeyDown(int32_t key, uint32_t modifiers, bool repeat)
{
    g_log.push_back("down " + std::to_string(key) + " mod " + std::to_string(modifiers) + (repeat ? " repeat" : ""));
}
void KeyUp(int32_t key, uint32_t modifiers)
{
    g_log.push_back("up " + std::to_string(key) + " mod " + std::to_string(modifiers));
}
void Character(char16_t unit)
{
    g_log.push_back("char " + std::to_string(static_cast<int>(unit)));
}
void MouseDown(int32_t button, int32_t x, int32_t y)
{
    g_log.push_back("press " + std::to_string(button) + " at " + std::to_string(x) + "," + std::to_string(y));
}
void MouseUp(int32_t button, int32_t x, int32_t y)
{
    g_log.push_back("release " + std::to_string(button) + " at " + std::to_string(x) + "," + std::to_string(y));
}
bool Wheel(bool up, uint32_t bits, int32_t x, int32_t y)
{
    g_log.push_back(std::string(up ? "wheel up" : "wheel down") + " bits " + std::to_string(bits) + " at " +
                    std::to_string(x) + "," + std::to_string(y));
    return true;
}
void Focus(bool focused)
{
    g_log.push_back(focused ? "focus" : "blur");
}
void Close()
{
    g_log.push_back("close");
}
void AltEnter()
{
    g_log.push_back("alt+enter");
}

class WindowEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        handlers.keyDown = &KeyDown;
        handlers.keyUp = &KeyUp;
        handlers.character = &Character;
        handlers.mouseDown = &MouseDown;
        handlers.mouseUp = &MouseUp;
        handlers.mouseWheel = &Wheel;
        handlers.focus = &Focus;
        handlers.close = &Close;
        handlers.altEnter = &AltEnter;
    }

    void Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0)
    {
        SDL_Event event{};
        event.key.type = type;
        event.key.repeat = repeat;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = sym;
        event.key.keysym.mod = mod;
        Window_TranslateEvent(event, handlers, state);
    }

    void Button(Uint32 type, Uint8 button, Sint32 x, Sint32 y)
    {
        SDL_Event event{};
        event.button.type = type;
        event.button.button = button;
        event.button.x = x;
        event.button.y = y;
        Window_TranslateEvent(event, handlers, state);
    }

    void WheelTurn(Sint32 y)
    {
        SDL_Event event{};
        event.wheel.type = SDL_MOUSEWHEEL;
        event.wheel.y = y;
        Window_TranslateEvent(event, handlers, state);
    }

    WindowHandlers handlers;
    WindowEventState state;
};

TEST_F(WindowEventsTest, RightShiftGivesTheGenericAndTheRightCode)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT);
    Key(SDL_KEYUP, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_NONE);
    EXPECT_EQ(g_log, (std::vector<std::string>{"down 16 mod 1", "down 161 mod 1", "up 16 mod 0", "up 161 mod 0"}));
}

TEST_F(WindowEventsTest, ControlAndAltComeInTheirSidedPairs)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL);
    Key(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_LCTRL | KMOD_RALT);
    EXPECT_EQ(g_log, (std::vector<std::string>{"down 17 mod 4", "down 162 mod 4", "down 18 mod 6", "down 165 mod 6"}));
}

TEST_F(WindowEventsTest, KeysBecomeWindowsVirtualKeyCodes)
{
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        Uint16 mod;
        int32_t key;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 'A'},
        {SDL_SCANCODE_Q, SDLK_a, KMOD_NONE, 'A'},  // the layout decides letters
        {SDL_SCANCODE_7, SDLK_7, KMOD_NONE, '7'},
        {SDL_SCANCODE_0, SDLK_0, KMOD_NONE, '0'},
        {SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, 0x70},
        {SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, 0x7B},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_NONE, 0x25},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, 0x28},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, KMOD_NONE, 0x20},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, KMOD_NONE, 0x2E},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NUM, 0x65},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NONE, 0x26},  // without Num Lock: up arrow
        {SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM, 0x60},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NONE, 0x0D},
        {SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, KMOD_NONE, 0x6A},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, KMOD_NONE, 0xBA},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, KMOD_NONE, 0xC0},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, KMOD_NONE, 0x5B},
        {SDL_SCANCODE_MUTE, SDLK_MUTE, KMOD_NONE, 0},
    };
    for (const Case& c : cases) {
        SDL_Keysym keysym{};
        keysym.scancode = c.scancode;
        keysym.sym = c.sym;
        keysym.mod = c.mod;
        EXPECT_EQ(Keys_VirtualKey(keysym), c.key) << SDL_GetScancodeName(c.scancode);
    }
}

TEST_F(WindowEventsTest, ControlKeysAlsoArriveAsCharacters)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    Key(SDL_KEYDOWN, SDL_SCANCODE_TAB, SDLK_TAB);
    Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
    Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"down 8 mod 0", "char 8", "down 9 mod 0", "char 9", "down 13 mod 0",
                                               "char 13", "down 27 mod 0 repeat", "char 27"}));
}

TEST_F(WindowEventsTest, ControlWithALetterTypesItsControlCharacter)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LCTRL);
    Key(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z, KMOD_RCTRL | KMOD_LSHIFT);
    Key(SDL_KEYDOWN, SDL_SCANCODE_1, SDLK_1, KMOD_LCTRL);
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"down 65 mod 4", "char 1", "down 90 mod 5", "char 26", "down 49 mod 4"}));
}

TEST_F(WindowEventsTest, AltEnterSwitchesInsteadOfTyping)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT, 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"down 13 mod 2", "alt+enter", "down 13 mod 2 repeat"}));
}

TEST_F(WindowEventsTest, TextArrivesAsUtf16Units)
{
    SDL_Event event{};
    event.text.type = SDL_TEXTINPUT;
    std::strcpy(event.text.text, "a\xC3\xA9\xF0\x9F\x98\x80");  // a, e acute, a face beyond the BMP
    Window_TranslateEvent(event, handlers, state);
    EXPECT_EQ(g_log, (std::vector<std::string>{"char 97", "char 233", "char 55357", "char 56832"}));
}

TEST(Utf8ToUtf16, MalformedBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(Keys_Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(Keys_Utf8ToUtf16("\xFFx"), u"\uFFFDx");
    EXPECT_EQ(Keys_Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");   // overlong
    EXPECT_EQ(Keys_Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate
}

TEST_F(WindowEventsTest, MouseButtonsAreNumberedLeftRightMiddle)
{
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 7, 8);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 9, 10);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 9, 10);
    EXPECT_EQ(g_log, (std::vector<std::string>{"press 1 at 5,6", "press 2 at 7,8", "release 3 at 9,10"}));
}

TEST_F(WindowEventsTest, AWheelTurnReportsModifiersAndButtonsHeld)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL);
    WheelTurn(1);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 4);
    WheelTurn(-2);
    ASSERT_EQ(g_log.size(), 5u);
    EXPECT_EQ(g_log[2], "wheel up bits 4 at 0,0");
    EXPECT_EQ(g_log[4], "wheel down bits 12 at 3,4");
}

TEST_F(WindowEventsTest, FocusAndCloseReachTheirHandlers)
{
    SDL_Event event{};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    Window_TranslateEvent(event, handlers, state);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    Window_TranslateEvent(event, handlers, state);
    EXPECT_EQ(g_log, (std::vector<std::string>{"blur", "close"}));
}

}  // namespace
}  // namespace bw
